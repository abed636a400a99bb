#pragma once
// The language file: an INI file of texts, looked up by section and key with
// the English text as default.
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "core/texts.h"

namespace qrv {

class FileSystem;

// File names by the Language setting; any other number gives English.
const char* LanguageFileName(unsigned languageNumber);

// A file in the Windows INI layout: [section] lines, then key=value lines.
class IniFile {
 public:
  using AnsiDecoder = std::function<std::string(const std::string&)>;

  // Reads the file; a missing or unreadable file leaves every text at its default.
  void Open(FileSystem& files, const std::string& path, const AnsiDecoder& fromAnsi);
  // The same from the file's bytes.
  void Load(const std::string& bytes, const AnsiDecoder& fromAnsi);

  bool Has(const std::string& section, const std::string& key) const;
  // Section and key match without regard to case. The value of a key that is
  // present, with blanks around it and one pair of enclosing quotes removed,
  // at most 2047 characters (empty if empty); otherwise the fallback.
  std::string Get(const std::string& section, const std::string& key, const std::string& fallback) const;

 private:
  std::map<std::pair<std::string, std::string>, std::string> entries_;  // by upper-case section, key
};

class LanguageTable : public IniFile {
 public:
  // The text in the chosen language, or its English default.
  std::string Text(TextId id) const;
};

}  // namespace qrv
