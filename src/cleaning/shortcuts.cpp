#include "cleaning/shortcuts.h"

#include <cstdlib>

#include "cleaning/file_walk.h"
#include "core/settings.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "registry_scan/file_probe.h"

namespace qrv {

IconPlace CheckIcon(ScanContext& s, const std::string& extension) {
  IconPlace place;
  if (extension.empty()) return place;
  const std::string type = ReadUpperString(s.platform(), RootKey::ClassesRoot, "\\" + extension, "");
  if (type.empty()) return place;
  const std::string icon = ReadUpperString(s.platform(), RootKey::ClassesRoot, "\\" + type + "\\DefaultIcon", "");
  const auto comma = icon.find(',');
  place.file = icon.substr(0, comma);
  if (comma != std::string::npos) {
    const std::string number = Trim(icon.substr(comma + 1));
    char* end = nullptr;
    const long index = std::strtol(number.c_str(), &end, 10);
    place.index = !number.empty() && end != nullptr && *end == '\0' ? static_cast<int>(index) : 0;
  }
  return place;
}

namespace {

// On 64-bit Windows a shortcut may name either face of the system folder
// (PathState looks in both) and, through "%ProgramFiles%", the Program Files
// folder of whichever program expands it: the target is gone only when the
// system says "not found" in every face. Anything it cannot tell (access
// denied) keeps the shortcut.
bool GoneInEveryFace(ScanContext& s, const std::string& rawTarget) {
  FolderSet otherFace = s.app.folders;
  std::vector<const FolderSet*> faces{&s.app.folders};
  if (!otherFace.OtherProgramFilesFolder.empty()) {
    otherFace.ProgramFilesFolder = otherFace.OtherProgramFilesFolder;
    if (!otherFace.OtherCommonFilesFolder.empty()) otherFace.CommonFilesFolder = otherFace.OtherCommonFilesFolder;
    faces.push_back(&otherFace);
  }
  for (const FolderSet* folders : faces) {
    const std::string target = ResolveCommandLine(*folders, rawTarget);
    const std::string stored = ExpandFolderPlaceholders(*folders, Trim(rawTarget));
    if (PathState(s, target) != FileState::Missing || PathState(s, stored) != FileState::Missing) return false;
  }
  return true;
}

}  // namespace

bool ShortcutTargetIsGone(ScanContext& s, const std::string& rawTarget) {
  const std::string target = ResolveCommandLine(s.app.folders, rawTarget);
  if (target.empty() || target.find('%') != std::string::npos || target.rfind("\\\\", 0) == 0) return false;
  if (static_cast<unsigned char>(target[0]) > 'P') return false;
  if (!JudgeableFullPath(s, target) || !Addressable(target)) return false;
  // The resolution cuts a command line at a program's extension or a comma;
  // a shortcut stores a plain path, so that path must be gone too.
  const std::string stored = ExpandFolderPlaceholders(s.app.folders, Trim(rawTarget));
  if (stored.find('%') != std::string::npos || !JudgeableFullPath(s, stored) || !Addressable(stored)) return false;
  return GoneInEveryFace(s, rawTarget);
}

void CheckLinks(ScanContext& s, const std::string& linkPath, std::vector<std::string>& list,
                ShortcutObserver& observer) {
  s.host.ProcessMessages();
  if (!s.app.CancelFlag || s.Ignored().CoversPath(linkPath)) return;
  const std::optional<std::string> raw = s.platform().ReadShortcutTarget(linkPath);
  if (!raw || !ShortcutTargetIsGone(s, *raw)) return;
  const std::string target = ResolveCommandLine(s.app.folders, *raw);
  InvalidShortcut shortcut{linkPath, *raw, CheckIcon(s, UpperExtension(NamePart(target)))};
  list.push_back(linkPath);
  observer.Found(shortcut);
}

void ScanShortcuts(ScanContext& s, const std::string& folder, std::vector<std::string>& list,
                   ShortcutObserver& observer, std::size_t& ScannedFileCount) {
  if (!s.app.CancelFlag) return;
  if (UpperCaseText(folder).find("RECYCLE") != std::string::npos) return;
  for (const FileEntry& entry : ListFolder(s, folder)) {
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) continue;
    if (IsWalkableFolder(entry)) {
      ScanShortcuts(s, folder + entry.name + "\\", list, observer, ScannedFileCount);
      continue;
    }
    if (!IsPlainFile(entry)) continue;
    if (++ScannedFileCount % 10 == 0) observer.Scanned(ScannedFileCount);
    const std::string path = folder + entry.name;
    if (UpperExtension(entry.name) == ".LNK" && Addressable(path)) CheckLinks(s, path, list, observer);
  }
}

std::size_t FindInvalidShortcuts(AppState& app, ScanHost& host, const std::string& root, ShortcutObserver& observer) {
  ScanContext s(app, host);
  app.BeginResults(ResultsOwner::Shortcuts);
  app.Slot(1).clear();
  std::size_t scanned = 0;
  app.CancelFlag = true;
  ScanShortcuts(s, WithTrailingBackslash(root), app.Slot(1), observer, scanned);
  app.CancelFlag = false;
  settings::Write(app.platform, settings::kShortcutsRunDate, app.platform.Now());
  return scanned;
}

}  // namespace qrv
