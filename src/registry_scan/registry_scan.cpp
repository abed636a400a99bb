#include "registry_scan/registry_scan.h"

#include <memory>
#include <vector>

#include "core/settings.h"
#include "engine/registry_ops.h"
#include "registry_scan/app_path_checks.h"
#include "registry_scan/association_checks.h"
#include "registry_scan/com_checks.h"
#include "registry_scan/interface_checks.h"
#include "registry_scan/scan_context.h"
#include "registry_scan/startup_checks.h"
#include "registry_scan/temp_values.h"

namespace qrv {

namespace {

const std::array<TextId, kRegistryCategories> kCaptions{
    TextId::Action3Item01, TextId::Action3Item02, TextId::Action3Item03, TextId::Action3Item04,
    TextId::Action3Item05, TextId::Action3Item06, TextId::Action3Item07, TextId::Action3Item08,
    TextId::Action3Item09, TextId::Action3Item10};

}  // namespace

std::string RegistryCategoryCaption(const LanguageTable& language, int category) {
  return language.Text(kCaptions.at(static_cast<std::size_t>(category - 1)));
}

std::size_t RegistryScan::Count(int category) const { return app_.Slot(category).size(); }

std::size_t RegistryScan::Total() const {
  std::size_t total = 0;
  for (int n = 1; n <= kRegistryCategories; ++n) total += Count(n);
  return total;
}

void RegistryScan::Run(RegistryScanObserver* observer, RegistryScanOrder order) {
  RegistryScanObserver none;
  // The one-click scan has begun its results already; this is its first phase.
  stamp_ = order == RegistryScanOrder::Home ? app_.ResultsStamp : app_.BeginResults(ResultsOwner::Registry);
  for (int n = 1; n <= kRegistryCategories; ++n) app_.Slot(n).clear();
  app_.FixScript.Start();
  app_.FixScriptTempValuesAt = 0;
  app_.TempValueScript.Start();
  app_.UndoScript.Start();
  completed_ = false;
  app_.CancelFlag = true;
  RunCategories(observer != nullptr ? *observer : none, order);
  app_.CancelFlag = false;
}

void RegistryScan::RunCategories(RegistryScanObserver& observer, RegistryScanOrder order) {
  const bool home = order == RegistryScanOrder::Home;
  // The program's own view, and for a 64-bit program on 64-bit Windows the
  // 32-bit view after it: each check runs in both before the next begins.
  std::vector<std::unique_ptr<ScanContext>> views;
  views.push_back(std::make_unique<ScanContext>(app_, host_));
  if (RegistryView* view32 = app_.platform.ThirtyTwoBitView())
    views.push_back(std::make_unique<ScanContext>(app_, host_, view32));
  // After a check of a category: its count so far, then a chance to stop.
  const auto between = [&](int category) {
    observer.Counted(category);
    host_.ProcessMessages();
    return app_.CancelFlag;
  };
  // A tree walked whole: in the 32-bit pass only when that view keeps it apart.
  const auto historyOf = [](ScanContext& s, RootKey root) {
    if (!s.SharedWithNativeView(root, "\\SOFTWARE\\")) CleanApplicationsHistory(s, root, "\\SOFTWARE\\");
  };
  for (int category = 1; category <= kRegistryCategories; ++category) {
    observer.CategoryStarted(category);
    if (category == kRegistryCategories) app_.FixScriptTempValuesAt = app_.FixScript.Size();
    for (const auto& view : views) {
      ScanContext& s = *view;
      const bool first = view == views.front();
      switch (category) {
        case 1:
          CheckSoftwareLocations(s);
          break;
        case 2:
          CheckSharedPrograms(s);
          if (!between(category)) return;
          if (first) observer.CheckStarted(category);
          CheckKnownPrograms(s);
          break;
        case 3:
          CheckAssociations(s);
          break;
        case 4:
          CheckCOM(s);
          if (!between(category)) return;
          if (first) observer.CheckStarted(category);
          CheckActiveX(s);
          break;
        case 5:
          CheckInterfaces(s);
          if (!between(category)) return;
          if (first) observer.CheckStarted(category);
          CheckTypeLib(s);
          break;
        case 6:
          CheckStartup(s, home ? RootKey::CurrentUser : RootKey::LocalMachine);
          CheckStartup(s, home ? RootKey::LocalMachine : RootKey::CurrentUser);
          break;
        case 7:
          CheckUninstall(s);
          break;
        case 8:
          CheckHelp(s);
          break;
        case 9:
          CheckFonts(s);
          CheckSounds(s);
          break;
        default:
          if (home) {
            historyOf(s, RootKey::CurrentUser);
            if (first) observer.CheckStarted(category);
            historyOf(s, RootKey::LocalMachine);
            CleanEmptyKeys(s);
            for (const std::string& key : TempRegistryKeys()) CleanTempReg(s, key);
          } else {
            for (const std::string& key : TempRegistryKeys()) CleanTempReg(s, key);
            if (!between(category)) return;
            historyOf(s, RootKey::CurrentUser);
            if (!between(category)) return;
            historyOf(s, RootKey::LocalMachine);
            if (first) observer.CheckStarted(category);
            CleanEmptyKeys(s);
          }
          break;
      }
      if (view != views.back()) {
        observer.Counted(category);
        host_.ProcessMessages();
        if (!app_.CancelFlag) return;
      }
    }
    observer.Counted(category);
    if (category == kRegistryCategories) {
      // Stop pressed during the last checks: they ran out without work, so
      // the scan did not reach its end.
      if (!app_.CancelFlag) return;
      completed_ = true;
      settings::Write(app_.platform, settings::kRegistryRunDate, app_.platform.Now());
      return;
    }
    host_.ProcessMessages();
    if (!app_.CancelFlag) return;
  }
}

RegistryRepairResult RepairRegistry(AppState& app) {
  RegistryRepairResult result;
  std::vector<std::string> allLines;
  for (int n = 1; n <= kRegistryCategories; ++n) {
    const auto& slot = app.Slot(n);
    result.counts.at(static_cast<std::size_t>(n)) = slot.size();
    allLines.insert(allLines.end(), slot.begin(), slot.end());
  }
  result.found = allLines.size();
  result.repair = LogBackUpAndApply(app.platform, app.folders, allLines, app.UndoScript, app.FixScript);
  if (!result.Imported()) return result;
  // What counts as fixed is what the registry no longer holds.
  result.left = LinesLeft(allLines, result.repair.gone);
  if (result.repair.gone.size() == allLines.size()) {
    std::size_t finding = 0;
    for (int n = 1; n <= kRegistryCategories; ++n) {
      std::size_t& fixed = result.counts.at(static_cast<std::size_t>(n));
      fixed = 0;
      for (std::size_t i = 0; i < app.Slot(n).size(); ++i, ++finding) fixed += result.repair.gone[finding] ? 1 : 0;
    }
  } else if (!result.left.empty()) {
    result.counts.fill(0);
  }
  result.total = result.found - result.left.size();
  for (int n = 1; n <= kRegistryCategories; ++n) app.Slot(n).clear();
  app.FixScript.Clear();
  return result;
}

}  // namespace qrv
