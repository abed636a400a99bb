// The scheduled-scan companion on the in-memory Windows: which slot it waits
// for, what a missed slot does at start, when it ends, and that the scan it
// runs at the slot writes only its dates and counts.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/registry_ops.h"
#include "fake/dump.h"
#include "scheduler/companion.h"
#include "unit/fixture.h"

namespace qrv::testing {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;
// 6 July 2009 was a Monday; the fake clock starts at its noon.
constexpr double kMonday = 40000.0;
constexpr int kMon = 0, kTue = 1, kWed = 2, kSun = 6;
constexpr double At(double day, int hours, int minutes, int seconds = 0) {
  return day + (hours * 3600 + minutes * 60 + seconds) / 86400.0;
}
constexpr int Minutes(int hours, int minutes) { return hours * 60 + minutes; }
constexpr std::int64_t kSettleMs = kSettleDelayMs;

class RecordingNotifier : public CompanionNotifier {
 public:
  void ScanFinished(std::size_t fix, std::size_t clean) override { reports.push_back({fix, clean}); }
  bool ExitRequested() override { return exit; }
  std::vector<std::pair<std::size_t, std::size_t>> reports;
  bool exit = false;
};

class CompanionTest : public ::testing::Test {
 protected:
  CompanionTest() : app(p) {
    app.folders = EngineFolders(p);
    app.folders.UserProfileFolder = "C:\\Users\\tester\\";
    p.clock = At(kMonday, 12, 0);
  }
  void SetSchedule(bool on, int day, int minutes) {
    WriteFlag(p, kHkcu, kSettingsKey, "s_Enable", on);
    WriteDword(p, kHkcu, kSettingsKey, "s_Day", static_cast<std::uint32_t>(day));
    WriteDateTime(p, kHkcu, kSettingsKey, "s_Time", At(39000, 0, minutes));  // the date part means nothing
  }
  static std::int64_t Ms(double dateTime) { return DateTimeMs(dateTime); }

  fake::FakePlatform p;
  AppState app;
  QuietScanHost host;
  RecordingNotifier notifier;
  ScheduleCompanion companion{app, host, notifier};
};

TEST(CompanionSlots, TheNextSlotIsThisWeeksWhileItsMinuteLastsElseNextWeeks) {
  struct Case {
    const char* what;
    double now;
    int day, minutes;
    double expected;
  } cases[] = {
      {"later today", At(kMonday, 12, 0), kMon, Minutes(13, 0), At(kMonday, 13, 0)},
      {"earlier today: next week", At(kMonday, 12, 0), kMon, Minutes(11, 0), At(kMonday + 7, 11, 0)},
      {"within its minute: now", At(kMonday, 12, 0, 59), kMon, Minutes(12, 0), At(kMonday, 12, 0)},
      {"its minute just ended", At(kMonday, 12, 1), kMon, Minutes(12, 0), At(kMonday + 7, 12, 0)},
      {"a later day this week", At(kMonday, 12, 0), kWed, Minutes(9, 30), At(kMonday + 2, 9, 30)},
      {"an earlier day: next week", At(kMonday + 2, 9, 0), kTue, Minutes(10, 0), At(kMonday + 8, 10, 0)},
      {"Sunday night to Monday morning", At(kMonday + 6, 23, 59), kMon, Minutes(0, 0), At(kMonday + 7, 0, 0)},
      {"Sunday to Sunday", At(kMonday + 6, 8, 0), kSun, Minutes(23, 59), At(kMonday + 6, 23, 59)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DateTimeMs(NextScheduledRun(c.now, c.day, c.minutes)), DateTimeMs(c.expected)) << c.what;
  EXPECT_EQ(DayOfWeek(kMonday), 0);
  EXPECT_EQ(DayOfWeek(0.0), 5) << "30 December 1899 was a Saturday";
  EXPECT_EQ(DayOfWeek(At(kMonday + 6, 23, 59, 59)), 6);
}

TEST_F(CompanionTest, AtStartASlotPassedSinceTheLastScanRunsAfterTheSettleDelay) {
  const double now = At(kMonday, 12, 0, 20);
  const std::int64_t settled = Ms(now) + kSettleMs;
  struct Case {
    const char* what;
    int day, minutes;
    std::optional<double> runDate1, lastRun;
    std::int64_t expected;
  } cases[] = {
      {"no scan known: last week's slot was missed", kMon, Minutes(13, 0), {}, {}, settled},
      {"yesterday's slot after the last scan", kSun, Minutes(20, 0), At(kMonday - 8, 9, 0), {}, settled},
      {"a scan after yesterday's slot", kSun, Minutes(20, 0), At(kMonday - 1, 21, 0), {}, Ms(At(kMonday + 6, 20, 0))},
      {"the companion took yesterday's slot", kSun, Minutes(20, 0), At(kMonday - 8, 9, 0), At(kMonday - 1, 20, 0),
       Ms(At(kMonday + 6, 20, 0))},
      {"a scan long ago", kWed, Minutes(8, 0), At(kMonday - 400, 9, 0), {}, settled},
      {"the slot is this minute: now, no settling", kMon, Minutes(12, 0), At(kMonday - 7, 12, 5), {},
       Ms(At(kMonday, 12, 0))},
      {"a scan this minute: next week", kMon, Minutes(12, 0), At(kMonday, 12, 0, 10), {}, Ms(At(kMonday + 7, 12, 0))},
      {"a scan dated in the future does not hold back next week's", kMon, Minutes(11, 0), At(kMonday + 30, 0, 0), {},
       Ms(At(kMonday + 7, 11, 0))},
  };
  for (const Case& c : cases) {
    fake::FakePlatform platform;
    platform.clock = now;
    AppState state(platform);
    state.folders = EngineFolders(platform);
    WriteFlag(platform, kHkcu, kSettingsKey, "s_Enable", true);
    WriteDword(platform, kHkcu, kSettingsKey, "s_Day", static_cast<std::uint32_t>(c.day));
    WriteDateTime(platform, kHkcu, kSettingsKey, "s_Time", At(39000, 0, c.minutes));
    if (c.runDate1) WriteDateTime(platform, kHkcu, kSettingsKey, "RunDate1", *c.runDate1);
    if (c.lastRun) WriteDateTime(platform, kHkcu, kSettingsKey, settings::kCompanionLastRun.name, *c.lastRun);
    ScheduleCompanion start(state, host, notifier);
    const auto wait = start.Step();
    ASSERT_TRUE(wait) << c.what;
    if (c.expected <= Ms(now)) {
      EXPECT_EQ(start.ScansRun(), 1) << c.what;  // due at once: it ran in this step
      continue;
    }
    EXPECT_EQ(start.ScansRun(), 0) << c.what;
    EXPECT_EQ(start.DueMs(), c.expected) << c.what;
    EXPECT_EQ(*wait, std::min<std::int64_t>(c.expected - Ms(now), kCompanionWakeMs)) << c.what;
  }
}

TEST_F(CompanionTest, SwitchedOffOrMissingOrClosedItEnds) {
  EXPECT_FALSE(companion.Step()) << "no s_Enable at all";
  SetSchedule(false, kMon, Minutes(12, 0));
  EXPECT_FALSE(companion.Step());
  companion.Run();
  EXPECT_EQ(p.registryWaits, (std::vector<std::uint32_t>{0})) << "only the watch was armed";
  SetSchedule(true, kMon, Minutes(18, 0));
  EXPECT_TRUE(companion.Step());
  notifier.exit = true;
  EXPECT_FALSE(companion.Step());
  EXPECT_EQ(companion.ScansRun(), 0);
  EXPECT_FALSE(ValueExists(p, kHkcu, kSettingsKey, "ItemsToFix"));
}

TEST_F(CompanionTest, ADamagedTimeGivesNoSlot) {
  SetSchedule(true, kMon, Minutes(12, 0));
  p.registry.SetString(kHkcu, kSettingsKey, "s_Time", "12:00");
  for (int i = 0; i < 3 * 24 * 60; ++i) {
    const auto wait = companion.Step();
    ASSERT_TRUE(wait);
    ASSERT_EQ(*wait, kCompanionWakeMs);
    p.clock += *wait / 86400000.0;
  }
  EXPECT_FALSE(companion.DueMs());
  EXPECT_EQ(companion.ScansRun(), 0);
}

TEST_F(CompanionTest, AChangedScheduleIsPlannedFromNowWithoutCatchingUp) {
  WriteDateTime(p, kHkcu, kSettingsKey, "RunDate1", At(kMonday, 9, 0));
  SetSchedule(true, kWed, Minutes(10, 0));
  ASSERT_TRUE(companion.Step());
  EXPECT_EQ(companion.DueMs(), Ms(At(kMonday + 2, 10, 0)));
  SetSchedule(true, kMon, Minutes(12, 30));
  EXPECT_EQ(companion.Step(), std::optional<std::uint32_t>(kCompanionWakeMs)) << "half an hour away: a minute's wait";
  EXPECT_EQ(companion.DueMs(), Ms(At(kMonday, 12, 30)));
  // Moved to a time already passed today: next week's, not a scan now.
  SetSchedule(true, kMon, Minutes(11, 0));
  ASSERT_TRUE(companion.Step());
  EXPECT_EQ(companion.DueMs(), Ms(At(kMonday + 7, 11, 0)));
  EXPECT_EQ(companion.ScansRun(), 0);
  // The same settings read again change nothing.
  p.clock = At(kMonday, 12, 40);
  ASSERT_TRUE(companion.Step());
  EXPECT_EQ(companion.DueMs(), Ms(At(kMonday + 7, 11, 0)));
}

TEST_F(CompanionTest, WhileQuorvaneRunsTheSlotPassesWithoutAScan) {
  SetSchedule(true, kMon, Minutes(12, 0));
  p.mutexes.insert(kMutexName);
  ASSERT_TRUE(companion.Step());
  EXPECT_EQ(companion.ScansRun(), 0);
  EXPECT_EQ(companion.SlotsPassed(), 1);
  EXPECT_TRUE(notifier.reports.empty());
  for (const char* name : {"RunDate1", "RunDate2", "RunDate3", "ItemsToFix", "ItemsToClean"})
    EXPECT_FALSE(ValueExists(p, kHkcu, kSettingsKey, name)) << name;
  EXPECT_EQ(companion.DueMs(), Ms(At(kMonday + 7, 12, 0)));
  // Started again at the next logon, the slot it let pass is not missed.
  ScheduleCompanion next(app, host, notifier);
  p.clock = At(kMonday, 18, 0);
  ASSERT_TRUE(next.Step());
  EXPECT_EQ(next.DueMs(), Ms(At(kMonday + 7, 12, 0)));
}

TEST_F(CompanionTest, TheScanAtTheSlotWritesItsDatesAndCountsAndDeletesNothing) {
  const std::string appPaths = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
  const std::string runMru = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
  FolderSet& f = app.folders;
  f.InternetCacheFolder = "C:\\Users\\tester\\Cache\\";
  f.CookiesFolder = "C:\\Users\\tester\\Cookies\\";
  f.TmpFolder = "C:\\Users\\tester\\Temp\\";
  f.TempFolder = f.TmpFolder;
  p.registry.SetString(kHklm, appPaths + "gone.exe", "", "C:\\gone\\gone.exe");
  p.registry.SetString(kHkcu, runMru, "a", "notepad\\1");
  std::vector<std::string> seeded = {f.InternetCacheFolder + "page.htm", f.TmpFolder + "scratch.txt",
                                     f.CookiesFolder + "tester@example.txt", "C:\\Stuff\\report.bak"};
  for (const auto& file : seeded) p.files.AddFile(file, "x");
  seeded.push_back(f.UserProfileFolder + "Desktop\\gone.lnk");
  p.files.AddFile(seeded.back(), fake::FakePlatform::ShortcutBytes("C:\\Nowhere\\a.exe"));
  SetSchedule(true, kMon, Minutes(12, 30));
  // The values the scan may write, set beforehand (a scan this morning, so
  // nothing was missed) so that restoring them makes a registry the scan
  // left alone identical to the one before.
  auto placeholders = [&] {
    for (const char* name : {"RunDate1", "RunDate2", "RunDate3", settings::kCompanionLastRun.name})
      WriteDateTime(p, kHkcu, kSettingsKey, name, At(kMonday, 9, 0));
    for (const char* name : {"ItemsToFix", "ItemsToClean"}) WriteDword(p, kHkcu, kSettingsKey, name, 7);
  };
  placeholders();
  const std::string userBefore = fake::DumpTree(p, kHkcu, "\\SOFTWARE");
  const std::string machineBefore = fake::DumpTree(p, kHklm, "\\SOFTWARE");

  int wakes = 0;
  p.duringWait = [&] {
    ++wakes;
    if (companion.ScansRun() == 1) WriteFlag(p, kHkcu, kSettingsKey, "s_Enable", false);
  };
  companion.Run();

  ASSERT_EQ(companion.ScansRun(), 1);
  EXPECT_LE(wakes, 33) << "half an hour in waits of up to a minute, then the switch-off";
  for (std::size_t i = 1; i < p.registryWaits.size(); ++i) {
    EXPECT_GE(p.registryWaits[i], 1u);
    EXPECT_LE(p.registryWaits[i], kCompanionWakeMs);
  }
  EXPECT_EQ(p.sleptMilliseconds, 0u) << "the scheduled scan has no pauses";
  const std::size_t fix = ReadDword(p, kHkcu, kSettingsKey, "ItemsToFix");
  const std::size_t clean = ReadDword(p, kHkcu, kSettingsKey, "ItemsToClean");
  EXPECT_EQ(fix, 1u);
  EXPECT_EQ(clean, 5u);
  EXPECT_EQ(notifier.reports, (std::vector<std::pair<std::size_t, std::size_t>>{{fix, clean}}));
  for (const char* name : {"RunDate1", "RunDate2", "RunDate3", settings::kCompanionLastRun.name}) {
    const double stamp = ReadDateTime(p, kHkcu, kSettingsKey, name, 0);
    EXPECT_GE(stamp, At(kMonday, 12, 30) - 1e-9) << name;
    EXPECT_LT(stamp, At(kMonday, 12, 31)) << name;
  }

  EXPECT_TRUE(p.importedScripts.empty());
  EXPECT_TRUE(p.processes.empty()) << "no registry editor ran";
  EXPECT_TRUE(p.files.DeleteAtRestart().empty());
  for (const auto& file : seeded) EXPECT_TRUE(p.files.Exists(file)) << file;
  WriteFlag(p, kHkcu, kSettingsKey, "s_Enable", true);
  placeholders();
  EXPECT_EQ(fake::DumpTree(p, kHkcu, "\\SOFTWARE"), userBefore);
  EXPECT_EQ(fake::DumpTree(p, kHklm, "\\SOFTWARE"), machineBefore);
}

TEST_F(CompanionTest, AfterItsScanTheNextSlotIsNextWeeksAndAStartThatWeekFindsNothingMissed) {
  SetSchedule(true, kMon, Minutes(12, 0));
  WriteDateTime(p, kHkcu, kSettingsKey, "RunDate1", At(kMonday - 3, 9, 0));
  ASSERT_TRUE(companion.Step());
  ASSERT_EQ(companion.ScansRun(), 1);
  EXPECT_EQ(companion.DueMs(), Ms(At(kMonday + 7, 12, 0)));
  EXPECT_TRUE(companion.Step());
  EXPECT_EQ(companion.ScansRun(), 1) << "the same minute does not run twice";
  p.clock = At(kMonday + 3, 8, 0);
  ScheduleCompanion later(app, host, notifier);
  ASSERT_TRUE(later.Step());
  EXPECT_EQ(later.ScansRun(), 0);
  EXPECT_EQ(later.DueMs(), Ms(At(kMonday + 7, 12, 0)));
}

}  // namespace
}  // namespace qrv::testing
