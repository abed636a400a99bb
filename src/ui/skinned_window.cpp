#include "ui/skinned_window.h"

#include "ui/dpi.h"
#include "ui/images.h"
#include "ui/painter.h"

namespace qrv::ui {

namespace {

const wchar_t* const kClassName = L"QuorvaneSkinnedWindow";
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED

RECT ToRect(const Bounds& b) { return {b.left, b.top, b.Right(), b.Bottom()}; }

void RegisterClassOnce() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefWindowProcW;  // replaced per window at creation
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  registered = true;
}

}  // namespace

SkinnedWindow::~SkinnedWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool SkinnedWindow::Create(HWND owner, const std::string& title, int width, int height, bool appWindow) {
  RegisterClassOnce();
  width_ = width;
  height_ = height;
  // Sized for the screen first; the monitor the window lands on may differ.
  scale_ = DpiScale(ScreenDpi());
  const int w = scale_.Length(width);
  const int h = scale_.Length(height);
  const POINT at = CentreOn(owner, w, h);
  const DWORD style = WS_POPUP | WS_CLIPCHILDREN | (appWindow ? WS_MINIMIZEBOX | WS_SYSMENU : 0);
  hwnd_ = CreateWindowExW(appWindow ? WS_EX_APPWINDOW : 0, kClassName, Wide(title).c_str(), style, at.x, at.y, w, h,
                          owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) return false;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinnedWindow::Proc));
  tooltip_.Create(hwnd_);
  const int dpi = WindowDpi(hwnd_);
  if (dpi != scale_.Dpi()) {
    const POINT centred = CentreOn(owner, DpiScale(dpi).Length(width), DpiScale(dpi).Length(height));
    const RECT place{centred.x, centred.y, centred.x + DpiScale(dpi).Length(width),
                     centred.y + DpiScale(dpi).Length(height)};
    ApplyDpi(dpi, &place);
  }
  return true;
}

POINT SkinnedWindow::CentreOn(HWND owner, int width, int height) {
  RECT area{};
  if (owner != nullptr) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  return {area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
}

void SkinnedWindow::ApplySkinRegion(const std::string& background, const std::function<void()>& pump) {
  Gdiplus::Bitmap* image = Images::Get().Find(background);
  if (image == nullptr) return;
  const auto w = static_cast<int>(image->GetWidth());
  const auto h = static_cast<int>(image->GetHeight());
  shape_ = SkinRegion(w, h, [image](int x, int y) { return Images::Pixel(*image, x, y); }, pump);
  ApplyShape();
}

void SkinnedWindow::ApplyShape() {
  if (shape_.width <= 0 || hwnd_ == nullptr) return;
  // Cut at 96 DPI from the 100 % picture, scaled edge by edge.
  const SkinShape shape = ScaleShape(shape_, scale_);
  win32::GdiObject<HRGN> region(CreateRectRgn(0, 0, shape.width, shape.height));
  const auto combine = [&region](const Bounds& piece, int mode) {
    const win32::GdiObject<HRGN> other(CreateRectRgn(piece.left, piece.top, piece.Right(), piece.Bottom()));
    CombineRgn(region.Get(), region.Get(), other.Get(), mode);
  };
  for (const Bounds& cut : shape.cuts) combine(cut, RGN_DIFF);
  const Bounds inner = shape.Inner();
  if (inner.width > 0 && inner.height > 0) combine(inner, RGN_OR);
  // The window owns the region once it took it.
  if (SetWindowRgn(hwnd_, region.Get(), TRUE) != 0) region.Release();
}

void SkinnedWindow::ApplyDpi(int dpi, const RECT* at) {
  scale_ = DpiScale(dpi);
  const int w = scale_.Length(width_);
  const int h = scale_.Length(height_);
  RECT now{};
  GetWindowRect(hwnd_, &now);
  const RECT place = at != nullptr ? *at : now;
  SetWindowPos(hwnd_, nullptr, place.left, place.top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyShape();
  for (auto& [node, id] : tools_) tooltip_.Move(id, ToRect(scale_.Rect(node->r)));
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void SkinnedWindow::Redraw() {
  if (hwnd_ == nullptr) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void SkinnedWindow::AfterInput() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void SkinnedWindow::SyncTooltips() {
  for (Node* node : CurrentScene()) {
    if (node->tooltip.empty() || tools_.count(node) != 0) continue;
    tools_[node] = tooltip_.Add(ToRect(scale_.Rect(node->r)), node->tooltip);
  }
}

Node* SkinnedWindow::NodeAt(const Scene& scene, int x, int y) const {
  for (auto it = scene.rbegin(); it != scene.rend(); ++it) {
    if ((*it)->visible && (*it)->r.Contains(x, y)) return *it;
  }
  return nullptr;
}

void SkinnedWindow::SyncControls(const Scene& scene) {
  std::map<const TextBox*, bool> seen;
  std::set<ReportList*> listed;
  bool animation = false;
  if (controlsDpi_ != scale_.Dpi()) {
    for (auto& [box, edit] : edits_) {
      const Bounds at = scale_.Rect(box->r);
      MoveWindow(edit, at.left, at.top, at.width, at.height, TRUE);
      SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::Get().Find(kControlFont, scale_.Dpi())), TRUE);
    }
    controlsDpi_ = scale_.Dpi();
  }
  for (Node* node : scene) {
    if (auto* list = dynamic_cast<ReportList*>(node)) {
      auto& view = lists_[list];
      if (!view) view = std::make_unique<ReportListView>(hwnd_, *list, scale_);
      view->Sync(scale_);
      listed.insert(list);
      continue;
    }
    if (dynamic_cast<const Animation*>(node) != nullptr && node->visible) animation = true;
    const auto* box = dynamic_cast<const TextBox*>(node);
    if (box == nullptr) continue;
    seen[box] = true;
    HWND& edit = edits_[box];
    if (edit == nullptr) {
      DWORD style = WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_BORDER;
      if (!box->wrap) style |= WS_HSCROLL | ES_AUTOHSCROLL;
      const Bounds at = scale_.Rect(box->r);
      edit = CreateWindowExW(0, L"EDIT", nullptr, style, at.left, at.top, at.width, at.height, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
      SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::Get().Find(kControlFont, scale_.Dpi())), TRUE);
      editVersions_[box] = box->version - 1;
    }
    if (editVersions_[box] != box->version) {
      std::string text;
      for (const std::string& line : box->lines) text += line + "\r\n";
      SetWindowTextW(edit, Wide(text).c_str());
      editVersions_[box] = box->version;
    }
    ShowWindow(edit, box->visible ? SW_SHOWNA : SW_HIDE);
  }
  for (auto& [box, edit] : edits_) {
    if (seen.count(box) == 0) ShowWindow(edit, SW_HIDE);
  }
  for (auto& [list, view] : lists_) {
    if (listed.count(list) == 0) ShowWindow(view->Handle(), SW_HIDE);
  }
  choices_.Sync(hwnd_, scene, scale_);
  // Animations play at 20 frames a second while one is shown.
  if (animation != animating_) {
    animating_ = animation;
    if (animation) {
      SetTimer(hwnd_, 1, 50, nullptr);
    } else {
      KillTimer(hwnd_, 1);
    }
  }
}

void SkinnedWindow::Paint() {
  Scene scene;
  {
    // The scene is drawn into a buffer, then copied to the window at once.
    const win32::PaintSession paint(hwnd_);
    const win32::MemoryDc memory(CreateCompatibleDC(paint.Dc()));
    const int w = scale_.Length(width_);
    const int h = scale_.Length(height_);
    const win32::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(paint.Dc(), w, h));
    const win32::Selection selected(memory.Get(), bitmap.Get());
    RECT all{0, 0, w, h};
    FillRect(memory.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    scene = CurrentScene();
    PaintScene(memory.Get(), scene, scale_);
    BitBlt(paint.Dc(), 0, 0, w, h, memory.Get(), 0, 0, SRCCOPY);
  }
  SyncControls(scene);
}

LRESULT CALLBACK SkinnedWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<SkinnedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT SkinnedWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND const window = hwnd_;
  // The mouse in the scene's units.
  const int x = scale_.ToUnits(static_cast<short>(LOWORD(lParam)));
  const int y = scale_.ToUnits(static_cast<short>(HIWORD(lParam)));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_NCHITTEST: {
      const LRESULT hit = DefWindowProcW(hwnd_, message, wParam, lParam);
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ScreenToClient(hwnd_, &pt);
      if (hit == HTCLIENT && IsCaption(scale_.ToUnits(pt.x), scale_.ToUnits(pt.y))) return HTCAPTION;
      return hit;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd_, &pt);
        const Node* node = NodeAt(CurrentScene(), scale_.ToUnits(pt.x), scale_.ToUnits(pt.y));
        SetCursor(LoadCursorW(nullptr, node != nullptr && node->hand ? MAKEINTRESOURCEW(32649)    // IDC_HAND
                                                                     : MAKEINTRESOURCEW(32512)));  // IDC_ARROW
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE: {
      Node* node = NodeAt(CurrentScene(), x, y);
      if (node != nullptr && node->onMouseMove) {
        const auto action = node->onMouseMove;
        action();
        AfterInput();
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressed_ = NodeAt(CurrentScene(), x, y);
      return 0;
    case WM_LBUTTONUP: {
      Node* node = NodeAt(CurrentScene(), x, y);
      Node* pressed = pressed_;
      pressed_ = nullptr;
      if (node != nullptr && node == pressed && node->onClick) {
        const auto action = node->onClick;
        action();
        AfterInput();
      }
      return 0;
    }
    case WM_TIMER:
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (choices_.OnNotify(*header)) return 0;
      for (auto& [list, view] : lists_) {
        if (view->Handle() == header->hwndFrom) view->OnNotify(*header);
      }
      AfterInput();  // a new selection may change what the page shows
      return 0;
    }
    case WM_COMMAND:
      if (choices_.OnCommand(wParam, lParam)) return 0;
      break;
    case WM_KEYDOWN:
      OnKey(wParam == VK_ESCAPE ? Key::Escape : wParam == VK_F1 ? Key::F1 : Key::Other);
      AfterInput();
      return 0;
    case kDpiChanged:
      // Moved to a monitor of another scale: where the system suggests, at
      // the new scale.
      ApplyDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      if (OnClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      OnDestroyed();
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace qrv::ui
