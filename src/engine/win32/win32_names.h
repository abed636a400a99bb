#pragma once
// windows.h maps names such as RegOpenKeyEx to their A or W functions by
// macro. The platform interface uses those names for its own members, and
// this layer calls the W functions by their full names, so the macros go.
#undef RegOpenKeyEx
#undef RegCreateKeyEx
#undef RegEnumKeyEx
#undef RegEnumValue
#undef RegQueryInfoKey
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegDeleteValue
#undef GetFileAttributes
#undef SetFileAttributes
#undef CreateDirectory
#undef DeleteFile
#undef GetDriveType
#undef ShellExecute
#undef GetWindowsDirectory
#undef SHGetFolderPath
#undef GetUserName
#undef GetEnvironmentVariable
#undef GetModuleFileName
#undef OpenMutex
#undef CreateMutex
#undef MessageBox
