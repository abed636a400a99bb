// The ignore list from the console: add, remove and list the entries that no
// scan reports again.
#include "cli/cli_commands.h"
#include "cli/cli_json.h"
#include "core/ignore_list.h"
#include "core/startup.h"

namespace qrv::cli {

namespace {

Outcome Failure(int code, const std::string& why) { return {code, "", "QRVCli: " + why + "\n"}; }

IgnoreEntry EntryOf(const Invocation& inv) {
  IgnoreEntry entry{inv.arguments.at(0), std::nullopt};
  if (inv.Has("--value")) entry.value = inv.Value("--value");
  return entry;
}

Json JsonOf(const IgnoreEntry& entry) {
  return {{"entry", entry.entry}, {"value", entry.value ? Json(*entry.value) : Json(nullptr)}};
}

bool Readable(const IgnoreEntry& entry) { return ReadIgnoreEntry(entry).kind != IgnoreTarget::Kind::Unreadable; }

Outcome ListCommand(AppState& app, const Invocation& inv) {
  const std::vector<IgnoreEntry> entries = LoadIgnoreEntries(app.platform);
  if (inv.json) {
    Json list = Json::array();
    for (const IgnoreEntry& e : entries) list.push_back(JsonOf(e));
    return {kExitSuccess, JsonLine({{"ignored", std::move(list)}}), ""};
  }
  if (entries.empty()) return {kExitSuccess, "The ignore list is empty.\n", ""};
  std::string out;
  for (const IgnoreEntry& e : entries)
    out += IgnoreEntryText(e) + (Readable(e) ? "" : "  (cannot be read: it ignores nothing)") + "\n";
  return {kExitSuccess, out, ""};
}

Outcome AddCommand(AppState& app, const Invocation& inv) {
  const IgnoreEntry entry = EntryOf(inv);
  if (!Readable(entry))
    return Failure(kExitUsage, "\"" + entry.entry + "\" is neither a registry key (HKEY_...\\...) nor a full path "
                               "with its drive letter" + (entry.value ? " (--value goes with a registry key)" : ""));
  if (!AddIgnoreEntry(app.platform, entry)) return Failure(kExitFailure, "the ignore list could not be written");
  if (inv.json) {
    Json json = JsonOf(entry);
    json["added"] = true;
    return {kExitSuccess, JsonLine(json), ""};
  }
  return {kExitSuccess, "Ignored: " + IgnoreEntryText(entry) + "\n", ""};
}

Outcome RemoveCommand(AppState& app, const Invocation& inv) {
  const IgnoreEntry entry = EntryOf(inv);
  const bool removed = RemoveIgnoreEntry(app.platform, entry);
  if (inv.json) {
    Json json = JsonOf(entry);
    json["removed"] = removed;
    return {removed ? kExitSuccess : kExitFailure, JsonLine(json), ""};
  }
  if (!removed) return Failure(kExitFailure, IgnoreEntryText(entry) + " is not on the ignore list");
  return {kExitSuccess, "No longer ignored: " + IgnoreEntryText(entry) + "\n", ""};
}

}  // namespace

void AddIgnoreCommands(std::vector<CommandSpec>& table) {
  table.push_back({{"ignore", "list"}, {}, 0, "ignore list [--json]",
                   "Lists the entries that no scan reports again.", ListCommand});
  table.push_back({{"ignore", "add"}, {{"--value", true}}, 1, "ignore add ENTRY [--value NAME] [--json]",
                   "Adds an entry to the ignore list: a registry key as the scans\n"
                   "show it (HKEY_LOCAL_MACHINE\\...), with --value for one value of\n"
                   "it, or a full path with its drive letter (a file, a folder or a\n"
                   "shortcut). No scan reports it, or anything below it, again.",
                   AddCommand});
  table.push_back({{"ignore", "remove"}, {{"--value", true}}, 1, "ignore remove ENTRY [--value NAME] [--json]",
                   "Removes an entry from the ignore list, written as it was added.", RemoveCommand});
}

}  // namespace qrv::cli
