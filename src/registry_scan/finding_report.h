#pragma once
// How a check reports one finding: its display line, its backups and its fix
// lines reach the shared lists whole, or nothing of it does.
#include <string>
#include <vector>

#include "engine/platform.h"
#include "engine/reg_script.h"
#include "registry_scan/scan_context.h"

namespace qrv {

// Whether a finding's fix lines also go to TempValueScript, so that its group
// can be repaired on its own (the temporary-value cleaners).
enum class AlsoTempValues { No, Yes };

// One finding, put together aside. Nothing reaches FindingList, UndoScript,
// FixScript or TempValueScript until Commit, and Commit adds nothing when:
// - a fix line was refused (a name or path no script line can express);
// - there is no fix line or no backup;
// - a key or value the fix lines delete or change is not inside a backup;
// - a key the fix lines change may not be opened for writing (the repair
//   could not carry the finding out);
// - the fix lines would delete a branch the repair refuses to delete (which
//   would stop the whole repair);
// - a backup could not be taken;
// - in the pass over the 32-bit view, a key it changes cannot be placed where
//   it is stored, or is one both views share (the native pass's).
// In that pass the keys are named by where they are stored
// (HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\...), and backed up, changed and
// undone there through the native view: the key judged is the key deleted.
// So no finding is shown without its backup and its fix lines, and nothing is
// deleted that was not saved first.
class PendingFinding {
 public:
  // The display line is kept on one line (OneLine).
  PendingFinding(ScanContext& s, int slot, const std::string& displayLine);

  // Fix lines, in the order they go into the script.
  void DeleteKey(RootKey root, const std::string& keyPath);
  // The key line, then the deletion line of one value ("" is the unnamed value).
  void DeleteValue(RootKey root, const std::string& keyPath, const std::string& name);
  // The key line, then the unnamed value set to this text.
  void SetDefault(RootKey root, const std::string& keyPath, const std::string& text);

  // Backups, taken by Commit once the fix lines are known to be sound: a
  // whole key with its subkeys (the registry editor's export), or one value.
  void BackUpKey(RootKey root, const std::string& keyPath);
  void BackUpValue(RootKey root, const std::string& keyPath, const std::string& name);

  // Adds display line, backups, fix lines and one empty line (the same fix
  // lines and empty line also to TempValueScript when asked). True if added.
  bool Commit(AlsoTempValues alsoTempValues = AlsoTempValues::No);

 private:
  struct Place {  // a key, or one value of it
    RootKey root;
    std::string keyPath;
    bool wholeKey;
    std::string name;
  };
  enum class Change { DeleteKey, DeleteValue, SetDefault };
  struct FixLine {
    Change change;
    Place place;
    std::string text;
  };
  bool Covered(const Place& changed) const;
  // The places as the native view names them (the 32-bit pass); false when
  // one cannot be placed or lies outside the 32-bit view's own keys.
  bool PlaceWhereStored();
  bool BuildFixLines();

  ScanContext& s_;
  int slot_;
  std::string display_;
  RegScript fix_;
  std::vector<FixLine> lines_;
  std::vector<Place> changed_;
  std::vector<Place> backups_;
};

// The two common findings. A key deleted whole, saved whole first
// (`backupKey`, when given, is the key or one of its parents to save instead);
// one value deleted, saved first.
bool ReportKeyDeletion(ScanContext& s, int slot, const std::string& displayLine, RootKey root,
                       const std::string& keyPath, AlsoTempValues also = AlsoTempValues::No);
bool ReportKeyDeletion(ScanContext& s, int slot, const std::string& displayLine, RootKey root,
                       const std::string& keyPath, const std::string& backupKey);
bool ReportValueDeletion(ScanContext& s, int slot, const std::string& displayLine, RootKey root,
                         const std::string& keyPath, const std::string& name,
                         AlsoTempValues also = AlsoTempValues::No);

// Display text on one line: line ends and zero characters become blanks.
std::string OneLine(std::string text);

// Texts of the shared display forms, in the user's language.
std::string FileNotFoundLine(const ScanContext& s, const std::string& what);      // "File not found: what"
std::string RelationNotFoundLine(const ScanContext& s, const std::string& what);  // "Relation not found: what"

}  // namespace qrv
