#include <gtest/gtest.h>

#include "engine/paths.h"

namespace qrv {
namespace {

FolderSet Folders() {
  FolderSet f;
  f.WindowsFolder = "C:\\Windows\\";
  f.ProgramFilesFolder = "C:\\Program Files\\";
  f.CommonFilesFolder = "C:\\Program Files\\Common Files\\";
  f.UserProfileFolder = "C:\\Users\\Tester\\";
  return f;
}

struct Case {
  const char* input;
  const char* expected;
};

class ResolveCommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(ResolveCommandLineTest, Resolves) {
  EXPECT_EQ(ResolveCommandLine(Folders(), GetParam().input), GetParam().expected) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResolveCommandLineTest,
    ::testing::Values(
        Case{"\"C:\\Program Files\\App\\app.exe\" /min", "C:\\PROGRAM FILES\\APP\\APP.EXE"},
        Case{"rundll32.exe C:\\Windows\\System32\\shell32.dll,Control_RunDLL", "C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL"},
        Case{"%SystemRoot%\\system32\\rundll32.exe shell32.dll,Foo", "C:\\Windows\\SYSTEM32\\RUNDLL32.EXE"},
        Case{"start notepad.exe", "NOTEPAD.EXE"},
        Case{"C:\\X\\ICON.ICO,0", "C:\\X\\ICON.ICO"},
        Case{"@C:\\X\\Y.DLL,-101", "C:\\X\\Y.DLL"},
        Case{"C:\\X\\NODOT,1", "C:\\"},
        Case{"%ProgramFiles%\\Common\\A.EXE", "C:\\Program Files\\COMMON\\A.EXE"},
        Case{"%WINDIR%", "%WINDIR%"},
        Case{"   \t ", ""},
        Case{"C:\\X\\TOOL.COM /Q", "C:\\X\\TOOL.COM /Q"},
        Case{"D:\\A.EXE C:\\B.EXE", "D:\\A.EXE"},
        Case{"\x01 c:\\app.bat\r\n", "C:\\APP.BAT"},
        Case{"%CommonProgramFiles%\\S\\x.ocx", "C:\\Program Files\\Common Files\\S\\X.OCX"},
        Case{"%USERPROFILE%\\a.cmd arg", "C:\\Users\\Tester\\A.CMD"},
        Case{"%TEMP%\\a.exe", "%TEMP%\\A.EXE"}));

TEST(ResolveCommandLine, CountsCharactersNotBytes) {
  // Each é is two bytes: cutting by bytes would split a character or keep the wrong text.
  EXPECT_EQ(ResolveCommandLine(Folders(), "\xC3\xA9\xC3\xA9 C:\\\xC3\xA9t\xC3\xA9\\a.exe -x"),
            "C:\\\xC3\x89T\xC3\x89\\A.EXE");
  EXPECT_EQ(ResolveCommandLine(Folders(), "C:\\\xD0\xBF\xD1\x80\\\xD0\xB8\xD0\xBA\xD0\xBE\xD0\xBD.ico,3"),
            "C:\\\xD0\x9F\xD0\xA0\\\xD0\x98\xD0\x9A\xD0\x9E\xD0\x9D.ICO");
  EXPECT_EQ(ResolveCommandLine(Folders(), "\xE4\xB8\xAD,C:\\X\\A.DLL"), "C:\\X\\A.DLL");
}

TEST(ExpandFolderPlaceholders, OnlyWithTheBackslashAndKeepingTheFolderCase) {
  const FolderSet f = Folders();
  EXPECT_EQ(ExpandFolderPlaceholders(f, "%windir%\\a;%SystemRoot%\\b"), "C:\\Windows\\A;C:\\Windows\\B");
  EXPECT_EQ(ExpandFolderPlaceholders(f, "%ProgramFiles(x86)%\\App"), "C:\\Program Files\\APP");
  EXPECT_EQ(ExpandFolderPlaceholders(f, "%windir%x"), "%WINDIR%X");
  EXPECT_EQ(ExpandFolderPlaceholders(f, "%appdata%\\x"), "%APPDATA%\\X");
  EXPECT_EQ(ExpandFolderPlaceholders(f, "\xC3\xA9"), "\xC3\xA9") << "a to z only";
}

}  // namespace
}  // namespace qrv
