#pragma once
// The console's JSON: every command builds its object as a Json value (the
// fields keep the order they were set in) and prints it with JsonLine.
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace qrv::cli {

using Json = nlohmann::ordered_json;

// The value on one line, ending in a line feed. Texts stay UTF-8; quotes,
// backslashes and control characters are escaped, and a byte that is not part
// of a valid UTF-8 sequence becomes U+FFFD (one for each such byte), so that
// the output is always valid JSON whatever a registry or file name holds.
std::string JsonLine(const Json& value);

// A path, or null when there is none (empty).
Json PathOrNull(const std::string& path);
Json PathOrNull(const std::optional<std::string>& path);

}  // namespace qrv::cli
