#pragma once
// The Clean Up tab's first page.
#include <array>
#include <functional>

#include "core/page.h"

namespace qrv {

// The Clean Up page: three large buttons leading to its three sub-pages.
class CleanUpPage : public Page {
 public:
  CleanUpPage(const LanguageTable& language, std::function<void(int)> choose);
  std::array<ImageButton, 3> Buttons;
  std::array<Picture, 3> Icons;
  ButtonGroup Group;

 protected:
  void AddContents(Scene& scene) override;
};

}  // namespace qrv
