#pragma once
// The one door to the Windows headers. Every Win32 file includes this instead
// of <windows.h>, <shellapi.h> and <shlobj.h>: it sets the build's definitions, removes the A/W macros
// that would rename the platform interface's members (this layer calls the W
// functions by their full names), and holds the only conversion between the
// logic's UTF-8 and the system's UTF-16.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#endif
#include <windows.h>
// (the shell headers define A/W macros of their own: they come through here too)
#include <shellapi.h>
#include <shlobj.h>
#include <commdlg.h>

#include <string>
#include <string_view>

#undef RegOpenKeyEx
#undef RegCreateKeyEx
#undef RegEnumKeyEx
#undef RegEnumValue
#undef RegQueryInfoKey
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegDeleteValue
#undef GetFileAttributes
#undef SetFileAttributes
#undef CreateDirectory
#undef DeleteFile
#undef GetDriveType
#undef ShellExecute
#undef GetWindowsDirectory
#undef SHGetFolderPath
#undef GetUserName
#undef GetEnvironmentVariable
#undef GetModuleFileName
#undef OpenMutex
#undef CreateMutex
#undef MessageBox
#undef GetSaveFileName
#undef RemoveDirectory

namespace qrv::win32 {

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// A zero-terminated text; null is empty.
std::string Narrow(const wchar_t* utf16);

// A kernel handle closed when it goes out of scope (null and
// INVALID_HANDLE_VALUE are no handle).
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.Release();
    }
    return *this;
  }
  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return Valid(); }
  HANDLE Release() {
    HANDLE h = handle_;
    handle_ = nullptr;
    return h;
  }
  // Closes now; false when the system reports a failure (a write-back lost).
  bool Close() {
    const bool ok = !Valid() || CloseHandle(handle_) != 0;
    handle_ = nullptr;
    return ok;
  }
  void Reset(HANDLE handle = nullptr) {
    if (Valid()) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace qrv::win32
