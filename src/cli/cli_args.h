#pragma once
// The console program's command line: one command of one or two words
// ("scan", "privacy clean"), its arguments and options, and --json.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qrv {
struct AppState;
}

namespace qrv::cli {

struct Outcome {
  int exitCode = 0;
  std::string out;  // UTF-8, for standard output
  std::string err;  // UTF-8, for standard error
};

struct OptionSpec {
  std::string name;  // with its dashes: "--rows"
  bool takesValue = false;
};

struct CommandSpec;

// What the user asked for, once the words matched a command.
struct Invocation {
  const CommandSpec* command = nullptr;  // null for --help
  bool help = false;
  bool json = false;
  std::map<std::string, std::string> options;  // given options; flags map to ""
  std::vector<std::string> arguments;          // the words after the command's own

  bool Has(const std::string& option) const { return options.count(option) != 0; }
  std::string Value(const std::string& option, const std::string& fallback = {}) const {
    const auto it = options.find(option);
    return it == options.end() ? fallback : it->second;
  }
};

// A command runs after the entry tests and the settings are loaded.
using CommandRun = std::function<Outcome(AppState& app, const Invocation& invocation)>;

struct CommandSpec {
  std::vector<std::string> words;   // {"privacy", "scan"}
  std::vector<OptionSpec> options;  // besides --json, which every command takes
  std::size_t arguments = 0;        // how many words follow the command's own
  std::string usage;                // "privacy scan [--rows 1,2,3,4,5] [--json]"
  std::string help;                 // what it does, lines of at most 72 characters
  CommandRun run;
  bool moreArguments = false;       // `arguments` is the least; any number more may follow
};

struct ParsedArguments {
  bool ok = false;
  Invocation invocation;
  std::string error;  // why the arguments were refused, when not ok
};

// The arguments after the program name, against a table of commands.
// --help (or -h, /?) anywhere wins.
ParsedArguments ParseArguments(const std::vector<CommandSpec>& commands, const std::vector<std::string>& args);
// The same against the program's commands.
ParsedArguments ParseArguments(const std::vector<std::string>& args);

// What --help prints.
std::string UsageText();

// Exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

}  // namespace qrv::cli
