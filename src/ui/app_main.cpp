// The program entry: one instance, administrator only, then the main window.
#include "core/startup.h"
#include "engine/win32/win32_platform.h"
#include "ui/images.h"
#include "ui/main_view.h"
#include "ui/win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qrv::Win32Platform platform;
  if (qrv::ProgramEntry(platform) != qrv::EntryDecision::Start) return 0;
  const qrv::win32::ComSession com;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&controls);
  const qrv::ui::GdiplusSession gdiplus;
  qrv::AppState app(platform);
  qrv::ui::MainView view(app);
  return view.Open() ? view.Run() : 0;
}
