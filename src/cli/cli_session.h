#pragma once
// The console program's work on a given Windows: the entry tests, start-up as
// the main window does it, then the Registry tab driven without a screen.
#include <string>

#include "cli/cli_args.h"
#include "engine/platform.h"

namespace qrv::cli {

struct Outcome {
  int exitCode = kExitSuccess;
  std::string out;  // UTF-8, for standard output
  std::string err;  // UTF-8, for standard error
};

// Runs one command. Refuses, like the main program, to run beside it or
// without administrator rights, and holds the single-instance mutex from then
// on, so that the window cannot start while the command runs.
Outcome Run(Platform& platform, const Options& options);

// The same from the arguments after the program name, usage errors included.
Outcome RunArguments(Platform& platform, const std::vector<std::string>& args);

}  // namespace qrv::cli
