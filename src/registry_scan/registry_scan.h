#pragma once
// The registry scan of the ten categories and its repair, as operations:
// the Registry tab, the console program and the one-click scan run the same
// code and only show the results differently.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/scan_host.h"
#include "core/startup.h"
#include "engine/fix_script.h"

namespace qrv {

inline constexpr int kRegistryCategories = 10;

// The caption of a category (1 to 10) in the user's language.
std::string RegistryCategoryCaption(const LanguageTable& language, int category);

// What the scan tells its page as it goes; every call is optional.
class RegistryScanObserver {
 public:
  virtual ~RegistryScanObserver() = default;
  // A category's first check starts.
  virtual void CategoryStarted(int /*category*/) {}
  // A further check of the same category starts (its bar starts again).
  virtual void CheckStarted(int /*category*/) {}
  // The category's findings so far are in its slot.
  virtual void Counted(int /*category*/) {}
};

// The order of the checks: the one-click scan reads the current user's Run
// keys first and cleans the 22 history keys last, with no stop in between.
enum class RegistryScanOrder { RegistryTab, Home };

class RegistryScan {
 public:
  RegistryScan(AppState& app, ScanHost& host) : app_(app), host_(host) {}

  // Empties slots 1 to 10, starts the fix and undo scripts and runs the
  // categories in order with CancelFlag set, until the end or until Stop
  // clears CancelFlag. CancelFlag is clear again when it returns. A scan that
  // ran to its end writes RunDate1.
  void Run(RegistryScanObserver* observer = nullptr, RegistryScanOrder order = RegistryScanOrder::RegistryTab);

  // Whether the last run reached its end (Stop was not pressed).
  bool Completed() const { return completed_; }
  // The results the run began (AppState::HoldsResultsOf).
  std::uint64_t Stamp() const { return stamp_; }
  std::size_t Count(int category) const;
  std::size_t Total() const;

 private:
  void RunCategories(RegistryScanObserver& observer, RegistryScanOrder order);

  AppState& app_;
  ScanHost& host_;
  bool completed_ = false;
  std::uint64_t stamp_ = 0;
};

struct RegistryRepairResult {
  RepairResult repair;
  // The findings of each category (1 to 10) that are gone after the import.
  std::array<std::size_t, kRegistryCategories + 1> counts{};
  std::size_t found = 0;  // the findings the repair covered
  std::size_t total = 0;  // of them, gone from the registry
  // The display lines of the findings the import left in the registry.
  std::vector<std::string> left;
  bool Imported() const { return repair.outcome == RepairOutcome::Imported; }
};

// Logs, backs up and imports the findings of slots 1 to 10, then reads the
// registry back: a finding counts as fixed only when what it deletes is gone.
// When the import ran, the slots and the fix script are emptied; otherwise
// nothing changes.
RegistryRepairResult RepairRegistry(AppState& app);

}  // namespace qrv
