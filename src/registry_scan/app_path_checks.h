#pragma once
// Registered programs whose files are gone: the App Paths entries (category
// 1), the shared DLL counts and the Applications list (category 2).
#include "registry_scan/scan_context.h"

namespace qrv {

// HKEY_LOCAL_MACHINE; the App Paths key itself is kAppPathsKey (file_probe.h).
inline constexpr const char* kSharedDllsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";
// HKEY_CLASSES_ROOT.
inline constexpr const char* kApplicationsKey = "\\Applications\\";

// App Paths entries whose program is gone; each such key is deleted whole.
void CheckSoftwareLocations(ScanContext& s);
// SharedDLLs counts of files (or folders) that are gone; each such value is deleted.
void CheckSharedPrograms(ScanContext& s);
// Applications entries whose open (and edit) command names a program that is
// gone; each such key is deleted whole.
void CheckKnownPrograms(ScanContext& s);

}  // namespace qrv
