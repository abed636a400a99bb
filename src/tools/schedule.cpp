#include "tools/schedule.h"

#include <cmath>
#include <cstdio>

#include "core/settings.h"
#include "engine/registry_ops.h"
#include "engine/text.h"

namespace qrv {

ScheduleSettings ReadSchedule(AppState& app) {
  Platform& p = app.platform;
  ScheduleSettings s;
  s.enabled = settings::Read(p, settings::kScheduleOn);
  s.day = static_cast<int>(settings::Read(p, settings::kScheduleDay));
  s.time = settings::Read(p, settings::kScheduleTime).value_or(p.Now());
  return s;
}

bool StartsCompanion(const FolderSet& folders, const std::string& runData) {
  std::string text = Trim(runData);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  return EqualsNoCase(text, CompanionPath(folders));
}

std::optional<std::string> ReadScheduleRunValue(AppState& app) {
  const auto value = ReadValue(app.platform, RootKey::CurrentUser, kCompanionRunKey, kScheduleRunValue);
  if (!value) return std::nullopt;
  return TextOfStringData(value->data);
}

bool ApplySchedule(AppState& app, const ScheduleSettings& schedule, bool startCompanion) {
  Platform& p = app.platform;
  bool stored = settings::Write(p, settings::kScheduleOn, schedule.enabled);
  stored = settings::Write(p, settings::kScheduleDay, static_cast<std::uint32_t>(schedule.day)) && stored;
  stored = settings::Write(p, settings::kScheduleTime, schedule.time) && stored;
  if (schedule.enabled) {
    stored = RegisterCompanion(p, app.folders) && stored;
    if (startCompanion) p.ShellExecute("open", CompanionPath(app.folders), "", kSwShowNa);
  } else {
    DeleteValue(p, RootKey::CurrentUser, kCompanionRunKey, kScheduleRunValue);
  }
  return stored;
}

int MinutesOfDay(double dateTime) {
  const double fraction = std::fabs(dateTime - std::trunc(dateTime));
  const long seconds = std::lround(fraction * 86400.0) % 86400;
  return static_cast<int>(seconds / 60);
}

double WithTimeOfDay(double date, double timeOfDay) {
  return std::trunc(date) + std::fabs(timeOfDay - std::trunc(timeOfDay));
}

std::string TimeText(double dateTime) {
  const int minutes = MinutesOfDay(dateTime);
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
  return text;
}

bool ParseTimeText(const std::string& text, int& minutes) {
  const auto colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() != colon + 3) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (i != colon && (text[i] < '0' || text[i] > '9')) return false;
  const int h = std::stoi(text.substr(0, colon));
  const int m = std::stoi(text.substr(colon + 1));
  if (h > 23 || m > 59) return false;
  minutes = h * 60 + m;
  return true;
}

}  // namespace qrv
