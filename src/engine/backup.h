#pragma once
// Undo backups taken before the registry is changed, and the logs of repairs.
#include <optional>
#include <string>
#include <vector>

#include "engine/folders.h"
#include "engine/platform.h"
#include "engine/reg_script.h"

namespace qrv {

// Appends the key line, the value's line and an empty line to the undo script
// (nothing when the key cannot be opened; no value line when the value is
// missing or its name cannot be expressed). Every type is kept as it is, so
// that importing the undo file restores exactly what was removed.
// An empty name stands for the key's unnamed value. True if a value line was added.
bool BackupValue(RegistryView& view, RegScript& undo, RootKey root, const std::string& keyPath,
                 const std::string& name);

// Appends the key with all its subkeys and values, in exactly the lines the
// registry editor's export would give (ExportKey, read in this process: no
// editor is started). A trailing backslash of the key path is dropped, as for
// BackupValue. False, and nothing appended, when the key cannot be opened or
// its branch cannot be written exactly (ExportKey).
bool BackupKey(RegistryView& view, RegScript& undo, RootKey root, const std::string& keyPath);

// "Log YY-MM-DD-NN.log" / "Undo YY-MM-DD-NN.reg": the first counter from 01 up
// whose name is free in the folder. The folder falls back to ProgramFolder for
// the rest of the run when it is missing and cannot be created.
std::string NewLogFileName(Platform& platform, FolderSet& folders);
std::string NewUndoFileName(Platform& platform, FolderSet& folders);

// The bytes of an undo file: UTF-16LE with its byte-order mark, CR LF after every line.
std::string UndoFileBytes(const RegScript& undo);

struct SavedFile {
  bool ok = false;      // false: the file could not be written
  std::string path;     // empty when nothing needed saving
};

// When the undo script holds backups, writes it to a new undo file.
SavedFile SaveUndoScript(Platform& platform, FolderSet& folders, const RegScript& undo);
// Writes display lines to a new log file (system code page, CR LF).
SavedFile WriteLog(Platform& platform, FolderSet& folders, const std::vector<std::string>& lines);

// Calendar date of a local date-time (days since 30 December 1899).
struct Date {
  int year, month, day;
};
Date DecodeDate(double dateTime);

}  // namespace qrv
