#include "engine/recovery.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "engine/backup.h"
#include "engine/file_ops.h"
#include "engine/text.h"

namespace qrv {

namespace {

constexpr const char* kRecordHeader = "Quorvane removed files";
constexpr double kMillisecondsPerDay = 86400000.0;

bool HasDrive(const std::string& path) {
  return path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

char DriveLetter(const std::string& path) { return static_cast<char>(path[0] & ~0x20); }

// The folder beside the undo folder, or empty when the undo folder has no
// parent folder on a drive.
std::string BesideUndo(const FolderSet& folders) {
  std::string undo = folders.UndoFolder;
  while (undo.size() > 3 && undo.back() == '\\') undo.pop_back();
  if (!HasDrive(undo)) return {};
  const auto slash = undo.rfind('\\');
  if (slash < 2 || slash + 1 >= undo.size()) return {};
  return undo.substr(0, slash) + "\\" + kRecoveryFolderBesideUndo;
}

std::string AtRoot(char drive) { return std::string(1, drive) + ":\\" + kRecoveryFolderAtRoot; }

std::string RecordBytes(double date, const std::vector<std::pair<std::string, std::string>>& lines) {
  std::string text = std::string(kRecordHeader) + "\r\n";
  text += std::to_string(std::llround(date * kMillisecondsPerDay)) + "\r\n";
  for (const auto& [name, original] : lines) text += name + "\t" + original + "\r\n";
  return text;
}

struct Record {
  double date = 0;
  std::vector<std::pair<std::string, std::string>> lines;  // number, original path
};

bool ReadRecord(Platform& platform, const std::string& folder, Record& record) {
  std::string bytes;
  if (!platform.ReadFile(folder + "\\" + kRecoveryRecordName, bytes)) return false;
  const std::vector<std::string> lines = SplitLines(bytes);
  if (lines.size() < 2 || lines[0] != kRecordHeader) return false;
  const std::string& stamp = lines[1];
  if (stamp.empty() || stamp.size() > 18 || !std::all_of(stamp.begin(), stamp.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  record.date = static_cast<double>(std::stoll(stamp)) / kMillisecondsPerDay;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const auto tab = lines[i].find('\t');
    if (tab == std::string::npos || tab == 0) continue;
    std::string name = lines[i].substr(0, tab);
    std::string original = lines[i].substr(tab + 1);
    // A stored name is a number: nothing in a record can point out of its folder.
    if (!std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }) || !HasDrive(original))
      continue;
    record.lines.emplace_back(std::move(name), std::move(original));
  }
  return true;
}

// Writes a removal folder's record with these lines, or removes the record and
// the folder when none is left.
bool Rewrite(Platform& platform, const std::string& folder, double date,
             const std::vector<std::pair<std::string, std::string>>& lines) {
  const std::string record = folder + "\\" + kRecoveryRecordName;
  if (!lines.empty()) return platform.WriteFile(record, RecordBytes(date, lines));
  platform.DeleteFile(record);
  platform.RemoveDirectory(folder);
  return true;
}

// Each removal folder of every recovery folder, with its record.
struct RemovalFolder {
  std::string folder;
  std::string id;
  Record record;
};

std::vector<RemovalFolder> RemovalFolders(Platform& platform, const FolderSet& folders) {
  std::vector<RemovalFolder> found;
  for (const std::string& recovery : RecoveryFolders(platform, folders)) {
    for (const FileEntry& entry : platform.FindFiles(recovery)) {
      if ((entry.attributes & kAttributeDirectory) == 0 || (entry.attributes & kAttributeReparsePoint) != 0 ||
          entry.name == "." || entry.name == "..")
        continue;
      RemovalFolder f{recovery + "\\" + entry.name, entry.name, {}};
      if (ReadRecord(platform, f.folder, f.record)) found.push_back(std::move(f));
    }
  }
  return found;
}

std::string RemovalId(double date, unsigned counter) {
  const Date d = DecodeDate(date);
  long seconds = std::lround((date - std::floor(date)) * 86400.0);
  if (seconds >= 86400) seconds = 86399;
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02ld.%02ld.%02ld %u", d.year, d.month, d.day, seconds / 3600,
                seconds / 60 % 60, seconds % 60, counter);
  return text;
}

}  // namespace

std::string RecoveryFolderFor(const FolderSet& folders, const std::string& path) {
  if (!HasDrive(path)) return {};
  const std::string beside = BesideUndo(folders);
  if (!beside.empty() && DriveLetter(beside) == DriveLetter(path)) return beside;
  return AtRoot(DriveLetter(path));
}

bool IsInRecoveryFolder(const FolderSet& folders, const std::string& path) {
  const std::string upper = UpperCaseText(WithTrailingBackslash(path));
  const std::string beside = BesideUndo(folders);
  if (!beside.empty() && upper.starts_with(UpperCaseText(beside) + "\\")) return true;
  const std::string root = UpperCaseText(std::string(":\\") + kRecoveryFolderAtRoot + "\\");
  return HasDrive(upper) && upper.compare(1, root.size(), root) == 0;
}

std::vector<std::string> RecoveryFolders(Platform& platform, const FolderSet& folders) {
  constexpr std::uint32_t kDriveRemovable = 2;
  std::vector<std::string> found;
  const std::string beside = BesideUndo(folders);
  if (!beside.empty() && FolderExists(platform, beside)) found.push_back(beside);
  for (char drive = 'C'; drive <= 'Z'; ++drive) {
    const std::uint32_t type = platform.GetDriveType(std::string(1, drive) + ":\\");
    if (type != kDriveFixed && type != kDriveRemovable) continue;
    if (FolderExists(platform, AtRoot(drive))) found.push_back(AtRoot(drive));
  }
  return found;
}

std::vector<Removal> ListRemovals(Platform& platform, const FolderSet& folders) {
  std::map<std::string, Removal> byId;
  for (const RemovalFolder& f : RemovalFolders(platform, folders)) {
    if (f.record.lines.empty()) continue;
    Removal& removal = byId[UpperCaseText(f.id)];
    removal.id = f.id;
    removal.date = f.record.date;
    for (const auto& [name, original] : f.record.lines) removal.files.push_back({original, f.folder + "\\" + name});
  }
  std::vector<Removal> list;
  for (auto& [key, removal] : byId) list.push_back(std::move(removal));
  std::stable_sort(list.begin(), list.end(), [](const Removal& a, const Removal& b) { return a.date < b.date; });
  return list;
}

RecoveryRemoval::RecoveryRemoval(Platform& platform, FolderSet& folders, const std::vector<std::string>& paths)
    : platform_(platform), folders_(folders), date_(platform.Now()) {
  // A name free on every drive: the removals of one second differ by their counter.
  std::vector<std::string> taken;
  for (const RemovalFolder& f : RemovalFolders(platform, folders)) taken.push_back(UpperCaseText(f.id));
  std::map<std::string, std::string> recoveries;  // the recovery folders this removal uses
  for (const std::string& path : paths) {
    const std::string recovery = RecoveryFolderFor(folders, path);
    if (!recovery.empty()) recoveries.emplace(UpperCaseText(recovery), recovery);
  }
  for (unsigned counter = 1;; ++counter) {
    id_ = RemovalId(date_, counter);
    bool free = std::find(taken.begin(), taken.end(), UpperCaseText(id_)) == taken.end();
    for (const auto& [key, recovery] : recoveries)
      if (free && platform.GetFileAttributes(recovery + "\\" + id_) != kInvalidFileAttributes) free = false;
    if (free) break;
  }
  std::map<std::string, std::size_t> counts;  // per removal folder
  for (const std::string& path : paths) {
    Planned p{path, {}, {}, false};
    const std::string recovery = RecoveryFolderFor(folders, path);
    if (!recovery.empty()) {
      p.folder = recovery + "\\" + id_;
      p.name = std::to_string(++counts[UpperCaseText(p.folder)]);
    }
    planned_.push_back(std::move(p));
  }
  for (const auto& [folderKey, count] : counts) {
    (void)count;
    for (const Planned& p : planned_) {
      if (UpperCaseText(p.folder) != folderKey) continue;
      const std::string recovery = p.folder.substr(0, p.folder.rfind('\\'));
      const bool fresh = !FolderExists(platform, recovery);
      if (ForceDirectories(platform, p.folder) && fresh)
        platform.SetFileAttributes(recovery, kAttributeHidden);
      break;
    }
  }
  // A folder whose record cannot be written takes no file.
  if (!WriteRecords(false))
    for (Planned& p : planned_)
      if (!p.folder.empty() && !FileExists(platform, p.folder + "\\" + kRecoveryRecordName)) p.folder.clear();
}

bool RecoveryRemoval::WriteRecords(bool movedOnly) {
  std::map<std::string, std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> records;
  for (const Planned& p : planned_) {
    if (p.folder.empty()) continue;
    auto& entry = records[UpperCaseText(p.folder)];
    entry.first = p.folder;
    if (!movedOnly || p.moved) entry.second.emplace_back(p.name, p.original);
  }
  bool ok = true;
  for (const auto& [key, record] : records) {
    if (!FolderExists(platform_, record.first)) continue;
    if (!Rewrite(platform_, record.first, date_, record.second)) ok = false;
  }
  return ok;
}

FileSystem::Deletion RecoveryRemoval::Move(std::size_t i) {
  Planned& p = planned_.at(i);
  if (p.moved) return FileSystem::Deletion::NotFound;
  if (p.folder.empty() || !FolderExists(platform_, p.folder)) {
    // Nowhere to keep it: it stays, unless it is gone already.
    return ProbePath(platform_, p.original) == Existence::Gone ? FileSystem::Deletion::NotFound
                                                              : FileSystem::Deletion::Refused;
  }
  const std::string stored = p.folder + "\\" + p.name;
  const FileSystem::Deletion result = platform_.MoveFileItself(p.original, stored);
  if (result == FileSystem::Deletion::Deleted) {
    p.moved = true;
    moved_.push_back({p.original, stored});
  }
  return result;
}

std::string RecoveryRemoval::Finish() {
  if (finished_) return {};
  finished_ = true;
  WriteRecords(true);
  if (moved_.empty()) return {};
  std::vector<std::string> lines;
  for (const RemovedFile& f : moved_) lines.push_back(f.original + " -> " + f.stored);
  const SavedFile log = WriteLog(platform_, folders_, lines);
  return log.ok ? log.path : std::string();
}

std::vector<RestoreResult> RestoreFiles(Platform& platform, const FolderSet& folders,
                                        const std::vector<RemovedFile>& files) {
  std::vector<RestoreResult> results;
  std::map<std::string, std::vector<std::string>> restoredByFolder;  // removal folder -> numbers put back
  for (const RemovedFile& f : files) {
    RestoreResult r{f.original, RestoreOutcome::Failed};
    const auto slash = f.stored.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : f.stored.substr(0, slash);
    if (folder.empty() || !IsInRecoveryFolder(folders, f.stored)) {
      results.push_back(r);
      continue;
    }
    if (ProbePath(platform, f.stored) != Existence::Present) {
      r.outcome = RestoreOutcome::Missing;
    } else if (ProbePath(platform, f.original) != Existence::Gone) {
      r.outcome = RestoreOutcome::Occupied;
    } else {
      const std::string parent = f.original.substr(0, f.original.rfind('\\'));
      if (parent.size() > 2) ForceDirectories(platform, parent);
      const long error = platform.MoveFileNoReplace(f.stored, f.original);
      r.outcome = error == kErrorSuccess                                                 ? RestoreOutcome::Restored
                  : error == kErrorAlreadyExists || error == kErrorFileExists ? RestoreOutcome::Occupied
                                                                                         : RestoreOutcome::Failed;
    }
    if (r.outcome == RestoreOutcome::Restored || r.outcome == RestoreOutcome::Missing)
      restoredByFolder[folder].push_back(UpperCaseText(f.stored.substr(slash + 1)));
    results.push_back(r);
  }
  for (const auto& [folder, names] : restoredByFolder) {
    Record record;
    if (!ReadRecord(platform, folder, record)) continue;
    std::vector<std::pair<std::string, std::string>> kept;
    for (auto& line : record.lines)
      if (std::find(names.begin(), names.end(), UpperCaseText(line.first)) == names.end()) kept.push_back(line);
    Rewrite(platform, folder, record.date, kept);
  }
  return results;
}

std::size_t ExpireRemovals(Platform& platform, const FolderSet& folders, int days) {
  const double now = platform.Now();
  std::size_t deleted = 0;
  for (const RemovalFolder& f : RemovalFolders(platform, folders)) {
    if (days >= 0 && !(f.record.date < now - days)) continue;
    std::vector<std::pair<std::string, std::string>> kept;
    for (const auto& line : f.record.lines) {
      const std::string stored = f.folder + "\\" + line.first;
      switch (platform.DeleteFileItself(stored, true)) {
        case FileSystem::Deletion::Deleted: ++deleted; break;
        case FileSystem::Deletion::NotFound: break;
        default: kept.push_back(line); break;
      }
    }
    Rewrite(platform, f.folder, f.record.date, kept);
  }
  return deleted;
}

}  // namespace qrv
