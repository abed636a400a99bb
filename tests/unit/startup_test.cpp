#include <gtest/gtest.h>

#include "core/startup.h"
#include "engine/text.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;

class StartupTest : public ::testing::Test {
 protected:
  fake::FakePlatform p;
  void SetUp() override { testing::SetUpUserFolders(p); }
  AppState Start() {
    AppState state(p);
    LoadSettings(state);
    return state;
  }
};

TEST_F(StartupTest, ProgramEntryRefusesASecondInstanceAndANonAdministrator) {
  EXPECT_EQ(ProgramEntry(p), EntryDecision::Start);
  EXPECT_EQ(p.mutexes.count("Quorvane"), 1u);
  EXPECT_EQ(ProgramEntry(p), EntryDecision::AlreadyRunning);
  ASSERT_EQ(p.messageBoxes.size(), 1u);
  EXPECT_EQ(p.messageBoxes[0].text, "Program already running!");
  EXPECT_EQ(p.messageBoxes[0].caption, "Warning");
  EXPECT_EQ(p.messageBoxes[0].flags, kMbIconError);

  fake::FakePlatform user;
  user.registry.MarkNotWritable(RootKey::LocalMachine, "\\SOFTWARE");
  EXPECT_EQ(ProgramEntry(user), EntryDecision::NotAdministrator);
  ASSERT_EQ(user.messageBoxes.size(), 1u);
  EXPECT_EQ(user.messageBoxes[0].text, "In order to access Quorvane functions\ryou must have administrator privilege!");
}

TEST_F(StartupTest, FolderSet) {
  p.environment["TMP"] = "%USERPROFILE%\\Local Settings\\Temp";
  const FolderSet f = FindFolders(p);
  EXPECT_EQ(f.UserName, "tester");
  EXPECT_EQ(f.ProgramFolder, "C:\\Program Files\\Quorvane");
  EXPECT_EQ(f.WindowsFolder, "C:\\windows\\");
  EXPECT_EQ(f.AppDataFolder, "C:\\Users\\tester\\AppData\\Roaming\\");
  EXPECT_EQ(f.UserProfileFolder, "C:\\Users\\tester\\AppData\\");
  EXPECT_EQ(f.LocalSettingsFolder, "C:\\Users\\tester\\AppData\\");
  EXPECT_EQ(f.RecentFolder, "C:\\Users\\tester\\Recent\\");
  EXPECT_EQ(f.CommonFilesFolder, "C:\\Program Files\\Common Files\\");
  EXPECT_EQ(f.LogFolder, "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Log");
  EXPECT_TRUE(p.files.Exists(f.LogFolder)) << "created with its parents";
  EXPECT_TRUE(p.files.Exists(f.UndoFolder));
  EXPECT_EQ(f.TmpFolder, "C:\\Users\\tester\\AppData\\LOCAL SETTINGS\\TEMP\\");
  EXPECT_EQ(f.TempFolder, "\\") << "unset and without a fallback";
  EXPECT_EQ(f.FirefoxGeneration, 2);
  EXPECT_EQ(f.FirefoxCookiesFile, "C:\\Users\\tester\\AppData\\Roaming\\Mozilla\\Firefox\\\\cookies.txt");
}

TEST_F(StartupTest, TheProfileIsTheUsersOwnFolderWhereverAppDataLies) {
  // Since Vista, AppData's parent is ...\AppData, not the profile: a path
  // under %USERPROFILE% must be looked for in the profile itself.
  p.shellFolders[csidl::kProfile] = "C:\\Users\\tester";
  p.environment["TMP"] = "%USERPROFILE%\\Temp";
  const FolderSet f = FindFolders(p);
  EXPECT_EQ(f.UserProfileFolder, "C:\\Users\\tester\\");
  EXPECT_EQ(f.TmpFolder, "C:\\Users\\tester\\TEMP\\");
  EXPECT_EQ(ExpandFolderPlaceholders(f, "%USERPROFILE%\\Tools\\x.exe"), "C:\\Users\\tester\\TOOLS\\X.EXE");
}

TEST_F(StartupTest, StartupFoldersFallBackToTheShellFoldersKey) {
  p.shellFolders.erase(csidl::kStartup);
  p.shellFolders.erase(csidl::kCommonStartup);
  const char* key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  p.registry.SetString(kHkcu, key, "AltStartup", "c:\\alt");
  p.registry.SetString(RootKey::LocalMachine, key, "Startup", "c:\\common");
  const FolderSet f = FindFolders(p);
  EXPECT_EQ(f.UserStartupFolder, "C:\\ALT\\");
  EXPECT_EQ(f.CommonStartupFolder, "C:\\COMMON\\");
}

TEST_F(StartupTest, TempFoldersFallBackToLocalSettings) {
  p.environment["TEMP"] = "x";
  p.files.AddFolder("C:\\Users\\tester\\AppData\\Temp");
  p.files.AddFolder("C:\\Users\\tester\\AppData\\Tmp");
  const FolderSet f = FindFolders(p);
  EXPECT_EQ(f.TmpFolder, "C:\\Users\\tester\\AppData\\Temp\\") << "TMP takes Temp";
  EXPECT_EQ(f.TempFolder, "C:\\Users\\tester\\AppData\\Tmp\\") << "TEMP takes Tmp";
}

TEST_F(StartupTest, FirefoxProfiles) {
  const std::string firefox = "C:\\Users\\tester\\AppData\\Roaming\\Mozilla\\Firefox\\";
  p.files.AddFile(firefox + "profiles.ini", "[General]\r\nStartWithLastProfile=1\r\n[Profile0]\r\nPath=Profiles/abc.default\r\n");
  FolderSet f = FindFolders(p);
  EXPECT_EQ(f.FirefoxProfileFolder, firefox + "Profiles\\abc.default");
  EXPECT_EQ(f.FirefoxGeneration, 2);
  EXPECT_EQ(f.FirefoxCacheFolder, firefox + "Profiles\\abc.default\\Cache\\");
  p.files.AddFile(firefox + "Profiles\\abc.default\\cookies.sqlite");
  f = FindFolders(p);
  EXPECT_EQ(f.FirefoxGeneration, 3);
  EXPECT_EQ(f.FirefoxFormHistoryFile, firefox + "Profiles\\abc.default\\formhistory.sqlite");
  EXPECT_EQ(f.FirefoxCacheFolder,
            "C:\\Users\\tester\\AppData\\Application Data\\Mozilla\\Firefox\\Profiles\\abc.default\\Cache\\");
}

TEST_F(StartupTest, FirstStartSeedsTheSettings) {
  const AppState s = Start();
  const char* k = kSettingsKey;
  EXPECT_EQ(ReadString(p, kHkcu, k, "DisplayName"), "Tessaline");
  EXPECT_EQ(ReadString(p, kHkcu, k, "Version"), "2.0");
  EXPECT_EQ(ReadDword(p, kHkcu, k, "Language"), 1u);
  EXPECT_EQ(ReadString(p, kHkcu, k, "LogDir"), "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Log");
  EXPECT_EQ(ReadString(p, kHkcu, k, "UndoDir"), "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Undo");
  EXPECT_TRUE(ReadFlag(p, kHkcu, k, "ShowRebootMessage"));
  EXPECT_TRUE(ReadFlag(p, kHkcu, k, "s_Enable"));
  EXPECT_TRUE(ValueExists(p, kHkcu, k, "s_Day"));
  EXPECT_EQ(ReadDateTime(p, kHkcu, k, "s_Time", 0), p.clock);
  for (const char* never : {"RunDate1", "ItemsToFix", "ItemsToClean"}) EXPECT_FALSE(ValueExists(p, kHkcu, k, never));
  EXPECT_EQ(ReadString(p, kHkcu, kElevationKey, p.moduleFileName), "RUNASADMIN ELEVATECREATEPROCESS");
  EXPECT_EQ(s.folders.WindowsMajorVersion, 6u);
}

TEST_F(StartupTest, ASecondStartKeepsEveryValue) {
  Start();
  const char* k = kSettingsKey;
  WriteString(p, kHkcu, k, "LogDir", "D:\\MyLogs");
  WriteFlag(p, kHkcu, k, "s_Enable", false);
  WriteString(p, kHkcu, kElevationKey, p.moduleFileName, "kept");
  p.clock += 3;
  const AppState s = Start();
  EXPECT_EQ(s.folders.LogFolder, "D:\\MyLogs");
  EXPECT_FALSE(ReadFlag(p, kHkcu, k, "s_Enable"));
  EXPECT_EQ(ReadDateTime(p, kHkcu, k, "s_Time", 0), p.clock - 3) << "not seeded again";
  EXPECT_EQ(ReadString(p, kHkcu, kElevationKey, p.moduleFileName), "kept");
}

TEST_F(StartupTest, OldWindowsGetsNoElevationFlag) {
  p.versionMajor = 5;
  Start();
  EXPECT_FALSE(KeyExists(p, kHkcu, kElevationKey));
}

TEST_F(StartupTest, LanguageNumberChoosesTheFile) {
  p.files.AddFile("C:\\Program Files\\Quorvane\\German.ini", "[Buttons]\r\nScan=Pr\xFC" "fen\r\n");
  p.files.AddFile("C:\\Program Files\\Quorvane\\English.ini", "[Buttons]\r\nScan=Scan now\r\n");
  WriteDword(p, kHkcu, kSettingsKey, "Language", 3);
  EXPECT_EQ(Start().language.Text(TextId::ButtonsScan), "Pr\xC3\xBC" "fen");
  for (std::uint32_t n : {0u, 6u, 99u}) {
    WriteDword(p, kHkcu, kSettingsKey, "Language", n);
    EXPECT_EQ(Start().language.Text(TextId::ButtonsScan), "Scan now") << n;
  }
}

}  // namespace
}  // namespace qrv
