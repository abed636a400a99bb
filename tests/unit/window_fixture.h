#pragma once
// The main window without a screen: a host that records what the window asks
// of the system and a modal runner whose answers tests script.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "fake/fake_platform.h"
#include "unit/fixture.h"

namespace qrv::testing {

// Six pixels per character, a little more in bold.
class CountingMeasure : public TextMeasure {
 public:
  int Width(const std::string& text, const Font& font) override {
    return static_cast<int>(text.size()) * (font.bold ? 7 : 6);
  }
};

class ScriptedRunner : public ModalRunner {
 public:
  // Each showing takes the next action (none: the dialog is closed as by Escape).
  void RunModal(SkinnedDialog& dialog) override {
    dialog.Show();
    shown.push_back(dialog.ClassName());
    if (auto* info = dynamic_cast<TForm3a*>(&dialog)) messages.push_back(info->Message.text);
    if (auto* ask = dynamic_cast<TForm3b*>(&dialog)) messages.push_back(ask->Message.text);
    if (auto* details = dynamic_cast<TForm1b*>(&dialog)) detailLines = details->Lines.lines;
    if (!actions.empty()) {
      auto action = actions.front();
      actions.pop_front();
      action(dialog);
    }
    if (!dialog.Closed()) dialog.KeyDown(Key::Escape);
  }
  std::deque<std::function<void(SkinnedDialog&)>> actions;
  std::vector<std::string> shown;
  std::vector<std::string> messages;
  std::vector<std::string> detailLines;
};

class RecordingHost : public WindowHost {
 public:
  void ProcessMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  void Minimize() override { ++minimized; }
  void RequestClose() override { ++closeRequests; }
  int pumps = 0;
  int minimized = 0;
  int closeRequests = 0;
  std::function<void()> onPump;
};

class WindowFixture {
 public:
  WindowFixture() : app(p), form(app, host, runner, measure) {
    app.folders = EngineFolders(p);
  }
  void Create() {
    form.CreateForm();
    form.ShowForm();
  }

  fake::FakePlatform p;
  AppState app;
  RecordingHost host;
  ScriptedRunner runner;
  CountingMeasure measure;
  TForm1a form;
};

inline std::function<void(SkinnedDialog&)> ClickOk() {
  return [](SkinnedDialog& d) {
    if (auto* ask = dynamic_cast<TForm3b*>(&d)) ask->OkButton.a.onClick();
    if (auto* info = dynamic_cast<TForm3a*>(&d)) info->OkButton.a.onClick();
  };
}

}  // namespace qrv::testing
