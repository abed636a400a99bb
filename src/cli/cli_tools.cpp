// The tools from the console: the 24 tweaks, the log and undo files, and the
// import of an undo file.
#include <algorithm>

#include "cli/cli_commands.h"
#include "cli/cli_json.h"
#include "cli/cli_report.h"
#include "core/startup.h"
#include "engine/fix_script.h"
#include "tools/log_files.h"
#include "tools/tweaks.h"

namespace qrv::cli {

namespace {

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string Caption(const AppState& app, const TweakRow& row) {
  return app.language.Text(row.caption) + (row.rebootMark ? " *" : "");
}

// `written`: after an Apply, the rows it wrote (indexes into the table).
std::string FormatTweaks(const AppState& app, const TweakStates& states, const Invocation& inv,
                         const std::string& undoPath, const std::vector<int>* written = nullptr) {
  const auto& table = TweakTable();
  std::vector<std::string> writtenRows;
  if (written)
    for (int i : *written) writtenRows.push_back(TwoDigits(table[static_cast<std::size_t>(i)].number));
  std::string out;
  if (inv.json) {
    Json rows = Json::array();
    for (std::size_t i = 0; i < table.size(); ++i) {
      const TweakRow& row = table[i];
      rows.push_back({{"page", TweakPageName(row.page)},
                      {"row", TwoDigits(row.number)},
                      {"caption", Caption(app, row)},
                      {"on", static_cast<bool>(states[i])},
                      {"recommended", row.recommended}});
    }
    Json json = {{"tweaks", std::move(rows)}};
    if (written) json["written"] = writtenRows;
    if (!undoPath.empty()) json["undo"] = undoPath;
    return JsonLine(json);
  }
  TweakPage page = TweakPage::Security;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const TweakRow& row = table[i];
    if (i == 0 || row.page != page) {
      page = row.page;
      out += std::string(i ? "\n" : "") + TweakPageName(page) + "\n";
    }
    out += "  " + TwoDigits(row.number) + (states[i] ? " [x] " : " [ ] ") + Caption(app, row) +
           (row.recommended == states[i] ? "" : row.recommended ? "  (recommended: on)" : "  (recommended: off)") +
           "\n";
  }
  if (written) {
    std::string rows;
    for (const std::string& n : writtenRows) rows += (rows.empty() ? "" : ",") + n;
    out += writtenRows.empty() ? "\nNo row changed: nothing written.\n" : "\nRows written: " + rows + "\n";
  }
  if (!undoPath.empty()) out += "Undo file written: " + undoPath + "\n";
  return out;
}

Outcome Failure(int code, const std::string& why) { return {code, "", "QRVCli: " + why + "\n"}; }

bool PageFromName(const std::string& name, TweakPage& page) {
  for (TweakPage p : {TweakPage::System, TweakPage::Internet, TweakPage::Security})
    if (name == TweakPageName(p)) {
      page = p;
      return true;
    }
  return false;
}

// The rows of a list ("01,04") as indexes into the table; false when one is not a row of the page.
bool RowsOfList(const std::string& text, TweakPage page, std::vector<int>& indexes) {
  std::vector<int> numbers;
  if (!ParseNumberList(text, 1, 9, numbers)) return false;
  indexes.clear();
  for (int n : numbers) {
    const int index = TweakIndex(page, n);
    if (index < 0) return false;
    indexes.push_back(index);
  }
  return true;
}

const char* WhyNotApplied(TweakApplyOutcome outcome) {
  switch (outcome) {
    case TweakApplyOutcome::Imported:
    case TweakApplyOutcome::NothingChanged: return "";
    case TweakApplyOutcome::UndoNotWritten: return "the undo file could not be written";
    case TweakApplyOutcome::Refused: return "the script would delete a registry branch that must never be deleted";
    case TweakApplyOutcome::ScriptNotWritten: return "the fix script file could not be written";
    case TweakApplyOutcome::EditorNotStarted: return "the registry editor could not be started";
  }
  return "unknown reason";
}

Outcome ApplyCommand(AppState& app, const Invocation& inv) {
  TweakPage page{};
  if (!PageFromName(inv.Value("--page"), page))
    return Failure(kExitUsage, "--page must be system, internet or security");
  const bool recommended = inv.Has("--recommended");
  if (recommended && (inv.Has("--on") || inv.Has("--off")))
    return Failure(kExitUsage, "--recommended cannot be given with --on or --off");
  const TweakStates read = ReadTweaks(app.platform);
  TweakStates states = read;
  if (recommended) RecommendTweaks(page, states);
  std::vector<int> on, off;
  if (inv.Has("--on") && !RowsOfList(inv.Value("--on"), page, on))
    return Failure(kExitUsage, "--on must list rows of the " + std::string(TweakPageName(page)) + " page");
  if (inv.Has("--off") && !RowsOfList(inv.Value("--off"), page, off))
    return Failure(kExitUsage, "--off must list rows of the " + std::string(TweakPageName(page)) + " page");
  for (int i : on) {
    if (std::find(off.begin(), off.end(), i) != off.end()) return Failure(kExitUsage, "a row cannot be on and off");
    states[static_cast<std::size_t>(i)] = true;
  }
  for (int i : off) states[static_cast<std::size_t>(i)] = false;

  // Only the rows whose state changes are written: a row named with the
  // state it already has is left as it is stored.
  const TweakApplyResult result = ApplyTweaks(app, page, read, states);
  if (result.outcome != TweakApplyOutcome::Imported && result.outcome != TweakApplyOutcome::NothingChanged)
    return Failure(kExitFailure, "the settings were not applied: " + std::string(WhyNotApplied(result.outcome)) + ".");
  return {kExitSuccess, FormatTweaks(app, ReadTweaks(app.platform), inv, result.undoPath, &result.written), ""};
}

Outcome LogsCommand(AppState& app, const Invocation& inv) {
  const auto logs = LogFiles(app.platform, app.folders);
  const auto undo = UndoFiles(app.platform, app.folders);
  if (inv.json)
    return {kExitSuccess,
            JsonLine({{"logFolder", app.folders.LogFolder},
                      {"undoFolder", app.folders.UndoFolder},
                      {"logs", logs},
                      {"undo", undo}}),
            ""};
  std::string out = "Log files in " + app.folders.LogFolder + "\n";
  for (const std::string& name : logs) out += "  " + name + "\n";
  out += "Undo files in " + app.folders.UndoFolder + "\n";
  for (const std::string& name : undo) out += "  " + name + "\n";
  return {kExitSuccess, out, ""};
}

Outcome UndoCommand(AppState& app, const Invocation& inv) {
  std::string path;
  switch (CheckUndoFile(app.platform, app.folders, inv.arguments.at(0), path)) {
    case UndoCheck::Ok: break;
    case UndoCheck::OutsideUndoFolder:
      return Failure(kExitFailure, "only a file of the undo folder " + app.folders.UndoFolder + " is imported");
    case UndoCheck::NotFound: return Failure(kExitFailure, "no such undo file: " + path);
    case UndoCheck::NotAScript: return Failure(kExitFailure, "not an undo file: " + path);
    case UndoCheck::DeletesProtected:
      return Failure(kExitFailure, "the file would delete a registry branch that must never be deleted: " + path);
  }
  // The leading blank stands for the program name, so that "/s" reaches the editor.
  if (!RunRegistryEditor(app.platform, app.folders, " /s \"" + path + "\""))
    return Failure(kExitFailure, "the registry editor could not be started");
  if (inv.json) return {kExitSuccess, JsonLine({{"imported", path}}), ""};
  return {kExitSuccess, "Imported: " + path + "\n", ""};
}

}  // namespace

void AddToolCommands(std::vector<CommandSpec>& table) {
  table.push_back({{"tweaks"}, {}, 0, "tweaks [--json]",
                   "Prints the 24 settings of the Optimize tab, page by page, each\n"
                   "with its state as read from the registry and its recommended state.",
                   [](AppState& app, const Invocation& inv) {
                     return Outcome{kExitSuccess, FormatTweaks(app, ReadTweaks(app.platform), inv, ""), ""};
                   }});
  table.push_back({{"tweaks", "apply"},
                   {{"--page", true}, {"--recommended", false}, {"--on", true}, {"--off", true}},
                   0,
                   "tweaks apply --page system|internet|security (--recommended | [--on 01,04] [--off 02]) [--json]",
                   "Sets the named rows of one page (the others keep their state),\n"
                   "or the page's recommended states, and applies the page as the\n"
                   "Apply button does: only the rows whose state changes are\n"
                   "written, after an undo file of those values. Prints the rows\n"
                   "again and the rows written.",
                   ApplyCommand});
  table.push_back({{"logs"}, {}, 0, "logs [--json]",
                   "Lists the log files and the undo files with their folders.", LogsCommand});
  table.push_back({{"undo"}, {}, 1, "undo FILE [--json]",
                   "Imports an undo file of the undo folder (a name or its full\n"
                   "path) silently with the registry editor and waits for it.",
                   UndoCommand});
}

}  // namespace qrv::cli
