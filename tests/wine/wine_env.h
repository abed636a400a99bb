#pragma once
// Shared by the tests that run against the real Windows services under Wine.
#include "engine/win32/windows_support.h"
#include <shlwapi.h>

#include "engine/win32/win32_platform.h"

#include <string>

#include "engine/folders.h"
#include "engine/file_ops.h"
#include "engine/fix_script.h"

namespace qrv::wine {

inline constexpr const char* kTestKey = "\\Software\\QuorvaneWineTest";

inline void DeleteTree(HKEY root, const wchar_t* path) { ::SHDeleteKeyW(root, path); }

// A scratch folder for undo, log and script files, under the prefix's temp folder.
inline FolderSet TestFolders(Win32Platform& p) {
  FolderSet f;
  f.WindowsFolder = p.GetWindowsDirectory() + "\\";
  f.RegistryEditor = RegistryEditorPath(p, f.WindowsFolder);
  const std::string base = p.GetEnvironmentVariable("TEMP").value_or("C:\\windows\\temp") + "\\QuorvaneWine";
  f.ProgramFolder = base;
  f.UndoFolder = base + "\\Undo";
  f.LogFolder = base + "\\Log";
  ForceDirectories(p, f.UndoFolder);
  ForceDirectories(p, f.LogFolder);
  return f;
}

}  // namespace qrv::wine
