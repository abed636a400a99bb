#include <gtest/gtest.h>

#include <algorithm>

#include "core/startup.h"
#include "engine/text.h"
#include "registry_scan/app_path_checks.h"
#include "fake/dump.h"
#include "registry_scan/registry_scan.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;
constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RootKey kHkcu = RootKey::CurrentUser;

class RegistryViewsTest : public testing::CheckTest {};

// On 64-bit Windows each branch holds the 32-bit view as "Wow6432Node". The
// node looks like a ProgID without a class, an empty vendor key and a tree of
// dead paths at once; no check may take it, or anything below it, for an
// entry of its own.
TEST_F(RegistryViewsTest, TheThirtyTwoBitViewNodeIsNeverAnEntry) {
  p.registry.SetString(kHkcr, "\\Wow6432Node\\CLSID\\{0000031A-0000-0000-C000-000000000046}\\InprocServer32", "",
                       "C:\\windows\\SysWOW64\\gone32.dll");
  // What makes the node look like a ProgID whose class is gone.
  p.registry.SetString(kHkcr, "\\CLSID\\{00000000-0000-0000-0000-000000000001}", "", "A healthy class");
  p.registry.SetString(kHkcr, "\\Wow6432Node\\CLSID", "", "{DEAD0000-0000-0000-0000-000000000000}");
  p.registry.SetString(kHkcr, "\\Wow6432Node\\Interface\\{0000-1}", "", "IThing");
  p.registry.SetString(kHkcr, "\\Wow6432Node\\TypeLib\\{0000-2}\\1.0\\HELPDIR", "", "");
  p.registry.SetString(kHklm, "\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\x.exe", "",
                       "C:\\Gone\\x.exe");
  p.registry.SetString(kHklm, "\\SOFTWARE\\Wow6432Node\\Vendor", "Path", "C:\\Gone\\vendor.exe");
  p.registry.SetString(kHkcu, "\\Software\\Wow6432Node\\Vendor", "Path", "C:\\Gone\\vendor.exe");
  p.registry.CreateKey(kHkcu, "\\Software\\Wow6432Node\\Empty");
  app.ScanMode = kScanModeRegistry;

  RegistryScan(app, host).Run();
  for (int n = 1; n <= kRegistryCategories; ++n)
    for (const std::string& line : Slot(n)) EXPECT_EQ(line.find("Wow6432Node"), std::string::npos) << n << ": " << line;
  for (const std::string& line : app.FixScript.Lines())
    EXPECT_EQ(UpperCaseText(line).find("WOW6432NODE"), std::string::npos) << line;
  for (const std::string& line : app.TempValueScript.Lines())
    EXPECT_EQ(UpperCaseText(line).find("WOW6432NODE"), std::string::npos) << line;
}

// A 32-bit program on 64-bit Windows reads the 32-bit view; a class may be
// registered in both views, healthy in one and dead in the other. The program
// judges, backs up, repairs and undoes in the view it read, through the
// registry editor of that view; the other view is never touched.
TEST_F(RegistryViewsTest, EveryStepStaysInTheViewThatWasRead) {
  p.RunAsThirtyTwoBitProgramOnSixtyFourBitWindows();
  app.folders.RegistryEditor = RegistryEditorPath(p, app.folders.WindowsFolder);
  const std::string a = "\\CLSID\\{A0000000-0000-0000-0000-000000000000}";
  const std::string b = "\\CLSID\\{B0000000-0000-0000-0000-000000000000}";
  p.files.AddFile("C:\\windows\\System32\\healthy64.dll", "MZ");
  p.files.AddFile("C:\\windows\\SysWOW64\\healthy32.dll", "MZ");
  // Class A: healthy in the native view, dead in the 32-bit view; class B the reverse.
  p.registry.SetString(kHkcr, a + "\\InprocServer32", "", "C:\\windows\\System32\\healthy64.dll");
  p.registry32.SetString(kHkcr, a + "\\InprocServer32", "", "C:\\Old\\gone32.dll");
  p.registry32.SetString(kHkcr, a + "\\InprocServer32", "ThreadingModel", "Both");
  p.registry.SetString(kHkcr, b + "\\InprocServer32", "", "C:\\Old\\gone64.dll");
  p.registry32.SetString(kHkcr, b + "\\InprocServer32", "", "C:\\windows\\SysWOW64\\healthy32.dll");
  const std::string native = fake::DumpTree(p.registry, kHkcr, "\\CLSID");
  const std::string before32 = fake::DumpTree(p.registry32, kHkcr, "\\CLSID");

  RegistryScan(app, host).Run();
  EXPECT_EQ(Slot(4), (testing::Lines{"File not found: GONE32.DLL"})) << "only the dead registration of this view";
  ASSERT_FALSE(app.UndoScript.Lines().empty());
  EXPECT_NE(std::find(app.UndoScript.Lines().begin(), app.UndoScript.Lines().end(),
                      "\"ThreadingModel\"=\"Both\""),
            app.UndoScript.Lines().end())
      << "the backup holds the 32-bit registration";
  const RegistryRepairResult repair = RepairRegistry(app);
  ASSERT_TRUE(repair.Imported());
  for (const auto& process : p.processes)
    EXPECT_EQ(process.program, "C:\\windows\\SysWOW64\\regedit.exe") << "every import and export in the 32-bit view";
  EXPECT_FALSE(p.registry32.HasKey(kHkcr, a + "\\InprocServer32"));
  EXPECT_TRUE(p.registry32.HasKey(kHkcr, b + "\\InprocServer32"));
  EXPECT_EQ(fake::DumpTree(p.registry, kHkcr, "\\CLSID"), native) << "the native view is untouched";

  ASSERT_TRUE(RunRegistryEditor(p, app.folders, " /s \"" + repair.repair.undoPath + "\""));
  EXPECT_EQ(fake::DumpTree(p.registry32, kHkcr, "\\CLSID"), before32) << "the undo restores exactly what was removed";
  EXPECT_EQ(fake::DumpTree(p.registry, kHkcr, "\\CLSID"), native);
}

// A 64-bit program on 64-bit Windows scans both views in one run. Each dead
// registration is found once, in its own view, named by where it is stored;
// the repair deletes it there and nowhere else, through the one native
// editor, and the undo file brings both views back.
TEST_F(RegistryViewsTest, OneProgramRepairsEachViewWhereItWasRead) {
  p.RunAsSixtyFourBitProgramWithBothViews();
  p.environment["PROGRAMFILES(X86)"] = "C:\\Program Files (x86)";
  app.folders = FindFolders(p);
  const std::string a = "\\CLSID\\{A0000000-0000-0000-0000-000000000000}";
  const std::string b = "\\CLSID\\{B0000000-0000-0000-0000-000000000000}";
  const std::string c = "\\CLSID\\{C0000000-0000-0000-0000-000000000000}";
  const std::string wow = "\\Wow6432Node";
  const std::string uninstall = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  const std::string appPaths = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
  p.files.AddFile("C:\\windows\\System32\\healthy64.dll", "MZ");
  p.files.AddFile("C:\\windows\\SysWOW64\\healthy32.dll", "MZ");
  p.files.AddFile("C:\\Program Files (x86)\\Tool\\tool32.dll", "MZ");
  // Class A: healthy natively, dead in the 32-bit view; class B the reverse.
  p.registry.SetString(kHkcr, a + "\\InprocServer32", "", "C:\\windows\\System32\\healthy64.dll");
  p.registry.SetString(kHkcr, wow + a + "\\InprocServer32", "", "C:\\Old\\gone32.dll");
  p.registry.SetString(kHkcr, b + "\\InprocServer32", "", "C:\\Old\\gone64.dll");
  p.registry.SetString(kHkcr, wow + b + "\\InprocServer32", "", "C:\\windows\\SysWOW64\\healthy32.dll");
  // Class C lives only in the 32-bit view, under the 32-bit Program Files that
  // "%ProgramFiles%" names for a 32-bit program; a ProgID both views share names it.
  p.registry.SetExpandString(kHkcr, wow + c + "\\InprocServer32", "", "%ProgramFiles%\\Tool\\tool32.dll");
  p.registry.SetString(kHkcr, "\\Tool.Thing\\CLSID", "", "{C0000000-0000-0000-0000-000000000000}");
  // A dead uninstall entry of the 32-bit view, and a dead App Paths entry both views share.
  p.registry.SetString(kHklm, "\\SOFTWARE" + wow + uninstall.substr(9) + "Old32", "DisplayName", "Old 32");
  p.registry.SetString(kHklm, appPaths + "gone.exe", "", "C:\\Gone\\gone.exe");
  const std::string before = fake::DumpTree(p.registry, kHkcr, "\\") + fake::DumpTree(p.registry, kHklm, "\\SOFTWARE");

  RegistryScan(app, host).Run();
  EXPECT_EQ(Slot(4), (testing::Lines{"File not found: GONE64.DLL", "File not found: GONE32.DLL (32-bit view)"}))
      << "each dead class once, in its own view; the ProgID of a 32-bit class is not dangling";
  EXPECT_EQ(Slot(7).size(), 1u) << "the 32-bit uninstall entry";
  EXPECT_EQ(Slot(1).size(), 1u) << "a key both views share is examined once";
  EXPECT_EQ(app.FindingEntry(4, 1)->entry, "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{A0000000-0000-0000-0000-000000000000}\\InprocServer32")
      << "the 32-bit finding is named where it is stored";

  const RegistryRepairResult repair = RepairRegistry(app);
  ASSERT_TRUE(repair.Imported());
  for (const auto& process : p.processes) EXPECT_EQ(process.program, "C:\\windows\\regedit.exe");
  EXPECT_TRUE(p.registry.HasKey(kHkcr, a + "\\InprocServer32")) << "the healthy twin stays";
  EXPECT_FALSE(p.registry.HasKey(kHkcr, wow + a + "\\InprocServer32"));
  EXPECT_FALSE(p.registry.HasKey(kHkcr, b + "\\InprocServer32"));
  EXPECT_TRUE(p.registry.HasKey(kHkcr, wow + b + "\\InprocServer32")) << "the healthy twin stays";
  EXPECT_TRUE(p.registry.HasKey(kHkcr, wow + c + "\\InprocServer32"));
  EXPECT_TRUE(p.registry.HasKey(kHkcr, "\\Tool.Thing\\CLSID"));

  ASSERT_TRUE(RunRegistryEditor(p, app.folders, " /s \"" + repair.repair.undoPath + "\""));
  EXPECT_EQ(fake::DumpTree(p.registry, kHkcr, "\\") + fake::DumpTree(p.registry, kHklm, "\\SOFTWARE"), before)
      << "the undo brings both views back";
}

// Keys the two views share (App Paths among them) hold 32-bit and 64-bit
// registrations under one "System32"; each program sees only its own face of
// that folder. A file there counts as gone only when it is gone from both.
TEST_F(RegistryViewsTest, ASystemFilePresentInEitherFaceIsNotGone) {
  const std::string appPaths = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
  const struct {
    bool wow64;  // the 32-bit program, else the 64-bit one
    const char* otherFaceFile;
    bool reported;
  } cases[] = {
      {true, "C:\\windows\\Sysnative\\only64.exe", false},
      {false, "C:\\windows\\SysWOW64\\only64.exe", false},
      {true, nullptr, true},
      {false, nullptr, true},
  };
  for (const auto& c : cases) {
    fake::FakePlatform w;
    testing::SetUpUserFolders(w);
    if (c.wow64) w.RunAsThirtyTwoBitProgramOnSixtyFourBitWindows();
    w.sixtyFourBitProgram = !c.wow64;
    w.files.AddFolder("C:\\windows\\System32");
    if (c.otherFaceFile != nullptr) w.files.AddFile(c.otherFaceFile, "MZ");
    AppState state(w);
    state.folders = FindFolders(w);
    (c.wow64 ? w.registry32 : w.registry).SetString(kHklm, appPaths + "only64.exe", "", "C:\\windows\\System32\\only64.exe");
    ScanContext context(state, host);
    state.FixScript.Start();
    state.UndoScript.Start();
    state.CancelFlag = true;
    CheckSoftwareLocations(context);
    EXPECT_EQ(state.Slot(1).size(), c.reported ? 1u : 0u) << (c.wow64 ? "32-bit " : "64-bit ")
                                                          << (c.otherFaceFile ? c.otherFaceFile : "gone from both");
  }
}

// The editor start-up chooses: the Windows folder's on a 32-bit Windows (and
// for a 64-bit program), SysWOW64's for a 32-bit program on 64-bit Windows.
TEST(RegistryEditorChoice, FollowsTheProgramsView) {
  fake::FakePlatform plain;
  EXPECT_EQ(FindFolders(plain).RegistryEditor, "C:\\windows\\regedit.exe");
  fake::FakePlatform wow;
  wow.RunAsThirtyTwoBitProgramOnSixtyFourBitWindows();
  EXPECT_EQ(FindFolders(wow).RegistryEditor, "C:\\windows\\SysWOW64\\regedit.exe");
  FolderSet none;
  EXPECT_FALSE(RunRegistryEditor(wow, none, " /s \"C:\\x.reg\"")) << "no editor named, none started";
  EXPECT_TRUE(wow.processes.empty());
}

}  // namespace
}  // namespace qrv
