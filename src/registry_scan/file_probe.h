#pragma once
// How the checks decide that a file named in the registry is gone.
//
// A file is only called missing when its path can be judged at all: a full
// path on a drive that is there, or a bare file name that the check looks up
// in the system folders. A placeholder the resolution left as it was, a
// relative, network or slash-written path, a name without extension (which
// Windows completes) and a path on a drive that is not there (a removable or
// network drive) say nothing about the file, and are never reported.
#include <optional>
#include <string>

#include "engine/platform.h"
#include "registry_scan/scan_context.h"

namespace qrv {

inline constexpr const char* kAppPathsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

enum class PathForm { FullPath, BareName, Unjudgeable };
PathForm JudgePath(ScanContext& s, const std::string& path);

// The file or folder exists.
bool PathPresent(ScanContext& s, const std::string& path);

// Whether the file a registry text names is there: the resolved path (a file
// or folder), or, reading the text as Windows reads a command, its quoted
// program or any part of it that ends before a blank or a comma. The second
// reading covers programs whose extension the resolution does not cut at
// ("C:\X\TOOL.COM /Q") and paths it cut too early ("C:\MY.DLLS\APP.EXE").
bool CommandTargetPresent(ScanContext& s, const std::string& text, const std::string& resolved);

// The part after the last backslash.
std::string FileNamePart(const std::string& path);

// In WindowsFolder, or in its System or System32 folder.
bool FoundInSystemFolders(ScanContext& s, const std::string& fileName);

// A program the shell finds by its bare name through its App Paths key.
bool RegisteredInAppPaths(ScanContext& s, const std::string& fileName);

// For a server, icon or command whose registry text is `text` and resolved
// path `resolved`: the file name to report when the file is gone, neither as
// named nor by its name in the system folders (nor, for a program the shell
// starts, by a bare name registered in App Paths); nothing when it is there or
// cannot be judged.
std::optional<std::string> MissingFileName(ScanContext& s, const std::string& text, const std::string& resolved,
                                           bool startedByShell);

// The file probe for a bare file name: the Windows, System and System32 folders.
bool FoundInWindowsFolders(ScanContext& s, const std::string& fileName);

// What a check may conclude about a path. Missing is said only when the path
// is a full path on a fixed drive that is there, with no placeholder left in
// it: a file on a removable, network or absent drive, a relative path and a
// path with an unexpanded placeholder are Unknown and never reported.
enum class FileState { Present, Missing, Unknown };

// A plain file path (a sound, a help file, a font).
FileState PathState(ScanContext& s, const std::string& path);

// A resolved command line, which may still carry its arguments when the
// program has an extension the resolution does not know ("C:\X\TOOL.COM /Q").
// Present when the whole text, or the text up to any blank, names an existing
// file (with .EXE, .COM, .BAT or .CMD tried for a name without extension, as
// Windows starts programs), or when the probe finds that file's name;
// `foldersCount` also accepts an existing folder. A bare program name that
// none of this finds is Missing.
FileState CommandState(ScanContext& s, const std::string& resolved, bool foldersCount);

// True only when the key certainly does not exist; a key that exists but may
// not be opened, or a path the registry refuses, is not absent.
bool KeyIsAbsent(RegistryView& view, RootKey root, const std::string& keyPath);

}  // namespace qrv
