#include "engine/fix_script.h"

#include <optional>
#include <utility>

#include "engine/text.h"
#include "engine/backup.h"
#include "engine/file_ops.h"
#include "engine/reg_script_reader.h"
#include "engine/registry_ops.h"

namespace qrv {

std::string FixScriptFile(const FolderSet& folders) { return folders.UndoFolder + "\\" + kFixScriptName; }

std::string RegistryEditorPath(Platform& platform, const std::string& windowsFolder) {
  // Windows' own regedit.exe is the native (64-bit) editor there; its 32-bit
  // twin in SysWOW64 reads and writes the view a 32-bit program sees.
  return windowsFolder + (platform.IsWow64() ? "SysWOW64\\regedit.exe" : "regedit.exe");
}

bool RunRegistryEditor(Platform& platform, const FolderSet& folders, const std::string& arguments) {
  if (folders.RegistryEditor.empty()) return false;
  return platform.CreateProcessAndWait(folders.RegistryEditor, arguments);
}

namespace {

// Upper-case, full root name, single backslashes, none at the end.
std::string NormalisedKey(std::string key) {
  key = UpperCaseText(key);
  std::string out;
  for (char c : key)
    if (!(c == '\\' && (out.empty() || out.back() == '\\'))) out += c;
  while (!out.empty() && out.back() == '\\') out.pop_back();
  const auto slash = out.find('\\');
  if (const auto root = RootFromName(out.substr(0, slash)))
    out = RootName(*root) + (slash == std::string::npos ? std::string() : out.substr(slash));
  return out;
}

constexpr const char* kProtectedKeys[] = {
    "HKEY_CLASSES_ROOT\\CLSID",
    "HKEY_CLASSES_ROOT\\INTERFACE",
    "HKEY_CLASSES_ROOT\\TYPELIB",
    "HKEY_CLASSES_ROOT\\APPLICATIONS",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\CLSID",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\INTERFACE",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\TYPELIB",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\APPLICATIONS",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHAREDDLLS",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN",
    "HKEY_CURRENT_USER\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\HELP",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\FONTS",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\FONTS",
    "HKEY_CURRENT_USER\\APPEVENTS\\SCHEMES\\APPS\\.DEFAULT",
    "HKEY_LOCAL_MACHINE\\SOFTWARE",
    "HKEY_CURRENT_USER\\SOFTWARE",
    "HKEY_CLASSES_ROOT\\*",
    "HKEY_USERS\\.DEFAULT",
    "HKEY_CURRENT_USER\\CONTROL PANEL",
    "HKEY_LOCAL_MACHINE\\SYSTEM",
};

// Where 64-bit Windows keeps a 32-bit view of a branch: below each of these
// lies a "Wow6432Node" that mirrors the branch.
constexpr const char* kViewParents[] = {
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES",
    "HKEY_CURRENT_USER\\SOFTWARE\\CLASSES",
    "HKEY_LOCAL_MACHINE\\SOFTWARE",
    "HKEY_CURRENT_USER\\SOFTWARE",
    "HKEY_CLASSES_ROOT",
};

// The protected keys, each also in the 32-bit view and in the per-user
// classes that HKEY_CLASSES_ROOT merges.
const std::vector<std::string>& ProtectedKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> list(std::begin(kProtectedKeys), std::end(kProtectedKeys));
    const std::string classesRoot = "HKEY_CLASSES_ROOT";
    for (const char* key : kProtectedKeys) {
      const std::string k = key;
      if (k.compare(0, classesRoot.size() + 1, classesRoot + "\\") == 0)
        list.push_back("HKEY_CURRENT_USER\\SOFTWARE\\CLASSES" + k.substr(classesRoot.size()));
    }
    const std::size_t native = list.size();
    for (std::size_t i = 0; i < native; ++i) {
      const std::string k = list[i];
      for (const char* parent : kViewParents) {
        const std::string p = parent;
        if (k.size() > p.size() && k.compare(0, p.size(), p) == 0 && k[p.size()] == '\\') {
          list.push_back(p + "\\WOW6432NODE" + k.substr(p.size()));
          break;  // the longest parent: CLASSES before SOFTWARE
        }
      }
    }
    for (const char* parent : kViewParents) list.push_back(std::string(parent) + "\\WOW6432NODE");
    return list;
  }();
  return keys;
}

bool IsProtected(const std::string& target) {
  if (target.find('\\') == std::string::npos) return true;  // a root, known or not
  for (const std::string& k : ProtectedKeys()) {
    // The key itself, or any key above it: deleting either wipes the branch.
    if (k == target || (k.size() > target.size() && k.compare(0, target.size(), target) == 0 &&
                        k[target.size()] == '\\'))
      return true;
  }
  return false;
}

}  // namespace

namespace {

// The keys the script's deletion lines name, normalised.
std::vector<std::string> DeletedKeys(const RegScript& script) {
  std::vector<std::string> keys;
  for (const std::string& raw : script.Lines()) {
    std::string line = Trim(raw);
    if (line.size() < 2 || line[0] != '[' || line[1] != '-') continue;
    const auto close = line.rfind(']');
    std::string target = line.substr(2, close == std::string::npos || close < 2 ? std::string::npos : close - 2);
    keys.push_back(NormalisedKey(Trim(target)));
  }
  return keys;
}

}  // namespace

bool DeletesProtectedKey(const RegScript& script) {
  for (const std::string& key : DeletedKeys(script))
    if (IsProtected(key)) return true;
  return false;
}

bool DeletesTooLargeBranch(RegistryView& registry, const RegScript& script) {
  for (const std::string& key : DeletedKeys(script)) {
    const auto slash = key.find('\\');
    const auto root = RootFromName(key.substr(0, slash));
    if (!root || slash == std::string::npos) return true;
    if (CountKeys(registry, *root, key.substr(slash), kMaxKeysPerDeletion) > kMaxKeysPerDeletion) return true;
  }
  return false;
}

std::string FixScriptBytes(Platform& platform, const RegScript& script) {
  std::string ansi;
  bool exact = true;
  for (const std::string& line : script.Lines()) {
    bool lineExact = true;
    ansi += platform.ToAnsi(line, &lineExact) + "\r\n";
    exact = exact && lineExact;
  }
  if (exact) return ansi;
  std::string text;
  for (std::size_t i = 0; i < script.Lines().size(); ++i) {
    const std::string& line = script.Lines()[i];
    text += (i == 0 && line == kRegedit4Header ? std::string(kVersion5Header) : line) + "\r\n";
  }
  return "\xFF\xFE" + Utf16LeBytes(text);
}

namespace {

// Writes the script and has the registry editor import it, once the guards
// have let it pass.
ApplyResult WriteAndImport(Platform& platform, const FolderSet& folders, const RegScript& script) {
  const std::string file = FixScriptFile(folders);
  if (FileExists(platform, file)) platform.DeleteFile(file);
  if (!platform.WriteFile(file, FixScriptBytes(platform, script))) return ApplyResult::NotWritten;
  platform.Sleep(1000);
  // The leading blank stands for the program name, so that "/s" reaches the editor.
  if (!RunRegistryEditor(platform, folders, " /s \"" + file + "\"")) return ApplyResult::NotStarted;
  return ApplyResult::Imported;
}

}  // namespace

ApplyResult ApplyFixScript(Platform& platform, const FolderSet& folders, const RegScript& script) {
  if (DeletesProtectedKey(script)) return ApplyResult::Refused;
  if (DeletesTooLargeBranch(platform, script)) return ApplyResult::TooLarge;
  return WriteAndImport(platform, folders, script);
}


RepairResult LogBackUpAndApply(Platform& platform, FolderSet& folders, const std::vector<std::string>& displayLines,
                               const RegScript& undo, const RegScript& fix) {
  RepairResult result;
  if (DeletesProtectedKey(fix)) return result;
  if (DeletesTooLargeBranch(platform, fix)) {
    result.outcome = RepairOutcome::TooLarge;
    return result;
  }
  const SavedFile log = WriteLog(platform, folders, displayLines);
  if (!log.ok) {
    result.outcome = RepairOutcome::LogNotWritten;
    return result;
  }
  result.logPath = log.path;
  const SavedFile saved = SaveUndoScript(platform, folders, undo);
  if (!saved.ok) {
    result.outcome = RepairOutcome::UndoNotWritten;
    return result;
  }
  result.undoPath = saved.path;
  // The guards above have passed: the branches are counted once.
  switch (WriteAndImport(platform, folders, fix)) {
    case ApplyResult::Imported:
      result.outcome = RepairOutcome::Imported;
      result.gone = FindingsGone(platform, fix);
      break;
    case ApplyResult::Refused: result.outcome = RepairOutcome::Refused; break;
    case ApplyResult::TooLarge: result.outcome = RepairOutcome::TooLarge; break;
    case ApplyResult::NotWritten: result.outcome = RepairOutcome::ScriptNotWritten; break;
    case ApplyResult::NotStarted: result.outcome = RepairOutcome::EditorNotStarted; break;
  }
  return result;
}

std::size_t RepairResult::GoneCount() const {
  std::size_t count = 0;
  for (const bool g : gone) count += g ? 1 : 0;
  return count;
}

std::vector<std::vector<std::string>> ScriptFindings(const RegScript& script) {
  std::vector<std::vector<std::string>> findings;
  const std::vector<std::string>& lines = script.Lines();
  std::vector<std::string> current;
  // The header and its empty line come first.
  for (std::size_t i = lines.size() >= 2 ? 2 : lines.size(); i < lines.size(); ++i) {
    if (!lines[i].empty()) {
      current.push_back(lines[i]);
    } else if (!current.empty()) {
      findings.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) findings.push_back(std::move(current));
  return findings;
}

namespace {

bool FindingGone(RegistryView& registry, const std::string& header, const std::vector<std::string>& lines) {
  // The lines are the program's own (UTF-8) text: read without conversion.
  std::string text = header + "\r\n\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  const ParsedScript parsed = ReadRegScript(text, [](const std::string& bytes) { return bytes; });
  if (!parsed.recognised) return false;
  std::optional<std::pair<RootKey, std::string>> open;
  for (const ScriptOp& op : parsed.ops) {
    const std::string path = "\\" + op.path;
    switch (op.kind) {
      case ScriptOp::Kind::OpenKey: open = std::make_pair(op.root, path); break;
      case ScriptOp::Kind::NoKey: open.reset(); break;
      case ScriptOp::Kind::DeleteKey:
        open.reset();
        if (KeyExists(registry, op.root, path)) return false;
        break;
      case ScriptOp::Kind::DeleteValue:
        if (open && ValueExists(registry, open->first, open->second, op.name)) return false;
        break;
      case ScriptOp::Kind::SetValue: {
        if (!open) return false;
        const std::optional<RegValue> value = ReadValue(registry, open->first, open->second, op.name);
        if (!value || value->type != op.type || value->data != op.data) return false;
        break;
      }
    }
  }
  return true;
}

}  // namespace

std::vector<bool> FindingsGone(RegistryView& registry, const RegScript& script) {
  const std::string header = script.Lines().empty() ? std::string(kRegedit4Header) : script.Lines().front();
  std::vector<bool> gone;
  for (const std::vector<std::string>& finding : ScriptFindings(script))
    gone.push_back(FindingGone(registry, header, finding));
  return gone;
}

std::vector<std::string> LinesLeft(const std::vector<std::string>& displayLines, const std::vector<bool>& gone) {
  std::vector<std::string> left;
  if (gone.size() != displayLines.size()) {
    for (const bool g : gone)
      if (!g) return displayLines;
    return left;
  }
  for (std::size_t i = 0; i < displayLines.size(); ++i)
    if (!gone[i]) left.push_back(displayLines[i]);
  return left;
}

}  // namespace qrv
