#pragma once
// Shows the message dialogs as skinned modal windows over the main window.
#include "dialogs/skinned_dialog.h"
#include "ui/skinned_window.h"

namespace qrv::ui {

class DialogWindow : public SkinnedWindow {
 public:
  DialogWindow(SkinnedDialog& dialog, const LanguageTable& language) : dialog_(dialog), language_(language) {}

 protected:
  Scene CurrentScene() override { return dialog_.Contents(); }
  bool IsCaption(int x, int y) override { return dialog_.IsCaption(x, y); }
  void OnKey(Key key) override { dialog_.KeyDown(key); }
  bool OnAccessKey(char letter) override { return dialog_.AccessKey(letter); }
  KeyboardFocus& Focus() override { return dialog_.Focus; }
  std::vector<AccessibleElement> Accessible() override { return dialog_.Accessible(language_); }
  // Closing by the system (Alt+F4) counts as not confirmed.
  bool OnClose() override {
    dialog_.Close();
    return false;
  }

 private:
  SkinnedDialog& dialog_;
  const LanguageTable& language_;
};

class DialogRunner : public ModalRunner {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  // The texts screen readers hear for elements without a caption.
  void SetLanguage(const LanguageTable* language) { language_ = language; }
  void RunModal(SkinnedDialog& dialog) override;

 private:
  HWND owner_ = nullptr;
  const LanguageTable* language_ = nullptr;
};

}  // namespace qrv::ui
