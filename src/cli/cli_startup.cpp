// The startup manager and the schedule from the console: startup, startup
// remove, startup add, schedule, schedule set.
#include "cli/cli_commands.h"
#include "cli/cli_json.h"
#include "cli/cli_report.h"
#include "core/scan_host.h"
#include "core/startup.h"
#include "tools/schedule.h"
#include "tools/startup_manager.h"

namespace qrv::cli {

namespace {

const char* WhyNotChanged(StartupChange change) {
  switch (change) {
    case StartupChange::Done: return "";
    case StartupChange::NothingThere: return "the entry is gone or cannot be named in a registry script; nothing changed";
    case StartupChange::UndoNotWritten: return "the undo file could not be written; nothing changed";
    case StartupChange::Refused: return "the script would delete a registry branch that must never be deleted";
    case StartupChange::ScriptNotWritten: return "the fix script file could not be written";
    case StartupChange::EditorNotStarted: return "the registry editor could not be started";
    case StartupChange::NotDeleted: return "the link file could not be deleted";
    case StartupChange::FileNotFound: return "File not found!";
  }
  return "unknown reason";
}

struct Listing {
  std::vector<StartupEntry> entries;
  std::size_t count = 0;
};

Listing ReadListing(AppState& app) {
  QuietScanHost host;
  Listing listing;
  listing.entries = ReadStartupList(app, host);
  listing.count = ReadStartup(app, host);
  return listing;
}

std::string FormatListing(const Listing& listing, bool json, const std::vector<std::pair<std::string, std::string>>& extra) {
  std::string out;
  if (json) {
    Json entries = Json::array();
    for (std::size_t i = 0; i < listing.entries.size(); ++i) {
      const StartupEntry& e = listing.entries[i];
      entries.push_back(
          {{"index", i + 1}, {"source", e.source}, {"user", e.user}, {"program", e.program}, {"location", e.location}});
    }
    Json listed = {{"entries", std::move(entries)}, {"count", listing.count}};
    for (const auto& [key, value] : extra) listed[key] = PathOrNull(value);
    return JsonLine(listed);
  }
  for (std::size_t i = 0; i < listing.entries.size(); ++i) {
    const StartupEntry& e = listing.entries[i];
    out += std::to_string(i + 1) + ". [" + std::to_string(e.source) + "] " + e.user + " | " + e.program + " | " +
           e.location + "\n";
  }
  out += std::to_string(listing.count) + " programs loaded at start up\n";
  for (const auto& [key, value] : extra)
    if (!value.empty()) out += key + ": " + value + "\n";
  return out;
}

Outcome List(AppState& app, const Invocation& inv) {
  return {kExitSuccess, FormatListing(ReadListing(app), inv.json, {}), ""};
}

Outcome Remove(AppState& app, const Invocation& inv) {
  Listing before = ReadListing(app);
  std::vector<int> index;
  if (!ParseNumberList(inv.arguments.at(0), 1, 9999, index) || index.size() != 1 ||
      static_cast<std::size_t>(index[0]) > before.entries.size())
    return {kExitUsage, "", "QRVCli: no entry " + inv.arguments.at(0) + " in the startup list (" +
                                std::to_string(before.entries.size()) + " entries)\n"};
  const StartupRemoval removal = RemoveStartupEntry(app, before.entries[static_cast<std::size_t>(index[0] - 1)]);
  Outcome outcome;
  if (removal.outcome != StartupChange::Done) {
    outcome.exitCode = kExitFailure;
    outcome.err = "QRVCli: not removed: " + std::string(WhyNotChanged(removal.outcome)) + ".\n";
  }
  outcome.out = FormatListing(ReadListing(app), inv.json, {{"undo", removal.undoPath}, {"linkCopy", removal.linkCopy}});
  return outcome;
}

Outcome Add(AppState& app, const Invocation& inv) {
  const StartupChange change = AddStartupProgram(app, inv.arguments.at(0), inv.Has("--all-users"));
  if (change == StartupChange::FileNotFound)
    return {kExitFailure, "", "QRVCli: " + app.language.Text(TextId::Action8Message1) + " " + inv.arguments.at(0) + "\n"};
  Outcome outcome;
  if (change != StartupChange::Done) {
    outcome.exitCode = kExitFailure;
    outcome.err = "QRVCli: not added: " + std::string(WhyNotChanged(change)) + ".\n";
  }
  outcome.out = FormatListing(ReadListing(app), inv.json, {});
  return outcome;
}

std::string FormatSchedule(AppState& app, bool json) {
  const ScheduleSettings s = ReadSchedule(app);
  const auto run = ReadScheduleRunValue(app);
  if (json)
    return JsonLine(
        {{"enabled", s.enabled}, {"day", s.day}, {"time", TimeText(s.time)}, {"runValue", PathOrNull(run)}});
  const TextId days[] = {TextId::ScheduleDay1, TextId::ScheduleDay2, TextId::ScheduleDay3, TextId::ScheduleDay4,
                         TextId::ScheduleDay5, TextId::ScheduleDay6, TextId::ScheduleDay7};
  return app.language.Text(TextId::ScheduleScheduledScan) + ": " +
         app.language.Text(s.enabled ? TextId::Action1On : TextId::Action1Off) + "\n" +
         app.language.Text(days[s.day]) + " " + app.language.Text(TextId::ScheduleAt) + " " + TimeText(s.time) +
         "\n" + kScheduleRunValue + ": " + (run ? *run : "(none)") + "\n";
}

Outcome ScheduleSet(AppState& app, const Invocation& inv) {
  if (inv.Has("--on") == inv.Has("--off"))
    return {kExitUsage, "", "QRVCli: give one of --on and --off\n"};
  ScheduleSettings s = ReadSchedule(app);
  s.enabled = inv.Has("--on");
  if (inv.Has("--day")) {
    std::vector<int> day;
    if (!ParseNumberList(inv.Value("--day"), 0, kScheduleDays - 1, day) || day.size() != 1)
      return {kExitUsage, "", "QRVCli: --day takes a number from 0 (Monday) to 6 (Sunday)\n"};
    s.day = day[0];
  }
  // As the dialog's picker: today's date with the chosen time of day.
  double timeOfDay = s.time;
  if (inv.Has("--time")) {
    int minutes = 0;
    if (!ParseTimeText(inv.Value("--time"), minutes))
      return {kExitUsage, "", "QRVCli: --time takes HH:MM (00:00 to 23:59)\n"};
    timeOfDay = minutes / 1440.0;
  }
  s.time = WithTimeOfDay(app.platform.Now(), timeOfDay);
  if (!ApplySchedule(app, s, false))
    return {kExitFailure, FormatSchedule(app, inv.json), "QRVCli: the schedule could not be stored.\n"};
  return {kExitSuccess, FormatSchedule(app, inv.json), ""};
}

}  // namespace

void AddStartupCommands(std::vector<CommandSpec>& table) {
  table.push_back({{"startup"}, {}, 0, "startup [--json]",
                   "Lists the programs that start at logon (Run keys, switched-off\n"
                   "entries, Startup folders), numbered, with the count the Home\n"
                   "scan shows.",
                   List});
  table.push_back({{"startup", "remove"}, {}, 1, "startup remove INDEX [--json]",
                   "Removes entry INDEX of that list after writing its undo file\n"
                   "(and, for a link, a copy of the link beside it); prints the\n"
                   "list again and the undo file.",
                   Remove});
  table.push_back({{"startup", "add"}, {{"--all-users", false}}, 1, "startup add PATH [--all-users] [--json]",
                   "Starts the program PATH at logon, for the current user or with\n"
                   "--all-users for everyone; prints the list again.",
                   Add});
  table.push_back({{"schedule"}, {}, 0, "schedule [--json]",
                   "Shows the weekly scheduled scan: on or off, day, time and the\n"
                   "Run value that starts the companion.",
                   [](AppState& app, const Invocation& inv) { return Outcome{kExitSuccess, FormatSchedule(app, inv.json), ""}; }});
  table.push_back({{"schedule", "set"}, {{"--on", false}, {"--off", false}, {"--day", true}, {"--time", true}}, 0,
                   "schedule set (--on|--off) [--day 0-6] [--time HH:MM] [--json]",
                   "Stores the schedule as the Scheduled Scan dialog's Apply does\n"
                   "(day 0 is Monday) and writes or deletes the Run value; the\n"
                   "companion is not started from here.",
                   ScheduleSet});
}

}  // namespace qrv::cli
