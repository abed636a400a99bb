#include "cleaning/file_walk.h"

#include <optional>
#include <unordered_set>

#include "engine/recovery.h"
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

bool IsInOwnFolder(const FolderSet& folders, const std::string& path) {
  if (IsInRecoveryFolder(folders, path)) return true;
  const std::string upper = UpperCaseText(WithTrailingBackslash(path));
  for (const std::string* own : {&folders.ProgramFolder, &folders.LogFolder, &folders.UndoFolder}) {
    std::string folder = UpperCaseText(*own);
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    if (folder.size() < 3) continue;  // none, or a drive's root
    folder += '\\';
    if (upper.compare(0, folder.size(), folder) == 0) return true;
  }
  return false;
}

std::vector<FileEntry> ListFolder(ScanContext& s, const std::string& folder) {
  if (folder.size() < 3 || !ListableFolder(folder) || IsInOwnFolder(s.app.folders, folder)) return {};
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

FileSystem::Deletion DeleteListedFile(ScanContext& s, const std::string& path, bool archiveOnly) {
  if (!Addressable(path) || IsInOwnFolder(s.app.folders, path)) return FileSystem::Deletion::NotThatFile;
  return s.platform().DeleteFileItself(path, archiveOnly);
}

RemovalResult RemoveListedFiles(ScanContext& s, const std::vector<std::string>& paths, const RemovalPolicy& policy,
                                const std::vector<bool>& ticked,
                                const std::function<void(std::size_t deleted)>& deletedOne) {
  RemovalResult result;
  const auto isTicked = [&](std::size_t i) { return ticked.empty() || (i < ticked.size() && ticked[i]); };
  // A kept removal plans every ticked file that may be moved before the first moves.
  std::optional<RecoveryRemoval> recovery;
  std::vector<std::size_t> planIndex(paths.size(), 0);
  if (policy.removedFiles == RemovedFiles::Kept) {
    std::vector<std::string> planned;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (!isTicked(i) || !Addressable(paths[i]) || IsInOwnFolder(s.app.folders, paths[i])) continue;
      planIndex[i] = planned.size() + 1;
      planned.push_back(paths[i]);
    }
    if (!planned.empty()) recovery.emplace(s.platform(), s.app.folders, planned);
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    s.host.ProcessMessages();
    if (policy.stopsOnCancel && !s.app.CancelFlag) continue;
    if (!isTicked(i)) continue;
    const std::string& path = paths[i];
    FileSystem::Deletion outcome = FileSystem::Deletion::NotThatFile;
    if (policy.removedFiles == RemovedFiles::Deleted)
      outcome = DeleteListedFile(s, path, policy.readOnly == ReadOnlyFiles::Go);
    else if (planIndex[i] != 0)
      outcome = recovery->Move(planIndex[i] - 1);
    switch (outcome) {
      case FileSystem::Deletion::Deleted:
        ++result.deleted;
        if (deletedOne) deletedOne(result.deleted);
        break;
      case FileSystem::Deletion::NotFound: break;  // gone since the search
      default: result.failed.push_back(path); break;
    }
  }
  if (recovery) result.log = recovery->Finish();
  return result;
}

}  // namespace qrv
