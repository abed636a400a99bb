#pragma once
// The main window's behaviour: tabs, pages, the help link, the top buttons,
// dragging, keys and closing. The drawing layer shows Contents() and forwards
// the user's input to the handlers here.
#include <array>
#include <memory>
#include <string>

#include "core/keyboard.h"
#include "core/page.h"
#include "core/scan_host.h"
#include "dialogs/message_dialogs.h"

namespace qrv {

// The main window: its title and its size, the size of its background.
inline constexpr const char* kMainWindowTitle = "Quorvane";
inline constexpr int kMainWindowWidth = 765;
inline constexpr int kMainWindowHeight = 546;

// What the window system does for the main window.
class WindowHost {
 public:
  virtual ~WindowHost() = default;
  virtual void ProcessMessages() = 0;
  virtual void Minimize() = 0;
  // Asks the window to close; the window then calls CloseForm.
  virtual void RequestClose() = 0;
  // The system's file-open dialog, owned by the window.
  virtual std::string ChooseFileToOpen(const std::string& /*filter*/) { return {}; }
};

class TForm1a : public MainWindow, private ScanHost {
 public:
  TForm1a(AppState& app, WindowHost& host, ModalRunner& runner, TextMeasure& measure);
  ~TForm1a() override;

  // Creation after the settings are loaded: dialogs, lists, captions, sizes.
  void CreateForm();
  void ShowForm() { Tab1Click(); }
  // False when closing is refused (a scan runs). Otherwise cleans up.
  bool CloseForm();

  void Tab1Click() override { TabClick(1); }
  void Tab2Click() { TabClick(2); }
  void Tab3Click() { TabClick(3); }
  void Tab4Click() { TabClick(4); }
  void Tab5Click() { TabClick(5); }
  void HelpLabelClick();
  void TopButton1Click();
  void TopButton2Click();
  void TopButton3Click();
  void WndImageMouseMove();
  void FormKeyDown(Key key);
  // Alt with a letter.
  bool FormAccessKey(char letter);
  // A click gives the clicked element the focus.
  void FocusOn(const Node* node);
  // The elements a screen reader finds on the window as it is.
  std::vector<AccessibleElement> Accessible();
  // True where the window answers the hit test as its caption (drag zone).
  bool WMNCHitTest(int x, int y) const;
  void Panel4Button1Click();
  void Panel4Button2Click();
  void Panel4Button3Click();

  Scene Contents();
  PageId FrontPage() const { return front_; }
  Page& PageOf(PageId id) override { return *pages_.at(static_cast<std::size_t>(id)); }
  void BringToFront(PageId id) override { front_ = id; }
  int FrontTab() const { return frontTab_; }
  HelpMode Mode() const;
  int BackTarget = 1;

  // MainWindow
  AppState& App() override { return app_; }
  Dialogs& Messages() override { return *dialogs_; }
  TextMeasure& Measure() override { return measure_; }
  ScanHost& Scans() override { return *this; }
  void SetHelpMode(HelpMode mode) override;
  void TabClick(int tab) override;
  ModalRunner& Runner() override { return runner_; }
  std::string ChooseFileToOpen(const std::string& filter) override { return host_.ChooseFileToOpen(filter); }

  Picture WndImage;
  std::array<Picture, 5> Tab;
  std::array<Label, 5> TabLabel;
  ImageButton TopButton1;
  ImageButton TopButton2;
  ImageButton TopButton3;
  ButtonGroup TopButtons;
  Label HelpLabel;
  KeyboardFocus Focus;

  // Replaces a page (the feature pages plug in here).
  void SetPage(PageId id, std::unique_ptr<Page> page);

 private:
  void SelectTab(int tab);
  // A page shown again gets back the focus it had.
  void FollowPage(const Scene& scene);
  void KeepPageFocus();
  void ProcessMessages() override { host_.ProcessMessages(); }
  void SetProgressWidth(int bar, int pixels) override;

  AppState& app_;
  WindowHost& host_;
  ModalRunner& runner_;
  TextMeasure& measure_;
  std::unique_ptr<Dialogs> dialogs_;
  std::array<std::unique_ptr<Page>, kPageCount> pages_;
  PageId front_ = PageId::Panel1;
  std::array<const Node*, kPageCount> pageFocus_{};
  PageId focusPage_ = PageId::Panel1;  // the page in front when the focus was last kept
  int frontTab_ = 1;
};

}  // namespace qrv
