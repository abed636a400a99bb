#pragma once
// The caches of today's browsers, for the privacy page's second row and the
// one-click scan's temporary files: Chrome and Edge (each Chromium profile's
// cache folders, and the shader caches beside the profiles) and Firefox (each
// profile's cache2 folder below the local application data folder).
//
// Only the cache folders are walked, each from the entry its parent lists: a
// profile folder or cache folder that is a link is never entered, and nothing
// else of a profile (history, cookies, passwords, sessions, preferences,
// extensions) is ever listed. A browser that is running is skipped whole.
#include <string>
#include <vector>

#include "registry_scan/scan_context.h"

namespace qrv {

// Whether a Chromium "User Data" subfolder is a profile: "Default",
// "Profile N" (N a number), or any folder that holds the profile's
// "Preferences" file (`holdsPreferences`). Letter case ignored.
bool IsChromiumProfileName(const std::string& name, bool holdsPreferences);

// The names of the cache folders: those of a Chromium profile, those of a
// Chromium "User Data" folder (shared by its profiles), and Firefox's.
const std::vector<std::string>& ChromiumProfileCaches();
const std::vector<std::string>& ChromiumUserDataCaches();
inline constexpr const char* kFirefoxCacheName = "cache2";

// Whether another program holds the lock file at `path` open: true for a
// sharing violation, and for any answer that cannot tell (access denied...);
// false when the file is not there or opens without sharing (a lock left by a
// browser that ended without removing it).
bool LockHeld(FileSystem& files, const std::string& path);

// Appends the files of every cache folder of Chrome, Edge and Firefox below
// the local application data folder (FolderSet::LocalAppDataFolder), walked as
// CleanTempDir walks (links never entered, the ignore list, MAX_PATH). A
// browser whose profile lock is held (Chromium's "User Data\lockfile",
// Firefox's "parent.lock" in a profile, local or roaming) contributes nothing
// and its name ("Chrome", "Edge", "Firefox") is appended to `skipped`.
void ListBrowserCaches(ScanContext& s, std::vector<std::string>& list, std::vector<std::string>& skipped);

}  // namespace qrv
