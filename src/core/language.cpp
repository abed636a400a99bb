#include "core/language.h"

#include <array>

#include "engine/text.h"
#include "engine/platform.h"
#include "engine/reg_script_reader.h"

namespace qrv {

namespace {

constexpr TextEntry kTexts[] = {
#define QRV_TEXT(id, section, key, english) {section, key, english},
#include "core/text_catalog.inc"
#undef QRV_TEXT
};

constexpr std::size_t kMaxTextLength = 2047;

std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

std::string Clip(const std::string& value) {
  std::u32string cps = Utf8ToCodePoints(value);
  if (cps.size() <= kMaxTextLength) return value;
  cps.resize(kMaxTextLength);
  return CodePointsToUtf8(cps);
}

}  // namespace

const TextEntry& TextInfo(TextId id) { return kTexts[static_cast<std::size_t>(id)]; }
std::span<const TextEntry> AllTexts() { return kTexts; }

const char* LanguageFileName(unsigned languageNumber) {
  static constexpr std::array<const char*, 5> kFiles = {"English.ini", "French.ini", "German.ini", "Spanish.ini",
                                                        "Italian.ini"};
  return (languageNumber >= 1 && languageNumber <= 5) ? kFiles[languageNumber - 1] : kFiles[0];
}

void IniFile::Open(FileSystem& files, const std::string& path, const AnsiDecoder& fromAnsi) {
  std::string bytes;
  entries_.clear();
  if (files.ReadFile(path, bytes)) Load(bytes, fromAnsi);
}

void IniFile::Load(const std::string& bytes, const AnsiDecoder& fromAnsi) {
  entries_.clear();
  std::string section;
  bool inSection = false;
  for (const std::string& raw : SplitLines(DecodeTextFile(bytes, fromAnsi))) {
    const std::string line = Trim(raw);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const auto close = line.find(']');
      inSection = close != std::string::npos;
      if (inSection) section = UpperCaseText(Trim(line.substr(1, close - 1)));
      continue;
    }
    const auto eq = line.find('=');
    if (!inSection || eq == std::string::npos) continue;
    const std::string key = UpperCaseText(Trim(line.substr(0, eq)));
    // The first entry of a key counts, as with the system's own INI reading.
    entries_.emplace(std::make_pair(section, key), Clip(Unquote(Trim(line.substr(eq + 1)))));
  }
}

bool IniFile::Has(const std::string& section, const std::string& key) const {
  return entries_.count({UpperCaseText(Trim(section)), UpperCaseText(Trim(key))}) > 0;
}

std::string IniFile::Get(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
  const auto it = entries_.find({UpperCaseText(Trim(section)), UpperCaseText(Trim(key))});
  return it == entries_.end() ? fallback : it->second;
}

std::string LanguageTable::Text(TextId id) const {
  const TextEntry& e = TextInfo(id);
  return Get(e.section, e.key, e.english);
}

}  // namespace qrv
