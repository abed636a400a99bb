#pragma once
// The log and undo files as the Log/Undo page and the console list them, and
// the rules for handing an undo file back to the registry editor.
#include <string>
#include <vector>

#include "engine/folders.h"
#include "engine/platform.h"

namespace qrv {

// The names of the files of the folder that match "*" + extension (".log",
// ".reg"), in the order of the directory search; empty when the folder is missing.
std::vector<std::string> ListFilesWithExtension(FileSystem& files, const std::string& folder,
                                                const std::string& extension);
std::vector<std::string> LogFiles(FileSystem& files, const FolderSet& folders);
// The undo files; the fix script file, which lies in the same folder, is not one.
std::vector<std::string> UndoFiles(FileSystem& files, const FolderSet& folders);

enum class UndoCheck {
  Ok,
  OutsideUndoFolder,  // not a file directly in the undo folder
  NotFound,
  NotAScript,         // no registry script header, or the fix script file
  DeletesProtected,   // it would delete a branch the program never deletes
};

// Resolves a name or a path to a file of the undo folder and checks that it is
// an undo file that may be imported. `path` receives the full path.
UndoCheck CheckUndoFile(Platform& platform, const FolderSet& folders, const std::string& nameOrPath,
                        std::string& path);

}  // namespace qrv
