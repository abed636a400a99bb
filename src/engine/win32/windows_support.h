#pragma once
// The one door to the Windows headers. Every Win32 file includes this instead
// of <windows.h>, <shellapi.h> and <shlobj.h>: it sets the build's definitions, removes the A/W macros
// that would rename the platform interface's members (this layer calls the W
// functions by their full names), holds the only conversion between the
// logic's UTF-8 and the system's UTF-16, and the owners of every kind of
// Windows resource the Win32 code holds.
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
#include <type_traits>

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

// ---- Owners ---------------------------------------------------------------
// Every Windows resource this layer opens is held by one of these and given
// back when its owner goes out of scope; nothing is closed by hand.
//
// Owned<Kind> holds one value of Kind::Type. A kind says which value means
// "none", which values are held (Valid) and how one is given back (Close,
// true when the system reports success). Owners move, never copy.
template <typename Kind>
class Owned {
 public:
  using Type = typename Kind::Type;
  Owned() = default;
  explicit Owned(Type value) : value_(value) {}
  ~Owned() { Reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : value_(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  Type Get() const { return value_; }
  bool Valid() const { return Kind::Valid(value_); }
  explicit operator bool() const { return Valid(); }
  // Hands the value over; the owner holds none.
  Type Release() {
    const Type value = value_;
    value_ = Kind::None();
    return value;
  }
  // Gives the value back now; false when the system reports a failure (for a
  // file: a write-back lost).
  bool Close() {
    const bool ok = !Valid() || Kind::Close(value_);
    value_ = Kind::None();
    return ok;
  }
  void Reset(Type value = Kind::None()) {
    if (Valid()) Kind::Close(value_);
    value_ = value;
  }

 private:
  Type value_ = Kind::None();
};

// A kind whose "none" is null, given back by the system call `Free`, whose
// result tells success as such calls do: a BOOL that is true, a LONG that is
// ERROR_SUCCESS, memory that is null, or nothing at all.
template <typename T, auto Free>
struct NullKind {
  using Type = T;
  static constexpr T None() { return nullptr; }
  static bool Valid(T value) { return value != nullptr; }
  static bool Close(T value) {
    using Result = decltype(Free(value));
    if constexpr (std::is_void_v<Result>) {
      Free(value);
      return true;
    } else if constexpr (std::is_pointer_v<Result>) {
      return Free(value) == nullptr;
    } else if constexpr (std::is_same_v<Result, LONG>) {
      return Free(value) == ERROR_SUCCESS;
    } else {
      return Free(value) != FALSE;
    }
  }
};

// A kernel handle: null and INVALID_HANDLE_VALUE are none.
template <auto Free>
struct KernelKind : NullKind<HANDLE, Free> {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
};

using UniqueHandle = Owned<KernelKind<&::CloseHandle>>;  // file, event, process, thread
using FindHandle = Owned<KernelKind<&::FindClose>>;      // a search of FindFirstFileW
using UniqueKey = Owned<NullKind<HKEY, &::RegCloseKey>>;  // never a predefined root
// A GDI object this code made: a brush, font, bitmap or region.
template <typename T>
using GdiObject = Owned<NullKind<T, &::DeleteObject>>;
using MemoryDc = Owned<NullKind<HDC, &::DeleteDC>>;  // of CreateCompatibleDC
// An icon this code loaded or extracted (never a shared one of LoadIcon).
using IconHandle = Owned<NullKind<HICON, &::DestroyIcon>>;
using MenuHandle = Owned<NullKind<HMENU, &::DestroyMenu>>;  // not attached to a window
using LibraryHandle = Owned<NullKind<HMODULE, &::FreeLibrary>>;
// Memory of GlobalAlloc, and memory the system hands over to be given back
// with LocalFree (CommandLineToArgvW) or CoTaskMemFree (item lists, texts of
// the component objects).
using GlobalMemory = Owned<NullKind<HGLOBAL, &::GlobalFree>>;
template <typename T>
using LocalMemory = Owned<NullKind<T*, &::LocalFree>>;
template <typename T>
using TaskMemory = Owned<NullKind<T*, &::CoTaskMemFree>>;

// ---- GDI while painting ----

// The device context of a window (null: the screen), released at the end.
class WindowDc {
 public:
  explicit WindowDc(HWND window = nullptr) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// WM_PAINT's BeginPaint, ended with EndPaint.
class PaintSession {
 public:
  explicit PaintSession(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
  ~PaintSession() { ::EndPaint(window_, &paint_); }
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

// An object selected into a device context; the one it replaced comes back
// at the end (before the object itself may go: declare this after its owner).
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~Selection() { ::SelectObject(dc_, old_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// ---- Component objects ----

// The component system on this thread (apartment-threaded), set up for the
// owner's life. When it was set up already, this counts up and down again.
class ComSession {
 public:
  ComSession() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComSession() {
    if (initialised_) ::CoUninitialize();
  }
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;
  bool Initialised() const { return initialised_; }

 private:
  bool initialised_;
};

template <typename T>
void ReleaseReference(T* object) {
  object->Release();
}
template <typename T>
using ComKind = NullKind<T*, &ReleaseReference<T>>;

// One reference to a component object, released at the end.
template <typename T>
class ComPtr : public Owned<ComKind<T>> {
 public:
  using Owned<ComKind<T>>::Owned;
  T* operator->() const { return this->Get(); }
  // The object's interface `iid` (of type U), or none.
  template <typename U>
  ComPtr<U> Query(REFIID iid) const {
    U* other = nullptr;
    if (!this->Valid() || FAILED(this->Get()->QueryInterface(iid, reinterpret_cast<void**>(&other)))) return {};
    return ComPtr<U>(other);
  }
};

// A new in-process object of class `clsid` as its interface `iid` (of type
// T), or none.
template <typename T>
ComPtr<T> CreateComObject(REFCLSID clsid, REFIID iid) {
  T* object = nullptr;
  if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&object))))
    return {};
  return ComPtr<T>(object);
}

}  // namespace qrv::win32
