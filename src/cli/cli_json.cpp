#include "cli/cli_json.h"

#include <cstdint>
#include <string_view>

namespace qrv::cli {

namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  std::uint32_t min = 0;
  std::uint32_t cp = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, cp = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, cp = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, cp = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

// The text with each byte outside a valid UTF-8 sequence replaced by U+FFFD.
void MakeValidUtf8(std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && Utf8SequenceLength(text, i) != 0) i += Utf8SequenceLength(text, i);
  if (i == text.size()) return;
  std::string valid = text.substr(0, i);
  while (i < text.size()) {
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      valid += "\xEF\xBF\xBD";
      ++i;
    } else {
      valid.append(text, i, length);
      i += length;
    }
  }
  text = std::move(valid);
}

void MakeStringsValid(Json& value) {
  if (value.is_string()) {
    MakeValidUtf8(value.get_ref<std::string&>());
  } else if (value.is_structured()) {
    for (Json& item : value) MakeStringsValid(item);
  }
}

}  // namespace

std::string JsonLine(const Json& value) {
  Json valid = value;
  MakeStringsValid(valid);
  return valid.dump() + "\n";
}

Json PathOrNull(const std::string& path) { return path.empty() ? Json(nullptr) : Json(path); }

Json PathOrNull(const std::optional<std::string>& path) { return path ? Json(*path) : Json(nullptr); }

}  // namespace qrv::cli
