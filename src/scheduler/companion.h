#pragma once
// QRVSchedule.exe, the scheduled-scan companion: started at every logon by
// the Run value "Quorvane Schedule" (and by the schedule dialog's Apply), it
// waits for the weekly slot of s_Day and s_Time and then runs the one-click
// scan without its pauses, reporting the two counts. It only scans: nothing
// is repaired or deleted, the user does that in Quorvane.
//
// The decisions, all on local time in whole minutes:
//  - the slot is due during its own minute; the next one is the first slot
//    whose minute has not ended (this week's if still ahead, else next week's);
//  - at start, a slot that passed after the last scan known (the later of
//    RunDate1, which every registry scan writes, and s_LastRun, which the
//    companion writes when it takes a slot) was missed while the PC was off
//    or nobody was logged on: it runs one settle delay after the start;
//  - the settings are read again at every wake, at least once a minute and
//    at once when the settings key changes; s_Enable 0 or missing ends the
//    companion, a changed day or time gives the next slot from now on;
//  - a slot that comes while Quorvane (or QRVCli) holds its mutex is let
//    pass: the user is at the program.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/scan_host.h"
#include "core/startup.h"

namespace qrv {

inline constexpr const char* kCompanionMutexName = "QRVSchedule";
// The start of the last slot the companion took (date-time, binary).
inline constexpr std::uint32_t kCompanionWakeMs = 60000;    // the longest wait between two readings
inline constexpr std::int64_t kSettleDelayMs = 60000;       // a missed run, after the start

// Milliseconds since 30 December 1899 of a date-time (days), and back.
std::int64_t DateTimeMs(double dateTime);
double MsDateTime(std::int64_t ms);
// 0 Monday ... 6 Sunday.
int DayOfWeek(double dateTime);
// The first slot (day 0 Monday ... 6, minutes of the day) that starts at or
// after `fromMs`, as milliseconds.
std::int64_t FirstSlotFrom(std::int64_t fromMs, int day, int minutes);
// The slot a companion looking at the clock at `now` waits for: the first
// whose minute has not ended.
double NextScheduledRun(double now, int day, int minutes);

// The schedule as the companion reads it: no time stored means no slot.
struct CompanionSchedule {
  bool enabled = false;
  int day = 0;
  std::optional<int> minutes;
  bool operator==(const CompanionSchedule&) const = default;
};
CompanionSchedule ReadCompanionSchedule(AppState& app);
// The later of RunDate1 and s_LastRun, if either is stored.
std::optional<double> LastScanKnown(AppState& app);

// What start-up gives the companion: the folder set, the language file and
// the log and undo folders, read only. Unlike the main program it seeds no
// setting (a missing s_Enable stays missing: off) and sets no elevation flag
// (a program that asks for elevation is not started from a Run value).
void LoadCompanionState(AppState& app);

// Where the companion shows what it found.
class CompanionNotifier {
 public:
  virtual ~CompanionNotifier() = default;
  // A scheduled scan ran to its end: the values it wrote to ItemsToFix and ItemsToClean.
  virtual void ScanFinished(std::size_t itemsToFix, std::size_t itemsToClean) = 0;
  // The user closed the companion (its menu); looked at after every wait and scan step.
  virtual bool ExitRequested() { return false; }
};

class ScheduleCompanion {
 public:
  ScheduleCompanion(AppState& app, ScanHost& host, CompanionNotifier& notifier)
      : app_(app), host_(host), notifier_(notifier) {}

  // One wake: reads the settings, works out the slot and runs it when due.
  // Returns how long to wait before the next wake, or nothing: the companion ends.
  std::optional<std::uint32_t> Step();
  // The companion's life: Step, then wait on the settings key, until the end.
  void Run();

  // The slot waited for, if there is one (milliseconds, as DateTimeMs).
  std::optional<std::int64_t> DueMs() const { return due_; }
  int ScansRun() const { return scans_; }
  int SlotsPassed() const { return passed_; }  // let pass because Quorvane was running

 private:
  void Plan(bool atStart);
  void TakeSlot();
  AppState& app_;
  ScanHost& host_;
  CompanionNotifier& notifier_;
  bool started_ = false;
  CompanionSchedule schedule_;
  std::optional<std::int64_t> due_;
  std::optional<std::int64_t> lastTaken_;  // the start of the last slot taken in this run
  int scans_ = 0;
  int passed_ = 0;
};

}  // namespace qrv
