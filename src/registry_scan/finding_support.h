#pragma once
// Pieces the registry checks share beyond the common loop: a finding that is
// put together aside and reaches the shared lists whole or not at all, and the
// judgement whether a path from the registry names a file that is surely gone.
#include <string>
#include <vector>

#include "engine/reg_script.h"
#include "registry_scan/scan_context.h"

namespace qrv {

// One finding: display line, backups, fix lines. Nothing reaches FindingList,
// UndoScript, FixScript or TempValueScript until Commit, and Commit adds
// nothing when any part failed: a name no script line can express, a backup
// that could not be taken, or fix lines that would delete a branch the repair
// refuses (which would stop the whole repair). So no finding is ever shown
// without its backup and its fix lines, and nothing is deleted without a backup.
class PendingFinding {
 public:
  PendingFinding(ScanContext& s, int slot, const std::string& displayLine);

  // Fix lines, in the order they go into the script.
  void DeleteKey(RootKey root, const std::string& keyPath);
  // The key line, then the deletion line of one value ("" is the unnamed value).
  void DeleteValue(RootKey root, const std::string& keyPath, const std::string& name);
  // The key line, then the unnamed value set to this text.
  void SetDefault(RootKey root, const std::string& keyPath, const std::string& text);

  // Backups, taken by Commit once the fix lines are known to be sound.
  void BackUpKey(RootKey root, const std::string& keyPath);
  void BackUpValue(RootKey root, const std::string& keyPath, const std::string& name);

  // Adds display line, backups, fix lines and one empty line (the same fix
  // lines and empty line also to TempValueScript when asked). True if added.
  bool Commit(bool alsoTempValues = false);

 private:
  struct Backup {
    RootKey root;
    std::string keyPath;
    std::string name;
    bool wholeKey;
  };
  ScanContext& s_;
  int slot_;
  std::string display_;
  RegScript fix_{ScriptFlavour::Regedit4};
  std::vector<Backup> backups_;
  bool sound_ = true;
};

// A key name that can stand in a key path of a script line: not empty, no
// backslash (it would name another key), nothing a line cannot hold.
bool UsableKeyName(const std::string& name);

// Texts of the shared display forms.
std::string FileNotFoundLine(ScanContext& s, const std::string& what);      // "File not found: what"
std::string RelationNotFoundLine(ScanContext& s, const std::string& what);  // "Relation not found: what"

// The file probe for a bare file name: the Windows, System and System32 folders.
bool FoundInWindowsFolders(ScanContext& s, const std::string& fileName);

// What a check may conclude about a path. Missing is said only when the path
// is a full path on a fixed drive that is there, with no placeholder left in
// it: a file on a removable, network or absent drive, a relative path and a
// path with an unexpanded placeholder are Unknown and never reported.
enum class FileState { Present, Missing, Unknown };

// A plain file path (a sound, a help file, a font).
FileState PathState(ScanContext& s, const std::string& path);

// A resolved command line, which may still carry its arguments when the
// program has an extension the resolution does not know ("C:\X\TOOL.COM /Q").
// Present when the whole text, or the text up to any blank, names an existing
// file (with .EXE, .COM, .BAT or .CMD tried for a name without extension, as
// Windows starts programs), or when the probe finds that file's name;
// `foldersCount` also accepts an existing folder. A bare program name that
// none of this finds is Missing.
FileState CommandState(ScanContext& s, const std::string& resolved, bool foldersCount);

// Display text on one line: line ends and zero characters become blanks.
std::string OneLine(std::string text);

}  // namespace qrv
