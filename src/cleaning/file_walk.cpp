#include "cleaning/file_walk.h"

#include <unordered_set>

#include "engine/text.h"

namespace qrv {

bool IsDotEntry(const FileEntry& entry) { return entry.name == "." || entry.name == ".."; }
bool IsFolderEntry(const FileEntry& entry) { return (entry.attributes & kAttributeDirectory) != 0; }
bool IsReparsePoint(const FileEntry& entry) { return (entry.attributes & kAttributeReparsePoint) != 0; }
bool IsWalkableFolder(const FileEntry& entry) {
  return IsFolderEntry(entry) && !IsReparsePoint(entry) && !IsDotEntry(entry) && !entry.name.empty();
}
bool IsPlainFile(const FileEntry& entry) { return !IsFolderEntry(entry) && !IsReparsePoint(entry); }

bool Addressable(const std::string& path) { return Utf8ToUtf16(path).size() < kMaxPath; }

bool ListableFolder(const std::string& folder) { return Addressable(WithTrailingBackslash(folder) + "*.*"); }

std::vector<FileEntry> ListFolder(ScanContext& s, const std::string& folder) {
  if (folder.size() < 3 || !ListableFolder(folder)) return {};
  return s.platform().FindFiles(folder);
}

std::string UpperExtension(const std::string& name) {
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : UpperCaseText(name.substr(dot));
}

std::string NamePart(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool PathHoldsProtectedWord(const std::string& upperPath) {
  for (const char* word : {"MICROSOFT", "WIN", "OFFICE", "SYNC", "SETUP"})
    if (upperPath.find(word) != std::string::npos) return true;
  return false;
}

bool IsProtectedBackupName(const std::string& upperName) {
  return upperName == "DATA.BAK" || upperName == "CUSTOM.BAK" || upperName == "OPA11.BAK";
}

void RemoveRepeats(std::vector<std::string>& paths) {
  std::unordered_set<std::string> seen;
  std::vector<std::string> kept;
  kept.reserve(paths.size());
  for (std::string& path : paths)
    if (seen.insert(UpperCaseText(path)).second) kept.push_back(std::move(path));
  paths = std::move(kept);
}

RemovalResult RemoveListedFiles(ScanContext& s, const std::vector<std::string>& paths, const std::vector<bool>& ticked,
                                const std::function<void(std::size_t deleted)>& deletedOne) {
  RemovalResult result;
  FileSystem& files = s.platform();
  for (std::size_t i = 0; i < paths.size(); ++i) {
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) continue;
    if (!ticked.empty() && (i >= ticked.size() || !ticked[i])) continue;
    const std::string& path = paths[i];
    const std::uint32_t attributes = files.GetFileAttributes(path);
    if (attributes == kInvalidFileAttributes) continue;
    if ((attributes & (kAttributeDirectory | kAttributeReparsePoint)) != 0 || !Addressable(path)) {
      result.failed.push_back(path);
      continue;
    }
    files.SetFileAttributes(path, kAttributeArchive);
    if (files.DeleteFile(path) == kErrorSuccess) {
      ++result.deleted;
      if (deletedOne) deletedOne(result.deleted);
    } else {
      files.SetFileAttributes(path, attributes);
      result.failed.push_back(path);
    }
  }
  return result;
}

}  // namespace qrv
