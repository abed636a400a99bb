// The Home tab's one-click scan and its Repair & Optimize from the console.
#include <string>
#include <vector>

#include "cleaning/privacy_scan.h"
#include "cli/cli_commands.h"
#include "cli/cli_json.h"
#include "cli/cli_report.h"
#include "core/scan_host.h"
#include "core/startup.h"
#include "home/home_scan.h"

namespace qrv::cli {

namespace {

struct GroupReport {
  int group = 0;
  std::string caption;
  std::vector<std::string> items;
};

std::vector<GroupReport> CollectGroups(const AppState& app) {
  std::vector<GroupReport> groups;
  for (int g = 1; g <= kSummaryGroups; ++g) groups.push_back({g, GroupCaption(app.language, g, false), GroupItems(app, g)});
  return groups;
}

const char* WhyNotRepaired(GroupOutcome outcome) {
  switch (outcome) {
    case GroupOutcome::LogNotWritten: return "the log file could not be written";
    case GroupOutcome::UndoNotWritten: return "the undo file could not be written";
    case GroupOutcome::NotImported: return "the registry script was refused or not imported";
    case GroupOutcome::Cancelled: return "stopped";
    default: return "";
  }
}

bool Failed(GroupOutcome outcome) { return *WhyNotRepaired(outcome) != '\0'; }

Outcome HomeCommand(AppState& app, const Invocation& invocation, bool repair) {
  SummaryTicks ticks = AllSummaryGroups();
  if (invocation.Has("--groups")) {
    std::vector<int> numbers;
    if (!ParseNumberList(invocation.Value("--groups"), 1, kSummaryGroups, numbers))
      return {kExitUsage, "", "QRVCli: --groups takes group numbers from 1 to 7, separated by commas (\"1,3,6\").\n"};
    ticks = {};
    for (int n : numbers) ticks.at(static_cast<std::size_t>(n)) = true;
  }
  QuietScanHost host;
  HomeScan scan(app, host);
  scan.Run(nullptr, false);
  const std::vector<GroupReport> groups = CollectGroups(app);
  const std::size_t toFix = ItemsToFix(app);
  const std::size_t toClean = ItemsToClean(app);

  HomeRepairResult repaired;
  Outcome outcome;
  if (repair) {
    repaired = RepairHome(app, host, ticks, false);
    for (int g = 1; g <= kSummaryGroups; ++g) {
      const GroupOutcome result = repaired.outcome.at(static_cast<std::size_t>(g));
      if (!Failed(result)) continue;
      outcome.exitCode = kExitFailure;
      outcome.err += "QRVCli: group " + std::to_string(g) + " was not repaired: " + WhyNotRepaired(result) + ".\n";
    }
    // The registry tab's message, only when no registry group was imported.
    const auto imported = [&](int g) { return repaired.outcome.at(static_cast<std::size_t>(g)) == GroupOutcome::Repaired; };
    for (int g : {1, 2})
      if (Failed(repaired.outcome.at(static_cast<std::size_t>(g))) &&
          repaired.outcome.at(static_cast<std::size_t>(g)) != GroupOutcome::Cancelled) {
        outcome.err += app.language.Text(imported(1) || imported(2) ? TextId::MessagesRepairIncomplete
                                                                    : TextId::MessagesRepairFailed) + "\n";
        break;
      }
    if (!repaired.left.empty()) {
      // Imported, but the registry still holds some of it: not a success.
      outcome.exitCode = kExitFailure;
      outcome.err += "QRVCli: " + std::to_string(repaired.left.size()) + " of the findings are still in the registry.\n";
    }
  }

  std::string& out = outcome.out;
  if (invocation.json) {
    Json groupList = Json::array();
    for (const GroupReport& g : groups)
      groupList.push_back({{"group", g.group}, {"caption", g.caption}, {"count", g.items.size()}, {"items", g.items}});
    Json json = {{"groups", std::move(groupList)},
                 {"startupPrograms", app.StartupCount},
                 {"itemsToFix", toFix},
                 {"itemsToClean", toClean},
                 {"skipped", scan.SkippedBrowsers()}};
    if (repair) {
      std::vector<int> notRepaired;
      for (int g = 1; g <= kSummaryGroups; ++g)
        if (Failed(repaired.outcome.at(static_cast<std::size_t>(g)))) notRepaired.push_back(g);
      json["fixed"] = repaired.fixed;
      json["scheduledAtRestart"] = repaired.scheduledAtRestart;
      json["notRepaired"] = notRepaired;
      json["logs"] = repaired.logs;
      json["undo"] = PathOrNull(repaired.undoPath);
      json["left"] = repaired.left;
    }
    out = JsonLine(json);
    return outcome;
  }
  for (const GroupReport& g : groups) {
    out += std::to_string(g.group) + ". " + std::to_string(g.items.size()) + " " + OnOneLine(g.caption) + "\n";
    for (const std::string& item : g.items) out += "    " + OnOneLine(item) + "\n";
  }
  out += std::to_string(app.StartupCount) + " " + app.language.Text(TextId::Action2FixAction9a) + "\n";
  if (!scan.SkippedBrowsers().empty()) out += SkippedBrowsersText(app.language, scan.SkippedBrowsers()) + "\n";
  if (repair) {
    if (repaired.nothingFound) out += app.language.Text(TextId::Action2AllFixed) + "\n";
    out += app.language.Text(TextId::Action2Total) + ": " + CountText(app.language, repaired.fixed, TextId::Action2ProblemsFixed) +
           ".\n";
    if (!repaired.left.empty()) {
      out += app.language.Text(TextId::MessagesEntriesLeft) + "\n";
      for (const std::string& line : repaired.left) out += "    " + OnOneLine(line) + "\n";
    }
    if (repaired.scheduledAtRestart > 0)
      out += std::to_string(repaired.scheduledAtRestart) + " files are deleted at the next restart.\n";
    for (const std::string& log : repaired.logs) out += "Log written: " + log + "\n";
    if (!repaired.undoPath.empty()) out += "Undo file written: " + repaired.undoPath + "\n";
  }
  return outcome;
}

}  // namespace

void AddHomeCommands(std::vector<CommandSpec>& table) {
  table.push_back({{"home", "scan"}, {}, 0, "home scan [--json]",
                   "Runs the one-click scan of the Home tab (registry, privacy\n"
                   "items, residual files, invalid shortcuts, startup programs)\n"
                   "and prints the summary's seven groups with their items.",
                   [](AppState& app, const Invocation& inv) { return HomeCommand(app, inv, false); }});
  table.push_back({{"home", "repair"}, {{"--groups", true}}, 0, "home repair [--groups 1,2,3,4,5,6,7] [--json]",
                   "Runs the same scan, then repairs the named groups (all seven\n"
                   "by default) as Repair & Optimize does: one log per group, one\n"
                   "undo file for the registry, then the imports and deletions.",
                   [](AppState& app, const Invocation& inv) { return HomeCommand(app, inv, true); }});
}

}  // namespace qrv::cli
