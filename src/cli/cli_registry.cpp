#include "cli/cli_commands.h"
#include "cli/cli_report.h"
#include "core/scan_host.h"
#include "core/startup.h"
#include "registry_scan/registry_scan.h"

namespace qrv::cli {

namespace {

const char* WhyNotRepaired(RepairOutcome outcome) {
  switch (outcome) {
    case RepairOutcome::Imported: return "";
    case RepairOutcome::Refused: return "the fix script would delete a registry branch that must never be deleted";
    case RepairOutcome::TooLarge: return "the fix script would delete a registry branch larger than any finding needs";
    case RepairOutcome::LogNotWritten: return "the log file could not be written";
    case RepairOutcome::UndoNotWritten: return "the undo file could not be written";
    case RepairOutcome::ScriptNotWritten: return "the fix script file could not be written";
    case RepairOutcome::EditorNotStarted: return "the registry editor could not be started";
  }
  return "unknown reason";
}

Report Collect(const AppState& app, const RegistryScan& scan) {
  Report report;
  for (int n = 1; n <= kRegistryCategories; ++n) {
    CategoryReport category;
    category.number = n;
    category.caption = RegistryCategoryCaption(app.language, n);
    category.result = CountText(app.language, scan.Count(n), TextId::Action2ErrorsDetected);
    category.findings = app.FindingList.at(static_cast<std::size_t>(n));
    report.categories.push_back(std::move(category));
  }
  report.total = static_cast<int>(scan.Total());
  report.totalText = CountText(app.language, scan.Total(), TextId::Action2ErrorsDetected);
  // What the Registry tab says after a scan that found nothing.
  if (report.total == 0) report.messages.push_back(app.language.Text(TextId::Action2AllFixed));
  return report;
}

Outcome ScanOrFix(AppState& app, const Invocation& invocation, bool fix) {
  Outcome outcome;
  QuietScanHost host;
  RegistryScan scan(app, host);
  scan.Run();
  Report report = Collect(app, scan);

  if (fix) {
    report.repair = true;
    if (report.total > 0) {
      const RegistryRepairResult repair = RepairRegistry(app);
      if (!repair.Imported()) {
        outcome.exitCode = kExitFailure;
        outcome.err = "QRVCli: the repair was not made: " + std::string(WhyNotRepaired(repair.repair.outcome)) + ".\n";
        outcome.err += app.language.Text(TextId::MessagesRepairFailed) + "\n";
        if (!repair.repair.logPath.empty()) outcome.err += "Log written: " + repair.repair.logPath + "\n";
        if (!repair.repair.undoPath.empty()) outcome.err += "Undo file written: " + repair.repair.undoPath + "\n";
        return outcome;
      }
      for (CategoryReport& category : report.categories)
        category.result = CountText(app.language, repair.counts.at(static_cast<std::size_t>(category.number)),
                                    TextId::Action2ProblemsFixed);
      report.totalText = CountText(app.language, repair.total, TextId::Action2ProblemsFixed);
      report.fixed = static_cast<int>(repair.total);
      report.left = repair.left;
      if (!repair.left.empty()) {
        // Imported, but the registry still holds some of it: not a success.
        report.messages.push_back(app.language.Text(TextId::MessagesEntriesLeft));
        outcome.exitCode = kExitFailure;
        outcome.err = "QRVCli: " + std::to_string(repair.left.size()) + " of the findings are still in the registry.\n";
      }
      if (!repair.repair.logPath.empty()) report.log = repair.repair.logPath;
      if (!repair.repair.undoPath.empty()) report.undo = repair.repair.undoPath;
    }
  }
  outcome.out = invocation.json ? FormatJson(report) : FormatText(report);
  return outcome;
}

}  // namespace

void AddRegistryCommands(std::vector<CommandSpec>& table) {
  table.push_back({{"scan"}, {}, 0, "scan [--json]",
                   "Looks for stale registry entries in the ten categories of the\n"
                   "Registry tab and prints each category with its findings.",
                   [](AppState& app, const Invocation& inv) { return ScanOrFix(app, inv, false); }});
  table.push_back({{"fix"}, {}, 0, "fix [--json]",
                   "Runs the same scan, then repairs everything found as the Fix\n"
                   "button does: a log, an undo file and a silent import by the\n"
                   "registry editor. It prints what it fixed and where the log and\n"
                   "the undo file are.",
                   [](AppState& app, const Invocation& inv) { return ScanOrFix(app, inv, true); }});
}

}  // namespace qrv::cli
