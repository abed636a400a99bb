#pragma once
// The startup manager's and schedule dialog's system controls: drop-down
// lists and time pickers kept in step with their elements, the user's
// choices written back into them.
#include <map>

#include "core/dpi_scale.h"
#include "core/widgets.h"
#include "ui/win.h"

namespace qrv::ui {

class ChoiceControls {
 public:
  ChoiceControls() = default;
  ~ChoiceControls();
  ChoiceControls(const ChoiceControls&) = delete;
  ChoiceControls& operator=(const ChoiceControls&) = delete;

  // Creates what the scene shows for the first time, shows, hides and
  // enables the controls as their elements say, at the window's scale.
  void Sync(HWND parent, const Scene& scene, const DpiScale& scale);
  // WM_COMMAND and WM_NOTIFY from the controls; true when one was ours.
  bool OnCommand(WPARAM wParam, LPARAM lParam);
  bool OnNotify(const NMHDR& header);
  // The control that shows an element, if any.
  HWND HandleOf(const Node* node) const;

 private:
  std::map<DropDownList*, HWND> lists_;
  std::map<TimePicker*, HWND> pickers_;
  int placedDpi_ = kBaseDpi;  // the scale the controls were placed at
};

// The system's file-open dialog with a filter of "Name|mask|Name|mask":
// the chosen file's full path, or empty when cancelled.
std::string ChooseFileToOpen(HWND owner, const std::string& filter);

}  // namespace qrv::ui
