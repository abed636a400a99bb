#include "cli/cli_commands.h"

#include <algorithm>

namespace qrv::cli {

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> table = [] {
    std::vector<CommandSpec> t;
    AddRegistryCommands(t);
    AddCleaningCommands(t);
    AddStartupCommands(t);
    AddToolCommands(t);
    AddHomeCommands(t);
    AddIgnoreCommands(t);
    AddRecoveryCommands(t);
    return t;
  }();
  return table;
}

bool ParseNumberList(const std::string& text, int low, int high, std::vector<int>& numbers) {
  numbers.clear();
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, end - start);
    if (item.empty() || item.size() > 4 || !std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    const int n = std::stoi(item);
    if (n < low || n > high || std::find(numbers.begin(), numbers.end(), n) != numbers.end()) return false;
    numbers.push_back(n);
    start = end + 1;
  }
  return !numbers.empty();
}

}  // namespace qrv::cli
