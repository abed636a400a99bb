#include "ui/accessible.h"

#include <utility>

namespace qrv::ui {

namespace {

// IAccessible's interface id, kept here: the import library and the uuid
// library both define the symbol.
constexpr IID kAccessibleId = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

LONG RoleCode(Role role) {
  switch (role) {
    case Role::Button: return ROLE_SYSTEM_PUSHBUTTON;
    case Role::Link: return ROLE_SYSTEM_LINK;
    case Role::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case Role::Radio: return ROLE_SYSTEM_RADIOBUTTON;
    case Role::PageTab: return ROLE_SYSTEM_PAGETAB;
    case Role::List: return ROLE_SYSTEM_LIST;
    case Role::DropDown: return ROLE_SYSTEM_COMBOBOX;
    case Role::TimePicker: return ROLE_SYSTEM_CLOCK;
    case Role::TextBox: return ROLE_SYSTEM_TEXT;
    default: return ROLE_SYSTEM_STATICTEXT;
  }
}

LONG StateCode(const AccessibleElement& e) {
  LONG state = 0;
  if (!e.visible) state |= STATE_SYSTEM_INVISIBLE;
  if (!e.enabled) state |= STATE_SYSTEM_UNAVAILABLE;
  if (e.focusable) state |= STATE_SYSTEM_FOCUSABLE;
  if (e.focused) state |= STATE_SYSTEM_FOCUSED;
  if (e.checked == 1) state |= STATE_SYSTEM_CHECKED;
  if (e.selected) state |= STATE_SYSTEM_SELECTED;
  if (e.role == Role::PageTab) state |= STATE_SYSTEM_SELECTABLE;
  if (e.role == Role::Link) state |= STATE_SYSTEM_LINKED;
  if (e.role == Role::TextBox) state |= STATE_SYSTEM_READONLY;
  return state;
}

BSTR Bstr(const std::string& text) {
  const std::wstring wide = Wide(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

}  // namespace

// The client area's object: child ids 1..n are the elements in reading order.
class WindowAccessible final : public IAccessible {
 public:
  WindowAccessible(HWND hwnd, AccessibleSource source) : hwnd_(hwnd), source_(std::move(source)) {}
  void Disconnect() { hwnd_ = nullptr; }
  void Update(AccessibleSource source) { source_ = std::move(source); }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kAccessibleId) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: readers use the interface's own methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    return AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    *count = static_cast<LONG>(source_.elements().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    AccessibleElement e;
    return Find(child, e) ? S_FALSE : E_INVALIDARG;  // the elements are simple children
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, name, [this](const AccessibleElement* e) {
      if (e != nullptr) return e->name;
      const int length = GetWindowTextLengthW(hwnd_);
      std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
      GetWindowTextW(hwnd_, title.data(), length + 1);
      title.resize(static_cast<std::size_t>(length));
      return win32::Narrow(title);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override { return Nothing(value); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Nothing(text); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return Number(child, role,
                  [](const AccessibleElement* e) { return e != nullptr ? RoleCode(e->role) : ROLE_SYSTEM_CLIENT; });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return Number(child, state, [this](const AccessibleElement* e) {
      if (e != nullptr) return StateCode(*e);
      return static_cast<LONG>(STATE_SYSTEM_FOCUSABLE | (GetFocus() == hwnd_ ? STATE_SYSTEM_FOCUSED : 0));
    });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return Nothing(help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (topic != nullptr) *topic = 0;
    return Nothing(file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return Text(child, keys, [](const AccessibleElement* e) {
      return e != nullptr && e->accessKey != 0 ? std::string("Alt+") + static_cast<char>(e->accessKey - 'a' + 'A')
                                               : std::string();
    });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    VariantInit(focus);
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    const auto all = source_.elements();
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (!all[i].focused) continue;
      focus->vt = VT_I4;
      focus->lVal = static_cast<LONG>(i + 1);
      return S_OK;
    }
    if (GetFocus() != hwnd_) return S_FALSE;
    focus->vt = VT_I4;
    focus->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) return E_POINTER;
    VariantInit(selection);
    return hwnd_ == nullptr ? CO_E_OBJNOTCONNECTED : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* action) override { return Nothing(action); }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    AccessibleElement e;
    if (!Find(child, e)) return E_INVALIDARG;
    if ((flags & SELFLAG_TAKEFOCUS) == 0 || !e.focusable) return S_FALSE;
    source_.focus(e.node);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    RECT at{};
    if (IsSelf(child)) {
      GetClientRect(hwnd_, &at);
      MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&at), 2);
    } else {
      AccessibleElement e;
      if (!Find(child, e)) return E_INVALIDARG;
      at = source_.toScreen(e.r);
    }
    *left = at.left;
    *top = at.top;
    *width = at.right - at.left;
    *height = at.bottom - at.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (end == nullptr) return E_POINTER;
    VariantInit(end);
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    const auto count = static_cast<LONG>(source_.elements().size());
    LONG to = 0;
    const LONG from = start.vt == VT_I4 ? start.lVal : CHILDID_SELF;
    switch (direction) {
      case NAVDIR_FIRSTCHILD: to = from == CHILDID_SELF && count > 0 ? 1 : 0; break;
      case NAVDIR_LASTCHILD: to = from == CHILDID_SELF ? count : 0; break;
      case NAVDIR_NEXT: to = from != CHILDID_SELF && from < count ? from + 1 : 0; break;
      case NAVDIR_PREVIOUS: to = from > 1 ? from - 1 : 0; break;
      default: return E_NOTIMPL;
    }
    if (to <= 0) return S_FALSE;
    end->vt = VT_I4;
    end->lVal = to;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    if (child == nullptr) return E_POINTER;
    VariantInit(child);
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    const auto all = source_.elements();
    // The topmost element under the point: the last in reading order that holds it.
    for (std::size_t i = all.size(); i-- > 0;) {
      if (!all[i].visible) continue;
      const RECT at = source_.toScreen(all[i].r);
      if (x >= at.left && x < at.right && y >= at.top && y < at.bottom) {
        child->vt = VT_I4;
        child->lVal = static_cast<LONG>(i + 1);
        return S_OK;
      }
    }
    POINT pt{x, y};
    RECT client{};
    GetClientRect(hwnd_, &client);
    ScreenToClient(hwnd_, &pt);
    if (!PtInRect(&client, pt)) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    AccessibleElement e;
    if (!Find(child, e)) return E_INVALIDARG;
    if (!e.focusable) return DISP_E_MEMBERNOTFOUND;
    // Acted on after the reader's call returns, as a click is.
    source_.press(e.node);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
  bool Find(const VARIANT& child, AccessibleElement& out) const {
    if (child.vt != VT_I4 || child.lVal <= 0) return false;
    const auto all = source_.elements();
    if (static_cast<std::size_t>(child.lVal) > all.size()) return false;
    out = all[static_cast<std::size_t>(child.lVal - 1)];
    return true;
  }
  template <typename Get>
  HRESULT Text(const VARIANT& child, BSTR* out, Get get) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    AccessibleElement e;
    const bool self = IsSelf(child);
    if (!self && !Find(child, e)) return E_INVALIDARG;
    const std::string text = get(self ? nullptr : &e);
    if (text.empty()) return S_FALSE;
    *out = Bstr(text);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  template <typename Get>
  HRESULT Number(const VARIANT& child, VARIANT* out, Get get) {
    if (out == nullptr) return E_POINTER;
    VariantInit(out);
    if (hwnd_ == nullptr) return CO_E_OBJNOTCONNECTED;
    AccessibleElement e;
    const bool self = IsSelf(child);
    if (!self && !Find(child, e)) return E_INVALIDARG;
    out->vt = VT_I4;
    out->lVal = get(self ? nullptr : &e);
    return S_OK;
  }
  HRESULT Nothing(BSTR* out) const {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return hwnd_ == nullptr ? CO_E_OBJNOTCONNECTED : S_FALSE;
  }

  LONG refs_ = 1;
  HWND hwnd_;
  AccessibleSource source_;
};

AccessibleOwner::~AccessibleOwner() { Disconnect(); }

LRESULT AccessibleOwner::Answer(HWND hwnd, WPARAM wParam, LPARAM lParam, AccessibleSource source) {
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return 0;
  if (object_ == nullptr) {
    object_ = new WindowAccessible(hwnd, std::move(source));
  } else {
    object_->Update(std::move(source));
  }
  return LresultFromObject(kAccessibleId, wParam, static_cast<IAccessible*>(object_));
}

void AccessibleOwner::Disconnect() {
  if (object_ == nullptr) return;
  object_->Disconnect();
  object_->Release();
  object_ = nullptr;
}

LONG ChildIdOf(const std::vector<AccessibleElement>& elements, const Node* node) {
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (elements[i].node == node) return static_cast<LONG>(i + 1);
  }
  return CHILDID_SELF;
}

}  // namespace qrv::ui
