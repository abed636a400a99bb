// QRVSchedule.exe: the scheduled-scan companion on the real Windows. One
// instance per logon session; no window of its own but a hidden one for the
// notification-area icon, whose balloon reports a scheduled scan's counts.
// Clicking the icon or the balloon opens Quorvane; its menu closes the
// companion until the next logon.
#include "engine/win32/windows_support.h"

#include <algorithm>
#include <string>

#include "core/texts.h"
#include "engine/win32/win32_platform.h"
#include "scheduler/companion.h"

namespace {

using qrv::win32::Wide;

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kTrayId = 1;
constexpr UINT kMenuClose = 1;
constexpr DWORD kPumpIntervalMs = 50;  // the scan pumps messages at most this often

template <std::size_t N>
void CopyText(WCHAR (&target)[N], const std::wstring& text) {
  const std::size_t n = std::min(text.size(), N - 1);
  std::copy_n(text.begin(), n, target);
  target[n] = L'\0';
}

class Tray : public qrv::CompanionNotifier {
 public:
  explicit Tray(qrv::AppState& app) : app_(app), taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Tray::Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QRVScheduleTray";
    RegisterClassW(&wc);
    // A hidden top-level window (never shown): unlike a message-only window
    // it hears TaskbarCreated, when the notification area comes back.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"QRVSchedule", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, instance, this);
    icon_.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    AddIcon();
  }
  ~Tray() override {
    if (shown_) {
      NOTIFYICONDATAW data = Data();
      Shell_NotifyIconW(NIM_DELETE, &data);
    }
    if (window_) DestroyWindow(window_);
  }
  Tray(const Tray&) = delete;
  Tray& operator=(const Tray&) = delete;

  void ScanFinished(std::size_t itemsToFix, std::size_t itemsToClean) override {
    if (!shown_) AddIcon();
    if (!shown_) return;
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    data.uTimeout = 30000;
    CopyText(data.szInfoTitle, Wide(Text(qrv::TextId::ScheduleScheduledScan)));
    CopyText(data.szInfo, Wide(std::to_string(itemsToFix) + " " + Text(qrv::TextId::Action2ErrorsDetected) + "\n" +
                               std::to_string(itemsToClean) + " " + Text(qrv::TextId::Action2FilesFound)));
    Shell_NotifyIconW(NIM_MODIFY, &data);
  }
  bool ExitRequested() override { return exit_; }
  void RequestExit() { exit_ = true; }

 private:
  std::string Text(qrv::TextId id) const { return app_.language.Text(id); }

  NOTIFYICONDATAW Data() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kTrayId;
    return data;
  }

  void AddIcon() {
    if (!window_) return;
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = icon_ ? icon_.Get() : LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    CopyText(data.szTip, Wide("Quorvane - " + Text(qrv::TextId::ScheduleScheduledScan)));
    shown_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  }

  void OpenProgram() {
    app_.platform.ShellExecute("open", app_.folders.ProgramFolder + "\\Quorvane.exe", "", qrv::kSwShowNormal);
  }

  void ShowMenu() {
    const qrv::win32::MenuHandle menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.Get(), MF_STRING, kMenuClose, Wide(Text(qrv::TextId::ButtonsClose)).c_str());
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window_);  // so that the menu closes when the user clicks elsewhere
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
    PostMessageW(window_, WM_NULL, 0, 0);
    if (chosen == kMenuClose) {
      RequestExit();
      PostQuitMessage(0);  // ends the wait at once
    }
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTrayMessage && wParam == kTrayId) {
      switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONUP:
        case NIN_BALLOONUSERCLICK:
          OpenProgram();
          break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
          ShowMenu();
          break;
        default:
          break;
      }
      return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
      AddIcon();
      return 0;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<Tray*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->window_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Tray*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->Handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
  }

  qrv::AppState& app_;
  const UINT taskbarCreated_;
  HWND window_ = nullptr;
  qrv::win32::IconHandle icon_;  // goes after the window that shows it
  bool shown_ = false;
  bool exit_ = false;
};

// The scan keeps the icon answering; closing the companion stops the scan.
class PumpingHost : public qrv::ScanHost {
 public:
  PumpingHost(qrv::AppState& app, Tray& tray) : app_(app), tray_(tray) {}
  void ProcessMessages() override {
    const DWORD now = GetTickCount();
    if (now - last_ < kPumpIntervalMs) return;
    last_ = now;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        tray_.RequestExit();
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (tray_.ExitRequested()) app_.CancelFlag = false;
  }
  void SetProgressWidth(int, int) override {}

 private:
  qrv::AppState& app_;
  Tray& tray_;
  DWORD last_ = 0;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // One companion per logon session: a second start (the schedule dialog's
  // Apply while one runs) ends here. Kept open until the process ends.
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, Wide(qrv::kCompanionMutexName).c_str());
  if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  const qrv::win32::ComSession com;
  qrv::Win32Platform platform;
  qrv::AppState app(platform);
  qrv::LoadCompanionState(app);
  Tray tray(app);
  PumpingHost host(app, tray);
  qrv::ScheduleCompanion companion(app, host, tray);
  companion.Run();
  return 0;
}
