#pragma once
// The DPI a window is drawn at: the monitor's where the system says so
// (GetDpiForWindow, Windows 10 1607 and later), else the screen's.
#include "core/dpi_scale.h"
#include "ui/win.h"

namespace qrv::ui {

// The screen's DPI (LOGPIXELSX of the screen).
int ScreenDpi();
// The window's DPI; the screen's where the system cannot tell.
int WindowDpi(HWND window);

}  // namespace qrv::ui
