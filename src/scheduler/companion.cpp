#include "scheduler/companion.h"

#include <algorithm>
#include <cmath>

#include "core/settings.h"
#include "home/home_scan.h"
#include "tools/schedule.h"

namespace qrv {

namespace {

constexpr std::int64_t kMinuteMs = 60000;
constexpr std::int64_t kDayMs = 86400000;
constexpr std::int64_t kWeekMs = 7 * kDayMs;
// Date-times outside the years 1900 to 9999 are no dates (a damaged value).
constexpr double kLastDate = 2958466.0;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
std::int64_t FloorToMinute(std::int64_t ms) { return FloorDiv(ms, kMinuteMs) * kMinuteMs; }

// A stored date-time that is a real date.
std::optional<double> StoredDate(AppState& app, const settings::DateTime& setting) {
  const auto stored = settings::Read(app.platform, setting);
  if (!stored || !std::isfinite(*stored) || *stored < 1.0 || *stored >= kLastDate) return std::nullopt;
  return stored;
}

}  // namespace

std::int64_t DateTimeMs(double dateTime) { return std::llround(dateTime * static_cast<double>(kDayMs)); }

double MsDateTime(std::int64_t ms) { return static_cast<double>(ms) / static_cast<double>(kDayMs); }

int DayOfWeek(double dateTime) {
  // Day 0, 30 December 1899, was a Saturday (5 counted from Monday).
  const std::int64_t day = FloorDiv(DateTimeMs(dateTime), kDayMs);
  return static_cast<int>(((day + 5) % 7 + 7) % 7);
}

std::int64_t FirstSlotFrom(std::int64_t fromMs, int day, int minutes) {
  const std::int64_t today = FloorDiv(fromMs, kDayMs);
  const int weekday = DayOfWeek(MsDateTime(today * kDayMs));
  std::int64_t slot = (today + (day - weekday + 7) % 7) * kDayMs + minutes * kMinuteMs;
  if (slot < fromMs) slot += kWeekMs;
  return slot;
}

double NextScheduledRun(double now, int day, int minutes) {
  return MsDateTime(FirstSlotFrom(FloorToMinute(DateTimeMs(now)), day, minutes));
}

CompanionSchedule ReadCompanionSchedule(AppState& app) {
  const ScheduleSettings stored = ReadSchedule(app);
  CompanionSchedule s;
  s.enabled = stored.enabled;
  s.day = stored.day;
  if (const auto time = StoredDate(app, settings::kScheduleTime)) s.minutes = MinutesOfDay(*time);
  return s;
}

std::optional<double> LastScanKnown(AppState& app) {
  const auto registry = StoredDate(app, settings::kRegistryRunDate);
  const auto taken = StoredDate(app, settings::kCompanionLastRun);
  if (registry && taken) return std::max(*registry, *taken);
  return registry ? registry : taken;
}

void LoadCompanionState(AppState& app) { ReadSettings(app); }

void ScheduleCompanion::Plan(bool atStart) {
  if (!schedule_.minutes) {
    due_.reset();
    return;
  }
  const std::int64_t now = DateTimeMs(app_.platform.Now());
  const std::int64_t thisMinute = FloorToMinute(now);
  std::optional<std::int64_t> known;
  if (const auto scanned = LastScanKnown(app_)) known = DateTimeMs(*scanned);
  if (lastTaken_) known = std::max(known.value_or(*lastTaken_), *lastTaken_);
  // The first slot not yet served: after the minute of the last scan known
  // (a clock set back cannot push it past the next minute), and at start
  // within the last week, else from this minute on.
  std::int64_t from = atStart ? thisMinute - kWeekMs + kMinuteMs : thisMinute;
  if (known) {
    const std::int64_t afterScan = std::min(FloorToMinute(*known), thisMinute) + kMinuteMs;
    from = atStart ? afterScan : std::max(from, afterScan);
  }
  from = std::max(from, thisMinute - kWeekMs + kMinuteMs);
  std::int64_t slot = FirstSlotFrom(from, schedule_.day, *schedule_.minutes);
  if (slot < thisMinute) slot = now + kSettleDelayMs;  // missed: soon, once the logon has settled
  due_ = slot;
}

void ScheduleCompanion::TakeSlot() {
  Platform& p = app_.platform;
  const double start = p.Now();
  settings::Write(p, settings::kCompanionLastRun, start);
  lastTaken_ = DateTimeMs(start);
  if (p.OpenMutex(kMutexName)) {
    ++passed_;
  } else {
    HomeScan(app_, host_).Run(nullptr, /*pauses=*/false);
    ++scans_;
    if (!notifier_.ExitRequested()) notifier_.ScanFinished(ItemsToFix(app_), ItemsToClean(app_));
  }
  Plan(false);
}

std::optional<std::uint32_t> ScheduleCompanion::Step() {
  if (notifier_.ExitRequested()) return std::nullopt;
  const CompanionSchedule read = ReadCompanionSchedule(app_);
  if (!read.enabled) return std::nullopt;
  if (!started_ || !(read == schedule_)) {
    schedule_ = read;
    Plan(!started_);
    started_ = true;
  }
  if (due_ && DateTimeMs(app_.platform.Now()) >= *due_) {
    TakeSlot();
    if (notifier_.ExitRequested()) return std::nullopt;
  }
  if (!due_) return kCompanionWakeMs;
  const std::int64_t left = *due_ - DateTimeMs(app_.platform.Now());
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(left, 1, kCompanionWakeMs));
}

void ScheduleCompanion::Run() {
  Platform& p = app_.platform;
  // Armed before the first reading, so that no change is missed.
  p.WaitForRegistryChange(RootKey::CurrentUser, kSettingsKey, 0);
  while (const auto wait = Step()) p.WaitForRegistryChange(RootKey::CurrentUser, kSettingsKey, *wait);
}

}  // namespace qrv
