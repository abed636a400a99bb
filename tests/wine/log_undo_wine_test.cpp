// What the Log/Undo page relies on under Wine: a file replaced whole, and the
// shell's "open" verb on a registry script reaching the registry editor.
#include <gtest/gtest.h>

#include "wine/wine_env.h"
#include <tlhelp32.h>

#include "engine/text.h"

namespace qrv::wine {
namespace {

TEST(LogUndoWineTest, MoveReplacesTheTargetWhole) {
  Win32Platform p;
  const std::string folder = TestFolders(p).LogFolder + "\\Save";
  ForceDirectories(p, folder);
  const std::string target = folder + "\\saved.log", temporary = target + ".~tmp";
  ASSERT_TRUE(p.WriteFile(target, "old"));
  ASSERT_TRUE(p.WriteFile(temporary, "new contents"));
  ASSERT_TRUE(p.MoveFileExReplaceExisting(temporary, target));
  std::string bytes;
  ASSERT_TRUE(p.ReadFile(target, bytes));
  EXPECT_EQ(bytes, "new contents");
  EXPECT_FALSE(FileExists(p, temporary));
  EXPECT_FALSE(p.MoveFileExReplaceExisting(folder + "\\missing", target));
  ASSERT_TRUE(p.ReadFile(target, bytes));
  EXPECT_EQ(bytes, "new contents");
  p.DeleteFile(target);
}

// The image name of a running process, or empty.
std::string ProcessImage(DWORD id) {
  std::string name;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return name;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID == id) name = win32::Narrow(entry.szExeFile);
  ::CloseHandle(snapshot);
  return name;
}

// Starts the program for the file (verb "open") and gives the started process's image name.
bool OpenAndName(const std::wstring& file, const std::wstring& parameters, std::string& image) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info) || info.hProcess == nullptr) return false;
  image = UpperCaseText(ProcessImage(::GetProcessId(info.hProcess)));
  // The editor asks before it imports; nothing is written while it waits.
  ::TerminateProcess(info.hProcess, 0);
  ::WaitForSingleObject(info.hProcess, 10000);
  ::CloseHandle(info.hProcess);
  return true;
}

// Undo opens the file; where the shell has no association for registry
// scripts (a fresh Wine prefix), it opens the registry editor with the file.
TEST(LogUndoWineTest, OpeningAnUndoFileStartsTheRegistryEditorsImport) {
  Win32Platform p;
  const std::string file = TestFolders(p).UndoFolder + "\\Undo open.reg";
  ASSERT_TRUE(p.WriteFile(file, "\xFF\xFE" + Utf16LeBytes("Windows Registry Editor Version 5.00\r\n\r\n"
                                                           "[HKEY_CURRENT_USER\\Software\\QuorvaneWineTest\\Open]\r\n"
                                                           "\"v\"=\"1\"\r\n")));
  std::string image;
  if (!OpenAndName(win32::Wide(file), L"", image)) {
    ASSERT_TRUE(OpenAndName(win32::Wide(p.GetWindowsDirectory() + "\\regedit.exe"), win32::Wide("\"" + file + "\""),
                            image));
  }
  // (Without a screen the editor may have ended already and is no longer listed.)
  if (!image.empty()) {
    EXPECT_NE(image.find("REGEDIT"), std::string::npos) << image;
  }
  p.DeleteFile(file);
  DeleteTree(HKEY_CURRENT_USER, L"Software\\QuorvaneWineTest\\Open");
}

}  // namespace
}  // namespace qrv::wine
