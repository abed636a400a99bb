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
};

}  // namespace qrv
