#include <gtest/gtest.h>

#include "registry_scan/com_checks.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

using testing::Lines;
constexpr RootKey kHkcr = RootKey::ClassesRoot;
constexpr RootKey kHklm = RootKey::LocalMachine;

class ComTest : public testing::CheckTest {
 protected:
  void Server(const std::string& clsid, const std::string& kind, const std::string& file) {
    p.registry.SetString(kHkcr, "\\CLSID\\" + clsid + "\\" + kind, "", file);
  }
};

TEST_F(ComTest, AMissingServerLosesOnlyItsServerKey) {
  Server("{A1}", "InprocServer32", "C:\\Old\\gone.dll");
  p.registry.SetString(kHkcr, "\\CLSID\\{A1}\\InprocServer32", "ThreadingModel", "Both");
  p.registry.SetString(kHkcr, "\\CLSID\\{A1}\\ProgID", "", "Gone.Thing");
  p.registry.SetString(kHkcr, "\\CLSID\\{A1}", "", "Gone thing");
  Server("{B2}", "LocalServer32", "\"C:\\Old\\server.exe\" /automation");
  CheckCOM(s);

  EXPECT_EQ(Slot(4), (Lines{"File not found: GONE.DLL", "File not found: SERVER.EXE"}));
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_CLASSES_ROOT\\CLSID\\{A1}\\InprocServer32]", "",
                               "[-HKEY_CLASSES_ROOT\\CLSID\\{B2}\\LocalServer32]", ""}));
  // The backup holds the whole class.
  EXPECT_EQ(UndoLines().front(), "[HKEY_CLASSES_ROOT\\CLSID\\{A1}]");
  Repair();
  EXPECT_FALSE(Has(kHkcr, "\\CLSID\\{A1}\\InprocServer32"));
  EXPECT_TRUE(HasValue(kHkcr, "\\CLSID\\{A1}", ""));
  EXPECT_TRUE(Has(kHkcr, "\\CLSID\\{A1}\\ProgID"));
  EXPECT_TRUE(Has(kHkcr, "\\CLSID\\{B2}"));
  ImportUndo();
  EXPECT_TRUE(HasValue(kHkcr, "\\CLSID\\{A1}\\InprocServer32", "ThreadingModel"));
}

TEST_F(ComTest, ClassesWithAServerThatIsThereOrCannotBeJudgedSurvive) {
  // Judged by the in-process server alone, which is there.
  Server("{01}", "InprocServer32", "C:\\Lib\\here.dll");
  p.files.AddFile("C:\\Lib\\here.dll");
  Server("{01}", "LocalServer32", "C:\\Old\\gone.exe");
  Server("{02}", "InprocServer32", "ole32.dll");
  p.files.AddFile("C:\\windows\\System32\\ole32.dll");
  Server("{03}", "InprocServer32", "C:\\Moved\\ole32.dll");  // its name is in System32
  Server("{04}", "InprocServer32", "C:\\Old\\excluded.dll");
  p.registry.SetString(kHkcr, "\\CLSID\\{04}\\TypeLib", "", "{d63e0ce2-a0a2-11d0-9c02-00c04fc99c8e}");
  Server("{05}", "InprocServer32", "C:\\Old\\locked.dll");
  p.registry.MarkNotWritable(kHkcr, "\\CLSID\\{05}");
  Server("{06}", "InprocServer32", "C:\\Old\\lockedserver.dll");
  p.registry.MarkNotWritable(kHkcr, "\\CLSID\\{06}\\InprocServer32");
  Server("{07}", "InprocServer32", "%SystemDrive%\\Old\\env.dll");
  Server("{08}", "InprocServer32", "G:\\Old\\drive.dll");
  Server("{09}", "InprocServer32", "");
  p.registry.SetString(kHkcr, "\\CLSID\\{0A}", "", "no server at all");
  Server("{0B}", "InprocServer32", "noextension");
  Server("{0C}\r", "InprocServer32", "C:\\Old\\cr.dll");
  CheckCOM(s);
  EXPECT_TRUE(NothingQueued());
}

class ActiveXTest : public testing::CheckTest {
 protected:
  void Class(const std::string& clsid) { p.registry.CreateKey(kHkcr, "\\CLSID\\" + clsid); }
  void Set(const std::string& key, const std::string& text) { p.registry.SetString(kHkcr, "\\" + key, "", text); }
};

TEST_F(ActiveXTest, AMissingClassIsReportedOnceAndOnlyTheReferenceGoes) {
  Set("Gone.Doc\\CLSID", "{DEAD}");
  Set("Gone.Doc\\DefaultIcon", "C:\\Old\\gone.exe,1");
  Set("Gone.Doc\\shell\\open\\command", "C:\\Old\\gone.exe \"%1\"");
  Set("Gone.Doc", "Gone document");
  Set(".gdoc", "Gone.Doc");
  CheckActiveX(s);
  EXPECT_EQ(Slot(4), (Lines{"Relation not found: {DEAD}"}));
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_CLASSES_ROOT\\Gone.Doc\\CLSID]", ""}));
  EXPECT_EQ(UndoLines(), (Lines{"[HKEY_CLASSES_ROOT\\Gone.Doc\\CLSID]", "@=\"{DEAD}\"", ""}));
  Repair();
  EXPECT_FALSE(Has(kHkcr, "\\Gone.Doc\\CLSID"));
  EXPECT_TRUE(Has(kHkcr, "\\Gone.Doc\\shell\\open\\command"));
  EXPECT_TRUE(Has(kHkcr, "\\Gone.Doc\\DefaultIcon"));
  EXPECT_TRUE(Has(kHkcr, "\\.gdoc"));
}

TEST_F(ActiveXTest, IconOpenAndEditAreJudgedApartAndOnlyTheirKeysGo) {
  Class("{C1}");
  Set("Tool.File\\CLSID", "{C1}");
  Set("Tool.File\\DefaultIcon", "%ProgramFiles%\\Tool\\icons.dll,-101");
  Set("Tool.File\\shell\\open\\command", "\"C:\\Program Files\\Tool\\tool.exe\" \"%1\"");
  Set("Tool.File\\shell\\open\\ddeexec", "[open(\"%1\")]");
  Set("Tool.File\\shell\\edit\\command", "C:\\Old\\editor.exe %1");
  Set("Tool.File\\shell\\print\\command", "C:\\Old\\printer.exe %1");
  CheckActiveX(s);
  EXPECT_EQ(Slot(4), (Lines{"Relation not found: ICONS.DLL", "File not found: TOOL.EXE", "File not found: EDITOR.EXE"}));
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_CLASSES_ROOT\\Tool.File\\DefaultIcon]", "",
                               "[-HKEY_CLASSES_ROOT\\Tool.File\\shell\\open\\command]", "",
                               "[-HKEY_CLASSES_ROOT\\Tool.File\\shell\\edit\\command]", ""}));
  Repair();
  EXPECT_TRUE(Has(kHkcr, "\\Tool.File\\CLSID"));
  EXPECT_TRUE(Has(kHkcr, "\\Tool.File\\shell\\open\\ddeexec"));
  EXPECT_TRUE(Has(kHkcr, "\\Tool.File\\shell\\print\\command"));
  EXPECT_FALSE(Has(kHkcr, "\\Tool.File\\shell\\open\\command"));
}

TEST_F(ActiveXTest, IdentifiersThatAreNotProvenBrokenAreNeverReported) {
  Set("ExcludedA\\CLSID", "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}");
  Set("ExcludedB\\CLSID", "{C3F8B282-5B69-47F0-80C3-A22A97FF2EB5}");
  Set("ExcludedB\\DefaultIcon", "C:\\Old\\gone.dll,0");
  Set("Icon.File\\DefaultIcon", "C:\\Old\\picture.ico");  // neither EXE nor DLL
  Set("Run.File\\shell\\open\\command", "rundll32.exe C:\\Old\\gone.dll,Open %1");
  Set("Folder.Like\\shell\\open\\command", "C:\\Old\\explorer.exe /e,%1");
  Set("Self.File\\shell\\open\\command", "\"%1\" %*");
  Set("Env.File\\shell\\open\\command", "%SystemDrive%\\Old\\app.exe %1");
  Set("Known.File\\shell\\open\\command", "winword.exe /n \"%1\"");  // in App Paths
  p.registry.SetString(kHklm, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\winword.exe", "",
                       "C:\\Office\\winword.exe");
  Set("Sys.File\\shell\\open\\command", "C:\\Moved\\notepad.exe %1");
  p.files.AddFile("C:\\windows\\notepad.exe");
  Set("Locked.File\\CLSID", "{DEAD}");
  p.registry.MarkNotWritable(kHkcr, "\\Locked.File");
  Set("Hidden.File\\CLSID", "{HIDDEN}");
  Class("{HIDDEN}");
  p.registry.MarkCannotOpen(kHkcr, "\\CLSID\\{HIDDEN}");  // there, but not readable
  // Never examined.
  Set("CLSID\\DefaultIcon", "C:\\Old\\gone.dll");
  Set("lnkfile\\DefaultIcon", "C:\\Old\\gone.dll");
  Set(".ext\\DefaultIcon", "C:\\Old\\gone.dll");
  Set("urn:schemas\\DefaultIcon", "C:\\Old\\gone.dll");
  Set("Line\nEnd\\DefaultIcon", "C:\\Old\\gone.dll");
  CheckActiveX(s);
  EXPECT_TRUE(NothingQueued());
}

}  // namespace
}  // namespace qrv
