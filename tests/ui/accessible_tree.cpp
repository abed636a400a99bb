// Reads the accessible tree of Quorvane's main window (or of the dialog in
// front of it) as a screen reader does, through oleacc, and prints one line
// per element: role, state and name, tab-separated, in UTF-8.
//   ui_accessible.exe [dialog]
//   ui_accessible.exe focus-event: prints "ready", then the name of the element
//   whose focus the window announces next (EVENT_OBJECT_FOCUS), read through
//   AccessibleObjectFromEvent; gives up after a minute.
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

std::string announced;
bool heard = false;

void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  IAccessible* element = nullptr;
  VARIANT id;
  VariantInit(&id);
  if (FAILED(AccessibleObjectFromEvent(hwnd, static_cast<DWORD>(object), static_cast<DWORD>(child), &element, &id)) ||
      element == nullptr)
    return;
  BSTR name = nullptr;
  element->get_accName(id, &name);
  announced = Utf8(name);
  SysFreeString(name);
  element->Release();
  heard = true;
}

int WatchFocus(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent, process, 0,
                                       WINEVENT_OUTOFCONTEXT);
  if (hook == nullptr) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  const DWORD start = GetTickCount();
  MSG msg;
  while (!heard && GetTickCount() - start < 60000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 500, QS_ALLINPUT);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  UnhookWinEvent(hook);
  if (!heard) return 1;
  std::printf("%s\n", announced.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  HWND window = FindWindowW(L"QuorvaneSkinnedWindow", L"Quorvane");
  if (window == nullptr) return 1;
  if (argc > 1 && std::string(argv[1]) == "focus-event") {
    CoInitialize(nullptr);
    const int result = WatchFocus(window);
    CoUninitialize();
    return result;
  }
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
