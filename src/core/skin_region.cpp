#include "core/skin_region.h"

#include <algorithm>

namespace qrv {

bool SkinShape::Contains(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return false;
  const Bounds inner = Inner();
  if (inner.width > 0 && inner.height > 0 && inner.Contains(x, y)) return true;
  return std::none_of(cuts.begin(), cuts.end(), [&](const Bounds& b) { return b.Contains(x, y); });
}

namespace {

// Cuts the key-coloured runs of columns [x0, x1) on rows [y0, y1).
void CutBand(SkinShape& shape, int x0, int x1, int y0, int y1, Colour key,
             const std::function<Colour(int, int)>& pixel) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, shape.width);
  y1 = std::min(y1, shape.height);
  for (int y = y0; y < y1; ++y) {
    int x = x0;
    while (x < x1) {
      const Colour c = pixel(x, y);
      int end = x + 1;
      while (end < x1 && pixel(end, y) == c) ++end;
      if (c == key) shape.cuts.push_back({x, y, end - x, 1});
      x = end;
    }
  }
}

}  // namespace

SkinShape SkinRegion(int width, int height, const std::function<Colour(int, int)>& pixel,
                     const std::function<void()>& pump) {
  SkinShape shape;
  shape.width = width;
  shape.height = height;
  shape.kept = {5, 5, width - 10, height - 10};
  if (width < 2 || height < 2) return shape;
  const Colour key = pixel(1, 1);
  const auto band = [&](int x0, int x1, int y0, int y1) {
    if (pump) pump();
    CutBand(shape, x0, x1, y0, y1, key, pixel);
  };
  band(0, width, 0, 5);
  band(0, 5, 5, height - 5);
  band(width - 5, width, 5, height - 5);
  band(0, width, height - 5, height);
  return shape;
}

}  // namespace qrv
