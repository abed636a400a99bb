#include "registry_scan/temp_values.h"

#include <algorithm>
#include <functional>

#include "core/startup.h"
#include "engine/text.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"
#include "registry_scan/file_probe.h"
#include "registry_scan/finding_report.h"

namespace qrv {

namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;

// The cleaners' loop over value names: messages once per value and the Stop
// test, no progress; the unnamed value ("") is examined like any other.
void ForEachValue(ScanContext& s, const std::vector<std::string>& names,
                  const std::function<void(const std::string&)>& body) {
  for (const std::string& name : names) {
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) continue;
    body(name);
  }
}

bool IsHistoryKey(RootKey root, std::string path) {
  if (root != kHkcu) return false;
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  for (const std::string& key : TempRegistryKeys())
    if (EqualsNoCase(key, path)) return true;
  return false;
}

// Trees whose values are not the applications' own history: the system's
// (any path naming Microsoft or Classes), policies set by an administrator,
// and this program's settings.
bool IsExcludedTree(const std::string& path) {
  const std::string upper = UpperAscii(path);
  return upper.find("MICROSOFT") != std::string::npos || upper.find("CLASSES") != std::string::npos ||
         StartsWithNoCase(upper, "\\SOFTWARE\\POLICIES\\") ||
         StartsWithNoCase(upper, std::string(kSettingsKey) + "\\");
}

// Keys under HKEY_CURRENT_USER\Software that belong to Windows or to this
// program, whatever they hold.
bool IsSystemSoftwareKey(const std::string& name) {
  for (const char* own : {"Microsoft", "Classes", "Policies", "AppDataLow", "Quorvane"})
    if (EqualsNoCase(name, own)) return true;
  return false;
}

bool IsStringType(std::uint32_t type) { return type == regtype::kString || type == regtype::kExpandString; }

// The stored text if it may name a file: longer than four characters, with a
// colon and a backslash, without "~" or "$", with at most one comma.
bool LooksLikePath(const std::string& text) {
  if (Utf8ToCodePoints(text).size() <= 4) return false;
  if (text.find(':') == std::string::npos || text.find('\\') == std::string::npos) return false;
  if (text.find_first_of("~$") != std::string::npos) return false;
  return std::count(text.begin(), text.end(), ',') <= 1;
}

}  // namespace

const std::vector<std::string>& TempRegistryKeys() {
  static const std::vector<std::string> keys = {
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU",
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindComputerMRU",
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
      "\\SOFTWARE\\Microsoft\\Search Assistant\\ACMru\\5603",
      "\\SOFTWARE\\Microsoft\\Search Assistant\\ACMru\\5604",
      "\\SOFTWARE\\Microsoft\\Search Assistant\\ACMru\\5647",
      "\\SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs",
      "\\SOFTWARE\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
      "\\SOFTWARE\\Gabest\\Media Player Classic\\Recent File List",
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit",
      "\\SOFTWARE\\WinRAR\\ArcHistory",
      "\\SOFTWARE\\WinRAR\\DialogEditHistory\\ArcName",
      "\\SOFTWARE\\Far\\SavedDialogHistory\\ArcName",
      "\\SOFTWARE\\Far\\SavedDialogHistory\\Copy",
      "\\SOFTWARE\\Far\\SavedDialogHistory\\ExtrDestPath",
      "\\SOFTWARE\\Far\\SavedDialogHistory\\Masks",
      "\\SOFTWARE\\Far\\SavedDialogHistory\\NewEdit",
      "\\SOFTWARE\\Far\\SavedDialogHistory\\NewFolder",
      "\\SOFTWARE\\Far\\SavedDialogHistory\\ReplaceText",
      "\\SOFTWARE\\Far\\SavedDialogHistory\\SearchText",
      "\\SOFTWARE\\Far\\Viewer\\LastPositions",
  };
  return keys;
}

void CleanTempReg(ScanContext& s, const std::string& keyPath) {
  if (!s.app.CancelFlag) return;
  std::vector<std::string> names;
  if (ReadValueNames(s.registry(), kHkcu, keyPath, names) == 0 || !KeyIsWritable(s.registry(), kHkcu, keyPath))
    return;
  ForEachValue(s, names, [&](const std::string& n) {
    if (!ExpressibleInScript(n)) return;
    const std::string v = ReadUpperString(s.registry(), kHkcu, keyPath, n);
    if (v.empty()) return;
    ReportValueDeletion(s, kTempValuesSlot, "HKEY_CURRENT_USER" + keyPath + "\\" + n + "=" + v, kHkcu, keyPath, n,
                        AlsoTempValues::Yes);
  });
}

void CleanApplicationsHistory(ScanContext& s, RootKey root, const std::string& path) {
  if (!s.app.CancelFlag || IsExcludedTree(path)) return;
  RegistryView& p = s.registry();
  // Only a tree the repair may change is examined, and nothing below a key that is not.
  if (!KeyIsWritable(p, root, path)) return;
  std::vector<std::string> keys;
  std::vector<std::string> values;
  ReadKeyNames(p, root, path, keys);
  ReadValueNames(p, root, path, values);
  // A history key's values are CleanTempReg's findings already.
  if (IsHistoryKey(root, path)) values.clear();

  ForEachValue(s, values, [&](const std::string& n) {
    if (!ExpressibleInScript(n)) return;
    const auto value = ReadValue(p, root, path, n);
    if (!value || !IsStringType(value->type)) return;
    const std::string text = TextOfStringData(value->data);
    if (!LooksLikePath(text)) return;
    const std::string file = ResolveCommandLine(s.app.folders, text);
    if (file.find(":\\") == std::string::npos || CommandState(s, text, file, BareNames::NotJudged) != FileState::Missing)
      return;
    ReportValueDeletion(s, kTempValuesSlot, RootName(root) + path + n + "=" + file, root, path, n,
                        AlsoTempValues::Yes);
  });

  for (const std::string& sub : keys) {
    s.host.ProcessMessages();
    if (UsableKeyName(sub)) CleanApplicationsHistory(s, root, path + sub + "\\");
  }
}

void CleanEmptyKeys(ScanContext& s) {
  if (!s.app.CancelFlag) return;
  ForEachSubkey(s, kHkcu, "\\Software\\", Bar::None, [&](const std::string& name) {
    if (IsSystemSoftwareKey(name)) return;
    const std::string key = "\\SOFTWARE\\" + name;
    // A walk cut short by Stop, or one that met a key it could not read, never says empty.
    if (!KeyIsEmpty(s, kHkcu, key + "\\")) return;
    ReportKeyDeletion(s, kTempValuesSlot, "HKEY_CURRENT_USER\\SOFTWARE\\" + name, kHkcu, key, AlsoTempValues::Yes);
  });
}

}  // namespace qrv
