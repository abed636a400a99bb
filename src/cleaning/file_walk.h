#pragma once
// What every walk of the Clean Up tab shares: which entries it may look into,
// which paths the system can address, and the deletion of listed files.
//
// A walk never leaves the folder it was given. A junction, symbolic link or
// mount point (a reparse point) is seen as an entry of its folder but never
// entered and never listed for deletion: it can lead anywhere, back into its
// own parents (Windows' compatibility junctions) or out of the drive (Wine's
// links to the Linux home folder).
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/folders.h"
#include "engine/platform.h"
#include "registry_scan/scan_context.h"

namespace qrv {

bool IsDotEntry(const FileEntry& entry);  // "." or ".."
bool IsFolderEntry(const FileEntry& entry);
bool IsReparsePoint(const FileEntry& entry);
// A folder the walk goes down into: a real subfolder, not a link.
bool IsWalkableFolder(const FileEntry& entry);
// A plain file (not a folder, not a link).
bool IsPlainFile(const FileEntry& entry);

// The program's own folders: its own folder (unless it is a drive's root), the
// log folder and the undo folder. No walk lists them and no removal deletes
// below them: the undo folder keeps the copies of removed startup links, which
// are shortcuts whose targets may well be gone.
bool IsInOwnFolder(const FolderSet& folders, const std::string& path);

// Whether the system reaches `path` as written: fewer than MAX_PATH UTF-16
// units. A longer path is skipped whole, never half-handled.
bool Addressable(const std::string& path);
// The same for the enumeration of a folder (its path and "*.*").
bool ListableFolder(const std::string& folder);

// The entries of a folder that a walk may list, or none when the system cannot
// address them or the folder is one of the program's own.
std::vector<FileEntry> ListFolder(ScanContext& s, const std::string& folder);

// The extension of a name from its last dot, dot included, upper-cased; empty without a dot.
std::string UpperExtension(const std::string& name);
// The name after the last backslash.
std::string NamePart(const std::string& path);

// The words that keep a path out of every cleaning list (any letter case):
// MICROSOFT, WIN, OFFICE, SYNC, SETUP; and the backup names that programs
// keep (DATA.BAK, CUSTOM.BAK, OPA11.BAK), the name upper-cased.
bool PathHoldsProtectedWord(const std::string& upperPath);
bool IsProtectedBackupName(const std::string& upperName);

// Removes the later copies of a path listed twice (letter case ignored), keeping the order.
void RemoveRepeats(std::vector<std::string>& paths);

// Deletes one listed file: the file at that path itself, never what a link
// there leads to (FileSystem::DeleteFileItself), nor anything in the
// program's own folders or at a path the system cannot address (both
// NotThatFile). With `archiveOnly` a read-only file goes too.
FileSystem::Deletion DeleteListedFile(ScanContext& s, const std::string& path, bool archiveOnly);

struct RemovalResult {
  std::size_t deleted = 0;          // deleted, or for a kept removal: in the recovery folder
  std::vector<std::string> failed;  // listed, ticked, there, but not deleted (not moved)
  std::string log;                  // a kept removal's log: each file and where it went
};

// What a removal of listed files does with a read-only file: leave it (its
// attributes unchanged; it counts as not deleted), or make it archive-only
// and delete it (a file that then cannot be deleted gets its attributes back).
enum class ReadOnlyFiles { Stay, Go };

// Whether a removal deletes for good or keeps the files for recovery (moved
// into the recovery folder of their drive: engine/recovery.h).
enum class RemovedFiles { Deleted, Kept };

// How a list of files is removed; always named (no default policy).
struct RemovalPolicy {
  constexpr RemovalPolicy(ReadOnlyFiles readOnlyFiles, bool stops, RemovedFiles removed)
      : readOnly(readOnlyFiles), stopsOnCancel(stops), removedFiles(removed) {}
  ReadOnlyFiles readOnly;
  bool stopsOnCancel;  // a confirmed Stop (CancelFlag false) ends the removal
  RemovedFiles removedFiles;
};
// The privacy files of the Home groups: a read-only file goes too, and Stop
// ends the removal.
inline constexpr RemovalPolicy kListRemoval{ReadOnlyFiles::Go, true, RemovedFiles::Deleted};
// The residual files and the invalid shortcuts (their pages, the console and
// Home groups 6 and 7): as kListRemoval, but each file is moved into the
// recovery folder (a rename, which a read-only file allows) instead of deleted.
inline constexpr RemovalPolicy kKeptListRemoval{ReadOnlyFiles::Go, true, RemovedFiles::Kept};
// The files of the privacy rows (temporary files and folders, temporary
// Internet files, cookies): removed as they are, so a read-only file stays;
// the clean goes through all of them.
inline constexpr RemovalPolicy kPrivacyRowRemoval{ReadOnlyFiles::Stay, false, RemovedFiles::Deleted};

// The one removal of listed files: deletes those whose row is ticked (all
// when `ticked` is empty), one by one with the messages processed between
// them, each through DeleteListedFile, as the policy says. A file that is
// gone is skipped, and a folder or a link (whatever it leads to) is never
// touched. `deletedOne` runs after each deletion. Under a policy that keeps
// the files, each is moved into recovery (RecoveryRemoval) with the same
// checks, and the removal writes its log.
RemovalResult RemoveListedFiles(ScanContext& s, const std::vector<std::string>& paths, const RemovalPolicy& policy,
                                const std::vector<bool>& ticked = {},
                                const std::function<void(std::size_t deleted)>& deletedOne = {});

}  // namespace qrv
