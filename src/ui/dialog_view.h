#pragma once
// Shows the message dialogs as skinned modal windows over the main window.
#include "dialogs/skinned_dialog.h"
#include "ui/skinned_window.h"

namespace qrv::ui {

class DialogWindow : public SkinnedWindow {
 public:
  explicit DialogWindow(SkinnedDialog& dialog) : dialog_(dialog) {}

 protected:
  Scene CurrentScene() override { return dialog_.Contents(); }
  bool IsCaption(int x, int y) override { return dialog_.IsCaption(x, y); }
  void OnKey(Key key) override { dialog_.KeyDown(key); }
  // Closing by the system (Alt+F4) counts as not confirmed.
  bool OnClose() override {
    dialog_.Close();
    return false;
  }

 private:
  SkinnedDialog& dialog_;
};

class DialogRunner : public ModalRunner {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  void RunModal(SkinnedDialog& dialog) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace qrv::ui
