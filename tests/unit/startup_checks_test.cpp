#include "registry_scan/startup_checks.h"

#include "engine/registry_ops.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

using testing::Lines;
constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;
const std::string kRun = kRunKey;

class StartupCheckTest : public testing::CheckTest {
 protected:
  void Run(const std::string& name, const std::string& command, RootKey root = kHkcu) {
    p.registry.SetString(root, kRun, name, command);
  }
};

TEST_F(StartupCheckTest, EntriesThatRunOrCannotBeJudgedStay) {
  p.files.AddFile("C:\\Program Files\\App\\app.exe");
  p.files.AddFile("C:\\windows\\System32\\tool.exe");
  p.files.AddFile("C:\\windows\\System32\\ctfmon.exe");
  p.files.AddFile("C:\\Tools\\agent.com");
  p.files.AddFile("C:\\Program Files\\Big App\\run.pif");
  p.files.SetDriveType('E', 2);  // removable
  Run("Quoted", "\"C:\\Program Files\\App\\app.exe\" /min");
  Run("Rundll", "rundll32.exe gone.dll,Start");
  Run("SysRoot", "%SystemRoot%system32\\gone.exe");
  Run("Bare", "tool.exe /background");
  Run("NoExtension", "ctfmon");
  // Bare names Windows may find where we do not look: completed, or through App Paths.
  Run("NoExtensionGone", "gonetool");
  Run("AppPath", "winword.exe /q");
  p.registry.SetString(kHklm, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\winword.exe", "",
                       "C:\\Office\\winword.exe");
  // Programs with an extension the resolution does not cut at keep their arguments.
  Run("ComArgs", "C:\\Tools\\agent.com -start");
  Run("Spaces", "C:\\Program Files\\Big App\\run.pif /q");
  // Placeholders only Windows can expand, drives that come and go, network shares.
  Run("AppData", "%APPDATA%\\Vendor\\v.exe");
  Run("Removable", "E:\\portable\\p.exe");
  Run("NoDrive", "Z:\\tool.exe");
  Run("Share", "\\\\server\\share\\x.exe");
  CheckStartup(s, kHkcu);
  EXPECT_TRUE(NothingQueued());
}

TEST_F(StartupCheckTest, EmptyAndMissingEntriesAreReportedAndTheirValuesDeleted) {
  Run("Empty", "");
  p.registry.SetDword(kHkcu, kRun, "Number", 1);
  Run("Gone", "\"C:\\Program Files\\Gone\\gone.exe\" /tray");
  Run("BareGone", "nothere.exe");
  Run("Kept", "C:\\windows\\System32\\tool.exe");
  p.files.AddFile("C:\\windows\\System32\\tool.exe");
  CheckStartup(s, kHkcu);
  EXPECT_EQ(Slot(6), (Lines{"[HKCU]" + kRun + "Empty", "[HKCU]" + kRun + "Number",
                            "File not found: C:\\PROGRAM FILES\\GONE\\GONE.EXE", "File not found: NOTHERE.EXE"}));
  const std::string key = "[HKEY_CURRENT_USER" + kRun + "]";
  EXPECT_EQ(FixLines(), (Lines{key, "\"Empty\"=-", "", key, "\"Number\"=-", "", key, "\"Gone\"=-", "", key,
                               "\"BareGone\"=-", ""}));
  EXPECT_EQ(UndoLines()[0], "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]");
  EXPECT_EQ(UndoLines()[1], "\"Empty\"=\"\"");
  Repair();
  EXPECT_EQ(ReadString(p, kHkcu, kRun, "Kept"), "C:\\windows\\System32\\tool.exe");
  EXPECT_FALSE(ValueExists(p, kHkcu, kRun, "Gone"));
  ImportUndo();
  EXPECT_EQ(ReadDword(p, kHkcu, kRun, "Number"), 1u);
}

TEST_F(StartupCheckTest, TagsNamesAndLockedRunKeys) {
  Run("Empty", "", kHklm);
  Run("Odd \"name\\x", "C:\\gone1.exe");
  Run("Line\nBreak", "C:\\gone2.exe");  // no script line can name it
  CheckStartup(s, kHklm);
  CheckStartup(s, kHkcu);
  EXPECT_EQ(Slot(6), (Lines{"[HKLM]" + kRun + "Empty", "File not found: C:\\GONE1.EXE"}));
  EXPECT_EQ(FixLines(), (Lines{"[HKEY_LOCAL_MACHINE" + kRun + "]", "\"Empty\"=-", "",
                               "[HKEY_CURRENT_USER" + kRun + "]", "\"Odd \\\"name\\\\x\"=-", ""}));
  Repair();
  EXPECT_FALSE(ValueExists(p, kHkcu, kRun, "Odd \"name\\x"));
  EXPECT_TRUE(ValueExists(p, kHkcu, kRun, "Line\nBreak"));

  StartScan();
  Run("Empty", "", kHklm);
  p.registry.MarkNotWritable(kHklm, kRun);
  CheckStartup(s, kHklm);
  EXPECT_TRUE(NothingQueued()) << "nothing is reported that the repair could not delete";
}

class UninstallCheckTest : public testing::CheckTest {
 protected:
  std::string Entry(const std::string& name, const std::string& displayName = "Some Program") {
    const std::string k = kUninstallKey + name;
    p.registry.SetString(kHklm, k, "DisplayName", displayName);
    return k;
  }
};

TEST_F(UninstallCheckTest, OnlyAListedEntryWithoutAnyUninstallCommandIsReported) {
  p.registry.SetString(kHklm, Entry("Normal"), "UninstallString", "C:\\gone\\uninst.exe");
  p.registry.SetString(kHklm, Entry("Quiet"), "QuietUninstallString", "C:\\gone\\uninst.exe /S");
  Entry("{12345678-1234-1234-1234-123456789012}");
  p.registry.SetDword(kHklm, Entry("Component"), "SystemComponent", 1);
  p.registry.SetDword(kHklm, Entry("Fixed"), "NoRemove", 1);
  p.registry.CreateKey(kHklm, std::string(kUninstallKey) + "AddressBook");  // a marker with no name
  p.registry.SetString(kHklm, std::string(kUninstallKey) + "IE40", "Version", "4.0");
  p.registry.MarkNotWritable(kHklm, Entry("Locked"));
  const std::string stale = Entry("Stale");
  p.registry.SetString(kHklm, stale + "\\Sub", "x", "1");
  CheckUninstall(s);
  EXPECT_EQ(Slot(7), (Lines{"File not found: " + stale}));
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_LOCAL_MACHINE" + stale + "]", ""}));
  Repair();
  EXPECT_FALSE(p.registry.HasKey(kHklm, stale));
  for (const char* kept : {"Normal", "Quiet", "{12345678-1234-1234-1234-123456789012}", "Component", "Fixed",
                           "AddressBook", "IE40", "Locked"})
    EXPECT_TRUE(p.registry.HasKey(kHklm, std::string(kUninstallKey) + kept)) << kept;
  ImportUndo();
  EXPECT_EQ(ReadString(p, kHklm, stale + "\\Sub", "x"), "1");
}

TEST_F(StartupCheckTest, HelpFilesAreLookedForInTheirFolder) {
  const std::string help = kHelpKey;
  p.files.AddFile("C:\\windows\\Help\\here.hlp");
  p.files.SetDriveType('D', 5);  // CD-ROM
  p.registry.SetString(kHklm, help, "here.hlp", "C:\\windows\\Help");
  p.registry.SetString(kHklm, help, "viaroot.hlp", "%SystemRoot%\\Help\\");
  p.files.AddFile("C:\\windows\\Help\\viaroot.hlp");
  p.registry.SetString(kHklm, help, "gone.hlp", "C:\\windows\\Help\\");
  p.registry.SetString(kHklm, help, "oncd.hlp", "D:\\HELP");
  p.registry.SetString(kHklm, help, "nofolder.hlp", "");
  app.ScanMode = 2;
  CheckHelp(s);
  EXPECT_EQ(Slot(8), (Lines{"File not found: " + help + "gone.hlp"}));
  EXPECT_EQ(FixLines(), (Lines{"[HKEY_LOCAL_MACHINE" + help + "]", "\"gone.hlp\"=-", ""}));
  for (const auto& w : host.widths) EXPECT_EQ(w.bar, 3) << "help always moves the Registry tab's bar";
  EXPECT_FALSE(host.widths.empty());
}

TEST_F(StartupCheckTest, FontsAreLookedForInTheFontsFolderOrAtTheirOwnPath) {
  const std::string fonts = kFontsKey;
  p.files.AddFile("C:\\windows\\Fonts\\arial.ttf");
  p.files.AddFile("C:\\Program Files\\App\\Fonts\\private.ttf");
  p.registry.SetString(kHklm, fonts, "Arial (TrueType)", "arial.ttf");
  p.registry.SetString(kHklm, fonts, "Private (TrueType)", "C:\\Program Files\\App\\Fonts\\private.ttf");
  p.registry.SetString(kHklm, fonts, "Gone (TrueType)", "gone.ttf");
  p.registry.SetString(kHklm, fonts, "GonePath (TrueType)", "C:\\Old\\gonepath.ttf");
  p.registry.SetDword(kHklm, fonts, "Number", 3);
  p.registry.SetString(kHklm, fonts, "Vendor (TrueType)", "%VENDORFONT%.ttf");  // only Windows can expand it
  CheckFonts(s);
  EXPECT_EQ(Slot(9), (Lines{"File not found: " + fonts + "Gone (TrueType)",
                            "File not found: " + fonts + "GonePath (TrueType)"}));
  Repair();
  EXPECT_TRUE(ValueExists(p, kHklm, fonts, "Private (TrueType)"));
  EXPECT_TRUE(ValueExists(p, kHklm, fonts, "Arial (TrueType)"));
  EXPECT_TRUE(ValueExists(p, kHklm, fonts, "Number"));
  EXPECT_TRUE(ValueExists(p, kHklm, fonts, "Vendor (TrueType)"));
  EXPECT_FALSE(ValueExists(p, kHklm, fonts, "Gone (TrueType)"));
}

class SoundCheckTest : public testing::CheckTest {
 protected:
  const std::string events = kSoundEventsKey;
  void Event(const std::string& e, const std::string& current, const std::string& fallback) {
    if (!current.empty()) p.registry.SetExpandString(kHkcu, events + e + "\\.Current", "", current);
    else p.registry.CreateKey(kHkcu, events + e + "\\.Current");
    if (!fallback.empty()) p.registry.SetExpandString(kHkcu, events + e + "\\.Default", "", fallback);
    else p.registry.CreateKey(kHkcu, events + e + "\\.Default");
  }
  std::string Current(const std::string& e) { return ReadString(p, kHkcu, events + e + "\\.Current", ""); }
  std::string Fallback(const std::string& e) { return ReadString(p, kHkcu, events + e + "\\.Default", ""); }
};

TEST_F(SoundCheckTest, SilentEventsAndPresentOrUnjudgeableSoundsStay) {
  p.files.AddFile("C:\\windows\\Media\\ding.wav");
  Event("Close", "", "");  // no sound assigned: the user's choice
  p.registry.SetString(kHkcu, events + "Close\\MyScheme", "", "C:\\windows\\Media\\ding.wav");
  Event("Ding", "%SystemRoot%\\Media\\ding.wav", "C:\\gone\\gone.wav");  // default not examined
  Event("Bare", "chimes.wav", "");
  p.files.SetDriveType('E', 2);
  Event("Stick", "E:\\sounds\\x.wav", "");
  CheckSounds(s);
  EXPECT_TRUE(NothingQueued());
}

TEST_F(SoundCheckTest, ALostCurrentSoundTakesTheDefaultSoundWhenItsFileIsThere) {
  p.files.AddFile("C:\\windows\\Media\\ding.wav");
  Event("Ding", "C:\\Old Sounds\\ding.wav", "%SystemRoot%\\Media\\ding.wav");
  CheckSounds(s);
  EXPECT_EQ(Slot(9), (Lines{"File not found: " + events + "Ding"}));
  EXPECT_EQ(FixLines(), (Lines{"[HKEY_CURRENT_USER" + events + "Ding\\.Current]",
                               "@=\"C:\\\\windows\\\\MEDIA\\\\DING.WAV\"", ""}));
  ASSERT_EQ(UndoLines().size(), 3u);
  EXPECT_EQ(UndoLines()[0], "[HKEY_CURRENT_USER" + events + "Ding\\.Current]");
  EXPECT_NE(UndoLines()[1].find("=hex(2):"), std::string::npos) << "the lost sound is kept with its type";
  Repair();
  EXPECT_EQ(Current("Ding"), "C:\\windows\\MEDIA\\DING.WAV");
  EXPECT_EQ(Fallback("Ding"), "%SystemRoot%\\Media\\ding.wav");
}

TEST_F(SoundCheckTest, TwoLostSoundsBothBecomeSilentNeverAnotherLostFile) {
  Event("Both", "C:\\gone\\a.wav", "C:\\gone\\b.wav");
  Event("OnlyDefault", "", "C:\\gone\\c.wav");
  Event("FolderDefault", "C:\\gone\\d.wav", "C:\\windows\\Media");  // a folder is no sound, but is there
  CheckSounds(s);
  EXPECT_EQ(Slot(9), (Lines{"File not found: " + events + "Both", "File not found: " + events + "Both",
                            "File not found: " + events + "FolderDefault", "File not found: " + events + "OnlyDefault"}));
  Repair();
  EXPECT_EQ(Current("Both"), "");
  EXPECT_EQ(Fallback("Both"), "");
  EXPECT_EQ(Fallback("OnlyDefault"), "");
  EXPECT_EQ(Current("FolderDefault"), "");
  EXPECT_EQ(Fallback("FolderDefault"), "C:\\windows\\Media");
  EXPECT_TRUE(p.registry.HasKey(kHkcu, events + "OnlyDefault\\.Current")) << "no event key is deleted";
  ImportUndo();
  EXPECT_EQ(Current("Both"), "C:\\gone\\a.wav");
  EXPECT_EQ(Fallback("OnlyDefault"), "C:\\gone\\c.wav");
}

}  // namespace
}  // namespace qrv
