// The residual-file benchmark's floor: one walk over a folder tree with
// FindFirstFileW / FindNextFileW, entering real folders only, counting files.
// usage: qrv_filewalk FOLDER   -> "files N folders M walk S s"
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

void Walk(const std::wstring& folder, unsigned long long& files, unsigned long long& folders) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      ++folders;
      Walk(folder + name + L"\\", files, folders);
    } else {
      ++files;
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  std::wstring root = argv[1];
  if (root.empty() || root.back() != L'\\') root += L'\\';
  unsigned long long files = 0, folders = 0;
  const auto start = std::chrono::steady_clock::now();
  Walk(root, files, folders);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("files %llu folders %llu walk %.3f s\n", files, folders, seconds);
  return 0;
}
