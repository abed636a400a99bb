#include <gtest/gtest.h>

#include <algorithm>

#include "cli/cli_session.h"
#include "core/startup.h"
#include "engine/file_ops.h"
#include "engine/reg_script_reader.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "fake/dump.h"
#include "tools/schedule.h"
#include "tools/startup_manager.h"
#include "tools/tweaks.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

using Lines = std::vector<std::string>;
constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;
const std::string kUserFolder = "C:\\Users\\tester\\Start Menu\\Programs\\Startup";
const std::string kCommonFolder = "C:\\ProgramData\\Start Menu\\Programs\\Startup";
const std::string kHostile = "we\\ird\"name";

class StartupManagerTest : public ::testing::Test {
 protected:
  fake::FakePlatform p;
  AppState app{p};
  QuietScanHost host;

  void SetUp() override {
    testing::SetUpUserFolders(p);
    p.files.AddFolder(kUserFolder);
    p.files.AddFolder(kCommonFolder);
    // The folder table as Windows keeps it: the user's "Startup", the local
    // machine's "Common Startup".
    p.registry.SetString(kHkcu, kShellFoldersKey, "Startup", kUserFolder);
    p.registry.SetString(kHklm, kShellFoldersKey, "Common Startup", kCommonFolder);
    LoadSettings(app);
    // The first start registered the companion; these tests list their own seed.
    DeleteValue(p, kHkcu, kRunKey, kScheduleRunValue);
  }
  // The usual seed: every source, a broken link before the all-users link.
  void Seed() {
    p.files.AddFile("C:\\Tools\\alpha.exe");
    p.registry.SetString(kHkcu, kRunKey, "", "C:\\Tools\\default.exe");
    p.registry.SetString(kHkcu, kRunKey, "Alpha", "\"C:\\Tools\\alpha.exe\" /min");
    p.registry.SetString(kHkcu, kRunKey, kHostile, "c:\\tools\\hostile.exe");
    p.registry.SetString(kHkcu, kRunKey, "we", "c:\\tools\\we.exe");
    p.registry.SetString(kHklm, kRunKey, "Beta", "C:\\Tools\\beta.exe");
    const std::string sub = std::string(kStartupRegKey) + "\\Sub1";
    p.registry.SetString(kHklm, sub, "item", "Some Item");
    p.registry.SetString(kHklm, sub, "command", "c:\\old\\some.exe -x");
    p.registry.SetString(kHklm, sub, "hkey", "hklm");
    p.registry.SetString(kHklm, std::string(kStartupRegKey) + "\\Other", "item", "other");
    p.registry.SetString(kHklm, std::string(kStartupRegKey) + "\\Other", "hkey", "HKCU");
    p.AddStartupLink(kUserFolder + "\\Mine.lnk", {"C:\\Program Files\\Mine\\mine.exe", "--tray \"a b\"", "C:\\Mine"});
    p.files.AddFile(kUserFolder + "\\broken.lnk", "not a link");
    p.files.AddFolder(kUserFolder + "\\folder.lnk");
    p.files.AddFile(kUserFolder + "\\desktop.ini");
    p.AddStartupLink(kCommonFolder + "\\Shared.lnk", {"C:\\Tools\\alpha.exe", "", ""});
  }
  std::vector<StartupEntry> List() { return ReadStartupList(app, host); }
  Lines UndoLines(const std::string& path) {
    const auto bytes = p.files.Contents(path);
    return bytes ? SplitLines(DecodeTextFile(*bytes, [](const std::string& b) { return Cp1252ToUtf8(b); })) : Lines{};
  }
  Lines ImportedLines(std::size_t i) { return SplitLines(Cp1252ToUtf8(p.importedScripts.at(i))); }
};

TEST_F(StartupManagerTest, ListsTheFiveSourcesInOrderAndCountsTheUnnamedValueToo) {
  Seed();
  const auto rows = List();
  struct Row {
    int source;
    std::string user, program, location;
  };
  const std::vector<Row> expected{
      {1, "tester", "Alpha", "\"C:\\TOOLS\\ALPHA.EXE\" /MIN"},
      {1, "tester", kHostile, "C:\\TOOLS\\HOSTILE.EXE"},
      {1, "tester", "we", "C:\\TOOLS\\WE.EXE"},
      {2, "All users", "Beta", "C:\\TOOLS\\BETA.EXE"},
      {3, "tester", "OTHER", ""},
      {3, "All users", "SOME ITEM", "C:\\OLD\\SOME.EXE -X"},  // "hklm" read upper-cased
      {4, "tester", "broken.lnk", ""},
      {4, "tester", "Mine.lnk", "C:\\Program Files\\Mine\\mine.exe"},
      {5, "All users", "Shared.lnk", "C:\\Tools\\alpha.exe"},
  };
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].source, expected[i].source) << i;
    EXPECT_EQ(rows[i].user, expected[i].user) << i;
    EXPECT_EQ(rows[i].program, expected[i].program) << i;
    EXPECT_EQ(rows[i].location, expected[i].location) << i;
  }
  EXPECT_EQ(rows[5].name, "Sub1") << "a switched-off entry keeps its subkey's real name";
  EXPECT_EQ(rows[0].iconFile, "C:\\TOOLS\\ALPHA.EXE") << "the resolved Location's icon when the file exists";
  EXPECT_EQ(rows[3].iconFile, "") << "shell32's icon for a missing file";
  EXPECT_FALSE(rows[6].hasIcon) << "a link that does not load shows no icon";
  EXPECT_TRUE(rows[7].hasIcon);
  EXPECT_EQ(ReadStartup(app, host), rows.size() + 1) << "the unnamed value is counted, not listed";
  EXPECT_EQ(app.StartupCount, rows.size() + 1);

  app.folders.WindowsMajorVersion = 5;
  EXPECT_EQ(List().size(), rows.size() - 2) << "no switched-off entries at version 5";
  EXPECT_EQ(ReadStartup(app, host), rows.size() - 1);
  // A missing folder or folder value is skipped.
  p.registry.SetString(kHklm, kShellFoldersKey, "Common Startup", "");
  p.registry.SetString(kHkcu, kShellFoldersKey, "Startup", "C:\\Nowhere");
  EXPECT_EQ(ReadStartup(app, host), 5u);
}

TEST_F(StartupManagerTest, RemovingARunValueBacksItUpAndDeletesThatValueOnly) {
  Seed();
  const std::string before = fake::DumpTree(p, kHklm, "\\SOFTWARE");
  const auto rows = List();
  const StartupRemoval r = RemoveStartupEntry(app, rows[0]);
  ASSERT_EQ(r.outcome, StartupChange::Done);
  ASSERT_EQ(p.importedScripts.size(), 1u);
  EXPECT_EQ(ImportedLines(0), (Lines{"REGEDIT4", "", "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]",
                                     "\"Alpha\"=-", ""}));
  EXPECT_EQ(UndoLines(r.undoPath),
            (Lines{"Windows Registry Editor Version 5.00", "",
                   "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]",
                   "\"Alpha\"=\"\\\"C:\\\\Tools\\\\alpha.exe\\\" /min\"", ""}));
  EXPECT_FALSE(ValueExists(p, kHkcu, kRunKey, "Alpha"));
  for (const std::string& kept : {std::string(), kHostile, std::string("we")})
    EXPECT_TRUE(ValueExists(p, kHkcu, kRunKey, kept)) << kept;
  EXPECT_EQ(fake::DumpTree(p, kHklm, "\\SOFTWARE"), before);
  EXPECT_TRUE(app.UndoScript.Empty());
  EXPECT_TRUE(app.FixScript.Empty());

  // A name with a backslash and a quote deletes that value, not "we".
  const StartupRemoval hostile = RemoveStartupEntry(app, List()[0]);
  ASSERT_EQ(hostile.outcome, StartupChange::Done);
  EXPECT_EQ(ImportedLines(1).at(3), "\"we\\\\ird\\\"name\"=-");
  EXPECT_FALSE(ValueExists(p, kHkcu, kRunKey, kHostile));
  EXPECT_EQ(ReadString(p, kHkcu, kRunKey, "we"), "c:\\tools\\we.exe");
  // Importing the undo file brings it back exactly.
  p.registry.SetString(kHkcu, "\\Probe", "x", "");
  ASSERT_TRUE(p.CreateProcessAndWait(p.windowsDirectory + "\\regedit.exe", "regedit.exe /s \"" + hostile.undoPath + "\""));
  EXPECT_EQ(ReadString(p, kHkcu, kRunKey, kHostile), "c:\\tools\\hostile.exe");
}

TEST_F(StartupManagerTest, ASwitchedOffEntryIsRemovedByItsSubkeyWithTheWholeKeyBackedUp) {
  Seed();
  const auto rows = List();
  ASSERT_EQ(rows[5].program, "SOME ITEM");
  const StartupRemoval r = RemoveStartupEntry(app, rows[5]);
  ASSERT_EQ(r.outcome, StartupChange::Done);
  EXPECT_EQ(ImportedLines(0).at(2), "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\Sub1]");
  EXPECT_FALSE(p.registry.HasKey(kHklm, std::string(kStartupRegKey) + "\\Sub1"));
  EXPECT_TRUE(p.registry.HasKey(kHklm, std::string(kStartupRegKey) + "\\Other"));
  const Lines undo = UndoLines(r.undoPath);
  for (const char* line : {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\Sub1]",
                           "\"item\"=\"Some Item\"", "\"command\"=\"c:\\\\old\\\\some.exe -x\"", "\"hkey\"=\"hklm\""})
    EXPECT_NE(std::find(undo.begin(), undo.end(), line), undo.end()) << line;
}

TEST_F(StartupManagerTest, ALinkAfterOneThatDoesNotLoadIsRemovedWithItsCommandAndACopy) {
  Seed();
  const auto rows = List();
  ASSERT_EQ(rows[8].source, kStartupAllUsersFolder);
  const std::string shared = *p.files.Contents(kCommonFolder + "\\Shared.lnk");
  StartupRemoval r = RemoveStartupEntry(app, rows[8]);
  ASSERT_EQ(r.outcome, StartupChange::Done);
  EXPECT_TRUE(p.importedScripts.empty()) << "a link's removal needs no import";
  EXPECT_FALSE(p.files.Exists(kCommonFolder + "\\Shared.lnk"));
  for (const char* kept : {"\\Mine.lnk", "\\broken.lnk", "\\desktop.ini"})
    EXPECT_TRUE(p.files.Exists(kUserFolder + kept)) << kept;
  EXPECT_EQ(p.files.Contents(r.linkCopy), shared);
  EXPECT_EQ(r.linkCopy.substr(0, r.linkCopy.size() - 4), r.undoPath.substr(0, r.undoPath.size() - 4));
  EXPECT_EQ(UndoLines(r.undoPath),
            (Lines{"Windows Registry Editor Version 5.00", "",
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]",
                   "\"Shared.lnk\"=\"C:\\\\Tools\\\\alpha.exe\"", ""}));

  // The user's link with arguments: its undo value starts the same program with them.
  r = RemoveStartupEntry(app, List()[7]);
  ASSERT_EQ(r.outcome, StartupChange::Done);
  ASSERT_TRUE(p.CreateProcessAndWait(p.windowsDirectory + "\\regedit.exe", "regedit.exe /s \"" + r.undoPath + "\""));
  EXPECT_EQ(ReadString(p, kHkcu, kRunKey, "Mine.lnk"), "\"C:\\Program Files\\Mine\\mine.exe\" --tray \"a b\"");
  EXPECT_TRUE(p.files.Exists(kUserFolder + "\\broken.lnk"));
}

// A Startup-folder entry that is a link to a file elsewhere (as Wine shows
// one: plain attributes) is not removed, and the file it leads to stays.
TEST_F(StartupManagerTest, ALinkToAFileInTheStartupFolderNeverDeletesItsTarget) {
  Seed();
  const std::string outside = "C:\\Users\\tester\\Documents\\Mine.lnk";
  p.AddStartupLink(outside, {"C:\\Program Files\\Mine\\mine.exe", "", ""});
  p.files.DeleteFile(kUserFolder + "\\Mine.lnk");
  p.files.AddFileLink(kUserFolder + "\\Mine.lnk", outside);
  const auto rows = List();
  const auto mine = std::find_if(rows.begin(), rows.end(), [](const StartupEntry& e) { return e.program == "Mine.lnk"; });
  ASSERT_NE(mine, rows.end());
  EXPECT_EQ(RemoveStartupEntry(app, *mine).outcome, StartupChange::NotDeleted);
  EXPECT_TRUE(p.files.Exists(outside));
}

TEST_F(StartupManagerTest, NothingIsDeletedWithoutItsBackup) {
  Seed();
  auto rows = List();
  // The value vanished since listing: no undo file, no import.
  p.registry.DeleteKeyTree(kHklm, kRunKey);
  EXPECT_EQ(RemoveStartupEntry(app, rows[3]).outcome, StartupChange::NothingThere);
  // The undo folder cannot be written: neither the value nor the link goes.
  p.files.MarkFolderNotWritable(app.folders.UndoFolder);
  EXPECT_EQ(RemoveStartupEntry(app, rows[0]).outcome, StartupChange::UndoNotWritten);
  EXPECT_EQ(RemoveStartupEntry(app, rows[7]).outcome, StartupChange::UndoNotWritten);
  EXPECT_TRUE(p.importedScripts.empty());
  EXPECT_TRUE(ValueExists(p, kHkcu, kRunKey, "Alpha"));
  EXPECT_TRUE(p.files.Exists(kUserFolder + "\\Mine.lnk"));
}

TEST_F(StartupManagerTest, AddWritesARunValueNamedAfterTheFile) {
  p.files.AddFile("C:\\Tools\\a.exe");
  p.files.AddFile("C:\\Program Files\\B\\b.exe");
  ASSERT_EQ(AddStartupProgram(app, "C:\\Tools\\a.exe", true), StartupChange::Done);
  EXPECT_EQ(ImportedLines(0), (Lines{"REGEDIT4", "", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]",
                                     "\"a.exe\"=\"C:\\\\Tools\\\\a.exe\""}));
  EXPECT_EQ(ReadString(p, kHklm, kRunKey, "a.exe"), "C:\\Tools\\a.exe");
  ASSERT_EQ(AddStartupProgram(app, "C:\\Program Files\\B\\b.exe", false), StartupChange::Done);
  EXPECT_EQ(ReadString(p, kHkcu, kRunKey, "b.exe"), "\"C:\\Program Files\\B\\b.exe\"") << "quoted: it holds a blank";
  EXPECT_EQ(AddStartupProgram(app, "C:\\Tools\\none.exe", false), StartupChange::FileNotFound);
  EXPECT_EQ(p.importedScripts.size(), 2u);
  EXPECT_FALSE(FileExists(p, app.folders.UndoFolder + "\\Undo 09-07-06-01.reg")) << "adding keeps no undo file";
}

TEST_F(StartupManagerTest, AskLooksUpTheFileNameOrTheProgramEncoded) {
  StartupEntry e;
  e.program = "My App";
  EXPECT_EQ(AskTerm(app.folders, e), "My App");
  ASSERT_TRUE(AskTheWeb(app, e));
  ASSERT_EQ(p.shellCalls.size(), 1u);
  EXPECT_EQ(p.shellCalls[0].verb, "open");
  EXPECT_EQ(p.shellCalls[0].file, "https://www.google.com/search?hl=en&q=%22My%20App%22");
  EXPECT_EQ(p.shellCalls[0].show, kSwShowNormal);
  e.location = "\"C:\\Program Files\\R&D\\A+B#1.EXE\" /s";
  EXPECT_EQ(AskTerm(app.folders, e), "A+B#1.EXE");
  EXPECT_EQ(AskAddress(AskTerm(app.folders, e)), "https://www.google.com/search?hl=en&q=%22A%2BB%231.EXE%22");
  EXPECT_EQ(PercentEncode("a&b=c é"), "a%26b%3Dc%20%C3%A9");
}

TEST_F(StartupManagerTest, ScheduleReadsWritesAndRegistersTheCompanionQuoted) {
  // Seeded at start-up: on, Monday, the time of that start.
  ScheduleSettings s = ReadSchedule(app);
  EXPECT_TRUE(s.enabled);
  EXPECT_EQ(s.day, 0);
  s.day = 4;
  s.time = WithTimeOfDay(p.clock, 21.5 / 24);
  ApplySchedule(app, s, true);
  EXPECT_EQ(ReadScheduleRunValue(app), "\"C:\\Program Files\\Quorvane\\QRVSchedule.exe\"");
  ASSERT_EQ(p.shellCalls.size(), 1u);
  EXPECT_EQ(p.shellCalls[0].file, "C:\\Program Files\\Quorvane\\QRVSchedule.exe");
  EXPECT_EQ(p.shellCalls[0].show, kSwShowNa);
  EXPECT_EQ(TimeText(ReadSchedule(app).time), "21:30");
  s.enabled = false;
  ApplySchedule(app, s, true);
  EXPECT_EQ(ReadScheduleRunValue(app), std::nullopt);
  EXPECT_EQ(p.shellCalls.size(), 1u) << "off starts nothing";
  s = ReadSchedule(app);
  EXPECT_FALSE(s.enabled);
  EXPECT_EQ(s.day, 4) << "day and time stay while off";
  EXPECT_EQ(TimeText(s.time), "21:30");
  // A stored day out of range reads as Monday; no settings read as off, Monday, now.
  WriteDword(p, kHkcu, kSettingsKey, "s_Day", 0xFFFFFFFF);
  EXPECT_EQ(ReadSchedule(app).day, 0);
  p.registry.DeleteKeyTree(kHkcu, kSettingsKey);
  s = ReadSchedule(app);
  EXPECT_FALSE(s.enabled);
  EXPECT_EQ(s.day, 0);
  EXPECT_EQ(s.time, p.clock);

  for (const char* form : {"C:\\Program Files\\Quorvane\\QRVSchedule.exe", "\"c:\\program files\\quorvane\\qrvschedule.exe\""})
    EXPECT_TRUE(StartsCompanion(app.folders, form)) << form;
  EXPECT_FALSE(StartsCompanion(app.folders, "C:\\Program.exe"));
  int minutes = -1;
  for (const char* bad : {"24:00", "7:5", "12:60", "1200", "", "-1:00", "ab:cd"})
    EXPECT_FALSE(ParseTimeText(bad, minutes)) << bad;
  EXPECT_TRUE(ParseTimeText("7:05", minutes));
  EXPECT_EQ(minutes, 425);
  EXPECT_EQ(TimeText(40000.0 + 23.0 / 24 + 59.9 / 1440), "23:59");
}

// The schedule seeded on at the first start is a schedule that runs: the
// companion is registered as the dialog registers it. Later starts leave the
// user's choice alone.
TEST(ScheduleSeeding, TheFirstStartRegistersTheCompanionItSeedsOn) {
  fake::FakePlatform p;
  testing::SetUpUserFolders(p);
  AppState app{p};
  LoadSettings(app);
  EXPECT_TRUE(ReadSchedule(app).enabled);
  EXPECT_EQ(ReadScheduleRunValue(app), "\"C:\\Program Files\\Quorvane\\QRVSchedule.exe\"");
  EXPECT_TRUE(p.shellCalls.empty()) << "registered, not started";

  // Switched off, it stays off and unregistered at the next start.
  ScheduleSettings s = ReadSchedule(app);
  s.enabled = false;
  ApplySchedule(app, s, false);
  AppState next{p};
  LoadSettings(next);
  EXPECT_FALSE(ReadSchedule(next).enabled);
  EXPECT_EQ(ReadScheduleRunValue(next), std::nullopt);
  // A start that finds the schedule stored writes no Run value of its own.
  p.registry.SetString(kHkcu, kRunKey, kScheduleRunValue, "C:\\Elsewhere\\QRVSchedule.exe");
  WriteFlag(p, kHkcu, kSettingsKey, "s_Enable", true);
  AppState third{p};
  LoadSettings(third);
  EXPECT_EQ(ReadScheduleRunValue(third), "C:\\Elsewhere\\QRVSchedule.exe");
}

// The tools build their scripts in objects of their own: a scan's findings,
// scripts and backups wait for their repair whatever a tool does between.
TEST_F(StartupManagerTest, TheToolsLeaveTheScansScriptsAndSlotsAsTheyWere) {
  Seed();
  app.FixScript.Start();
  app.FixScript.AddDeleteKey(kHklm, "\\SOFTWARE\\Classes\\CLSID\\{0000DEAD-0000-0000-0000-000000000000}");
  app.FixScript.AddBlank();
  app.FixScript.AddKey(kHkcu, "\\Software\\Temp");
  app.FixScript.AddDeleteValue("old");
  app.FixScriptTempValuesAt = 4;
  app.TempValueScript.Start();
  app.TempValueScript.AddKey(kHkcu, "\\Software\\Temp");
  app.TempValueScript.AddDeleteValue("old");
  app.UndoScript.Start();
  app.UndoScript.AddKey(kHklm, "\\SOFTWARE\\Classes\\CLSID\\{0000DEAD-0000-0000-0000-000000000000}");
  app.UndoScript.AddString("", "Gone");
  for (int slot = 1; slot <= 15; ++slot) app.Slot(slot) = {"finding " + std::to_string(slot)};
  const Lines fix = app.FixScript.Lines(), temp = app.TempValueScript.Lines(), undo = app.UndoScript.Lines();
  const auto findings = app.FindingList;
  const auto unchanged = [&](const std::string& after) {
    EXPECT_EQ(app.FixScript.Lines(), fix) << after;
    EXPECT_EQ(app.TempValueScript.Lines(), temp) << after;
    EXPECT_EQ(app.UndoScript.Lines(), undo) << after;
    EXPECT_EQ(app.FindingList, findings) << after;
    EXPECT_EQ(app.FixScriptTempValuesAt, 4u) << after;
  };

  const auto rows = List();
  for (std::size_t i : {0u, 3u, 5u, 7u, 8u}) {  // one entry of each source
    ASSERT_EQ(RemoveStartupEntry(app, rows[i]).outcome, StartupChange::Done) << rows[i].program;
    unchanged("removing source " + std::to_string(rows[i].source));
  }
  p.files.AddFile("C:\\Tools\\a.exe");
  ASSERT_EQ(AddStartupProgram(app, "C:\\Tools\\a.exe", false), StartupChange::Done);
  unchanged("adding");
  const TweakStates read = ReadTweaks(p);
  TweakStates states = read;
  states[20] = !states[20];
  ASSERT_EQ(ApplyTweaks(app, TweakPage::Security, read, states).outcome, TweakApplyOutcome::Imported);
  unchanged("applying tweaks");
  EXPECT_EQ(p.importedScripts.size(), 5u) << "three removals, the addition and the tweak imported";
}

TEST_F(StartupManagerTest, ConsoleListsRemovesAddsAndSchedules) {
  Seed();
  p.mutexes.clear();
  cli::Outcome o = cli::RunArguments(p, {"startup", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out.rfind("{\"entries\":[{\"index\":1,\"source\":1,\"user\":\"tester\",\"program\":\"Alpha\","
                        "\"location\":\"\\\"C:\\\\TOOLS\\\\ALPHA.EXE\\\" /MIN\"},", 0), 0u) << o.out;
  EXPECT_NE(o.out.find("{\"index\":2,\"source\":1,\"user\":\"tester\",\"program\":\"we\\\\ird\\\"name\""), std::string::npos);
  EXPECT_NE(o.out.find("],\"count\":10}"), std::string::npos);
  p.mutexes.clear();
  o = cli::RunArguments(p, {"startup", "remove", "2", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_FALSE(ValueExists(p, kHkcu, kRunKey, kHostile));
  EXPECT_TRUE(ValueExists(p, kHkcu, kRunKey, "we"));
  EXPECT_NE(o.out.find("\"count\":9,\"undo\":\"C:\\\\Users\\\\tester\\\\AppData\\\\Roaming\\\\Quorvane\\\\Undo\\\\Undo "),
            std::string::npos) << o.out;
  p.mutexes.clear();
  o = cli::RunArguments(p, {"startup", "remove", "10"});
  EXPECT_EQ(o.exitCode, 2);
  p.mutexes.clear();
  p.files.AddFile("C:\\Tools\\a.exe");
  o = cli::RunArguments(p, {"startup", "add", "C:\\Tools\\a.exe", "--all-users"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(ReadString(p, kHklm, kRunKey, "a.exe"), "C:\\Tools\\a.exe");
  EXPECT_NE(o.out.find("[2] All users | a.exe | C:\\TOOLS\\A.EXE"), std::string::npos) << o.out;

  p.mutexes.clear();
  o = cli::RunArguments(p, {"schedule", "set", "--on", "--day", "6", "--time", "07:45", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out, "{\"enabled\":true,\"day\":6,\"time\":\"07:45\",\"runValue\":"
                   "\"\\\"C:\\\\Program Files\\\\Quorvane\\\\QRVSchedule.exe\\\"\"}\n");
  EXPECT_TRUE(p.shellCalls.empty()) << "the console does not start the companion";
  p.mutexes.clear();
  o = cli::RunArguments(p, {"schedule", "set", "--off", "--json"});
  EXPECT_EQ(o.out, "{\"enabled\":false,\"day\":6,\"time\":\"07:45\",\"runValue\":null}\n");
  for (std::vector<std::string> bad : {std::vector<std::string>{"schedule", "set"}, {"schedule", "set", "--on", "--off"},
                                       {"schedule", "set", "--on", "--day", "7"}, {"schedule", "set", "--on", "--time", "25:00"}}) {
    p.mutexes.clear();
    EXPECT_EQ(cli::RunArguments(p, bad).exitCode, 2) << bad.back();
  }
}

}  // namespace
}  // namespace qrv
