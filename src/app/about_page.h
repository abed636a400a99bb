#pragma once
// The fifth tab: About, and the page control it shares with Log/Undo.
#include <array>
#include <functional>

#include "core/page.h"

namespace qrv {

// The fifth tab: a page control with About and Log/Undo.
class AboutPage : public Page {
 public:
  AboutPage(const LanguageTable& language);
  void Enter() override { Select(0); }
  void Select(int index);
  int Selected() const { return selected_; }
  std::array<Label, 2> PageTabs;
  Panel TabLine;      // the thin line under the page control's tabs
  Panel SelectedBar;  // the accent under the selected tab
  Label ProductName;
  Label Version;
  Picture Logo;

 protected:
  void AddContents(Scene& scene) override;

 private:
  int selected_ = 0;
};

}  // namespace qrv
