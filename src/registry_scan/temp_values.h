#pragma once
// Category 10, "Temporary registry values": history lists, values of
// software trees that name files or folders that are gone, and vendor keys
// that hold no value at all. Every fix line also goes to TempValueScript, so
// that this group can be repaired on its own.
#include <string>
#include <vector>

#include "registry_scan/scan_context.h"

namespace qrv {

inline constexpr int kTempValuesSlot = 10;

// The history (most-recently-used) keys under HKEY_CURRENT_USER, in calling order.
const std::vector<std::string>& TempRegistryKeys();

// Every string value of one history key.
void CleanTempReg(ScanContext& s, const std::string& keyPath);
// String values below root + path (it begins and ends with a backslash) that
// name a file or folder that is gone.
void CleanApplicationsHistory(ScanContext& s, RootKey root, const std::string& path);
// Keys directly under HKEY_CURRENT_USER\Software with no value anywhere below them.
void CleanEmptyKeys(ScanContext& s);

}  // namespace qrv
