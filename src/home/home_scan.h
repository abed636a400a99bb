#pragma once
// The one-click scan of the Home tab and its Repair & Optimize, as
// operations: the Home pages, the console program and the scheduled companion
// run the same code and only show the results differently.
//
// Phases: 1 the ten registry categories (slots 1 to 10), 2 the privacy items
// (slots 11 temporary files, 12 visited sites, 13 cookies), 3 residual files
// (slot 14), 4 invalid shortcuts (slot 15), 5 the startup programs' count.
//
// Summary groups: 1 the registry categories 1 to 9, 2 the temporary registry
// values (slot 10), 3 to 7 slots 11 to 15. Each category keeps its lines in
// its own slot; group 1 merges slots 1 to 9 only for its display, count and log.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/scan_host.h"
#include "core/startup.h"
#include "engine/fix_script.h"
#include "registry_scan/registry_scan.h"

namespace qrv {

inline constexpr int kHomePhases = 5;
inline constexpr int kSummaryGroups = 7;  // the repairable groups
inline constexpr unsigned kHomePauseMs = 900;

// The slots whose lines make up a group (1 to 7).
std::vector<int> GroupSlots(int group);
std::size_t GroupCount(const AppState& app, int group);
std::vector<std::string> GroupItems(const AppState& app, int group);
// The group's description: what was found, or what was done once repaired.
std::string GroupCaption(const LanguageTable& language, int group, bool repaired);
// The fill of the Home bar at the start of a phase: 133, 266, 400, 533, 533.
int PhaseFillWidth(int phase);
// The search root of phase 3: the system drive's root ("C:\").
std::string ResidualSearchRoot(const FolderSet& folders);

class HomeScanObserver : public RegistryScanObserver {
 public:
  // A phase (1 to 5) starts.
  virtual void PhaseStarted(int /*phase*/) {}
  // A step within phase 2 starts (the step result is emptied).
  virtual void StepStarted(int /*phase*/) {}
  // The phase's findings so far are in their slots (phase 5: app.StartupCount).
  virtual void PhaseCounted(int /*phase*/) {}
};

class HomeScan {
 public:
  HomeScan(AppState& app, ScanHost& host) : app_(app), host_(host) {}

  // Empties slots 1 to 15, starts the three scripts and runs the five phases
  // with CancelFlag set, until the end or until Stop clears it; CancelFlag is
  // clear again when it returns. Writes RunDate1 to RunDate3 for the phases
  // that ran to their end, and ItemsToFix and ItemsToClean always. Without
  // pauses (the scheduled companion) the 900 ms waits are left out.
  void Run(HomeScanObserver* observer = nullptr, bool pauses = true);

  bool Completed() const { return phasesCompleted_ == kHomePhases; }
  // The results the run began (AppState::HoldsResultsOf).
  std::uint64_t Stamp() const { return stamp_; }
  int PhasesCompleted() const { return phasesCompleted_; }
  // The browsers whose caches phase 2 left out because they were running.
  const std::vector<std::string>& SkippedBrowsers() const { return skippedBrowsers_; }

 private:
  bool RunPhases(HomeScanObserver& observer);
  void Pause();
  AppState& app_;
  ScanHost& host_;
  bool pauses_ = true;
  int phasesCompleted_ = 0;
  std::uint64_t stamp_ = 0;
  std::vector<std::string> skippedBrowsers_;
};

// The registry findings it can repair (slots 1 to 9) and the files and traces
// it can clean (slots 11 to 15), as written to ItemsToFix and ItemsToClean.
std::size_t ItemsToFix(const AppState& app);
std::size_t ItemsToClean(const AppState& app);

using SummaryTicks = std::array<bool, kSummaryGroups + 1>;  // [1] to [7]; [0] unused
inline SummaryTicks AllSummaryGroups() { return {false, true, true, true, true, true, true, true}; }

enum class GroupOutcome {
  NotTicked,
  Empty,           // ticked, but nothing was found: nothing done
  Repaired,
  LogNotWritten,   // nothing removed
  UndoNotWritten,  // nothing removed
  NotImported,     // the registry script was refused or not imported
  Cancelled,       // Stop was pressed before the group was reached
};

struct HomeRepairResult {
  std::array<GroupOutcome, kSummaryGroups + 1> outcome{};
  // What each group removed: files deleted, history files deleted or
  // scheduled for the restart, registry findings gone after the import.
  std::array<std::size_t, kSummaryGroups + 1> removed{};
  std::size_t fixed = 0;
  std::size_t scheduledAtRestart = 0;
  std::vector<std::string> logs;    // one per repaired group
  std::string undoPath;             // empty when nothing needed backing up
  std::vector<std::string> failed;  // listed files still there
  std::vector<std::string> left;    // registry findings the import left in place
  bool nothingFound = false;        // slots 1 to 15 all empty: nothing done
};

// Repair & Optimize: for every ticked group that holds items, in group order,
// its log first and (for the registry groups, once) the undo file, then the
// repair itself: group 1 imports the nine categories' script, group 2 the
// temporary values' script, groups 3, 5, 6, 7 delete their listed files,
// group 4 the history index files and Firefox's form history. A group that
// is repaired is emptied; one that is not ticked, or failed, keeps its items.
// Stops before the next group when CancelFlag is cleared.
HomeRepairResult RepairHome(AppState& app, ScanHost& host, const SummaryTicks& ticked, bool pauses = true);

}  // namespace qrv
