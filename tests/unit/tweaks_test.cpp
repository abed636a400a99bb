#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "engine/registry_ops.h"
#include "engine/text.h"
#include "engine/reg_script_reader.h"
#include "tools/log_files.h"
#include "tools/tweaks.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RootKey kHkcu = RootKey::CurrentUser;
const char* const kWinlogon = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char* const kPrefetch =
    "\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
const char* const kIeMain = "\\Software\\Microsoft\\Internet Explorer\\Main";
const char* const kPolicies = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

std::string States(const TweakStates& s) {
  std::string out;
  for (bool b : s) out += b ? '1' : '0';
  return out;
}

TEST(TweakTable, TwentyFourRowsNumberedAsTheLanguageFileDoes) {
  std::string numbers;
  for (const TweakRow& row : TweakTable()) numbers += std::to_string(row.number);
  EXPECT_EQ(numbers, "123456789" "12346789" "1234567");
  EXPECT_EQ(TweakRowsOf(TweakPage::Internet).size(), 8u);
  EXPECT_EQ(TweakIndex(TweakPage::Internet, 5), -1);
  EXPECT_EQ(TweakIndex(TweakPage::Security, 1), 17);
}

TEST(TweakRead, NothingStoredGivesTheDocumentedStates) {
  fake::FakePlatform p;
  // System 04 on; Internet 01, 02, 04 on; all of Security on.
  EXPECT_EQ(States(ReadTweaks(p)), "000100000" "11010000" "1111111");
}

struct ReadCase {
  const char* what;
  int index;
  RootKey root;
  const char* key;
  const char* name;
  std::uint32_t type;
  std::string data;
  bool on;
};

std::string Dw(std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

class TweakReadRule : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TweakReadRule, ReadsAsTheRowSays) {
  const ReadCase& c = GetParam();
  fake::FakePlatform p;
  p.registry.SetValue(c.root, c.key, c.name, c.type, c.data);
  EXPECT_EQ(ReadTweaks(p)[static_cast<std::size_t>(c.index)], c.on) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TweakReadRule,
    ::testing::Values(
        ReadCase{"AutoAdminLogon 1", 6, kHklm, kWinlogon, "AutoAdminLogon", regtype::kString, StringData("1"), true},
        ReadCase{"AutoAdminLogon with a blank", 6, kHklm, kWinlogon, "AutoAdminLogon", regtype::kString,
                 StringData("1 "), false},
        ReadCase{"AutoAdminLogon as a DWORD", 6, kHklm, kWinlogon, "AutoAdminLogon", regtype::kDword, Dw(1), false},
        ReadCase{"EnablePrefetcher 3", 1, kHklm, kPrefetch, "EnablePrefetcher", regtype::kDword, Dw(3), true},
        ReadCase{"EnablePrefetcher negative", 1, kHklm, kPrefetch, "EnablePrefetcher", regtype::kDword,
                 Dw(0xFFFFFFFF), false},
        ReadCase{"ClearPageFileAtShutdown in either case", 0, kHklm,
                 "\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                 "CLEARPAGEFILEATSHUTDOWN", regtype::kDword, Dw(1), true},
        ReadCase{"ClearPageFileAtShutdown 2", 0, kHklm,
                 "\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                 "ClearPageFileAtShutdown", regtype::kDword, Dw(2), false},
        ReadCase{"DoReport 2", 4, kHklm, "\\SOFTWARE\\Microsoft\\PCHealth\\ErrorReporting", "DoReport",
                 regtype::kDword, Dw(2), true},
        ReadCase{"NoInstrumentation 1", 3, kHkcu, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                 "NoInstrumentation", regtype::kDword, Dw(1), false},
        ReadCase{"NoRun 2", 20, kHkcu, kPolicies, "NoRun", regtype::kDword, Dw(2), true},
        ReadCase{"NoRun 1 as binary", 20, kHkcu, kPolicies, "NoRun", regtype::kBinary, Dw(1), true},
        ReadCase{"yes upper-cased", 11, kHkcu, kIeMain, "Enable AutoImageResize", regtype::kString, StringData("yes"),
                 true},
        ReadCase{"YES expandable", 14, kHkcu, kIeMain, "Use FormSuggest", regtype::kExpandString, StringData("YES"),
                 true},
        ReadCase{"YES as binary", 14, kHkcu, kIeMain, "Use FormSuggest", regtype::kBinary, StringData("YES"), false}));

TEST(TweakRecommend, TouchesOnlyItsPageAndNothingInTheRegistry) {
  fake::FakePlatform p;
  TweakStates states{};
  states.fill(true);
  RecommendTweaks(TweakPage::Internet, states);
  EXPECT_EQ(States(states), "111111111" "11100001" "1111111");
  states.fill(false);
  RecommendTweaks(TweakPage::System, states);
  EXPECT_EQ(States(states), "101000011" "00000000" "0000000");
  EXPECT_TRUE(p.processes.empty());
}

std::vector<std::string> ScriptOf(TweakPage page, const TweakStates& states, const std::string& user = "tester") {
  RegScript script(ScriptFlavour::Regedit4);
  script.AddKey(kHkcu, "\\queued");  // a scan's lines are dropped
  BuildTweakScript(script, TweakRowsOf(page), states, user);
  return script.Lines();
}

TEST(TweakScript, SecurityAllOnEndsWithItsLastValueLine) {
  TweakStates on{};
  on.fill(true);
  const std::vector<std::string> lines = ScriptOf(TweakPage::Security, on);
  ASSERT_EQ(lines.size(), 2u + 7 * 3 - 1);
  EXPECT_EQ(lines[0], "REGEDIT4");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer]");
  EXPECT_EQ(lines[3], "\"NoControlPanel\"=dword:00000000");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], lines[2]) << "every row has its own key line";
  EXPECT_EQ(lines.back(), "\"DisableRegistryTools\"=dword:00000000");
  int zeros = 0;
  for (const std::string& l : lines) zeros += l.find("=dword:00000000") != std::string::npos;
  EXPECT_EQ(zeros, 7);
}

TEST(TweakScript, SystemAndInternetEndWithOneEmptyLine) {
  TweakStates states = ReadTweaks(*std::make_unique<fake::FakePlatform>());
  for (TweakPage page : {TweakPage::System, TweakPage::Internet}) {
    const auto lines = ScriptOf(page, states);
    EXPECT_EQ(lines.back(), "");
    EXPECT_NE(lines[lines.size() - 2], "");
    EXPECT_EQ(lines.size(), 2 + 3 * TweakRowsOf(page).size());
  }
}

TEST(TweakScript, PrefetcherOnIsWrittenOneAndTheUserNameIsEscaped) {
  fake::FakePlatform p;
  p.registry.SetDword(kHklm, kPrefetch, "EnablePrefetcher", 3);
  TweakStates states = ReadTweaks(p);
  states[6] = true;  // automatic log-on
  const std::string user = "DOM\\a\"b";
  const auto lines = ScriptOf(TweakPage::System, states, user);
  EXPECT_EQ(lines[6], "\"EnablePrefetcher\"=dword:00000001");
  EXPECT_EQ(lines[2], "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory "
                      "Management]");
  EXPECT_EQ(lines[3], "\"ClearPageFileAtShutDown\"=dword:00000000");
  const std::size_t logon = 2 + 3 * 6;
  EXPECT_EQ(lines[logon], "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon]");
  EXPECT_EQ(lines[logon + 1], "\"AutoAdminLogon\"=\"1\"");
  EXPECT_EQ(lines[logon + 2], "\"DefaultUserName\"=\"DOM\\\\a\\\"b\"");
  EXPECT_EQ(lines[logon + 3], "");

  // Imported, the name arrives whole and nothing else is written.
  RegScript script(ScriptFlavour::Regedit4);
  BuildTweakScript(script, TweakRowsOf(TweakPage::System), states, user);
  FolderSet folders = testing::EngineFolders(p);
  ASSERT_EQ(ApplyFixScript(p, folders, script), ApplyResult::Imported);
  EXPECT_EQ(ReadString(p, kHklm, kWinlogon, "DefaultUserName"), user);
  std::vector<std::string> names;
  ReadValueNames(p, kHklm, kWinlogon, names);
  EXPECT_EQ(names.size(), 2u);
  EXPECT_EQ(ReadDword(p, kHklm, kPrefetch, "EnablePrefetcher"), 1u);
}

class TweakApply : public ::testing::Test {
 protected:
  fake::FakePlatform p;
  AppState app{p};
  void SetUp() override {
    app.folders = testing::EngineFolders(p);
    app.folders.UserName = "tester";
  }
  std::vector<std::string> ImportedLines() {
    return p.importedScripts.empty() ? std::vector<std::string>{} : SplitLines(Cp1252ToUtf8(p.importedScripts.back()));
  }
  // The value names of an undo file's value lines.
  std::vector<std::string> UndoNames(const std::string& path) {
    std::string bytes;
    p.files.ReadFile(path, bytes);
    std::vector<std::string> names;
    for (const std::string& line : SplitLines(DecodeTextFile(bytes, [](const std::string& b) { return Cp1252ToUtf8(b); })))
      if (!line.empty() && line[0] == '"') names.push_back(line.substr(1, line.find('"', 1) - 1));
    return names;
  }
};

// A system with stored values of every kind beside absent ones: what the
// user changed (or Recommended changed) is written, nothing else.
struct ChangeCase {
  const char* what;
  TweakPage page;
  std::vector<int> toggled;  // rows the user clicked, in order
  bool recommended;
  std::vector<int> written;  // rows written, as table indexes
};

class TweakApplyChanges : public TweakApply, public ::testing::WithParamInterface<ChangeCase> {};

std::optional<RegValue> Stored(fake::FakePlatform& p, const TweakRow& row) {
  return ReadValue(p, row.root, row.key, row.readName);
}

TEST_P(TweakApplyChanges, WritesOnlyTheRowsChangedFromWhatWasRead) {
  const ChangeCase& c = GetParam();
  p.registry.SetValue(kHkcu, kPolicies, "NoRun", regtype::kBinary, "\x01\x02");  // reads on
  p.registry.SetDword(kHkcu, kPolicies, "NoControlPanel", 1);                   // off
  p.registry.SetDword(kHklm, kPrefetch, "EnablePrefetcher", 3);                 // on, 3 kept unless written
  p.registry.SetString(kHkcu, kIeMain, "Use FormSuggest", "yes");               // on
  const TweakStates read = ReadTweaks(p);
  TweakStates states = read;
  for (int i : c.toggled) states[static_cast<std::size_t>(i)] = !states[static_cast<std::size_t>(i)];
  if (c.recommended) RecommendTweaks(c.page, states);
  std::vector<std::optional<RegValue>> before;
  for (const TweakRow& row : TweakTable()) before.push_back(Stored(p, row));

  const TweakApplyResult result = ApplyTweaks(app, c.page, read, states);
  EXPECT_EQ(result.written, c.written) << c.what;
  if (c.written.empty()) {
    EXPECT_EQ(result.outcome, TweakApplyOutcome::NothingChanged) << c.what;
    EXPECT_TRUE(result.undoPath.empty());
    EXPECT_TRUE(p.processes.empty()) << "no import";
    EXPECT_TRUE(UndoFiles(p, app.folders).empty()) << "no undo file";
  } else {
    ASSERT_EQ(result.outcome, TweakApplyOutcome::Imported) << c.what;
    std::vector<std::string> names;
    for (int i : c.written) {
      names.push_back(TweakTable()[static_cast<std::size_t>(i)].readName);
      if (TweakTable()[static_cast<std::size_t>(i)].writesUserName && states[static_cast<std::size_t>(i)])
        names.push_back("DefaultUserName");
    }
    EXPECT_EQ(UndoNames(result.undoPath), names) << c.what << ": the undo file holds exactly the values written";
    std::size_t valueLines = 0;
    for (const std::string& line : ImportedLines()) valueLines += !line.empty() && line[0] == '"';
    EXPECT_EQ(valueLines, names.size()) << c.what;
  }
  for (std::size_t i = 0; i < TweakTable().size(); ++i) {
    const std::optional<RegValue> now = Stored(p, TweakTable()[i]);
    if (std::find(c.written.begin(), c.written.end(), static_cast<int>(i)) != c.written.end()) {
      EXPECT_EQ(ReadTweak(p, TweakTable()[i]), states[i]) << c.what << ": row " << i << " written";
      continue;
    }
    EXPECT_EQ(now.has_value(), before[i].has_value()) << c.what << ": row " << i << " not written";
    if (now && before[i]) {
      EXPECT_EQ(now->type, before[i]->type) << c.what << " " << i;
      EXPECT_EQ(now->data, before[i]->data) << c.what << " " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TweakApplyChanges,
    ::testing::Values(
        ChangeCase{"nothing touched", TweakPage::Security, {}, false, {}},
        ChangeCase{"a row toggled back", TweakPage::Security, {20, 20}, false, {}},
        ChangeCase{"a change on another page waits", TweakPage::Security, {0, 9}, false, {}},
        ChangeCase{"one row", TweakPage::Security, {17}, false, {17}},
        ChangeCase{"Recommended changes what differs", TweakPage::Security, {}, true, {17}},
        ChangeCase{"Recommended on the Internet page", TweakPage::Internet, {}, true, {11, 12, 14, 16}},
        ChangeCase{"Recommended after a click", TweakPage::Internet, {9}, true, {11, 12, 14, 16}},
        ChangeCase{"log-on with its user name", TweakPage::System, {6, 0}, false, {0, 6}},
        ChangeCase{"the prefetcher switched off", TweakPage::System, {1}, false, {1}}));

TEST_F(TweakApply, BacksUpFirstAndTheUndoFileRestoresExactly) {
  // Before: one value of another type, one string, one DWORD; the rest absent.
  p.registry.SetValue(kHkcu, kPolicies, "NoRun", regtype::kBinary, "\x01\x02");
  p.registry.SetDword(kHkcu, kPolicies, "NoControlPanel", 1);
  p.registry.SetString(kHkcu, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "NoDispCPL", "x");
  p.registry.SetString(kHkcu, "\\Software\\Other", "Keep", "me");
  const TweakStates read = ReadTweaks(p);
  TweakStates states = read;
  for (int i : TweakRowsOf(TweakPage::Security)) states[static_cast<std::size_t>(i)] = !read[static_cast<std::size_t>(i)];

  const TweakApplyResult result = ApplyTweaks(app, TweakPage::Security, read, states);
  ASSERT_EQ(result.outcome, TweakApplyOutcome::Imported);
  EXPECT_EQ(result.undoPath, "C:\\Data\\Undo\\Undo 09-07-06-01.reg");
  ASSERT_TRUE(p.files.Exists(result.undoPath));
  EXPECT_EQ(ReadDword(p, kHkcu, kPolicies, "NoRun"), 1u);
  EXPECT_EQ(ReadDword(p, kHkcu, kPolicies, "NoControlPanel"), 0u);
  EXPECT_EQ(ReadValue(p, kHkcu, kPolicies, "NoSetTaskbar")->type, regtype::kDword);
  EXPECT_EQ(ImportedLines().back(), "\"DisableRegistryTools\"=dword:00000001");

  ASSERT_TRUE(RunRegistryEditor(p, app.folders, " /s \"" + result.undoPath + "\""));
  EXPECT_EQ(ReadValue(p, kHkcu, kPolicies, "NoRun")->type, regtype::kBinary);
  EXPECT_EQ(ReadValue(p, kHkcu, kPolicies, "NoRun")->data, "\x01\x02");
  EXPECT_EQ(ReadDword(p, kHkcu, kPolicies, "NoControlPanel"), 1u);
  EXPECT_EQ(ReadString(p, kHkcu, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "NoDispCPL"),
            "x");
  EXPECT_FALSE(ValueExists(p, kHkcu, kPolicies, "NoSetTaskbar"));
  EXPECT_FALSE(ValueExists(p, kHkcu, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                           "DisableTaskMgr"));
  EXPECT_EQ(ReadString(p, kHkcu, "\\Software\\Other", "Keep"), "me");
  std::vector<std::string> names;
  ReadValueNames(p, kHkcu, kPolicies, names);
  EXPECT_EQ(names.size(), 2u) << "only what was there before";
}

TEST_F(TweakApply, TheUserNameValueIsBackedUpOnlyWhenWritten) {
  p.registry.SetString(kHklm, kWinlogon, "DefaultUserName", "previous");
  TweakStates read = ReadTweaks(p);
  TweakStates states = read;
  states[6] = true;
  const TweakApplyResult result = ApplyTweaks(app, TweakPage::System, read, states);
  ASSERT_EQ(result.outcome, TweakApplyOutcome::Imported);
  EXPECT_EQ(ReadString(p, kHklm, kWinlogon, "DefaultUserName"), "tester");
  RunRegistryEditor(p, app.folders, " /s \"" + result.undoPath + "\"");
  EXPECT_EQ(ReadString(p, kHklm, kWinlogon, "DefaultUserName"), "previous");
  EXPECT_FALSE(ValueExists(p, kHklm, kWinlogon, "AutoAdminLogon"));

  p.registry.SetString(kHklm, kWinlogon, "AutoAdminLogon", "1");
  read = states = ReadTweaks(p);
  states[6] = false;
  const std::string undo = ApplyTweaks(app, TweakPage::System, read, states).undoPath;
  EXPECT_EQ(UndoNames(undo), std::vector<std::string>{"AutoAdminLogon"});
  EXPECT_EQ(ReadString(p, kHklm, kWinlogon, "DefaultUserName"), "previous");
  EXPECT_EQ(ReadString(p, kHklm, kWinlogon, "AutoAdminLogon"), "0");
}

TEST_F(TweakApply, NothingIsAppliedWithoutItsUndoFile) {
  p.files.MarkFolderNotWritable(app.folders.UndoFolder);
  const TweakStates read = ReadTweaks(p);
  TweakStates states{};
  const TweakApplyResult result = ApplyTweaks(app, TweakPage::Security, read, states);
  EXPECT_EQ(result.outcome, TweakApplyOutcome::UndoNotWritten);
  EXPECT_TRUE(p.processes.empty());
  EXPECT_EQ(p.sleptMilliseconds, 0u);
  EXPECT_FALSE(KeyExists(p, kHkcu, kPolicies));
}

}  // namespace
}  // namespace qrv
