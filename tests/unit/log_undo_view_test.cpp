#include <gtest/gtest.h>

#include <functional>

#include "app/about_page.h"
#include "core/settings.h"
#include "engine/fix_script.h"
#include "engine/recovery.h"
#include "engine/text.h"
#include "unit/window_fixture.h"

namespace qrv {
namespace {

const std::string kLog = "C:\\Data\\Log";
const std::string kUndo = "C:\\Data\\Undo";

class LogUndoTest : public testing::WindowFixture, public ::testing::Test {
 protected:
  LogUndoView& Page() { return dynamic_cast<AboutPage&>(form.PageOf(PageId::Panel6)).LogUndo; }
  void Select(int row) {
    Page().FileList.selected = row;
    Page().FileList.onSelect();
  }
  void Tick(int row) { Page().FileList.rows.at(static_cast<std::size_t>(row)).checked = true; }
};

TEST_F(LogUndoTest, EnteringTheTabDeletesTheFixScriptAndShowsTheLogsInEveryEncoding) {
  p.files.AddFile(kUndo + "\\Quorvane.reg", "REGEDIT4\r\n");
  p.files.AddFile(kLog + "\\Log 1.log", "\xFF\xFE" + Utf16LeBytes("Fran\xC3\xA7ois\r\nzwei\r\n"));
  p.files.AddFile(kLog + "\\Log 2.log", "\xEF\xBB\xBF" "caf\xC3\xA9\r\n");
  p.files.AddFile(kLog + "\\Log 3.log", "na\xEFve\r\n");  // ANSI
  p.files.AddFile(kLog + "\\notes.txt", "x");
  p.files.AddFolder(kLog + "\\old.log");
  Create();
  form.Tab5Click();
  EXPECT_FALSE(p.files.Exists(kUndo + "\\Quorvane.reg"));
  auto& about = dynamic_cast<AboutPage&>(form.PageOf(PageId::Panel6));
  EXPECT_EQ(about.Selected(), 0);
  EXPECT_FALSE(Page().FileList.visible) << "the About page is in front";
  about.PageTabs[1].onClick();
  EXPECT_TRUE(Page().FileList.visible);
  EXPECT_EQ(Page().LogFolderField.text, kLog);
  EXPECT_EQ(Page().UndoFolderField.text, kUndo);
  EXPECT_FALSE(Page().InUndoMode());
  EXPECT_EQ(Page().LogMode.box.image, "radio_on");
  EXPECT_EQ(Page().SecondButton.caption.text, "Save as");
  EXPECT_EQ(Page().Names(), (std::vector<std::string>{"Log 1.log", "Log 2.log", "Log 3.log"}));
  EXPECT_EQ(Page().FileList.selected, 0);
  EXPECT_EQ(Page().Viewer.lines, (std::vector<std::string>{"Fran\xC3\xA7ois", "zwei"}));
  Select(1);
  EXPECT_EQ(Page().Viewer.lines, std::vector<std::string>{"caf\xC3\xA9"});
  Select(2);
  EXPECT_EQ(Page().Viewer.lines, std::vector<std::string>{"na\xC3\xAFve"});
  Page().LogFolderButton.a.onClick();
  ASSERT_EQ(p.shellCalls.size(), 1u);
  EXPECT_EQ(p.shellCalls[0].verb, "open");
  EXPECT_EQ(p.shellCalls[0].file, kLog);
}

TEST_F(LogUndoTest, UndoOpensTheSelectedFileAndDeleteRemovesTheTickedOnes) {
  for (const char* name : {"Undo 1.reg", "Undo 2.reg", "Undo 3.reg"}) p.files.AddFile(kUndo + "\\" + name, "W");
  Create();
  form.Tab5Click();
  Page().Panel6Check2Click();
  EXPECT_EQ(Page().SecondButton.caption.text, "Undo");
  EXPECT_EQ(Page().UndoMode.box.image, "radio_on");
  Tick(0);
  Select(1);
  Page().SecondButton.caption.onClick();
  ASSERT_EQ(p.shellCalls.size(), 1u);
  EXPECT_EQ(p.shellCalls[0].file, kUndo + "\\Undo 2.reg");
  EXPECT_EQ(p.shellCalls[0].verb, "open");
  EXPECT_TRUE(p.processes.empty()) << "the program does not import it itself";
  p.noRegAssociation = true;
  Page().SecondButton.caption.onClick();
  ASSERT_EQ(p.shellCalls.size(), 3u);
  EXPECT_EQ(p.shellCalls[2].file, "C:\\windows\\regedit.exe") << "the editor's interactive import, without /s";
  EXPECT_EQ(p.shellCalls[2].parameters, "\"" + kUndo + "\\Undo 2.reg\"");
  p.noRegAssociation = false;
  // On 64-bit Windows the association opens the native editor; the 32-bit
  // program's undo file goes to its own editor, that of the view it came from.
  p.RunAsThirtyTwoBitProgramOnSixtyFourBitWindows();
  app.folders.RegistryEditor = RegistryEditorPath(p, app.folders.WindowsFolder);
  Page().SecondButton.caption.onClick();
  ASSERT_EQ(p.shellCalls.size(), 4u);
  EXPECT_EQ(p.shellCalls[3].file, "C:\\windows\\SysWOW64\\regedit.exe");
  EXPECT_EQ(p.shellCalls[3].parameters, "\"" + kUndo + "\\Undo 2.reg\"");
  p.wow64 = false;

  runner.actions.push_back(testing::ClickOk());
  Page().DeleteButton.caption.onClick();
  EXPECT_EQ(runner.messages.at(0), "Delete checked undo files?");
  EXPECT_EQ(runner.messages.at(1), "1 undo files deleted!");
  EXPECT_FALSE(p.files.Exists(kUndo + "\\Undo 1.reg"));
  EXPECT_TRUE(p.files.Exists(kUndo + "\\Undo 2.reg"));
  EXPECT_TRUE(p.files.Exists(kUndo + "\\Undo 3.reg"));
  EXPECT_EQ(Page().Names(), (std::vector<std::string>{"Undo 2.reg", "Undo 3.reg"}));
  EXPECT_EQ(Page().FileList.selected, 1) << "the last remaining file is shown";
  EXPECT_EQ(Page().Viewer.lines, std::vector<std::string>{"W"});
}

// The row the list shows selected is the file the viewer shows and the one
// Undo opens, after every refill; with none selected Undo says so.
TEST_F(LogUndoTest, UndoOpensTheFileShownAndSaysSoWhenNoneIsSelected) {
  for (const char* name : {"Undo 1.reg", "Undo 2.reg", "Undo 3.reg"}) p.files.AddFile(kUndo + "\\" + name, name);
  Create();
  form.Tab5Click();
  const auto undoOpens = [&]() -> std::string {
    const std::size_t before = p.shellCalls.size();
    Page().SecondButton.caption.onClick();
    return p.shellCalls.size() == before ? std::string() : p.shellCalls.back().file;
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    int selected;  // -1: none
  };
  const std::vector<Step> steps{
      {"entering undo mode", [&] { Page().Panel6Check2Click(); }, 0},
      {"the user's choice", [&] { Select(2); }, 2},
      {"back and forth between the modes", [&] { Page().Panel6Check1Click(); Page().Panel6Check2Click(); }, 0},
      {"after a deletion", [&] {
         Tick(0);
         runner.actions.push_back(testing::ClickOk());
         Page().DeleteButton.caption.onClick();
       }, 1},
      {"the tab entered again", [&] { form.Tab5Click(); Page().Panel6Check2Click(); }, 0},
  };
  for (const Step& step : steps) {
    step.act();
    const int row = Page().FileList.selected;
    ASSERT_EQ(row, step.selected) << step.what;
    const std::string name = Page().Names().at(static_cast<std::size_t>(row));
    EXPECT_EQ(Page().Viewer.lines, std::vector<std::string>{name}) << step.what << ": the viewer shows the selection";
    EXPECT_EQ(undoOpens(), kUndo + "\\" + name) << step.what;
  }
  const std::size_t messages = runner.messages.size();
  Select(-1);  // the user's click left no row selected
  EXPECT_EQ(undoOpens(), "");
  ASSERT_EQ(runner.messages.size(), messages + 1) << "Undo with nothing selected says so";
  EXPECT_EQ(runner.messages.back(), "You must select an undo file!");
}

TEST_F(LogUndoTest, DeleteAsksForTicksCountsOnlyWhatWentAndModesDropTicks) {
  for (const char* name : {"a.log", "b.log", "c.log"}) p.files.AddFile(kLog + "\\" + name, "x");
  p.files.MarkInUse(kLog + "\\b.log");
  Create();
  form.Tab5Click();
  Page().DeleteButton.caption.onClick();
  EXPECT_EQ(runner.messages.back(), "You must select file(s)!");
  Page().SelectAllLabel.onClick();
  Page().Panel6Check2Click();
  Page().Panel6Check1Click();
  for (const auto& row : Page().FileList.rows) EXPECT_FALSE(row.checked) << "switching modes drops the ticks";
  Page().SelectAllLabel.onClick();
  Page().DeleteButton.caption.onClick();  // the question closed by Escape
  EXPECT_EQ(runner.messages.back(), "Delete checked log files?");
  EXPECT_TRUE(p.files.Exists(kLog + "\\a.log"));
  runner.actions.push_back(testing::ClickOk());
  Page().DeleteButton.caption.onClick();
  EXPECT_EQ(runner.messages.back(), "2 log files deleted!");
  EXPECT_EQ(Page().Names(), std::vector<std::string>{"b.log"});
  Page().DeselectAllLabel.onClick();
  EXPECT_FALSE(Page().FileList.rows[0].checked);
}

TEST_F(LogUndoTest, SaveAsAppendsLogByTheExactRuleAndNeverLeavesHalfAFile) {
  p.files.AddFile(kLog + "\\Log 1.log", "line one\r\nline two\r\n");
  p.files.AddFolder("C:\\Keep");
  p.files.AddFile("C:\\Keep\\copy.LOG.log", "old contents");
  Create();
  form.Tab5Click();
  Page().SecondButton.caption.onClick();  // Cancel
  ASSERT_EQ(p.saveDialogs.size(), 1u);
  EXPECT_EQ(p.saveDialogs[0].filter, "Log files|*.log|All files|*.*");
  EXPECT_EQ(p.saveDialogs[0].initialFolder, kLog);
  EXPECT_TRUE(runner.messages.empty());

  p.saveFileAnswer = "C:\\Keep\\copy.LOG";
  p.files.LimitDiskSpace(10);
  Page().SecondButton.caption.onClick();
  EXPECT_EQ(*p.files.Contents("C:\\Keep\\copy.LOG.log"), "old contents") << "a full disk leaves the old file";
  EXPECT_EQ(p.files.FilesIn("C:\\Keep"), std::vector<std::string>{"copy.LOG.log"}) << "no temporary file stays";
  EXPECT_EQ(runner.messages.back(), "The log file could not be saved!");

  p.files.LimitDiskSpace(1 << 20);
  Page().SecondButton.caption.onClick();
  EXPECT_EQ(*p.files.Contents("C:\\Keep\\copy.LOG.log"), "\xFF\xFE" + Utf16LeBytes("line one\r\nline two\r\n"));
  EXPECT_EQ(runner.messages.back(), "Log file saved!");
  p.saveFileAnswer = "C:\\Keep\\second.log";
  Page().SecondButton.caption.onClick();
  EXPECT_TRUE(p.files.Exists("C:\\Keep\\second.log"));
  EXPECT_FALSE(p.files.Exists("C:\\Keep\\second.log.log"));
}

// The third mode: the removals kept for recovery, the files of the one
// shown, Restore of the ticked ones (never over a file that is back), the
// days kept, and Empty after the question.
TEST_F(LogUndoTest, RemovedFilesModeRestoresTheTickedRemovalsAndEmptiesAfterAsking) {
  using Lines = std::vector<std::string>;
  for (const char* name : {"C:\\R\\a.bak", "C:\\R\\b.tmp", "C:\\R\\c.old"}) p.files.AddFile(name, name);
  {
    RecoveryRemoval first(p, app.folders, {"C:\\R\\a.bak", "C:\\R\\b.tmp"});
    first.Move(0);
    first.Move(1);
    first.Finish();
  }
  p.clock += 1;
  {
    RecoveryRemoval second(p, app.folders, {"C:\\R\\c.old"});
    second.Move(0);
    second.Finish();
  }
  p.files.AddFile("C:\\R\\b.tmp", "made again");
  Create();
  form.Tab5Click();
  Page().Panel6Check3Click();
  EXPECT_EQ(Page().RemovedMode.box.image, "radio_on");
  EXPECT_EQ(Page().LogMode.box.image, "radio_off");
  EXPECT_EQ(Page().SecondButton.caption.text, "Restore");
  EXPECT_EQ(Page().DeleteButton.caption.text, "Empty");
  EXPECT_EQ(Page().DaysLabel.text, "Days kept: 30");
  ASSERT_EQ(Page().Names().size(), 2u);
  EXPECT_EQ(Page().Viewer.lines, (Lines{"C:\\R\\a.bak", "C:\\R\\b.tmp"}));
  Select(1);
  EXPECT_EQ(Page().Viewer.lines, (Lines{"C:\\R\\c.old"}));

  Page().SecondButton.caption.onClick();
  EXPECT_EQ(runner.messages.back(), "You must select file(s)!");
  Tick(0);
  Page().SecondButton.caption.onClick();
  EXPECT_EQ(runner.messages.back(), "1 files restored\nNot restored, a file is already there:\nC:\\R\\b.tmp");
  EXPECT_EQ(p.files.Contents("C:\\R\\a.bak"), "C:\\R\\a.bak");
  EXPECT_EQ(p.files.Contents("C:\\R\\b.tmp"), "made again");
  EXPECT_EQ(Page().Names().size(), 2u) << "b.tmp is still kept";

  Page().DaysUp.onClick();
  EXPECT_EQ(settings::Read(p, settings::kKeepRemovedDays), 31u);
  Page().DaysDown.onClick();
  Page().DaysDown.onClick();
  EXPECT_EQ(Page().DaysLabel.text, "Days kept: 29");

  Page().DeleteButton.caption.onClick();  // the question closed without Ok
  EXPECT_EQ(runner.messages.back(), "Delete all removed files for good?");
  EXPECT_EQ(ListRemovals(p, app.folders).size(), 2u);
  runner.actions.push_back(testing::ClickOk());
  Page().DeleteButton.caption.onClick();
  EXPECT_EQ(runner.messages.back(), "2 files deleted for good");
  EXPECT_TRUE(Page().Names().empty());
  EXPECT_EQ(p.files.Contents("C:\\R\\b.tmp"), "made again");
  EXPECT_TRUE(p.files.Exists("C:\\R\\a.bak"));
  Page().DeleteButton.caption.onClick();
  EXPECT_EQ(runner.messages.back(), "No removed files are kept.");

  Page().Panel6Check1Click();
  EXPECT_EQ(Page().DeleteButton.caption.text, "Delete");
  EXPECT_FALSE(Page().DaysLabel.visible);
}

}  // namespace
}  // namespace qrv
