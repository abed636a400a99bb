// Test helper: writes shortcut files through the system's shell-link object,
// as Explorer does. Arguments: pairs of (shortcut file, target as stored).
// Exit status 0 when every shortcut was saved.
#include "engine/win32/windows_support.h"

#include <objbase.h>
#include <shobjidl.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc % 2 == 0) {
    std::fputs("usage: make_shortcut LINK TARGET [LINK TARGET ...]\n", stderr);
    return 2;
  }
  if (FAILED(::CoInitialize(nullptr))) return 1;
  int failures = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool saved = SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                              reinterpret_cast<void**>(&link))) &&
                 SUCCEEDED(link->SetPath(argv[i + 1])) &&
                 SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                 SUCCEEDED(file->Save(argv[i], TRUE));
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    if (!saved) {
      std::fwprintf(stderr, L"make_shortcut: %ls not saved\n", argv[i]);
      ++failures;
    }
  }
  ::CoUninitialize();
  return failures == 0 ? 0 : 1;
}
