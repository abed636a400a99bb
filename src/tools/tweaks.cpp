#include "tools/tweaks.h"

#include "engine/backup.h"
#include "engine/registry_ops.h"

namespace qrv {

namespace {

constexpr RootKey HKLM = RootKey::LocalMachine;
constexpr RootKey HKCU = RootKey::CurrentUser;
using R = TweakRead;
using P = TweakPage;

constexpr const char* kMemory = "\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr const char* kPrefetch =
    "\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
constexpr const char* kExplorerLm = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr const char* kPoliciesExplorerUpper = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kErrorReporting = "\\SOFTWARE\\Microsoft\\PCHealth\\ErrorReporting";
constexpr const char* kPower = "\\SOFTWARE\\Policies\\Microsoft\\Windows\\System\\Power";
constexpr const char* kWinlogon = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kCrashControl = "\\SYSTEM\\CurrentControlSet\\Control\\CrashControl";
constexpr const char* kPoliciesSystemLm = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kRestrictions = "\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
constexpr const char* kIeControlPanel = "\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
constexpr const char* kIeMain = "\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kAutoComplete = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete";
constexpr const char* kPoliciesExplorer = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kPoliciesSystem = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kPoliciesUninstall = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Uninstall";

// A DWORD row written 1 for on and 0 for off, or the reverse for the rows
// whose value forbids what the caption allows.
constexpr TweakRow Dword(P page, int number, TextId caption, TextId hint, RootKey root, const char* key,
                         const char* readName, const char* writeName, R read, bool recommended,
                         bool rebootMark = false) {
  const bool inverted = read == R::DwordOneIsOff;
  return {page, number, caption, hint, rebootMark, root, key, readName, writeName, read,
          inverted ? 0u : 1u, inverted ? 1u : 0u, nullptr, nullptr, recommended, false};
}

constexpr TweakRow TextRow(P page, int number, TextId caption, TextId hint, RootKey root, const char* key,
                        const char* name, const char* onText, const char* offText, bool recommended) {
  return {page, number, caption, hint, false, root, key, name, name, R::StringEquals,
          0, 0, onText, offText, recommended, false};
}

constexpr TweakRow AutoLogon() {
  TweakRow row = TextRow(P::System, 7, TextId::TweakSystemItem07, TextId::TweakSystemHint07, HKLM, kWinlogon,
                      "AutoAdminLogon", "1", "0", false);
  row.writesUserName = true;
  return row;
}

#define QRV_SYS(n) TextId::TweakSystemItem##n, TextId::TweakSystemHint##n
#define QRV_NET(n) TextId::TweakInternetItem##n, TextId::TweakInternetHint##n
#define QRV_SEC(n) TextId::TweakSecurityItem##n, TextId::TweakSecurityHint##n

constexpr std::array<TweakRow, kTweakCount> kTable{{
    Dword(P::System, 1, QRV_SYS(01), HKLM, kMemory, "ClearPageFileAtShutdown", "ClearPageFileAtShutDown",
          R::DwordIsOne, true),
    Dword(P::System, 2, QRV_SYS(02), HKLM, kPrefetch, "EnablePrefetcher", "EnablePrefetcher", R::DwordPositive,
          false),
    Dword(P::System, 3, QRV_SYS(03), HKLM, kExplorerLm, "AlwaysUnloadDLL", "AlwaysUnloadDLL", R::DwordIsOne, true),
    Dword(P::System, 4, QRV_SYS(04), HKCU, kPoliciesExplorerUpper, "NoInstrumentation", "NoInstrumentation",
          R::DwordOneIsOff, false),
    Dword(P::System, 5, QRV_SYS(05), HKLM, kErrorReporting, "DoReport", "DoReport", R::DwordNotZero, false),
    Dword(P::System, 6, QRV_SYS(06), HKCU, kPower, "PromptPasswordOnResume", "PromptPasswordOnResume",
          R::DwordIsOne, false),
    AutoLogon(),
    Dword(P::System, 8, QRV_SYS(08), HKLM, kCrashControl, "AutoReboot", "AutoReboot", R::DwordIsOne, true),
    Dword(P::System, 9, QRV_SYS(09), HKLM, kPoliciesSystemLm, "verbosestatus", "verbosestatus", R::DwordIsOne,
          true),
    Dword(P::Internet, 1, QRV_NET(01), HKCU, kRestrictions, "NoBrowserOptions", "NoBrowserOptions",
          R::DwordOneIsOff, true),
    Dword(P::Internet, 2, QRV_NET(02), HKCU, kIeControlPanel, "Settings", "Settings", R::DwordOneIsOff, true),
    TextRow(P::Internet, 3, QRV_NET(03), HKCU, kIeMain, "Enable AutoImageResize", "YES", "NO", true),
    Dword(P::Internet, 4, QRV_NET(04), HKCU, kIeMain, "NoUpdateCheck", "NoUpdateCheck", R::DwordOneIsOff, false),
    TextRow(P::Internet, 6, QRV_NET(06), HKCU, kAutoComplete, "AutoSuggest", "YES", "NO", false),
    TextRow(P::Internet, 7, QRV_NET(07), HKCU, kIeMain, "Use FormSuggest", "YES", "NO", false),
    TextRow(P::Internet, 8, QRV_NET(08), HKCU, kIeMain, "FormSuggest Passwords", "YES", "NO", false),
    TextRow(P::Internet, 9, QRV_NET(09), HKCU, kIeMain, "FormSuggest PW Ask", "YES", "NO", true),
    Dword(P::Security, 1, QRV_SEC(01), HKCU, kPoliciesExplorer, "NoControlPanel", "NoControlPanel", R::DwordOneIsOff,
          true),
    Dword(P::Security, 2, QRV_SEC(02), HKCU, kPoliciesExplorer, "NoSetTaskbar", "NoSetTaskbar", R::DwordOneIsOff,
          true, true),
    Dword(P::Security, 3, QRV_SEC(03), HKCU, kPoliciesSystem, "NoDispCPL", "NoDispCPL", R::DwordOneIsOff, true),
    Dword(P::Security, 4, QRV_SEC(04), HKCU, kPoliciesExplorer, "NoRun", "NoRun", R::DwordOneIsOff, true, true),
    Dword(P::Security, 5, QRV_SEC(05), HKCU, kPoliciesUninstall, "NoAddRemovePrograms", "NoAddRemovePrograms",
          R::DwordOneIsOff, true),
    Dword(P::Security, 6, QRV_SEC(06), HKCU, kPoliciesSystem, "DisableTaskMgr", "DisableTaskMgr", R::DwordOneIsOff,
          true),
    Dword(P::Security, 7, QRV_SEC(07), HKCU, kPoliciesSystem, "DisableRegistryTools", "DisableRegistryTools",
          R::DwordOneIsOff, true),
}};

#undef QRV_SYS
#undef QRV_NET
#undef QRV_SEC

constexpr const char* kDefaultUserName = "DefaultUserName";

}  // namespace

const std::array<TweakRow, kTweakCount>& TweakTable() { return kTable; }

std::vector<int> TweakRowsOf(TweakPage page) {
  std::vector<int> rows;
  for (int i = 0; i < kTweakCount; ++i)
    if (kTable[static_cast<std::size_t>(i)].page == page) rows.push_back(i);
  return rows;
}

int TweakIndex(TweakPage page, int number) {
  for (int i = 0; i < kTweakCount; ++i) {
    const TweakRow& row = kTable[static_cast<std::size_t>(i)];
    if (row.page == page && row.number == number) return i;
  }
  return -1;
}

const char* TweakPageName(TweakPage page) {
  switch (page) {
    case TweakPage::System: return "system";
    case TweakPage::Internet: return "internet";
    case TweakPage::Security: return "security";
  }
  return "";
}

bool ReadTweak(RegistryView& view, const TweakRow& row) {
  if (row.read == R::StringEquals) return ReadUpperString(view, row.root, row.key, row.readName) == row.onText;
  const std::uint32_t value = ReadDword(view, row.root, row.key, row.readName);
  switch (row.read) {
    case R::DwordIsOne: return value == 1;
    case R::DwordPositive: return static_cast<std::int32_t>(value) > 0;
    case R::DwordNotZero: return value != 0;
    case R::DwordOneIsOff: return value != 1;
    case R::StringEquals: break;
  }
  return false;
}

TweakStates ReadTweaks(RegistryView& view) {
  TweakStates states{};
  for (std::size_t i = 0; i < kTable.size(); ++i) states[i] = ReadTweak(view, kTable[i]);
  return states;
}

void RecommendTweaks(TweakPage page, TweakStates& states) {
  for (int i : TweakRowsOf(page)) states[static_cast<std::size_t>(i)] = kTable[static_cast<std::size_t>(i)].recommended;
}

std::vector<int> ChangedTweaks(TweakPage page, const TweakStates& read, const TweakStates& states) {
  std::vector<int> rows;
  for (int i : TweakRowsOf(page))
    if (read[static_cast<std::size_t>(i)] != states[static_cast<std::size_t>(i)]) rows.push_back(i);
  return rows;
}

void BuildTweakScript(RegScript& script, const std::vector<int>& rows, const TweakStates& states,
                      const std::string& userName) {
  script.Start();
  for (std::size_t n = 0; n < rows.size(); ++n) {
    const auto i = static_cast<std::size_t>(rows[n]);
    const TweakRow& row = kTable[i];
    const bool on = states[i];
    script.AddKey(row.root, row.key);
    if (row.read == R::StringEquals) {
      script.AddString(row.writeName, on ? row.onText : row.offText);
      // The name goes through the writer like every string, so a backslash or
      // a quote in it cannot end the line early and write another value.
      if (on && row.writesUserName) script.AddString(kDefaultUserName, userName);
    } else {
      script.AddDword(row.writeName, on ? row.onDword : row.offDword);
    }
    if (!(row.page == TweakPage::Security && n + 1 == rows.size())) script.AddBlank();
  }
}

namespace {

bool BackupOne(RegistryView& view, RegScript& undo, RootKey root, const std::string& key, const std::string& name) {
  if (ValueExists(view, root, key, name)) return BackupValue(view, undo, root, key, name);
  // Not there before: undoing the tweak removes what Apply creates.
  undo.AddKey(root, key);
  undo.AddDeleteValue(name);
  undo.AddBlank();
  return true;
}

}  // namespace

bool BackupTweaks(RegistryView& view, RegScript& undo, const std::vector<int>& rows, const TweakStates& states) {
  bool complete = true;
  for (int i : rows) {
    const TweakRow& row = kTable[static_cast<std::size_t>(i)];
    complete = BackupOne(view, undo, row.root, row.key, row.readName) && complete;
    if (row.writesUserName && states[static_cast<std::size_t>(i)])
      complete = BackupOne(view, undo, row.root, row.key, kDefaultUserName) && complete;
  }
  return complete;
}

TweakApplyResult ApplyTweaks(AppState& app, TweakPage page, const TweakStates& read, const TweakStates& states) {
  TweakApplyResult result;
  result.written = ChangedTweaks(page, read, states);
  if (result.written.empty()) {
    result.outcome = TweakApplyOutcome::NothingChanged;
    return result;
  }
  RegScript fix(ScriptFlavour::Regedit4);
  BuildTweakScript(fix, result.written, states, app.folders.UserName);
  RegScript undo(ScriptFlavour::Version5);
  undo.Start();
  if (!BackupTweaks(app.platform, undo, result.written, states)) return result;
  const SavedFile saved = SaveUndoScript(app.platform, app.folders, undo);
  result.undoPath = saved.path;
  if (!saved.ok) {
    result.outcome = TweakApplyOutcome::UndoNotWritten;
    return result;
  }
  switch (ApplyFixScript(app.platform, app.folders, fix)) {
    case ApplyResult::Imported: result.outcome = TweakApplyOutcome::Imported; break;
    case ApplyResult::Refused:
    case ApplyResult::TooLarge: result.outcome = TweakApplyOutcome::Refused; break;
    case ApplyResult::NotWritten: result.outcome = TweakApplyOutcome::ScriptNotWritten; break;
    case ApplyResult::NotStarted: result.outcome = TweakApplyOutcome::EditorNotStarted; break;
  }
  return result;
}

}  // namespace qrv
