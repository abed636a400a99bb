// The Clean Up tab's three pages driven as the user does, on the in-memory Windows.
#include <gtest/gtest.h>

#include "cleaning/privacy_page.h"
#include "cleaning/residual_page.h"
#include "cleaning/shortcut_page.h"
#include "core/ignore_list.h"
#include "engine/registry_ops.h"
#include "unit/window_fixture.h"

namespace qrv {
namespace {

class CleaningPagesTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  void SetUp() override {
    app.folders.TmpFolder = app.folders.TempFolder = "C:\\Tmp\\";
    app.folders.UserProfileFolder = "C:\\Prof\\";
    p.files.AddFile("C:\\Tmp\\a.txt");
    p.files.AddFile("C:\\Tmp\\ro.txt", {}, kAttributeArchive | kAttributeReadOnly);
    Create();
    form.Tab4Click();
  }
  PrivacyPage& Privacy() { return dynamic_cast<PrivacyPage&>(form.PageOf(PageId::Panel4A)); }
  ResidualPage& Residual() { return dynamic_cast<ResidualPage&>(form.PageOf(PageId::Panel4B)); }
  ShortcutPage& Shortcuts() { return dynamic_cast<ShortcutPage&>(form.PageOf(PageId::Panel4C)); }
};

TEST_F(CleaningPagesTest, PrivacyScanThenCleanShowsWhatWasFoundThenWhatWentAway) {
  form.Panel4Button1Click();
  PrivacyPage& page = Privacy();
  for (int row = 2; row <= 5; ++row) page.Panel4ALabelAClick(row);  // only row 1 stays ticked
  page.Panel4AButton1Click();
  EXPECT_EQ(page.ResultLabels[0].text, "2 files found");
  EXPECT_EQ(page.ResultLabels[0].colour, kRed);
  EXPECT_TRUE(page.ResultLabels[1].text.empty()) << "an unticked row is not scanned";
  EXPECT_EQ(page.Panel4ALabel2.text, "Total: 2 files found");
  EXPECT_TRUE(page.Panel4AButton2.Visible());
  EXPECT_TRUE(ValueExists(p, RootKey::CurrentUser, kSettingsKey, "RunDate2"));

  page.Panel4AButton2Click();
  EXPECT_EQ(page.ResultLabels[0].text, "1 Items cleaned") << "the read-only file stays and is not counted";
  EXPECT_EQ(page.ResultLabels[0].colour, kDarkGrey);
  EXPECT_EQ(page.Panel4ALabel2.text, "Total: 1 Items cleaned");
  EXPECT_TRUE(p.files.Exists("C:\\Tmp\\ro.txt"));
  EXPECT_FALSE(p.files.Exists("C:\\Tmp\\a.txt"));
  EXPECT_EQ(page.Panel4AButton3.caption.text, "Close");
}

TEST_F(CleaningPagesTest, PrivacyWithNoRowTickedSaysSoAndScansNothing) {
  form.Panel4Button1Click();
  PrivacyPage& page = Privacy();
  for (int row = 1; row <= 5; ++row) page.Panel4ALabelAClick(row);
  page.Panel4AButton1Click();
  EXPECT_EQ(runner.messages, (std::vector<std::string>{"No items selected!"}));
  EXPECT_FALSE(ValueExists(p, RootKey::CurrentUser, kSettingsKey, "RunDate2"));
}

TEST_F(CleaningPagesTest, ResidualCustomMenuComparesTheWholeExtensionAndRemoveAsksFirst) {
  p.files.AddFile("C:\\Junk\\a.tmp");
  p.files.AddFile("C:\\Junk\\b.tmpfile");
  p.files.AddFile("C:\\Junk\\c.bak");
  form.Panel4Button2Click();
  ResidualPage& page = Residual();
  EXPECT_EQ(page.Root(), "C:\\");
  p.folderPickerAnswer = "C:\\Junk";
  page.ButtonDirClick();
  EXPECT_EQ(page.Root(), "C:\\Junk\\");
  page.Button1Click();
  ASSERT_EQ(page.InfoList.rows.size(), 3u);
  EXPECT_EQ(page.Label1.text, "3 files found");
  page.DeselectLabelClick();
  page.Panel4BCustomLabelClick();
  page.Panel4BPopupMenuItemClick(0);  // *.tmp
  std::vector<bool> ticks;
  for (const auto& row : page.InfoList.rows) ticks.push_back(row.checked);
  EXPECT_EQ(ticks, (std::vector<bool>{true, false, false}));

  page.Button2Click();  // the question is closed unanswered: nothing happens
  EXPECT_TRUE(p.files.Exists("C:\\Junk\\a.tmp"));
  runner.actions.push_back(testing::ClickOk());
  page.Button2Click();
  EXPECT_FALSE(p.files.Exists("C:\\Junk\\a.tmp"));
  EXPECT_TRUE(p.files.Exists("C:\\Junk\\b.tmpfile"));
  EXPECT_TRUE(p.files.Exists("C:\\Junk\\c.bak"));
  EXPECT_EQ(page.Label1.text, "1 files deleted");
  EXPECT_TRUE(page.InfoList.rows.empty());
  EXPECT_TRUE(page.Button1.Visible());
}

TEST_F(CleaningPagesTest, IgnoredResidualFileLeavesTheListAndStaysThroughRemovalAndLaterSearches) {
  p.files.AddFile("C:\\Junk\\a.tmp");
  p.files.AddFile("C:\\Junk\\keep.bak");
  form.Panel4Button2Click();
  ResidualPage& page = Residual();
  p.folderPickerAnswer = "C:\\Junk";
  page.ButtonDirClick();
  page.Button1Click();
  ASSERT_EQ(page.InfoList.rows.size(), 2u);
  page.IgnoreLabelClick();  // no row selected
  EXPECT_EQ(runner.messages.back(), "Select the entry to ignore in the list first. It will not be reported again.");

  page.InfoList.selected = 1;
  page.IgnoreLabelClick();
  EXPECT_EQ(LoadIgnoreEntries(p), (std::vector<IgnoreEntry>{{"C:\\Junk\\keep.bak", std::nullopt}}));
  ASSERT_EQ(page.InfoList.rows.size(), 1u);
  EXPECT_EQ(page.Label1.text, "1 files found");
  runner.actions.push_back(testing::ClickOk());
  page.Button2Click();
  EXPECT_FALSE(p.files.Exists("C:\\Junk\\a.tmp"));
  EXPECT_TRUE(p.files.Exists("C:\\Junk\\keep.bak"));

  p.files.AddFile("C:\\Junk\\b.tmp");
  page.Button1Click();
  ASSERT_EQ(page.InfoList.rows.size(), 1u);
  EXPECT_EQ(app.Slot(1), (std::vector<std::string>{"C:\\Junk\\b.tmp"}));
}

TEST_F(CleaningPagesTest, ShortcutPageListsGoneTargetsAndCancelStopsTheSearch) {
  for (int i = 0; i < 30; ++i)
    p.files.AddFile("C:\\Prof\\L" + std::to_string(i) + ".lnk", fake::FakePlatform::ShortcutBytes("C:\\Gone\\x.exe"));
  form.Panel4Button3Click();
  ShortcutPage& page = Shortcuts();
  EXPECT_EQ(page.Root(), "C:\\Prof\\");
  page.Button1Click();
  EXPECT_EQ(page.InfoList.rows.size(), 30u);
  EXPECT_EQ(page.InfoList.rows[0].cells[1], "C:\\Gone\\x.exe");
  EXPECT_EQ(page.Label1.text, "30 invalid short cuts found");

  // Cancel, confirmed, at the tenth pump of a new search.
  host.onPump = [this, n = 0]() mutable {
    if (++n == 10) {
      runner.actions.push_back(testing::ClickOk());
      Shortcuts().CancelButtonClick();
    }
  };
  page.Button1Click();
  EXPECT_LT(page.InfoList.rows.size(), 30u);
  EXPECT_TRUE(page.Button2.Visible()) << "Remove is offered for what was found";
  EXPECT_FALSE(app.CancelFlag);
}

}  // namespace
}  // namespace qrv
