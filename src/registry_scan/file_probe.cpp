#include "registry_scan/file_probe.h"

#include "engine/text.h"
#include "engine/file_ops.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"

namespace qrv {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters no file name holds (a colon only after the drive): such a path is
// a pattern or something else, and its absence proves nothing.
bool HoldsForbiddenCharacter(const std::string& path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (c < 32 || (path[i] == ':' && i != 1)) return true;
    if (std::string_view("*?\"<>|").find(path[i]) != std::string_view::npos) return true;
  }
  return false;
}

// On 64-bit Windows "System32" has two faces, the native folder and the 32-bit
// one. Keys that the two registry views share hold registrations of both
// kinds under the same name, so a path in the system folder is there when it
// is there in either face; only one gone from both is surely gone.
std::string OtherFace(ScanContext& s, const std::string& path) {
  const FolderSet& f = s.app.folders;
  const std::string system = f.WindowsFolder + "System32\\";
  if (f.OtherSystemFolder.empty() || path.size() <= system.size() ||
      !EqualsNoCase(std::string_view(path).substr(0, system.size()), system))
    return {};
  return f.OtherSystemFolder + path.substr(system.size());
}

bool IsThere(ScanContext& s, const std::string& path) {
  if (path.empty()) return false;
  if (s.platform().GetFileAttributes(path) != kInvalidFileAttributes) return true;
  const std::string other = OtherFace(s, path);
  return !other.empty() && s.platform().GetFileAttributes(other) != kInvalidFileAttributes;
}

bool FileThere(ScanContext& s, const std::string& path) {
  if (FileExists(s.platform(), path)) return true;
  const std::string other = OtherFace(s, path);
  return !other.empty() && FileExists(s.platform(), other);
}

// Something answers to `path`: a file or folder, a program that an extension
// completes, or a file of its name in the Windows folders.
bool AnswersTo(ScanContext& s, const std::string& path) {
  if (path.empty()) return false;
  if (IsThere(s, path)) return true;
  const std::string name = FileNamePart(path);
  if (FoundInWindowsFolders(s, name)) return true;
  if (name.empty() || name.find('.') != std::string::npos) return false;
  for (const char* extension : {".EXE", ".COM", ".BAT", ".CMD"})
    if (FileThere(s, path + extension) || FoundInWindowsFolders(s, name + extension)) return true;
  return false;
}

// The whole text, or a part of it that ends before a blank or a comma.
bool AnyCutAnswers(ScanContext& s, const std::string& text) {
  for (std::size_t i = 1; i < text.size(); ++i)
    if ((text[i] == ' ' || text[i] == ',') && text[i - 1] != ' ' && AnswersTo(s, text.substr(0, i))) return true;
  return AnswersTo(s, text);
}

}  // namespace

bool JudgeableFullPath(ScanContext& s, const std::string& path) {
  if (path.size() < 4 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') return false;
  if (path.find('%') != std::string::npos || HoldsForbiddenCharacter(path)) return false;
  const std::string root = path.substr(0, 3);
  return s.platform().GetDriveType(root) == kDriveFixed && IsThere(s, root);
}

bool IsBareFileName(const std::string& path) {
  return path.find_first_of("\\/: \t%") == std::string::npos && path.find('.') != std::string::npos &&
         !HoldsForbiddenCharacter(path);
}

std::string FileNamePart(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FoundInWindowsFolders(ScanContext& s, const std::string& fileName) {
  if (fileName.empty()) return false;
  const std::string& windows = s.app.folders.WindowsFolder;
  for (const std::string& folder : {windows, windows + "System\\", windows + "System32\\"})
    if (FileThere(s, folder + fileName)) return true;
  return false;
}

bool RegisteredInAppPaths(ScanContext& s, const std::string& fileName) {
  return !fileName.empty() && fileName.find('\\') == std::string::npos &&
         KeyExists(s.platform(), RootKey::LocalMachine, kAppPathsKey + fileName);
}

FileState PathState(ScanContext& s, const std::string& path) {
  if (path.empty()) return FileState::Unknown;
  if (IsThere(s, path)) return FileState::Present;
  return JudgeableFullPath(s, path) ? FileState::Missing : FileState::Unknown;
}

FileState CommandState(ScanContext& s, const std::string& text, const std::string& resolved, BareNames bareNames) {
  if (resolved.empty()) return FileState::Unknown;
  const std::string expanded = ExpandFolderPlaceholders(s.app.folders, Trim(text));
  if (!expanded.empty() && expanded.front() == '"') {
    const auto close = expanded.find('"', 1);
    if (close != std::string::npos && AnswersTo(s, expanded.substr(1, close - 1))) return FileState::Present;
  }
  if (AnyCutAnswers(s, resolved) || AnyCutAnswers(s, ReplaceAll(expanded, "\"", ""))) return FileState::Present;
  if (JudgeableFullPath(s, resolved)) return FileState::Missing;
  if (bareNames == BareNames::NotJudged || !IsBareFileName(resolved)) return FileState::Unknown;
  if (bareNames == BareNames::InWindowsFoldersOrAppPaths && RegisteredInAppPaths(s, resolved))
    return FileState::Present;
  return FileState::Missing;
}

bool KeyIsAbsent(RegistryView& view, RootKey root, const std::string& keyPath) {
  RegHandle key = 0;
  const long result = view.RegOpenKeyEx(root, RegistryPath(keyPath), RegAccess::Read, key);
  if (result == kErrorSuccess) view.RegCloseKey(key);
  return result == kErrorFileNotFound;
}

}  // namespace qrv
