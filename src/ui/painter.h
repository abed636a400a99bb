#pragma once
// Paints the elements of a scene: one class per kind of element.
#include <map>
#include <tuple>

#include "core/widgets.h"
#include "ui/win.h"

namespace qrv::ui {

// The type of the system controls: text boxes and lists, and the drop-down
// lists and time pickers.
inline constexpr Font kControlFont{8, false, false};
inline constexpr Font kChoiceFont{9, false, false};

// Arial in the sizes, weights and underlines the windows ask for.
class Fonts {
 public:
  static Fonts& Get();
  HFONT Find(const Font& font);

 private:
  std::map<std::tuple<int, bool, bool>, win32::GdiObject<HFONT>> fonts_;
};

// Measures texts as the labels draw them.
class GdiMeasure : public TextMeasure {
 public:
  int Width(const std::string& text, const Font& font) override;
};

class LabelPainter {
 public:
  static void Paint(HDC dc, const Label& label);
};

class PicturePainter {
 public:
  static void Paint(HDC dc, const Picture& picture);
};

class PanelPainter {
 public:
  static void Paint(HDC dc, const Panel& panel);
};

// Paints every visible element in order (system controls paint themselves).
void PaintScene(HDC dc, const Scene& scene);

}  // namespace qrv::ui
