#pragma once
// Reads registry-script files the way the registry editor imports them:
// both headers, UTF-16 (with its byte-order mark) and single-byte files,
// continuation lines, comments and every value form.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/platform.h"

namespace qrv {

struct ScriptOp {
  enum class Kind {
    OpenKey,      // following value lines apply to this key (created if missing)
    DeleteKey,    // the key with all its subkeys
    NoKey,        // a key line that could not be used: following value lines are ignored
    SetValue,
    DeleteValue,
  };
  Kind kind = Kind::NoKey;
  RootKey root = RootKey::CurrentUser;
  std::string path;  // below the root, without a leading backslash
  std::string name;  // value name; empty for the unnamed value
  std::uint32_t type = regtype::kNone;
  std::string data;  // raw bytes as the registry stores them
};

struct ParsedScript {
  bool recognised = false;  // a known header; otherwise nothing is imported
  bool unicode = false;     // the file was UTF-16
  std::vector<ScriptOp> ops;
};

// Decodes the file's bytes (by byte-order mark, else as the system code page
// through `fromAnsi`) and parses the script.
ParsedScript ReadRegScript(const std::string& fileBytes,
                           const std::function<std::string(const std::string&)>& fromAnsi);

// Decodes a text file: UTF-16LE, UTF-16BE or UTF-8 by its byte-order mark,
// otherwise as the system code page.
std::string DecodeTextFile(const std::string& bytes,
                           const std::function<std::string(const std::string&)>& fromAnsi);

}  // namespace qrv
