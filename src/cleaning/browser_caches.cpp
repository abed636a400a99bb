#include "cleaning/browser_caches.h"

#include <initializer_list>
#include <optional>

#include "cleaning/file_walk.h"
#include "cleaning/privacy_scan.h"
#include "engine/text.h"

namespace qrv {

namespace {

struct ChromiumBrowser {
  const char* name;
  const char* vendor;   // the folder below the local application data folder
  const char* product;  // and its subfolder that holds "User Data"
};
constexpr ChromiumBrowser kChromiumBrowsers[] = {{"Chrome", "Google", "Chrome"}, {"Edge", "Microsoft", "Edge"}};

// The folder `name` (letter case ignored) of `folder`, as its listing shows
// it, when it is a real folder (not a link): its path with a trailing
// backslash, as the listing spells it.
std::optional<std::string> RealSubfolder(ScanContext& s, const std::string& folder, const std::string& name) {
  const std::string wanted = UpperCaseText(name);
  for (const FileEntry& entry : ListFolder(s, folder)) {
    if (UpperCaseText(entry.name) != wanted) continue;
    if (!IsWalkableFolder(entry)) return std::nullopt;
    const std::string path = folder + entry.name + "\\";
    if (!ListableFolder(path)) return std::nullopt;
    return path;
  }
  return std::nullopt;
}

// A real folder reached from `folder` through each name in turn.
std::optional<std::string> RealPath(ScanContext& s, std::string folder, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const std::optional<std::string> next = RealSubfolder(s, folder, name);
    if (!next) return std::nullopt;
    folder = *next;
  }
  return folder;
}

bool HoldsPlainFile(ScanContext& s, const std::string& folder, const std::string& name) {
  const std::string wanted = UpperCaseText(name);
  for (const FileEntry& entry : ListFolder(s, folder))
    if (UpperCaseText(entry.name) == wanted && IsPlainFile(entry)) return true;
  return false;
}

// Lists the files of each cache folder named in `caches` that `folder` holds.
void ListCacheFolders(ScanContext& s, const std::string& folder, const std::vector<std::string>& caches,
                      std::vector<std::string>& list) {
  for (const std::string& cache : caches) {
    if (!s.app.CancelFlag) return;
    const std::optional<std::string> path = RealSubfolder(s, folder, cache);
    if (!path || s.Ignored().CoversPath(path->substr(0, path->size() - 1))) continue;
    CleanTempDir(s, *path, list);
  }
}

void ListChromium(ScanContext& s, const ChromiumBrowser& browser, std::vector<std::string>& list,
                  std::vector<std::string>& skipped) {
  const std::optional<std::string> userData =
      RealPath(s, s.app.folders.LocalAppDataFolder, {browser.vendor, browser.product, "User Data"});
  if (!userData) return;
  if (LockHeld(s.platform(), *userData + "lockfile")) {
    skipped.push_back(browser.name);
    return;
  }
  ListCacheFolders(s, *userData, ChromiumUserDataCaches(), list);
  for (const FileEntry& entry : ListFolder(s, *userData)) {
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) return;
    if (!IsWalkableFolder(entry)) continue;
    const std::string profile = *userData + entry.name + "\\";
    if (!ListableFolder(profile)) continue;
    // The profile's settings file is looked for only when the name says nothing.
    if (!IsChromiumProfileName(entry.name, false) && !HoldsPlainFile(s, profile, "Preferences")) continue;
    ListCacheFolders(s, profile, ChromiumProfileCaches(), list);
  }
}

void ListFirefox(ScanContext& s, std::vector<std::string>& list, std::vector<std::string>& skipped) {
  const std::optional<std::string> profiles =
      RealPath(s, s.app.folders.LocalAppDataFolder, {"Mozilla", "Firefox", "Profiles"});
  if (!profiles) return;
  std::vector<std::string> folders;
  for (const FileEntry& entry : ListFolder(s, *profiles)) {
    if (!IsWalkableFolder(entry) || !ListableFolder(*profiles + entry.name + "\\")) continue;
    // The lock lies in the profile's roaming folder, of the same name.
    const std::string roaming = s.app.folders.AppDataFolder + "Mozilla\\Firefox\\Profiles\\" + entry.name + "\\";
    if (LockHeld(s.platform(), roaming + "parent.lock") ||
        LockHeld(s.platform(), *profiles + entry.name + "\\parent.lock")) {
      skipped.push_back("Firefox");
      return;
    }
    folders.push_back(*profiles + entry.name + "\\");
  }
  for (const std::string& profile : folders) {
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) return;
    ListCacheFolders(s, profile, {kFirefoxCacheName}, list);
  }
}

}  // namespace

bool IsChromiumProfileName(const std::string& name, bool holdsPreferences) {
  const std::string upper = UpperCaseText(name);
  if (upper == "DEFAULT" || holdsPreferences) return true;
  const std::string prefix = "PROFILE ";
  if (upper.size() <= prefix.size() || upper.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < upper.size(); ++i)
    if (upper[i] < '0' || upper[i] > '9') return false;
  return true;
}

const std::vector<std::string>& ChromiumProfileCaches() {
  // The page cache, compiled scripts, and the GPU's compiled shaders; all
  // rebuilt by the browser as it needs them.
  static const std::vector<std::string> names{"Cache",     "Code Cache",        "GPUCache",
                                              "DawnCache", "DawnGraphiteCache", "DawnWebGPUCache"};
  return names;
}

const std::vector<std::string>& ChromiumUserDataCaches() {
  static const std::vector<std::string> names{"ShaderCache", "GrShaderCache", "GraphiteDawnCache"};
  return names;
}

bool LockHeld(FileSystem& files, const std::string& path) {
  if (!Addressable(path)) return true;  // cannot be asked: judged in use
  const long error = files.OpenFileExclusively(path);
  return error != kErrorSuccess && error != kErrorFileNotFound && error != kErrorPathNotFound;
}

void ListBrowserCaches(ScanContext& s, std::vector<std::string>& list, std::vector<std::string>& skipped) {
  if (s.app.folders.LocalAppDataFolder.size() < 3) return;
  for (const ChromiumBrowser& browser : kChromiumBrowsers) {
    if (!s.app.CancelFlag) return;
    ListChromium(s, browser, list, skipped);
  }
  if (!s.app.CancelFlag) return;
  ListFirefox(s, list, skipped);
}

}  // namespace qrv
