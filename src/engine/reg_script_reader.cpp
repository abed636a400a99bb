#include "engine/reg_script_reader.h"

#include <cctype>

#include "core/text.h"
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

std::string SkipBlanks(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

// The rest of a line after a value is allowed to hold blanks and a comment only.
bool OnlyCommentLeft(const std::string& rest) {
  const std::string r = SkipBlanks(rest);
  return r.empty() || r.front() == ';';
}

// Reads a quoted text starting after its opening quote. Returns the position
// after the closing quote, or npos when the line ends first.
std::size_t Unquote(const std::string& line, std::size_t pos, std::string& out) {
  out.clear();
  for (std::size_t i = pos; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') return i + 1;
    if (c == '\\' && i + 1 < line.size()) {
      const char e = line[++i];
      switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case '0': out += '\0'; break;
        default: out += e; break;  // "\\", "\"" and unknown escapes give the character itself
      }
      continue;
    }
    out += c;
  }
  return std::string::npos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "01,ab, 2" -> bytes; false on anything else.
bool ParseHexList(const std::string& text, std::string& bytes) {
  bytes.clear();
  std::size_t i = 0;
  const auto skip = [&] { while (i < text.size() && IsBlank(text[i])) ++i; };
  skip();
  if (i >= text.size()) return true;
  while (true) {
    skip();
    if (i >= text.size() || HexDigit(text[i]) < 0) return false;
    int value = HexDigit(text[i++]);
    if (i < text.size() && HexDigit(text[i]) >= 0) value = value * 16 + HexDigit(text[i++]);
    bytes += static_cast<char>(value);
    skip();
    if (i >= text.size()) return true;
    if (text[i] == ';') return true;
    if (text[i] != ',') return false;
    ++i;
    skip();
    if (i >= text.size() || text[i] == ';') return true;
  }
}

class Parser {
 public:
  Parser(bool unicode, const std::function<std::string(const std::string&)>& fromAnsi, bool regedit4)
      : unicode_(unicode), fromAnsi_(fromAnsi), regedit4_(regedit4) {}

  void Line(const std::vector<std::string>& lines, std::size_t& index, std::vector<ScriptOp>& ops) {
    const std::string line = SkipBlanks(lines[index]);
    if (line.empty() || line.front() == ';' || line.front() == '#') return;
    if (line.front() == '[') return KeyLine(line, ops);
    if (line.front() == '@' || line.front() == '"') return ValueLine(lines, index, line, ops);
  }

 private:
  void KeyLine(const std::string& line, std::vector<ScriptOp>& ops) {
    const auto close = line.rfind(']');
    ScriptOp op;
    haveKey_ = false;
    if (close == std::string::npos) return ops.push_back(op);
    std::string inside = line.substr(1, close - 1);
    bool remove = false;
    if (!inside.empty() && inside.front() == '-') {
      remove = true;
      inside.erase(0, 1);
    }
    const auto slash = inside.find('\\');
    const std::string rootName = inside.substr(0, slash);
    const auto root = RootFromName(rootName);
    if (!root || !StartsWithNoCase(rootName, "HKEY_")) return ops.push_back(op);
    op.root = *root;
    op.path = slash == std::string::npos ? std::string() : inside.substr(slash + 1);
    while (!op.path.empty() && op.path.back() == '\\') op.path.pop_back();
    if (remove) {
      op.kind = ScriptOp::Kind::DeleteKey;
      ops.push_back(op);
      return;
    }
    op.kind = ScriptOp::Kind::OpenKey;
    haveKey_ = true;
    ops.push_back(op);
  }

  void ValueLine(const std::vector<std::string>& lines, std::size_t& index, const std::string& line,
                 std::vector<ScriptOp>& ops) {
    if (!haveKey_) return;
    ScriptOp op;
    std::size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else {
      pos = Unquote(line, 1, op.name);
      if (pos == std::string::npos) return;
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '=') return;
    ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    std::string rest = line.substr(pos);

    if (rest.size() >= 1 && rest.front() == '-' && OnlyCommentLeft(rest.substr(1))) {
      op.kind = ScriptOp::Kind::DeleteValue;
      ops.push_back(op);
      return;
    }
    op.kind = ScriptOp::Kind::SetValue;
    if (!rest.empty() && rest.front() == '"') {
      std::string text;
      const auto end = Unquote(rest, 1, text);
      if (end == std::string::npos || !OnlyCommentLeft(rest.substr(end))) return;
      op.type = regtype::kString;
      op.data = StringData(text);
      ops.push_back(op);
      return;
    }
    if (StartsWithNoCase(rest, "dword:")) {
      std::string digits = rest.substr(6);
      std::size_t n = 0;
      std::uint32_t value = 0;
      while (n < digits.size() && HexDigit(digits[n]) >= 0) value = value * 16 + HexDigit(digits[n++]);
      if (n == 0 || n > 8 || !OnlyCommentLeft(digits.substr(n))) return;
      op.type = regtype::kDword;
      op.data.assign(4, '\0');
      for (int i = 0; i < 4; ++i) op.data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
      ops.push_back(op);
      return;
    }
    if (!StartsWithNoCase(rest, "hex")) return;
    std::size_t p = 3;
    op.type = regtype::kBinary;
    if (p < rest.size() && rest[p] == '(') {
      std::uint32_t type = 0;
      std::size_t digits = 0;
      for (++p; p < rest.size() && HexDigit(rest[p]) >= 0; ++p, ++digits) type = type * 16 + HexDigit(rest[p]);
      if (digits == 0 || p >= rest.size() || rest[p] != ')') return;
      ++p;
      op.type = type;
    }
    if (p >= rest.size() || rest[p] != ':') return;
    std::string list = rest.substr(p + 1);
    // A backslash at the end of the list continues it on the next line.
    while (true) {
      std::string trimmed = list;
      while (!trimmed.empty() && IsBlank(trimmed.back())) trimmed.pop_back();
      if (trimmed.empty() || trimmed.back() != '\\') break;
      trimmed.pop_back();
      if (index + 1 >= lines.size()) {
        list = trimmed;
        break;
      }
      list = trimmed + SkipBlanks(lines[++index]);
    }
    std::string bytes;
    if (!ParseHexList(list, bytes)) return;
    if (!unicode_ && regedit4_ && (op.type == regtype::kExpandString || op.type == regtype::kMultiString)) {
      // Single-byte text in the system code page, stored as UTF-16.
      bytes = Utf16LeBytes(fromAnsi_(bytes));
    }
    op.data = bytes;
    ops.push_back(op);
  }

  bool unicode_;
  const std::function<std::string(const std::string&)>& fromAnsi_;
  bool regedit4_;
  bool haveKey_ = false;
};

}  // namespace

ParsedScript ReadRegScript(const std::string& fileBytes,
                           const std::function<std::string(const std::string&)>& fromAnsi) {
  ParsedScript result;
  result.unicode = fileBytes.size() >= 2 && ((fileBytes[0] == '\xFF' && fileBytes[1] == '\xFE') ||
                                              (fileBytes[0] == '\xFE' && fileBytes[1] == '\xFF'));
  const std::vector<std::string> lines = SplitLines(DecodeTextFile(fileBytes, fromAnsi));
  if (lines.empty()) return result;
  const std::string header = Trim(lines[0]);
  const bool regedit4 = header == kRegedit4Header;
  if (!regedit4 && header != kVersion5Header) return result;
  result.recognised = true;
  Parser parser(result.unicode, fromAnsi, regedit4);
  for (std::size_t i = 1; i < lines.size(); ++i) parser.Line(lines, i, result.ops);
  return result;
}

}  // namespace qrv
