#pragma once
// Paints the elements of a scene: one class per kind of element.
#include <map>
#include <tuple>

#include "core/dpi_scale.h"
#include "core/widgets.h"
#include "ui/win.h"

namespace qrv::ui {

// The type of the system controls: text boxes and lists, and the drop-down
// lists and time pickers.
inline constexpr Font kControlFont{8, false, false};
inline constexpr Font kChoiceFont{9, false, false};

// Arial in the sizes, weights and underlines the windows ask for, at a DPI.
class Fonts {
 public:
  static Fonts& Get();
  HFONT Find(const Font& font, int dpi = kBaseDpi);

 private:
  std::map<std::tuple<int, bool, bool, int>, win32::GdiObject<HFONT>> fonts_;
};

// Measures texts as the labels draw them at 96 DPI (the pages' units).
class GdiMeasure : public TextMeasure {
 public:
  int Width(const std::string& text, const Font& font) override;
};

// Each painter places its element at the scale's pixels.
class LabelPainter {
 public:
  static void Paint(HDC dc, const Label& label, const DpiScale& scale);
};

class PicturePainter {
 public:
  static void Paint(HDC dc, const Picture& picture, const DpiScale& scale);
};

class PanelPainter {
 public:
  static void Paint(HDC dc, const Panel& panel, const DpiScale& scale);
};

// Paints every visible element in order (system controls paint themselves).
void PaintScene(HDC dc, const Scene& scene, const DpiScale& scale);

}  // namespace qrv::ui
