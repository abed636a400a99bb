#include "engine/reg_script.h"

#include "engine/text.h"
#include "engine/registry_ops.h"

namespace qrv {

std::string EscapeBackslashes(const std::string& text) { return ReplaceAll(text, "\\", "\\\\"); }

std::string EscapeScriptText(const std::string& text) {
  return ReplaceAll(EscapeBackslashes(text), "\"", "\\\"");
}

bool ExpressibleInScript(const std::string& text) {
  return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

void RegScript::Start() {
  lines_.clear();
  lines_.emplace_back(flavour_ == ScriptFlavour::Regedit4 ? kRegedit4Header : kVersion5Header);
  lines_.emplace_back();
}

namespace {

bool UsableKeyPath(const std::string& keyPath) {
  return !keyPath.empty() && keyPath.front() == '\\' && ExpressibleInScript(keyPath);
}

std::string HexList(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i) out += ',';
    out += HexByte(static_cast<std::uint8_t>(bytes[i]));
  }
  return out;
}

std::string TypeTag(std::uint32_t type) {
  static constexpr char kDigits[] = "0123456789abcdef";
  if (type == regtype::kBinary) return "hex";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[type & 0xF]);
    type >>= 4;
  } while (type != 0);
  return "hex(" + digits + ")";
}

// The text of string data that reads back to the very same bytes, and that a
// quoted text can hold.
bool StoredAsText(const std::string& data, std::string& text) {
  text = TextOfStringData(data);
  return StringData(text) == data && ExpressibleInScript(text);
}

bool FourByteDword(const RegValue& value, std::uint32_t& v) {
  if (value.type != regtype::kDword || value.data.size() != 4) return false;
  v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(value.data[i]);
  return true;
}

std::string EightDigits(std::uint32_t value, const char* digits) {
  std::string out;
  for (int shift = 28; shift >= 0; shift -= 4) out += digits[(value >> shift) & 0xF];
  return out;
}

// The registry editor's export breaks a hex list after the comma that brings
// the line (counted in UTF-16 characters) to this width or beyond, and
// indents the continuation by two blanks.
constexpr std::size_t kExportWidth = 77;

}  // namespace

bool RegScript::AddKey(RootKey root, const std::string& keyPath) {
  if (!UsableKeyPath(keyPath)) return false;
  lines_.push_back("[" + std::string(RootName(root)) + keyPath + "]");
  return true;
}

bool RegScript::AddDeleteKey(RootKey root, const std::string& keyPath) {
  if (!UsableKeyPath(keyPath)) return false;
  lines_.push_back("[-" + std::string(RootName(root)) + keyPath + "]");
  return true;
}

std::string RegScript::NamePart(const std::string& name, bool atForUnnamed) const {
  if (name.empty() && atForUnnamed) return "@";
  return "\"" + EscapeScriptText(name) + "\"";
}

bool RegScript::AddDeleteValue(const std::string& name) {
  if (!ExpressibleInScript(name)) return false;
  lines_.push_back(NamePart(name, true) + "=-");
  return true;
}

bool RegScript::AddString(const std::string& name, const std::string& text) {
  if (!ExpressibleInScript(name)) return false;
  if (!ExpressibleInScript(text)) {
    // A string holding line ends only survives as its stored bytes, and only
    // the second flavour reads such bytes the same on every system.
    if (flavour_ != ScriptFlavour::Version5) return false;
    return AddHex(name, regtype::kString, StringData(text));
  }
  lines_.push_back(NamePart(name, true) + "=\"" + EscapeScriptText(text) + "\"");
  return true;
}

bool RegScript::AddDword(const std::string& name, std::uint32_t value) {
  if (!ExpressibleInScript(name)) return false;
  lines_.push_back(NamePart(name, false) + "=dword:" + EightDigits(value, "0123456789ABCDEF"));
  return true;
}

bool RegScript::AddHex(const std::string& name, std::uint32_t type, const std::string& bytes) {
  if (!ExpressibleInScript(name)) return false;
  // A single-byte file gives the bytes of the text types in the system code
  // page, not as stored; the first flavour, written that way, never holds them.
  if (flavour_ == ScriptFlavour::Regedit4 &&
      (type == regtype::kString || type == regtype::kExpandString || type == regtype::kMultiString))
    return false;
  lines_.push_back(NamePart(name, false) + "=" + TypeTag(type) + ":" + HexList(bytes));
  return true;
}

bool RegScript::AddValue(const std::string& name, const RegValue& value) {
  std::string text;
  std::uint32_t dword = 0;
  // Only a string that reads back to the very same bytes is written as text.
  if (value.type == regtype::kString && StoredAsText(value.data, text)) return AddString(name, text);
  if (FourByteDword(value, dword)) return AddDword(name, dword);
  return AddHex(name, value.type, value.data);
}

bool RegScript::AddExportedValue(const std::string& name, const RegValue& value) {
  if (flavour_ != ScriptFlavour::Version5 || !ExpressibleInScript(name)) return false;
  const std::string namePart = NamePart(name, true) + "=";
  std::string text;
  std::uint32_t dword = 0;
  if (value.type == regtype::kString && StoredAsText(value.data, text)) {
    lines_.push_back(namePart + "\"" + EscapeScriptText(text) + "\"");
    return true;
  }
  if (FourByteDword(value, dword)) {
    lines_.push_back(namePart + "dword:" + EightDigits(dword, "0123456789abcdef"));
    return true;
  }
  const std::string tag = TypeTag(value.type) + ":";
  std::string line = namePart + tag;
  std::size_t width = Utf8ToUtf16(namePart).size() + tag.size();
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(value.data[i]);
    line += "0123456789abcdef"[byte >> 4];
    line += "0123456789abcdef"[byte & 0xF];
    if (i + 1 == value.data.size()) break;
    line += ',';
    width += 3;
    if (width >= kExportWidth) {
      lines_.push_back(line + "\\");
      line = "  ";
      width = 2;
    }
  }
  lines_.push_back(line);
  return true;
}

void RegScript::AppendExported(const std::vector<std::string>& lines) {
  lines_.insert(lines_.end(), lines.begin(), lines.end());
}

}  // namespace qrv
