#pragma once
// Removed files kept for recovery: the residual files and dead shortcuts the
// user removes are not deleted but moved, by a rename on their own drive,
// into a hidden folder of the program's own, with a record of where each came
// from; they can be put back from there until the user empties the folder or
// their age runs out.
//
// Where they go: on the undo folder's drive, the folder "Removed Files"
// beside the undo folder; on any other drive, "Quorvane Removed Files" at the
// drive's root. Each removal has a folder of its own there, named by its
// date and a counter, holding the files under numbers and a record
// ("index.txt", UTF-8): a header line, the removal's date, then one line per
// file: its number, a tab, its original path. A removal that spans drives has
// a folder of the same name on each.
//
// The record is written before anything moves and written again with what
// did move, so a file in the folder is always in its record.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/folders.h"
#include "engine/platform.h"

namespace qrv {

inline constexpr const char* kRecoveryFolderBesideUndo = "Removed Files";
inline constexpr const char* kRecoveryFolderAtRoot = "Quorvane Removed Files";
inline constexpr const char* kRecoveryRecordName = "index.txt";

// The recovery folder for a file at `path` (a path with a drive letter);
// empty for a path that has none (a network path is never moved).
std::string RecoveryFolderFor(const FolderSet& folders, const std::string& path);
// Whether `path` lies in a recovery folder (any drive's), letter case aside.
bool IsInRecoveryFolder(const FolderSet& folders, const std::string& path);
// The recovery folders that exist: the one beside the undo folder and those
// at the root of the fixed and removable drives.
std::vector<std::string> RecoveryFolders(Platform& platform, const FolderSet& folders);

struct RemovedFile {
  std::string original;  // where it was
  std::string stored;    // where it is now, in its removal's folder
};

struct Removal {
  std::string id;    // the removal folder's name
  double date = 0;   // when it was made (local date-time)
  std::vector<RemovedFile> files;
};

// Every removal whose record lists files, oldest first; a removal spanning
// drives is one entry.
std::vector<Removal> ListRemovals(Platform& platform, const FolderSet& folders);

// One removal of files into recovery. The constructor plans where each path
// goes and writes the records before anything moves; Move moves one planned
// path; Finish writes the records again with what moved and a log in the log
// folder listing each file and where it went.
class RecoveryRemoval {
 public:
  RecoveryRemoval(Platform& platform, FolderSet& folders, const std::vector<std::string>& paths);
  // The i-th path of the constructor's list: Deleted when it is now in the
  // recovery folder, NotFound when it was gone, otherwise not moved (and not
  // removed). The checks of the file itself are the platform's MoveFileItself.
  FileSystem::Deletion Move(std::size_t i);
  // Rewrites the records and writes the log (none when nothing moved); the
  // log's path, empty when there is none or it could not be written.
  std::string Finish();
  const std::vector<RemovedFile>& Moved() const { return moved_; }

 private:
  struct Planned {
    std::string original;
    std::string folder;  // the removal's folder on the file's drive; empty: cannot go
    std::string name;    // its number there
    bool moved = false;
  };
  bool WriteRecords(bool movedOnly);

  Platform& platform_;
  FolderSet& folders_;
  std::string id_;
  double date_ = 0;
  std::vector<Planned> planned_;
  std::vector<RemovedFile> moved_;
  bool finished_ = false;
};

enum class RestoreOutcome {
  Restored,
  Occupied,  // something is at the original path (or the system cannot tell): nothing is overwritten
  Missing,   // the kept file is no longer in the recovery folder
  Failed,    // the move back failed
};

struct RestoreResult {
  std::string original;
  RestoreOutcome outcome;
};

// Puts each file back at its original path, creating missing folders on the
// way, never over anything that is there; the records then list what stays.
std::vector<RestoreResult> RestoreFiles(Platform& platform, const FolderSet& folders,
                                        const std::vector<RemovedFile>& files);

// Deletes for good the kept files of the removals made more than `days` days
// before now (all of them with `days` < 0), and their records and folders
// once empty. The number of files deleted.
std::size_t ExpireRemovals(Platform& platform, const FolderSet& folders, int days);
inline std::size_t EmptyRecovery(Platform& platform, const FolderSet& folders) {
  return ExpireRemovals(platform, folders, -1);
}

}  // namespace qrv
