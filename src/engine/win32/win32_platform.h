#pragma once
// The platform operations on the real Windows: the W functions, with texts
// converted between UTF-8 and UTF-16 at this boundary.
#include <memory>

#include "engine/platform.h"

namespace qrv {

// The registry through the W functions, in one view: the program's own
// (`view` 0) or, for a 64-bit program, the 32-bit one (KEY_WOW64_32KEY).
class Win32RegistryView : public RegistryView {
 public:
  explicit Win32RegistryView(unsigned long view) : view_(view) {}
  long RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) override;
  long RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) override;
  long RegCloseKey(RegHandle key) override;
  long RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) override;
  long RegEnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                    std::string* data) override;
  long RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) override;
  long RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) override;
  long RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) override;
  long RegDeleteValue(RegHandle key, const std::string& name) override;
  long RegQueryKeyRealPath(RegHandle key, RootKey& root, std::string& path) override;

 private:
  unsigned long view_;
};

class Win32Platform : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;
  long RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) override;
  long RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) override;
  long RegCloseKey(RegHandle key) override;
  long RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) override;
  long RegEnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                    std::string* data) override;
  long RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) override;
  long RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) override;
  long RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) override;
  long RegDeleteValue(RegHandle key, const std::string& name) override;
  long RegQueryKeyRealPath(RegHandle key, RootKey& root, std::string& path) override;
  RegistryView* ThirtyTwoBitView() override;

  std::vector<FileEntry> FindFiles(const std::string& folder) override;
  std::uint32_t GetFileAttributes(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
  bool CreateDirectory(const std::string& path) override;
  long DeleteFile(const std::string& path) override;
  bool MoveFileExDelayUntilReboot(const std::string& path) override;
  std::uint32_t GetDriveType(const std::string& rootPath) override;
  bool ReadFile(const std::string& path, std::string& bytes) override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;

  double Now() override;
  void Sleep(std::uint32_t milliseconds) override;
  std::string ShortDate(double dateTime) override;
  bool WaitForRegistryChange(RootKey root, const std::string& path, std::uint32_t milliseconds) override;
  bool CreateProcessAndWait(const std::string& program, const std::string& commandLine) override;
  bool ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                    int show) override;
  std::string GetWindowsDirectory() override;
  std::string SHGetFolderPath(int csidl) override;
  std::string GetUserName() override;
  std::optional<std::string> GetEnvironmentVariable(const std::string& name) override;
  std::uint32_t GetVersionMajor() override;
  bool IsWow64() override;
  bool Is64BitWindows() override { return sizeof(void*) == 8 || IsWow64(); }
  std::string GetModuleFileName() override;
  bool OpenMutex(const std::string& name) override;
  bool CreateMutex(const std::string& name) override;
  void MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) override;
  std::string ToAnsi(const std::string& text, bool* lossless) override;
  std::string FromAnsi(const std::string& bytes) override;
  std::optional<std::string> ReadShortcutTarget(const std::string& linkPath) override;
  std::optional<std::string> BrowseForFolder(const std::string& title, const std::string& initialFolder) override;
  std::vector<std::string> UrlHistory(const std::string& prefix) override;
  // Startup manager
  std::optional<StartupLinkInfo> LoadStartupLink(const std::string& linkFile) override;

  // Saving a file whole (Log/Undo)
  bool MoveFileExReplaceExisting(const std::string& from, const std::string& to) override;
  bool GetSaveFileName(const std::string& filter, const std::string& initialFolder, std::string& fileName) override;
  // Existence that a deletion relies on
  long GetFileAttributesAndError(const std::string& path, std::uint32_t& attributes) override;
  long ListFolder(const std::string& folder, std::vector<FileEntry>& entries) override;
  // Whether another program holds a file open
  long OpenFileExclusively(const std::string& path) override;

  // Deleting a listed file
  Deletion DeleteFileItself(const std::string& path, bool archiveOnly) override;
  // Keeping a removed file for recovery
  Deletion MoveFileItself(const std::string& path, const std::string& to) override;
  long MoveFileNoReplace(const std::string& from, const std::string& to) override;
  bool RemoveDirectory(const std::string& path) override;

 private:
  struct KeyWatch;  // the key and event of WaitForRegistryChange
  std::unique_ptr<KeyWatch> watch_;
  Win32RegistryView native_{0};
  Win32RegistryView thirtyTwoBit_{0x0200};  // KEY_WOW64_32KEY
};

}  // namespace qrv
