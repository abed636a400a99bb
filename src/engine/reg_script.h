#pragma once
// Registry scripts in the text format of the Windows registry editor.
// RegScript is the one place where script lines are made: every name and
// string is escaped here, and a name that no line can express exactly
// (one holding a carriage return, line feed or zero character) is refused.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform.h"

namespace qrv {

struct RegValue;

enum class ScriptFlavour {
  Regedit4,  // "REGEDIT4": fix scripts, written in the system code page
  Version5,  // "Windows Registry Editor Version 5.00": undo files, UTF-16
};

inline constexpr const char* kRegedit4Header = "REGEDIT4";
inline constexpr const char* kVersion5Header = "Windows Registry Editor Version 5.00";

// Doubles every backslash.
std::string EscapeBackslashes(const std::string& text);
// A name or string datum as it stands between the quotes of a script line:
// backslashes doubled, double quotes preceded by a backslash.
std::string EscapeScriptText(const std::string& text);
// Whether a script line can hold this name or key path exactly.
bool ExpressibleInScript(const std::string& text);

class RegScript {
 public:
  explicit RegScript(ScriptFlavour flavour) : flavour_(flavour) {}

  ScriptFlavour Flavour() const { return flavour_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  std::size_t Size() const { return lines_.size(); }
  bool Empty() const { return lines_.empty(); }
  // More than the header and its empty line.
  bool HoldsEntries() const { return lines_.size() > 2; }

  void Clear() { lines_.clear(); }
  // Clears the script and writes its header and one empty line.
  void Start();
  void AddBlank() { lines_.emplace_back(); }

  // Key paths start with a backslash and are appended to the root name as they
  // are (a trailing backslash stays). False, and nothing added, when refused.
  bool AddKey(RootKey root, const std::string& keyPath);
  bool AddDeleteKey(RootKey root, const std::string& keyPath);
  // An empty name stands for the key's unnamed value ("@").
  bool AddDeleteValue(const std::string& name);
  bool AddString(const std::string& name, const std::string& text);
  bool AddDword(const std::string& name, std::uint32_t value);
  // "hex:" for binary, "hex(N):" for every other type.
  bool AddHex(const std::string& name, std::uint32_t type, const std::string& bytes);
  // A value exactly as stored, in the form the registry editor's own export
  // uses for its type, so that importing the line restores type and data.
  bool AddValue(const std::string& name, const RegValue& value);
  // A value line (or lines) exactly as the registry editor's export ("/e",
  // second flavour) writes it: the unnamed value as "@" for every type,
  // hexadecimal digits in lower case, and a hex list that reaches the
  // editor's width continued on the next line after a backslash. Where the
  // editor's own line would not import back to the stored bytes (a string
  // without its terminating zero, with a zero or a line end inside, a DWORD
  // that is not four bytes long), the hex form of the type is written instead.
  // False, and nothing added, for the first flavour or a name no line can hold.
  bool AddExportedValue(const std::string& name, const RegValue& value);

  // Lines the registry editor wrote itself (a key's export), taken as they are.
  void AppendExported(const std::vector<std::string>& lines);

 private:
  // The unnamed value is "@" in string and deletion lines, "" elsewhere.
  std::string NamePart(const std::string& name, bool atForUnnamed) const;
  ScriptFlavour flavour_;
  std::vector<std::string> lines_;
};

}  // namespace qrv
