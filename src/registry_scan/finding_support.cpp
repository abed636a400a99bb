#include "registry_scan/finding_support.h"

#include "engine/backup.h"
#include "engine/file_ops.h"
#include "engine/fix_script.h"

namespace qrv {

PendingFinding::PendingFinding(ScanContext& s, int slot, const std::string& displayLine)
    : s_(s), slot_(slot), display_(OneLine(displayLine)) {}

void PendingFinding::DeleteKey(RootKey root, const std::string& keyPath) {
  if (sound_) sound_ = fix_.AddDeleteKey(root, keyPath);
}

void PendingFinding::DeleteValue(RootKey root, const std::string& keyPath, const std::string& name) {
  if (sound_) sound_ = fix_.AddKey(root, keyPath) && fix_.AddDeleteValue(name);
}

void PendingFinding::SetDefault(RootKey root, const std::string& keyPath, const std::string& text) {
  if (sound_) sound_ = fix_.AddKey(root, keyPath) && fix_.AddString("", text);
}

void PendingFinding::BackUpKey(RootKey root, const std::string& keyPath) {
  backups_.push_back({root, keyPath, {}, true});
}

void PendingFinding::BackUpValue(RootKey root, const std::string& keyPath, const std::string& name) {
  backups_.push_back({root, keyPath, name, false});
}

bool PendingFinding::Commit(bool alsoTempValues) {
  if (!sound_ || fix_.Empty() || backups_.empty() || DeletesProtectedKey(fix_)) return false;
  RegScript undo(ScriptFlavour::Version5);
  for (const Backup& b : backups_) {
    const bool taken = b.wholeKey ? BackupKey(s_.platform(), s_.app.folders, undo, b.root, b.keyPath)
                                  : BackupValue(s_.platform(), undo, b.root, b.keyPath, b.name);
    if (!taken) return false;
  }
  AddFinding(s_, slot_, display_);
  s_.app.UndoScript.AppendExported(undo.Lines());
  s_.app.FixScript.AppendExported(fix_.Lines());
  s_.app.FixScript.AddBlank();
  if (alsoTempValues) {
    s_.app.TempValueScript.AppendExported(fix_.Lines());
    s_.app.TempValueScript.AddBlank();
  }
  return true;
}

bool UsableKeyName(const std::string& name) {
  return !name.empty() && name.find('\\') == std::string::npos && ExpressibleInScript(name);
}

std::string FileNotFoundLine(ScanContext& s, const std::string& what) {
  return s.Text(TextId::Action2FileNotFound) + ": " + what;
}

std::string RelationNotFoundLine(ScanContext& s, const std::string& what) {
  return s.Text(TextId::Action2RelationNotFound) + " " + what;
}

bool FoundInWindowsFolders(ScanContext& s, const std::string& fileName) {
  if (fileName.empty()) return false;
  const std::string& windows = s.app.folders.WindowsFolder;
  return FileExists(s.platform(), windows + fileName) || FileExists(s.platform(), windows + "System\\" + fileName) ||
         FileExists(s.platform(), windows + "System32\\" + fileName);
}

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsFullPath(const std::string& path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

// Whether a missing file at this path can be told from one we cannot see.
bool Judgeable(ScanContext& s, const std::string& path) {
  if (path.find('%') != std::string::npos || !IsFullPath(path)) return false;
  return s.platform().GetDriveType(path.substr(0, 3)) == kDriveFixed;
}

bool IsBareName(const std::string& path) { return path.find_first_of(":\\/") == std::string::npos; }

std::string NamePart(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FileOrProgramExists(ScanContext& s, const std::string& path, bool foldersCount) {
  if (path.empty()) return false;
  if (FileExists(s.platform(), path) || FoundInWindowsFolders(s, NamePart(path))) return true;
  if (foldersCount && FolderExists(s.platform(), path)) return true;
  if (NamePart(path).find('.') != std::string::npos) return false;
  for (const char* extension : {".EXE", ".COM", ".BAT", ".CMD"}) {
    const std::string program = path + extension;
    if (FileExists(s.platform(), program) || FoundInWindowsFolders(s, NamePart(program))) return true;
  }
  return false;
}

}  // namespace

FileState PathState(ScanContext& s, const std::string& path) {
  if (path.empty()) return FileState::Unknown;
  if (FileExists(s.platform(), path)) return FileState::Present;
  return Judgeable(s, path) ? FileState::Missing : FileState::Unknown;
}

FileState CommandState(ScanContext& s, const std::string& resolved, bool foldersCount) {
  if (resolved.empty()) return FileState::Unknown;
  if (FileOrProgramExists(s, resolved, foldersCount)) return FileState::Present;
  // The program may end at any blank, the rest being its arguments.
  for (std::size_t blank = resolved.find(' '); blank != std::string::npos; blank = resolved.find(' ', blank + 1)) {
    std::string head = resolved.substr(0, blank);
    while (!head.empty() && head.back() == ' ') head.pop_back();
    if (FileOrProgramExists(s, head, foldersCount)) return FileState::Present;
  }
  if (resolved.find('%') != std::string::npos) return FileState::Unknown;
  if (IsBareName(resolved)) return FileState::Missing;
  return Judgeable(s, resolved) ? FileState::Missing : FileState::Unknown;
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return text;
}

}  // namespace qrv
