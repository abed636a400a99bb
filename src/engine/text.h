#pragma once
// Text helpers. Inside the program every text is UTF-8; conversions to the
// system's encodings happen at the edges (files, the Win32 layer).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qrv {

// UTF-8 <-> UTF-16 (little-endian code units) and code points.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
std::u32string Utf8ToCodePoints(std::string_view text);
std::string CodePointsToUtf8(std::u32string_view text);

// UTF-16LE bytes (as the registry and UTF-16 files hold them) <-> UTF-8.
std::string Utf16LeBytes(std::string_view utf8);
std::string Utf8FromUtf16LeBytes(std::string_view bytes);

// Upper-cases the letters a to z only.
std::string UpperAscii(std::string text);
// Upper-cases every letter with a simple one-to-one upper-case form
// (Latin, Greek, Cyrillic, Armenian), as the Windows user locale does.
std::string UpperCaseText(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Orders two names without regard to case, as the registry lists subkeys.
int CompareNoCase(std::string_view a, std::string_view b);

// Windows-1252, the code page of a Western-European Windows.
std::string Cp1252ToUtf8(std::string_view bytes);
// Characters that code page 1252 cannot hold become '?'; lossless says whether any did.
std::string Utf8ToCp1252(std::string_view text, bool* lossless = nullptr);

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
std::string Trim(std::string_view text);  // blanks, tabs and line ends at both ends
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
std::string WithTrailingBackslash(std::string text);

// Splits on CR LF, LF or CR; a final line end does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

std::string HexByte(std::uint8_t byte);  // two upper-case digits

}  // namespace qrv
