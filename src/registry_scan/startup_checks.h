#pragma once
// Categories 6 to 9: startup entries, uninstall entries, help files, fonts
// and event sounds that name what no longer exists.
#include "registry_scan/scan_context.h"

namespace qrv {

inline constexpr int kStartupSlot = 6;
inline constexpr int kUninstallSlot = 7;
inline constexpr int kHelpSlot = 8;
inline constexpr int kFontsSoundsSlot = 9;

inline constexpr const char* kRunKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
inline constexpr const char* kUninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr const char* kHelpKey = "\\SOFTWARE\\Microsoft\\Windows\\Help\\";
inline constexpr const char* kFontsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts\\";
inline constexpr const char* kSoundEventsKey = "\\AppEvents\\Schemes\\Apps\\.Default\\";

// The Run values of one root (HKEY_LOCAL_MACHINE, then HKEY_CURRENT_USER).
void CheckStartup(ScanContext& s, RootKey root);
void CheckUninstall(ScanContext& s);
void CheckHelp(ScanContext& s);
void CheckFonts(ScanContext& s);
void CheckSounds(ScanContext& s);

}  // namespace qrv
