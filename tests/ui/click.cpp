// Clicks a point of Quorvane's main window by posting the mouse messages to
// the window that lies at that point (the main window or a dialog over it),
// so that a click never depends on which window the X server has focused.
//   ui_click.exe <x> <y>     (window coordinates of the main window)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/win.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  // Window coordinates in the screen's pixels, as the window is drawn at
  // any scale (loaded by name: not every Windows has it).
  using SetAwareFn = BOOL(WINAPI*)();
  if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
    FARPROC found = GetProcAddress(user32, "SetProcessDPIAware");
    SetAwareFn aware = nullptr;
    std::memcpy(&aware, &found, sizeof aware);
    if (aware != nullptr) aware();
  }
  HWND main = FindWindowW(L"QuorvaneSkinnedWindow", L"Quorvane");
  if (main == nullptr) return 1;
  RECT frame{};
  GetWindowRect(main, &frame);
  POINT at{frame.left + std::atoi(argv[1]), frame.top + std::atoi(argv[2])};
  HWND target = WindowFromPoint(at);
  if (target == nullptr) return 1;
  ScreenToClient(target, &at);
  if (std::getenv("QRV_CLICK_TRACE") != nullptr) {
    wchar_t title[64] = {};
    GetWindowTextW(target, title, 64);
    std::fwprintf(stderr, L"target %p '%ls' at %ld,%ld\n", static_cast<void*>(target), title, at.x, at.y);
  }
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageW(target, WM_MOUSEMOVE, 0, where);
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PostMessageW(target, WM_LBUTTONUP, 0, where);
  return 0;
}
