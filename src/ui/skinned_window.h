#pragma once
// A borderless window that paints a scene over its background image, takes
// its shape from that image, answers the hit test as its caption where the
// logic says so, and forwards the mouse and keys to the scene's elements.
// The scene is laid out in 96-DPI units: the window draws, places and cuts it
// at its monitor's scale and hands the mouse back in those units.
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/dpi_scale.h"
#include "core/keyboard.h"
#include "core/skin_region.h"
#include "core/widgets.h"
#include "dialogs/skinned_dialog.h"
#include "ui/accessible.h"
#include "ui/choice_controls.h"
#include "ui/report_list.h"
#include "ui/tooltip.h"
#include "ui/win.h"

namespace qrv::ui {

class SkinnedWindow {
 public:
  SkinnedWindow() = default;
  virtual ~SkinnedWindow();
  SkinnedWindow(const SkinnedWindow&) = delete;
  SkinnedWindow& operator=(const SkinnedWindow&) = delete;

  // Creates the window (hidden) with the given client size in 96-DPI units.
  bool Create(HWND owner, const std::string& title, int width, int height, bool appWindow);
  HWND Handle() const { return hwnd_; }
  // Cuts the window's shape out of its background image; `pump` runs
  // before each band of the image is examined.
  void ApplySkinRegion(const std::string& background, const std::function<void()>& pump);
  // Left and top that centre a window of this size in pixels on `owner` (or
  // on the work area when there is none).
  static POINT CentreOn(HWND owner, int width, int height);
  // Draws the current state at once.
  void Redraw();
  void SyncTooltips();
  const DpiScale& Scale() const { return scale_; }
  // Tab and Alt with a letter pressed in one of a skinned window's system
  // controls go to that window, which moves its focus on.
  static void RouteKeys(MSG& msg);

 protected:
  virtual Scene CurrentScene() = 0;
  virtual bool IsCaption(int x, int y) = 0;
  virtual void OnKey(Key) {}
  // Alt with a letter: true when an element took it.
  virtual bool OnAccessKey(char) { return false; }
  // The focus of the scene's elements, and a click or a reader moving it.
  virtual KeyboardFocus& Focus() = 0;
  virtual void OnFocus(const Node* node) { Focus().Set(node); }
  // The scene's elements as a screen reader finds them.
  virtual std::vector<AccessibleElement> Accessible() = 0;
  // WM_CLOSE: true lets the window be destroyed.
  virtual bool OnClose() { return true; }
  virtual void OnDestroyed() {}
  // After any input the window repaints itself.
  void AfterInput();

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  // The system controls and the animation timer follow the scene.
  void SyncControls(const Scene& scene);
  Node* NodeAt(const Scene& scene, int x, int y) const;
  // Sizes the window, its shape, controls and tooltips for a DPI; `at` is
  // where the system asks the window to go (a move to another monitor).
  void ApplyDpi(int dpi, const RECT* at);
  void ApplyShape();
  // The system control that shows an element, and the element of a control.
  HWND ControlOf(const Node* node) const;
  const Node* NodeOfControl(HWND control) const;
  // The system focus follows the element focus; changes are announced.
  void SyncFocus();
  AccessibleSource Source();

  HWND hwnd_ = nullptr;
  Tooltip tooltip_;
  bool animating_ = false;
  int width_ = 0;   // in 96-DPI units
  int height_ = 0;
  DpiScale scale_;
  int controlsDpi_ = kBaseDpi;  // the scale the text boxes were placed at
  SkinShape shape_;  // at 96 DPI; empty until cut
  std::map<const Node*, UINT_PTR> tools_;
  Node* pressed_ = nullptr;
  std::map<const TextBox*, HWND> edits_;
  std::map<const TextBox*, int> editVersions_;  // the lines each box shows
  std::map<ReportList*, std::unique_ptr<ReportListView>> lists_;
  ChoiceControls choices_;  // drop-down lists and time pickers
  AccessibleOwner accessible_;
  int announced_ = 0;  // the focus changes announced so far
  std::vector<std::pair<const Node*, LONG>> states_;  // the elements' states as last announced
};

}  // namespace qrv::ui
