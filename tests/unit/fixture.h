#pragma once
#include "engine/folders.h"
#include "fake/fake_platform.h"

namespace qrv::testing {

// A fake Windows with the folders of a typical user account.
inline void SetUpUserFolders(fake::FakePlatform& p) {
  p.shellFolders = {
      {csidl::kAppData, "C:\\Users\\tester\\AppData\\Roaming"},
      {csidl::kLocalAppData, "C:\\Users\\tester\\AppData\\Local"},
      {csidl::kRecent, "C:\\Users\\tester\\Recent"},
      {csidl::kInternetCache, "C:\\Users\\tester\\Cache"},
      {csidl::kHistory, "C:\\Users\\tester\\History"},
      {csidl::kCookies, "C:\\Users\\tester\\Cookies"},
      {csidl::kProgramFiles, "C:\\Program Files"},
      {csidl::kProgramFilesCommon, "C:\\Program Files\\Common Files"},
      {csidl::kStartup, "C:\\Users\\tester\\Start Menu\\Programs\\Startup"},
      {csidl::kCommonStartup, "C:\\ProgramData\\Start Menu\\Programs\\Startup"},
  };
  p.files.AddFolder("C:\\Users\\tester\\AppData\\Roaming");
  p.files.AddFolder("C:\\Users\\tester\\AppData\\Local");
  p.files.AddFolder("C:\\Program Files\\Quorvane");
  // The scheduled-scan companion ships beside the program; the first start registers it.
  p.files.AddFile("C:\\Program Files\\Quorvane\\QRVSchedule.exe");
}

// Folders for the engine's own tests, without running start-up.
inline FolderSet EngineFolders(fake::FakePlatform& p) {
  FolderSet f;
  f.ProgramFolder = "C:\\Program Files\\Quorvane";
  f.WindowsFolder = "C:\\windows\\";
  f.RegistryEditor = "C:\\windows\\regedit.exe";
  f.ProgramFilesFolder = "C:\\Program Files\\";
  f.LogFolder = "C:\\Data\\Log";
  f.UndoFolder = "C:\\Data\\Undo";
  p.files.AddFolder(f.ProgramFolder);
  p.files.AddFolder(f.LogFolder);
  p.files.AddFolder(f.UndoFolder);
  return f;
}

}  // namespace qrv::testing
