#include "registry_scan/file_probe.h"

#include "core/text.h"
#include "engine/file_ops.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"

namespace qrv {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

PathForm JudgePath(ScanContext& s, const std::string& path) {
  if (path.empty() || path.find('%') != std::string::npos) return PathForm::Unjudgeable;
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
    const bool driveThere = s.platform().GetFileAttributes(path.substr(0, 3)) != kInvalidFileAttributes;
    return driveThere ? PathForm::FullPath : PathForm::Unjudgeable;
  }
  if (path.find_first_of("\\/: ") == std::string::npos && path.find('.') != std::string::npos)
    return PathForm::BareName;
  return PathForm::Unjudgeable;
}

bool PathPresent(ScanContext& s, const std::string& path) {
  return !path.empty() && s.platform().GetFileAttributes(path) != kInvalidFileAttributes;
}

namespace {

// Every part of `text` that ends before a blank or a comma, and the whole text.
bool AnyCutIsAFile(ScanContext& s, const std::string& text) {
  for (std::size_t i = 1; i < text.size(); ++i)
    if ((text[i] == ' ' || text[i] == ',') && text[i - 1] != ' ' && FileExists(s.platform(), text.substr(0, i)))
      return true;
  return !text.empty() && FileExists(s.platform(), text);
}

}  // namespace

bool CommandTargetPresent(ScanContext& s, const std::string& text, const std::string& resolved) {
  if (PathPresent(s, resolved)) return true;
  const std::string expanded = ExpandFolderPlaceholders(s.app.folders, Trim(text));
  if (!expanded.empty() && expanded.front() == '"') {
    const auto close = expanded.find('"', 1);
    if (close != std::string::npos && close > 1 && FileExists(s.platform(), expanded.substr(1, close - 1)))
      return true;
  }
  return AnyCutIsAFile(s, ReplaceAll(expanded, "\"", "")) || AnyCutIsAFile(s, resolved);
}

std::string FileNamePart(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FoundInSystemFolders(ScanContext& s, const std::string& fileName) {
  if (fileName.empty()) return false;
  const std::string& windows = s.app.folders.WindowsFolder;
  for (const std::string& folder : {windows, windows + "System\\", windows + "System32\\"})
    if (FileExists(s.platform(), folder + fileName)) return true;
  return false;
}

bool RegisteredInAppPaths(ScanContext& s, const std::string& fileName) {
  return !fileName.empty() && fileName.find('\\') == std::string::npos &&
         KeyExists(s.platform(), RootKey::LocalMachine, kAppPathsKey + fileName);
}

std::optional<std::string> MissingFileName(ScanContext& s, const std::string& text, const std::string& resolved,
                                           bool startedByShell) {
  if (CommandTargetPresent(s, text, resolved)) return std::nullopt;
  const PathForm form = JudgePath(s, resolved);
  if (form == PathForm::Unjudgeable) return std::nullopt;
  const std::string name = FileNamePart(resolved);
  if (name.empty() || FoundInSystemFolders(s, name)) return std::nullopt;
  if (startedByShell && form == PathForm::BareName && RegisteredInAppPaths(s, name)) return std::nullopt;
  return name;
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

bool KeyIsAbsent(RegistryView& view, RootKey root, const std::string& keyPath) {
  RegHandle key = 0;
  const long result = view.RegOpenKeyEx(root, RegistryPath(keyPath), RegAccess::Read, key);
  if (result == kErrorSuccess) view.RegCloseKey(key);
  return result == kErrorFileNotFound;
}

}  // namespace qrv
