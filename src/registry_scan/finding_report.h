#pragma once
// How a check reports one finding: the display line, the backup and the fix
// lines, all or nothing.
#include <functional>
#include <string>

#include "engine/platform.h"
#include "engine/reg_script.h"
#include "registry_scan/scan_context.h"

namespace qrv {

// What a finding saves before its repair deletes it: a whole key with its
// subkeys (the registry editor's export) or a single value.
struct FindingBackup {
  RootKey root = RootKey::ClassesRoot;
  std::string keyPath;
  bool singleValue = false;
  std::string valueName;  // with singleValue; empty for the key's unnamed value
};

inline FindingBackup WholeKey(RootKey root, std::string keyPath) { return {root, std::move(keyPath), false, {}}; }
inline FindingBackup SingleValue(RootKey root, std::string keyPath, std::string name) {
  return {root, std::move(keyPath), true, std::move(name)};
}

// Reports one finding in the order display line, backup, fix lines, one empty
// line, or not at all. The fix lines (written by `fixLines` into a scratch
// script of the fix script's flavour) and the backup are made aside first; the
// finding is dropped, leaving every shared list as it was, when a fix line is
// refused, when the lines would delete a branch the repair refuses to delete
// (which would stop the whole repair), or when the backup yields nothing.
// True if the finding was reported.
bool ReportFinding(ScanContext& s, int slot, const std::string& displayLine, const FindingBackup& backup,
                   const std::function<bool(RegScript& fix)>& fixLines);

// "File not found: " + what / "Relation not found: " + what, in the user's language.
std::string FileNotFoundLine(const ScanContext& s, const std::string& what);
std::string RelationNotFoundLine(const ScanContext& s, const std::string& what);

}  // namespace qrv
