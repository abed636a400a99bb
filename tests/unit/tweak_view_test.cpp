#include <gtest/gtest.h>

#include "engine/registry_ops.h"
#include "tools/tweak_view.h"
#include "unit/window_fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
const char* const kPolicies = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char* const kIeMain = "\\Software\\Microsoft\\Internet Explorer\\Main";

class TweakViewTest : public testing::WindowFixture, public ::testing::Test {
 protected:
  double RunDate5() { return ReadDateTime(p, kHkcu, kSettingsKey, "RunDate5", -1); }
  OptimizePage& Tab() { return dynamic_cast<OptimizePage&>(form.PageOf(PageId::Panel5)); }
  void Click(ImageButton& b) { b.caption.onClick(); }
  // Runs the dialog with these steps (each gets the dialog), then closes it.
  void RunDialog(std::function<void(TForm1c&)> steps) {
    TForm1c dialog(app, form.Messages());
    runner.actions.push_front([steps](SkinnedDialog& d) { steps(dynamic_cast<TForm1c&>(d)); });
    runner.RunModal(dialog);
  }
};

TEST_F(TweakViewTest, TheTabShowsTheRegistryPageBySystemPageAndSetsBack) {
  Create();
  p.registry.SetDword(kHkcu, kPolicies, "NoRun", 1);
  form.Tab4Click();
  OptimizePage& tab = Tab();
  EXPECT_EQ(form.FrontPage(), PageId::Panel5);
  EXPECT_EQ(form.HelpLabel.text, "< Back");
  EXPECT_EQ(tab.View.Current(), TweakPage::System);
  EXPECT_FALSE(tab.View.State(20));
  EXPECT_EQ(tab.View.Rows[20].box.image, "tick_off");
  EXPECT_TRUE(tab.View.Rows[0].box.visible);
  EXPECT_FALSE(tab.View.Rows[9].box.visible);
  EXPECT_EQ(tab.View.Rows[20].caption.text, "Enable \"Run\" option at Start Menu *");
  EXPECT_EQ(tab.View.Rows[18].caption.text, "Enable taskbar and Start Menu properties *");
  // Row n of a page at 8 + 20 (n - 1) below the sheet's top, the caption at x 36.
  const Bounds sheet = tab.View.Sheet.r;
  EXPECT_EQ(tab.View.Rows[2].box.r.top, sheet.top + 48);
  EXPECT_EQ(tab.View.Rows[2].caption.r.left, sheet.left + 36);
  EXPECT_EQ(tab.View.Rows[11].box.r.top, sheet.top + 48) << "Internet 03 is the page's third row";
  EXPECT_EQ(tab.View.PageTabs[0].back, kWhite);
  EXPECT_TRUE(tab.View.PageTabs[0].opaque);
  EXPECT_EQ(tab.View.PageTabs[0].align, Align::Centre);
  EXPECT_TRUE(tab.View.PageTabs[0].centreVertically);
  EXPECT_EQ(RunDate5(), p.clock) << "entering the tab stamps the run";

  tab.View.PageTabs[2].onClick();
  EXPECT_TRUE(tab.View.Rows[20].box.visible);
  EXPECT_FALSE(tab.View.Rows[0].box.visible);
  tab.View.Rows[20].caption.onClick();
  EXPECT_TRUE(tab.View.State(20));
  EXPECT_EQ(tab.View.Rows[20].box.image, "tick_on");
}

TEST_F(TweakViewTest, TheTabAppliesThePageInViewAndEntersAgain) {
  Create();
  form.Tab4Click();
  OptimizePage& tab = Tab();
  tab.View.Toggle(0);             // System 01, not applied: another page is in view
  tab.View.SelectPage(TweakPage::Security);
  tab.View.Toggle(20);            // Security 04 off
  tab.View.Rows[17].caption.onMouseMove();
  EXPECT_EQ(tab.View.Hint.text, "Enable Control Panel applets");
  tab.Back.onMouseMove();
  EXPECT_EQ(tab.View.Hint.text, "Enable Control Panel applets") << "the tab keeps its hint";
  p.clock += 1;
  runner.actions.push_back(testing::ClickOk());
  Click(tab.View.ApplyButton);
  EXPECT_EQ(runner.messages.back(), "Apply these settings?");
  EXPECT_EQ(ReadDword(p, kHkcu, kPolicies, "NoRun"), 1u);
  EXPECT_FALSE(ValueExists(p, RootKey::LocalMachine,
                           "\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                           "ClearPageFileAtShutdown"));
  // Entered again: System page, rows re-read, hint empty, run stamped.
  EXPECT_EQ(tab.View.Current(), TweakPage::System);
  EXPECT_FALSE(tab.View.State(20));
  EXPECT_FALSE(tab.View.State(0));
  EXPECT_TRUE(tab.View.Hint.text.empty());
  EXPECT_EQ(RunDate5(), p.clock);
  EXPECT_TRUE(p.files.Exists(tab.View.LastApply().undoPath));
}

// Apply writes what the user changed on the page, not every row of it: an
// absent value stays absent, a value not touched keeps its own data.
TEST_F(TweakViewTest, ApplyWritesOnlyTheRowsTheUserChanged) {
  p.registry.SetDword(kHkcu, kPolicies, "NoSetTaskbar", 7);  // reads on, and is not 0
  Create();
  form.Tab4Click();
  OptimizePage& tab = Tab();
  tab.View.SelectPage(TweakPage::Security);
  tab.View.Toggle(17);  // Security 01 off and on again: unchanged
  tab.View.Toggle(17);
  tab.View.Toggle(20);  // Security 04 off
  runner.actions.push_back(testing::ClickOk());
  Click(tab.View.ApplyButton);
  EXPECT_EQ(tab.View.LastApply().written, std::vector<int>{20});  // the values written: TweakApplyChanges
  EXPECT_EQ(ReadDword(p, kHkcu, kPolicies, "NoRun"), 1u);

  // The dialog: Apply with nothing changed imports nothing; after an Apply
  // the rows read again are the new starting point.
  const std::size_t imports = p.importedScripts.size();
  RunDialog([&](TForm1c& d) {
    d.View.SelectPage(TweakPage::Security);
    runner.actions.push_back(testing::ClickOk());
    d.Button2Click();
    EXPECT_EQ(d.View.LastApply().outcome, TweakApplyOutcome::NothingChanged);
    d.View.Toggle(20);
    runner.actions.push_back(testing::ClickOk());
    d.Button2Click();
    EXPECT_EQ(d.View.LastApply().written, std::vector<int>{20});
    runner.actions.push_back(testing::ClickOk());
    d.Button2Click();
    EXPECT_EQ(d.View.LastApply().outcome, TweakApplyOutcome::NothingChanged);
  });
  EXPECT_EQ(p.importedScripts.size(), imports + 1);
  EXPECT_EQ(ReadDword(p, kHkcu, kPolicies, "NoRun"), 0u);
}

TEST_F(TweakViewTest, CancellingEitherQuestionChangesNothing) {
  Create();
  form.Tab4Click();
  OptimizePage& tab = Tab();
  tab.View.SelectPage(TweakPage::Internet);
  const TweakStates before = tab.View.States();
  const double stamped = RunDate5();
  p.clock += 1;
  Click(tab.View.RecommendButton);  // closed by Escape
  Click(tab.View.ApplyButton);
  runner.actions.push_back([](SkinnedDialog& d) { dynamic_cast<TForm3b&>(d).CancelButton.caption.onClick(); });
  Click(tab.View.ApplyButton);
  EXPECT_EQ(tab.View.States(), before);
  EXPECT_EQ(RunDate5(), stamped);
  EXPECT_TRUE(p.processes.empty());
  EXPECT_EQ(tab.View.Current(), TweakPage::Internet);

  RunDialog([&](TForm1c& d) {
    const TweakStates shown = d.View.States();
    d.Button1Click();
    d.Button2Click();
    EXPECT_EQ(d.View.States(), shown);
  });
  EXPECT_EQ(RunDate5(), stamped);
  EXPECT_TRUE(p.processes.empty());
}

TEST_F(TweakViewTest, RecommendedSetsThePageOnlyAndTheTabDoesNotStamp) {
  Create();
  form.Tab4Click();
  OptimizePage& tab = Tab();
  const double stamped = RunDate5();
  p.clock += 1;
  tab.View.SelectPage(TweakPage::Internet);
  runner.actions.push_back(testing::ClickOk());
  Click(tab.View.RecommendButton);
  EXPECT_EQ(runner.messages.back(), "Apply recommended settings for this page?");
  EXPECT_TRUE(tab.View.State(11)) << "Internet 03 recommended on";
  EXPECT_FALSE(tab.View.State(12)) << "Internet 04 recommended off";
  EXPECT_TRUE(tab.View.State(3)) << "System 04 keeps its state";
  EXPECT_EQ(RunDate5(), stamped);
  EXPECT_TRUE(p.processes.empty());
  EXPECT_FALSE(KeyExists(p, kHkcu, kIeMain));
}

TEST_F(TweakViewTest, TheDialogKeepsItsPageStampsAfterRecommendedAndEmptiesTheHint) {
  Create();
  p.clock += 1;
  RunDialog([&](TForm1c& d) {
    EXPECT_EQ(d.Title.visible, false);
    EXPECT_EQ(d.View.Title.text, "Optimize Windows");
    EXPECT_TRUE(d.IsCaption(100, 39));
    EXPECT_FALSE(d.IsCaption(695, 10)) << "the close glyph is no drag zone";
    EXPECT_EQ(d.CloseGlyph.a.tooltip, "Close");
    d.View.SelectPage(TweakPage::Internet);
    runner.actions.push_back(testing::ClickOk());
    d.Button1Click();
    EXPECT_EQ(RunDate5(), p.clock) << "the dialog stamps after Recommended";
    d.View.Rows[9].caption.onMouseMove();
    EXPECT_FALSE(d.View.Hint.text.empty());
    d.WndImage.onMouseMove();
    EXPECT_TRUE(d.View.Hint.text.empty());
    p.clock += 1;
    runner.actions.push_back(testing::ClickOk());
    d.Button2Click();
    EXPECT_EQ(d.View.Current(), TweakPage::Internet) << "the page in view stays";
    EXPECT_EQ(RunDate5(), p.clock);
    EXPECT_EQ(ReadString(p, kHkcu, kIeMain, "Enable AutoImageResize"), "YES");
    EXPECT_TRUE(d.View.State(11));
    d.CloseGlyph.a.onClick();
  });
  EXPECT_EQ(runner.shown.front(), "TForm1c");
}

TEST_F(TweakViewTest, FrenchButtonsAreSetInNinePoints) {
  app.LanguageNumber = 2;
  Create();
  form.Tab4Click();
  EXPECT_EQ(Tab().View.ApplyButton.caption.font.size, 9);
  TForm1c dialog(app, form.Messages());
  EXPECT_EQ(dialog.Button3.caption.font.size, 9);
  EXPECT_EQ(dialog.View.RecommendButton.caption.font.size, 9);
}

}  // namespace
}  // namespace qrv
