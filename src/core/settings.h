#pragma once
// The settings key: the one table of the program's settings, under
// HKEY_CURRENT_USER. Every value of it is named here, once, with its type and
// what a read gives when the value is missing or stored with another type
// (the fallback); nothing else in the program spells a value name of this key.
//
// A setting is a constant of one of four kinds, each with its own reading:
//   Flag     a DWORD holding 0 or 1; any other DWORD reads as true
//   Number   a DWORD; with `limit`, a larger number reads as the fallback
//   DateTime an 8-byte double (days since 30 December 1899, local time) as
//            REG_BINARY; no fallback: a read gives nothing, and the caller
//            says what a missing date means (never run, now ...)
//   Folder   a string or expandable string naming a folder
// Writes open (and if needed create) the key and report whether the value was
// stored. Exists asks only whether a value of that name is there, of any type.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/platform.h"

namespace qrv {

inline constexpr const char* kSettingsKey = "\\SOFTWARE\\Quorvane";

namespace settings {

struct Flag {
  const char* name;
  bool fallback;
};
struct Number {
  const char* name;
  std::uint32_t fallback;
  std::uint32_t limit = UINT32_MAX;  // the largest number that reads as stored
};
struct DateTime {
  const char* name;
};
struct Folder {
  const char* name;
};
struct Text {  // seeded at the first start, never read
  const char* name;
};

inline constexpr Text kDisplayName{"DisplayName"};
inline constexpr Text kVersion{"Version"};
inline constexpr Number kLanguage{"Language", 1};
inline constexpr Folder kLogDir{"LogDir"};
inline constexpr Folder kUndoDir{"UndoDir"};
// Read as false when missing: start-up seeds it true on the first start.
inline constexpr Flag kShowRebootMessage{"ShowRebootMessage", false};
// The weekly scan: on or off, its day (0 Monday ... 6 Sunday; a larger day
// reads as Monday) and its time of day.
inline constexpr Flag kScheduleOn{"s_Enable", false};
inline constexpr Number kScheduleDay{"s_Day", 0, 6};
inline constexpr DateTime kScheduleTime{"s_Time"};
// When the companion last took a slot of the weekly scan.
inline constexpr DateTime kCompanionLastRun{"s_LastRun"};
// The last run of each line of the Home page: the registry scan, the privacy
// scan, the residual files, the invalid shortcuts and the tweaks.
inline constexpr int kRunDates = 5;
inline constexpr std::array<DateTime, kRunDates> kRunDate{
    {{"RunDate1"}, {"RunDate2"}, {"RunDate3"}, {"RunDate4"}, {"RunDate5"}}};
inline constexpr const DateTime& kRegistryRunDate = kRunDate[0];
inline constexpr const DateTime& kPrivacyRunDate = kRunDate[1];
inline constexpr const DateTime& kResidualRunDate = kRunDate[2];
inline constexpr const DateTime& kShortcutsRunDate = kRunDate[3];
inline constexpr const DateTime& kTweaksRunDate = kRunDate[4];
// How many days removed files are kept for recovery before the next start
// deletes them for good (a number above ten years reads as the fallback).
inline constexpr Number kKeepRemovedDays{"KeepRemovedDays", 30, 3650};
// The counts of the last one-click scan; written for other programs, never read here.
inline constexpr Number kItemsToFix{"ItemsToFix", 0};
inline constexpr Number kItemsToClean{"ItemsToClean", 0};
// The subkey of the ignore list (core/ignore_list).
inline constexpr const char* kIgnoreSubkey = "Ignore";

// A folder setting as stored: its text and whether it is an expandable string.
struct StoredText {
  std::string text;
  bool expandable = false;
};

bool Read(RegistryView& view, const Flag& setting);
std::uint32_t Read(RegistryView& view, const Number& setting);
std::optional<double> Read(RegistryView& view, const DateTime& setting);
std::optional<StoredText> Read(RegistryView& view, const Folder& setting);

bool Write(RegistryView& view, const Flag& setting, bool value);
bool Write(RegistryView& view, const Number& setting, std::uint32_t value);
bool Write(RegistryView& view, const DateTime& setting, double value);
bool Write(RegistryView& view, const Folder& setting, const std::string& folder);
bool Write(RegistryView& view, const Text& setting, const std::string& text);

bool Exists(RegistryView& view, const char* name);
template <typename Setting>
bool Exists(RegistryView& view, const Setting& setting) {
  return Exists(view, setting.name);
}

// Creates the key (empty) if it is not there yet.
bool CreateKey(RegistryView& view);

}  // namespace settings
}  // namespace qrv
