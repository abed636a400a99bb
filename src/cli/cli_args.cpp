#include "cli/cli_args.h"

namespace qrv::cli {

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  for (const std::string& a : args)
    if (a == "--help" || a == "-h" || a == "/?") {
      parsed.ok = true;
      parsed.options.command = Command::Help;
      return parsed;
    }
  bool haveCommand = false;
  for (const std::string& a : args) {
    if (a == "--json") {
      parsed.options.json = true;
    } else if (a == "scan" || a == "fix") {
      if (haveCommand) {
        parsed.error = "only one command may be given";
        return parsed;
      }
      haveCommand = true;
      parsed.options.command = a == "scan" ? Command::Scan : Command::Fix;
    } else if (!a.empty() && (a.front() == '-' || a.front() == '/')) {
      parsed.error = "unknown option: " + a;
      return parsed;
    } else {
      parsed.error = "unknown command: " + a;
      return parsed;
    }
  }
  if (!haveCommand) {
    parsed.error = "no command given";
    return parsed;
  }
  parsed.ok = true;
  return parsed;
}

std::string UsageText() {
  return "Usage: QRVCli scan [--json]\n"
         "       QRVCli fix [--json]\n"
         "       QRVCli --help\n"
         "\n"
         "scan  looks for stale registry entries in the ten categories of the\n"
         "      Registry tab and prints each category with its findings.\n"
         "fix   runs the same scan, then repairs everything found as the Fix\n"
         "      button does: a log, an undo file and a silent import by the\n"
         "      registry editor. It prints what it fixed and where the log and\n"
         "      the undo file are.\n"
         "\n"
         "--json  prints one JSON object (UTF-8) instead of text.\n"
         "\n"
         "Needs administrator rights; does not run while Quorvane runs.\n"
         "Exit status: 0 success, 1 failure, 2 wrong arguments.\n";
}

}  // namespace qrv::cli
