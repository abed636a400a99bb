#include "engine/win32/windows_support.h"

#include <urlhist.h>

#include "engine/win32/win32_platform.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "engine/backup.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "engine/win32/shell_link.h"

namespace qrv {
namespace {

using win32::Narrow;
using win32::Wide;

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser: return HKEY_CURRENT_USER;
    case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RootKey::Users: return HKEY_USERS;
  }
  return HKEY_CURRENT_USER;
}

// Windows refuses a key path with a leading backslash (ERROR_BAD_PATHNAME).
std::wstring KeyPath(const std::string& path) {
  return Wide(!path.empty() && path.front() == '\\' ? path.substr(1) : path);
}

HKEY Hkey(RegHandle key) { return reinterpret_cast<HKEY>(key); }

constexpr double kDaysFrom1601To1899 = 109205.0;

double ToDateTime(const FILETIME& local) {
  ULARGE_INTEGER ticks;
  ticks.LowPart = local.dwLowDateTime;
  ticks.HighPart = local.dwHighDateTime;
  return static_cast<double>(ticks.QuadPart) / 864000000000.0 - kDaysFrom1601To1899;
}

using win32::ComPtr;
using win32::TaskMemory;
using Handle = win32::UniqueHandle;

}  // namespace

// ---- Registry -------------------------------------------------------------

long Win32RegistryView::RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) {
  HKEY h = nullptr;
  const LONG rc = ::RegOpenKeyExW(RootHandle(root), KeyPath(path).c_str(), 0,
                                  (access == RegAccess::Read ? KEY_READ : KEY_ALL_ACCESS) | view_, &h);
  key = rc == ERROR_SUCCESS ? reinterpret_cast<RegHandle>(h) : 0;
  return rc;
}

long Win32RegistryView::RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) {
  HKEY h = nullptr;
  const LONG rc = ::RegCreateKeyExW(RootHandle(root), KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS | view_, nullptr, &h, nullptr);
  key = rc == ERROR_SUCCESS ? reinterpret_cast<RegHandle>(h) : 0;
  return rc;
}

long Win32RegistryView::RegCloseKey(RegHandle key) { return ::RegCloseKey(Hkey(key)); }

long Win32RegistryView::RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) {
  wchar_t buffer[256];
  DWORD length = 256;
  const LONG rc = ::RegEnumKeyExW(Hkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) name = Narrow(std::wstring_view(buffer, length));
  return rc;
}

namespace {

// Each call of the registry is a request to the system: the data is asked for
// into a buffer that holds most values, so one request is the rule, and again
// into one of the size the system gave when it did not fit (the value may
// have grown in between: then once more).
constexpr DWORD kFirstDataSize = 1024;

template <typename Call>
LONG CallWithData(std::string& bytes, Call call) {
  bytes.assign(kFirstDataSize, '\0');
  DWORD size = kFirstDataSize;
  LONG rc = call(reinterpret_cast<BYTE*>(bytes.data()), &size);
  for (int tries = 0; rc == ERROR_MORE_DATA && tries < 4; ++tries) {
    bytes.assign(size, '\0');
    rc = call(reinterpret_cast<BYTE*>(bytes.data()), &size);
  }
  if (rc == ERROR_SUCCESS) bytes.resize(size);
  return rc;
}

}  // namespace

long Win32RegistryView::RegEnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                                     std::string* data) {
  // 16,383 characters is the longest value name: ERROR_MORE_DATA can only be the data's.
  std::wstring buffer(16384, L'\0');
  DWORD length = 0;
  DWORD t = 0;
  std::string bytes;
  const auto enumerate = [&](BYTE* to, DWORD* bytesSize) {
    length = static_cast<DWORD>(buffer.size());
    return ::RegEnumValueW(Hkey(key), index, buffer.data(), &length, nullptr, &t, to, bytesSize);
  };
  const LONG rc = data == nullptr ? enumerate(nullptr, nullptr) : CallWithData(bytes, enumerate);
  if (rc != ERROR_SUCCESS) return rc;
  name = Narrow(std::wstring_view(buffer.data(), length));
  if (type != nullptr) *type = t;
  if (data != nullptr) *data = std::move(bytes);
  return rc;
}

long Win32RegistryView::RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) {
  DWORD s = 0, v = 0;
  const LONG rc = ::RegQueryInfoKeyW(Hkey(key), nullptr, nullptr, nullptr, &s, nullptr, nullptr, &v, nullptr,
                                     nullptr, nullptr, nullptr);
  subkeys = s;
  values = v;
  return rc;
}

long Win32RegistryView::RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) {
  const std::wstring wname = Wide(name);
  DWORD t = 0;
  std::string bytes;
  const LONG rc = CallWithData(bytes, [&](BYTE* to, DWORD* bytesSize) {
    return ::RegQueryValueExW(Hkey(key), wname.c_str(), nullptr, &t, to, bytesSize);
  });
  if (rc != ERROR_SUCCESS) return rc;
  type = t;
  data = std::move(bytes);
  return rc;
}

long Win32RegistryView::RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) {
  return ::RegSetValueExW(Hkey(key), Wide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
}

long Win32RegistryView::RegDeleteValue(RegHandle key, const std::string& name) {
  return ::RegDeleteValueW(Hkey(key), Wide(name).c_str());
}

namespace {

// KeyNameInformation of NtQueryKey: the key's name in the kernel's namespace.
struct KeyNameInformation {
  ULONG NameLength;
  WCHAR Name[1];
};
using NtQueryKeyFunction = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
constexpr int kKeyNameInformation = 3;

// The kernel's name of an open key ("\REGISTRY\MACHINE\SOFTWARE\..."); empty when
// the system cannot tell.
std::string KernelName(HKEY key) {
  static const auto query = reinterpret_cast<NtQueryKeyFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
  if (query == nullptr) return {};
  std::vector<unsigned char> buffer(4096);
  ULONG needed = 0;
  LONG status = query(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
  if (status != 0 && needed > buffer.size() && needed < 0x100000) {
    buffer.resize(needed);
    status = query(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
  }
  if (status != 0) return {};
  KeyNameInformation info{};
  std::memcpy(&info.NameLength, buffer.data(), sizeof info.NameLength);
  const std::size_t chars = info.NameLength / sizeof(WCHAR);
  if (offsetof(KeyNameInformation, Name) + chars * sizeof(WCHAR) > buffer.size()) return {};
  std::wstring name(chars, L'\0');
  std::memcpy(name.data(), buffer.data() + offsetof(KeyNameInformation, Name), chars * sizeof(WCHAR));
  return Narrow(name);
}

// The kernel's name of HKEY_CURRENT_USER, the same for the whole run: asked once.
const std::string& CurrentUserKernelName() {
  static const std::string name = [] {
    HKEY user = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"", 0, KEY_READ, &user) != ERROR_SUCCESS) return std::string();
    std::string kernel = KernelName(user);
    ::RegCloseKey(user);
    return kernel;
  }();
  return name;
}

}  // namespace

long Win32RegistryView::RegQueryKeyRealPath(RegHandle key, RootKey& root, std::string& path) {
  const auto real = RealPathFromKernelName(KernelName(Hkey(key)), CurrentUserKernelName());
  if (!real) return ERROR_INVALID_HANDLE;
  root = real->root;
  path = real->path;
  return ERROR_SUCCESS;
}

// The program's own view answers for the platform.
long Win32Platform::RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) {
  return native_.RegOpenKeyEx(root, path, access, key);
}
long Win32Platform::RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) {
  return native_.RegCreateKeyEx(root, path, key);
}
long Win32Platform::RegCloseKey(RegHandle key) { return native_.RegCloseKey(key); }
long Win32Platform::RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) {
  return native_.RegEnumKeyEx(key, index, name);
}
long Win32Platform::RegEnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                                 std::string* data) {
  return native_.RegEnumValue(key, index, name, type, data);
}
long Win32Platform::RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) {
  return native_.RegQueryInfoKey(key, subkeys, values);
}
long Win32Platform::RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) {
  return native_.RegQueryValueEx(key, name, type, data);
}
long Win32Platform::RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) {
  return native_.RegSetValueEx(key, name, type, data);
}
long Win32Platform::RegDeleteValue(RegHandle key, const std::string& name) { return native_.RegDeleteValue(key, name); }
long Win32Platform::RegQueryKeyRealPath(RegHandle key, RootKey& root, std::string& path) {
  return native_.RegQueryKeyRealPath(key, root, path);
}

RegistryView* Win32Platform::ThirtyTwoBitView() {
  // Only a 64-bit program has a second view to read; a 32-bit one sees its own.
  return sizeof(void*) == 8 ? &thirtyTwoBit_ : nullptr;
}

// ---- File system ----------------------------------------------------------

std::vector<FileEntry> Win32Platform::FindFiles(const std::string& folder) {
  std::vector<FileEntry> list;
  ListFolder(folder, list);
  return list;
}

long Win32Platform::ListFolder(const std::string& folder, std::vector<FileEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW data;
  const win32::FindHandle find(::FindFirstFileW(Wide(WithTrailingBackslash(folder) + "*.*").c_str(), &data));
  if (!find.Valid()) return static_cast<long>(::GetLastError());
  DWORD error = ERROR_SUCCESS;
  for (;;) {
    FILETIME local;
    ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    entries.push_back({Narrow(data.cFileName), data.dwFileAttributes,
                       (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, ToDateTime(local)});
    if (!::FindNextFileW(find.Get(), &data)) {
      error = ::GetLastError();
      break;
    }
  }
  return error == ERROR_NO_MORE_FILES ? kErrorSuccess : static_cast<long>(error);
}

std::uint32_t Win32Platform::GetFileAttributes(const std::string& path) {
  return ::GetFileAttributesW(Wide(path).c_str());
}

bool Win32Platform::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  return ::SetFileAttributesW(Wide(path).c_str(), attributes) != 0;
}

bool Win32Platform::CreateDirectory(const std::string& path) {
  return ::CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

long Win32Platform::DeleteFile(const std::string& path) {
  return ::DeleteFileW(Wide(path).c_str()) ? kErrorSuccess : static_cast<long>(::GetLastError());
}

bool Win32Platform::MoveFileExDelayUntilReboot(const std::string& path) {
  return ::MoveFileExW(Wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

std::uint32_t Win32Platform::GetDriveType(const std::string& rootPath) {
  return ::GetDriveTypeW(Wide(rootPath).c_str());
}

bool Win32Platform::ReadFile(const std::string& path, std::string& bytes) {
  Handle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  std::string buffer(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD done = 0;
  std::size_t total = 0;
  while (total < buffer.size()) {
    if (!::ReadFile(file.Get(), buffer.data() + total, static_cast<DWORD>(buffer.size() - total), &done, nullptr))
      return false;
    if (done == 0) break;
    total += done;
  }
  buffer.resize(total);
  bytes = std::move(buffer);
  return true;
}

bool Win32Platform::WriteFile(const std::string& path, const std::string& bytes) {
  Handle file(::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
  if (!file.Valid()) return false;
  std::size_t total = 0;
  while (total < bytes.size()) {
    DWORD done = 0;
    if (!::WriteFile(file.Get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &done, nullptr) ||
        done == 0)
      return false;
    total += done;
  }
  // The file must be on the disk before anything relies on it.
  return ::FlushFileBuffers(file.Get()) && file.Close();
}

// ---- Processes, shell and system ------------------------------------------

double Win32Platform::Now() {
  SYSTEMTIME local;
  ::GetLocalTime(&local);
  FILETIME ft;
  ::SystemTimeToFileTime(&local, &ft);
  return ToDateTime(ft);
}

void Win32Platform::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::string Win32Platform::ShortDate(double dateTime) {
  const Date day = DecodeDate(dateTime);
  SYSTEMTIME date{};
  date.wYear = static_cast<WORD>(day.year);
  date.wMonth = static_cast<WORD>(day.month);
  date.wDay = static_cast<WORD>(day.day);
  // Day 0 (30 December 1899) was a Saturday.
  const auto whole = static_cast<long long>(std::floor(dateTime));
  date.wDayOfWeek = static_cast<WORD>(((whole % 7) + 13) % 7);
  wchar_t text[80];
  const int n = ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, 80);
  return n > 1 ? Narrow(std::wstring(text, static_cast<std::size_t>(n - 1))) : std::string();
}

// The key watched by WaitForRegistryChange, armed until the next call.
struct Win32Platform::KeyWatch {
  KeyWatch(RootKey r, const std::string& p) : root(r), path(p), event(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(RootHandle(root), KeyPath(path).c_str(), 0, KEY_NOTIFY, &opened) == ERROR_SUCCESS)
      key.Reset(opened);
    Arm();
  }
  // The event is signalled at the next value set or deleted in the key.
  void Arm() {
    armed = key && event &&
            ::RegNotifyChangeKeyValue(key.Get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, event.Get(), TRUE) == ERROR_SUCCESS;
  }
  RootKey root;
  std::string path;
  win32::UniqueKey key;
  Handle event;
  bool armed = false;
};

Win32Platform::Win32Platform() = default;
Win32Platform::~Win32Platform() = default;

bool Win32Platform::WaitForRegistryChange(RootKey root, const std::string& path, std::uint32_t milliseconds) {
  if (!watch_ || watch_->root != root || watch_->path != path) watch_ = std::make_unique<KeyWatch>(root, path);
  KeyWatch& watch = *watch_;
  HANDLE event = watch.event.Get();
  const DWORD handles = watch.armed ? 1 : 0;
  const DWORD start = ::GetTickCount();
  bool changed = false;
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - start;
    const DWORD left = elapsed >= milliseconds ? 0 : milliseconds - elapsed;
    const DWORD rc = ::MsgWaitForMultipleObjects(handles, &event, FALSE, left, QS_ALLINPUT);
    if (handles && rc == WAIT_OBJECT_0) {
      changed = true;
      break;
    }
    if (rc != WAIT_OBJECT_0 + handles) break;  // the time is up, or the wait failed
    bool quit = false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        break;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (quit || left == 0) break;
  }
  if (changed) watch.Arm();
  return changed;
}

bool Win32Platform::CreateProcessAndWait(const std::string& program, const std::string& commandLine) {
  std::wstring line = Wide(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(Wide(program).c_str(), line.data(), nullptr, nullptr, FALSE,
                        HIGH_PRIORITY_CLASS | DETACHED_PROCESS, nullptr, nullptr, &startup, &process))
    return false;
  const Handle thread(process.hThread);
  const Handle child(process.hProcess);
  ::WaitForSingleObject(child.Get(), INFINITE);
  return true;
}

bool Win32Platform::ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                                 int show) {
  const auto rc = reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, Wide(verb).c_str(), Wide(file).c_str(),
                                                            parameters.empty() ? nullptr : Wide(parameters).c_str(),
                                                            nullptr, show));
  return rc > 32;
}

std::string Win32Platform::GetWindowsDirectory() {
  wchar_t buffer[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  return length && length < MAX_PATH ? Narrow(std::wstring_view(buffer, length)) : std::string();
}

std::string Win32Platform::SHGetFolderPath(int csidl) {
  wchar_t buffer[MAX_PATH];
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer))) return {};
  return Narrow(buffer);
}

std::string Win32Platform::GetUserName() {
  wchar_t buffer[260];
  DWORD length = 259;
  if (!::GetUserNameW(buffer, &length) || length == 0) return {};
  return Narrow(std::wstring_view(buffer, length - 1));  // the length counts the terminating zero
}

std::optional<std::string> Win32Platform::GetEnvironmentVariable(const std::string& name) {
  const std::wstring wname = Wide(name);
  const DWORD size = ::GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring buffer(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(wname.c_str(), buffer.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  return Narrow(std::wstring_view(buffer.data(), length));
}

bool Win32Platform::IsWow64() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

std::uint32_t Win32Platform::GetVersionMajor() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(&info)) return 0;
#pragma GCC diagnostic pop
  return info.dwMajorVersion;
}

std::string Win32Platform::GetModuleFileName() {
  std::wstring buffer(32768, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return Narrow(std::wstring_view(buffer.data(), length));
}

bool Win32Platform::OpenMutex(const std::string& name) {
  const Handle mutex(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, Wide(name).c_str()));
  // A mutex that an elevated program holds exists all the same for a program
  // that may not open it (the scheduled companion runs without elevation).
  return mutex.Valid() || ::GetLastError() == ERROR_ACCESS_DENIED;
}

bool Win32Platform::CreateMutex(const std::string& name) {
  // Kept open on purpose: the mutex lives until the process ends.
  return ::CreateMutexW(nullptr, FALSE, Wide(name).c_str()) != nullptr;
}

void Win32Platform::MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) {
  ::MessageBoxW(::GetActiveWindow(), Wide(text).c_str(), Wide(caption).c_str(), flags);
}

std::string Win32Platform::ToAnsi(const std::string& text, bool* lossless) {
  const std::wstring wide = Wide(text);
  if (wide.empty()) {
    if (lossless) *lossless = true;
    return {};
  }
  const int n = static_cast<int>(wide.size());
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), n, bytes.data(), size, nullptr, nullptr);
  // Exact only when the bytes read back to the very same text (no best-fit letters, no '?').
  if (lossless) *lossless = FromAnsi(bytes) == text;
  return bytes;
}

std::string Win32Platform::FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int n = static_cast<int>(bytes.size());
  const int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, wide.data(), size);
  return Narrow(wide);
}

// ---- Clean Up tab: shortcuts, the folder picker, the URL history ----------

namespace {

// The one shell-link object that reads the shortcuts, made on first use and
// kept for the run, with the component system it needs.
win32::ShellLink& TheShortcutReader() {
  static struct Reader {
    win32::ComSession com;
    win32::ShellLink link;
  } reader;
  return reader.link;
}

int CALLBACK SelectInitialFolder(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message != BFFM_INITIALIZED || data == 0) return 0;
  IShellFolder* made = nullptr;
  if (FAILED(::SHGetDesktopFolder(&made))) return 0;
  const ComPtr<IShellFolder> desktop(made);
  std::wstring path = Wide(*reinterpret_cast<const std::string*>(data));
  LPITEMIDLIST item = nullptr;
  if (SUCCEEDED(desktop->ParseDisplayName(window, nullptr, path.data(), nullptr, &item, nullptr))) {
    const TaskMemory<ITEMIDLIST> owned(item);
    ::SendMessageW(window, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(owned.Get()));
  }
  return 0;
}

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE} and {AFA0DC11-C313-11D0-831A-00C04FD5AE38}
const CLSID kUrlHistoryClass = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
const IID kUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

}  // namespace

std::optional<std::string> Win32Platform::ReadShortcutTarget(const std::string& linkPath) {
  win32::ShellLink& reader = TheShortcutReader();
  if (!reader.Load(linkPath)) return std::nullopt;
  return reader.RawTarget();
}

std::optional<std::string> Win32Platform::BrowseForFolder(const std::string& title, const std::string& initialFolder) {
  const win32::ComSession com;
  const std::wstring caption = Wide(title);
  BROWSEINFOW info = {};
  info.hwndOwner = ::GetActiveWindow();
  info.lpszTitle = caption.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = SelectInitialFolder;
  info.lParam = reinterpret_cast<LPARAM>(&initialFolder);
  std::optional<std::string> chosen;
  if (const TaskMemory<ITEMIDLIST> item(::SHBrowseForFolderW(&info)); item) {
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(item.Get(), path)) chosen = Narrow(path);
  }
  return chosen;
}

std::vector<std::string> Win32Platform::UrlHistory(const std::string& prefix) {
  std::vector<std::string> urls;
  const win32::ComSession com;
  const ComPtr<IUrlHistoryStg2> store = win32::CreateComObject<IUrlHistoryStg2>(kUrlHistoryClass, kUrlHistoryStg2);
  IEnumSTATURL* listed = nullptr;
  if (!store || FAILED(store->EnumUrls(&listed)) || listed == nullptr) return urls;
  const ComPtr<IEnumSTATURL> entries(listed);
  entries->SetFilter(Wide(prefix).c_str(), 0);
  STATURL entry = {};
  entry.cbSize = sizeof entry;
  ULONG fetched = 0;
  while (entries->Next(1, &entry, &fetched) == S_OK && fetched == 1) {
    const TaskMemory<wchar_t> url(entry.pwcsUrl);
    const TaskMemory<wchar_t> title(entry.pwcsTitle);
    if (url) urls.push_back(Narrow(url.Get()));
    entry = {};
    entry.cbSize = sizeof entry;
  }
  return urls;
}

// Startup manager: a link loaded read-only through the shell-link object.
std::optional<StartupLinkInfo> Win32Platform::LoadStartupLink(const std::string& linkFile) {
  // COM may already be set up on this thread (then this only counts up).
  const win32::ComSession com;
  win32::ShellLink link;
  if (!link.Load(linkFile)) return std::nullopt;
  StartupLinkInfo info;
  info.target = link.RawTarget();
  info.arguments = link.Arguments();
  info.workingDirectory = link.WorkingFolder();
  return info;
}

// ---- Saving a file whole (Log/Undo) ----------------------------------------

bool Win32Platform::MoveFileExReplaceExisting(const std::string& from, const std::string& to) {
  return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32Platform::GetSaveFileName(const std::string& filter, const std::string& initialFolder,
                                    std::string& fileName) {
  // "A|*.a|B|*.*" becomes the pairs of zero-ended texts the dialog takes.
  std::wstring pairs = Wide(filter);
  for (wchar_t& c : pairs)
    if (c == L'|') c = L'\0';
  pairs.append(2, L'\0');
  const std::wstring folder = Wide(initialFolder);
  std::wstring buffer(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ::GetActiveWindow();
  dialog.lpstrFilter = pairs.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  // The common dialogs are loaded only when asked for: the console program
  // shares this layer and must not need the window libraries to start.
  const win32::LibraryHandle dialogs(::LoadLibraryW(L"comdlg32.dll"));
  if (!dialogs) return false;
  using SaveDialog = BOOL(WINAPI*)(LPOPENFILENAMEW);
  const auto save = reinterpret_cast<SaveDialog>(
      reinterpret_cast<void (*)()>(::GetProcAddress(dialogs.Get(), "GetSaveFileNameW")));
  if (save == nullptr || !save(&dialog)) return false;
  fileName = Narrow(buffer.c_str());
  return !fileName.empty();
}

// ---- Deleting a listed file ------------------------------------------------

namespace {

// The native calls that act on an open handle, in ntdll since the first NT
// (SetFileInformationByHandle came only with Vista).
struct IoStatus {  // IO_STATUS_BLOCK
  void* status;
  ULONG_PTR information;
};
struct BasicInformation {  // FILE_BASIC_INFORMATION: zero times stay as they are
  LARGE_INTEGER creation, lastAccess, lastWrite, change;
  ULONG attributes;
};
struct DispositionInformation {  // FILE_DISPOSITION_INFORMATION
  BOOLEAN deleteFile;
};
constexpr ULONG kFileBasicInformation = 4;
constexpr ULONG kFileDispositionInformation = 13;
constexpr ULONG kFileRenameInformation = 10;
struct RenameInformation {  // FILE_RENAME_INFORMATION
  BOOLEAN replaceIfExists;
  HANDLE rootDirectory;
  ULONG fileNameLength;  // in bytes
  WCHAR fileName[1];
};

class HandleCalls {
 public:
  HandleCalls() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    setInformation_ = Function<SetInformation>(ntdll, "NtSetInformationFile");
    toDosError_ = Function<ToDosError>(ntdll, "RtlNtStatusToDosError");
    finalPath_ = Function<FinalPath>(kernel, "GetFinalPathNameByHandleW");
  }

  // 0 or the Win32 error of the native call.
  DWORD SetAttributes(HANDLE file, DWORD attributes) const {
    BasicInformation basic{};
    basic.attributes = attributes;
    return Set(file, &basic, sizeof basic, kFileBasicInformation);
  }
  DWORD MarkForDeletion(HANDLE file) const {
    DispositionInformation disposition{TRUE};
    return Set(file, &disposition, sizeof disposition, kFileDispositionInformation);
  }
  // Renames the file of the handle to the full path `to` (never replacing,
  // never across volumes: the file system refuses that with "not same device").
  DWORD Rename(HANDLE file, const std::wstring& to) const {
    const std::wstring target = L"\\??\\" + to;
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(offsetof(RenameInformation, fileName) + nameBytes + sizeof(wchar_t), 0);
    auto* info = reinterpret_cast<RenameInformation*>(buffer.data());
    info->replaceIfExists = FALSE;
    info->rootDirectory = nullptr;
    info->fileNameLength = static_cast<ULONG>(nameBytes);
    std::memcpy(info->fileName, target.data(), nameBytes);
    return Set(file, info, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
  }

  bool KnowsFinalPaths() const { return finalPath_ != nullptr; }
  // The path the system reached through the handle, upper-cased: "\\?\C:\..." for
  // a drive; empty when it cannot say.
  std::wstring UpperFinalPath(HANDLE handle) const {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int round = 0; round < 2; ++round) {
      // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS (both 0)
      const DWORD n = finalPath_(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
      if (n == 0) return {};
      if (n < buffer.size()) {
        buffer.resize(n);
        ::CharUpperBuffW(buffer.data(), n);
        return buffer;
      }
      buffer.assign(n + 1, L'\0');
    }
    return {};
  }

 private:
  using SetInformation = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, ULONG);
  using ToDosError = ULONG(NTAPI*)(LONG);
  using FinalPath = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
  template <typename F>
  static F Function(HMODULE module, const char* name) {
    return module == nullptr ? nullptr : reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
  }
  DWORD Set(HANDLE file, void* data, ULONG size, ULONG kind) const {
    if (setInformation_ == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
    IoStatus io{};
    const LONG status = setInformation_(file, &io, data, size, kind);
    if (status >= 0) return 0;
    const DWORD error = toDosError_ != nullptr ? toDosError_(status) : ERROR_ACCESS_DENIED;
    return error == 0 ? ERROR_ACCESS_DENIED : error;
  }
  SetInformation setInformation_ = nullptr;
  ToDosError toDosError_ = nullptr;
  FinalPath finalPath_ = nullptr;
};

win32::UniqueHandle OpenEntry(const std::wstring& path, DWORD access) {
  // FILE_SHARE_DELETE: another program's handle does not stop the look.
  return win32::UniqueHandle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING,
                                           FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Whether the handle is a plain file reached as `path` itself: not a folder,
// not a link, and (where the system can say) at the final path of the
// folder's handle followed by the name, letter case aside. The folder may be
// reached through links (a root the user chose); the name may not.
bool IsThatPlainFile(const HandleCalls& calls, HANDLE file, const std::wstring& path, DWORD& attributes) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) return false;
  attributes = info.dwFileAttributes;
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) return false;
  // Before Vista there is no final path, and no link to a file either: the
  // handle is the entry itself, as Windows honours FILE_FLAG_OPEN_REPARSE_POINT.
  if (!calls.KnowsFinalPaths()) return true;
  const auto slash = path.rfind(L'\\');
  if (slash == std::wstring::npos || slash + 1 >= path.size()) return false;
  std::wstring folder = path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  std::wstring name = path.substr(slash + 1);
  ::CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  const win32::UniqueHandle parent(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!parent.Valid()) return false;
  std::wstring expected = calls.UpperFinalPath(parent.Get());
  const std::wstring reached = calls.UpperFinalPath(file);
  if (expected.empty() || reached.empty()) return false;
  if (expected.back() != L'\\') expected += L'\\';
  return reached == expected + name;
}

}  // namespace

namespace {

// Opens a listed entry for a change made through the handle: no outcome when
// it is open and is the plain file at that very path, else why not.
std::optional<FileSystem::Deletion> OpenThatFile(const HandleCalls& calls, const std::wstring& wide, DWORD access,
                                                 win32::UniqueHandle& file, DWORD& attributes) {
  using Deletion = FileSystem::Deletion;
  file = OpenEntry(wide, access);
  if (!file.Valid()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Deletion::NotFound;
    if (error != ERROR_SHARING_VIOLATION) return Deletion::Refused;
    // Open elsewhere without shared deletion: in use, if it is that file at all
    // (a look with no access at all never meets a sharing violation).
    const win32::UniqueHandle look = OpenEntry(wide, FILE_READ_ATTRIBUTES | SYNCHRONIZE);
    return look.Valid() && IsThatPlainFile(calls, look.Get(), wide, attributes) ? Deletion::InUse
                                                                                 : Deletion::NotThatFile;
  }
  if (!IsThatPlainFile(calls, file.Get(), wide, attributes)) return Deletion::NotThatFile;
  return std::nullopt;
}

}  // namespace

FileSystem::Deletion Win32Platform::DeleteFileItself(const std::string& path, bool archiveOnly) {
  static const HandleCalls calls;
  const DWORD access = DELETE | FILE_READ_ATTRIBUTES | (archiveOnly ? FILE_WRITE_ATTRIBUTES : 0) | SYNCHRONIZE;
  win32::UniqueHandle file;
  DWORD attributes = 0;
  if (const auto refused = OpenThatFile(calls, Wide(path), access, file, attributes)) return *refused;
  const bool changed = archiveOnly && attributes != FILE_ATTRIBUTE_ARCHIVE;
  if (changed && calls.SetAttributes(file.Get(), FILE_ATTRIBUTE_ARCHIVE) != 0) return Deletion::Refused;
  const DWORD error = calls.MarkForDeletion(file.Get());
  if (error == 0) return Deletion::Deleted;  // gone when the handle closes
  if (changed) calls.SetAttributes(file.Get(), attributes);
  return error == ERROR_SHARING_VIOLATION ? Deletion::InUse : Deletion::Refused;
}

FileSystem::Deletion Win32Platform::MoveFileItself(const std::string& path, const std::string& to) {
  static const HandleCalls calls;
  win32::UniqueHandle file;
  DWORD attributes = 0;
  const DWORD access = DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  if (const auto refused = OpenThatFile(calls, Wide(path), access, file, attributes)) return *refused;
  const DWORD error = calls.Rename(file.Get(), Wide(to));
  if (error == 0) return Deletion::Deleted;
  return error == ERROR_SHARING_VIOLATION ? Deletion::InUse : Deletion::Refused;
}

long Win32Platform::MoveFileNoReplace(const std::string& from, const std::string& to) {
  if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), 0) != 0) return kErrorSuccess;
  const DWORD error = ::GetLastError();
  return error == ERROR_SUCCESS ? static_cast<long>(ERROR_GEN_FAILURE) : static_cast<long>(error);
}

bool Win32Platform::RemoveDirectory(const std::string& path) { return ::RemoveDirectoryW(Wide(path).c_str()) != 0; }

// ---- Existence that a deletion relies on ----

long Win32Platform::GetFileAttributesAndError(const std::string& path, std::uint32_t& attributes) {
  attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return kErrorSuccess;
  const DWORD error = ::GetLastError();
  // A failure without an error code says nothing about the file.
  return error == ERROR_SUCCESS ? static_cast<long>(ERROR_GEN_FAILURE) : static_cast<long>(error);
}

// ---- Whether another program holds a file open ----

long Win32Platform::OpenFileExclusively(const std::string& path) {
  // No sharing: any handle another process holds on the file makes this open
  // fail with a sharing violation. Read access only, and nothing is changed.
  win32::UniqueHandle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Valid()) return kErrorSuccess;
  const DWORD error = ::GetLastError();
  return error == ERROR_SUCCESS ? static_cast<long>(ERROR_GEN_FAILURE) : static_cast<long>(error);
}

}  // namespace qrv
