#include "home/home_scan.h"

#include <cctype>

#include "cleaning/browser_caches.h"
#include "cleaning/file_walk.h"
#include "cleaning/privacy_scan.h"
#include "cleaning/residual_files.h"
#include "cleaning/shortcuts.h"
#include "core/settings.h"
#include "engine/backup.h"
#include "engine/file_ops.h"
#include "engine/registry_ops.h"
#include "tools/startup_manager.h"

namespace qrv {

namespace {

constexpr unsigned kAfterImportPauseMs = 1000;

const std::array<TextId, kSummaryGroups> kFoundCaptions{
    TextId::Action2FixAction1a, TextId::Action2FixAction2a, TextId::Action2FixAction3a, TextId::Action2FixAction4a,
    TextId::Action2FixAction5a, TextId::Action2FixAction6a, TextId::Action2FixAction7a};
const std::array<TextId, kSummaryGroups> kRepairedCaptions{
    TextId::Action2FixAction1b, TextId::Action2FixAction2b, TextId::Action2FixAction3b, TextId::Action2FixAction4b,
    TextId::Action2FixAction5b, TextId::Action2FixAction6b, TextId::Action2FixAction7b};

std::size_t SlotSum(const AppState& app, int first, int last) {
  std::size_t sum = 0;
  for (int n = first; n <= last; ++n) sum += app.Slot(n).size();
  return sum;
}

// Passes the registry phase on to the caller's observer.
class PhaseOneObserver : public RegistryScanObserver {
 public:
  explicit PhaseOneObserver(HomeScanObserver& outer) : outer_(outer) {}
  void CategoryStarted(int category) override { outer_.CategoryStarted(category); }
  void CheckStarted(int category) override { outer_.CheckStarted(category); }
  void Counted(int category) override {
    outer_.Counted(category);
    outer_.PhaseCounted(1);
  }

 private:
  HomeScanObserver& outer_;
};

// The nine categories' part of the fix script: the temporary values have
// their own script, so that each group imports only its own lines.
RegScript NineCategoriesScript(const AppState& app) {
  const std::vector<std::string>& lines = app.FixScript.Lines();
  const std::size_t end = app.FixScriptTempValuesAt;
  if (end < 2 || end > lines.size()) return app.FixScript;
  RegScript nine(app.FixScript.Flavour());
  nine.Start();
  nine.AppendExported(std::vector<std::string>(lines.begin() + 2, lines.begin() + static_cast<std::ptrdiff_t>(end)));
  return nine;
}

}  // namespace

std::vector<int> GroupSlots(int group) {
  if (group == 1) return {1, 2, 3, 4, 5, 6, 7, 8, 9};
  if (group == 2) return {kSlotTempValues};
  return {kSlotTempFiles + group - 3};
}

std::size_t GroupCount(const AppState& app, int group) {
  std::size_t count = 0;
  for (int slot : GroupSlots(group)) count += app.Slot(slot).size();
  return count;
}

std::vector<std::string> GroupItems(const AppState& app, int group) {
  std::vector<std::string> items;
  for (int slot : GroupSlots(group)) items.insert(items.end(), app.Slot(slot).begin(), app.Slot(slot).end());
  return items;
}

std::string GroupCaption(const LanguageTable& language, int group, bool repaired) {
  const auto index = static_cast<std::size_t>(group - 1);
  return language.Text(repaired ? kRepairedCaptions.at(index) : kFoundCaptions.at(index));
}

int PhaseFillWidth(int phase) {
  static constexpr std::array<int, kHomePhases> kWidths{133, 266, 400, 533, 533};
  return kWidths.at(static_cast<std::size_t>(phase - 1));
}

std::string ResidualSearchRoot(const FolderSet& folders) {
  const std::string& windows = folders.WindowsFolder;
  if (windows.size() >= 3 && std::isalpha(static_cast<unsigned char>(windows[0])) != 0 && windows[1] == ':' &&
      windows[2] == '\\')
    return windows.substr(0, 3);
  return "C:\\";
}

std::size_t ItemsToFix(const AppState& app) { return SlotSum(app, 1, 9); }
std::size_t ItemsToClean(const AppState& app) { return SlotSum(app, kSlotTempFiles, kSlotShortcuts); }

void HomeScan::Pause() {
  if (pauses_) app_.platform.Sleep(kHomePauseMs);
}

void HomeScan::Run(HomeScanObserver* observer, bool pauses) {
  HomeScanObserver none;
  pauses_ = pauses;
  phasesCompleted_ = 0;
  stamp_ = app_.BeginResults(ResultsOwner::Home);
  skippedBrowsers_.clear();
  for (int n = 1; n <= kSlotShortcuts; ++n) app_.Slot(n).clear();
  app_.FixScript.Start();
  app_.TempValueScript.Start();
  app_.UndoScript.Start();
  app_.StartupCount = 0;
  const int mode = app_.ScanMode;
  app_.ScanMode = kScanModeHome;
  app_.CancelFlag = true;
  RunPhases(observer != nullptr ? *observer : none);
  app_.CancelFlag = false;
  app_.ScanMode = mode;
  settings::Write(app_.platform, settings::kItemsToFix, static_cast<std::uint32_t>(ItemsToFix(app_)));
  settings::Write(app_.platform, settings::kItemsToClean, static_cast<std::uint32_t>(ItemsToClean(app_)));
}

bool HomeScan::RunPhases(HomeScanObserver& observer) {
  ScanContext s(app_, host_);
  FileSystem& files = app_.platform;
  const FolderSet& folders = app_.folders;
  const auto between = [&](int phase) {
    observer.PhaseCounted(phase);
    host_.ProcessMessages();
    return app_.CancelFlag;
  };
  const auto start = [&](int phase) {
    observer.PhaseStarted(phase);
    host_.SetProgressWidth(kScanModeHome, PhaseFillWidth(phase));
  };
  const auto stamp = [&](const settings::DateTime& setting) {
    settings::Write(app_.platform, setting, app_.platform.Now());
  };

  start(1);
  host_.ProcessMessages();
  if (!app_.CancelFlag) return false;
  {
    PhaseOneObserver phaseOne(observer);
    RegistryScan registry(app_, host_);
    registry.Run(&phaseOne, RegistryScanOrder::Home);  // writes RunDate1 when it reaches its end
    if (!registry.Completed()) return false;
    app_.CancelFlag = true;
  }
  phasesCompleted_ = 1;

  start(2);
  auto& temporary = app_.Slot(kSlotTempFiles);
  if (FolderExists(files, folders.InternetCacheFolder)) CleanTempDir(s, folders.InternetCacheFolder, temporary);
  if (!between(2)) return false;
  Pause();
  observer.StepStarted(2);
  if (FolderExists(files, folders.FirefoxCacheFolder)) CleanTempDir(s, folders.FirefoxCacheFolder, temporary);
  if (!between(2)) return false;
  ListBrowserCaches(s, temporary, skippedBrowsers_);
  if (!between(2)) return false;
  observer.StepStarted(2);
  ScanWebPagesVisited(s, app_.Slot(kSlotWebPages));
  if (!between(2)) return false;
  CleanCookies(s, app_.Slot(kSlotCookies));
  if (!between(2)) return false;
  const auto usable = [&](const std::string& folder) { return folder.size() > 1 && FolderExists(files, folder); };
  if (usable(folders.TmpFolder)) GatherTemporaryFolder(s, folders.TmpFolder, temporary);
  if (!between(2)) return false;
  Pause();
  observer.StepStarted(2);
  if (folders.TempFolder != folders.TmpFolder && usable(folders.TempFolder))
    GatherTemporaryFolder(s, folders.TempFolder, temporary);
  // A file reached through two of the folders is listed once.
  RemoveRepeats(temporary);
  if (!between(2)) return false;
  Pause();
  stamp(settings::kPrivacyRunDate);
  phasesCompleted_ = 2;

  start(3);
  std::size_t scanned = 0;
  ResidualObserver residuals;
  ScanTmpFiles(s, ResidualSearchRoot(folders), app_.Slot(kSlotResidualFiles), residuals, scanned);
  if (!between(3)) return false;
  Pause();
  stamp(settings::kResidualRunDate);
  phasesCompleted_ = 3;

  start(4);
  ShortcutObserver shortcuts;
  if (!folders.UserProfileFolder.empty())
    ScanShortcuts(s, folders.UserProfileFolder, app_.Slot(kSlotShortcuts), shortcuts, scanned);
  if (!between(4)) return false;
  Pause();
  phasesCompleted_ = 4;

  start(5);
  ReadStartup(app_, host_);
  observer.PhaseCounted(5);
  Pause();
  phasesCompleted_ = 5;
  return true;
}

namespace {

class Repairer {
 public:
  Repairer(AppState& app, ScanHost& host, bool pauses, HomeRepairResult& result)
      : app_(app), s_(app, host), pauses_(pauses), result_(result) {}

  GroupOutcome Registry(int group) {
    const std::vector<std::string> items = GroupItems(app_, group);
    const RegScript script = group == 1 ? NineCategoriesScript(app_) : app_.TempValueScript;
    // One undo file for both registry groups: the first one to run writes it.
    const RegScript none(app_.UndoScript.Flavour());
    const RepairResult repair =
        LogBackUpAndApply(app_.platform, app_.folders, items, undoWritten_ ? none : app_.UndoScript, script);
    if (!repair.undoPath.empty() && repair.outcome != RepairOutcome::UndoNotWritten) {
      undoWritten_ = true;
      result_.undoPath = repair.undoPath;
    }
    switch (repair.outcome) {
      case RepairOutcome::Imported: break;
      case RepairOutcome::LogNotWritten: return GroupOutcome::LogNotWritten;
      case RepairOutcome::UndoNotWritten: return GroupOutcome::UndoNotWritten;
      default: return GroupOutcome::NotImported;
    }
    if (pauses_) app_.platform.Sleep(kAfterImportPauseMs);
    result_.logs.push_back(repair.logPath);
    // Removed is what the registry no longer holds.
    const std::vector<std::string> left = LinesLeft(items, repair.gone);
    result_.left.insert(result_.left.end(), left.begin(), left.end());
    result_.removed.at(static_cast<std::size_t>(group)) = items.size() - left.size();
    for (int slot : GroupSlots(group)) app_.Slot(slot).clear();
    if (group == 1) {
      // What is left of the fix script is the temporary values' part, still
      // held by their own script.
      app_.FixScript.Clear();
      app_.FixScriptTempValuesAt = 0;
    } else {
      app_.TempValueScript.Clear();
    }
    return GroupOutcome::Repaired;
  }

  GroupOutcome Files(int group) {
    const int slot = GroupSlots(group).front();
    const SavedFile log = WriteLog(app_.platform, app_.folders, app_.Slot(slot));
    if (!log.ok) return GroupOutcome::LogNotWritten;
    result_.logs.push_back(log.path);
    std::size_t removed = 0;
    if (slot == kSlotWebPages) {
      removed = DeleteHistoryFiles(s_, result_.scheduledAtRestart, result_.failed);
    } else {
      // The residual files and the shortcuts are kept for recovery (their
      // removal writes a second log, of where each went, beside the group's
      // own); the privacy files go for good.
      const bool kept = slot == kSlotResidualFiles || slot == kSlotShortcuts;
      RemovalResult removal = RemoveListedFiles(s_, app_.Slot(slot), kept ? kKeptListRemoval : kListRemoval);
      removed = removal.deleted;
      result_.failed.insert(result_.failed.end(), removal.failed.begin(), removal.failed.end());
    }
    result_.removed.at(static_cast<std::size_t>(group)) = removed;
    // Stopped half-way: what is left stays listed (what is gone is skipped next time).
    if (!app_.CancelFlag) return GroupOutcome::Cancelled;
    app_.Slot(slot).clear();
    return GroupOutcome::Repaired;
  }

  bool RegistryRepaired() const { return registryRepaired_; }
  void NoteRegistryRepaired() { registryRepaired_ = true; }

 private:
  AppState& app_;
  ScanContext s_;
  bool pauses_;
  HomeRepairResult& result_;
  bool undoWritten_ = false;
  bool registryRepaired_ = false;
};

}  // namespace

HomeRepairResult RepairHome(AppState& app, ScanHost& host, const SummaryTicks& ticked, bool pauses) {
  HomeRepairResult result;
  if (SlotSum(app, 1, kSlotShortcuts) == 0) {
    result.nothingFound = true;
    for (int g = 1; g <= kSummaryGroups; ++g)
      result.outcome.at(static_cast<std::size_t>(g)) =
          ticked.at(static_cast<std::size_t>(g)) ? GroupOutcome::Empty : GroupOutcome::NotTicked;
    return result;
  }
  Repairer repairer(app, host, pauses, result);
  app.CancelFlag = true;
  for (int g = 1; g <= kSummaryGroups; ++g) {
    GroupOutcome& outcome = result.outcome.at(static_cast<std::size_t>(g));
    if (g > 1) host.ProcessMessages();
    if (!ticked.at(static_cast<std::size_t>(g))) {
      outcome = GroupOutcome::NotTicked;
    } else if (!app.CancelFlag) {
      outcome = GroupOutcome::Cancelled;
    } else if (GroupCount(app, g) == 0) {
      outcome = GroupOutcome::Empty;
    } else {
      outcome = g <= 2 ? repairer.Registry(g) : repairer.Files(g);
      if (g <= 2 && outcome == GroupOutcome::Repaired) repairer.NoteRegistryRepaired();
    }
    result.fixed += result.removed.at(static_cast<std::size_t>(g));
  }
  app.CancelFlag = false;
  // The undo file holds every backup of the scan; a later repair of the
  // other registry group needs none of its own.
  if (repairer.RegistryRepaired() && !result.undoPath.empty()) app.UndoScript.Start();
  return result;
}

}  // namespace qrv
