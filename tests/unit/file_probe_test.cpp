#include "registry_scan/file_probe.h"

#include "engine/paths.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;
constexpr RootKey kHklm = RootKey::LocalMachine;

class FileProbeTest : public testing::CheckTest {
 protected:
  FileState Command(const std::string& text, BareNames bare = BareNames::InWindowsFolders) {
    return CommandState(s, text, ResolveCommandLine(app.folders, text), bare);
  }
};

// A file is only missing where its path says for certain where it must be.
TEST_F(FileProbeTest, OnlyAFullPathOnAFixedDriveThatIsThereIsJudged) {
  p.files.SetDriveType('D', 3);  // fixed, and there
  p.files.SetDriveType('E', 2);  // removable, with a medium in it
  p.files.SetDriveType('F', 5);  // optical
  p.files.SetDriveType('N', 4);  // network
  EXPECT_TRUE(JudgeableFullPath(s, "C:\\Gone\\gone.exe"));
  EXPECT_TRUE(JudgeableFullPath(s, "d:\\gone.dll"));
  for (const char* path : {"E:\\gone.exe", "F:\\gone.hlp", "N:\\gone.doc", "Z:\\gone.exe",  // drives
                           "C:\\%VENDOR%\\gone.exe", "C:gone.exe", "C:/Gone/gone.exe", "C:\\",  // forms
                           "\\\\server\\share\\gone.exe", "Gone\\gone.exe", "gone.exe",
                           "C:\\Docs\\*.txt", "C:\\Docs\\report?.doc", "C:\\Docs\\a.doc:stream",  // no one file
                           "C:\\Docs\\\"a\".doc", "C:\\Docs\\a|b.doc", "C:\\Docs\\a\tb.doc"})
    EXPECT_FALSE(JudgeableFullPath(s, path)) << path;

  EXPECT_EQ(PathState(s, "C:\\Gone\\gone.wav"), FileState::Missing);
  p.files.AddFolder("C:\\Help");
  EXPECT_EQ(PathState(s, "C:\\Help"), FileState::Present) << "a folder is there too";
  EXPECT_EQ(PathState(s, "E:\\gone.wav"), FileState::Unknown);
  EXPECT_EQ(PathState(s, "gone.wav"), FileState::Unknown);
  EXPECT_EQ(PathState(s, ""), FileState::Unknown);
}

TEST_F(FileProbeTest, ACommandIsPresentWhenAnyReadingOfItFindsSomething) {
  p.files.AddFile("C:\\Tools\\agent.com");
  p.files.AddFile("C:\\My Tools\\spaced tool.com");
  p.files.AddFile("C:\\Vendor.dlls\\app.exe");
  p.files.AddFile("C:\\Tools\\noext.exe");
  p.files.AddFile("C:\\windows\\System32\\moved.dll");
  p.files.AddFile("C:\\windows\\System\\rundll.exe");
  p.files.AddFolder("C:\\Data\\Game");
  p.files.AddFile("C:\\Program Files\\App\\app.exe");
  for (const char* text : {
           "C:\\Tools\\agent.com /q",                          // arguments the resolution kept
           "C:\\My Tools\\spaced tool.com /q",                 // and blanks inside the path
           "C:\\Vendor.dlls\\app.exe",                         // cut too early by the resolution
           "C:\\Tools\\noext -x",                              // completed with .EXE
           "C:\\Old\\moved.dll,1",                             // its name in the Windows folders
           "rundll C:\\Gone\\x.dll,Run",                       // a program before the path
           "C:\\Data\\Game -windowed",                         // a folder with arguments
           "\"C:\\Program Files\\App\\app.exe\" \"%1\"",       // quoted
           "%ProgramFiles%\\App\\app.exe",                     // a known placeholder
       })
    EXPECT_EQ(Command(text), FileState::Present) << text;
  EXPECT_EQ(Command("\"C:\\Program Files\\Gone\\gone.exe\" /tray"), FileState::Missing);
  EXPECT_EQ(Command("C:\\Gone\\gone.exe,-101"), FileState::Missing);
  EXPECT_EQ(Command(""), FileState::Unknown);
}

TEST_F(FileProbeTest, BareNamesAreJudgedOnlyWhereTheCheckLooksThemUp) {
  p.files.AddFile("C:\\windows\\System32\\here.dll");
  p.registry.SetString(kHklm, std::string(kAppPathsKey) + "winword.exe", "", "C:\\Office\\winword.exe");
  EXPECT_EQ(Command("gone.dll", BareNames::NotJudged), FileState::Unknown);
  EXPECT_EQ(Command("gone.dll", BareNames::InWindowsFolders), FileState::Missing);
  EXPECT_EQ(Command("here.dll", BareNames::InWindowsFolders), FileState::Present);
  EXPECT_EQ(Command("winword.exe /n", BareNames::InWindowsFolders), FileState::Missing);
  EXPECT_EQ(Command("winword.exe /n", BareNames::InWindowsFoldersOrAppPaths), FileState::Present);
  // Windows completes a name without extension, and searches further than we look.
  EXPECT_EQ(Command("gonetool", BareNames::InWindowsFoldersOrAppPaths), FileState::Unknown);
  EXPECT_EQ(Command("gone tool -x", BareNames::InWindowsFoldersOrAppPaths), FileState::Unknown);
  EXPECT_EQ(Command("%APPDATA%\\gone.exe", BareNames::InWindowsFoldersOrAppPaths), FileState::Unknown);
  EXPECT_TRUE(IsBareFileName("GONE.EXE"));
  for (const char* notBare : {"GONE", "GONE TOOL.EXE", "SUB\\GONE.EXE", "C:GONE.EXE", "%X%.EXE", "*.EXE", ""})
    EXPECT_FALSE(IsBareFileName(notBare)) << notBare;
}

TEST_F(FileProbeTest, AKeyIsAbsentOnlyWhenTheRegistrySaysSo) {
  p.registry.CreateKey(kHkcr, "\\CLSID\\{HERE}");
  p.registry.CreateKey(kHkcr, "\\CLSID\\{HIDDEN}");
  p.registry.MarkCannotOpen(kHkcr, "\\CLSID\\{HIDDEN}");
  EXPECT_TRUE(KeyIsAbsent(p, kHkcr, "\\CLSID\\{GONE}"));
  EXPECT_FALSE(KeyIsAbsent(p, kHkcr, "\\CLSID\\{HERE}"));
  EXPECT_FALSE(KeyIsAbsent(p, kHkcr, "\\clsid\\{here}"));
  EXPECT_FALSE(KeyIsAbsent(p, kHkcr, "\\CLSID\\{HIDDEN}"));
}

}  // namespace
}  // namespace qrv
