#include "ui/painter.h"

#include "ui/gif_player.h"
#include "ui/images.h"

namespace qrv::ui {

Fonts& Fonts::Get() {
  static Fonts fonts;
  return fonts;
}

HFONT Fonts::Find(const Font& font) {
  const auto key = std::make_tuple(font.size, font.bold, font.underline);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.Get();
  const int height = -MulDiv(font.size, GetDeviceCaps(win32::WindowDc().Get(), LOGPIXELSY), 72);
  win32::GdiObject<HFONT> made(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                                           font.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
  return fonts_.emplace(key, std::move(made)).first->second.Get();
}

int GdiMeasure::Width(const std::string& text, const Font& font) {
  const win32::WindowDc screen;
  const win32::Selection selected(screen.Get(), Fonts::Get().Find(font));
  const std::wstring w = Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(screen.Get(), w.c_str(), static_cast<int>(w.size()), &size);
  return size.cx;
}

void LabelPainter::Paint(HDC dc, const Label& label) {
  RECT rc{label.r.left, label.r.top, label.r.Right(), label.r.Bottom()};
  if (label.opaque) FillRect(dc, &rc, win32::GdiObject<HBRUSH>(CreateSolidBrush(label.back)).Get());
  if (label.text.empty()) return;
  const win32::Selection selected(dc, Fonts::Get().Find(label.font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, label.colour);
  UINT flags = DT_NOPREFIX;
  flags |= label.align == Align::Centre ? DT_CENTER : label.align == Align::Right ? DT_RIGHT : DT_LEFT;
  std::wstring text = Wide(label.text);
  if (label.wrap) {
    flags |= DT_WORDBREAK;
    if (label.centreVertically) {
      RECT need = rc;
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need, flags | DT_CALCRECT);
      const int offset = (label.r.height - (need.bottom - need.top)) / 2;
      if (offset > 0) rc.top += offset;
    }
  } else if (label.centreVertically) {
    flags |= DT_SINGLELINE | DT_VCENTER;
  }
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags);
}

void PicturePainter::Paint(HDC dc, const Picture& picture) {
  Gdiplus::Bitmap* bitmap = Images::Get().Find(picture.image);
  if (bitmap == nullptr || picture.r.width <= 0 || picture.r.height <= 0) return;
  Gdiplus::Graphics g(dc);
  const auto w = static_cast<INT>(bitmap->GetWidth());
  const auto h = static_cast<INT>(bitmap->GetHeight());
  if (w == picture.r.width && h == picture.r.height) {
    g.DrawImage(bitmap, picture.r.left, picture.r.top, w, h);
    return;
  }
  // Stretched (a progress fill): keep the edges crisp.
  g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  g.DrawImage(bitmap, Gdiplus::Rect(picture.r.left, picture.r.top, picture.r.width, picture.r.height), 0, 0, w, h,
              Gdiplus::UnitPixel);
}

void PanelPainter::Paint(HDC dc, const Panel& panel) {
  RECT rc{panel.r.left, panel.r.top, panel.r.Right(), panel.r.Bottom()};
  FillRect(dc, &rc, win32::GdiObject<HBRUSH>(CreateSolidBrush(panel.fill)).Get());
  if (panel.framed) FrameRect(dc, &rc, win32::GdiObject<HBRUSH>(CreateSolidBrush(panel.frame)).Get());
}

void PaintScene(HDC dc, const Scene& scene) {
  for (const Node* node : scene) {
    if (!node->visible) continue;
    if (const auto* label = dynamic_cast<const Label*>(node)) {
      LabelPainter::Paint(dc, *label);
    } else if (const auto* picture = dynamic_cast<const Picture*>(node)) {
      PicturePainter::Paint(dc, *picture);
    } else if (const auto* panel = dynamic_cast<const Panel*>(node)) {
      PanelPainter::Paint(dc, *panel);
    } else if (const auto* animation = dynamic_cast<const Animation*>(node)) {
      GifPlayer::Get().Paint(dc, *animation);
    }
  }
}

}  // namespace qrv::ui
