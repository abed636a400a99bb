#pragma once
// The main window on the screen: draws TForm1a and forwards input to it.
#include <memory>

#include "app/main_window.h"
#include "ui/dialog_view.h"
#include "ui/painter.h"
#include "ui/skinned_window.h"

namespace qrv::ui {

class MainView : public SkinnedWindow, public WindowHost {
 public:
  explicit MainView(AppState& app);
  // Creates the window and everything it shares, in the start-up order, and
  // shows it on the Home tab.
  bool Open();
  // The message loop, until the window has closed.
  int Run();
  TForm1a& Form() { return form_; }

  // WindowHost
  void ProcessMessages() override;
  void Minimize() override;
  void RequestClose() override;
  std::string ChooseFileToOpen(const std::string& filter) override;

 protected:
  Scene CurrentScene() override { return form_.Contents(); }
  bool IsCaption(int x, int y) override { return form_.WMNCHitTest(x, y); }
  void OnKey(Key key) override { form_.FormKeyDown(key); }
  bool OnAccessKey(char letter) override { return form_.FormAccessKey(letter); }
  KeyboardFocus& Focus() override { return form_.Focus; }
  void OnFocus(const Node* node) override { form_.FocusOn(node); }
  std::vector<AccessibleElement> Accessible() override { return form_.Accessible(); }
  bool OnClose() override { return form_.CloseForm(); }
  void OnDestroyed() override { PostQuitMessage(0); }

 private:
  AppState& app_;
  DialogRunner runner_;
  GdiMeasure measure_;
  TForm1a form_;
  DWORD lastDrawn_ = 0;
};

}  // namespace qrv::ui
