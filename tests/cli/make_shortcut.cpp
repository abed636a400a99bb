// Test helper: writes shortcut files through the system's shell-link object,
// as Explorer does. Arguments: pairs of (shortcut file, target as stored).
// Exit status 0 when every shortcut was saved.
#include "engine/win32/shell_link.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc % 2 == 0) {
    std::fputs("usage: make_shortcut LINK TARGET [LINK TARGET ...]\n", stderr);
    return 2;
  }
  const qrv::win32::ComSession com;
  if (!com.Initialised()) return 1;
  int failures = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    qrv::win32::ShellLink link;
    if (!link.SetTarget(qrv::win32::Narrow(argv[i + 1])) || !link.Save(qrv::win32::Narrow(argv[i]))) {
      std::fwprintf(stderr, L"make_shortcut: %ls not saved\n", argv[i]);
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
