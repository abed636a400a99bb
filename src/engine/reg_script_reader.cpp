#include "engine/reg_script_reader.h"

#include "engine/text.h"
#include "engine/reg_script.h"
#include "engine/registry_ops.h"

namespace qrv {

std::string DecodeTextFile(const std::string& bytes,
                           const std::function<std::string(const std::string&)>& fromAnsi) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return Utf8FromUtf16LeBytes(bytes.substr(2));
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
    std::string swapped = bytes.substr(2);
    for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    return Utf8FromUtf16LeBytes(swapped);
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return bytes.substr(3);
  return fromAnsi(bytes);
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t SkipBlanks(const std::string& s, std::size_t i) {
  while (i < s.size() && IsBlank(s[i])) ++i;
  return i;
}

// After a value only blanks and a comment may follow.
bool OnlyCommentLeft(const std::string& s, std::size_t i) {
  i = SkipBlanks(s, i);
  return i >= s.size() || s[i] == ';';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text from just after its opening quote. The registry editor
// understands \\, \", \n and \r; "\0" spoils the line; any other backslash is
// dropped and the next character kept. Returns the position after the closing
// quote, or npos when the line is spoilt or ends first.
std::size_t Unquote(const std::string& line, std::size_t pos, std::string& out) {
  out.clear();
  for (std::size_t i = pos; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') return i + 1;
    if (c == '\\') {
      if (++i >= line.size()) return std::string::npos;
      switch (line[i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case '0': return std::string::npos;
        default: out += line[i]; break;
      }
      continue;
    }
    out += c;
  }
  return std::string::npos;
}

// One byte of a hex list, read as a number in base 16 ("0x1", "+1", "012"
// are taken, as the registry editor takes them), at most ff.
bool HexByteAt(const std::string& s, std::size_t& i, std::uint8_t& byte) {
  i = SkipBlanks(s, i);
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X') && i + 2 < s.size() &&
      HexDigit(s[i + 2]) >= 0)
    i += 2;
  unsigned long value = 0;
  std::size_t digits = 0;
  for (; i < s.size() && HexDigit(s[i]) >= 0; ++i, ++digits) {
    value = value * 16 + static_cast<unsigned long>(HexDigit(s[i]));
    if (value > 0xFF) return false;
  }
  if (digits == 0 || (negative && value != 0)) return false;
  byte = static_cast<std::uint8_t>(value);
  return true;
}

enum class ListEnd { Done, Continues, Bad };

// Appends the bytes of a (part of a) hex list; a backslash after a comma, or
// right after the colon, continues the list on the next line.
ListEnd ParseHexList(const std::string& s, std::size_t i, std::string& bytes, bool atStart) {
  i = SkipBlanks(s, i);
  if (i >= s.size() || s[i] == ';') return ListEnd::Done;
  if (s[i] == '\\' && atStart) return OnlyCommentLeft(s, i + 1) ? ListEnd::Continues : ListEnd::Bad;
  while (true) {
    std::uint8_t byte = 0;
    if (!HexByteAt(s, i, byte)) return ListEnd::Bad;
    bytes += static_cast<char>(byte);
    if (i >= s.size()) return ListEnd::Done;
    if (s[i] == ';') return ListEnd::Done;
    if (s[i] != ',') return OnlyCommentLeft(s, i) && IsBlank(s[i]) ? ListEnd::Done : ListEnd::Bad;
    i = SkipBlanks(s, i + 1);
    if (i >= s.size() || s[i] == ';') return ListEnd::Done;
    if (s[i] == '\\') return OnlyCommentLeft(s, i + 1) ? ListEnd::Continues : ListEnd::Bad;
  }
}

class Parser {
 public:
  Parser(bool unicode, const std::function<std::string(const std::string&)>& fromAnsi)
      : unicode_(unicode), fromAnsi_(fromAnsi) {}

  // False when the import stops here.
  bool Line(const std::vector<std::string>& lines, std::size_t& index, std::vector<ScriptOp>& ops) {
    const std::string& line = lines[index];
    const std::size_t i = SkipBlanks(line, 0);
    if (i >= line.size()) return true;
    if (line[i] == '[') return KeyLine(line, i, ops);
    if (line[i] == '@' || line[i] == '"') ValueLine(lines, index, i, ops);
    return true;  // comments and lines it does not understand change nothing
  }

 private:
  bool KeyLine(const std::string& line, std::size_t open, std::vector<ScriptOp>& ops) {
    const auto close = line.rfind(']');
    // Without a closing bracket, or with a blank after the opening one, the
    // line is ignored and the current key stays.
    if (close == std::string::npos || close <= open || (open + 1 < line.size() && IsBlank(line[open + 1])))
      return true;
    std::string inside = line.substr(open + 1, close - open - 1);
    const bool remove = !inside.empty() && inside.front() == '-';
    if (remove) inside.erase(0, 1);
    haveKey_ = false;
    ScriptOp op;
    const auto slash = inside.find('\\');
    const std::string rootName = inside.substr(0, slash);
    const auto root = RootFromName(rootName);
    std::string path = slash == std::string::npos ? std::string() : inside.substr(slash + 1);
    const bool usable = root && StartsWithNoCase(rootName, "HKEY_") && (path.empty() || path.front() != '\\');
    if (!usable) {
      if (remove) return false;  // a deletion of an unknown root ends the import
      ops.push_back(op);
      return true;
    }
    // Doubled backslashes count as one; trailing ones are ignored.
    std::string clean;
    for (char c : path)
      if (!(c == '\\' && !clean.empty() && clean.back() == '\\')) clean += c;
    while (!clean.empty() && clean.back() == '\\') clean.pop_back();
    op.root = *root;
    op.path = clean;
    op.kind = remove ? ScriptOp::Kind::DeleteKey : ScriptOp::Kind::OpenKey;
    haveKey_ = !remove;
    ops.push_back(op);
    return true;
  }

  void ValueLine(const std::vector<std::string>& lines, std::size_t& index, std::size_t start,
                 std::vector<ScriptOp>& ops) {
    const std::string& line = lines[index];
    ScriptOp op;
    std::size_t pos = start + 1;
    if (line[start] == '"') {
      pos = Unquote(line, start + 1, op.name);
      if (pos == std::string::npos) return;
    }
    pos = SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') return;
    pos = SkipBlanks(line, pos + 1);
    if (!haveKey_) return;

    if (pos < line.size() && line[pos] == '-') {
      if (!OnlyCommentLeft(line, pos + 1)) return;
      op.kind = ScriptOp::Kind::DeleteValue;
      ops.push_back(op);
      return;
    }
    op.kind = ScriptOp::Kind::SetValue;
    if (pos < line.size() && line[pos] == '"') {
      std::string text;
      const auto end = Unquote(line, pos + 1, text);
      if (end == std::string::npos || !OnlyCommentLeft(line, end)) return;
      op.type = regtype::kString;
      op.data = StringData(text);
      ops.push_back(op);
      return;
    }
    if (line.compare(pos, 6, "dword:") == 0) {
      std::size_t i = SkipBlanks(line, pos + 6), digits = 0;
      std::uint32_t value = 0;
      for (; i < line.size() && HexDigit(line[i]) >= 0; ++i, ++digits)
        value = value * 16 + static_cast<std::uint32_t>(HexDigit(line[i]));
      if (digits == 0 || digits > 8 || !OnlyCommentLeft(line, i)) return;
      op.type = regtype::kDword;
      op.data.assign(4, '\0');
      for (int b = 0; b < 4; ++b) op.data[b] = static_cast<char>((value >> (8 * b)) & 0xFF);
      ops.push_back(op);
      return;
    }
    if (line.compare(pos, 3, "hex") != 0) return;
    std::size_t i = pos + 3;
    op.type = regtype::kBinary;
    if (i < line.size() && line[i] == '(') {
      i = SkipBlanks(line, i + 1);
      bool negative = false;
      if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
      std::uint64_t type = 0;
      for (; i < line.size() && HexDigit(line[i]) >= 0; ++i) {
        type = type * 16 + static_cast<std::uint64_t>(HexDigit(line[i]));
        if (type > 0xFFFFFFFFu) return;  // a type has 32 bits
      }
      if (i >= line.size() || line[i] != ')') return;
      op.type = static_cast<std::uint32_t>(negative ? 0u - type : type);
      ++i;
    }
    if (i >= line.size() || line[i] != ':') return;
    std::string bytes;
    ListEnd end = ParseHexList(line, i + 1, bytes, true);
    while (end == ListEnd::Continues) {
      // Blank and comment lines are passed over; the next other line is data.
      std::size_t next = index + 1;
      while (next < lines.size()) {
        const std::size_t j = SkipBlanks(lines[next], 0);
        if (j < lines[next].size() && lines[next][j] != ';') break;
        ++next;
      }
      if (next >= lines.size()) {
        index = lines.size() - 1;
        end = ListEnd::Done;  // the file ended: what was read counts
        break;
      }
      index = next;
      end = ParseHexList(lines[index], 0, bytes, false);
    }
    if (end == ListEnd::Bad) return;
    op.data = StoredBytes(op.type, bytes);
    ops.push_back(op);
  }

  // Text types are given in the file's own encoding and end with one zero character.
  std::string StoredBytes(std::uint32_t type, std::string bytes) const {
    if (type != regtype::kString && type != regtype::kExpandString && type != regtype::kMultiString)
      return bytes;
    if (bytes.empty()) return bytes;
    if (!unicode_) {
      if (bytes.back() != '\0') bytes += '\0';
      std::string wide;
      for (char c : bytes) wide += c == '\0' ? std::string(2, '\0') : Utf16LeBytes(fromAnsi_(std::string(1, c)));
      return wide;
    }
    if (bytes.size() % 2) bytes += '\0';
    if (bytes[bytes.size() - 1] != '\0' || bytes[bytes.size() - 2] != '\0') bytes += std::string(2, '\0');
    return bytes;
  }

  bool unicode_;
  const std::function<std::string(const std::string&)>& fromAnsi_;
  bool haveKey_ = false;
};

}  // namespace

ParsedScript ReadRegScript(const std::string& fileBytes,
                           const std::function<std::string(const std::string&)>& fromAnsi) {
  ParsedScript result;
  // Only a UTF-16LE mark makes a file Unicode; everything else is the code page.
  result.unicode = fileBytes.size() >= 2 && fileBytes[0] == '\xFF' && fileBytes[1] == '\xFE';
  const std::vector<std::string> lines =
      SplitLines(result.unicode ? Utf8FromUtf16LeBytes(fileBytes.substr(2)) : fromAnsi(fileBytes));
  if (lines.empty()) return result;
  // The header must be the first line, exactly, after blanks at most.
  const std::string header = lines[0].substr(SkipBlanks(lines[0], 0));
  if (header != kRegedit4Header && header != kVersion5Header) return result;
  result.recognised = true;
  Parser parser(result.unicode, fromAnsi);
  for (std::size_t i = 1; i < lines.size(); ++i)
    if (!parser.Line(lines, i, result.ops)) break;
  return result;
}

}  // namespace qrv
