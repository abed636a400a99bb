#pragma once
// A page of the main window and what it may ask of the window.
#include <string>
#include <utility>

#include "core/startup.h"
#include "core/widgets.h"

namespace qrv {

class Dialogs;
class ScanHost;

enum class HelpMode { Help, Back };

// The main window as its pages see it.
class MainWindow {
 public:
  virtual ~MainWindow() = default;
  virtual AppState& App() = 0;
  virtual Dialogs& Messages() = 0;
  virtual TextMeasure& Measure() = 0;
  // Pumps the window's messages and moves the scan bars.
  virtual ScanHost& Scans() = 0;
  virtual void SetHelpMode(HelpMode mode) = 0;
  virtual void Tab1Click() = 0;
};

// Window coordinates of a place given within the page area.
inline Bounds PageBounds(int left, int top, int width, int height) { return {25 + left, 110 + top, width, height}; }

class Page {
 public:
  explicit Page(std::string name);
  virtual ~Page() = default;
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  const std::string& Name() const { return Back.name; }
  // The page's entry: resets what it shows.
  virtual void Enter() {}
  // Paint order: the white panel first, then the page's elements.
  Scene Contents();
  // The progress bar of a scan page, in pixels of fill.
  virtual void SetProgressWidth(int) {}

  Panel Back;

 protected:
  virtual void AddContents(Scene&) {}
};

// A page whose content comes with a later feature; entering it may set the
// help link to Back.
class PlainPage : public Page {
 public:
  PlainPage(std::string name, MainWindow* backFrom) : Page(std::move(name)), window_(backFrom) {}
  void Enter() override {
    if (window_ != nullptr) window_->SetHelpMode(HelpMode::Back);
  }

 private:
  MainWindow* window_;
};

}  // namespace qrv
