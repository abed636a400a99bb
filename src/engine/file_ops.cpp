#include "engine/file_ops.h"

namespace qrv {

bool FileExists(FileSystem& files, const std::string& path) {
  const auto a = files.GetFileAttributes(path);
  return a != kInvalidFileAttributes && !(a & kAttributeDirectory);
}

bool FolderExists(FileSystem& files, const std::string& path) {
  const auto a = files.GetFileAttributes(path);
  return a != kInvalidFileAttributes && (a & kAttributeDirectory);
}

bool ForceDirectories(FileSystem& files, const std::string& path) {
  std::string folder = path;
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  if (folder.empty() || FolderExists(files, folder)) return !folder.empty();
  const auto slash = folder.rfind('\\');
  if (slash != std::string::npos && slash > 0) {
    const std::string parent = folder.substr(0, slash == 2 ? 3 : slash);
    if (parent != folder && !ForceDirectories(files, parent)) return false;
  }
  files.CreateDirectory(folder);
  return FolderExists(files, folder);
}

Existence ProbePath(FileSystem& files, const std::string& path, std::uint32_t* attributes) {
  std::uint32_t found = kInvalidFileAttributes;
  const long error = files.GetFileAttributesAndError(path, found);
  if (attributes != nullptr) *attributes = found;
  return ExistenceOf(error, found);
}

Existence ExistenceOf(long error, std::uint32_t attributes) {
  if (error == kErrorSuccess && attributes != kInvalidFileAttributes) return Existence::Present;
  if (error == kErrorFileNotFound || error == kErrorPathNotFound) return Existence::Gone;
  return Existence::Unknown;
}

}  // namespace qrv
