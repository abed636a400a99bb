#pragma once
// The console program's command line: one command, scan or fix, and the
// options that change how the results are printed.
#include <string>
#include <vector>

namespace qrv::cli {

enum class Command { Scan, Fix, Help };

struct Options {
  Command command = Command::Help;
  bool json = false;
};

struct ParsedArguments {
  bool ok = false;
  Options options;
  std::string error;  // why the arguments were refused, when not ok
};

// The arguments after the program name. --help (or -h, /?) anywhere wins.
ParsedArguments ParseArguments(const std::vector<std::string>& args);

// What --help prints.
std::string UsageText();

// Exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

}  // namespace qrv::cli
