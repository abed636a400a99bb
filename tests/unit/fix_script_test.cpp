#include <gtest/gtest.h>

#include "engine/text.h"
#include "engine/fix_script.h"
#include "engine/registry_ops.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
const char* const kSharedDlls = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";

class ApplyFixScriptTest : public ::testing::Test {
 protected:
  fake::FakePlatform p;
  FolderSet folders = testing::EngineFolders(p);
  RegScript script{ScriptFlavour::Regedit4};
  void SetUp() override { script.Start(); }
};

TEST_F(ApplyFixScriptTest, WritesWaitsAndImportsSilently) {
  p.registry.SetDword(kHklm, kSharedDlls, "C:\\WINDOWS\\SYSTEM32\\X.DLL", 1);
  p.registry.SetDword(kHklm, kSharedDlls, "C:\\WINDOWS\\SYSTEM32\\KEEP.DLL", 1);
  script.AddKey(kHklm, kSharedDlls);
  script.AddDeleteValue("C:\\WINDOWS\\SYSTEM32\\X.DLL");
  script.AddBlank();

  EXPECT_EQ(ApplyFixScript(p, folders, script), ApplyResult::Imported);
  EXPECT_EQ(p.sleptMilliseconds, 1000u);
  ASSERT_EQ(p.processes.size(), 1u);
  EXPECT_EQ(p.processes[0].program, "C:\\windows\\regedit.exe");
  EXPECT_EQ(p.processes[0].commandLine, " /s \"C:\\Data\\Undo\\Quorvane.reg\"");
  EXPECT_EQ(*p.files.Contents(FixScriptFile(folders)),
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\]\r\n"
            "\"C:\\\\WINDOWS\\\\SYSTEM32\\\\X.DLL\"=-\r\n\r\n");
  EXPECT_FALSE(ValueExists(p, kHklm, kSharedDlls, "C:\\WINDOWS\\SYSTEM32\\X.DLL"));
  EXPECT_TRUE(ValueExists(p, kHklm, kSharedDlls, "C:\\WINDOWS\\SYSTEM32\\KEEP.DLL"));
  EXPECT_EQ(script.Size(), 5u) << "the caller clears the list";
}

TEST_F(ApplyFixScriptTest, AnEmptyScriptChangesNothingAndTheSecondReplacesTheFirst) {
  p.registry.SetString(RootKey::CurrentUser, "\\Software\\A", "v", "1");
  EXPECT_EQ(ApplyFixScript(p, folders, script), ApplyResult::Imported);
  EXPECT_EQ(*p.files.Contents(FixScriptFile(folders)), "REGEDIT4\r\n\r\n");
  RegScript second(ScriptFlavour::Regedit4);
  second.Start();
  second.AddDeleteKey(RootKey::CurrentUser, "\\Software\\A");
  EXPECT_EQ(ApplyFixScript(p, folders, second), ApplyResult::Imported);
  EXPECT_EQ(*p.files.Contents(FixScriptFile(folders)), "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n");
  EXPECT_FALSE(KeyExists(p, RootKey::CurrentUser, "\\Software\\A"));
}

TEST_F(ApplyFixScriptTest, ANameTheCodePageCannotHoldMakesTheWholeScriptUtf16) {
  const std::string name = "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\\a.dll";  // Cyrillic
  const std::string lookalike = "C:\\????\\a.dll";  // what a lossy conversion would name
  p.registry.SetDword(kHklm, kSharedDlls, name, 1);
  p.registry.SetDword(kHklm, kSharedDlls, lookalike, 1);
  script.AddKey(kHklm, kSharedDlls);
  script.AddDeleteValue(name);
  EXPECT_EQ(ApplyFixScript(p, folders, script), ApplyResult::Imported);
  const std::string bytes = *p.files.Contents(FixScriptFile(folders));
  ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(SplitLines(Utf8FromUtf16LeBytes(bytes.substr(2))).at(0), "Windows Registry Editor Version 5.00");
  EXPECT_FALSE(ValueExists(p, kHklm, kSharedDlls, name));
  EXPECT_TRUE(ValueExists(p, kHklm, kSharedDlls, lookalike)) << "the look-alike must survive";
}

TEST_F(ApplyFixScriptTest, RefusesToDeleteWholeBranches) {
  p.registry.SetString(kHklm, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe", "", "C:\\a.exe");
  const char* const refused[] = {
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\",
      "\\software\\microsoft\\windows\\currentversion\\app paths",
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\\\",
      "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
      "\\SOFTWARE\\Microsoft\\Windows\\Help",
      "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
      "\\SOFTWARE",
      "\\SOFTWARE\\Microsoft",  // above the containers
      "\\SOFTWARE\\Classes\\CLSID",
  };
  for (const char* key : refused) {
    RegScript s(ScriptFlavour::Regedit4);
    s.Start();
    ASSERT_TRUE(s.AddDeleteKey(kHklm, key));
    EXPECT_EQ(ApplyFixScript(p, folders, s), ApplyResult::Refused) << key;
  }
  for (const char* key : {"\\CLSID", "\\Interface\\", "\\TypeLib", "\\APPLICATIONS"}) {
    RegScript s(ScriptFlavour::Regedit4);
    s.Start();
    s.AddDeleteKey(RootKey::ClassesRoot, key);
    EXPECT_TRUE(DeletesProtectedKey(s)) << key;
  }
  RegScript hkcu(ScriptFlavour::Regedit4);
  hkcu.Start();
  hkcu.AddDeleteKey(RootKey::CurrentUser, "\\AppEvents\\Schemes\\Apps\\.Default");
  EXPECT_TRUE(DeletesProtectedKey(hkcu));
  EXPECT_TRUE(p.processes.empty()) << "nothing was imported";
  EXPECT_FALSE(p.files.Exists(FixScriptFile(folders)));
  EXPECT_TRUE(KeyExists(p, kHklm, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe"));
}

TEST_F(ApplyFixScriptTest, EntriesInsideTheContainersAreAllowed) {
  for (const char* key : {"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe",
                          "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{1234}",
                          "\\SOFTWARE\\Vendor\\Empty", "\\SOFTWARE\\Classes\\CLSID\\{0}"}) {
    RegScript s(ScriptFlavour::Regedit4);
    s.Start();
    s.AddDeleteKey(kHklm, key);
    EXPECT_FALSE(DeletesProtectedKey(s)) << key;
  }
}

// 64-bit Windows keeps the 32-bit view of a branch in its Wow6432Node: that
// node and every container below it are as protected as the native ones,
// while entries inside them stay allowed.
TEST_F(ApplyFixScriptTest, TheThirtyTwoBitViewIsProtectedLikeTheNativeOne) {
  const struct {
    RootKey root;
    const char* key;
    bool refused;
  } cases[] = {
      {RootKey::ClassesRoot, "\\Wow6432Node", true},
      {RootKey::ClassesRoot, "\\Wow6432Node\\CLSID", true},
      {RootKey::ClassesRoot, "\\WOW6432NODE\\Interface\\", true},
      {RootKey::ClassesRoot, "\\Wow6432Node\\TypeLib", true},
      {kHklm, "\\SOFTWARE\\Wow6432Node", true},
      {kHklm, "\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
      {kHklm, "\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true},
      {kHklm, "\\SOFTWARE\\Classes\\Wow6432Node\\CLSID", true},
      {kHklm, "\\SOFTWARE\\Classes\\Wow6432Node", true},
      {RootKey::CurrentUser, "\\Software\\Wow6432Node", true},
      {RootKey::CurrentUser, "\\Software\\Classes\\CLSID", true},
      {RootKey::CurrentUser, "\\Software\\Classes\\Wow6432Node\\CLSID", true},
      {RootKey::ClassesRoot, "\\Wow6432Node\\CLSID\\{00000000-0000-0000-0000-000000000001}", false},
      {kHklm, "\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{1234}", false},
      {kHklm, "\\SOFTWARE\\Wow6432Node\\Vendor\\Empty", false},
      {RootKey::CurrentUser, "\\Software\\Classes\\CLSID\\{0}", false},
  };
  for (const auto& c : cases) {
    RegScript s(ScriptFlavour::Regedit4);
    s.Start();
    ASSERT_TRUE(s.AddDeleteKey(c.root, c.key));
    EXPECT_EQ(DeletesProtectedKey(s), c.refused) << RootName(c.root) << c.key;
  }
}

// A key deletion that would remove a branch bigger than any finding needs is
// refused before anything is written, whatever the branch is called.
TEST_F(ApplyFixScriptTest, RefusesABranchTooLargeForAnyFinding) {
  const std::string big = "\\Software\\Vendor\\Big";
  for (std::size_t i = 0; i < kMaxKeysPerDeletion; ++i)  // the key itself and as many below it
    p.registry.SetString(RootKey::CurrentUser, big + "\\k" + std::to_string(i / 40) + "\\s" + std::to_string(i), "v", "1");
  const std::string small = "\\Software\\Vendor\\Small";
  p.registry.SetString(RootKey::CurrentUser, small + "\\a\\b", "v", "1");
  EXPECT_GT(CountKeys(p, RootKey::CurrentUser, big, kMaxKeysPerDeletion), kMaxKeysPerDeletion);
  EXPECT_EQ(CountKeys(p, RootKey::CurrentUser, small + "\\", kMaxKeysPerDeletion), 3u);
  EXPECT_EQ(CountKeys(p, RootKey::CurrentUser, "\\Software\\Vendor\\Gone", kMaxKeysPerDeletion), 0u);

  script.AddDeleteKey(RootKey::CurrentUser, small);
  script.AddBlank();
  script.AddDeleteKey(RootKey::CurrentUser, big);
  EXPECT_EQ(ApplyFixScript(p, folders, script), ApplyResult::TooLarge);
  RegScript undo(ScriptFlavour::Version5);
  undo.Start();
  const RepairResult repair = LogBackUpAndApply(p, folders, {"HKEY_CURRENT_USER" + big}, undo, script);
  EXPECT_EQ(repair.outcome, RepairOutcome::TooLarge);
  EXPECT_TRUE(repair.logPath.empty()) << "refused before the log";
  EXPECT_TRUE(p.processes.empty());
  EXPECT_FALSE(p.files.Exists(FixScriptFile(folders)));
  EXPECT_TRUE(KeyExists(p, RootKey::CurrentUser, small + "\\a\\b")) << "nothing of the script was imported";
  EXPECT_EQ(CountKeys(p, RootKey::CurrentUser, big, 100000), kMaxKeysPerDeletion + 1 + 13);
}

TEST_F(ApplyFixScriptTest, AFolderThatCannotBeWrittenStopsBeforeTheImport) {
  p.files.MarkFolderNotWritable(folders.UndoFolder);
  script.AddDeleteKey(RootKey::CurrentUser, "\\Software\\A");
  EXPECT_EQ(ApplyFixScript(p, folders, script), ApplyResult::NotWritten);
  EXPECT_TRUE(p.processes.empty());
}

TEST_F(ApplyFixScriptTest, AMissingRegistryEditorIsReported) {
  p.registryEditorAvailable = false;
  EXPECT_EQ(ApplyFixScript(p, folders, script), ApplyResult::NotStarted);
}

}  // namespace
}  // namespace qrv
