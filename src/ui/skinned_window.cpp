#include "ui/skinned_window.h"

#include "core/skin_region.h"
#include "ui/images.h"
#include "ui/painter.h"

namespace qrv::ui {

namespace {

const wchar_t* const kClassName = L"QuorvaneSkinnedWindow";

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
  const POINT at = CentreOn(owner, width, height);
  const DWORD style = WS_POPUP | WS_CLIPCHILDREN | (appWindow ? WS_MINIMIZEBOX | WS_SYSMENU : 0);
  hwnd_ = CreateWindowExW(appWindow ? WS_EX_APPWINDOW : 0, kClassName, Wide(title).c_str(), style, at.x, at.y, width,
                          height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) return false;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinnedWindow::Proc));
  tooltip_.Create(hwnd_);
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
  const SkinShape shape = SkinRegion(w, h, [image](int x, int y) { return Images::Pixel(*image, x, y); }, pump);
  win32::GdiObject<HRGN> region(CreateRectRgn(0, 0, w, h));
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
    if (node->tooltip.empty() || !tools_.insert(node).second) continue;
    tooltip_.Add({node->r.left, node->r.top, node->r.Right(), node->r.Bottom()}, node->tooltip);
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
  for (Node* node : scene) {
    if (auto* list = dynamic_cast<ReportList*>(node)) {
      auto& view = lists_[list];
      if (!view) view = std::make_unique<ReportListView>(hwnd_, *list);
      view->Sync();
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
      edit = CreateWindowExW(0, L"EDIT", nullptr, style, box->r.left, box->r.top, box->r.width, box->r.height, hwnd_,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
      SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::Get().Find(kControlFont)), TRUE);
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
  choices_.Sync(hwnd_, scene);
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
    const win32::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(paint.Dc(), width_, height_));
    const win32::Selection selected(memory.Get(), bitmap.Get());
    RECT all{0, 0, width_, height_};
    FillRect(memory.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    scene = CurrentScene();
    PaintScene(memory.Get(), scene);
    BitBlt(paint.Dc(), 0, 0, width_, height_, memory.Get(), 0, 0, SRCCOPY);
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
  const auto x = static_cast<int>(static_cast<short>(LOWORD(lParam)));
  const auto y = static_cast<int>(static_cast<short>(HIWORD(lParam)));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_NCHITTEST: {
      const LRESULT hit = DefWindowProcW(hwnd_, message, wParam, lParam);
      POINT pt{x, y};
      ScreenToClient(hwnd_, &pt);
      if (hit == HTCLIENT && IsCaption(pt.x, pt.y)) return HTCAPTION;
      return hit;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd_, &pt);
        const Node* node = NodeAt(CurrentScene(), pt.x, pt.y);
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
