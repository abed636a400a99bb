#pragma once
// The console program's work on a given Windows: the entry tests, start-up as
// the main window does it, then one command of the table.
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "engine/platform.h"

namespace qrv::cli {

// Runs the parsed command. Refuses, like the main program, to run beside it
// or without administrator rights, and holds the single-instance mutex from
// then on, so that the window cannot start while the command runs.
Outcome Run(Platform& platform, const Invocation& invocation);

// The same from the arguments after the program name, usage errors included.
Outcome RunArguments(Platform& platform, const std::vector<std::string>& args);

}  // namespace qrv::cli
