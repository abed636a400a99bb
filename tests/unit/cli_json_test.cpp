// Every command's --json output: one line that parses, holding its fields in
// their order and with their types (what scripts reading QRVCli rely on).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "core/ignore_list.h"
#include "core/startup.h"
#include "engine/registry_ops.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;
const std::string kUndoFolder = "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Undo";

enum class Kind { Number, Text, TextOrNull, Flag, List, Object };

struct Field {
  const char* name;
  Kind kind;
};

struct Case {
  std::vector<std::string> args;
  std::vector<Field> fields;       // every field of the object, in order
  const char* list = nullptr;      // a list whose first item is checked too
  std::vector<Field> itemFields = {};  // every field of that item, in order
};

bool HasKind(const cli::Json& value, Kind kind) {
  switch (kind) {
    case Kind::Number: return value.is_number_integer();
    case Kind::Text: return value.is_string();
    case Kind::TextOrNull: return value.is_string() || value.is_null();
    case Kind::Flag: return value.is_boolean();
    case Kind::List: return value.is_array();
    case Kind::Object: return value.is_object();
  }
  return false;
}

std::string Join(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
  return text;
}

void ExpectFields(const cli::Json& object, const std::vector<Field>& fields, const std::string& what) {
  ASSERT_TRUE(object.is_object()) << what;
  std::vector<std::string> names;
  for (const auto& [name, value] : object.items()) names.push_back(name);
  std::vector<std::string> expected;
  for (const Field& f : fields) expected.push_back(f.name);
  EXPECT_EQ(names, expected) << what;
  for (const Field& f : fields)
    if (object.contains(f.name)) {
      EXPECT_TRUE(HasKind(object[f.name], f.kind)) << what << ": " << f.name;
    }
}

const std::vector<Field> kRegistryFields = {{"categories", Kind::List}, {"total", Kind::Number}};
const std::vector<Field> kCategoryFields = {
    {"number", Kind::Number}, {"caption", Kind::Text}, {"findings", Kind::List}};
const std::vector<Field> kRowFields = {{"row", Kind::Number}, {"caption", Kind::Text}, {"items", Kind::List}};
const std::vector<Field> kGroupFields = {
    {"group", Kind::Number}, {"caption", Kind::Text}, {"count", Kind::Number}, {"items", Kind::List}};
const std::vector<Field> kHomeFields = {{"groups", Kind::List},
                                        {"startupPrograms", Kind::Number},
                                        {"itemsToFix", Kind::Number},
                                        {"itemsToClean", Kind::Number},
                                        {"skipped", Kind::List}};
const std::vector<Field> kEntryFields = {{"index", Kind::Number},
                                         {"source", Kind::Number},
                                         {"user", Kind::Text},
                                         {"program", Kind::Text},
                                         {"location", Kind::Text}};
const std::vector<Field> kScheduleFields = {
    {"enabled", Kind::Flag}, {"day", Kind::Number}, {"time", Kind::Text}, {"runValue", Kind::TextOrNull}};
const std::vector<Field> kTweakFields = {{"page", Kind::Text},
                                         {"row", Kind::Text},
                                         {"caption", Kind::Text},
                                         {"on", Kind::Flag},
                                         {"recommended", Kind::Flag}};

const std::vector<Field> kIgnoreFields = {{"entry", Kind::Text}, {"value", Kind::TextOrNull}};

template <typename... Lists>
std::vector<Field> Concat(const std::vector<Field>& first, const Lists&... rest) {
  std::vector<Field> all = first;
  (all.insert(all.end(), rest.begin(), rest.end()), ...);
  return all;
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {{"scan"}, kRegistryFields, "categories", kCategoryFields},
      {{"fix"},
       Concat(kRegistryFields, std::vector<Field>{{"log", Kind::TextOrNull},
                                                  {"undo", Kind::TextOrNull},
                                                  {"fixed", Kind::Number},
                                                  {"left", Kind::List}}),
       "categories",
       kCategoryFields},
      {{"privacy", "scan", "--rows", "1"},
       {{"rows", Kind::List}, {"total", Kind::Number}, {"skipped", Kind::List}},
       "rows",
       kRowFields},
      {{"privacy", "clean", "--rows", "1"},
       {{"rows", Kind::List},
        {"total", Kind::Number},
        {"skipped", Kind::List},
        {"removed", Kind::Number},
        {"scheduled", Kind::Number},
        {"failed", Kind::List},
        {"log", Kind::TextOrNull},
        {"undo", Kind::TextOrNull}},
       "rows",
       Concat(kRowFields, std::vector<Field>{{"removed", Kind::Number}})},
      {{"junk", "find", "--root", "C:\\Seed"},
       {{"root", Kind::Text}, {"scanned", Kind::Number}, {"files", Kind::List}, {"total", Kind::Number}},
       "files",
       {{"path", Kind::Text}, {"date", Kind::Text}, {"size", Kind::Number}}},
      {{"junk", "remove", "--root", "C:\\Seed"},
       {{"root", Kind::Text},
        {"scanned", Kind::Number},
        {"files", Kind::List},
        {"total", Kind::Number},
        {"removed", Kind::Number},
        {"failed", Kind::List}},
       "files",
       {{"path", Kind::Text}, {"date", Kind::Text}, {"size", Kind::Number}}},
      {{"shortcuts", "scan", "--root", "C:\\Seed"},
       {{"root", Kind::Text}, {"scanned", Kind::Number}, {"shortcuts", Kind::List}, {"total", Kind::Number}},
       "shortcuts",
       {{"link", Kind::Text}, {"target", Kind::Text}}},
      {{"shortcuts", "remove", "--root", "C:\\Seed"},
       {{"root", Kind::Text},
        {"scanned", Kind::Number},
        {"shortcuts", Kind::List},
        {"total", Kind::Number},
        {"removed", Kind::Number},
        {"failed", Kind::List}},
       "shortcuts",
       {{"link", Kind::Text}, {"target", Kind::Text}}},
      {{"home", "scan"}, kHomeFields, "groups", kGroupFields},
      {{"home", "repair"},
       Concat(kHomeFields, std::vector<Field>{{"fixed", Kind::Number},
                                              {"scheduledAtRestart", Kind::Number},
                                              {"notRepaired", Kind::List},
                                              {"logs", Kind::List},
                                              {"undo", Kind::TextOrNull},
                                              {"left", Kind::List}}),
       "groups",
       kGroupFields},
      {{"startup"}, {{"entries", Kind::List}, {"count", Kind::Number}}, "entries", kEntryFields},
      {{"startup", "remove", "1"},
       {{"entries", Kind::List}, {"count", Kind::Number}, {"undo", Kind::TextOrNull}, {"linkCopy", Kind::TextOrNull}}},
      {{"startup", "add", "C:\\Tools\\added.exe"}, {{"entries", Kind::List}, {"count", Kind::Number}}, "entries",
       kEntryFields},
      {{"schedule"}, kScheduleFields},
      {{"schedule", "set", "--on", "--day", "2", "--time", "08:30"}, kScheduleFields},
      {{"tweaks"}, {{"tweaks", Kind::List}}, "tweaks", kTweakFields},
      {{"tweaks", "apply", "--page", "system", "--recommended"},
       {{"tweaks", Kind::List}, {"written", Kind::List}, {"undo", Kind::Text}},
       "tweaks",
       kTweakFields},
      {{"logs"},
       {{"logFolder", Kind::Text}, {"undoFolder", Kind::Text}, {"logs", Kind::List}, {"undo", Kind::List}},
       "",
       {}},
      {{"undo", "Undo 1.reg"}, {{"imported", Kind::Text}}},
      {{"ignore", "list"}, {{"ignored", Kind::List}}, "ignored", kIgnoreFields},
      {{"ignore", "add", "HKEY_CURRENT_USER\\Software\\X", "--value", "Y"},
       Concat(kIgnoreFields, std::vector<Field>{{"added", Kind::Flag}})},
      {{"ignore", "remove", "C:\\Elsewhere\\kept.bak"}, Concat(kIgnoreFields, std::vector<Field>{{"removed", Kind::Flag}})},
      {{"removed"},
       {{"removals", Kind::List}},
       "removals",
       {{"removal", Kind::Text}, {"date", Kind::Text}, {"files", Kind::List}}},
      {{"restore", "--all"},
       {{"files", Kind::List}, {"restored", Kind::Number}, {"unknown", Kind::List}},
       "files",
       {{"path", Kind::Text}, {"outcome", Kind::Text}}},
  };
  return cases;
}

// Something for every command to find, list or act on.
void Seed(fake::FakePlatform& p) {
  testing::SetUpUserFolders(p);
  p.registry.SetString(kHklm, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe", "",
                       "C:\\Program Files\\Gone\\gone.exe");
  p.files.AddFile("C:\\Seed\\a.tmp", "abc", kAttributeArchive, 39874.5);
  p.files.AddFile("C:\\Seed\\gone.lnk", fake::FakePlatform::ShortcutBytes("C:\\Gone\\app.exe"));
  p.files.AddFile("C:\\Seed\\Tmp\\old.dat", "x");
  p.environment["TMP"] = "C:\\Seed\\Tmp";
  p.environment["TEMP"] = "C:\\Seed\\Tmp";
  p.files.AddFile("C:\\Tools\\tool.exe", "MZ");
  p.files.AddFile("C:\\Tools\\added.exe", "MZ");
  p.registry.SetString(kHkcu, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tool", "C:\\Tools\\tool.exe");
  p.files.AddFile(kUndoFolder + "\\Undo 1.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n");
  AddIgnoreEntry(p, {"C:\\Elsewhere\\kept.bak", std::nullopt});
  // A file removed earlier and kept for recovery.
  const std::string removal = "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Removed Files\\2009-07-06 12.00.00 1";
  p.files.AddFile(removal + "\\1", "kept");
  p.files.AddFile(removal + "\\index.txt", "Quorvane removed files\r\n3456043200000\r\n1\tC:\\Seed\\kept.bak\r\n");
}

TEST(CliJson, EveryCommandPrintsOneObjectWithItsFields) {
  for (const Case& c : Cases()) {
    fake::FakePlatform p;
    Seed(p);
    std::vector<std::string> args = c.args;
    args.push_back("--json");
    const std::string what = Join(args);
    const cli::Outcome o = cli::RunArguments(p, args);
    EXPECT_EQ(o.exitCode, 0) << what << ": " << o.err;
    ASSERT_FALSE(o.out.empty()) << what;
    EXPECT_EQ(o.out.find('\n'), o.out.size() - 1) << what << ": one line";
    const cli::Json json = cli::Json::parse(o.out, nullptr, /*allow_exceptions=*/false);
    ASSERT_FALSE(json.is_discarded()) << what << ": " << o.out;
    ExpectFields(json, c.fields, what);
    if (c.list == nullptr || *c.list == '\0') continue;
    ASSERT_TRUE(json.contains(c.list) && json[c.list].is_array()) << what;
    ASSERT_FALSE(json[c.list].empty()) << what << ": the seeded " << c.list;
    ExpectFields(json[c.list].front(), c.itemFields, what + ": " + c.list);
  }
}

TEST(CliJson, EveryCommandOfTheTableIsCovered) {
  // A new command brings its JSON shape to the table above: each case runs
  // the longest command whose words begin its arguments.
  const auto& commands = cli::Commands();
  std::vector<bool> covered(commands.size(), false);
  for (const Case& c : Cases()) {
    std::size_t best = commands.size();
    for (std::size_t i = 0; i < commands.size(); ++i) {
      const auto& words = commands[i].words;
      if (words.size() <= c.args.size() && std::equal(words.begin(), words.end(), c.args.begin()) &&
          (best == commands.size() || words.size() > commands[best].words.size()))
        best = i;
    }
    ASSERT_LT(best, commands.size()) << Join(c.args);
    covered[best] = true;
  }
  for (std::size_t i = 0; i < commands.size(); ++i)
    EXPECT_TRUE(covered[i]) << Join(commands[i].words) << " has no JSON case";
}

}  // namespace
}  // namespace qrv
