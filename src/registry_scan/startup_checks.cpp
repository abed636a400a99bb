#include "registry_scan/startup_checks.h"

#include "engine/text.h"
#include "engine/file_ops.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"
#include "registry_scan/file_probe.h"
#include "registry_scan/finding_report.h"

namespace qrv {

namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;

const char* RootTag(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return "[HKCR]";
    case RootKey::CurrentUser: return "[HKCU]";
    case RootKey::LocalMachine: return "[HKLM]";
    case RootKey::Users: return "[HKU]";
  }
  return "";
}

// A font value's file: a bare name lives in the Fonts folder (or the
// Windows folders); a value with a path of its own names that very file.
FileState FontState(ScanContext& s, const std::string& font) {
  const std::string file = ExpandFolderPlaceholders(s.app.folders, Trim(font));
  if (file.find_first_of(":\\/") != std::string::npos) return PathState(s, file);
  const FileState inWindows = WindowsFoldersState(s, file);
  if (inWindows == FileState::Present) return inWindows;
  return EitherState(inWindows, PathState(s, s.app.folders.WindowsFolder + "Fonts\\" + file));
}

// An event's sound (the unnamed value of `key`) becomes `text`, the lost one saved first.
void ReplaceSound(ScanContext& s, const std::string& line, const std::string& key, const std::string& text) {
  PendingFinding f(s, kFontsSoundsSlot, line);
  f.SetDefault(kHkcu, key, text);
  f.BackUpValue(kHkcu, key, "");
  f.Commit();
}

}  // namespace

void CheckStartup(ScanContext& s, RootKey root) {
  const std::string run = kRunKey;
  ForEachValueOfWritableKey(s, root, run, Bar::ByScanMode, [&](const std::string& v) {
    const std::string command = ReadUpperString(s.registry(), root, run, v);
    std::string line;
    if (Trim(command).empty()) {
      line = RootTag(root) + run + v;
    } else {
      const std::string program = ResolveCommandLine(s.app.folders, command);
      if (program.find("RUNDLL32") != std::string::npos || program.find("SYSTEMROOT") != std::string::npos) return;
      if (CommandState(s, command, program, BareNames::InWindowsFoldersOrAppPaths) != FileState::Missing) return;
      line = FileNotFoundLine(s, program);
    }
    ReportValueDeletion(s, kStartupSlot, line, root, run, v);
  });
}

void CheckUninstall(ScanContext& s) {
  ForEachSubkey(s, kHklm, kUninstallKey, Bar::ByScanMode, [&](const std::string& u) {
    // Installer product codes are never examined.
    if (u.find_first_of("{}") != std::string::npos) return;
    const std::string k = kUninstallKey + u;
    RegistryView& p = s.registry();
    if (ReadDword(p, kHklm, k, "NoRemove") == 1 || ReadDword(p, kHklm, k, "SystemComponent") == 1) return;
    if (!ReadUpperString(p, kHklm, k, "UninstallString").empty() ||
        !ReadUpperString(p, kHklm, k, "QuietUninstallString").empty())
      return;
    // Only an entry the programs list shows is an uninstall entry; keys without
    // a name there are markers that Windows components keep for themselves.
    if (Trim(ReadString(p, kHklm, k, "DisplayName")).empty()) return;
    ReportKeyDeletion(s, kUninstallSlot, FileNotFoundLine(s, k), kHklm, k);
  });
}

void CheckHelp(ScanContext& s) {
  const std::string help = kHelpKey;
  ForEachValueOfWritableKey(s, kHklm, help, Bar::RegistryTab, [&](const std::string& h) {
    const std::string folder = ReadUpperString(s.registry(), kHklm, help, h);
    if (folder.empty()) return;
    const std::string file = WithTrailingBackslash(ResolveCommandLine(s.app.folders, folder)) + UpperAscii(h);
    if (PathState(s, file) != FileState::Missing) return;
    ReportValueDeletion(s, kHelpSlot, FileNotFoundLine(s, help + h), kHklm, help, h);
  });
}

void CheckFonts(ScanContext& s) {
  const std::string fonts = kFontsKey;
  ForEachValueOfWritableKey(s, kHklm, fonts, Bar::RegistryTab, [&](const std::string& n) {
    const std::string font = ReadUpperString(s.registry(), kHklm, fonts, n);
    if (font.empty() || FontState(s, font) != FileState::Missing) return;
    ReportValueDeletion(s, kFontsSoundsSlot, FileNotFoundLine(s, fonts + n), kHklm, fonts, n);
  });
}

void CheckSounds(ScanContext& s) {
  ForEachSubkey(s, kHkcu, kSoundEventsKey, Bar::RegistryTab, [&](const std::string& e) {
    RegistryView& p = s.registry();
    const std::string event = kSoundEventsKey + e;
    const std::string currentKey = event + "\\.Current";
    const std::string defaultKey = event + "\\.Default";
    const std::string current = ReadUpperString(p, kHkcu, currentKey, "");
    const std::string fallback = ReadUpperString(p, kHkcu, defaultKey, "");
    // Both empty is "no sound" for this event, as the user may choose it:
    // the event stays, with every scheme's sound kept under it.
    if (current.empty() && fallback.empty()) return;
    const std::string line = FileNotFoundLine(s, event);
    const std::string fallbackFile = fallback.empty() ? std::string() : ResolveCommandLine(s.app.folders, fallback);

    if (!current.empty()) {
      // A sound present, or one that cannot be judged, ends the event.
      if (PathState(s, ResolveCommandLine(s.app.folders, current)) != FileState::Missing) return;
      // The default sound takes the place of the lost one when its file is
      // there; otherwise the event gets no sound rather than another lost file.
      // A default sound that cannot be judged is kept as well.
      const bool fallbackUsable =
          !fallback.empty() && (FileExists(s.platform(), fallbackFile) || PathState(s, fallbackFile) == FileState::Unknown);
      ReplaceSound(s, line, currentKey, fallbackUsable ? fallbackFile : std::string());
    }
    // Only reached when the current sound is empty or lost as well.
    if (!fallback.empty() && PathState(s, fallbackFile) == FileState::Missing) ReplaceSound(s, line, defaultKey, "");
  });
}

}  // namespace qrv
