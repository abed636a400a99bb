#include "cli/cli_args.h"

#include <algorithm>

#include "cli/cli_commands.h"

namespace qrv::cli {

namespace {

bool IsOption(const std::string& a) { return !a.empty() && (a.front() == '-' || a.front() == '/'); }

const OptionSpec* FindOption(const CommandSpec& command, const std::string& name) {
  for (const OptionSpec& o : command.options)
    if (o.name == name) return &o;
  return nullptr;
}

bool StartsWith(const std::vector<std::string>& words, const std::vector<std::string>& prefix) {
  return prefix.size() <= words.size() && std::equal(prefix.begin(), prefix.end(), words.begin());
}

bool IsCommandWord(const std::vector<CommandSpec>& commands, const std::string& word) {
  return std::any_of(commands.begin(), commands.end(),
                     [&](const CommandSpec& c) { return !c.words.empty() && c.words.front() == word; });
}

}  // namespace

namespace {

// The arguments read as one command would read them: its own options decide
// which take a value, so that one name may be a flag of one command and take
// a value in another.
struct Reading {
  std::vector<std::string> words;
  std::vector<std::pair<std::string, std::string>> options;
  std::string error;  // the first option the command cannot take
};

Reading ReadAs(const CommandSpec* command, const std::vector<std::string>& args) {
  Reading r;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") continue;
    if (!IsOption(a)) {
      r.words.push_back(a);
      continue;
    }
    const OptionSpec* known = command != nullptr ? FindOption(*command, a) : nullptr;
    std::string value;
    if (known == nullptr) {
      if (r.error.empty()) r.error = "unknown option: " + a;
    } else if (known->takesValue) {
      if (i + 1 >= args.size() || IsOption(args[i + 1])) {
        if (r.error.empty()) r.error = "option " + a + " needs a value";
        continue;
      }
      value = args[++i];
    }
    r.options.emplace_back(a, value);
  }
  return r;
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<CommandSpec>& commands, const std::vector<std::string>& args) {
  ParsedArguments parsed;
  for (const std::string& a : args)
    if (a == "--help" || a == "-h" || a == "/?") {
      parsed.ok = true;
      parsed.invocation.help = true;
      return parsed;
    }
  parsed.invocation.json = std::find(args.begin(), args.end(), "--json") != args.end();
  // The longest command whose words begin the words it reads.
  const CommandSpec* command = nullptr;
  Reading reading;
  for (const CommandSpec& c : commands) {
    Reading r = ReadAs(&c, args);
    if (StartsWith(r.words, c.words) && (command == nullptr || c.words.size() > command->words.size())) {
      command = &c;
      reading = std::move(r);
    }
  }
  if (command == nullptr) {
    const Reading plain = ReadAs(nullptr, args);
    const std::vector<std::string>& words = plain.words;
    if (words.empty()) {
      parsed.error = "no command given";
      return parsed;
    }
    parsed.error = "unknown command: " + words.front();
    for (const CommandSpec& c : commands)
      if (c.words.size() > 1 && c.words.front() == words.front()) {
        parsed.error = "unknown command: " + words.front() + (words.size() > 1 ? " " + words[1] : "");
        break;
      }
    return parsed;
  }
  if (!reading.error.empty()) {
    parsed.error = reading.error;
    return parsed;
  }
  Invocation& inv = parsed.invocation;
  inv.command = command;
  const std::vector<std::string>& words = reading.words;
  inv.arguments.assign(words.begin() + static_cast<std::ptrdiff_t>(command->words.size()), words.end());
  if (!command->moreArguments && inv.arguments.size() > command->arguments) {
    const std::string& extra = inv.arguments[command->arguments];
    parsed.error = IsCommandWord(commands, extra) ? "only one command may be given" : "unexpected argument: " + extra;
    return parsed;
  }
  if (inv.arguments.size() < command->arguments) {
    parsed.error = "missing argument: " + command->usage;
    return parsed;
  }
  for (const auto& [name, value] : reading.options) {
    if (inv.options.count(name) != 0) {
      parsed.error = "option " + name + " given twice";
      return parsed;
    }
    inv.options[name] = value;
  }
  parsed.ok = true;
  return parsed;
}

ParsedArguments ParseArguments(const std::vector<std::string>& args) { return ParseArguments(Commands(), args); }

std::string UsageText() {
  std::string text;
  bool first = true;
  for (const CommandSpec& c : Commands()) {
    text += (first ? "Usage: QRVCli " : "       QRVCli ") + c.usage + "\n";
    first = false;
  }
  text += "       QRVCli --help\n";
  for (const CommandSpec& c : Commands()) {
    std::string name;
    for (const std::string& w : c.words) name += (name.empty() ? "" : " ") + w;
    text += "\n" + name + "\n";
    std::size_t start = 0;
    while (start < c.help.size()) {
      const std::size_t end = c.help.find('\n', start);
      text += "  " + c.help.substr(start, end == std::string::npos ? std::string::npos : end - start) + "\n";
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  text +=
      "\n"
      "--json  prints one JSON object (UTF-8) instead of text.\n"
      "\n"
      "Needs administrator rights; does not run while Quorvane runs.\n"
      "Exit status: 0 success, 1 failure, 2 wrong arguments.\n";
  return text;
}

}  // namespace qrv::cli
