#pragma once
// The operations Quorvane needs from Windows, under their Windows names.
// All logic reaches Windows only through these interfaces, so it runs
// unchanged on the real system (engine/win32) and on the in-memory
// stand-in that the unit tests use (tests/fake).
//
// Texts are UTF-8; registry data is raw bytes as Windows stores them
// (strings as UTF-16LE with their terminating zero).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrv {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users };

// Win32 result codes the logic looks at.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorSharingViolation = 32;  // the file is in use
inline constexpr long kErrorNotSameDevice = 17;
inline constexpr long kErrorFileExists = 80;
inline constexpr long kErrorAlreadyExists = 183;
inline constexpr long kErrorBadPathname = 161;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;

// Registry value types.
namespace regtype {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kString = 1;
inline constexpr std::uint32_t kExpandString = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiString = 7;
inline constexpr std::uint32_t kQword = 11;
}  // namespace regtype

enum class RegAccess { Read, AllAccess };  // KEY_READ, KEY_ALL_ACCESS
using RegHandle = std::uintptr_t;          // 0 is no key

class RegistryView {
 public:
  virtual ~RegistryView() = default;
  // path: below the root, without a leading backslash.
  virtual long RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) = 0;
  // Opens with full access, creating the key and its parents if missing.
  virtual long RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) = 0;
  virtual long RegCloseKey(RegHandle key) = 0;
  virtual long RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) = 0;
  // With `type` and `data`, the value's type and bytes come with its name in
  // the same request (RegEnumValueW's lpType and lpData); null for the name alone.
  virtual long RegEnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                            std::string* data) = 0;
  virtual long RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) = 0;
  virtual long RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type,
                               std::string& data) = 0;
  virtual long RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type,
                             const std::string& data) = 0;
  virtual long RegDeleteValue(RegHandle key, const std::string& name) = 0;
  // Where the open key is stored, named as the native view names it: the path
  // a 64-bit program's registry editor reaches it by. A key that a 32-bit
  // program sees redirected answers with its node, for example
  // HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\Vendor; a key both views share
  // answers with its own path. kErrorSuccess with the root and the path below
  // it (no leading backslash), or an error when the system cannot tell.
  virtual long RegQueryKeyRealPath(RegHandle key, RootKey& root, std::string& path) = 0;
};

inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFF;
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kDriveFixed = 3;
// Clean Up tab: a junction, symbolic link or mount point (never walked
// through), and the longest path the ANSI-length functions address.
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;
inline constexpr std::size_t kMaxPath = 260;

struct FileEntry {
  std::string name;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  double lastWrite = 0;  // local date-time, days since 30 December 1899
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Every entry of folder + "\*.*" whatever its attributes ("." and ".." included
  // below a drive's root, as Windows lists them); empty if the folder cannot be listed.
  virtual std::vector<FileEntry> FindFiles(const std::string& folder) = 0;
  virtual std::uint32_t GetFileAttributes(const std::string& path) = 0;
  virtual bool SetFileAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;  // one level
  // 0 when the file is gone, else the Win32 error: kErrorFileNotFound (it was
  // not there), kErrorAccessDenied (read-only, a folder, or not permitted),
  // kErrorSharingViolation (in use), or another code.
  virtual long DeleteFile(const std::string& path) = 0;
  virtual bool MoveFileExDelayUntilReboot(const std::string& path) = 0;
  virtual std::uint32_t GetDriveType(const std::string& rootPath) = 0;
  // Whole-file reads and writes of raw bytes. WriteFile creates or replaces the
  // file and returns true only when every byte has reached the disk.
  virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
  virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;

  // Saving a file whole (the Log/Undo page's Save as).
  // Renames `from` to `to`, replacing a file of that name, and returns only
  // when the move is on the disk (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
  virtual bool MoveFileExReplaceExisting(const std::string& from, const std::string& to) = 0;

  // --- Deleting a listed file: the file at that path itself, never what a link leads to ---
  enum class Deletion {
    Deleted,
    NotFound,     // the system answered "not found" (file or path)
    NotThatFile,  // a folder, a link, or a file that cannot be told to be the one at that path
    InUse,        // it is that file, but open without shared deletion (sharing violation)
    Refused,      // any other answer: read-only, access denied, ...
  };
  // Opens the entry at `path` without following a link (CreateFileW with
  // FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, DELETE access),
  // makes sure through that handle that it is a plain file and that its final
  // path is `path`'s folder and name, and deletes it through the same handle
  // (its delete disposition), so that nothing can be put in its place between
  // the look and the deletion. Wine opens a Unix symbolic link to a file
  // through to its target whatever the flag, reports the link's own attributes
  // as a plain file's and deletes the target for a deletion by path; the final
  // path then names the target, and the link is left alone. With
  // `archiveOnly` the attributes become archive-only first (through the same
  // handle), and come back when the deletion fails.
  virtual Deletion DeleteFileItself(const std::string& path, bool archiveOnly) = 0;
  // --- end deleting a listed file ---

  // --- Keeping a removed file for recovery ---
  // Moves the listed file at `path` to `to` on the same drive, under the same
  // guarantees as DeleteFileItself: the entry is opened without following a
  // link, must be a plain file whose final path is `path`'s folder and name,
  // and is renamed through that handle (never copied, never replacing
  // anything at `to`). Deleted here means "moved away from `path`".
  virtual Deletion MoveFileItself(const std::string& path, const std::string& to) = 0;
  // Renames `from` to `to` on the same drive, never replacing an existing
  // file and never copying (MoveFileExW without flags): 0, or the Win32 error.
  virtual long MoveFileNoReplace(const std::string& from, const std::string& to) = 0;
  // Removes an empty folder (one level); false when it is not there or not empty.
  virtual bool RemoveDirectory(const std::string& path) = 0;
  // --- end keeping a removed file ---

  // --- Existence that a deletion relies on ---
  // GetFileAttributes and, when it fails, GetLastError: kErrorSuccess with the
  // attributes, or the error. Only kErrorFileNotFound and kErrorPathNotFound
  // say that nothing is there; access denied, a drive that is not ready and
  // every other error say only that the system could not tell.
  virtual long GetFileAttributesAndError(const std::string& path, std::uint32_t& attributes) = 0;
  // Every entry of folder + "\\*.*", as FindFiles lists them, and kErrorSuccess
  // only when the listing ran to its end (ERROR_NO_MORE_FILES); otherwise the
  // error that stopped it, with what was listed before it.
  virtual long ListFolder(const std::string& folder, std::vector<FileEntry>& entries) = 0;
  // --- end existence ---

  // --- Whether another program holds a file open (a browser's profile lock) ---
  // Opens the file at `path` for reading with no sharing at all and closes it
  // again at once: kErrorSuccess when nobody else had it open, or the Win32
  // error: kErrorSharingViolation when another program holds it open,
  // kErrorFileNotFound or kErrorPathNotFound when it is not there.
  virtual long OpenFileExclusively(const std::string& path) = 0;
};

inline constexpr long kErrorPathNotFound = 3;

inline constexpr std::uint32_t kMbIconError = 0x10;
// How ShellExecute shows what it opens (SW_*).
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowNoActivate = 4;
inline constexpr int kSwShowNa = 8;  // shown, not activated

// Shell folder numbers (CSIDL_*).
namespace csidl {
inline constexpr int kStartup = 7;
inline constexpr int kRecent = 8;
inline constexpr int kCommonStartup = 24;
inline constexpr int kAppData = 26;
inline constexpr int kLocalAppData = 28;
inline constexpr int kInternetCache = 32;
inline constexpr int kCookies = 33;
inline constexpr int kHistory = 34;
inline constexpr int kProgramFiles = 38;
inline constexpr int kProfile = 40;
inline constexpr int kProgramFilesCommon = 43;
}  // namespace csidl

// --- Startup manager: links of the Startup folders ---
// What a shortcut file holds as the shell-link object reads it: the raw
// target path (placeholders not expanded), its arguments and working folder.
struct StartupLinkInfo {
  std::string target;
  std::string arguments;
  std::string workingDirectory;
};
// --- end startup manager ---

class SystemServices {
 public:
  virtual ~SystemServices() = default;
  virtual double Now() = 0;  // local date-time, days since 30 December 1899
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // The date of a local date-time in the user's short date format.
  virtual std::string ShortDate(double dateTime) = 0;
  // RegNotifyChangeKeyValue on a key (path as for RegOpenKeyEx) for a value
  // set or deleted in it, and a wait of at most `milliseconds` (0 only arms
  // the watch) while the thread's window messages are dispatched. True when
  // the key changed. The watch stays armed from one call to the next on the
  // same key, so a change made between two calls ends the second at once.
  // A WM_QUIT ends the wait early; a key that does not open is a plain wait.
  virtual bool WaitForRegistryChange(RootKey root, const std::string& path, std::uint32_t milliseconds) = 0;
  // CreateProcess with a hidden window, then waits until the process ends.
  // The command line is program + arguments exactly as given. False if it could not start.
  virtual bool CreateProcessAndWait(const std::string& program, const std::string& commandLine) = 0;
  virtual bool ShellExecute(const std::string& verb, const std::string& file,
                            const std::string& parameters, int show) = 0;
  virtual std::string GetWindowsDirectory() = 0;
  virtual std::string SHGetFolderPath(int csidl) = 0;  // empty if the system has none
  virtual std::string GetUserName() = 0;
  virtual std::optional<std::string> GetEnvironmentVariable(const std::string& name) = 0;
  virtual std::uint32_t GetVersionMajor() = 0;  // GetVersionEx's major number, 0 if it fails
  // IsWow64Process for the program itself: a 32-bit program on 64-bit Windows,
  // which reads the registry's 32-bit view and the redirected system folder.
  virtual bool IsWow64() = 0;
  // Whether Windows itself is 64-bit (a 64-bit program, or a 32-bit one under WOW64).
  virtual bool Is64BitWindows() = 0;
  virtual std::string GetModuleFileName() = 0;  // the program's own path
  virtual bool OpenMutex(const std::string& name) = 0;
  virtual bool CreateMutex(const std::string& name) = 0;
  virtual void MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) = 0;
  // The system code page (ANSI) of this machine. lossless says whether every
  // character had an exact counterpart.
  virtual std::string ToAnsi(const std::string& text, bool* lossless) = 0;
  virtual std::string FromAnsi(const std::string& bytes) = 0;

  // ---- Clean Up tab: shortcuts, the folder picker, the URL history ----
  // The target a shortcut file stores, unexpanded (IShellLinkW::GetPath with
  // SLGP_RAWPATH, through the one shell-link object of the run): empty when it
  // stores only an item list (Control Panel, Computer); nothing when the file
  // cannot be loaded as a shortcut.
  virtual std::optional<std::string> ReadShortcutTarget(const std::string& linkPath) = 0;
  // The system folder picker titled `title`, `initialFolder` preselected: the
  // chosen folder's file-system path, nothing when the user cancels or the
  // choice has no path.
  virtual std::optional<std::string> BrowseForFolder(const std::string& title, const std::string& initialFolder) = 0;
  // The addresses of the URL history store that begin with `prefix`, in its
  // order; none when the store is not there (Wine answers E_NOTIMPL).
  virtual std::vector<std::string> UrlHistory(const std::string& prefix) = 0;
  // --- Startup manager ---
  // Loads a shortcut file read-only through the shell-link object; nothing
  // when it is not a link that loads.
  virtual std::optional<StartupLinkInfo> LoadStartupLink(const std::string& linkFile) = 0;
  // --- end startup manager ---
  // The system's save dialog (the Log/Undo page's Save as). The filter is
  // "Caption|mask|Caption|mask"; the dialog starts in `initialFolder` and asks
  // nothing when the chosen file exists. False when the user cancels.
  virtual bool GetSaveFileName(const std::string& filter, const std::string& initialFolder,
                               std::string& fileName) = 0;
};

// Everything at once; the logic takes the part it needs. The registry
// operations of Platform itself work in the program's own view.
class Platform : public RegistryView, public FileSystem, public SystemServices {
 public:
  // For a 64-bit program on 64-bit Windows, the registry's 32-bit view (its
  // keys opened with KEY_WOW64_32KEY), which 32-bit programs read and write;
  // nothing for any other program, whose own view is the only one it scans.
  virtual RegistryView* ThirtyTwoBitView() { return nullptr; }
};

}  // namespace qrv
