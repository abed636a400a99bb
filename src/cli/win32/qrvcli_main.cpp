// The console program's entry: arguments from the system, the real Windows
// behind the platform operations, and the printed results.
#include "engine/win32/windows_support.h"

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "engine/win32/win32_platform.h"

namespace {

using qrv::win32::Narrow;
using qrv::win32::Wide;

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  const qrv::win32::LocalMemory<wchar_t*> argv(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(Narrow(argv.Get()[i]));
  return args;
}

// A console gets the text as UTF-16; a file or pipe gets the UTF-8 bytes.
void Write(DWORD which, const std::string& text) {
  if (text.empty()) return;
  HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = Wide(text);
    for (std::size_t done = 0; done < wide.size();) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
      DWORD written = 0;
      if (!WriteConsoleW(handle, wide.data() + done, chunk, &written, nullptr) || written == 0) return;
      done += written;
    }
    return;
  }
  for (std::size_t done = 0; done < text.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 65536));
    DWORD written = 0;
    if (!WriteFile(handle, text.data() + done, chunk, &written, nullptr) || written == 0) return;
    done += written;
  }
}

}  // namespace

int main() {
  qrv::Win32Platform platform;
  const qrv::cli::Outcome outcome = qrv::cli::RunArguments(platform, Arguments());
  Write(STD_OUTPUT_HANDLE, outcome.out);
  Write(STD_ERROR_HANDLE, outcome.err);
  return outcome.exitCode;
}
