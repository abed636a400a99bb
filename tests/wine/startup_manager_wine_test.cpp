// The startup manager and the schedule through QRVCli's commands against
// Wine's real Run keys, Startup folders (links made with IShellLink) and
// regedit.exe.
#include <gtest/gtest.h>

#include "wine/wine_env.h"

#include <tuple>

#include "cli/cli_args.h"
#include "core/scan_host.h"
#include "core/startup.h"
#include "engine/fix_script.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "engine/win32/shell_link.h"
#include "tools/schedule.h"
#include "tools/startup_manager.h"

namespace qrv::wine {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;
const std::string kHostile = "Qrv\\Wine\"Hostile";
const std::string kOffKey = std::string(kStartupRegKey) + "\\QrvWineOff";

bool MakeLink(const std::string& file, const std::string& target, const std::string& arguments) {
  const win32::ComSession com;
  win32::ShellLink link;
  link.SetTarget(target);
  link.SetArguments(arguments);
  link.SetWorkingFolder("C:\\windows");
  return link.Save(file);
}

class StartupManagerWineTest : public ::testing::Test {
 protected:
  Win32Platform p;
  AppState app{p};
  QuietScanHost host;
  std::string userFolder, commonFolder;

  void SetUp() override {
    LoadSettings(app);
    // The folder table the list reads, with the values Windows has: the
    // user's "Startup" and the local machine's "Common Startup" (the local
    // machine has no "Startup"). Wine fills them only when asked.
    DeleteValue(p, kHklm, kShellFoldersKey, "Startup");
    for (auto [root, value, folder] : {std::tuple{kHkcu, kUserStartupValue, &app.folders.UserStartupFolder},
                                       std::tuple{kHklm, kCommonStartupValue, &app.folders.CommonStartupFolder}}) {
      if (ReadString(p, root, kShellFoldersKey, value).empty())
        WriteString(p, root, kShellFoldersKey, value, folder->substr(0, folder->size() - 1));
      ForceDirectories(p, *folder);
    }
    userFolder = WithTrailingBackslash(ReadString(p, kHkcu, kShellFoldersKey, kUserStartupValue));
    commonFolder = WithTrailingBackslash(ReadString(p, kHklm, kShellFoldersKey, kCommonStartupValue));
    CleanUp();
  }
  void TearDown() override { CleanUp(); }
  void CleanUp() {
    for (const std::string& name : {std::string("QrvWineAlpha"), kHostile, std::string("Qrv"),
                                    std::string("QrvWineMine.lnk"), std::string("notepad.exe")})
      DeleteValue(p, kHkcu, kRunKey, name);
    for (const std::string& name : {std::string("QrvWineBeta"), std::string("QrvWineShared.lnk"), std::string("notepad.exe")})
      DeleteValue(p, kHklm, kRunKey, name);
    DeleteTree(HKEY_LOCAL_MACHINE, win32::Wide(RegistryPath(kOffKey)).c_str());
    p.DeleteFile(userFolder + "QrvWineMine.lnk");
    p.DeleteFile(commonFolder + "QrvWineShared.lnk");
  }
  cli::Outcome Cli(std::vector<std::string> args) {
    const cli::ParsedArguments parsed = cli::ParseArguments(args);
    EXPECT_TRUE(parsed.ok) << parsed.error;
    return parsed.ok ? parsed.invocation.command->run(app, parsed.invocation) : cli::Outcome{};
  }
  const StartupEntry* Find(const std::vector<StartupEntry>& rows, const std::string& program, std::size_t* index = nullptr) {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].program == program) {
        if (index != nullptr) *index = i + 1;
        return &rows[i];
      }
    return nullptr;
  }
  bool Import(const std::string& undo) { return RunRegistryEditor(p, app.folders, " /s \"" + undo + "\""); }
};

TEST_F(StartupManagerWineTest, ListsRemovesWithUndoAndAdds) {
  WriteString(p, kHkcu, kRunKey, "QrvWineAlpha", "C:\\windows\\notepad.exe /a");
  WriteString(p, kHkcu, kRunKey, kHostile, "C:\\windows\\hostile.exe");
  WriteString(p, kHkcu, kRunKey, "Qrv", "C:\\windows\\neighbour.exe");
  WriteString(p, kHklm, kRunKey, "QrvWineBeta", "C:\\windows\\system32\\winver.exe");
  WriteString(p, kHklm, kOffKey, "item", "Qrv Off Item");
  WriteString(p, kHklm, kOffKey, "command", "C:\\windows\\system32\\mspaint.exe");
  WriteString(p, kHklm, kOffKey, "hkey", "hklm");
  ASSERT_TRUE(MakeLink(userFolder + "QrvWineMine.lnk", "C:\\windows\\notepad.exe", "--tray \"a b\""));
  ASSERT_TRUE(MakeLink(commonFolder + "QrvWineShared.lnk", "C:\\windows\\system32\\winver.exe", ""));
  const auto seededHostile = ReadValue(p, kHkcu, kRunKey, kHostile);
  const auto seededBeta = ReadValue(p, kHklm, kRunKey, "QrvWineBeta");

  EXPECT_FALSE(ValueExists(p, kHklm, kShellFoldersKey, "Startup"));
  cli::Outcome o = Cli({"startup", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  std::printf("startup --json: %s", o.out.c_str());
  auto rows = ReadStartupList(app, host);
  const std::size_t counted = ReadStartup(app, host);
  struct Expected {
    std::string program;
    int source;
    std::string location;
  };
  for (const Expected& e : std::vector<Expected>{{"QrvWineAlpha", 1, "C:\\WINDOWS\\NOTEPAD.EXE /A"},
                                                 {kHostile, 1, "C:\\WINDOWS\\HOSTILE.EXE"},
                                                 {"QrvWineBeta", 2, "C:\\WINDOWS\\SYSTEM32\\WINVER.EXE"},
                                                 {"QRV OFF ITEM", 3, "C:\\WINDOWS\\SYSTEM32\\MSPAINT.EXE"},
                                                 {"QrvWineMine.lnk", 4, "C:\\windows\\notepad.exe"},
                                                 {"QrvWineShared.lnk", 5, "C:\\windows\\system32\\winver.exe"}}) {
    const StartupEntry* row = Find(rows, e.program);
    ASSERT_NE(row, nullptr) << e.program;
    EXPECT_EQ(row->source, e.source) << e.program;
    EXPECT_TRUE(EqualsNoCase(row->location, e.location)) << row->location;
    EXPECT_NE(o.out.find("\"source\":" + std::to_string(e.source) + ",\"user\":"), std::string::npos);
  }
  EXPECT_EQ(Find(rows, "QRV OFF ITEM")->user, app.language.Text(TextId::GeneralAllUsers));
  ASSERT_TRUE(Find(rows, "QrvWineMine.lnk")->link.has_value());
  EXPECT_EQ(Find(rows, "QrvWineMine.lnk")->link->arguments, "--tray \"a b\"");

  // One of each source; the hostile name through the console's own index.
  std::size_t index = 0;
  Find(rows, kHostile, &index);
  o = Cli({"startup", "remove", std::to_string(index), "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  const std::string marker = "\"undo\":\"";
  const auto at = o.out.find(marker);
  ASSERT_NE(at, std::string::npos) << o.out;
  const std::string escaped = o.out.substr(at + marker.size(), o.out.find('"', at + marker.size()) - at - marker.size());
  std::vector<std::string> undoFiles{ReplaceAll(escaped, "\\\\", "\\")};
  EXPECT_TRUE(FileExists(p, undoFiles[0])) << undoFiles[0];
  std::string mineCopy;
  for (const char* program : {"QrvWineBeta", "QRV OFF ITEM", "QrvWineMine.lnk", "QrvWineShared.lnk"}) {
    rows = ReadStartupList(app, host);
    const StartupEntry* row = Find(rows, program);
    ASSERT_NE(row, nullptr) << program;
    const std::string linkBytes = row->source >= 4 ? [&] { std::string b; p.ReadFile(row->name, b); return b; }() : "";
    const StartupRemoval r = RemoveStartupEntry(app, *row);
    ASSERT_EQ(r.outcome, StartupChange::Done) << program;
    undoFiles.push_back(r.undoPath);
    if (row->source >= 4) {
      std::string copy;
      ASSERT_TRUE(p.ReadFile(r.linkCopy, copy)) << r.linkCopy;
      EXPECT_EQ(copy, linkBytes) << "the link is kept whole beside its undo file";
      if (std::string(program) == "QrvWineMine.lnk") mineCopy = r.linkCopy;
    }
  }
  // Exactly what remains.
  EXPECT_FALSE(ValueExists(p, kHkcu, kRunKey, kHostile));
  EXPECT_FALSE(ValueExists(p, kHklm, kRunKey, "QrvWineBeta"));
  EXPECT_FALSE(KeyExists(p, kHklm, kOffKey));
  EXPECT_FALSE(FileExists(p, userFolder + "QrvWineMine.lnk"));
  EXPECT_FALSE(FileExists(p, commonFolder + "QrvWineShared.lnk"));
  EXPECT_EQ(ReadString(p, kHkcu, kRunKey, "QrvWineAlpha"), "C:\\windows\\notepad.exe /a");
  EXPECT_EQ(ReadString(p, kHkcu, kRunKey, "Qrv"), "C:\\windows\\neighbour.exe") << "the neighbour of the hostile name";
  EXPECT_TRUE(FileExists(p, mineCopy));
  EXPECT_EQ(ReadStartup(app, host), counted - 5) << "the five removed were counted, both links among them";

  // Every undo file brings back what it removed, exactly.
  for (const std::string& undo : undoFiles) ASSERT_TRUE(Import(undo)) << undo;
  EXPECT_EQ(ReadValue(p, kHkcu, kRunKey, kHostile)->data, seededHostile->data);
  EXPECT_EQ(ReadValue(p, kHklm, kRunKey, "QrvWineBeta")->data, seededBeta->data);
  EXPECT_EQ(ReadString(p, kHklm, kOffKey, "item"), "Qrv Off Item");
  EXPECT_EQ(ReadString(p, kHklm, kOffKey, "hkey"), "hklm");
  EXPECT_EQ(ReadString(p, kHkcu, kRunKey, "QrvWineMine.lnk"), "C:\\windows\\notepad.exe --tray \"a b\"")
      << "the same program with the same arguments";
  EXPECT_EQ(ReadString(p, kHklm, kRunKey, "QrvWineShared.lnk"), "C:\\windows\\system32\\winver.exe");

  o = Cli({"startup", "add", "C:\\windows\\notepad.exe", "--all-users"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(ReadString(p, kHklm, kRunKey, "notepad.exe"), "C:\\windows\\notepad.exe");
  EXPECT_NE(o.out.find("| notepad.exe | C:\\WINDOWS\\NOTEPAD.EXE"), std::string::npos) << o.out;
  EXPECT_EQ(Cli({"startup", "add", "C:\\windows\\no-such.exe"}).exitCode, 1);
}

TEST_F(StartupManagerWineTest, ScheduleSetWritesTheQuotedRunValue) {
  cli::Outcome o = Cli({"schedule", "set", "--on", "--day", "2", "--time", "06:30", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  const std::string data = "\"" + app.folders.ProgramFolder + "\\QRVSchedule.exe\"";
  EXPECT_EQ(ReadString(p, kHkcu, kRunKey, kScheduleRunValue), data);
  EXPECT_EQ(ReadDword(p, kHkcu, kSettingsKey, "s_Day"), 2u);
  EXPECT_EQ(TimeText(ReadDateTime(p, kHkcu, kSettingsKey, "s_Time", 0)), "06:30");
  EXPECT_NE(o.out.find("\"enabled\":true,\"day\":2,\"time\":\"06:30\""), std::string::npos) << o.out;
  o = Cli({"schedule", "set", "--off"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_FALSE(ValueExists(p, kHkcu, kRunKey, kScheduleRunValue));
  EXPECT_EQ(ReadDword(p, kHkcu, kSettingsKey, "s_Day"), 2u);
}

}  // namespace
}  // namespace qrv::wine
