#include "core/page.h"

#include <utility>

#include "engine/file_ops.h"

namespace qrv {

void ShowAnimation(const AppState& app, Panel& area, Animation& gif, bool play) {
  gif.file = app.folders.ProgramFolder + "\\ProgressBar.gif";
  area.fill = kAnimationBack;
  area.visible = true;
  gif.visible = play && FileExists(app.platform, gif.file);
}

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
