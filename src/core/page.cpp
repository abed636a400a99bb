#include "core/page.h"

#include <utility>

namespace qrv {

Page::Page(std::string name) {
  Back.name = std::move(name);
  Back.r = PageBounds(0, 0, 716, 407);
  Back.fill = kWhite;
}

Scene Page::Contents() {
  Scene scene{&Back};
  AddContents(scene);
  return scene;
}

}  // namespace qrv
