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
