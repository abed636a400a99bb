#include "ui/main_view.h"

#include "ui/choice_controls.h"

namespace qrv::ui {

MainView::MainView(AppState& app) : app_(app), form_(app, *this, runner_, measure_) {}

bool MainView::Open() {
  if (!Create(nullptr, kMainWindowTitle, kMainWindowWidth, kMainWindowHeight, true)) return false;
  runner_.SetOwner(Handle());
  // Pending messages are processed while the shape is cut, as during scans.
  ApplySkinRegion("background", [] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  });
  LoadSettings(app_);
  runner_.SetLanguage(&app_.language);
  form_.CreateForm();
  SyncTooltips();
  ShowWindow(Handle(), SW_SHOW);
  form_.ShowForm();
  Redraw();
  return true;
}

int MainView::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    RouteKeys(msg);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void MainView::ProcessMessages() {
  // Scans pump once per item: the window is drawn at most 25 times a second.
  const DWORD now = GetTickCount();
  if (now - lastDrawn_ >= 40) {
    Redraw();
    lastDrawn_ = now;
  }
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    RouteKeys(msg);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void MainView::Minimize() { ShowWindow(Handle(), SW_MINIMIZE); }

void MainView::RequestClose() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

std::string MainView::ChooseFileToOpen(const std::string& filter) { return ui::ChooseFileToOpen(Handle(), filter); }

}  // namespace qrv::ui
