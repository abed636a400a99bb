#include "registry_scan/app_path_checks.h"

#include "engine/text.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"
#include "registry_scan/file_probe.h"
#include "registry_scan/finding_report.h"

namespace qrv {

namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RootKey kHkcr = RootKey::ClassesRoot;

}  // namespace

void CheckSoftwareLocations(ScanContext& s) {
  ForEachSubkey(s, kHklm, kAppPathsKey, Bar::ByScanMode, [&](const std::string& name) {
    const std::string key = kAppPathsKey + name;
    const std::string program = ReadUpperString(s.registry(), kHklm, key, "");
    if (program.empty()) return;
    const std::string path = ResolveCommandLine(s.app.folders, program);
    // Only a full path can be tested here: nothing looks a bare name up.
    if (CommandState(s, program, path, BareNames::NotJudged) != FileState::Missing) return;
    ReportKeyDeletion(s, 1, FileNotFoundLine(s, path), kHklm, key);
  });
}

void CheckSharedPrograms(ScanContext& s) {
  ForEachValueOfWritableKey(s, kHklm, kSharedDllsKey, Bar::ByScanMode, [&](const std::string& name) {
    const std::string path = UpperCaseText(name);
    // Installers count folders here too; a folder that is there is no error.
    if (PathState(s, path) != FileState::Missing) return;
    ReportValueDeletion(s, 2, FileNotFoundLine(s, path), kHklm, kSharedDllsKey, name);
  });
}

namespace {

// The program of an Applications entry's command is gone. A command that runs
// rundll32, or that cannot be judged, is never missing. The resolved path of
// "rundll32.exe C:\X\Y.DLL,Entry" is the library alone, so the command is
// looked at as read too.
bool ApplicationProgramMissing(ScanContext& s, const std::string& command, const std::string& path) {
  if (command.find("RUNDLL32") != std::string::npos || path.find("RUNDLL32") != std::string::npos) return false;
  return CommandState(s, command, path, BareNames::InWindowsFoldersOrAppPaths) == FileState::Missing;
}

}  // namespace

void CheckKnownPrograms(ScanContext& s) {
  ForEachSubkey(s, kHkcr, kApplicationsKey, Bar::ByScanMode, [&](const std::string& name) {
    const std::string key = kApplicationsKey + name;
    if (ValueExists(s.registry(), kHkcr, key, "NoOpenWith")) return;
    if (ValueExists(s.registry(), kHkcr, key, "NoStartPage")) return;
    if (!KeyHasSubkeys(s.registry(), kHkcr, key)) return;
    const std::string commands[] = {
        ReadUpperString(s.registry(), kHkcr, key + "\\shell\\open\\command", ""),
        ReadUpperString(s.registry(), kHkcr, key + "\\shell\\edit\\command", ""),
    };
    // The entry is judged by the programs its commands name; an entry that
    // names none was not tested, and nothing is known to be missing.
    std::string shown;
    bool tested = false;
    for (const std::string& command : commands) {
      if (command.empty()) continue;
      const std::string path = ResolveCommandLine(s.app.folders, command);
      if (!ApplicationProgramMissing(s, command, path)) return;
      if (!tested) shown = path;
      tested = true;
    }
    if (!tested) return;
    ReportKeyDeletion(s, 2, FileNotFoundLine(s, shown), kHkcr, key);
  });
}

}  // namespace qrv
