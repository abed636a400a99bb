#include "ui/skinned_window.h"

#include "ui/dpi.h"
#include "ui/images.h"
#include "ui/painter.h"

#include <algorithm>
#include <cctype>

namespace qrv::ui {

namespace {

const wchar_t* const kClassName = L"QuorvaneSkinnedWindow";
// A screen reader pressed an element (lParam: its node).
constexpr UINT kPressElement = WM_APP + 1;
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
  // The focus mark from the start when the system asks for keyboard cues.
  BOOL cues = FALSE;
  if (SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0) && cues) Focus().ShowMark();
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
  if (hwnd_ == nullptr) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  SyncFocus();
}

void SkinnedWindow::RouteKeys(MSG& msg) {
  if (msg.message != WM_SYSCHAR && !(msg.message == WM_KEYDOWN && msg.wParam == VK_TAB)) return;
  HWND const root = GetAncestor(msg.hwnd, GA_ROOT);
  if (root == nullptr || root == msg.hwnd) return;
  wchar_t name[64] = {};
  GetClassNameW(root, name, 64);
  if (std::wstring(name) == kClassName) msg.hwnd = root;
}

HWND SkinnedWindow::ControlOf(const Node* node) const {
  if (node == nullptr) return nullptr;
  for (const auto& [list, view] : lists_) {
    if (list == node) return view->Handle();
  }
  for (const auto& [box, edit] : edits_) {
    if (box == node) return edit;
  }
  return choices_.HandleOf(node);
}

const Node* SkinnedWindow::NodeOfControl(HWND control) const {
  for (Node* node : const_cast<SkinnedWindow*>(this)->CurrentScene()) {
    if (control != nullptr && ControlOf(node) == control) return node;
  }
  return nullptr;
}

void SkinnedWindow::SyncFocus() {
  KeyboardFocus& focus = Focus();
  const Node* node = focus.Focused(CurrentScene());
  HWND const control = ControlOf(node);
  HWND const now = GetFocus();
  if (control != nullptr) {
    if (now != control) SetFocus(control);
  } else if (now != nullptr && now != hwnd_ && IsChild(hwnd_, now)) {
    SetFocus(hwnd_);
  }
  // Screen readers hear of a new focus and of changed states.
  const std::vector<AccessibleElement> all = Accessible();
  if (focus.Changes() != announced_) {
    announced_ = focus.Changes();
    if (node != nullptr && control == nullptr) {
      NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd_, OBJID_CLIENT, ChildIdOf(all, node));
    }
  }
  std::vector<std::pair<const Node*, LONG>> states;
  for (const AccessibleElement& e : all) {
    states.emplace_back(e.node, (e.visible ? 1 : 0) | (e.enabled ? 2 : 0) | (e.checked == 1 ? 4 : 0) | (e.selected ? 8 : 0));
  }
  if (states.size() == states_.size()) {
    for (std::size_t i = 0; i < states.size(); ++i) {
      if (states[i] != states_[i] && states[i].first == states_[i].first) {
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd_, OBJID_CLIENT, static_cast<LONG>(i + 1));
      }
    }
  } else if (!states_.empty()) {
    NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd_, OBJID_CLIENT, CHILDID_SELF);
  }
  states_ = std::move(states);
}

AccessibleSource SkinnedWindow::Source() {
  AccessibleSource source;
  source.elements = [this] { return Accessible(); };
  source.toScreen = [this](const Bounds& b) {
    const Bounds at = scale_.Rect(b);
    RECT r{at.left, at.top, at.Right(), at.Bottom()};
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  source.focus = [this](const Node* node) {
    OnFocus(node);
    AfterInput();
  };
  // A reader's press is a click: it runs once the reader's call has returned.
  source.press = [this](const Node* node) { PostMessageW(hwnd_, kPressElement, 0, reinterpret_cast<LPARAM>(node)); };
  return source;
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
    // The focus mark, as Windows draws it, around an element the window draws.
    const Node* focused = Focus().MarkShown() ? Focus().Focused(scene) : nullptr;
    if (focused != nullptr && ControlOf(focused) == nullptr) {
      for (const AccessibleElement& e : Accessible()) {
        if (e.node != focused) continue;
        const Bounds at = scale_.Rect(e.r);
        RECT mark{at.left - 2, at.top - 1, at.Right() + 2, at.Bottom() + 1};
        DrawFocusRect(memory.Get(), &mark);
      }
    }
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
        OnFocus(node);
        const auto action = node->onClick;
        action();
        AfterInput();
      }
      return 0;
    }
    case kPressElement: {
      // Only an element still in the scene: the reader's list may be older.
      const Scene scene = CurrentScene();
      const auto* node = reinterpret_cast<const Node*>(lParam);
      if (std::find(scene.begin(), scene.end(), node) == scene.end()) return 0;
      OnFocus(node);
      OnKey(Key::Enter);
      AfterInput();
      return 0;
    }
    case WM_GETOBJECT: {
      const LRESULT answer = accessible_.Answer(hwnd_, wParam, lParam, Source());
      if (answer != 0) return answer;
      break;
    }
    case WM_SETFOCUS:
      // Back from a dialog or another program: a focused system control
      // takes the focus again.
      SyncFocus();
      return 0;
    case WM_TIMER:
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == NM_SETFOCUS) {  // a click into a list or a time picker
        if (const Node* node = NodeOfControl(header->hwndFrom)) OnFocus(node);
      }
      if (choices_.OnNotify(*header)) return 0;
      for (auto& [list, view] : lists_) {
        if (view->Handle() == header->hwndFrom) view->OnNotify(*header);
      }
      AfterInput();  // a new selection may change what the page shows
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_SETFOCUS || HIWORD(wParam) == CBN_SETFOCUS) {
        if (const Node* node = NodeOfControl(reinterpret_cast<HWND>(lParam))) OnFocus(node);
      }
      if (choices_.OnCommand(wParam, lParam)) return 0;
      break;
    case WM_KEYDOWN: {
      const bool repeat = (lParam & (1L << 30)) != 0;
      Key key = Key::Other;
      switch (wParam) {
        case VK_ESCAPE: key = Key::Escape; break;
        case VK_F1: key = Key::F1; break;
        case VK_TAB: key = GetKeyState(VK_SHIFT) < 0 ? Key::ShiftTab : Key::Tab; break;
        case VK_SPACE: key = repeat ? Key::Other : Key::Space; break;
        case VK_RETURN: key = repeat ? Key::Other : Key::Enter; break;
        case VK_LEFT: key = Key::Left; break;
        case VK_RIGHT: key = Key::Right; break;
        case VK_UP: key = Key::Up; break;
        case VK_DOWN: key = Key::Down; break;
        default: break;
      }
      OnKey(key);
      AfterInput();
      return 0;
    }
    case WM_SYSKEYDOWN:
      // Alt shows the keyboard cues; Alt+F4 and the rest stay the system's.
      if (wParam == VK_MENU && !Focus().MarkShown()) {
        Focus().ShowMark();
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      break;
    case WM_SYSCHAR:
      if (wParam < 128 && std::isalnum(static_cast<int>(wParam)) && OnAccessKey(static_cast<char>(wParam))) {
        AfterInput();
        return 0;
      }
      break;
    case kDpiChanged:
      // Moved to a monitor of another scale: where the system suggests, at
      // the new scale.
      ApplyDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      if (OnClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      accessible_.Disconnect();
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
