#include "ui/dialog_view.h"

namespace qrv::ui {

void DialogRunner::RunModal(SkinnedDialog& dialog) {
  dialog.Show();
  static const LanguageTable english;
  DialogWindow window(dialog, language_ != nullptr ? *language_ : english);
  if (!window.Create(owner_, dialog.Title.text, dialog.Width(), dialog.Height(), false)) {
    dialog.Close();
    return;
  }
  window.ApplySkinRegion(dialog.Background(), {});
  window.SyncTooltips();
  const bool ownerWasEnabled = owner_ != nullptr && IsWindowEnabled(owner_);
  if (ownerWasEnabled) EnableWindow(owner_, FALSE);
  ShowWindow(window.Handle(), SW_SHOW);
  SetForegroundWindow(window.Handle());
  SetFocus(window.Handle());
  bool quit = false;
  int quitCode = 0;
  MSG msg;
  while (!dialog.Closed()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      quit = got == 0;
      quitCode = static_cast<int>(msg.wParam);
      dialog.Close();
      break;
    }
    // Escape closes the dialog even while one of its controls has the focus.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
        (msg.hwnd == window.Handle() || IsChild(window.Handle(), msg.hwnd))) {
      dialog.KeyDown(Key::Escape);
      continue;
    }
    SkinnedWindow::RouteKeys(msg);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The owner comes back before the dialog goes, so that activation passes
  // straight to it.
  if (ownerWasEnabled) EnableWindow(owner_, TRUE);
  if (owner_ != nullptr) SetActiveWindow(owner_);
  if (quit) PostQuitMessage(quitCode);
}

}  // namespace qrv::ui
