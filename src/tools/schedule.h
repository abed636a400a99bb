#pragma once
// The weekly scheduled scan: its three settings and the Run value that
// starts the companion program at every logon (its name, path and writing
// are start-up's, which registers the companion when it seeds the schedule).
#include <optional>
#include <string>

#include "core/startup.h"

namespace qrv {

inline constexpr int kScheduleDays = 7;  // 0 Monday ... 6 Sunday

struct ScheduleSettings {
  bool enabled = false;
  int day = 0;       // 0 Monday ... 6 Sunday
  double time = 0;   // a local date-time; only its time of day counts
};

// The stored settings: missing or wrong-typed ones read as off, Monday and
// the current time; a stored day outside 0 to 6 reads as Monday.
ScheduleSettings ReadSchedule(AppState& app);

// Whether a Run value's text starts the companion, quoted or not.
bool StartsCompanion(const FolderSet& folders, const std::string& runData);
// The Run value's text as stored, if there is one.
std::optional<std::string> ReadScheduleRunValue(AppState& app);

// What Apply writes: the three settings, then the Run value written (on) or
// deleted (off). When on and `startCompanion`, the companion is opened at once.
// False when a setting or the Run value could not be written.
bool ApplySchedule(AppState& app, const ScheduleSettings& settings, bool startCompanion);

// Minutes since midnight of a date-time's time of day (rounded to the second).
int MinutesOfDay(double dateTime);
// The date part of `date` with this time of day.
double WithTimeOfDay(double date, double timeOfDay);
// "HH:MM" of a date-time; and back into minutes (false for anything else).
std::string TimeText(double dateTime);
bool ParseTimeText(const std::string& text, int& minutes);

}  // namespace qrv
