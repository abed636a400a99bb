#include "engine/win32/windows_support.h"

#include "engine/text.h"

namespace qrv::win32 {

std::wstring Wide(std::string_view utf8) {
  const std::u16string u = Utf8ToUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(std::wstring_view utf16) { return Utf16ToUtf8(std::u16string(utf16.begin(), utf16.end())); }

std::string Narrow(const wchar_t* utf16) { return utf16 == nullptr ? std::string() : Narrow(std::wstring_view(utf16)); }

}  // namespace qrv::win32
