#pragma once
// Writing a registry script to the fix script file and importing it silently
// with the registry editor.
#include <string>
#include <vector>

#include "engine/folders.h"
#include "engine/platform.h"
#include "engine/reg_script.h"

namespace qrv {

inline constexpr const char* kFixScriptName = "Quorvane.reg";

std::string FixScriptFile(const FolderSet& folders);  // UndoFolder + "\Quorvane.reg"

// The editor that imports into and exports from the registry view this
// program reads (FolderSet::RegistryEditor).
std::string RegistryEditorPath(Platform& platform, const std::string& windowsFolder);

// Starts the program's registry editor hidden with this argument text and
// waits until it ends. False, and nothing started, when the folder set names
// no editor.
bool RunRegistryEditor(Platform& platform, const FolderSet& folders, const std::string& arguments);

// Whether the script deletes a whole branch the program must never delete:
// a root key, or a container key that the checks enumerate, or a parent of one.
// Both views of 64-bit Windows count: the "Wow6432Node" of each branch and the
// protected containers below it are protected alike.
bool DeletesProtectedKey(const RegScript& script);

// No finding of any check deletes a branch of more keys than this.
inline constexpr std::size_t kMaxKeysPerDeletion = 500;

// Whether one of the script's key deletions would remove more than
// kMaxKeysPerDeletion keys, counted in the registry before the import, or
// names a key outside the four roots: a fault nobody foresaw must not wipe a
// branch that has no name on the protected list.
bool DeletesTooLargeBranch(RegistryView& registry, const RegScript& script);

// The bytes of the fix script file: the system code page with CR LF, or, when
// a line holds a character the code page cannot hold, the whole script as
// UTF-16 under the second header, so that the registry editor reads it exactly.
std::string FixScriptBytes(Platform& platform, const RegScript& script);

enum class ApplyResult {
  Imported,     // written and handed to the registry editor
  Refused,      // it would delete a protected branch: nothing written or imported
  TooLarge,     // a deletion would remove too big a branch: nothing written or imported
  NotWritten,   // the file could not be written: nothing imported
  NotStarted,   // the registry editor could not be started
};

// Deletes the old fix script file, writes this script, waits a second and
// imports it, returning when the registry editor has ended. The list is kept.
ApplyResult ApplyFixScript(Platform& platform, const FolderSet& folders, const RegScript& script);

enum class RepairOutcome {
  Imported,
  Refused,           // the script would delete a protected branch: nothing written
  TooLarge,          // a deletion would remove too big a branch: nothing written
  LogNotWritten,     // nothing imported
  UndoNotWritten,    // nothing imported
  ScriptNotWritten,  // nothing imported
  EditorNotStarted,
};

struct RepairResult {
  RepairOutcome outcome = RepairOutcome::Refused;
  std::string logPath;   // empty when no log was written
  std::string undoPath;  // empty when there was nothing to back up
  // After an import: for each finding of the fix script, in order, whether
  // what it deletes is really gone (FindingsGone).
  std::vector<bool> gone;
  std::size_t GoneCount() const;
};

// The findings of a script: the lines between one empty line and the next,
// after the header.
std::vector<std::vector<std::string>> ScriptFindings(const RegScript& script);

// Reads the registry back after an import: for each finding of the script,
// whether every key and value it deletes is gone and every value it sets
// holds its data. The registry editor's silent import reports nothing, and
// it cannot delete what the key's permissions forbid.
std::vector<bool> FindingsGone(RegistryView& registry, const RegScript& script);

// The display lines whose findings the import left (gone[i] false), in order;
// where the two lists do not pair up, every line counts as left unless all
// findings are gone.
std::vector<std::string> LinesLeft(const std::vector<std::string>& displayLines, const std::vector<bool>& gone);

// A repair in its safe order: the log of what is fixed, then the undo file,
// then the import. A file that cannot be written stops it before anything is
// imported, so nothing is deleted without its backup on disk.
RepairResult LogBackUpAndApply(Platform& platform, FolderSet& folders, const std::vector<std::string>& displayLines,
                               const RegScript& undo, const RegScript& fix);

}  // namespace qrv
