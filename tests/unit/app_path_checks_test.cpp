#include <gtest/gtest.h>

#include "registry_scan/app_path_checks.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

using testing::Lines;
constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RootKey kHkcr = RootKey::ClassesRoot;
const std::string kAppPaths = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const std::string kShared = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";

class SoftwareLocationsTest : public testing::CheckTest {
 protected:
  void AppPath(const std::string& name, const std::string& program) {
    p.registry.SetString(kHklm, kAppPaths + name, "", program);
  }
};

TEST_F(SoftwareLocationsTest, AMissingProgramIsReportedAndOnlyItsKeyIsDeleted) {
  AppPath("gone.exe", "C:\\Program Files\\Gone\\gone.exe");
  p.registry.SetString(kHklm, kAppPaths + "gone.exe", "Path", "C:\\Program Files\\Gone");
  AppPath("here.exe", "\"C:\\Program Files\\Here\\here.exe\" /min");
  p.files.AddFile("C:\\Program Files\\Here\\here.exe");
  CheckSoftwareLocations(s);

  EXPECT_EQ(Slot(1), (Lines{"File not found: C:\\PROGRAM FILES\\GONE\\GONE.EXE"}));
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_LOCAL_MACHINE" + kAppPaths + "gone.exe]", ""}));
  EXPECT_EQ(UndoLines(), (Lines{"[HKEY_LOCAL_MACHINE" + kAppPaths + "gone.exe]",
                                "@=\"C:\\\\Program Files\\\\Gone\\\\gone.exe\"",
                                "\"Path\"=\"C:\\\\Program Files\\\\Gone\"", ""}));
  Repair();
  EXPECT_FALSE(Has(kHklm, kAppPaths + "gone.exe"));
  EXPECT_TRUE(Has(kHklm, kAppPaths + "here.exe"));
  ImportUndo();
  EXPECT_TRUE(HasValue(kHklm, kAppPaths + "gone.exe", "Path"));
}

TEST_F(SoftwareLocationsTest, HealthyOrUnjudgeableEntriesAreNeverReported) {
  AppPath("empty.exe", "");
  p.registry.SetDword(kHklm, kAppPaths + "number.exe", "", 7);
  p.registry.CreateKey(kHklm, kAppPaths + "nodefault.exe");
  AppPath("locked.exe", "C:\\Locked\\locked.exe");
  p.registry.MarkNotWritable(kHklm, kAppPaths + "locked.exe");
  // Texts that do not say where the file is.
  AppPath("drive.exe", "%SystemDrive%\\Tools\\drive.exe");
  AppPath("relative.exe", "bin\\relative.exe");
  AppPath("bare.exe", "bare.exe");
  AppPath("share.exe", "\\\\server\\apps\\share.exe");
  AppPath("usb.exe", "E:\\Portable\\usb.exe");  // the drive is not there
  p.files.SetDriveType('F', 2);
  AppPath("stick.exe", "F:\\Portable\\stick.exe");  // a removable drive, whatever is in it now
  // Present, though the resolution does not cut the text at the program.
  AppPath("tool.com", "C:\\Tools\\tool.com /q");
  p.files.AddFile("C:\\Tools\\tool.com");
  AppPath("spaced.com", "C:\\My Tools\\spaced tool.com /q");
  p.files.AddFile("C:\\My Tools\\spaced tool.com");
  AppPath("app.exe", "C:\\Vendor.dlls\\app.exe");
  p.files.AddFile("C:\\Vendor.dlls\\app.exe");
  AppPath("folder.exe", "C:\\Program Files\\Folder\\");
  p.files.AddFolder("C:\\Program Files\\Folder");
  CheckSoftwareLocations(s);
  EXPECT_TRUE(NothingQueued());
}

// The common rule of every finding, shown on this check and the value check:
// a finding is reported whole (display line, backup, fix lines, one empty
// line) or not at all.
class FindingReportTest : public SoftwareLocationsTest {};

TEST_F(FindingReportTest, EachFindingIsOneBlockEndingInOneEmptyLine) {
  AppPath("a.exe", "C:\\Gone\\a.exe");
  AppPath("b.exe", "C:\\Gone\\b.exe");
  CheckSoftwareLocations(s);
  EXPECT_EQ(Slot(1).size(), 2u);
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_LOCAL_MACHINE" + kAppPaths + "a.exe]", "",
                               "[-HKEY_LOCAL_MACHINE" + kAppPaths + "b.exe]", ""}));
  EXPECT_EQ(UndoLines(), (Lines{"[HKEY_LOCAL_MACHINE" + kAppPaths + "a.exe]", "@=\"C:\\\\Gone\\\\a.exe\"", "",
                                "[HKEY_LOCAL_MACHINE" + kAppPaths + "b.exe]", "@=\"C:\\\\Gone\\\\b.exe\"", ""}));
}

TEST_F(FindingReportTest, NoBackupMeansNoFindingAndNoLine) {
  AppPath("gone.exe", "C:\\Gone\\gone.exe");
  // A value whose name no script line can hold: the key cannot be backed up whole.
  p.registry.SetString(kHklm, kAppPaths + "gone.exe", "line\nend", "x");
  CheckSoftwareLocations(s);
  EXPECT_TRUE(NothingQueued());
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  // A key name holding a double quote is read in this process, so it is
  // backed up (and repaired) like any other.
  p.registry.DeleteKeyTree(kHklm, kAppPaths + "gone.exe");
  AppPath("say \"hi\".exe", "C:\\Gone\\hi.exe");
  CheckSoftwareLocations(s);
  EXPECT_FALSE(NothingQueued());
}

TEST_F(FindingReportTest, NamesNoScriptLineCanHoldAreNeverFindings) {
  for (const std::string& name : {std::string("cr\r.exe"), std::string("lf\n.exe"), std::string("nul\0.exe", 8)}) {
    AppPath(name, "C:\\Gone\\x.exe");
    p.registry.SetDword(kHklm, kShared, "C:\\Gone\\" + name, 1);
  }
  CheckSoftwareLocations(s);
  CheckSharedPrograms(s);
  EXPECT_TRUE(NothingQueued());
}

class SharedProgramsTest : public testing::CheckTest {};

TEST_F(SharedProgramsTest, MissingFilesAreShownInUpperCaseAndTheirValuesDeletedByTheirOwnName) {
  p.registry.SetDword(kHklm, kShared, "c:\\windows\\system32\\gone.dll", 1);
  p.registry.SetDword(kHklm, kShared, "C:\\Windows\\System32\\here.dll", 3);
  p.files.AddFile("C:\\WINDOWS\\SYSTEM32\\HERE.DLL");
  p.registry.SetDword(kHklm, kShared, "C:\\Program Files\\Common Files\\Vendor\\", 2);  // a folder
  p.files.AddFolder("C:\\Program Files\\Common Files\\Vendor");
  p.registry.SetDword(kHklm, kShared, "C:\\Old\\gone2.ocx", 1);
  p.registry.SetDword(kHklm, kShared, "F:\\Removable\\x.dll", 1);  // drive not there
  p.files.SetDriveType('G', 2);
  p.registry.SetDword(kHklm, kShared, "G:\\Stick\\x.dll", 1);  // removable
  p.registry.SetDword(kHklm, kShared, "%CommonFiles%\\x.dll", 1);
  CheckSharedPrograms(s);

  EXPECT_EQ(Slot(2), (Lines{"File not found: C:\\WINDOWS\\SYSTEM32\\GONE.DLL", "File not found: C:\\OLD\\GONE2.OCX"}));
  const std::string keyLine = "[HKEY_LOCAL_MACHINE" + kShared + "]";
  EXPECT_EQ(FixLines(), (Lines{keyLine, "\"c:\\\\windows\\\\system32\\\\gone.dll\"=-", "",  //
                               keyLine, "\"C:\\\\Old\\\\gone2.ocx\"=-", ""}));
  const std::string backupKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs]";
  EXPECT_EQ(UndoLines(), (Lines{backupKey, "\"c:\\\\windows\\\\system32\\\\gone.dll\"=dword:00000001", "",
                                backupKey, "\"C:\\\\Old\\\\gone2.ocx\"=dword:00000001", ""}));
  Repair();
  std::vector<std::string> left;
  ReadValueNames(p, kHklm, kShared, left);
  EXPECT_EQ(left, (Lines{"C:\\Windows\\System32\\here.dll", "C:\\Program Files\\Common Files\\Vendor\\",
                         "F:\\Removable\\x.dll", "G:\\Stick\\x.dll", "%CommonFiles%\\x.dll"}));
}

TEST_F(SharedProgramsTest, NothingIsReportedWhenTheKeyCannotBeChanged) {
  p.registry.SetDword(kHklm, kShared, "C:\\Old\\gone.dll", 1);
  p.registry.MarkNotWritable(kHklm, kShared);
  CheckSharedPrograms(s);
  EXPECT_TRUE(NothingQueued());
}

class KnownProgramsTest : public testing::CheckTest {
 protected:
  void Command(const std::string& program, const std::string& verb, const std::string& command) {
    p.registry.SetString(kHkcr, "\\Applications\\" + program + "\\shell\\" + verb + "\\command", "", command);
  }
};

TEST_F(KnownProgramsTest, AnEntryWhoseProgramIsGoneIsDeletedWhole) {
  Command("gone.exe", "open", "\"C:\\Program Files\\Gone\\gone.exe\" \"%1\"");
  p.registry.SetString(kHkcr, "\\Applications\\gone.exe", "FriendlyAppName", "Gone");
  Command("here.exe", "open", "\"C:\\Program Files\\Here\\here.exe\" \"%1\"");
  p.files.AddFile("C:\\Program Files\\Here\\here.exe");
  // Only an edit command, naming a missing program.
  Command("editor.exe", "edit", "C:\\Old\\editor.exe %1");
  CheckKnownPrograms(s);

  EXPECT_EQ(Slot(2), (Lines{"File not found: C:\\OLD\\EDITOR.EXE", "File not found: C:\\PROGRAM FILES\\GONE\\GONE.EXE"}));
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_CLASSES_ROOT\\Applications\\editor.exe]", "",
                               "[-HKEY_CLASSES_ROOT\\Applications\\gone.exe]", ""}));
  Repair();
  EXPECT_FALSE(Has(kHkcr, "\\Applications\\gone.exe"));
  EXPECT_TRUE(Has(kHkcr, "\\Applications\\here.exe\\shell\\open\\command"));
  ImportUndo();
  EXPECT_TRUE(HasValue(kHkcr, "\\Applications\\gone.exe", "FriendlyAppName"));
}

TEST_F(KnownProgramsTest, EntriesThatAreNotProvenBrokenSurvive) {
  Command("noopen.exe", "open", "C:\\Old\\noopen.exe");
  p.registry.SetString(kHkcr, "\\Applications\\noopen.exe", "NoOpenWith", "");
  Command("nostart.exe", "open", "C:\\Old\\nostart.exe");
  p.registry.SetDword(kHkcr, "\\Applications\\nostart.exe", "NoStartPage", 1);
  p.registry.SetString(kHkcr, "\\Applications\\values.exe", "FriendlyAppName", "no subkeys");
  Command("dll.dll", "open", "rundll32.exe C:\\Old\\dll.dll,Run %1");
  Command("notepad.exe", "open", "notepad.exe %1");
  p.files.AddFile("C:\\windows\\System32\\notepad.exe");
  Command("sys.exe", "open", "sys.exe");
  p.files.AddFile("C:\\windows\\System\\sys.exe");
  Command("wordpad.exe", "open", "wordpad.exe \"%1\"");  // found by the shell through App Paths
  p.registry.SetString(kHklm, kAppPaths + "wordpad.exe", "", "C:\\Program Files\\Windows NT\\wordpad.exe");
  // No open or edit command: nothing was tested.
  p.registry.CreateKey(kHkcr, "\\Applications\\types.exe\\SupportedTypes");
  Command("print.exe", "print", "C:\\Old\\print.exe");
  // The open program is gone but the edit program is there.
  Command("half.exe", "open", "C:\\Old\\half.exe");
  Command("half.exe", "edit", "C:\\windows\\half-edit.exe");
  p.files.AddFile("C:\\windows\\half-edit.exe");
  Command("locked.exe", "open", "C:\\Old\\locked.exe");
  p.registry.MarkNotWritable(kHkcr, "\\Applications\\locked.exe");
  Command("env.exe", "open", "%SystemDrive%\\Apps\\env.exe");
  CheckKnownPrograms(s);
  EXPECT_TRUE(NothingQueued());
}

}  // namespace
}  // namespace qrv
