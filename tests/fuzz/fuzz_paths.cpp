// Command lines and paths from the registry, reduced to file paths.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/paths.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qrv::FolderSet folders = [] {
    qrv::FolderSet f;
    f.WindowsFolder = "C:\\WINDOWS\\";
    f.ProgramFilesFolder = "C:\\PROGRAM FILES\\";
    f.CommonFilesFolder = "C:\\PROGRAM FILES\\COMMON FILES\\";
    f.UserProfileFolder = "C:\\DOCUMENTS AND SETTINGS\\USER\\";
    return f;
  }();
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)qrv::ExpandFolderPlaceholders(folders, text);
  (void)qrv::ResolveCommandLine(folders, text);
  return 0;
}
