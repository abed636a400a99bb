// Holds the program's single-instance mutex for the end-to-end test: creates
// it, says "held" on standard output, and keeps it until standard input ends.
#include <windows.h>

#include <cstdio>

int main() {
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"Quorvane");
  if (!mutex) return 1;
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  ::CloseHandle(mutex);
  return 0;
}
