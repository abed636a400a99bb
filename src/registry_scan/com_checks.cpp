#include "registry_scan/com_checks.h"

#include <optional>

#include "engine/text.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"
#include "registry_scan/file_probe.h"
#include "registry_scan/finding_report.h"

namespace qrv {

namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;

std::string Read(ScanContext& s, const std::string& key) { return ReadUpperString(s.registry(), kHkcr, key, ""); }

bool Contains(const std::string& text, const char* what) { return text.find(what) != std::string::npos; }

// The name of the file that a server, icon or command names, when that file is
// surely gone; nothing when it is there or cannot be judged.
std::optional<std::string> MissingFileName(ScanContext& s, const std::string& text, BareNames bareNames) {
  const std::string resolved = ResolveCommandLine(s.app.folders, text);
  if (CommandState(s, text, resolved, bareNames) != FileState::Missing) return std::nullopt;
  std::string name = FileNamePart(resolved);
  if (name.empty()) return std::nullopt;
  return name;
}

}  // namespace

void CheckCOM(ScanContext& s) {
  ForEachSubkey(s, kHkcr, kClsidKey, Bar::ByScanMode, [&](const std::string& name) {
    const std::string key = kClsidKey + name;
    if (!KeyIsWritable(s.registry(), kHkcr, key)) return;
    std::string serverKey = key + "\\InprocServer32";
    std::string server = Read(s, serverKey);
    if (server.empty()) {
      serverKey = key + "\\LocalServer32";
      server = Read(s, serverKey);
    }
    if (Read(s, key + "\\TypeLib") == kExcludedTypeLib) return;
    if (server.empty()) return;
    const auto missing = MissingFileName(s, server, BareNames::InWindowsFolders);
    if (!missing) return;
    // The backup holds the whole class.
    ReportKeyDeletion(s, 4, FileNotFoundLine(s, *missing), kHkcr, serverKey, key);
  });
}

namespace {

// Steps of one identifier's icon and command tests.
void CheckIcon(ScanContext& s, const std::string& key, const std::string& icon) {
  if (icon.empty() || (!Contains(icon, "EXE") && !Contains(icon, "DLL"))) return;
  const auto missing = MissingFileName(s, icon, BareNames::InWindowsFolders);
  if (!missing) return;
  const std::string iconKey = key + "\\DefaultIcon";
  ReportKeyDeletion(s, 4, RelationNotFoundLine(s, *missing), kHkcr, iconKey);
}

void CheckCommand(ScanContext& s, const std::string& commandKey, const std::string& command) {
  if (command.empty() || Contains(command, "RUNDLL32") || Contains(command, "EXPLOR")) return;
  if (!Contains(command, "EXE") && !Contains(command, "DLL")) return;
  // A path still holding a placeholder cannot be judged (CommandState).
  const auto missing = MissingFileName(s, command, BareNames::InWindowsFoldersOrAppPaths);
  if (!missing) return;
  ReportKeyDeletion(s, 4, FileNotFoundLine(s, *missing), kHkcr, commandKey);
}

}  // namespace

void CheckActiveX(ScanContext& s) {
  ForEachSubkey(s, kHkcr, "\\", Bar::ByScanMode, [&](const std::string& name) {
    const std::string upper = UpperCaseText(name);
    if (name.front() == '.' || Contains(upper, "URN:") || upper == "CLSID" || upper == "LNKFILE") return;
    const std::string key = "\\" + name;
    if (!KeyIsWritable(s.registry(), kHkcr, key)) return;
    const std::string classKey = key + "\\CLSID";
    const std::string classId = Read(s, classKey);
    if (classId == kExcludedTypeLib || classId == kExcludedClass) return;

    // The class test. Only the dangling reference goes: the identifier is
    // often the class of file types too, and its verbs, icon and the
    // extensions that name it stay useful without it.
    if (!classId.empty() && s.KeyAbsentFromEveryView(kHkcr, kClsidKey + classId)) {
      ReportKeyDeletion(s, 4, RelationNotFoundLine(s, classId), kHkcr, classKey);
      return;
    }
    CheckIcon(s, key, Read(s, key + "\\DefaultIcon"));
    CheckCommand(s, key + "\\shell\\open\\command", Read(s, key + "\\shell\\open\\command"));
    CheckCommand(s, key + "\\shell\\edit\\command", Read(s, key + "\\shell\\edit\\command"));
  });
}

}  // namespace qrv
