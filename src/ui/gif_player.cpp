#include "ui/gif_player.h"

namespace qrv::ui {

GifPlayer& GifPlayer::Get() {
  static GifPlayer player;
  return player;
}

GifPlayer::Movie* GifPlayer::Load(const std::string& file) {
  auto it = movies_.find(file);
  if (it != movies_.end()) return it->second.image ? &it->second : nullptr;
  Movie& movie = movies_[file];
  auto image = std::make_unique<Gdiplus::Bitmap>(Wide(file).c_str());
  if (image->GetLastStatus() != Gdiplus::Ok) return nullptr;
  GUID dimension = Gdiplus::FrameDimensionTime;
  const UINT frames = std::max(1u, image->GetFrameCount(&dimension));
  movie.delays.assign(frames, 100);
  const UINT size = image->GetPropertyItemSize(PropertyTagFrameDelay);
  if (size > 0) {
    std::vector<char> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (image->GetPropertyItem(PropertyTagFrameDelay, size, item) == Gdiplus::Ok) {
      const auto* hundredths = static_cast<const UINT*>(item->value);
      const UINT count = item->length / sizeof(UINT);
      for (UINT i = 0; i < frames && i < count; ++i) movie.delays[i] = std::max(20u, hundredths[i] * 10);
    }
  }
  for (UINT d : movie.delays) movie.total += d;
  movie.image = std::move(image);
  return &movie;
}

void GifPlayer::Paint(HDC dc, const Animation& animation, const DpiScale& scale) {
  Movie* movie = Load(animation.file);
  if (movie == nullptr) return;
  UINT at = GetTickCount() % movie->total;
  UINT frame = 0;
  while (frame + 1 < movie->delays.size() && at >= movie->delays[frame]) at -= movie->delays[frame++];
  GUID dimension = Gdiplus::FrameDimensionTime;
  movie->image->SelectActiveFrame(&dimension, frame);
  Gdiplus::Graphics g(dc);
  const Bounds place = scale.Rect(animation.r);
  if (!scale.Identity()) g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  g.DrawImage(movie->image.get(), place.left, place.top, place.width, place.height);
}

}  // namespace qrv::ui
