#pragma once
#include <string>

#include "engine/platform.h"

namespace qrv {

bool FileExists(FileSystem& files, const std::string& path);    // exists and is not a folder
bool FolderExists(FileSystem& files, const std::string& path);
// Creates the folder with every missing parent; true if it exists afterwards.
bool ForceDirectories(FileSystem& files, const std::string& path);

}  // namespace qrv
