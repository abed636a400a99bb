// Reads the accessible tree of Quorvane's main window (or of the dialog in
// front of it) as a screen reader does, through oleacc, and prints one line
// per element: role, state and name, tab-separated, in UTF-8.
//   ui_accessible.exe [dialog]
// Exits 1 when there is no window or the window answers no object.
#include <cstdio>
#include <string>

#include "engine/win32/windows_support.h"
#include <oleacc.h>

namespace {

std::string Utf8(BSTR text) {
  if (text == nullptr) return {};
  const int length = static_cast<int>(SysStringLen(text));
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  HWND window = FindWindowW(L"QuorvaneSkinnedWindow", L"Quorvane");
  if (window == nullptr) return 1;
  if (argc > 1 && std::string(argv[1]) == "dialog") {
    window = GetWindow(window, GW_ENABLEDPOPUP);
    if (window == nullptr) return 1;
  }
  CoInitialize(nullptr);
  // IAccessible's interface id (the import and uuid libraries both define the symbol).
  const IID accessibleId = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  IAccessible* client = nullptr;
  const HRESULT got = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), accessibleId,
                                                 reinterpret_cast<void**>(&client));
  if (FAILED(got) || client == nullptr) {
    std::fprintf(stderr, "no accessible object: 0x%08lx\n", static_cast<unsigned long>(got));
    return 1;
  }
  LONG count = 0;
  client->get_accChildCount(&count);
  for (LONG i = 1; i <= count; ++i) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = i;
    BSTR name = nullptr;
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    client->get_accName(child, &name);
    client->get_accRole(child, &role);
    client->get_accState(child, &state);
    std::printf("%ld\t0x%lx\t%s\n", role.vt == VT_I4 ? role.lVal : -1L, state.vt == VT_I4 ? state.lVal : 0L,
                Utf8(name).c_str());
    SysFreeString(name);
  }
  client->Release();
  CoUninitialize();
  return 0;
}
