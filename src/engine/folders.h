#pragma once
// The folders and files found once at start-up. Folder texts end with a
// backslash, except ProgramFolder, LogFolder, UndoFolder and FirefoxProfileFolder.
#include <cstdint>
#include <string>

namespace qrv {

struct FolderSet {
  std::string UserName;
  std::string ProgramFolder;
  std::string WindowsFolder;
  std::string LocalSettingsFolder;
  // The local (not roaming) application data folder, where today's browsers
  // keep their profiles' caches; empty when the system names none.
  std::string LocalAppDataFolder;
  std::string RecentFolder;
  std::string InternetCacheFolder;
  std::string HistoryFolder;
  std::string CookiesFolder;
  std::string AppDataFolder;
  std::string UserProfileFolder;
  std::string ProgramFilesFolder;
  std::string CommonFilesFolder;
  std::string UserStartupFolder;
  std::string CommonStartupFolder;
  std::string LogFolder;
  std::string UndoFolder;
  std::string FirefoxProfileFolder;
  int FirefoxGeneration = 2;
  std::string FirefoxCookiesFile;
  std::string FirefoxFormHistoryFile;
  std::string FirefoxCacheFolder;
  std::string TmpFolder;
  std::string TempFolder;
  std::uint32_t WindowsMajorVersion = 0;
  // The registry editor of the program's own registry view: on 64-bit
  // Windows a 32-bit program reads the 32-bit view, so it imports and exports
  // with the 32-bit editor; everywhere else it is the Windows folder's.
  std::string RegistryEditor;
  // On 64-bit Windows, where this program reaches the other face of the
  // system folder: the native one ("Sysnative\") for a 32-bit program, whose
  // "System32" is the 32-bit folder, and "SysWOW64\" for a 64-bit program.
  // Empty on 32-bit Windows.
  std::string OtherSystemFolder;
  // On 64-bit Windows, the Program Files and Common Files folders of the
  // other kind of program, ending with a backslash: the native ones for a
  // 32-bit program, the 32-bit ones for a 64-bit program ("%ProgramFiles%" of
  // a shortcut names the folder of whoever expands it). Empty on 32-bit
  // Windows.
  std::string OtherProgramFilesFolder;
  std::string OtherCommonFilesFolder;
};

}  // namespace qrv
