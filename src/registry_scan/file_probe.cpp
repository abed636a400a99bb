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

bool KeyIsAbsent(RegistryView& view, RootKey root, const std::string& keyPath) {
  RegHandle key = 0;
  const long result = view.RegOpenKeyEx(root, RegistryPath(keyPath), RegAccess::Read, key);
  if (result == kErrorSuccess) view.RegCloseKey(key);
  return result == kErrorFileNotFound;
}

}  // namespace qrv
