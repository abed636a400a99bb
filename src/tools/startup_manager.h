#pragma once
// The programs Windows starts at logon, from their five sources: listing,
// counting, removing one (after its undo backup), adding one, and the web
// query that looks one up. Operations over AppState, used by the "Manage
// start up" dialog, the console program and the one-click scan.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/scan_host.h"
#include "core/startup.h"
#include "engine/platform.h"

namespace qrv {

inline constexpr const char* kRunKey = kCompanionRunKey;  // the Run values of sources 1 and 2
inline constexpr const char* kStartupRegKey = "\\SOFTWARE\\Microsoft\\Shared Tools\\MSConfig\\startupreg";
inline constexpr const char* kShellFoldersKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The values of that key naming the user's and the all-users Startup folders.
inline constexpr const char* kUserStartupValue = "Startup";
inline constexpr const char* kCommonStartupValue = "Common Startup";

// The sources in the order they are listed; an entry's source is its code.
inline constexpr int kStartupUserRun = 1;         // HKCU Run values
inline constexpr int kStartupAllUsersRun = 2;     // HKLM Run values
inline constexpr int kStartupSwitchedOff = 3;     // the system configuration tool's switched-off entries
inline constexpr int kStartupUserFolder = 4;      // links of the user's Startup folder
inline constexpr int kStartupAllUsersFolder = 5;  // links of the all-users Startup folder

struct StartupEntry {
  int source = 0;
  // The three columns as shown.
  std::string user;
  std::string program;
  std::string location;
  // What a removal acts on: the value name as enumerated (sources 1, 2), the
  // subkey's name (3), the link file's full path (4, 5).
  std::string name;
  // Sources 4 and 5: what the link holds, when it loaded.
  std::optional<StartupLinkInfo> link;
  // The file whose first icon the row shows; empty for shell32's icon 2.
  std::string iconFile;
  bool hasIcon = true;  // a link that does not load shows none
};

// The rows of the list in order. Messages are processed before each entry.
std::vector<StartupEntry> ReadStartupList(AppState& app, ScanHost& host);

// The number of programs loaded at start-up (a Run key's unnamed value
// included), kept in app.StartupCount.
std::size_t ReadStartup(AppState& app, ScanHost& host);

enum class StartupChange {
  Done,
  NothingThere,    // the value, key or link is gone (or cannot be named): nothing changed
  UndoNotWritten,  // the undo file (or the link's copy) could not be written: nothing changed
  Refused,         // the script would delete a protected branch: nothing changed
  ScriptNotWritten,
  EditorNotStarted,
  NotDeleted,      // the link file could not be deleted
  FileNotFound,    // Add: no such file
};

struct StartupRemoval {
  StartupChange outcome = StartupChange::NothingThere;
  std::string undoPath;  // the undo file written, if any
  std::string linkCopy;  // sources 4 and 5: the copy of the link beside it
};

// Removes one listed entry: backs it up into a new undo file first (a link
// also as a copy of the link file beside it), then deletes it.
StartupRemoval RemoveStartupEntry(AppState& app, const StartupEntry& entry);

// Writes a Run value named after the program's file name, for the current
// user or for all users. No undo backup, no log.
StartupChange AddStartupProgram(AppState& app, const std::string& path, bool allUsers);

// A Run value's text that starts `program` with `arguments` (the program in
// double quotes when it holds a blank).
std::string RunCommandLine(const std::string& program, const std::string& arguments);

// The term the Ask button looks up: the file name of the resolved Location,
// else the Program text; and the search page's address for it.
std::string AskTerm(const FolderSet& folders, const StartupEntry& entry);
std::string AskAddress(const std::string& term);
// Opens the search page in the default browser.
bool AskTheWeb(AppState& app, const StartupEntry& entry);

// "%XX" for every byte but letters, digits and - . _ ~.
std::string PercentEncode(const std::string& text);

}  // namespace qrv
