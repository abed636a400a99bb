#pragma once
// Registry texts that name files, turned into one upper-case file path.
// Pure functions of their argument and of the folder set; they never touch the disk.
#include <string>

#include "engine/folders.h"

namespace qrv {

// Upper-cases a to z, then replaces %WINDIR%\, %SYSTEMROOT%\, %PROGRAMFILES%\,
// %COMMONPROGRAMFILES%\, %PROGRAMFILES(X86)%\ and %USERPROFILE%\ by their folders.
std::string ExpandFolderPlaceholders(const FolderSet& folders, const std::string& text);

// A command line or path (quoted or not, with arguments, placeholders, a
// "start" word or an index after a comma) reduced to the file it names.
std::string ResolveCommandLine(const FolderSet& folders, const std::string& commandLine);

}  // namespace qrv
