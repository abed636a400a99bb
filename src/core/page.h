#pragma once
// A page of the main window and what it may ask of the window.
#include <string>
#include <utility>

#include "core/startup.h"
#include "core/widgets.h"

namespace qrv {

class Dialogs;
class ModalRunner;
class Page;
class ScanHost;

enum class HelpMode { Help, Back };

// The ten pages of the main window, lying on top of one another.
enum class PageId { Panel1, Panel2A, Panel2B, Panel3, Panel4, Panel4A, Panel4B, Panel4C, Panel5, Panel6 };
inline constexpr int kPageCount = 10;

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
  // A click on tab 1 to 5, as the user makes it.
  virtual void TabClick(int tab) = 0;
  virtual Page& PageOf(PageId id) = 0;
  virtual void BringToFront(PageId id) = 0;
  // For the dialogs a page opens itself.
  virtual ModalRunner& Runner() = 0;
  // The system's file-open dialog with a filter ("Programs|*.exe|..."): the
  // chosen file's path, or empty when the user cancels.
  virtual std::string ChooseFileToOpen(const std::string& filter) = 0;
};

// The scan pages' animation, the program folder's ProgressBar.gif, plays in
// its area while `play` (when the file is there); stopped, the area is cleared.
inline constexpr Colour kAnimationBack = 15658734;
void ShowAnimation(const AppState& app, Panel& area, Animation& gif, bool play);

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

}  // namespace qrv
