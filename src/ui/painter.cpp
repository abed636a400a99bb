#include "ui/painter.h"

#include <cstdlib>

#include "ui/gif_player.h"
#include "ui/images.h"

namespace qrv::ui {

namespace {

RECT ToRect(const Bounds& b) { return {b.left, b.top, b.Right(), b.Bottom()}; }

}  // namespace

Fonts& Fonts::Get() {
  static Fonts fonts;
  return fonts;
}

HFONT Fonts::Find(const Font& font, int dpi) {
  const auto key = std::make_tuple(font.size, font.bold, font.underline, dpi);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.Get();
  const int height = DpiScale(dpi).FontHeight(font.size);
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

void LabelPainter::Paint(HDC dc, const Label& label, const DpiScale& scale) {
  const Bounds at = scale.Rect(label.r);
  RECT rc = ToRect(at);
  if (label.opaque) FillRect(dc, &rc, win32::GdiObject<HBRUSH>(CreateSolidBrush(label.back)).Get());
  if (label.text.empty()) return;
  const win32::Selection selected(dc, Fonts::Get().Find(label.font, scale.Dpi()));
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
      const int offset = (at.height - (need.bottom - need.top)) / 2;
      if (offset > 0) rc.top += offset;
    }
  } else if (label.centreVertically) {
    flags |= DT_SINGLELINE | DT_VCENTER;
  }
  // The pages measure their texts at 96 DPI; at other scales the font's own
  // rounding may make a text a few pixels wider than its scaled place: a
  // line is drawn whole rather than cut off.
  if (!label.wrap && !scale.Identity()) flags |= DT_NOCLIP;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags);
}

void PicturePainter::Paint(HDC dc, const Picture& picture, const DpiScale& scale) {
  Gdiplus::Bitmap* base = Images::Get().Find(picture.image);
  if (base == nullptr || picture.r.width <= 0 || picture.r.height <= 0) return;
  const Bounds at = scale.Rect(picture.r);
  const bool natural = static_cast<int>(base->GetWidth()) == picture.r.width &&
                       static_cast<int>(base->GetHeight()) == picture.r.height;
  // The artwork rendered for this scale, or the next larger one.
  const int percent = ArtPercentFor(scale.Dpi());
  Gdiplus::Bitmap* art = percent == 100 ? base : Images::Get().Find(ArtName(picture.image, percent));
  if (art == nullptr) art = base;
  const auto w = static_cast<INT>(art->GetWidth());
  const auto h = static_cast<INT>(art->GetHeight());
  // At its own size (or, rendered at this scale, a pixel off where the place
  // rounds the other way): copied pixel for pixel, clipped to its place.
  if (natural && ((w == at.width && h == at.height) ||
                  (percent == scale.Percent() && std::abs(w - at.width) <= 1 && std::abs(h - at.height) <= 1))) {
    HBITMAP bits = Images::Get().Bitmap(art == base ? picture.image : ArtName(picture.image, percent));
    if (bits != nullptr) {
      const win32::MemoryDc source(CreateCompatibleDC(dc));
      const win32::Selection selected(source.Get(), bits);
      BitBlt(dc, at.left, at.top, std::min(w, at.width), std::min(h, at.height), source.Get(), 0, 0, SRCCOPY);
      return;
    }
  }
  Gdiplus::Graphics g(dc);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  if (natural) {
    // A larger rendering drawn smaller: smooth.
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    g.DrawImage(art, Gdiplus::Rect(at.left, at.top, at.width, at.height), 0, 0, w, h, Gdiplus::UnitPixel, &edges);
    return;
  }
  // Stretched (a progress fill): keep the edges crisp.
  g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  g.DrawImage(art, Gdiplus::Rect(at.left, at.top, at.width, at.height), 0, 0, w, h, Gdiplus::UnitPixel);
}

void PanelPainter::Paint(HDC dc, const Panel& panel, const DpiScale& scale) {
  RECT rc = ToRect(scale.Rect(panel.r));
  FillRect(dc, &rc, win32::GdiObject<HBRUSH>(CreateSolidBrush(panel.fill)).Get());
  if (panel.framed) FrameRect(dc, &rc, win32::GdiObject<HBRUSH>(CreateSolidBrush(panel.frame)).Get());
}

void PaintScene(HDC dc, const Scene& scene, const DpiScale& scale) {
  for (const Node* node : scene) {
    if (!node->visible) continue;
    if (const auto* label = dynamic_cast<const Label*>(node)) {
      LabelPainter::Paint(dc, *label, scale);
    } else if (const auto* picture = dynamic_cast<const Picture*>(node)) {
      PicturePainter::Paint(dc, *picture, scale);
    } else if (const auto* panel = dynamic_cast<const Panel*>(node)) {
      PanelPainter::Paint(dc, *panel, scale);
    } else if (const auto* animation = dynamic_cast<const Animation*>(node)) {
      GifPlayer::Get().Paint(dc, *animation, scale);
    }
  }
}

}  // namespace qrv::ui
