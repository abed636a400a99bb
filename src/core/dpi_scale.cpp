#include "core/dpi_scale.h"

#include "core/skin_region.h"

#include <iterator>

namespace qrv {

namespace {

// Floor division, also for negative numerators (positions left of or above
// a window).
int FloorDiv(long long a, long long b) {
  const long long q = a / b;
  return static_cast<int>((a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q);
}

}  // namespace

int DpiScale::Point(int units) const {
  return FloorDiv(static_cast<long long>(units) * dpi_ + kBaseDpi / 2, kBaseDpi);
}

Bounds DpiScale::Rect(const Bounds& units) const {
  const int left = Point(units.left);
  const int top = Point(units.top);
  return {left, top, Point(units.Right()) - left, Point(units.Bottom()) - top};
}

int DpiScale::ToUnits(int pixels) const {
  // Point(u) <= p  <=>  u * dpi + 48 < 96 * (p + 1)  <=>  u * dpi <= 96p + 47.
  return FloorDiv(static_cast<long long>(pixels) * kBaseDpi + kBaseDpi / 2 - 1, dpi_);
}

int DpiScale::FontHeight(int points) const {
  // As MulDiv(points, dpi, 72): rounded to the nearest.
  return -FloorDiv(static_cast<long long>(points) * dpi_ + 36, 72);
}

int ArtPercentFor(int dpi) {
  const int percent = DpiScale(dpi).Percent();
  for (int p : kArtPercents)
    if (p >= percent) return p;
  return kArtPercents[std::size(kArtPercents) - 1];
}

std::string ArtName(const std::string& name, int percent) {
  return percent == 100 ? name : name + "_" + std::to_string(percent);
}

SkinShape ScaleShape(const SkinShape& shape, const DpiScale& scale) {
  SkinShape scaled;
  scaled.width = scale.Length(shape.width);
  scaled.height = scale.Length(shape.height);
  scaled.kept = scale.Rect(shape.kept);
  scaled.cuts.reserve(shape.cuts.size());
  for (const Bounds& cut : shape.cuts) {
    const Bounds r = scale.Rect(cut);
    if (r.width > 0 && r.height > 0) scaled.cuts.push_back(r);
  }
  return scaled;
}

}  // namespace qrv
