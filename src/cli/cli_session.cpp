#include "cli/cli_session.h"

#include "cli/cli_report.h"
#include "core/main_window.h"
#include "core/startup.h"
#include "registry_scan/registry_page.h"

namespace qrv::cli {

namespace {

// The window without a screen: there are no messages to process, and nothing
// to minimise or close.
class HeadlessHost : public WindowHost {
 public:
  void ProcessMessages() override {}
  void Minimize() override {}
  void RequestClose() override {}
};

// Closes every dialog as soon as it is shown, keeping what the Information
// dialog had to say. A question is thereby never confirmed.
class ClosingRunner : public ModalRunner {
 public:
  void RunModal(SkinnedDialog& dialog) override {
    dialog.Show();
    if (auto* info = dynamic_cast<TForm3a*>(&dialog)) messages.push_back(info->Message.text);
    dialog.Close();
  }
  std::vector<std::string> messages;
};

// Widths only place captions on the window, which is never drawn.
class CharacterMeasure : public TextMeasure {
 public:
  int Width(const std::string& text, const Font& font) override {
    return static_cast<int>(text.size()) * (font.size > 0 ? font.size : 8) * 2 / 3;
  }
};

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

Report Collect(const AppState& app, RegistryPage& page) {
  Report report;
  for (int n = 1; n <= kRegistryCategories; ++n) {
    const auto index = static_cast<std::size_t>(n);
    CategoryReport category;
    category.number = n;
    category.caption = page.CategoryCaption(n);
    category.result = page.ResultLabels.at(index - 1).text;
    category.findings = app.FindingList.at(index);
    report.total += static_cast<int>(category.findings.size());
    report.categories.push_back(std::move(category));
  }
  report.totalText = page.Panel3Label11C.text;
  return report;
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
  HeadlessHost host;
  ClosingRunner runner;
  CharacterMeasure measure;
  TForm1a form(app, host, runner, measure);
  form.CreateForm();
  form.Tab2Click();
  auto& page = dynamic_cast<RegistryPage&>(form.PageOf(PageId::Panel3));

  page.Panel3Button1Click();
  Report report = Collect(app, page);
  report.messages = runner.messages;
  runner.messages.clear();

  if (options.command == Command::Fix) {
    report.repair = true;
    // The Fix button is there only when the scan found something.
    if (page.Panel3Button2.Visible()) {
      page.Panel3Button2Click();
      const RepairResult& repair = page.LastRepair();
      if (repair.outcome != RepairOutcome::Imported) {
        outcome.exitCode = kExitFailure;
        outcome.err = "QRVCli: the repair was not made: " + std::string(WhyNotRepaired(repair.outcome)) + ".\n";
        for (const std::string& message : runner.messages) outcome.err += message + "\n";
        if (!repair.logPath.empty()) outcome.err += "Log written: " + repair.logPath + "\n";
        if (!repair.undoPath.empty()) outcome.err += "Undo file written: " + repair.undoPath + "\n";
        form.CloseForm();
        return outcome;
      }
      for (std::size_t i = 0; i < report.categories.size(); ++i)
        report.categories[i].result = page.ResultLabels.at(i).text;
      report.totalText = page.Panel3Label11C.text;
      report.messages.insert(report.messages.end(), runner.messages.begin(), runner.messages.end());
      if (!repair.logPath.empty()) report.log = repair.logPath;
      if (!repair.undoPath.empty()) report.undo = repair.undoPath;
    }
  }
  form.CloseForm();
  outcome.out = Print(report, options);
  return outcome;
}

Outcome RunArguments(Platform& platform, const std::vector<std::string>& args) {
  const ParsedArguments parsed = ParseArguments(args);
  if (!parsed.ok) return {kExitUsage, "", "QRVCli: " + parsed.error + "\n\n" + UsageText()};
  return Run(platform, parsed.options);
}

}  // namespace qrv::cli
