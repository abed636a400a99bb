// The Home tab's three pages in the main window: the start page's dates,
// schedule and gauge; a scan from Start Scan to the summary; the summary's
// ticks, repair, and showing it again.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/registry_ops.h"
#include "home/home_pages.h"
#include "unit/home_seed.h"
#include "unit/window_fixture.h"

namespace qrv::testing {
namespace {

constexpr Colour kGreen = 32768;

class HomePagesTest : public ::testing::Test, public WindowFixture {
 protected:
  void SetUp() override { p.clock = 46365.5; }  // 09/12/2026, noon
  HomePage& Home() { return dynamic_cast<HomePage&>(form.PageOf(PageId::Panel1)); }
  ScanPage& Scanning() { return dynamic_cast<ScanPage&>(form.PageOf(PageId::Panel2A)); }
  SummaryPage& Summary() { return dynamic_cast<SummaryPage&>(form.PageOf(PageId::Panel2B)); }
  bool HasRunDate(int n) { return ValueExists(p, kHkcu, kSettingsKey, "RunDate" + std::to_string(n)); }
  void StartScan() {
    SeedHomeFindings(p, app.folders);
    Create();
    Home().Panel1Button1.a.onClick();
  }
};

TEST_F(HomePagesTest, TheGaugeAndTheStatusLinesFollowTheStoredDates) {
  const struct {
    std::vector<int> dated;
    int gauge;
  } cases[] = {{{}, 5}, {{1}, 5}, {{1, 2}, 4}, {{1, 2, 3}, 3}, {{1, 2, 4, 5}, 2}, {{1, 2, 3, 4, 5}, 1}};
  Create();
  for (const auto& c : cases) {
    for (int n = 1; n <= 5; ++n) DeleteValue(p, kHkcu, kSettingsKey, "RunDate" + std::to_string(n));
    for (int n : c.dated) WriteDateTime(p, kHkcu, kSettingsKey, "RunDate" + std::to_string(n), 46300.25);
    form.Tab2Click();
    form.Tab1Click();
    HomePage& home = Home();
    EXPECT_EQ(home.FrontGauge(), c.gauge) << c.dated.size();
    for (int n = 1; n <= 5; ++n) {
      const Label& status = home.Statuses[static_cast<std::size_t>(n - 1)];
      const bool dated = std::find(c.dated.begin(), c.dated.end(), n) != c.dated.end();
      EXPECT_EQ(status.text, dated ? "Last run 05/10/2026" : "Never run") << n;
      EXPECT_EQ(status.colour, dated ? 0u : kRed) << n;
      EXPECT_EQ(home.Gauges[static_cast<std::size_t>(n - 1)].visible, n == c.gauge);
    }
  }
  // The schedule: Off in red, then On in black with the link 10 pixels after it.
  Label& schedule = Home().Statuses[5];
  EXPECT_EQ(schedule.text, "Off");
  EXPECT_EQ(schedule.colour, kRed);
  WriteFlag(p, kHkcu, kSettingsKey, "s_Enable", true);
  form.Tab1Click();
  EXPECT_EQ(schedule.text, "On");
  EXPECT_EQ(schedule.colour, 0u);
  EXPECT_EQ(Home().Panel1Label9c.r.left, schedule.r.left + measure.Width("On", schedule.font) + 10);
}

TEST_F(HomePagesTest, TheLinksOpenTheirTabsAndTools) {
  Create();
  Home().Captions[0].onClick();
  EXPECT_EQ(form.FrontPage(), PageId::Panel3);
  for (std::size_t line : {1u, 2u}) {
    form.Tab1Click();
    Home().Captions[line].onClick();
    EXPECT_EQ(form.FrontPage(), PageId::Panel4) << line;
  }
  form.Tab1Click();
  Home().Captions[3].onClick();
  Home().Captions[4].onClick();
  Home().Captions[5].onClick();
  Home().Panel1Label9c.onClick();
  EXPECT_EQ(runner.shown, (std::vector<std::string>{"TForm1d", "TForm1c", "TForm4", "TForm4"}));
  EXPECT_EQ(form.FrontPage(), PageId::Panel1);
}

TEST_F(HomePagesTest, StartScanRunsEveryPhaseAndEndsOnTheSummary) {
  StartScan();
  EXPECT_EQ(form.FrontPage(), PageId::Panel2B);
  EXPECT_FALSE(app.CancelFlag);
  ScanPage& scan = Scanning();
  EXPECT_EQ(scan.Results[0].text, "2 errors detected") << "the nine categories and the temporary values";
  EXPECT_EQ(scan.Results[1].text, "4 files found");
  EXPECT_EQ(scan.Results[4].text, "1 programs loaded");
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_TRUE(scan.Icons[i].visible) << i;
    EXPECT_EQ(scan.Results[i].colour, i < 4 ? kRed : kDarkGrey) << i;
  }
  EXPECT_FALSE(scan.Panel2AProgressBar1A.visible);

  SummaryPage& summary = Summary();
  const std::size_t found[] = {1, 1, 2, 1, 1, 1, 1};
  for (int g = 1; g <= kSummaryGroups; ++g) {
    const auto i = static_cast<std::size_t>(g - 1);
    EXPECT_EQ(summary.Counts[i].text, std::to_string(found[i])) << g;
    EXPECT_TRUE(summary.Ticked(g)) << g;
    EXPECT_EQ(summary.Texts[i].colour, kRed) << g;
    EXPECT_TRUE(summary.Links[i].visible) << g;
  }
  EXPECT_EQ(summary.Panel2BActionLabelA.text, "Warning:");
  EXPECT_TRUE(summary.Panel2BActionLabelB.visible);
  EXPECT_EQ(summary.Texts[8].text, "1 programs loaded at start up");
  EXPECT_EQ(summary.Panel2BButton1.caption.text, "Repair & Optimize");
  EXPECT_TRUE(summary.Panel2BButton1.Visible());
  EXPECT_FALSE(summary.Panel2BButton2.Visible());

  // Home again: three lines dated, gauge 3; the scan wrote neither 4 nor 5.
  form.Tab1Click();
  EXPECT_EQ(Home().FrontGauge(), 3);
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(Home().Statuses[static_cast<std::size_t>(n - 1)].text, "Last run 09/12/2026");
  EXPECT_FALSE(HasRunDate(4));
  EXPECT_FALSE(HasRunDate(5));
}

TEST_F(HomePagesTest, CancelDuringThePrivacyPhaseStillEndsOnTheSummary) {
  SeedHomeFindings(p, app.folders);
  Create();
  runner.actions.push_back(ClickOk());
  host.onPump = [this] {
    ScanPage& scan = Scanning();
    if (app.CancelFlag && scan.Panel2AProgressBar2.r.top == scan.Captions[1].r.top + 2) {
      host.onPump = nullptr;
      scan.Panel2AButton1.a.onClick();
    }
  };
  Home().Panel1Button1.a.onClick();
  EXPECT_EQ(runner.messages, (std::vector<std::string>{"Stop operation?"}));
  EXPECT_EQ(form.FrontPage(), PageId::Panel2B);
  EXPECT_TRUE(HasRunDate(1));
  EXPECT_FALSE(HasRunDate(2));
  EXPECT_FALSE(HasRunDate(3));
  EXPECT_TRUE(ValueExists(p, kHkcu, kSettingsKey, "ItemsToFix"));
  EXPECT_TRUE(ValueExists(p, kHkcu, kSettingsKey, "ItemsToClean"));
  EXPECT_EQ(Summary().Counts[0].text, "1");
}

TEST_F(HomePagesTest, UntickingEveryGroupTurnsRepairIntoClose) {
  StartScan();
  SummaryPage& summary = Summary();
  for (int g = 1; g <= kSummaryGroups; ++g) summary.Checks[static_cast<std::size_t>(g - 1)].box.onClick();
  EXPECT_FALSE(summary.Panel2BButton1.Visible());
  EXPECT_TRUE(summary.Panel2BButton2.Visible());
  EXPECT_EQ(summary.Panel2BButton2.caption.text, "Close");
  summary.Checks[5].box.onClick();
  EXPECT_TRUE(summary.Panel2BButton1.Visible());
  EXPECT_EQ(summary.Panel2BButton2.caption.text, "Cancel");
}

TEST_F(HomePagesTest, RepairOfTheTickedGroupsMarksThemAndShowingThePageAgainKeepsEachFindingOnce) {
  StartScan();
  SummaryPage& summary = Summary();
  for (int g : {2, 4, 5, 7}) summary.Checks[static_cast<std::size_t>(g - 1)].box.onClick();
  summary.Panel2BButton1.a.onClick();

  EXPECT_EQ(summary.Panel2BActionLabelA.text, "Total: 4 problems fixed.");
  EXPECT_EQ(summary.Panel2BButton2.caption.text, "Close");
  EXPECT_FALSE(summary.Panel2BButton1.Visible());
  EXPECT_FALSE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  EXPECT_TRUE(ValueExists(p, kHkcu, kRunMru, "a")) << "group 2 was not ticked";
  EXPECT_TRUE(p.files.Exists("C:\\Users\\tester\\Desktop\\gone.lnk")) << "group 7 was not ticked";
  EXPECT_FALSE(p.files.Exists("C:\\Stuff\\report.bak"));
  EXPECT_TRUE(p.files.Exists("C:\\Stuff\\report.doc"));

  // The Back link from another tab rebuilds the page from the same scan.
  for (int round = 0; round < 2; ++round) {
    form.Tab2Click();
    form.HelpLabelClick();
    ASSERT_EQ(form.FrontPage(), PageId::Panel2B);
    for (int g : {1, 3, 6}) {
      const auto i = static_cast<std::size_t>(g - 1);
      EXPECT_TRUE(summary.Repaired(g)) << g;
      EXPECT_EQ(summary.Texts[i].text, GroupCaption(app.language, g, true)) << g;
      EXPECT_EQ(summary.Texts[i].colour, kGreen) << g;
      EXPECT_FALSE(summary.Ticked(g)) << g;
    }
    EXPECT_EQ(summary.Counts[0].text, "1") << "the merged group is not merged again";
    EXPECT_EQ(summary.Counts[2].text, "2") << "a repaired group keeps the number found";
    for (int g : {2, 4, 5, 7}) EXPECT_TRUE(summary.Ticked(g)) << g;
  }
}

TEST_F(HomePagesTest, AGroupWhoseLogCannotBeWrittenIsNotMarkedRepaired) {
  StartScan();
  p.files.MarkFolderNotWritable(app.folders.LogFolder);
  Summary().Panel2BButton1.a.onClick();
  for (int g = 1; g <= kSummaryGroups; ++g) EXPECT_FALSE(Summary().Repaired(g)) << g;
  EXPECT_EQ(Summary().Panel2BActionLabelA.text, "Total: 0 problems fixed.");
  ASSERT_FALSE(runner.messages.empty());
  EXPECT_EQ(runner.messages.front(), app.language.Text(TextId::MessagesRepairFailed));
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
}

TEST_F(HomePagesTest, MoreInfoShowsTheGroupsItemsOrSaysThereIsNothing) {
  StartScan();
  Summary().Links[5].onClick();
  EXPECT_EQ(runner.detailLines, (std::vector<std::string>{"C:\\Stuff\\report.bak"}));
  Summary().Panel2BButton1.a.onClick();
  runner.messages.clear();
  Summary().Panel2BLabel1Click(6);
  EXPECT_EQ(runner.messages, (std::vector<std::string>{"You have nothing to view."}));
}

}  // namespace
}  // namespace qrv::testing
