#include <gtest/gtest.h>

#include "app/about_page.h"
#include "app/clean_up_page.h"
#include "core/skin_region.h"
#include "engine/fix_script.h"
#include "engine/registry_ops.h"
#include "unit/window_fixture.h"

namespace qrv {
namespace {

// ------------------------------------------------------------- window shape

// A W x H image whose pixels are given by a function.
SkinShape ShapeOf(int w, int h, const std::function<Colour(int, int)>& pixel) { return SkinRegion(w, h, pixel); }

constexpr Colour kKey = 0xFF00FF;
constexpr Colour kFrame = 0x303030;

TEST(SkinRegionTest, KeyColouredCornersAreCutAndTheInnerRectangleKept) {
  // Rounded corners: a 3-pixel triangle of key colour in each corner.
  const int w = 20, h = 16;
  const auto pixel = [&](int x, int y) -> Colour {
    const int dx = std::min(x, w - 1 - x), dy = std::min(y, h - 1 - y);
    return dx + dy < 3 ? kKey : kFrame;
  };
  const SkinShape s = ShapeOf(w, h, pixel);
  for (const auto& [x, y] : {std::pair{0, 0}, {1, 1}, {2, 0}, {19, 0}, {18, 1}, {0, 15}, {19, 15}, {17, 15}}) {
    EXPECT_FALSE(s.Contains(x, y)) << x << "," << y;
  }
  for (const auto& [x, y] : {std::pair{3, 0}, {0, 3}, {10, 0}, {19, 8}, {10, 15}, {5, 5}, {14, 10}}) {
    EXPECT_TRUE(s.Contains(x, y)) << x << "," << y;
  }
  EXPECT_FALSE(s.Contains(20, 5));
  EXPECT_FALSE(s.Contains(-1, 5));
}

TEST(SkinRegionTest, KeyColourInsideTheBandIsCutButDeeperInsideKept) {
  const int w = 24, h = 20;
  // Key colour everywhere except a frame ring at rows/columns 2..3, so the
  // band holds key colour on both sides of it; and a key-coloured block deep
  // inside the image.
  const auto pixel = [&](int x, int y) -> Colour {
    const int d = std::min({x, y, w - 1 - x, h - 1 - y});
    if (d == 2 || d == 3) return kFrame;
    return kKey;
  };
  const SkinShape s = ShapeOf(w, h, pixel);
  EXPECT_FALSE(s.Contains(0, 10));
  EXPECT_TRUE(s.Contains(2, 10));
  EXPECT_FALSE(s.Contains(4, 10));   // key colour within the 5-pixel band
  EXPECT_TRUE(s.Contains(5, 10));    // inner rectangle, key colour or not
  EXPECT_TRUE(s.Contains(12, 10));
  EXPECT_TRUE(s.Contains(18, 14));   // last column/row of the inner rectangle
  EXPECT_FALSE(s.Contains(19, 10));  // first column of the right band
}

TEST(SkinRegionTest, KeyIsPixelOneOneAndRunsOfOtherColoursStay) {
  // Pixel (1,1) is blue: only blue runs in the band are cut; magenta stays.
  const auto pixel = [](int x, int y) -> Colour { return (x == 1 && y == 1) || (x == 12 && y == 0) ? 0xFF0000 : kKey; };
  const SkinShape s = ShapeOf(16, 12, pixel);
  EXPECT_FALSE(s.Contains(1, 1));
  EXPECT_FALSE(s.Contains(12, 0));
  EXPECT_TRUE(s.Contains(0, 0));
  EXPECT_TRUE(s.Contains(15, 11));
}

TEST(SkinRegionTest, PumpsOnceBeforeEachBand) {
  int pumps = 0;
  SkinRegion(12, 12, [](int, int) { return kFrame; }, [&] { ++pumps; });
  EXPECT_EQ(pumps, 4);
}

// ---------------------------------------------------------------- navigation

class MainWindowTest : public ::testing::Test, public testing::WindowFixture {};

TEST_F(MainWindowTest, StartsOnHomeWithItsLabelWhiteAndHelpMode) {
  Create();
  EXPECT_EQ(form.FrontPage(), PageId::Panel1);
  EXPECT_EQ(form.FrontTab(), 1);
  EXPECT_EQ(form.TabLabel[0].colour, kWhite);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(form.TabLabel[static_cast<std::size_t>(i)].colour, kDarkGrey);
  EXPECT_EQ(form.HelpLabel.text, "> Help");
  EXPECT_EQ(form.Mode(), HelpMode::Help);
  EXPECT_EQ(app.ScanMode, 2);
  EXPECT_FALSE(app.CancelFlag);
  EXPECT_EQ(form.HelpLabel.r.Right(), 728);  // grows to the left
}

TEST_F(MainWindowTest, TabsSetPageScanModeBackTargetAndHelpLink) {
  Create();
  struct Row {
    void (TForm1a::*click)();
    PageId page;
    int scanMode, backTarget;
    HelpMode mode;
  };
  const Row rows[] = {{&TForm1a::Tab2Click, PageId::Panel3, 3, 2, HelpMode::Back},
                      {&TForm1a::Tab3Click, PageId::Panel4, 3, 2, HelpMode::Back},
                      {&TForm1a::Tab4Click, PageId::Panel5, 4, 2, HelpMode::Back},
                      {&TForm1a::Tab5Click, PageId::Panel6, 5, 1, HelpMode::Help},
                      {&TForm1a::Tab1Click, PageId::Panel1, 2, 1, HelpMode::Help}};
  int tab = 2;
  for (const Row& r : rows) {
    (form.*r.click)();
    EXPECT_EQ(form.FrontPage(), r.page) << tab;
    EXPECT_EQ(app.ScanMode, r.scanMode) << tab;
    EXPECT_EQ(form.BackTarget, r.backTarget) << tab;
    EXPECT_EQ(form.Mode(), r.mode) << tab;
    EXPECT_EQ(form.FrontTab(), tab) << tab;
    EXPECT_EQ(form.TabLabel[static_cast<std::size_t>(tab - 1)].colour, kWhite);
    tab = tab % 5 + 1;
  }
  EXPECT_EQ(form.HelpLabel.text, "> Help");
}

TEST_F(MainWindowTest, BackFromRegistryOrCleanUpLandsOnTheSummaryPage) {
  Create();
  form.Tab2Click();
  EXPECT_EQ(form.HelpLabel.text, "< Back");
  form.HelpLabelClick();
  EXPECT_EQ(form.FrontPage(), PageId::Panel2B);
  EXPECT_EQ(form.FrontTab(), 1);
  EXPECT_EQ(form.Mode(), HelpMode::Help);

  form.Tab3Click();
  form.TabLabel[2].onClick();  // clicking the tab again changes nothing
  form.Panel4Button2Click();
  EXPECT_EQ(form.FrontPage(), PageId::Panel4B);
  EXPECT_EQ(form.Mode(), HelpMode::Back);
  form.HelpLabelClick();
  EXPECT_EQ(form.FrontPage(), PageId::Panel2B);
  EXPECT_TRUE(p.shellCalls.empty());
  EXPECT_TRUE(runner.shown.empty());
}

TEST_F(MainWindowTest, CleanUpButtonsLeadToTheirSubPages) {
  Create();
  form.Tab3Click();
  auto& page = dynamic_cast<CleanUpPage&>(form.PageOf(PageId::Panel4));
  EXPECT_EQ(page.Buttons[0].caption.text, "Clean up privacy and temporary files");
  page.Buttons[0].caption.onClick();
  EXPECT_EQ(form.FrontPage(), PageId::Panel4A);
  form.Tab3Click();
  page.Buttons[1].a.onClick();
  EXPECT_EQ(form.FrontPage(), PageId::Panel4B);
  form.Tab3Click();
  page.Icons[2].onClick();
  EXPECT_EQ(form.FrontPage(), PageId::Panel4C);
}

TEST_F(MainWindowTest, HelpOpensTheHelpFileOrSaysItIsMissing) {
  Create();
  form.HelpLabelClick();
  EXPECT_TRUE(p.shellCalls.empty());
  EXPECT_EQ(runner.shown, std::vector<std::string>{"TForm3a"});
  EXPECT_EQ(runner.messages, std::vector<std::string>{"Help file not found!"});

  p.files.AddFile(app.folders.ProgramFolder + "\\Quorvane.chm", "ITSF");
  form.Tab5Click();
  form.HelpLabelClick();
  ASSERT_EQ(p.shellCalls.size(), 1u);
  EXPECT_EQ(p.shellCalls[0].verb, "open");
  EXPECT_EQ(p.shellCalls[0].file, app.folders.ProgramFolder + "\\Quorvane.chm");
  EXPECT_EQ(p.shellCalls[0].show, 1);
}

TEST_F(MainWindowTest, HelpModeStillWorksDuringAScan) {
  p.files.AddFile(app.folders.ProgramFolder + "\\Quorvane.chm", "ITSF");
  Create();
  app.CancelFlag = true;
  form.HelpLabelClick();
  EXPECT_EQ(p.shellCalls.size(), 1u);
}

TEST_F(MainWindowTest, ARunningScanRefusesTabsAboutF1CloseAndBackButNotMinimize) {
  p.files.AddFile(FixScriptFile(app.folders), "REGEDIT4");
  Create();
  form.Tab2Click();
  app.CancelFlag = true;
  form.Tab1Click();
  form.Tab3Click();
  form.Tab4Click();
  form.Tab5Click();
  EXPECT_EQ(form.FrontPage(), PageId::Panel3);
  EXPECT_EQ(form.FrontTab(), 2);
  EXPECT_EQ(app.ScanMode, 3);
  form.HelpLabelClick();
  EXPECT_EQ(form.FrontPage(), PageId::Panel3);
  form.TopButton1Click();
  form.FormKeyDown(Key::F1);
  EXPECT_TRUE(runner.shown.empty());
  EXPECT_FALSE(form.CloseForm());
  EXPECT_TRUE(p.files.Exists(FixScriptFile(app.folders)));
  form.TopButton2Click();
  EXPECT_EQ(host.minimized, 1);
}

TEST_F(MainWindowTest, AboutAndF1ShowTheAboutDialog) {
  Create();
  form.TopButton1.b.onClick();
  form.FormKeyDown(Key::F1);
  form.FormKeyDown(Key::Other);
  EXPECT_EQ(runner.shown, (std::vector<std::string>{"TForm2a", "TForm2a"}));
}

TEST_F(MainWindowTest, ClosingDeletesTheFixScriptFileOnly) {
  const std::string undoFile = app.folders.UndoFolder + "\\Undo 2026-12-08 1.reg";
  p.files.AddFile(FixScriptFile(app.folders), "REGEDIT4");
  p.files.AddFile(undoFile, "Windows Registry Editor Version 5.00");
  Create();
  form.TopButton3Click();
  EXPECT_EQ(host.closeRequests, 1);
  EXPECT_TRUE(form.CloseForm());
  EXPECT_FALSE(p.files.Exists(FixScriptFile(app.folders)));
  EXPECT_TRUE(p.files.Exists(undoFile));
  EXPECT_TRUE(form.CloseForm());  // nothing to delete the second time
}

TEST_F(MainWindowTest, OnlyOneTopButtonIsHighlighted) {
  Create();
  form.TopButton1.a.onMouseMove();
  EXPECT_TRUE(form.TopButton1.Highlighted());
  form.TopButton3.a.onMouseMove();  // straight from About onto Close
  EXPECT_FALSE(form.TopButton1.Highlighted());
  EXPECT_TRUE(form.TopButton1.a.visible);
  EXPECT_FALSE(form.TopButton2.Highlighted());
  EXPECT_TRUE(form.TopButton3.Highlighted());
  EXPECT_FALSE(form.TopButton3.a.visible);
  form.TopButton3.b.onMouseMove();  // moving on within it changes nothing
  EXPECT_TRUE(form.TopButton3.Highlighted());
  form.WndImage.onMouseMove();
  for (ImageButton* b : {&form.TopButton1, &form.TopButton2, &form.TopButton3}) {
    EXPECT_FALSE(b->Highlighted());
    EXPECT_TRUE(b->a.visible);
  }
}

TEST_F(MainWindowTest, DragZoneEndsLeftOfTheTopButtons) {
  Create();
  EXPECT_TRUE(form.WMNCHitTest(100, 20));
  EXPECT_TRUE(form.WMNCHitTest(669, 39));
  EXPECT_FALSE(form.WMNCHitTest(690, 20));  // the About button
  EXPECT_FALSE(form.WMNCHitTest(670, 20));
  EXPECT_FALSE(form.WMNCHitTest(100, 40));
  EXPECT_TRUE(form.TopButton1.a.r.Contains(690, 20));
}

TEST_F(MainWindowTest, TabCaptionSizesFollowTheLanguage) {
  for (const auto& [language, size] : {std::pair{1u, 10}, {2u, 10}, {3u, 9}, {4u, 10}, {5u, 8}}) {
    fake::FakePlatform platform;
    AppState state(platform);
    state.LanguageNumber = language;
    testing::RecordingHost h;
    testing::ScriptedRunner r;
    testing::CountingMeasure m;
    TForm1a f(state, h, r, m);
    f.CreateForm();
    for (const Label& l : f.TabLabel) EXPECT_EQ(l.font.size, size) << language;
  }
}

TEST_F(MainWindowTest, CaptionsComeFromTheLanguageFile) {
  app.language.Load("[Actions]\nAction3=Registrierung\n[Buttons]\nHelp=Hilfe\nBack=\n", [](const std::string& s) { return s; });
  Create();
  EXPECT_EQ(form.TabLabel[1].text, "Registrierung");
  EXPECT_EQ(form.TabLabel[0].text, "Home");
  EXPECT_EQ(form.HelpLabel.text, "> Hilfe");
  form.Tab2Click();
  EXPECT_EQ(form.HelpLabel.text, "< ");  // an empty entry stays empty
  EXPECT_EQ(form.Mode(), HelpMode::Back);
  EXPECT_EQ(form.TopButton3.a.tooltip, "Close");
}

TEST_F(MainWindowTest, TheAboutPageSwitchesBetweenItsTwoPages) {
  Create();
  form.Tab5Click();
  auto& page = dynamic_cast<AboutPage&>(form.PageOf(PageId::Panel6));
  EXPECT_TRUE(page.ProductName.visible);
  EXPECT_EQ(page.Version.text, "Version 2.1");
  page.PageTabs[1].onClick();
  EXPECT_FALSE(page.ProductName.visible);
  form.Tab1Click();
  form.Tab5Click();
  EXPECT_EQ(page.Selected(), 0);
}

// ------------------------------------------------------------------ dialogs

TEST_F(MainWindowTest, ConfirmationIsOnlyYesAfterOk) {
  Create();
  Dialogs& d = form.Messages();
  runner.actions.push_back([](SkinnedDialog& dlg) { dlg.KeyDown(Key::Escape); });
  EXPECT_FALSE(d.Confirm("Stop operation?"));
  EXPECT_EQ(d.Form3b.Answer, 2);
  runner.actions.push_back([](SkinnedDialog& dlg) { dynamic_cast<TForm3b&>(dlg).CancelButton.caption.onClick(); });
  EXPECT_FALSE(d.Confirm("Stop operation?"));
  runner.actions.push_back(testing::ClickOk());
  EXPECT_TRUE(d.Confirm("Stop operation?"));
  EXPECT_EQ(d.Form3b.Answer, 1);
  // The next showing starts at 2 again: closing it any other way is a no.
  int answerWhenShown = 0;
  runner.actions.push_back([&](SkinnedDialog& dlg) {
    answerWhenShown = dynamic_cast<TForm3b&>(dlg).Answer;
    dlg.Close();
  });
  EXPECT_FALSE(d.Confirm("Delete?"));
  EXPECT_EQ(answerWhenShown, 2);
  EXPECT_EQ(runner.messages.back(), "Delete?");
}

TEST_F(MainWindowTest, ConfirmationResetsButtonHighlightWhenShown) {
  Create();
  Dialogs& d = form.Messages();
  d.Form3b.OkButton.a.onMouseMove();
  EXPECT_TRUE(d.Form3b.OkButton.Highlighted());
  runner.actions.push_back([](SkinnedDialog& dlg) {
    EXPECT_FALSE(dynamic_cast<TForm3b&>(dlg).OkButton.Highlighted());
    dlg.Close();
  });
  d.Confirm("?");
}

TEST_F(MainWindowTest, DialogButtonsHighlightOneAtATime) {
  Create();
  TForm3b& f = form.Messages().Form3b;
  f.OkButton.caption.onMouseMove();
  f.CancelButton.b.onMouseMove();  // b is hidden, but the label or image under the mouse hovers
  EXPECT_FALSE(f.OkButton.Highlighted());
  EXPECT_TRUE(f.CancelButton.Highlighted());
  f.WndImage.onMouseMove();
  EXPECT_FALSE(f.CancelButton.Highlighted());
}

TEST_F(MainWindowTest, RebootNoticeWritesTheSettingOnlyWhenTickedAndOk) {
  Create();
  WriteFlag(p, RootKey::CurrentUser, kSettingsKey, "ShowRebootMessage", true);
  Dialogs& d = form.Messages();
  // Ticked, then Escape: nothing written.
  runner.actions.push_back([](SkinnedDialog& dlg) {
    auto& f = dynamic_cast<TForm3c&>(dlg);
    f.DontShow.caption.onClick();
    EXPECT_TRUE(f.DontShow.checked);
    f.KeyDown(Key::Escape);
  });
  d.RebootNotice();
  EXPECT_TRUE(ReadFlag(p, RootKey::CurrentUser, kSettingsKey, "ShowRebootMessage"));
  // Not ticked, Ok: nothing written.
  runner.actions.push_back([](SkinnedDialog& dlg) { dynamic_cast<TForm3c&>(dlg).OkButton.a.onClick(); });
  d.RebootNotice();
  EXPECT_TRUE(ReadFlag(p, RootKey::CurrentUser, kSettingsKey, "ShowRebootMessage"));
  // Ticked and Ok: written false, and the notice is not shown again.
  runner.actions.push_back([](SkinnedDialog& dlg) {
    auto& f = dynamic_cast<TForm3c&>(dlg);
    EXPECT_FALSE(f.DontShow.checked);  // clear when shown
    f.DontShow.box.onClick();
    f.OkButton.caption.onClick();
  });
  d.RebootNotice();
  EXPECT_FALSE(ReadFlag(p, RootKey::CurrentUser, kSettingsKey, "ShowRebootMessage"));
  EXPECT_EQ(ReadValue(p, RootKey::CurrentUser, kSettingsKey, "ShowRebootMessage")->type, regtype::kDword);
  d.RebootNotice();
  EXPECT_EQ(runner.shown.size(), 3u);
}

TEST_F(MainWindowTest, DialogDragZones) {
  Create();
  const LanguageTable& l = app.language;
  TForm1b details(l);
  TForm2a about(l);
  EXPECT_TRUE(form.Messages().Form3a.IsCaption(200, 57));
  EXPECT_FALSE(form.Messages().Form3a.IsCaption(200, 58));
  EXPECT_TRUE(details.IsCaption(10, 103));
  EXPECT_FALSE(details.IsCaption(10, 104));
  EXPECT_TRUE(about.IsCaption(300, 31));
  EXPECT_FALSE(about.IsCaption(300, 32));
  EXPECT_EQ(details.Background(), "dialog_500x500");
}

}  // namespace
}  // namespace qrv
