#include <gtest/gtest.h>

#include "engine/registry_ops.h"
#include "tools/schedule_dialog.h"
#include "tools/startup_dialogs.h"
#include "unit/window_fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;
const std::string kUserFolder = "C:\\Users\\tester\\Start Menu\\Programs\\Startup";

class StartupDialogsTest : public ::testing::Test {
 protected:
  fake::FakePlatform p;
  AppState app{p};
  QuietScanHost host;
  testing::ScriptedRunner runner;
  std::unique_ptr<Dialogs> messages;
  std::vector<std::string> filters;
  std::string chosen;

  void SetUp() override {
    testing::SetUpUserFolders(p);
    p.files.AddFolder(kUserFolder);
    p.registry.SetString(kHkcu, kShellFoldersKey, "Startup", kUserFolder);
    LoadSettings(app);
    DeleteValue(p, kHkcu, kRunKey, kScheduleRunValue);  // the first start's companion: not this list's seed
    messages = std::make_unique<Dialogs>(app.language, p, runner);
    p.registry.SetString(kHkcu, kRunKey, "Alpha", "C:\\Tools\\alpha.exe");
    p.files.AddFile(kUserFolder + "\\broken.lnk", "not a link");
    p.AddStartupLink(kUserFolder + "\\Mine.lnk", {"C:\\Tools\\mine.exe", "", ""});
  }
  ChooseFile Chooser() {
    return [this](const std::string& filter) {
      filters.push_back(filter);
      return chosen;
    };
  }
};

TEST_F(StartupDialogsTest, RemoveActsOnTheSelectedRowAfterConfirmation) {
  TForm1d form(app, *messages, runner, host, Chooser());
  form.Show();
  ASSERT_EQ(form.List.rows.size(), 3u);
  EXPECT_EQ(form.Codes(), (std::vector<int>{1, 4, 4}));
  EXPECT_FALSE(form.List.checkboxes);
  EXPECT_FALSE(form.List.rows[1].icon) << "the link that does not load";
  EXPECT_EQ(form.List.rows[1].cells, (std::vector<std::string>{"tester", "broken.lnk", ""}));

  form.Button2Click();  // nothing selected
  form.Button3Click();
  EXPECT_TRUE(runner.shown.empty());
  EXPECT_TRUE(p.shellCalls.empty());

  form.List.selected = 2;
  form.Button2Click();  // confirmation closed by Escape
  EXPECT_EQ(runner.messages, std::vector<std::string>{"Delete marked items?"});
  EXPECT_TRUE(p.files.Exists(kUserFolder + "\\Mine.lnk"));

  runner.actions.push_back(testing::ClickOk());
  form.Button2Click();
  EXPECT_FALSE(p.files.Exists(kUserFolder + "\\Mine.lnk"));
  EXPECT_TRUE(p.files.Exists(kUserFolder + "\\broken.lnk"));
  EXPECT_TRUE(ValueExists(p, kHkcu, kRunKey, "Alpha"));
  EXPECT_FALSE(form.LastUndoFile().empty());
  EXPECT_EQ(form.List.rows.size(), 2u) << "the list is read again";
  EXPECT_EQ(form.List.selected, -1);

  form.List.selected = 0;
  form.Button3Click();
  ASSERT_EQ(p.shellCalls.size(), 1u);
  EXPECT_EQ(p.shellCalls[0].file, "https://www.google.com/search?hl=en&q=%22ALPHA.EXE%22");
  EXPECT_FALSE(form.Closed());
  form.CloseGlyph.onClick();
  EXPECT_TRUE(form.Closed());
}

TEST_F(StartupDialogsTest, ButtonCaptionsAreSmallerInFrenchSpanishAndItalian) {
  for (unsigned language : {1u, 2u, 3u, 4u, 5u}) {
    app.LanguageNumber = language;
    TForm1d form(app, *messages, runner, host, Chooser());
    EXPECT_EQ(form.Button3.caption.font.size, language == 2 || language >= 4 ? 8 : 9) << language;
  }
}

TEST_F(StartupDialogsTest, AddTakesThePathOnlyFromTheFileDialog) {
  p.files.AddFile("C:\\Tools\\a.exe");
  TForm1d manager(app, *messages, runner, host, Chooser());
  manager.Show();
  const std::size_t rows = manager.List.rows.size();
  runner.actions.push_back([&](SkinnedDialog& d) {
    auto& add = dynamic_cast<TForm3d&>(d);
    EXPECT_TRUE(add.Path.text.empty());
    EXPECT_TRUE(add.OnlyForMe.checked);
    add.Button1Click();  // empty path: "File not found!" and the dialog stays
    EXPECT_FALSE(add.Closed());
    add.BrowseClick();   // cancelled: the field stays empty
    EXPECT_TRUE(add.Path.text.empty());
    chosen = "C:\\Tools\\a.exe";
    add.Browse.onClick();
    EXPECT_EQ(add.Path.text, chosen);
    add.ForAllUsers.caption.onClick();
    EXPECT_FALSE(add.OnlyForMe.checked);
    add.Button1.a.onClick();
    EXPECT_TRUE(add.Closed());
  });
  manager.Button1Click();
  EXPECT_EQ(runner.shown, (std::vector<std::string>{"TForm3d", "TForm3a"}));
  EXPECT_EQ(runner.messages, std::vector<std::string>{"File not found!"});
  EXPECT_EQ(filters, (std::vector<std::string>{"Programs|*.exe|All files|*.*", "Programs|*.exe|All files|*.*"}));
  EXPECT_EQ(ReadString(p, kHklm, kRunKey, "a.exe"), "C:\\Tools\\a.exe");
  EXPECT_EQ(manager.List.rows.size(), rows) << "listed from the next opening on";

  // Cancel writes nothing.
  TForm3d cancelled(app, *messages, Chooser());
  cancelled.Path.text = "C:\\Tools\\a.exe";
  cancelled.Button2.caption.onClick();
  EXPECT_TRUE(cancelled.Closed());
  EXPECT_FALSE(ValueExists(p, kHkcu, kRunKey, "a.exe"));
}

TEST_F(StartupDialogsTest, ScheduleDialogReadsAppliesAndCancels) {
  WriteFlag(p, kHkcu, kSettingsKey, "s_Enable", true);
  WriteDword(p, kHkcu, kSettingsKey, "s_Day", 3);
  WriteDateTime(p, kHkcu, kSettingsKey, "s_Time", 39000.0 + 8.25 / 24);
  TForm4 form(app);
  form.Show();
  EXPECT_TRUE(form.Enable.checked);
  EXPECT_EQ(form.Day.selected, 3);
  EXPECT_EQ(form.Day.items.size(), 7u);
  EXPECT_EQ(form.Day.items[6], "Sunday");
  EXPECT_DOUBLE_EQ(form.Time.value, 40000.0 + 8.25 / 24) << "today's date with the stored time";
  EXPECT_TRUE(form.Day.enabled);
  EXPECT_FALSE(form.EnableCaption.onClick) << "the caption does not toggle the box";
  form.Enable.box.onClick();
  EXPECT_FALSE(form.Day.enabled);
  EXPECT_FALSE(form.Time.enabled);

  // Escape writes nothing.
  form.KeyDown(Key::Escape);
  EXPECT_EQ(ReadDword(p, kHkcu, kSettingsKey, "s_Day"), 3u);
  EXPECT_TRUE(ReadFlag(p, kHkcu, kSettingsKey, "s_Enable"));

  TForm4 on(app);
  on.Show();
  on.Day.selected = 5;
  on.Time.value = 40000.0 + 22.0 / 24;
  on.Button1.a.onClick();
  EXPECT_TRUE(on.Closed());
  EXPECT_EQ(ReadDword(p, kHkcu, kSettingsKey, "s_Day"), 5u);
  EXPECT_EQ(ReadString(p, kHkcu, kRunKey, "Quorvane Schedule"), "\"C:\\Program Files\\Quorvane\\QRVSchedule.exe\"");
  ASSERT_EQ(p.shellCalls.size(), 1u);
  EXPECT_EQ(p.shellCalls[0].verb, "open");

  WriteDword(p, kHkcu, kSettingsKey, "s_Day", 7);
  TForm4 off(app);
  EXPECT_EQ(off.Day.selected, 0) << "a stored day out of range selects Monday";
  off.CheckBoxClick();
  off.Button1Click();
  EXPECT_EQ(ReadDword(p, kHkcu, kSettingsKey, "s_Day"), 0u);
  EXPECT_FALSE(ValueExists(p, kHkcu, kRunKey, "Quorvane Schedule"));
  EXPECT_EQ(p.shellCalls.size(), 1u);
}

}  // namespace
}  // namespace qrv
