// The one-click scan and Repair & Optimize on a seeded in-memory Windows:
// every group is found, and a repair of chosen groups removes those groups'
// items only.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "engine/registry_ops.h"
#include "home/home_scan.h"
#include "registry_scan/startup_checks.h"
#include "unit/home_seed.h"
#include "unit/scan_fixture.h"

namespace qrv::testing {
namespace {

class HomeScanTest : public ::testing::Test, public ScanFixture {
 protected:
  void SetUp() override {
    app.ScanMode = kScanModeHome;
    SeedHomeFindings(p, app.folders);
  }

  bool HasRunDate(int n) { return ValueExists(p, kHkcu, kSettingsKey, "RunDate" + std::to_string(n)); }
  std::uint32_t Setting(const char* name) { return ReadDword(p, kHkcu, kSettingsKey, name); }

  HomeScan scan{app, host};
};

TEST_F(HomeScanTest, OneScanFillsEveryGroupAndRecordsItsDates) {
  scan.Run();
  ASSERT_TRUE(scan.Completed());
  EXPECT_FALSE(app.CancelFlag);
  const std::vector<std::size_t> counts{1, 1, 2, 1, 1, 1, 1};
  for (int g = 1; g <= kSummaryGroups; ++g) EXPECT_EQ(GroupCount(app, g), counts[static_cast<std::size_t>(g - 1)]) << g;
  EXPECT_EQ(app.Slot(kSlotWebPages), (std::vector<std::string>{"http://example.com"}));
  EXPECT_EQ(app.Slot(kSlotResidualFiles), (std::vector<std::string>{"C:\\Stuff\\report.bak"}));
  EXPECT_EQ(app.StartupCount, 1u);
  EXPECT_EQ(Setting("ItemsToFix"), 1u) << "the temporary values are not counted";
  EXPECT_EQ(Setting("ItemsToClean"), 6u);
  for (int n : {1, 2, 3}) EXPECT_TRUE(HasRunDate(n)) << n;
  for (int n : {4, 5}) EXPECT_FALSE(HasRunDate(n)) << n;
  EXPECT_EQ(p.sleptMilliseconds, 6u * kHomePauseMs);
  // The phases' fills, in order, on the Home bar.
  std::vector<int> fills;
  for (const auto& w : host.widths)
    if (w.bar == kScanModeHome && (fills.empty() || fills.back() != w.pixels)) fills.push_back(w.pixels);
  std::vector<int> starts;
  for (int phase = 1; phase <= kHomePhases; ++phase) starts.push_back(PhaseFillWidth(phase));
  EXPECT_TRUE(std::search(fills.begin(), fills.end(), starts.begin() + 1, starts.end() - 1) != fills.end());
  EXPECT_EQ(fills.front(), 133);
  // Each group imports its own lines: the nine categories' part of the fix
  // script ends where the temporary values begin.
  const auto& lines = app.FixScript.Lines();
  ASSERT_GT(app.FixScriptTempValuesAt, 2u);
  for (std::size_t i = 0; i < app.FixScriptTempValuesAt; ++i) EXPECT_EQ(lines[i].find("RunMRU"), std::string::npos) << lines[i];
  EXPECT_TRUE(app.TempValueScript.HoldsEntries());
}

TEST_F(HomeScanTest, WithoutPausesTheCompanionWaitsForNothing) {
  scan.Run(nullptr, false);
  EXPECT_TRUE(scan.Completed());
  EXPECT_EQ(p.sleptMilliseconds, 0u);
}

TEST_F(HomeScanTest, AStopDuringThePrivacyPhaseKeepsItsDatesButWritesTheCounts) {
  WriteDateTime(p, kHkcu, kSettingsKey, "RunDate2", 100.0);
  struct StopInPhaseTwo : HomeScanObserver {
    explicit StopInPhaseTwo(AppState& a) : app(a) {}
    void PhaseStarted(int phase) override {
      if (phase == 2) app.CancelFlag = false;
    }
    AppState& app;
  } stop(app);
  scan.Run(&stop);
  EXPECT_EQ(scan.PhasesCompleted(), 1);
  EXPECT_TRUE(HasRunDate(1));
  EXPECT_EQ(ReadDateTime(p, kHkcu, kSettingsKey, "RunDate2", 0.0), 100.0);
  EXPECT_FALSE(HasRunDate(3));
  EXPECT_TRUE(ValueExists(p, kHkcu, kSettingsKey, "ItemsToFix"));
  EXPECT_EQ(Setting("ItemsToFix"), 1u);
  EXPECT_TRUE(ValueExists(p, kHkcu, kSettingsKey, "ItemsToClean"));
  EXPECT_FALSE(app.CancelFlag);
}

TEST_F(HomeScanTest, RepairOfChosenGroupsRemovesTheirItemsOnly) {
  scan.Run(nullptr, false);
  SummaryTicks ticks{};
  ticks[1] = ticks[3] = ticks[6] = true;
  const HomeRepairResult r = RepairHome(app, host, ticks, false);
  for (int g : {1, 3, 6}) EXPECT_EQ(r.outcome[static_cast<std::size_t>(g)], GroupOutcome::Repaired) << g;
  for (int g : {2, 4, 5, 7}) EXPECT_EQ(r.outcome[static_cast<std::size_t>(g)], GroupOutcome::NotTicked) << g;
  EXPECT_EQ(r.fixed, 1u + 2u + 1u);
  EXPECT_EQ(r.logs.size(), 3u);
  for (const std::string& log : r.logs) EXPECT_TRUE(p.files.Exists(log)) << log;
  ASSERT_FALSE(r.undoPath.empty());

  // Group 1: the finding only; the healthy entry and the unticked group 2's value stay.
  EXPECT_FALSE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "kept.exe"));
  EXPECT_EQ(ReadString(p, kHkcu, kRunMru, "a"), "notepad\\1") << "group 2 was not ticked";
  // Groups 3 and 6 gone; what they did not list, and groups 4, 5, 7, stay.
  EXPECT_FALSE(p.files.Exists("C:\\Users\\tester\\Cache\\page.htm"));
  EXPECT_FALSE(p.files.Exists("C:\\Users\\tester\\Temp\\scratch.txt"));
  EXPECT_FALSE(p.files.Exists("C:\\Stuff\\report.bak"));
  for (const char* kept : {"C:\\Stuff\\report.doc", "C:\\Users\\tester\\Cache\\index.dat",
                           "C:\\Users\\tester\\History\\index.dat", "C:\\Users\\tester\\Cookies\\tester@example.txt",
                           "C:\\Users\\tester\\Cookies\\keep.dat", "C:\\Users\\tester\\Desktop\\gone.lnk",
                           "C:\\Users\\tester\\Desktop\\kept.lnk", "C:\\Apps\\kept.exe"})
    EXPECT_TRUE(p.files.Exists(kept)) << kept;
  // Repaired groups are empty, the others keep their items for another repair.
  EXPECT_EQ(GroupCount(app, 1), 0u);
  EXPECT_EQ(GroupCount(app, 3), 0u);
  EXPECT_EQ(GroupCount(app, 2), 1u);
  EXPECT_EQ(GroupCount(app, 7), 1u);

  // Group 2 later on its own: its value goes, the count beside it stays, and
  // the undo file of the first repair brings the program path back.
  ticks = {};
  ticks[2] = true;
  const HomeRepairResult second = RepairHome(app, host, ticks, false);
  EXPECT_EQ(second.outcome[2], GroupOutcome::Repaired);
  EXPECT_FALSE(ValueExists(p, kHkcu, kRunMru, "a"));
  EXPECT_EQ(ReadDword(p, kHkcu, kRunMru, "Count"), 1u);
  RunRegistryEditor(p, app.folders, " /s \"" + r.undoPath + "\"");
  EXPECT_EQ(ReadString(p, kHklm, kAppPaths + "gone.exe", ""), "C:\\gone\\gone.exe");
  EXPECT_EQ(ReadString(p, kHkcu, kRunMru, "a"), "notepad\\1");
}

TEST_F(HomeScanTest, AllGroupsRepairEverythingAndCountWhatWasRemoved) {
  scan.Run(nullptr, false);
  const std::size_t processes = p.processes.size();
  const HomeRepairResult r = RepairHome(app, host, AllSummaryGroups(), false);
  for (int g = 1; g <= kSummaryGroups; ++g) EXPECT_EQ(r.outcome[static_cast<std::size_t>(g)], GroupOutcome::Repaired) << g;
  EXPECT_EQ(p.processes.size(), processes + 2) << "each registry group imported once";
  EXPECT_EQ(r.logs.size(), 7u);
  // Group 4 counts the two index files it removed, not the one site listed.
  EXPECT_EQ(r.removed[4], 2u);
  EXPECT_EQ(r.fixed, 1u + 1u + 2u + 2u + 1u + 1u + 1u);
  EXPECT_FALSE(p.files.Exists("C:\\Users\\tester\\Desktop\\gone.lnk"));
  EXPECT_TRUE(p.files.Exists("C:\\Users\\tester\\Desktop\\kept.lnk"));
  EXPECT_TRUE(p.files.Exists("C:\\Users\\tester\\Cookies\\keep.dat"));
  EXPECT_EQ(ReadDword(p, kHkcu, kRunMru, "Count"), 1u);
  for (int g = 1; g <= kSummaryGroups; ++g) EXPECT_EQ(GroupCount(app, g), 0u) << g;
}

TEST_F(HomeScanTest, NoLogMeansNothingOfThatGroupIsRemovedAndItIsNotRepaired) {
  scan.Run(nullptr, false);
  p.files.MarkFolderNotWritable(app.folders.LogFolder);
  const HomeRepairResult r = RepairHome(app, host, AllSummaryGroups(), false);
  for (int g = 1; g <= kSummaryGroups; ++g)
    EXPECT_EQ(r.outcome[static_cast<std::size_t>(g)], GroupOutcome::LogNotWritten) << g;
  EXPECT_EQ(r.fixed, 0u);
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  EXPECT_TRUE(p.files.Exists("C:\\Stuff\\report.bak"));
  EXPECT_TRUE(p.files.Exists("C:\\Users\\tester\\Cookies\\tester@example.txt"));
  EXPECT_EQ(GroupCount(app, 6), 1u) << "the group keeps its items";
}

TEST_F(HomeScanTest, OnlyTemporaryFilesFoundStillRepairs) {
  fake::FakePlatform bare;
  AppState a(bare);
  a.folders = EngineFolders(bare);
  a.folders.TmpFolder = a.folders.TempFolder = "C:\\T\\";
  bare.files.AddFile("C:\\T\\one.txt");
  HomeScan only(a, host);
  only.Run(nullptr, false);
  ASSERT_EQ(ItemsToClean(a), 1u);
  ASSERT_EQ(ItemsToFix(a), 0u);
  const HomeRepairResult r = RepairHome(a, host, AllSummaryGroups(), false);
  EXPECT_FALSE(r.nothingFound);
  EXPECT_EQ(r.outcome[3], GroupOutcome::Repaired);
  EXPECT_EQ(r.outcome[1], GroupOutcome::Empty);
  EXPECT_EQ(r.fixed, 1u);
  EXPECT_TRUE(r.undoPath.empty());
  EXPECT_FALSE(bare.files.Exists("C:\\T\\one.txt"));
  // Nothing left: nothing is done, no log written.
  const HomeRepairResult again = RepairHome(a, host, AllSummaryGroups(), false);
  EXPECT_TRUE(again.nothingFound);
  EXPECT_TRUE(again.logs.empty());
}

TEST(HomeScanRootTest, TheResidualPhaseSearchesTheSystemDrive) {
  FolderSet f;
  f.WindowsFolder = "D:\\WINNT\\";
  EXPECT_EQ(ResidualSearchRoot(f), "D:\\");
  f.WindowsFolder = "";
  EXPECT_EQ(ResidualSearchRoot(f), "C:\\");
}

}  // namespace
}  // namespace qrv::testing

namespace qrv {
namespace {

TEST(CliHomeTest, ScanPrintsTheSevenGroupsAndRepairTouchesOnlyTheNamedOnes) {
  fake::FakePlatform p;
  testing::SetUpUserFolders(p);
  p.files.AddFile("C:\\Seed\\old.bak");
  p.files.AddFile("C:\\Users\\tester\\Cookies\\me@site.txt");
  p.mutexes.clear();
  cli::Outcome o = cli::RunArguments(p, {"home", "scan", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out.rfind("{\"groups\":[{\"group\":1,\"caption\":\"Registry errors detected\",\"count\":0,\"items\":[]}", 0), 0u)
      << o.out;
  EXPECT_NE(o.out.find("{\"group\":6,\"caption\":\"Residual files available for cleaning\",\"count\":1,"
                       "\"items\":[\"C:\\\\Seed\\\\old.bak\"]}"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("\"itemsToFix\":0,\"itemsToClean\":2,\"skipped\":[]}\n"), std::string::npos) << o.out;

  p.mutexes.clear();
  o = cli::RunArguments(p, {"home", "repair", "--groups", "6", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_NE(o.out.find("\"fixed\":1,"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("\"undo\":null,\"left\":[]}"), std::string::npos) << o.out;
  EXPECT_FALSE(p.files.Exists("C:\\Seed\\old.bak"));
  EXPECT_TRUE(p.files.Exists("C:\\Users\\tester\\Cookies\\me@site.txt")) << "group 5 was not named";

  p.mutexes.clear();
  EXPECT_EQ(cli::RunArguments(p, {"home", "repair", "--groups", "8"}).exitCode, cli::kExitUsage);
}

}  // namespace
}  // namespace qrv
