// The removed files kept for recovery from the console: the list, and
// putting them back.
#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/cli_json.h"
#include "cli/cli_report.h"
#include "core/startup.h"
#include "engine/backup.h"
#include "engine/recovery.h"
#include "engine/text.h"

namespace qrv::cli {

namespace {

std::string DateText(double date) {
  const Date d = DecodeDate(date);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  return text;
}

const char* OutcomeName(RestoreOutcome outcome) {
  switch (outcome) {
    case RestoreOutcome::Restored: return "restored";
    case RestoreOutcome::Occupied: return "occupied";
    case RestoreOutcome::Missing: return "missing";
    case RestoreOutcome::Failed: break;
  }
  return "failed";
}

Outcome RemovedCommand(AppState& app, const Invocation& inv) {
  const std::vector<Removal> removals = ListRemovals(app.platform, app.folders);
  if (inv.json) {
    Json list = Json::array();
    for (const Removal& r : removals) {
      Json files = Json::array();
      for (const RemovedFile& f : r.files) files.push_back({{"path", f.original}, {"stored", f.stored}});
      list.push_back({{"removal", r.id}, {"date", DateText(r.date)}, {"files", std::move(files)}});
    }
    return {kExitSuccess, JsonLine({{"removals", std::move(list)}}), ""};
  }
  std::string out;
  std::size_t count = 0;
  for (const Removal& r : removals) {
    out += r.id + "\n";
    for (const RemovedFile& f : r.files) out += "    " + OnOneLine(f.original) + "\n";
    count += r.files.size();
  }
  out += std::to_string(count) + " removed files can be restored\n";
  return {kExitSuccess, out, ""};
}

Outcome RestoreCommand(AppState& app, const Invocation& inv) {
  const bool all = inv.Has("--all");
  if (all == !inv.arguments.empty())
    return {kExitUsage, "", "QRVCli: restore takes --all or the original paths of the files, not both\n"};
  std::vector<RemovedFile> chosen;
  std::vector<std::string> unknown;
  const std::vector<Removal> removals = ListRemovals(app.platform, app.folders);
  if (all) {
    for (const Removal& r : removals) chosen.insert(chosen.end(), r.files.begin(), r.files.end());
  } else {
    for (const std::string& path : inv.arguments) {
      bool found = false;
      // The latest removal of that path first: it is the one the user means.
      for (auto r = removals.rbegin(); r != removals.rend() && !found; ++r)
        for (const RemovedFile& f : r->files)
          if (EqualsNoCase(f.original, path)) {
            chosen.push_back(f);
            found = true;
            break;
          }
      if (!found) unknown.push_back(path);
    }
  }
  const std::vector<RestoreResult> results = RestoreFiles(app.platform, app.folders, chosen);
  std::size_t restored = 0;
  for (const RestoreResult& r : results) restored += r.outcome == RestoreOutcome::Restored ? 1 : 0;
  const bool ok = restored == results.size() && unknown.empty();
  Outcome outcome;
  outcome.exitCode = ok ? kExitSuccess : kExitFailure;
  if (inv.json) {
    Json files = Json::array();
    for (const RestoreResult& r : results) files.push_back({{"path", r.original}, {"outcome", OutcomeName(r.outcome)}});
    outcome.out = JsonLine({{"files", std::move(files)}, {"restored", restored}, {"unknown", unknown}});
    return outcome;
  }
  for (const RestoreResult& r : results) {
    std::string line = OnOneLine(r.original);
    switch (r.outcome) {
      case RestoreOutcome::Restored: outcome.out += "Restored: " + line + "\n"; break;
      case RestoreOutcome::Occupied: outcome.out += "Not restored, a file is there: " + line + "\n"; break;
      case RestoreOutcome::Missing: outcome.out += "Not restored, no longer kept: " + line + "\n"; break;
      case RestoreOutcome::Failed: outcome.out += "Not restored: " + line + "\n"; break;
    }
  }
  for (const std::string& path : unknown) outcome.out += "Not among the removed files: " + OnOneLine(path) + "\n";
  outcome.out += std::to_string(restored) + " files restored\n";
  return outcome;
}

}  // namespace

void AddRecoveryCommands(std::vector<CommandSpec>& table) {
  table.push_back({{"removed"}, {}, 0, "removed [--json]",
                   "Lists the residual files and shortcuts removed and kept for\n"
                   "recovery, removal by removal, with their original paths.",
                   RemovedCommand});
  table.push_back({{"restore"}, {{"--all", false}}, 0, "restore (--all | PATH...) [--json]",
                   "Puts removed files back at their original paths: all of them,\n"
                   "or those named by their original paths. A file is never put\n"
                   "back over one that has since appeared at its path.",
                   RestoreCommand, true});
}

}  // namespace qrv::cli
