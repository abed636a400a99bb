#pragma once
// The invalid shortcut search of the Clean Up tab, as an operation: the
// shortcut page, the console program and the one-click scan run it.
//
// A shortcut is listed only when its target is surely gone: a full path on a
// fixed drive that is there, nothing answering at that path. Anything it
// cannot judge is left alone: a file that does not load as a shortcut, a
// target that is only an item list (Control Panel, Computer), one with a
// variable, a network path, a path without drive letter, drives Q to Z, and
// drives that are removable, optical, network or absent (they may only be
// unplugged).
#include <cstddef>
#include <string>
#include <vector>

#include "cleaning/residual_files.h"
#include "registry_scan/scan_context.h"

namespace qrv {

// The icon registered for a file extension: file and index ("" and 0 when none).
struct IconPlace {
  std::string file;
  int index = 0;
};
IconPlace CheckIcon(ScanContext& s, const std::string& extension);

struct InvalidShortcut {
  std::string link;    // the shortcut file's full path
  std::string target;  // exactly as the shortcut stores it
  IconPlace icon;      // of the target's extension
};

class ShortcutObserver : public FileSearchObserver {
 public:
  virtual void Found(const InvalidShortcut& /*shortcut*/) {}
};

// Whether a stored target names something surely gone.
bool ShortcutTargetIsGone(ScanContext& s, const std::string& rawTarget);

// Judges one shortcut file; an invalid one is appended to list and reported.
void CheckLinks(ScanContext& s, const std::string& linkPath, std::vector<std::string>& list, ShortcutObserver& observer);

// Searches folder (ending with a backslash) and every real folder below it,
// never through a link nor into a recycle bin, for .lnk files and judges each.
void ScanShortcuts(ScanContext& s, const std::string& folder, std::vector<std::string>& list,
                   ShortcutObserver& observer, std::size_t& ScannedFileCount);

// The shortcut page's Scan: empties slot 1 and fills it from the search of
// root with CancelFlag set; writes RunDate4 either way. Returns the number of
// files looked at.
std::size_t FindInvalidShortcuts(AppState& app, ScanHost& host, const std::string& root, ShortcutObserver& observer);

}  // namespace qrv
