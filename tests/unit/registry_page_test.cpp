#include <gtest/gtest.h>

#include "engine/fix_script.h"
#include "engine/registry_ops.h"
#include "registry_scan/registry_page.h"
#include "unit/window_fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RootKey kHkcr = RootKey::ClassesRoot;
const std::string kAppPaths = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

class RegistryPageTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  void SetUp() override {
    Create();
    form.Tab2Click();
  }
  RegistryPage& Page() { return dynamic_cast<RegistryPage&>(form.PageOf(PageId::Panel3)); }
  void MissingProgram(const std::string& name) {
    p.registry.SetString(kHklm, kAppPaths + name, "", "C:\\Program Files\\Gone\\" + name);
  }
  void MissingServer(const std::string& clsid) {
    p.registry.SetString(kHkcr, "\\CLSID\\" + clsid + "\\InprocServer32", "", "C:\\Old\\" + clsid + ".dll");
  }
  std::vector<std::string> ResultTexts() {
    std::vector<std::string> texts;
    for (const Label& l : Page().ResultLabels) texts.push_back(l.text);
    return texts;
  }
  bool RunDate1Written() { return ValueExists(p, RootKey::CurrentUser, kSettingsKey, "RunDate1"); }
  // Presses Stop at the given pump (counted from 1) of the given category,
  // answering the question.
  void StopDuring(int category, bool confirm, int atPump = 1) {
    host.onPump = [this, category, confirm, atPump, seen = 0, done = false]() mutable {
      if (done || Page().Panel3Label11B.text != Page().CategoryCaption(category)) return;
      if (++seen < atPump) return;
      done = true;
      runner.actions.push_back(confirm ? testing::ClickOk()
                                       : std::function<void(SkinnedDialog&)>([](SkinnedDialog& d) { d.Close(); }));
      Page().Panel3Button3.a.onClick();
    };
  }
};

TEST_F(RegistryPageTest, EnteringResetsThePageAndSetsBack) {
  EXPECT_TRUE(Page().Panel3Button1.Visible());
  EXPECT_FALSE(Page().Panel3Button2.Visible());
  EXPECT_FALSE(Page().Panel3Button3.Visible());
  EXPECT_FALSE(Page().Panel3ProgressBar1A.visible);
  EXPECT_EQ(Page().Panel3Label11A.text, "Fix registry errors");
  EXPECT_EQ(form.HelpLabel.text, "< Back");
  EXPECT_EQ(Page().CaptionLabels[9].text, "Temporary registry values");
}

TEST_F(RegistryPageTest, ACleanRegistryShowsZeroesTheNoProblemsMessageAndClose) {
  Page().Panel3Button1Click();
  EXPECT_FALSE(app.CancelFlag);
  for (const std::string& t : ResultTexts()) EXPECT_EQ(t, "0 errors detected");
  EXPECT_EQ(Page().Panel3Label11C.text, "0 errors detected");
  EXPECT_EQ(runner.messages, std::vector<std::string>{"No problems found in your system!"});
  EXPECT_FALSE(Page().Panel3Button1.Visible());
  EXPECT_FALSE(Page().Panel3Button2.Visible());
  EXPECT_TRUE(Page().Panel3Button3.Visible());
  EXPECT_EQ(Page().Panel3Button3.caption.text, "Close");
  EXPECT_TRUE(RunDate1Written());
  EXPECT_EQ(Page().Panel3Label11B.text, "");
  EXPECT_FALSE(Page().Panel3ProgressBar2.visible);
  // Close leads home.
  Page().Panel3Button3.caption.onClick();
  EXPECT_EQ(form.FrontPage(), PageId::Panel1);
}

TEST_F(RegistryPageTest, FindingsTurnTheirLabelsRedAndOfferFix) {
  MissingProgram("gone.exe");
  MissingServer("{A1}");
  Page().Panel3Button1Click();
  EXPECT_EQ(ResultTexts()[0], "1 errors detected");
  EXPECT_EQ(ResultTexts()[3], "1 errors detected");
  EXPECT_EQ(Page().ResultLabels[0].colour, kRed);
  EXPECT_TRUE(Page().ResultLabels[0].font.underline);
  EXPECT_TRUE(Page().ResultLabels[0].hand);
  EXPECT_TRUE(Page().WarningIcons[0].visible);
  EXPECT_FALSE(Page().WarningIcons[1].visible);
  EXPECT_EQ(Page().ResultLabels[1].colour, kDarkGrey);
  EXPECT_EQ(Page().Panel3Label11C.text, "2 errors detected");
  EXPECT_TRUE(Page().Panel3Button2.Visible());
  EXPECT_FALSE(Page().Panel3Button3.Visible());
  EXPECT_TRUE(runner.shown.empty());
}

TEST_F(RegistryPageTest, DetailsShowTheClickedCategoryAndNothingDuringAScan) {
  MissingProgram("gone.exe");
  Page().ResultLabels[0].onClick();  // nothing found yet: ignored
  EXPECT_TRUE(runner.shown.empty());
  Page().Panel3Button1Click();
  Page().ResultLabels[0].onClick();
  ASSERT_EQ(runner.shown, std::vector<std::string>{"TForm1b"});
  EXPECT_EQ(runner.detailLines, std::vector<std::string>{"File not found: C:\\PROGRAM FILES\\GONE\\GONE.EXE"});
  Page().ResultLabels[4].onClick();  // empty category while another has findings
  EXPECT_EQ(runner.shown.size(), 2u);
  EXPECT_TRUE(runner.detailLines.empty());
  app.CancelFlag = true;
  Page().ResultLabels[0].onClick();
  EXPECT_EQ(runner.shown.size(), 2u);
}

TEST_F(RegistryPageTest, StopDuringComLeavesLaterCategoriesEmptyAndRunDateUntouched) {
  MissingProgram("gone.exe");
  MissingServer("{A1}");
  MissingServer("{B2}");
  StopDuring(4, true);
  Page().Panel3Button1Click();
  const auto texts = ResultTexts();
  EXPECT_EQ(texts[0], "1 errors detected");
  EXPECT_EQ(texts[2], "0 errors detected");
  EXPECT_EQ(texts[3], "0 errors detected");  // stopped before its first item
  for (std::size_t i = 4; i < 10; ++i) EXPECT_EQ(texts[i], "") << i;
  EXPECT_EQ(Page().Panel3Label11C.text, "1 errors detected");
  EXPECT_TRUE(Page().Panel3Button2.Visible());
  EXPECT_FALSE(RunDate1Written());
  EXPECT_FALSE(app.CancelFlag);
  EXPECT_EQ(runner.shown, std::vector<std::string>{"TForm3b"});
  EXPECT_EQ(runner.messages, std::vector<std::string>{"Stop operation?"});
}

TEST_F(RegistryPageTest, StopAtTheSecondComItemKeepsTheFirstFindingAndFixesOnlyIt) {
  MissingServer("{A1}");
  MissingServer("{B2}");
  StopDuring(4, true, 2);  // the loop has examined {A1}; {B2} is never looked at
  Page().Panel3Button1Click();
  EXPECT_EQ(ResultTexts()[3], "1 errors detected");
  EXPECT_EQ(ResultTexts()[4], "");
  EXPECT_EQ(Page().Panel3Label11C.text, "1 errors detected");
  EXPECT_FALSE(RunDate1Written());
  Page().Panel3Button2Click();
  EXPECT_FALSE(KeyExists(p, kHkcr, "\\CLSID\\{A1}\\InprocServer32"));
  EXPECT_TRUE(KeyExists(p, kHkcr, "\\CLSID\\{B2}\\InprocServer32"));
  EXPECT_EQ(Page().Panel3Label11C.text, "1 problems fixed");
}

TEST_F(RegistryPageTest, StopNotConfirmedLetsTheScanFinish) {
  MissingServer("{A1}");
  StopDuring(4, false);
  Page().Panel3Button1Click();
  EXPECT_EQ(ResultTexts()[3], "1 errors detected");
  EXPECT_EQ(ResultTexts()[9], "0 errors detected");
  EXPECT_TRUE(RunDate1Written());
}

TEST_F(RegistryPageTest, NavigationIsRefusedWhileScanning) {
  host.onPump = [this, tried = false]() mutable {
    if (tried) return;
    tried = true;
    form.Tab1Click();
    form.HelpLabelClick();
    EXPECT_FALSE(form.CloseForm());
    EXPECT_EQ(form.FrontPage(), PageId::Panel3);
    EXPECT_TRUE(Page().Panel3Button3.Visible());
    EXPECT_EQ(Page().Panel3Button3.caption.text, "Cancel");
  };
  Page().Panel3Button1Click();
  EXPECT_EQ(form.FrontPage(), PageId::Panel3);
}

TEST_F(RegistryPageTest, FixLogsBacksUpRepairsAndCountsProblemsFixed) {
  for (const char* n : {"a.exe", "b.exe", "c.exe"}) MissingProgram(n);
  MissingServer("{A1}");
  MissingServer("{B2}");
  p.registry.SetString(kHklm, kAppPaths + "kept.exe", "", "C:\\Kept\\kept.exe");
  p.files.AddFile("C:\\Kept\\kept.exe", "MZ");
  Page().Panel3Button1Click();
  Page().Panel3Button2.caption.onClick();

  const auto texts = ResultTexts();
  EXPECT_EQ(texts[0], "3 problems fixed");
  EXPECT_EQ(texts[3], "2 problems fixed");
  EXPECT_EQ(texts[1], "0 problems fixed");
  EXPECT_EQ(Page().ResultLabels[0].colour, kDarkGrey);
  EXPECT_FALSE(Page().ResultLabels[0].font.underline);
  EXPECT_TRUE(Page().WarningIcons[0].visible);  // icons keep their state
  EXPECT_EQ(Page().Panel3Label11C.text, "5 problems fixed");
  EXPECT_EQ(Page().Panel3Button3.caption.text, "Close");
  EXPECT_FALSE(Page().Panel3Button2.Visible());

  EXPECT_FALSE(KeyExists(p, kHklm, kAppPaths + "a.exe"));
  EXPECT_FALSE(KeyExists(p, kHkcr, "\\CLSID\\{A1}\\InprocServer32"));
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "kept.exe"));
  EXPECT_TRUE(KeyExists(p, kHkcr, "\\CLSID\\{A1}"));

  const RepairResult& r = Page().LastRepair();
  ASSERT_TRUE(p.files.Exists(r.logPath));
  ASSERT_TRUE(p.files.Exists(r.undoPath));
  const std::string log = p.files.Contents(r.logPath).value_or("");
  EXPECT_LT(log.find("A.EXE"), log.find("{A1}.DLL"));  // category order
  for (int n = 1; n <= 10; ++n) EXPECT_TRUE(app.FindingList[static_cast<std::size_t>(n)].empty());
  EXPECT_TRUE(app.FixScript.Empty());
  EXPECT_TRUE(app.UndoScript.HoldsEntries());  // kept until the next scan
  Page().ResultLabels[0].onClick();             // nothing to show any more
  EXPECT_TRUE(runner.shown.empty());
}

TEST_F(RegistryPageTest, AFixThatCannotWriteItsLogChangesNothingAndSaysSo) {
  MissingProgram("gone.exe");
  Page().Panel3Button1Click();
  p.files.MarkFolderNotWritable(app.folders.LogFolder);
  p.files.MarkFolderNotWritable(app.folders.ProgramFolder);
  Page().Panel3Button2Click();
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  EXPECT_EQ(runner.messages, std::vector<std::string>{"The repair could not be made. Your registry was not changed."});
  EXPECT_TRUE(Page().Panel3Button2.Visible());
  EXPECT_EQ(ResultTexts()[0], "1 errors detected");
  EXPECT_EQ(app.FindingList[1].size(), 1u);
}

}  // namespace
}  // namespace qrv
