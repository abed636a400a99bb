#include "engine/paths.h"

#include "engine/text.h"

namespace qrv {

std::string ExpandFolderPlaceholders(const FolderSet& folders, const std::string& text) {
  std::string result = UpperAscii(text);
  const std::pair<const char*, const std::string*> placeholders[] = {
      {"%WINDIR%\\", &folders.WindowsFolder},
      {"%SYSTEMROOT%\\", &folders.WindowsFolder},
      {"%PROGRAMFILES%\\", &folders.ProgramFilesFolder},
      {"%COMMONPROGRAMFILES%\\", &folders.CommonFilesFolder},
      {"%PROGRAMFILES(X86)%\\", &folders.ProgramFilesFolder},
      {"%USERPROFILE%\\", &folders.UserProfileFolder},
  };
  for (const auto& [placeholder, folder] : placeholders) result = ReplaceAll(result, placeholder, *folder);
  return result;
}

namespace {

// Positions count characters from 1; 0 means "not found".
std::size_t Pos(const std::u32string& text, const std::u32string& what) {
  const auto p = text.find(what);
  return p == std::u32string::npos ? 0 : p + 1;
}

std::u32string U(const char* ascii) {
  std::u32string s;
  while (*ascii) s += static_cast<char32_t>(*ascii++);
  return s;
}

}  // namespace

std::string ResolveCommandLine(const FolderSet& folders, const std::string& commandLine) {
  // 1. Strip control characters and blanks at both ends.
  std::u32string text = Utf8ToCodePoints(commandLine);
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] <= 32) ++b;
  while (e > b && text[e - 1] <= 32) --e;
  if (b == e) return {};
  // 2, 3. Upper case, then the folder placeholders.
  text = Utf8ToCodePoints(
      ExpandFolderPlaceholders(folders, UpperCaseText(CodePointsToUtf8(text.substr(b, e - b)))));
  // 4. No quotes.
  std::erase(text, U'"');
  // 5. Start at the drive letter.
  if (const auto p = Pos(text, U(":\\")); p > 2) text.erase(0, p - 2);
  // 6. End after the first program or library extension.
  for (const char* ext : {".EXE", ".DLL", ".BAT", ".CMD", ".CPL", ".APL", ".OCX"})
    if (const auto q = Pos(text, U(ext)); q != 0) text.resize(std::min(text.size(), q + 3));
  // 7. The launcher word.
  if (text.compare(0, 6, U("START ")) == 0) text.erase(0, 6);
  // 8. An index after a comma.
  if (const auto comma = Pos(text, U(",")); comma != 0) {
    if (comma < Pos(text, U(":"))) text.erase(0, comma);
    const auto dot = Pos(text, U("."));
    if (dot < comma) text.resize(std::min(text.size(), dot + 3));
  }
  return CodePointsToUtf8(text);
}

std::optional<std::string> ExpandEnvironmentVariables(SystemServices& system, const std::string& text) {
  std::string expanded;
  for (std::size_t i = 0; i < text.size();) {
    const auto open = text.find('%', i);
    const auto close = open == std::string::npos ? std::string::npos : text.find('%', open + 1);
    if (close == std::string::npos) {
      expanded += text.substr(i);
      break;
    }
    if (close == open + 1) return std::nullopt;
    const auto value = system.GetEnvironmentVariable(text.substr(open + 1, close - open - 1));
    if (!value) return std::nullopt;
    expanded += text.substr(i, open - i) + *value;
    i = close + 1;
  }
  return expanded;
}

}  // namespace qrv
