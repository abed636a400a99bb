#pragma once
// A report-style list view with tick boxes, grid lines and small icons, kept
// in step with its ReportList element: rows are rebuilt when the element's
// version changes, and the user's ticks are written back into it.
#include "core/widgets.h"
#include "ui/win.h"

namespace qrv::ui {

class ReportListView {
 public:
  ReportListView(HWND parent, ReportList& list);
  ~ReportListView();
  ReportListView(const ReportListView&) = delete;
  ReportListView& operator=(const ReportListView&) = delete;

  HWND Handle() const { return hwnd_; }
  // Shows the element's state (rows only when its version changed).
  void Sync();
  // WM_NOTIFY from the control.
  void OnNotify(const NMHDR& header);

 private:
  void Rebuild();
  int IconFor(const std::string& file, int iconIndex);

  ReportList& list_;
  HWND hwnd_ = nullptr;
  ImageListHandle icons_;  // goes after the control that shows it
  int shownVersion_ = -1;
  int shownSelection_ = -2;
  bool filling_ = false;
};

}  // namespace qrv::ui
