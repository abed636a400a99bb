// The Clean Up tab's operations from the console: the privacy rows, the
// residual files and the invalid shortcuts, each as a pair of commands.
#include <string>
#include <vector>

#include "cleaning/file_walk.h"
#include "cleaning/privacy_scan.h"
#include "cleaning/residual_files.h"
#include "cleaning/shortcuts.h"
#include "cli/cli_commands.h"
#include "cli/cli_json.h"
#include "cli/cli_report.h"
#include "core/scan_host.h"
#include "core/startup.h"
#include "engine/file_ops.h"
#include "engine/text.h"

namespace qrv::cli {

namespace {

Outcome UsageError(const std::string& message) { return {kExitUsage, "", "QRVCli: " + message + "\n"}; }

// ---- privacy scan | clean ----

Outcome Privacy(AppState& app, const Invocation& invocation, bool clean) {
  PrivacyRows rows = AllPrivacyRows();
  if (invocation.Has("--rows")) {
    std::vector<int> numbers;
    if (!ParseNumberList(invocation.Value("--rows"), 1, kPrivacyRows, numbers))
      return UsageError("--rows takes row numbers from 1 to 5, separated by commas (\"1,3\").");
    rows = {};
    for (int n : numbers) rows[static_cast<std::size_t>(n)] = true;
  }
  QuietScanHost host;
  PrivacyScan scan(app, host);
  scan.Run(rows);
  struct Row {
    int number;
    std::string caption;
    std::vector<std::string> items;
  };
  std::vector<Row> found;
  for (int row = 1; row <= kPrivacyRows; ++row)
    if (rows[static_cast<std::size_t>(row)])
      found.push_back({row, PrivacyRowCaption(app.language, row), app.Slot(PrivacyRowSlot(row))});
  const std::size_t total = scan.Total();

  PrivacyCleanResult cleaned;
  if (clean) {
    cleaned = CleanPrivacy(app, host, rows);
    if (cleaned.outcome == PrivacyCleanOutcome::LogNotWritten ||
        cleaned.outcome == PrivacyCleanOutcome::UndoNotWritten) {
      return {kExitFailure, "",
              std::string("QRVCli: nothing was cleaned: the ") +
                  (cleaned.outcome == PrivacyCleanOutcome::LogNotWritten ? "log" : "undo file") +
                  " could not be written.\n"};
    }
  }

  Outcome outcome;
  const TextId itemText[] = {TextId::Action2FilesFound, TextId::Action2FilesFound, TextId::Action2FilesFound,
                             TextId::Action2ItemsFound, TextId::Action2FilesFound, TextId::Action2ErrorsDetected};
  if (invocation.json) {
    Json rowsFound = Json::array();
    for (const Row& r : found) {
      Json row = {{"row", r.number}, {"caption", r.caption}, {"items", r.items}};
      if (clean) row["removed"] = cleaned.removed[static_cast<std::size_t>(r.number)];
      rowsFound.push_back(std::move(row));
    }
    // The browsers whose caches row 2 left out because they were running.
    Json out = {{"rows", std::move(rowsFound)}, {"total", total}, {"skipped", scan.SkippedBrowsers()}};
    if (clean) {
      out["removed"] = cleaned.totalRemoved;
      out["scheduled"] = cleaned.scheduledAtRestart;
      out["failed"] = cleaned.failed;
      out["log"] = PathOrNull(cleaned.logPath);
      out["undo"] = PathOrNull(cleaned.undoPath);
    }
    outcome.out = JsonLine(out);
    return outcome;
  }
  for (const Row& r : found) {
    const std::string result =
        clean ? CountText(app.language, cleaned.removed[static_cast<std::size_t>(r.number)], TextId::Action4ItemsCleaned)
              : CountText(app.language, r.items.size(), itemText[r.number]);
    outcome.out += r.caption + ": " + result + "\n";
    for (const std::string& item : r.items) outcome.out += "    " + OnOneLine(item) + "\n";
  }
  outcome.out += app.language.Text(TextId::Action2Total) + ": " + CountText(app.language, total, TextId::Action2FilesFound) + "\n";
  if (!scan.SkippedBrowsers().empty()) outcome.out += SkippedBrowsersText(app.language, scan.SkippedBrowsers()) + "\n";
  if (clean) {
    if (cleaned.outcome == PrivacyCleanOutcome::NothingFound) {
      outcome.out += app.language.Text(TextId::Action2AllFixed) + "\n";
    } else {
      outcome.out += app.language.Text(TextId::Action2Total) + ": " +
                     std::to_string(cleaned.totalRemoved) + " " + app.language.Text(TextId::Action4ItemsCleaned) + "\n";
      if (cleaned.scheduledAtRestart > 0) outcome.out += app.language.Text(TextId::Action4RebootMessage1) + "\n";
      for (const std::string& path : cleaned.failed) outcome.out += "Not removed: " + OnOneLine(path) + "\n";
      outcome.out += "Log: " + (cleaned.logPath.empty() ? std::string("(none)") : cleaned.logPath) + "\n";
      outcome.out += "Undo: " + (cleaned.undoPath.empty() ? std::string("(none: nothing needed a backup)") : cleaned.undoPath) + "\n";
    }
  }
  return outcome;
}

// ---- junk find | remove, shortcuts scan | remove ----

// The root of a search: the option's folder with a trailing backslash, or the default.
bool SearchRoot(AppState& app, const Invocation& invocation, const std::string& fallback, std::string& root,
                Outcome& refusal) {
  root = WithTrailingBackslash(invocation.Value("--root", fallback));
  if (root.size() < 3 || root[1] != ':' || !FolderExists(app.platform, root)) {
    refusal = UsageError("--root must name a folder that exists, as a full path (\"D:\\Data\"): " + root);
    return false;
  }
  return true;
}

// What a search lists: a file, or a shortcut, with what the output says of it.
struct Listed {
  std::string path;
  Json json;         // the item's JSON object
  std::string text;  // the rest of the item's text line, after its path
};

// The names of a search's output: the list and the text of its count.
struct SearchOutput {
  const char* listName;  // "files", "shortcuts"
  TextId foundText;
};

Outcome ReportSearch(AppState& app, const Invocation& invocation, const std::string& root, std::size_t scanned,
                     const SearchOutput& shape, const std::vector<Listed>& items, bool removing) {
  RemovalResult removal;
  if (removing) {
    QuietScanHost host;
    ScanContext s(app, host);
    std::vector<std::string> paths;
    for (const Listed& item : items) paths.push_back(item.path);
    app.CancelFlag = true;
    removal = RemoveListedFiles(s, paths, kKeptListRemoval);
    app.CancelFlag = false;
    app.Slot(1).clear();
  }
  Outcome outcome;
  if (invocation.json) {
    Json list = Json::array();
    for (const Listed& item : items) list.push_back(item.json);
    Json out = {{"root", root}, {"scanned", scanned}, {shape.listName, std::move(list)}, {"total", items.size()}};
    if (removing) {
      out["removed"] = removal.deleted;
      out["failed"] = removal.failed;
    }
    outcome.out = JsonLine(out);
    return outcome;
  }
  outcome.out = root + "\n";
  for (const Listed& item : items) outcome.out += "    " + OnOneLine(item.path) + item.text + "\n";
  outcome.out += CountText(app.language, scanned, TextId::Action2FilesScanned) + "\n";
  outcome.out += CountText(app.language, items.size(), shape.foundText) + "\n";
  if (removing) {
    outcome.out += CountText(app.language, removal.deleted, TextId::Action2FilesDeleted) + "\n";
    for (const std::string& path : removal.failed) outcome.out += "Not removed: " + OnOneLine(path) + "\n";
  }
  return outcome;
}

Outcome Junk(AppState& app, const Invocation& invocation, bool remove) {
  std::string root;
  Outcome refusal;
  if (!SearchRoot(app, invocation, "C:\\", root, refusal)) return refusal;
  struct Collect : ResidualObserver {
    std::vector<Listed> items;
    void Found(const ResidualFile& f) override {
      const std::string date = ListDate(f.lastWrite);
      const std::string size = ListSize(f.size);  // the list's column: a number
      const Json json = {{"path", f.path}, {"date", date}, {"size", std::stoll(size)}};
      items.push_back({f.path, json, "  " + date + "  " + size});
    }
  } collect;
  QuietScanHost host;
  const std::size_t scanned = FindJunk(app, host, root, collect);
  return ReportSearch(app, invocation, root, scanned, {"files", TextId::Action2FilesFound}, collect.items, remove);
}

Outcome Shortcuts(AppState& app, const Invocation& invocation, bool remove) {
  std::string root;
  Outcome refusal;
  if (!SearchRoot(app, invocation, app.folders.UserProfileFolder, root, refusal)) return refusal;
  struct Collect : ShortcutObserver {
    std::vector<Listed> items;
    void Found(const InvalidShortcut& f) override {
      items.push_back({f.link, {{"link", f.link}, {"target", f.target}}, "  -> " + OnOneLine(f.target)});
    }
  } collect;
  QuietScanHost host;
  const std::size_t scanned = FindInvalidShortcuts(app, host, root, collect);
  return ReportSearch(app, invocation, root, scanned, {"shortcuts", TextId::Action7LnkFound}, collect.items, remove);
}

}  // namespace

void AddCleaningCommands(std::vector<CommandSpec>& table) {
  const OptionSpec rows{"--rows", true};
  const OptionSpec root{"--root", true};
  table.push_back({{"privacy", "scan"}, {rows}, 0, "privacy scan [--rows 1,2,3,4,5] [--json]",
                   "Lists the privacy items of the Clean Up tab's rows: 1 temporary\n"
                   "folders, 2 temporary Internet files, 3 visited web sites, 4\n"
                   "cookies, 5 temporary registry values. Changes nothing.",
                   [](AppState& app, const Invocation& inv) { return Privacy(app, inv, false); }});
  table.push_back({{"privacy", "clean"}, {rows}, 0, "privacy clean [--rows 1,2,3,4,5] [--json]",
                   "Runs the same scan, then cleans the chosen rows as the Clean\n"
                   "button does: a log and an undo file first, then the files\n"
                   "(read-only and busy files stay), the history index files and\n"
                   "the registry values. It prints what was really removed.",
                   [](AppState& app, const Invocation& inv) { return Privacy(app, inv, true); }});
  table.push_back({{"junk", "find"}, {root}, 0, "junk find [--root FOLDER] [--json]",
                   "Lists the residual files (.tmp, .bak, .$$$, .old and longer\n"
                   "extensions starting so) below FOLDER (default C:\\), never\n"
                   "through a link. Changes nothing.",
                   [](AppState& app, const Invocation& inv) { return Junk(app, inv, false); }});
  table.push_back({{"junk", "remove"}, {root}, 0, "junk remove [--root FOLDER] [--json]",
                   "Runs the same search and deletes every file it lists.",
                   [](AppState& app, const Invocation& inv) { return Junk(app, inv, true); }});
  table.push_back({{"shortcuts", "scan"}, {root}, 0, "shortcuts scan [--root FOLDER] [--json]",
                   "Lists the shortcuts below FOLDER (default the user's profile)\n"
                   "whose target is surely gone from a fixed drive. Changes nothing.",
                   [](AppState& app, const Invocation& inv) { return Shortcuts(app, inv, false); }});
  table.push_back({{"shortcuts", "remove"}, {root}, 0, "shortcuts remove [--root FOLDER] [--json]",
                   "Runs the same search and deletes every shortcut it lists.",
                   [](AppState& app, const Invocation& inv) { return Shortcuts(app, inv, true); }});
}

}  // namespace qrv::cli
