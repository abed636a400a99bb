#pragma once
// Scaling from the 96-DPI units the pages and dialogs are laid out in to the
// pixels of a screen of any DPI, and back for the mouse.
//
// Positions scale edge by edge (a rectangle's right edge is the scaled
// left + width, never left + scaled width), so two elements that adjoin at
// 96 DPI adjoin at every scale and an element inside another stays inside.
#include <string>
#include <vector>

#include "core/widgets.h"

namespace qrv {

inline constexpr int kBaseDpi = 96;

// The scales the artwork is rendered at, in percent.
inline constexpr int kArtPercents[] = {100, 125, 150, 200};

class DpiScale {
 public:
  DpiScale() = default;
  // A DPI below 96 counts as 96: the window is never drawn smaller.
  explicit DpiScale(int dpi) : dpi_(dpi < kBaseDpi ? kBaseDpi : dpi) {}

  int Dpi() const { return dpi_; }
  bool Identity() const { return dpi_ == kBaseDpi; }
  // The scale in percent, rounded to the nearest.
  int Percent() const { return (dpi_ * 100 + kBaseDpi / 2) / kBaseDpi; }

  // A coordinate (or an edge) in pixels: rounded to the nearest, halves up.
  int Point(int units) const;
  // A length that starts at 0 (a window's or a picture's size).
  int Length(int units) const { return Point(units); }
  // A rectangle, edge by edge.
  Bounds Rect(const Bounds& units) const;
  // The unit a pixel lies in: the largest u with Point(u) <= pixel. A pixel
  // lies in Rect(b) exactly when its unit lies in b.
  int ToUnits(int pixels) const;
  // The font height for CreateFont (negative: the character height).
  int FontHeight(int points) const;

 private:
  int dpi_ = kBaseDpi;
};

// The artwork's scale to draw at `dpi`: the exact one when it is rendered,
// else the next larger (drawn smaller), else the largest.
int ArtPercentFor(int dpi);
// The resource name of a picture at a scale: "name" at 100 %, else
// "name_150" and so on.
std::string ArtName(const std::string& name, int percent);

struct SkinShape;
// A window shape at a scale: every cut and the inner rectangle scaled edge by
// edge, so the shape at 96 DPI and the scaled one cut the same places.
SkinShape ScaleShape(const SkinShape& shape, const DpiScale& scale);

}  // namespace qrv
