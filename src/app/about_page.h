#pragma once
// The fifth tab: About, and the page control it shares with Log/Undo.
#include <array>
#include <functional>

#include "core/page.h"
#include "tools/log_undo_view.h"

namespace qrv {

// The fifth tab: a page control with About and Log/Undo.
class AboutPage : public Page {
 public:
  explicit AboutPage(MainWindow& window);
  // Panel6Enter: the About page in front; the Log/Undo page starts afresh.
  void Enter() override;
  void Select(int index);
  int Selected() const { return selected_; }
  std::array<Label, 2> PageTabs;
  Panel TabLine;      // the thin line under the page control's tabs
  Panel SelectedBar;  // the accent under the selected tab
  Label ProductName;
  Label Version;
  Picture Logo;
  LogUndoView LogUndo;

 protected:
  void AddContents(Scene& scene) override;

 private:
  int selected_ = 0;
};

}  // namespace qrv
