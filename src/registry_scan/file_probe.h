#pragma once
// How the checks decide that a file named in the registry is surely gone (and
// that a key named there surely does not exist).
//
// A file is only called missing when its path says where it must be: a full
// path on a fixed drive that is there, or, for the checks that look such
// names up, a bare file name with an extension that is in none of the places
// Windows would find it. A placeholder the resolution left as it was, a
// relative, network or slash-written path, a name without extension (which
// Windows completes), a path with a character no file name holds, and a path
// on a drive that is not there or not fixed (removable, optical, network) say
// nothing about the file, and are never reported.
#include <string>

#include "engine/platform.h"
#include "registry_scan/scan_context.h"

namespace qrv {

// HKEY_LOCAL_MACHINE; one subkey per program name.
inline constexpr const char* kAppPathsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// Where the machine's (HKEY_LOCAL_MACHINE) and the user's (HKEY_CURRENT_USER)
// "Path" value lives, whose folders Windows searches for a bare program name.
inline constexpr const char* kMachineEnvironmentKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
inline constexpr const char* kUserEnvironmentKey = "\\Environment";

// Every test here asks the system with GetFileAttributes and takes only its
// "file not found" and "path not found" for an absence. Any other answer
// (access denied, a drive that is not ready) makes the file Unknown, and an
// Unknown anywhere in the readings of a command keeps it from being Missing.
enum class FileState { Present, Missing, Unknown };

// Present when either is, Missing only when both are, Unknown otherwise.
FileState EitherState(FileState a, FileState b);

// A full path ("X:\...") on a fixed drive that is there, with no placeholder
// left and nothing a file name cannot hold: a file missing there is gone.
bool JudgeableFullPath(ScanContext& s, const std::string& path);

// "NAME.EXT": an extension, and no folder, drive, blank or placeholder.
bool IsBareFileName(const std::string& path);

// The part after the last backslash.
std::string FileNamePart(const std::string& path);

// A file of that name in WindowsFolder, or in its System or System32 folder
// (either face of System32 on 64-bit Windows).
FileState WindowsFoldersState(ScanContext& s, const std::string& fileName);

// A program the shell finds by its bare name through its App Paths key:
// Present when the key is there, Missing only when it surely is not.
FileState AppPathsState(ScanContext& s, const std::string& fileName);

// The search Windows makes for a bare name after its own folders: every
// folder of the machine's PATH, then of the user's (REG_EXPAND_SZ expanded
// with the process's variables), read once per scan. Missing only when the
// name is surely in none of them and every folder could be searched.
FileState SearchPathState(ScanContext& s, const std::string& fileName);

// A plain path (a shared file count, a help file, a sound): Present when a
// file or folder is there; Missing only for a judgeable full path.
FileState PathState(ScanContext& s, const std::string& path);

// What a check makes of a command that resolves to a bare file name.
enum class BareNames {
  NotJudged,                   // never Missing
  InWindowsFolders,            // Missing unless in the Windows folders or on the PATH
  InWindowsFoldersOrAppPaths,  // and, for programs the shell starts, unless in App Paths
};

// A command, icon or server as the registry holds it (`text`) and as it
// resolves (`resolved`, ResolveCommandLine). Present when something answers
// to it, read the ways Windows may read it: the resolved path, the quoted
// program of the text, or any part of either that ends before a blank or a
// comma (the resolution keeps the arguments of a program whose extension it
// does not know, "C:\X\TOOL.COM /Q", and cuts some paths too early,
// "C:\MY.DLLS\APP.EXE"); a part counts when it is a file or folder, when it is
// a name without extension that .EXE, .COM, .BAT or .CMD completes, or when a
// file of its name is in the Windows folders. Unknown when a reading could
// not be asked about. Otherwise Missing for a judgeable full path, or for a
// bare file name as `bareNames` says (and only when the PATH search is sure
// too); Unknown for everything else.
FileState CommandState(ScanContext& s, const std::string& text, const std::string& resolved, BareNames bareNames);

// True only when the key certainly does not exist; a key that exists but may
// not be opened, or a path the registry refuses, is not absent.
bool KeyIsAbsent(RegistryView& view, RootKey root, const std::string& keyPath);

}  // namespace qrv
