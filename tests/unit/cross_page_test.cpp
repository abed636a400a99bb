// Paths between the main window's pages, driven as a user clicks: a tool
// opened between a scan and its repair, a scan on one page while another
// page still shows its results, Stop during the last registry category, and
// a repair whose import leaves entries behind. Each repair must import only
// what the current undo file backs up, and count only what is really gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/about_page.h"
#include "app/main_window.h"
#include "cleaning/file_list.h"
#include "cleaning/privacy_page.h"
#include "cleaning/privacy_scan.h"
#include "core/ignore_list.h"
#include "engine/registry_ops.h"
#include "engine/reg_script_reader.h"
#include "engine/text.h"
#include "home/home_pages.h"
#include "registry_scan/registry_page.h"
#include "registry_scan/registry_scan.h"
#include "tools/log_undo_view.h"
#include "unit/home_seed.h"
#include "unit/scan_fixture.h"
#include "unit/window_fixture.h"

namespace qrv::testing {
namespace {

std::string Decoded(const std::string& bytes) {
  return DecodeTextFile(bytes, [](const std::string& b) { return b; });
}

// Every key and value an imported script deletes, as "ROOT\PATH" or
// "ROOT\PATH" + "|" + value name, upper case.
std::vector<std::string> Deletions(const std::string& scriptBytes) {
  std::vector<std::string> out;
  const ParsedScript script = ReadRegScript(scriptBytes, [](const std::string& b) { return b; });
  std::string open;
  for (const ScriptOp& op : script.ops) {
    const std::string key = UpperCaseText(std::string(RootName(op.root)) + "\\" + op.path);
    if (op.kind == ScriptOp::Kind::OpenKey) open = key;
    if (op.kind == ScriptOp::Kind::DeleteKey) out.push_back(key);
    if (op.kind == ScriptOp::Kind::DeleteValue) out.push_back(open + "|" + UpperCaseText(op.name));
  }
  return out;
}

// Whether the undo file holds the backup of one deletion: the key's own line,
// and for a value its line under that key.
bool BackedUp(const std::string& undoText, const std::string& deletion) {
  const std::string text = UpperCaseText(undoText);
  const auto bar = deletion.find('|');
  const std::string key = deletion.substr(0, bar);
  const auto at = text.find("[" + key + "]");
  if (at == std::string::npos) return false;
  if (bar == std::string::npos) return true;
  const std::string name = deletion.substr(bar + 1);
  return text.find(name.empty() ? "@=" : "\"" + name + "\"=", at) != std::string::npos;
}

// A dialog's element by name, as the drawing layer finds it.
template <typename T>
T& Element(SkinnedDialog& dialog, const std::string& name) {
  for (Node* node : dialog.Contents())
    if (node->name == name)
      if (auto* found = dynamic_cast<T*>(node)) return *found;
  throw std::runtime_error("no element " + name + " in " + dialog.ClassName());
}
void Click(SkinnedDialog& dialog, const std::string& name) { Element<Node>(dialog, name).onClick(); }

class CrossPageTest : public ::testing::Test, public WindowFixture {
 protected:
  void SetUp() override {
    SeedHomeFindings(p, app.folders);
    Create();
  }
  ScanPage& Scanning() { return dynamic_cast<ScanPage&>(form.PageOf(PageId::Panel2A)); }
  SummaryPage& Summary() { return dynamic_cast<SummaryPage&>(form.PageOf(PageId::Panel2B)); }
  RegistryPage& Registry() { return dynamic_cast<RegistryPage&>(form.PageOf(PageId::Panel3)); }
  void HomeScan() {
    form.Tab1Click();
    dynamic_cast<HomePage&>(form.PageOf(PageId::Panel1)).Panel1Button1.a.onClick();
    ASSERT_EQ(form.FrontPage(), PageId::Panel2B);
  }
  bool AppPathThere(const std::string& name) { return p.registry.HasKey(kHklm, kAppPaths + name); }
  bool HistoryThere() { return p.registry.GetValue(kHkcu, kRunMru, "a").has_value(); }
  std::string UndoText(const std::string& path) {
    std::string bytes;
    return p.files.ReadFile(path, bytes) ? Decoded(bytes) : std::string();
  }
  // Every deletion imported since `from` is backed up in that undo file.
  void ExpectImportsBackedUp(std::size_t from, const std::string& undoPath) {
    const std::string undo = UndoText(undoPath);
    ASSERT_FALSE(undo.empty()) << undoPath;
    ASSERT_GT(p.importedScripts.size(), from);
    for (std::size_t i = from; i < p.importedScripts.size(); ++i)
      for (const std::string& deletion : Deletions(p.importedScripts[i]))
        EXPECT_TRUE(BackedUp(undo, deletion)) << deletion;
  }
  // The summary's repair, with every group ticked; returns the imports' start.
  std::size_t Repair() {
    const std::size_t from = p.importedScripts.size();
    Summary().Panel2BButton1.a.onClick();
    return from;
  }
};

// A tool opened from the summary (line 9's startup manager, line 8's
// tweaks) builds and imports its own script: the repair that follows still
// imports every registry finding, backed up in its own undo file.
TEST_F(CrossPageTest, AToolOpenedFromTheSummaryLeavesTheRepairItsFindings) {
  const struct {
    const char* name;
    int link;  // 8 the tweaks, 9 the startup manager
    std::vector<std::function<void(SkinnedDialog&)>> actions;
  } cases[] = {
      {"startup manager removes an entry", 9,
       {[](SkinnedDialog& d) {
          for (Node* node : d.Contents())
            if (auto* list = dynamic_cast<ReportList*>(node)) list->selected = 0;
          Click(d, "Button2A");  // Remove
        },
        ClickOk()}},
      {"tweaks: Recommended, then Apply", 8,
       {[](SkinnedDialog& d) {
          Click(d, "RecommendButtonA");
          Click(d, "ApplyButtonA");
        },
        ClickOk(), ClickOk()}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    p.registry.SetString(kHklm, kAppPaths + "gone.exe", "", "C:\\gone\\gone.exe");
    p.registry.SetString(kHkcu, kRunMru, "a", "notepad\\1");
    HomeScan();
    const std::size_t beforeTool = p.importedScripts.size();
    for (const auto& action : c.actions) runner.actions.push_back(action);
    Summary().Links[static_cast<std::size_t>(c.link - 1)].onClick();
    ASSERT_GT(p.importedScripts.size(), beforeTool) << "the tool imported its own change";
    EXPECT_TRUE(runner.actions.empty());

    const std::size_t from = Repair();
    EXPECT_FALSE(AppPathThere("gone.exe"));
    EXPECT_FALSE(HistoryThere());
    EXPECT_TRUE(AppPathThere("kept.exe"));
    EXPECT_TRUE(Summary().Repaired(1));
    EXPECT_TRUE(Summary().Repaired(2));
    ExpectImportsBackedUp(from, Summary().LastRepair().undoPath);
    EXPECT_EQ(Summary().LastRepair().removed[1], 1u);
  }
}

// A scan on another page replaces the lists: the summary reached by the Back
// link says so, repairs nothing and offers a new scan, which shows the
// summary of that new scan.
TEST_F(CrossPageTest, AnotherPagesScanReplacesTheSummaryUntilANewScan) {
  HomeScan();
  form.Tab2Click();
  Registry().Panel3Button1Click();
  form.HelpLabelClick();  // Back to the summary
  ASSERT_EQ(form.FrontPage(), PageId::Panel2B);
  SummaryPage& summary = Summary();
  EXPECT_EQ(summary.Panel2BActionLabelA.text, app.language.Text(TextId::MessagesResultsReplaced));
  EXPECT_FALSE(summary.Panel2BButton1.a.visible);
  EXPECT_TRUE(summary.Panel2BButton2.a.visible);
  EXPECT_EQ(summary.Panel2BButton2.caption.text, "Start Scan");
  for (int g = 1; g <= kSummaryGroups; ++g) EXPECT_FALSE(summary.Checks[static_cast<std::size_t>(g - 1)].box.visible);

  const std::size_t imports = p.importedScripts.size();
  summary.Panel2BButton1Click();  // a click that reaches a hidden button
  summary.Panel2BLabel1Click(1);
  EXPECT_EQ(p.importedScripts.size(), imports);
  EXPECT_TRUE(AppPathThere("gone.exe"));
  EXPECT_TRUE(runner.detailLines.empty());

  // The Registry tab's own findings stay its own: its Fix repairs them.
  form.Tab2Click();
  Registry().Panel3Button1Click();
  EXPECT_TRUE(Registry().Panel3Button2.a.visible);

  // The new scan from the summary shows that scan again, ready to repair.
  form.HelpLabelClick();
  summary.Panel2BButton2.a.onClick();
  EXPECT_EQ(form.FrontPage(), PageId::Panel2B);
  EXPECT_TRUE(summary.Panel2BButton1.a.visible);
  EXPECT_EQ(summary.Counts[0].text, "1");
  EXPECT_TRUE(summary.Checks[0].box.visible);

  // And the Registry tab's Fix now refuses the lists it no longer owns.
  form.Tab2Click();
  Registry().Panel3Button2Click();
  EXPECT_EQ(p.importedScripts.size(), imports);
  EXPECT_TRUE(AppPathThere("gone.exe"));
}

// Entering a Clean Up page empties only that page's own list: the Home
// scan's first category stays, and the repair logs what it imports.
TEST_F(CrossPageTest, EnteringTheFilePagesKeepsTheHomeScansFindings) {
  HomeScan();
  form.Tab3Click();
  form.Panel4Button2Click();
  form.Panel4Button3Click();
  form.HelpLabelClick();
  ASSERT_EQ(form.FrontPage(), PageId::Panel2B);
  EXPECT_EQ(Summary().Counts[0].text, "1");
  const std::size_t from = Repair();
  EXPECT_FALSE(AppPathThere("gone.exe"));
  ExpectImportsBackedUp(from, Summary().LastRepair().undoPath);
  std::string log;
  ASSERT_FALSE(Summary().LastRepair().logs.empty());
  ASSERT_TRUE(p.files.ReadFile(Summary().LastRepair().logs.front(), log));
  EXPECT_NE(UpperCaseText(log).find("GONE.EXE"), std::string::npos);
}

// A Clean Up page whose lists another page's scan has replaced deletes
// nothing: its Clean or Remove says so and the page starts again.
TEST_F(CrossPageTest, CleanUpPagesActOnlyOnTheirOwnScan) {
  app.folders.ProgramFolder = "C:\\Program Files\\Quorvane";
  form.Tab3Click();
  form.Panel4Button1Click();
  auto& privacy = dynamic_cast<PrivacyPage&>(form.PageOf(PageId::Panel4A));
  privacy.Panel4AButton1Click();
  ASSERT_FALSE(app.Slot(1).empty());
  form.Tab3Click();
  form.Panel4Button2Click();
  auto& residual = dynamic_cast<FileListPage&>(form.PageOf(PageId::Panel4B));
  residual.Button1Click();
  ASSERT_EQ(app.Slot(1), std::vector<std::string>{"C:\\Stuff\\report.bak"});

  RegistryScan(app, form.Scans()).Run();  // another page's scan
  const std::size_t imports = p.importedScripts.size();
  residual.Button2Click();
  privacy.Panel4AButton2Click();
  EXPECT_TRUE(p.files.Exists("C:\\Stuff\\report.bak"));
  EXPECT_TRUE(p.files.Exists(app.folders.TmpFolder + "scratch.txt"));
  EXPECT_TRUE(AppPathThere("gone.exe"));
  EXPECT_EQ(p.importedScripts.size(), imports);
  EXPECT_EQ(std::count(runner.messages.begin(), runner.messages.end(),
                       app.language.Text(TextId::MessagesResultsReplaced)),
            2);
  EXPECT_TRUE(residual.InfoList.rows.empty());
}

// Every scan that fills the temporary values' script starts it afresh: after
// a Registry-tab scan and a privacy scan it holds the privacy scan's
// findings once, each backed up in the current undo script.
TEST_F(CrossPageTest, EachScanStartsTheTemporaryValuesScriptAfresh) {
  ScriptedHost scans;
  RegistryScan(app, scans).Run();
  ASSERT_EQ(app.Slot(kSlotTempValues).size(), 1u);
  PrivacyRows rows{};
  rows[5] = true;
  PrivacyScan(app, scans).Run(rows);
  ASSERT_EQ(app.Slot(kSlotTempValues).size(), 1u);
  EXPECT_EQ(ScriptFindings(app.TempValueScript).size(), 1u);
  std::string undoText;
  for (const std::string& line : app.UndoScript.Lines()) undoText += line + "\n";
  std::string fix;
  for (const std::string& line : app.TempValueScript.Lines()) fix += line + "\r\n";
  for (const std::string& deletion : Deletions(fix)) EXPECT_TRUE(BackedUp(undoText, deletion)) << deletion;
}

// Stop confirmed while the last registry category runs in the one-click
// scan: no RunDate1, no further phase, and the summary of what was found.
TEST_F(CrossPageTest, StopDuringTheTemporaryValuesEndsTheOneClickScan) {
  const std::string tempCaption = RegistryCategoryCaption(app.language, kRegistryCategories);
  bool stopped = false;
  host.onPump = [&] {
    if (stopped || Scanning().Panel2ALabel1.text != tempCaption) return;
    stopped = true;
    runner.actions.push_back(ClickOk());
    Scanning().Panel2AButton1.a.onClick();
  };
  HomeScan();
  EXPECT_TRUE(stopped);
  for (int n = 1; n <= 3; ++n)
    EXPECT_FALSE(ValueExists(p, kHkcu, kSettingsKey, "RunDate" + std::to_string(n))) << n;
  for (int slot = kSlotTempFiles; slot <= kSlotShortcuts; ++slot) EXPECT_TRUE(app.Slot(slot).empty()) << slot;
  EXPECT_EQ(Scanning().Results[1].text, "");
  EXPECT_EQ(Summary().Counts[0].text, "1");
}

// The registry editor cannot delete what a key's permissions forbid: a
// finding it left is not counted fixed, and the page lists it.
TEST_F(CrossPageTest, AFindingTheImportLeftIsNotCountedFixed) {
  p.registry.SetString(kHklm, kAppPaths + "locked.exe", "", "C:\\gone\\locked.exe");
  p.undeletableKeys.insert("HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS\\LOCKED.EXE");
  form.Tab2Click();
  Registry().Panel3Button1Click();
  ASSERT_EQ(app.Slot(1).size(), 2u);
  const std::size_t total = app.Slot(1).size() + app.Slot(kSlotTempValues).size();
  Registry().Panel3Button2Click();
  EXPECT_TRUE(AppPathThere("locked.exe"));
  EXPECT_FALSE(AppPathThere("gone.exe"));
  EXPECT_EQ(Registry().ResultLabels[0].text, "1 problems fixed");
  EXPECT_EQ(Registry().Panel3Label11C.text, std::to_string(total - 1) + " problems fixed");
  ASSERT_EQ(runner.detailLines.size(), 1u);
  EXPECT_NE(UpperCaseText(runner.detailLines[0]).find("LOCKED.EXE"), std::string::npos);
  EXPECT_EQ(runner.shown.back(), "TForm1b");
}

// Selects the line holding `text` in a details dialog and presses its action.
std::function<void(SkinnedDialog&)> ActOnLine(const std::string& text) {
  return [text](SkinnedDialog& d) {
    auto& details = dynamic_cast<TForm1b&>(d);
    for (std::size_t i = 0; i < details.Entries.rows.size(); ++i)
      if (details.Entries.rows[i].cells.at(0).find(text) != std::string::npos) {
        details.Entries.selected = static_cast<int>(i);
        details.Entries.onSelect();
        ASSERT_TRUE(details.ActionButton.Visible());
        details.ActionButton.a.onClick();
        return;
      }
    FAIL() << text << " is not listed";
  };
}

// Ignore from the Registry tab's details, a repair, then the ignore list of
// the Log/Undo page: the ignored entry leaves the list at once, survives the
// repair, and comes back once it is taken off the list.
TEST_F(CrossPageTest, AnEntryIgnoredInTheDetailsSurvivesTheRepairUntilTakenOffTheList) {
  p.registry.SetString(kHklm, kAppPaths + "gone3.exe", "", "C:\\gone\\gone3.exe");
  form.Tab2Click();
  Registry().Panel3Button1Click();
  ASSERT_EQ(app.Slot(1).size(), 2u);
  runner.actions.push_back(ActOnLine("GONE\\GONE.EXE"));
  Registry().ResultLabels[0].onClick();
  EXPECT_EQ(app.Slot(1), (std::vector<std::string>{"File not found: C:\\GONE\\GONE3.EXE"})) << "scanned again";
  EXPECT_EQ(Registry().ResultLabels[0].text, "1 errors detected");

  const std::size_t from = p.importedScripts.size();
  Registry().Panel3Button2.caption.onClick();
  EXPECT_TRUE(AppPathThere("gone.exe"));
  EXPECT_FALSE(AppPathThere("gone3.exe"));
  for (std::size_t i = from; i < p.importedScripts.size(); ++i)
    EXPECT_EQ(UpperCaseText(p.importedScripts[i]).find("GONE.EXE]"), std::string::npos);

  form.Tab5Click();
  auto& logUndo = dynamic_cast<AboutPage&>(form.PageOf(PageId::Panel6)).LogUndo;
  runner.actions.push_back(ActOnLine("App Paths\\gone.exe"));
  logUndo.IgnoredLabelClick();
  EXPECT_TRUE(LoadIgnoreEntries(p).empty());
  form.Tab2Click();
  Registry().Panel3Button1Click();
  EXPECT_EQ(app.Slot(1), (std::vector<std::string>{"File not found: C:\\GONE\\GONE.EXE"}));
}

}  // namespace
}  // namespace qrv::testing
