// The INI reader behind the language files, over any file; the first line's
// words are looked up as section and key.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/language.h"
#include "engine/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  qrv::IniFile ini;
  ini.Load(bytes, [](const std::string& b) { return qrv::Cp1252ToUtf8(b); });
  const auto lines = qrv::SplitLines(bytes);
  const std::string first = lines.empty() ? std::string() : lines.front();
  const auto cut = first.find('|');
  const std::string section = first.substr(0, cut), key = cut == std::string::npos ? "" : first.substr(cut + 1);
  const std::string value = ini.Get(section, key, "fallback");
  if (!ini.Has(section, key) && value != "fallback") __builtin_trap();
  if (qrv::Utf8ToCodePoints(value).size() > 2047) __builtin_trap();  // texts are cut at 2047 characters
  return 0;
}
