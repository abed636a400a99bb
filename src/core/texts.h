#pragma once
// Every user-visible text, by identifier. The list lives in text_catalog.inc;
// the language files hold the same sections and keys.
#include <span>

namespace qrv {

enum class TextId {
#define QRV_TEXT(id, section, key, english) id,
#include "core/text_catalog.inc"
#undef QRV_TEXT
};

struct TextEntry {
  const char* section;
  const char* key;
  const char* english;
};

const TextEntry& TextInfo(TextId id);
std::span<const TextEntry> AllTexts();

}  // namespace qrv
