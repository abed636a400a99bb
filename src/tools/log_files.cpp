#include "tools/log_files.h"

#include "engine/file_ops.h"
#include "engine/fix_script.h"
#include "engine/reg_script.h"
#include "engine/reg_script_reader.h"
#include "engine/text.h"

namespace qrv {

std::vector<std::string> ListFilesWithExtension(FileSystem& files, const std::string& folder,
                                                const std::string& extension) {
  std::vector<std::string> names;
  if (!FolderExists(files, folder)) return names;
  for (const FileEntry& entry : files.FindFiles(folder))
    if ((entry.attributes & kAttributeDirectory) == 0 && entry.name.size() > extension.size() &&
        EndsWithNoCase(entry.name, extension))
      names.push_back(entry.name);
  return names;
}

std::vector<std::string> LogFiles(FileSystem& files, const FolderSet& folders) {
  return ListFilesWithExtension(files, folders.LogFolder, ".log");
}

std::vector<std::string> UndoFiles(FileSystem& files, const FolderSet& folders) {
  std::vector<std::string> names;
  for (std::string& name : ListFilesWithExtension(files, folders.UndoFolder, ".reg"))
    if (!EqualsNoCase(name, kFixScriptName)) names.push_back(std::move(name));
  return names;
}

UndoCheck CheckUndoFile(Platform& platform, const FolderSet& folders, const std::string& nameOrPath,
                        std::string& path) {
  if (nameOrPath.find('/') != std::string::npos) return UndoCheck::OutsideUndoFolder;
  const auto slash = nameOrPath.rfind('\\');
  std::string name = nameOrPath;
  if (slash != std::string::npos || nameOrPath.find(':') != std::string::npos) {
    std::string folder = slash == std::string::npos ? std::string() : nameOrPath.substr(0, slash);
    std::string undo = folders.UndoFolder;
    while (!undo.empty() && undo.back() == '\\') undo.pop_back();
    if (slash == std::string::npos || !EqualsNoCase(folder, undo)) return UndoCheck::OutsideUndoFolder;
    name = nameOrPath.substr(slash + 1);
  }
  if (name.empty() || name == "." || name == "..") return UndoCheck::OutsideUndoFolder;
  path = folders.UndoFolder + "\\" + name;
  if (!FileExists(platform, path)) return UndoCheck::NotFound;
  if (EqualsNoCase(name, kFixScriptName) || !EndsWithNoCase(name, ".reg")) return UndoCheck::NotAScript;
  std::string bytes;
  if (!platform.ReadFile(path, bytes)) return UndoCheck::NotFound;
  const std::vector<std::string> lines =
      SplitLines(DecodeTextFile(bytes, [&](const std::string& b) { return platform.FromAnsi(b); }));
  if (lines.empty() || (Trim(lines[0]) != kVersion5Header && Trim(lines[0]) != kRegedit4Header))
    return UndoCheck::NotAScript;
  RegScript script(ScriptFlavour::Version5);
  script.AppendExported(lines);
  if (DeletesProtectedKey(script)) return UndoCheck::DeletesProtected;
  return UndoCheck::Ok;
}

}  // namespace qrv
