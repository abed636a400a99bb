#pragma once
// The shape of a skinned window, cut from its background image: every run of
// the key colour (the colour of pixel (1, 1)) in the outer band, five pixels
// wide, is cut away; the inner rectangle always stays.
#include <functional>
#include <vector>

#include "core/widgets.h"

namespace qrv {

struct SkinShape {
  int width = 0;
  int height = 0;
  std::vector<Bounds> cuts;  // one row high each (at 96 DPI)
  // The rectangle that always stays: inside the outer band (set by
  // SkinRegion; ScaleShape scales it with the cuts).
  Bounds kept;
  Bounds Inner() const { return kept; }
  bool Contains(int x, int y) const;
};

// `pixel` answers the image's colour at (x, y); `pump` runs before each band.
SkinShape SkinRegion(int width, int height, const std::function<Colour(int, int)>& pixel,
                     const std::function<void()>& pump = {});

}  // namespace qrv
