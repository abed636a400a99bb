#include "ui/dpi.h"

#include <cstring>

namespace qrv::ui {

int ScreenDpi() {
  const int dpi = GetDeviceCaps(win32::WindowDc().Get(), LOGPIXELSX);
  return dpi > 0 ? dpi : kBaseDpi;
}

int WindowDpi(HWND window) {
  // Loaded by name: older Windows and Wine may not have it.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC found = user32 != nullptr ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
    GetDpiForWindowFn fn = nullptr;
    static_assert(sizeof fn == sizeof found);
    std::memcpy(&fn, &found, sizeof fn);
    return fn;
  }();
  if (get != nullptr && window != nullptr) {
    const UINT dpi = get(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

}  // namespace qrv::ui
