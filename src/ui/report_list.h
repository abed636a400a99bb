#pragma once
// A report-style list view with tick boxes, grid lines and small icons, kept
// in step with its ReportList element: rows are rebuilt when the element's
// version changes, and the user's ticks are written back into it.
#include "core/dpi_scale.h"
#include "core/widgets.h"
#include "ui/win.h"

namespace qrv::ui {

class ReportListView {
 public:
  ReportListView(HWND parent, ReportList& list, const DpiScale& scale = DpiScale());
  ~ReportListView();
  ReportListView(const ReportListView&) = delete;
  ReportListView& operator=(const ReportListView&) = delete;

  HWND Handle() const { return hwnd_; }
  // Shows the element's state (rows only when its version changed), at the
  // window's scale: a new scale places, sizes and fills the list anew.
  void Sync(const DpiScale& scale = DpiScale());
  // WM_NOTIFY from the control.
  void OnNotify(const NMHDR& header);

 private:
  void Rebuild();
  void ApplyScale(const DpiScale& scale);
  int IconFor(const std::string& file, int iconIndex);

  ReportList& list_;
  HWND hwnd_ = nullptr;
  ImageListHandle icons_;  // go after the control that shows them
  ImageListHandle ticks_;  // the tick boxes, drawn from the skin above 100 %
  DpiScale scale_;
  int shownVersion_ = -1;
  int shownSelection_ = -2;
  bool filling_ = false;
};

}  // namespace qrv::ui
