#include "cli/cli_session.h"

#include "core/startup.h"
#include "engine/file_ops.h"
#include "engine/fix_script.h"

namespace qrv::cli {

namespace {

// The fix script is a file of the run only; the window deletes it on closing.
void EndRun(AppState& app) {
  const std::string fixFile = FixScriptFile(app.folders);
  if (FileExists(app.platform, fixFile)) app.platform.DeleteFile(fixFile);
}

}  // namespace

Outcome Run(Platform& platform, const Invocation& invocation) {
  if (invocation.help || invocation.command == nullptr) return {kExitSuccess, UsageText(), ""};
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
  Outcome outcome = invocation.command->run(app, invocation);
  EndRun(app);
  return outcome;
}

Outcome RunArguments(Platform& platform, const std::vector<std::string>& args) {
  const ParsedArguments parsed = ParseArguments(args);
  if (!parsed.ok) return {kExitUsage, "", "QRVCli: " + parsed.error + "\n\n" + UsageText()};
  return Run(platform, parsed.invocation);
}

}  // namespace qrv::cli
