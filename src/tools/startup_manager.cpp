#include "tools/startup_manager.h"

#include "engine/backup.h"
#include "engine/file_ops.h"
#include "engine/fix_script.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"
#include "engine/text.h"

namespace qrv {

namespace {

std::string AllUsers(const AppState& app) { return app.language.Text(TextId::GeneralAllUsers); }

// A Startup folder as the shell's folder table names it: the user's value
// "Startup", the local machine's "Common Startup" (Windows has no "Startup"
// there). Empty when it has none or the folder does not exist.
std::string StartupFolderOf(AppState& app, RootKey root) {
  const std::string folder = ReadUpperString(app.platform, root, kShellFoldersKey,
                                             root == RootKey::LocalMachine ? kCommonStartupValue : kUserStartupValue);
  if (folder.empty() || !FolderExists(app.platform, folder)) return {};
  return WithTrailingBackslash(folder);
}

// The links of a folder ("*.lnk", folders skipped), in the order of the search.
std::vector<std::string> LinkFiles(AppState& app, const std::string& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  for (const FileEntry& e : app.platform.FindFiles(folder))
    if ((e.attributes & kAttributeDirectory) == 0 && e.name.size() > 4 && EndsWithNoCase(e.name, ".lnk"))
      names.push_back(e.name);
  return names;
}

std::string IconFileFor(AppState& app, const std::string& location) {
  if (location.empty()) return {};
  const std::string file = ResolveCommandLine(app.folders, location);
  return FileExists(app.platform, file) ? file : std::string();
}

void ListRunValues(AppState& app, ScanHost& host, RootKey root, int source, const std::string& user,
                   std::vector<StartupEntry>& rows) {
  std::vector<std::string> names;
  ReadValueNames(app.platform, root, kRunKey, names);
  for (const std::string& name : names) {
    host.ProcessMessages();
    if (name.empty()) continue;  // the unnamed value is counted, not listed
    StartupEntry e;
    e.source = source;
    e.user = user;
    e.program = name;
    e.name = name;
    e.location = ReadUpperString(app.platform, root, kRunKey, name);
    e.iconFile = IconFileFor(app, e.location);
    rows.push_back(std::move(e));
  }
}

void ListLinks(AppState& app, ScanHost& host, RootKey root, int source, const std::string& user,
               std::vector<StartupEntry>& rows) {
  const std::string folder = StartupFolderOf(app, root);
  for (const std::string& file : LinkFiles(app, folder)) {
    host.ProcessMessages();
    StartupEntry e;
    e.source = source;
    e.user = user;
    e.program = file;
    e.name = folder + file;
    e.link = app.platform.LoadStartupLink(e.name);
    if (e.link) {
      e.location = e.link->target;
      e.iconFile = IconFileFor(app, e.location);
    } else {
      e.hasIcon = false;
    }
    rows.push_back(std::move(e));
  }
}

std::string FileNamePart(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

StartupChange FromApply(ApplyResult result) {
  switch (result) {
    case ApplyResult::Imported: return StartupChange::Done;
    case ApplyResult::Refused:
    case ApplyResult::TooLarge: return StartupChange::Refused;
    case ApplyResult::NotWritten: return StartupChange::ScriptNotWritten;
    case ApplyResult::NotStarted: return StartupChange::EditorNotStarted;
  }
  return StartupChange::Refused;
}

RootKey RootOf(int source) {
  return source == kStartupUserRun || source == kStartupUserFolder ? RootKey::CurrentUser : RootKey::LocalMachine;
}

// Sources 1 to 3: the backup, the undo file on disk, then the import.
StartupRemoval RemoveFromRegistry(AppState& app, const StartupEntry& entry, RegScript& undo, RegScript& fix) {
  StartupRemoval removal;
  bool backedUp = false;
  bool scripted = false;
  if (entry.source == kStartupSwitchedOff) {
    const std::string key = std::string(kStartupRegKey) + "\\" + entry.name;
    backedUp = BackupKey(app.platform, undo, RootKey::LocalMachine, key);
    scripted = backedUp && fix.AddDeleteKey(RootKey::LocalMachine, key);
  } else {
    const RootKey root = RootOf(entry.source);
    backedUp = BackupValue(app.platform, undo, root, kRunKey, entry.name);
    scripted = backedUp && fix.AddKey(root, kRunKey) && fix.AddDeleteValue(entry.name);
  }
  // Nothing is deleted that is not backed up first.
  if (!backedUp || !scripted) return removal;
  fix.AddBlank();
  const SavedFile saved = SaveUndoScript(app.platform, app.folders, undo);
  removal.undoPath = saved.path;
  if (!saved.ok) {
    removal.outcome = StartupChange::UndoNotWritten;
    return removal;
  }
  removal.outcome = FromApply(ApplyFixScript(app.platform, app.folders, fix));
  return removal;
}

// Sources 4 and 5: a Run value that starts the link's command, and a copy of
// the link itself, both on disk before the link is deleted.
StartupRemoval RemoveLink(AppState& app, const StartupEntry& entry, RegScript& undo) {
  StartupRemoval removal;
  std::string bytes;
  if (!FileExists(app.platform, entry.name) || !app.platform.ReadFile(entry.name, bytes)) return removal;
  const RootKey root = RootOf(entry.source);
  undo.AddKey(root, kRunKey);
  if (entry.link && !entry.link->target.empty())
    undo.AddString(entry.program, RunCommandLine(entry.link->target, entry.link->arguments));
  undo.AddBlank();
  const SavedFile saved = SaveUndoScript(app.platform, app.folders, undo);
  removal.undoPath = saved.path;
  removal.outcome = StartupChange::UndoNotWritten;
  if (!saved.ok || saved.path.size() < 4) return removal;
  removal.linkCopy = saved.path.substr(0, saved.path.size() - 4) + ".lnk";
  if (!app.platform.WriteFile(removal.linkCopy, bytes)) return removal;
  // The link file itself, never what a link to it at that path leads to.
  const bool deleted = app.platform.DeleteFileItself(entry.name, false) == FileSystem::Deletion::Deleted;
  removal.outcome = deleted ? StartupChange::Done : StartupChange::NotDeleted;
  return removal;
}

}  // namespace

std::vector<StartupEntry> ReadStartupList(AppState& app, ScanHost& host) {
  std::vector<StartupEntry> rows;
  const std::string me = app.folders.UserName;
  const std::string all = AllUsers(app);
  ListRunValues(app, host, RootKey::CurrentUser, kStartupUserRun, me, rows);
  ListRunValues(app, host, RootKey::LocalMachine, kStartupAllUsersRun, all, rows);
  if (app.folders.WindowsMajorVersion > 5) {
    std::vector<std::string> keys;
    ReadKeyNames(app.platform, RootKey::LocalMachine, kStartupRegKey, keys);
    for (const std::string& key : keys) {
      host.ProcessMessages();
      const std::string path = std::string(kStartupRegKey) + "\\" + key;
      StartupEntry e;
      e.source = kStartupSwitchedOff;
      e.name = key;
      e.program = ReadUpperString(app.platform, RootKey::LocalMachine, path, "item");
      e.location = ReadUpperString(app.platform, RootKey::LocalMachine, path, "command");
      e.user = ReadUpperString(app.platform, RootKey::LocalMachine, path, "hkey") == "HKLM" ? all : me;
      e.iconFile = IconFileFor(app, e.location);
      rows.push_back(std::move(e));
    }
  }
  ListLinks(app, host, RootKey::CurrentUser, kStartupUserFolder, me, rows);
  ListLinks(app, host, RootKey::LocalMachine, kStartupAllUsersFolder, all, rows);
  return rows;
}

std::size_t ReadStartup(AppState& app, ScanHost& host) {
  std::vector<std::string> names;
  std::size_t count = ReadValueNames(app.platform, RootKey::CurrentUser, kRunKey, names);
  count += ReadValueNames(app.platform, RootKey::LocalMachine, kRunKey, names);
  if (app.folders.WindowsMajorVersion > 5) count += ReadKeyNames(app.platform, RootKey::LocalMachine, kStartupRegKey, names);
  for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine}) {
    for (std::size_t i = LinkFiles(app, StartupFolderOf(app, root)).size(); i > 0; --i) {
      host.ProcessMessages();
      ++count;
    }
  }
  app.StartupCount = count;
  return count;
}

StartupRemoval RemoveStartupEntry(AppState& app, const StartupEntry& entry) {
  // The removal's own scripts: the scan's FixScript and UndoScript stay as
  // the scan left them, for the repair that may still follow.
  RegScript undo(ScriptFlavour::Version5);
  RegScript fix(ScriptFlavour::Regedit4);
  undo.Start();
  fix.Start();
  if (entry.source >= kStartupUserRun && entry.source <= kStartupSwitchedOff)
    return RemoveFromRegistry(app, entry, undo, fix);
  if (entry.source == kStartupUserFolder || entry.source == kStartupAllUsersFolder) return RemoveLink(app, entry, undo);
  return {};
}

std::string RunCommandLine(const std::string& program, const std::string& arguments) {
  std::string line = program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
  if (!arguments.empty()) line += " " + arguments;
  return line;
}

StartupChange AddStartupProgram(AppState& app, const std::string& path, bool allUsers) {
  if (!FileExists(app.platform, path)) return StartupChange::FileNotFound;
  RegScript fix(ScriptFlavour::Regedit4);  // its own: a scan's FixScript stays untouched
  fix.Start();
  const RootKey root = allUsers ? RootKey::LocalMachine : RootKey::CurrentUser;
  if (fix.AddKey(root, kRunKey) && fix.AddString(FileNamePart(path), RunCommandLine(path, "")))
    return FromApply(ApplyFixScript(app.platform, app.folders, fix));
  return StartupChange::NothingThere;
}

std::string PercentEncode(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
                       b == '.' || b == '_' || b == '~';
    out += plain ? std::string(1, c) : "%" + HexByte(b);
  }
  return out;
}

std::string AskTerm(const FolderSet& folders, const StartupEntry& entry) {
  std::string term;
  if (!entry.location.empty()) term = FileNamePart(ResolveCommandLine(folders, entry.location));
  return term.empty() ? entry.program : term;
}

std::string AskAddress(const std::string& term) {
  return "https://www.google.com/search?hl=en&q=" + PercentEncode("\"" + term + "\"");
}

bool AskTheWeb(AppState& app, const StartupEntry& entry) {
  return app.platform.ShellExecute("open", AskAddress(AskTerm(app.folders, entry)), "", kSwShowNormal);
}

}  // namespace qrv
