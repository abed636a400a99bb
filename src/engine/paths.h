#pragma once
// Registry texts that name files, turned into one upper-case file path.
// Pure functions of their argument and of the folder set; they never touch the disk.
#include <optional>
#include <string>

#include "engine/folders.h"
#include "engine/platform.h"

namespace qrv {

// Upper-cases a to z, then replaces %WINDIR%\, %SYSTEMROOT%\, %PROGRAMFILES%\,
// %COMMONPROGRAMFILES%\, %PROGRAMFILES(X86)%\ and %USERPROFILE%\ by their folders.
std::string ExpandFolderPlaceholders(const FolderSet& folders, const std::string& text);

// A command line or path (quoted or not, with arguments, placeholders, a
// "start" word or an index after a comma) reduced to the file it names.
std::string ResolveCommandLine(const FolderSet& folders, const std::string& commandLine);

// %NAME% replaced by the process's variable of that name, as Windows expands
// a REG_EXPAND_SZ value; nothing when a variable is not set (the text would
// not name what its writer meant). Reads the environment, not the disk.
std::optional<std::string> ExpandEnvironmentVariables(SystemServices& system, const std::string& text);

}  // namespace qrv
