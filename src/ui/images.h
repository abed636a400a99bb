#pragma once
// The skin's pictures: PNG resources of the program, decoded once by GDI+
// into premultiplied 32-bit bitmaps.
#include <map>
#include <memory>
#include <string>

#include "ui/win.h"

namespace qrv::ui {

// GDI+ for the life of the program.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

class Images {
 public:
  static Images& Get();
  // Null when the program holds no picture of that name.
  Gdiplus::Bitmap* Find(const std::string& name);
  // The same picture as a GDI bitmap, for drawing it at its own size with a
  // plain blit (the pictures are opaque).
  HBITMAP Bitmap(const std::string& name);
  // The colour of a pixel as 0x00BBGGRR, for the window shape.
  static COLORREF Pixel(Gdiplus::Bitmap& bitmap, int x, int y);
  void Release() {
    bitmaps_.clear();
    cache_.clear();
  }

 private:
  std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> cache_;
  std::map<std::string, win32::GdiObject<HBITMAP>> bitmaps_;
};

}  // namespace qrv::ui
