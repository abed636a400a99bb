#include "cli/cli_session.h"

#include "cli/cli_report.h"
#include "core/startup.h"
#include "engine/file_ops.h"
#include "engine/fix_script.h"
#include "registry_scan/registry_scan.h"

namespace qrv::cli {

namespace {

const char* WhyNotRepaired(RepairOutcome outcome) {
  switch (outcome) {
    case RepairOutcome::Imported: return "";
    case RepairOutcome::Refused: return "the fix script would delete a registry branch that must never be deleted";
    case RepairOutcome::LogNotWritten: return "the log file could not be written";
    case RepairOutcome::UndoNotWritten: return "the undo file could not be written";
    case RepairOutcome::ScriptNotWritten: return "the fix script file could not be written";
    case RepairOutcome::EditorNotStarted: return "the registry editor could not be started";
  }
  return "unknown reason";
}

std::string CountText(const AppState& app, std::size_t count, TextId what) {
  return std::to_string(count) + " " + app.language.Text(what);
}

Report Collect(const AppState& app, const RegistryScan& scan) {
  Report report;
  for (int n = 1; n <= kRegistryCategories; ++n) {
    CategoryReport category;
    category.number = n;
    category.caption = RegistryCategoryCaption(app.language, n);
    category.result = CountText(app, scan.Count(n), TextId::Action2ErrorsDetected);
    category.findings = app.FindingList.at(static_cast<std::size_t>(n));
    report.categories.push_back(std::move(category));
  }
  report.total = static_cast<int>(scan.Total());
  report.totalText = CountText(app, scan.Total(), TextId::Action2ErrorsDetected);
  // What the Registry tab says after a scan that found nothing.
  if (report.total == 0) report.messages.push_back(app.language.Text(TextId::Action2AllFixed));
  return report;
}

// The fix script is a file of the run only; the window deletes it on closing.
void EndRun(AppState& app) {
  const std::string fixFile = FixScriptFile(app.folders);
  if (FileExists(app.platform, fixFile)) app.platform.DeleteFile(fixFile);
}

std::string Print(const Report& report, const Options& options) {
  return options.json ? FormatJson(report) : FormatText(report);
}

}  // namespace

Outcome Run(Platform& platform, const Options& options) {
  Outcome outcome;
  if (options.command == Command::Help) {
    outcome.out = UsageText();
    return outcome;
  }
  switch (CheckEntry(platform)) {
    case EntryDecision::AlreadyRunning:
      return {kExitFailure, "", "QRVCli: Quorvane or another QRVCli is running; close it and try again.\n"};
    case EntryDecision::NotAdministrator:
      return {kExitFailure, "", "QRVCli: administrator rights are needed to change the registry.\n"};
    case EntryDecision::Start:
      break;
  }

  AppState app(platform);
  LoadSettings(app);
  QuietScanHost host;
  RegistryScan scan(app, host);
  scan.Run();
  Report report = Collect(app, scan);

  if (options.command == Command::Fix) {
    report.repair = true;
    if (report.total > 0) {
      const RegistryRepairResult repair = RepairRegistry(app);
      if (!repair.Imported()) {
        outcome.exitCode = kExitFailure;
        outcome.err = "QRVCli: the repair was not made: " + std::string(WhyNotRepaired(repair.repair.outcome)) + ".\n";
        outcome.err += app.language.Text(TextId::MessagesRepairFailed) + "\n";
        if (!repair.repair.logPath.empty()) outcome.err += "Log written: " + repair.repair.logPath + "\n";
        if (!repair.repair.undoPath.empty()) outcome.err += "Undo file written: " + repair.repair.undoPath + "\n";
        EndRun(app);
        return outcome;
      }
      for (CategoryReport& category : report.categories)
        category.result = CountText(app, repair.counts.at(static_cast<std::size_t>(category.number)),
                                    TextId::Action2ProblemsFixed);
      report.totalText = CountText(app, repair.total, TextId::Action2ProblemsFixed);
      if (!repair.repair.logPath.empty()) report.log = repair.repair.logPath;
      if (!repair.repair.undoPath.empty()) report.undo = repair.repair.undoPath;
    }
  }
  EndRun(app);
  outcome.out = Print(report, options);
  return outcome;
}

Outcome RunArguments(Platform& platform, const std::vector<std::string>& args) {
  const ParsedArguments parsed = ParseArguments(args);
  if (!parsed.ok) return {kExitUsage, "", "QRVCli: " + parsed.error + "\n\n" + UsageText()};
  return Run(platform, parsed.options);
}

}  // namespace qrv::cli
