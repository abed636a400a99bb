#include "ui/images.h"

#include <cstring>
#include <vector>

#include "engine/text.h"
#include "ui/gif_player.h"

namespace qrv::ui {

GdiplusSession::GdiplusSession() {
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
  Images::Get().Release();
  GifPlayer::Get().Release();
  Gdiplus::GdiplusShutdown(token_);
}

Images& Images::Get() {
  static Images images;
  return images;
}

namespace {

// Decodes a PNG resource and copies it into a bitmap of its own, so that the
// stream it came from can go at once.
std::unique_ptr<Gdiplus::Bitmap> LoadResourcePicture(const std::string& name) {
  const std::wstring wname = Wide(UpperAscii(name));
  HRSRC info = FindResourceW(nullptr, wname.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (info == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(nullptr, info);
  const DWORD size = SizeofResource(nullptr, info);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return nullptr;
  win32::GlobalMemory copy(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!copy) return nullptr;
  void* target = GlobalLock(copy.Get());
  std::memcpy(target, bytes, size);
  GlobalUnlock(copy.Get());
  IStream* made = nullptr;
  if (CreateStreamOnHGlobal(copy.Get(), TRUE, &made) != S_OK) return nullptr;
  copy.Release();  // the stream frees it
  const win32::ComPtr<IStream> stream(made);
  std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.Get()));
  std::unique_ptr<Gdiplus::Bitmap> result;
  if (decoded && decoded->GetLastStatus() == Gdiplus::Ok) {
    const auto w = static_cast<INT>(decoded->GetWidth());
    const auto h = static_cast<INT>(decoded->GetHeight());
    result = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppPARGB);
    Gdiplus::Graphics g(result.get());
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    g.DrawImage(decoded.get(), 0, 0, w, h);
  }
  return result;
}

}  // namespace

Gdiplus::Bitmap* Images::Find(const std::string& name) {
  auto it = cache_.find(name);
  if (it == cache_.end()) it = cache_.emplace(name, LoadResourcePicture(name)).first;
  return it->second.get();
}

HBITMAP Images::Bitmap(const std::string& name) {
  auto it = bitmaps_.find(name);
  if (it == bitmaps_.end()) {
    HBITMAP made = nullptr;
    if (Gdiplus::Bitmap* image = Find(name)) image->GetHBITMAP(Gdiplus::Color(255, 255, 255), &made);
    it = bitmaps_.emplace(name, win32::GdiObject<HBITMAP>(made)).first;
  }
  return it->second.Get();
}

COLORREF Images::Pixel(Gdiplus::Bitmap& bitmap, int x, int y) {
  Gdiplus::Color c;
  bitmap.GetPixel(x, y, &c);
  return RGB(c.GetR(), c.GetG(), c.GetB());
}

}  // namespace qrv::ui
