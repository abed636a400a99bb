#pragma once
#include <string>

#include "engine/platform.h"

namespace qrv {

bool FileExists(FileSystem& files, const std::string& path);    // exists and is not a folder
bool FolderExists(FileSystem& files, const std::string& path);
// Creates the folder with every missing parent; true if it exists afterwards.
bool ForceDirectories(FileSystem& files, const std::string& path);

// What the system answers for a path, for the decisions that delete
// something: Present (a file or folder, its attributes in *attributes), Gone
// only when it says "file not found" or "path not found", Unknown for every
// other answer (access denied, a drive not ready...), which never counts as gone.
enum class Existence { Present, Gone, Unknown };
Existence ProbePath(FileSystem& files, const std::string& path, std::uint32_t* attributes = nullptr);
// The same judgement of an answer already given (GetFileAttributesAndError's).
Existence ExistenceOf(long error, std::uint32_t attributes);

}  // namespace qrv
