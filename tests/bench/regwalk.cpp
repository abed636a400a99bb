// The floor of a registry scan: walks the trees the checks read (the
// software keys of both roots, with the classes, and the sound events) once,
// enumerating every key and reading every value, and prints what it saw and
// how long it took. Nothing is judged and nothing is written.
#include "engine/win32/windows_support.h"  // header only: the floor links nothing of ours

#include <cstdio>
#include <vector>

namespace {

struct Counts {
  unsigned long long keys = 0;
  unsigned long long values = 0;
  unsigned long long bytes = 0;
};

// One buffer for every value: a key's values are read before its subkeys.
std::vector<wchar_t> valueName(16384);
std::vector<BYTE> data(65536);

void Walk(HKEY parent, const wchar_t* name, Counts& counts) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  ++counts.keys;
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = static_cast<DWORD>(valueName.size());
    DWORD dataLength = static_cast<DWORD>(data.size());
    DWORD type = 0;
    const LONG r = RegEnumValueW(key, i, valueName.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) break;
    ++counts.values;
    counts.bytes += dataLength;
  }
  wchar_t subkey[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Walk(key, subkey, counts);
  }
  RegCloseKey(key);
}

}  // namespace

int main() {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  Counts counts;
  Walk(HKEY_LOCAL_MACHINE, L"Software", counts);
  Walk(HKEY_CURRENT_USER, L"Software", counts);
  Walk(HKEY_CURRENT_USER, L"AppEvents", counts);
  QueryPerformanceCounter(&end);
  const double seconds =
      static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("keys %llu values %llu bytes %llu walk %.3f s\n", counts.keys, counts.values, counts.bytes, seconds);
  return 0;
}
