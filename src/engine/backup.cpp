#include "engine/backup.h"

#include <cmath>
#include <cstdio>

#include "engine/text.h"
#include "engine/file_ops.h"
#include "engine/reg_export.h"
#include "engine/registry_ops.h"

namespace qrv {

namespace {

std::string KeyPathWithoutTrailingBackslash(std::string keyPath) {
  if (keyPath.size() > 1 && keyPath.back() == '\\') keyPath.pop_back();
  return keyPath;
}

}  // namespace

bool BackupValue(RegistryView& view, RegScript& undo, RootKey root, const std::string& keyPath,
                 const std::string& name) {
  const std::string path = KeyPathWithoutTrailingBackslash(keyPath);
  RegKey key(view, root, path, RegAccess::Read);
  if (!key.IsOpen() || !undo.AddKey(root, path)) return false;
  RegValue value;
  const bool found = view.RegQueryValueEx(key.Handle(), name, value.type, value.data) == kErrorSuccess;
  const bool added = found && undo.AddValue(name, value);
  undo.AddBlank();
  return added;
}

bool BackupKey(RegistryView& view, RegScript& undo, RootKey root, const std::string& keyPath) {
  return ExportKey(view, undo, root, KeyPathWithoutTrailingBackslash(keyPath));
}

Date DecodeDate(double dateTime) {
  // Days since 1970-01-01, then the civil calendar.
  long z = static_cast<long>(std::floor(dateTime)) - 25569 + 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

namespace {

std::string NewFileName(Platform& platform, std::string& folder, const std::string& programFolder,
                        const char* prefix, const char* extension) {
  if (!ForceDirectories(platform, folder)) folder = programFolder;
  const Date d = DecodeDate(platform.Now());
  char date[16];
  std::snprintf(date, sizeof date, "%02d-%02d-%02d-", d.year % 100, d.month, d.day);
  for (unsigned counter = 1;; ++counter) {
    char number[16];
    std::snprintf(number, sizeof number, "%02u", counter);
    const std::string name = std::string(prefix) + date + number + extension;
    if (platform.GetFileAttributes(folder + "\\" + name) == kInvalidFileAttributes) return name;
  }
}

}  // namespace

std::string NewLogFileName(Platform& platform, FolderSet& folders) {
  return NewFileName(platform, folders.LogFolder, folders.ProgramFolder, "Log ", ".log");
}

std::string NewUndoFileName(Platform& platform, FolderSet& folders) {
  return NewFileName(platform, folders.UndoFolder, folders.ProgramFolder, "Undo ", ".reg");
}

std::string UndoFileBytes(const RegScript& undo) {
  std::string text;
  for (const std::string& line : undo.Lines()) text += line + "\r\n";
  return "\xFF\xFE" + Utf16LeBytes(text);
}

SavedFile SaveUndoScript(Platform& platform, FolderSet& folders, const RegScript& undo) {
  if (!undo.HoldsEntries()) return {true, {}};
  const std::string name = NewUndoFileName(platform, folders);  // may move UndoFolder
  const std::string file = folders.UndoFolder + "\\" + name;
  if (!platform.WriteFile(file, UndoFileBytes(undo))) return {false, file};
  return {true, file};
}

SavedFile WriteLog(Platform& platform, FolderSet& folders, const std::vector<std::string>& lines) {
  // The name first: choosing it may move LogFolder to the program folder.
  const std::string name = NewLogFileName(platform, folders);
  const std::string file = folders.LogFolder + "\\" + name;
  std::string bytes;
  for (const std::string& line : lines) bytes += platform.ToAnsi(line, nullptr) + "\r\n";
  if (!platform.WriteFile(file, bytes)) return {false, file};
  return {true, file};
}

}  // namespace qrv
