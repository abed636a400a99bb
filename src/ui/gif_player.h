#pragma once
// Plays animated GIF files: the frame to show follows the clock, so any
// number of windows can draw the same animation without keeping state.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/dpi_scale.h"
#include "core/widgets.h"
#include "ui/win.h"

namespace qrv::ui {

class GifPlayer {
 public:
  static GifPlayer& Get();
  // Draws the current frame of the file into the node's bounds.
  void Paint(HDC dc, const Animation& animation, const DpiScale& scale);
  void Release() { movies_.clear(); }

 private:
  struct Movie {
    std::unique_ptr<Gdiplus::Bitmap> image;
    std::vector<UINT> delays;  // milliseconds per frame
    UINT total = 0;
  };
  Movie* Load(const std::string& file);
  std::map<std::string, Movie> movies_;
};

}  // namespace qrv::ui
