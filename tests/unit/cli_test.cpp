#include <gtest/gtest.h>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_json.h"
#include "cli/cli_report.h"
#include "cli/cli_session.h"
#include "core/startup.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RootKey kHkcr = RootKey::ClassesRoot;
constexpr RootKey kHkcu = RootKey::CurrentUser;
const std::string kAppPaths = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const std::string kSharedDlls = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

TEST(CliArguments, CommandsOptionsAndHelp) {
  const auto parse = [](std::vector<std::string> args) { return cli::ParseArguments(args); };
  const auto words = [&](std::vector<std::string> args) { return parse(args).invocation.command->words; };
  EXPECT_TRUE(parse({"scan"}).ok);
  EXPECT_EQ(words({"scan"}), std::vector<std::string>{"scan"});
  EXPECT_FALSE(parse({"scan"}).invocation.json);
  EXPECT_EQ(words({"--json", "fix"}), std::vector<std::string>{"fix"});
  EXPECT_TRUE(parse({"fix", "--json"}).invocation.json);
  // Help wins over anything else, even over arguments that are wrong.
  for (auto args : {std::vector<std::string>{"--help"}, {"scan", "-h"}, {"/?", "bogus"}}) {
    EXPECT_TRUE(parse(args).ok);
    EXPECT_TRUE(parse(args).invocation.help);
  }
  for (auto args : {std::vector<std::string>{}, {"--json"}, {"scan", "fix"}, {"scan", "scan"}, {"Scan"},
                    {"scan", "--jsn"}, {"scan", "/s"}, {"scan", "extra"}, {""}}) {
    const auto parsed = parse(args);
    EXPECT_FALSE(parsed.ok) << (args.empty() ? "(none)" : args[0]);
    EXPECT_FALSE(parsed.error.empty());
  }
}

// Two-word commands, arguments and valued options, against a table of its own.
TEST(CliArguments, WordsArgumentsAndValues) {
  const std::vector<cli::CommandSpec> table{
      {{"junk", "find"}, {{"--root", true}}, 0, "junk find [--root FOLDER]", "", nullptr},
      {{"startup", "remove"}, {}, 1, "startup remove INDEX", "", nullptr},
      {{"startup"}, {{"--all-users", false}}, 0, "startup", "", nullptr}};
  auto p = cli::ParseArguments(table, {"junk", "--root", "D:\\Old Stuff", "find", "--json"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.invocation.Value("--root"), "D:\\Old Stuff");
  EXPECT_TRUE(p.invocation.json);
  p = cli::ParseArguments(table, {"startup", "remove", "3"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.invocation.command->words.size(), 2u) << "the longest command wins";
  EXPECT_EQ(p.invocation.arguments, std::vector<std::string>{"3"});
  const struct {
    std::vector<std::string> args;
    const char* error;
  } refused[] = {{{"junk", "find", "--root"}, "option --root needs a value"},
                 {{"junk", "find", "--root", "--json"}, "option --root needs a value"},
                 {{"junk", "lose"}, "unknown command: junk lose"},
                 {{"startup", "remove"}, "missing argument"},
                 {{"startup", "remove", "1", "2"}, "unexpected argument: 2"},
                 {{"startup", "--all-users", "--all-users"}, "given twice"},
                 {{"junk", "find", "--all-users"}, "unknown option: --all-users"}};
  for (const auto& r : refused) {
    p = cli::ParseArguments(table, r.args);
    EXPECT_FALSE(p.ok) << r.error;
    EXPECT_NE(p.error.find(r.error), std::string::npos) << p.error;
  }
  // One option name, a flag of one command and valued in another.
  const std::vector<cli::CommandSpec> both{{{"tweaks", "apply"}, {{"--on", true}}, 0, "", "", nullptr},
                                           {{"schedule", "set"}, {{"--on", false}}, 0, "", "", nullptr}};
  p = cli::ParseArguments(both, {"schedule", "set", "--on"});
  EXPECT_TRUE(p.ok) << p.error;
  p = cli::ParseArguments(both, {"tweaks", "apply", "--on", "01,04"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.invocation.Value("--on"), "01,04");
  std::vector<int> n;
  EXPECT_TRUE(cli::ParseNumberList("1,04,3", 1, 5, n));
  EXPECT_EQ(n, (std::vector<int>{1, 4, 3}));
  for (const char* bad : {"", "1,", ",1", "1,1", "0", "6", "1;2", "x", "99999"})
    EXPECT_FALSE(cli::ParseNumberList(bad, 1, 5, n)) << bad;
}

// A text as the console's JSON writes it, without the line feed.
std::string JsonString(const std::string& text) {
  const std::string line = cli::JsonLine(text);
  return line.substr(0, line.size() - 1);
}

TEST(CliJson, StringsAreEscapedAndStayValidUtf8) {
  EXPECT_EQ(JsonString("C:\\A \"B\""), "\"C:\\\\A \\\"B\\\"\"");
  EXPECT_EQ(JsonString(std::string("a\tb\nc\rd\x01\x1f\x7f\b\f", 12)),
            "\"a\\tb\\nc\\rd\\u0001\\u001f\x7f\\b\\f\"");
  EXPECT_EQ(JsonString(std::string("x\0y", 3)), "\"x\\u0000y\"");
  // Non-ASCII stays UTF-8: Cyrillic, Greek, CJK and a character beyond the BMP.
  EXPECT_EQ(JsonString("Файл λ 文件 \xF0\x9F\x98\x80"), "\"Файл λ 文件 \xF0\x9F\x98\x80\"");
  // Bytes that are no UTF-8 (a lone continuation, an overlong form, a cut
  // sequence, an encoded surrogate) become U+FFFD one byte at a time, in
  // strings at any depth.
  const std::string r = "\xEF\xBF\xBD";
  EXPECT_EQ(JsonString("\x80"), "\"" + r + "\"");
  EXPECT_EQ(JsonString("\xC0\xAF"), "\"" + r + r + "\"");
  EXPECT_EQ(JsonString("a\xE6\x96"), "\"a" + r + r + "\"");
  EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"" + r + r + r + "\"");
  EXPECT_EQ(JsonString(""), "\"\"");
  const cli::Json nested = {{"list", {"ok", "\x80"}}, {"object", {{"name", "a\xE6"}}}};
  EXPECT_EQ(cli::JsonLine(nested), "{\"list\":[\"ok\",\"" + r + "\"],\"object\":{\"name\":\"a" + r + "\"}}\n");
  EXPECT_EQ(cli::JsonLine(cli::PathOrNull(std::string())), "null\n");
  EXPECT_EQ(cli::JsonLine(cli::PathOrNull(std::optional<std::string>("C:\\A"))), "\"C:\\\\A\"\n");
}

cli::Report SampleReport() {
  cli::Report r;
  r.categories.push_back({1, "Software locations", "1 errors detected", {"File not found: C:\\X\\\"Y\".EXE"}});
  r.categories.push_back({2, "Shared/known programs", "0 errors detected", {}});
  r.total = 1;
  r.totalText = "1 errors detected";
  return r;
}

TEST(CliReport, JsonAndTextForms) {
  cli::Report r = SampleReport();
  EXPECT_EQ(cli::FormatJson(r),
            "{\"categories\":[{\"number\":1,\"caption\":\"Software locations\",\"findings\":[\"File not found: "
            "C:\\\\X\\\\\\\"Y\\\".EXE\"]},{\"number\":2,\"caption\":\"Shared/known programs\",\"findings\":[]}],"
            "\"total\":1}\n");
  EXPECT_EQ(cli::FormatText(r),
            "Software locations: 1 errors detected\n"
            "    File not found: C:\\X\\\"Y\".EXE\n"
            "Shared/known programs: 0 errors detected\n"
            "Total: 1 errors detected\n");
  r.repair = true;
  r.log = "C:\\Log\\Log 24-01-02-01.log";
  EXPECT_NE(cli::FormatJson(r).find(",\"total\":1,\"log\":\"C:\\\\Log\\\\Log 24-01-02-01.log\",\"undo\":null,\"fixed\":0,\"left\":[]}\n"),
            std::string::npos);
  // A line end inside a display line does not split the finding in the text form.
  r.categories[0].findings = {"A\r\nB"};
  EXPECT_NE(cli::FormatText(r).find("    A  B\n"), std::string::npos);
  EXPECT_NE(cli::FormatText(r).find("Undo: (none"), std::string::npos);
}

class CliSessionTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::SetUpUserFolders(p); }
  cli::Outcome Run(std::vector<std::string> args) { return cli::RunArguments(p, args); }
  void MissingProgram(const std::string& name) {
    p.registry.SetString(kHklm, kAppPaths + name, "", "C:\\Program Files\\Gone\\" + name);
  }
  void PresentProgram(const std::string& name) {
    p.registry.SetString(kHklm, kAppPaths + name, "", "C:\\Program Files\\Kept\\" + name);
    p.files.AddFile("C:\\Program Files\\Kept\\" + name, "MZ");
  }
  std::size_t Imports() const { return p.importedScripts.size(); }
  fake::FakePlatform p;
};

TEST_F(CliSessionTest, RefusesBesideTheWindowAndWithoutAdministratorRightsOnStandardError) {
  MissingProgram("gone.exe");
  p.mutexes.insert("Quorvane");
  cli::Outcome o = Run({"fix"});
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_TRUE(o.out.empty());
  EXPECT_NE(o.err.find("Quorvane or another QRVCli is running"), std::string::npos);

  fake::FakePlatform user;
  testing::SetUpUserFolders(user);
  user.registry.SetString(kHklm, kAppPaths + "gone.exe", "", "C:\\Gone\\gone.exe");
  user.registry.MarkNotWritable(kHklm, "\\SOFTWARE");
  o = cli::RunArguments(user, {"fix"});
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.err.find("administrator"), std::string::npos);

  for (fake::FakePlatform* w : {&p, &user}) {
    EXPECT_TRUE(w->messageBoxes.empty()) << "a console program shows no message box";
    EXPECT_FALSE(KeyExists(*w, kHkcu, kSettingsKey)) << "nothing started";
    EXPECT_TRUE(KeyExists(*w, kHklm, kAppPaths + "gone.exe"));
    EXPECT_TRUE(w->importedScripts.empty());
  }
}

TEST_F(CliSessionTest, UsageErrorsAndHelpTouchNothing) {
  cli::Outcome o = Run({"clean"});
  EXPECT_EQ(o.exitCode, 2);
  EXPECT_NE(o.err.find("unknown command: clean"), std::string::npos);
  EXPECT_NE(o.err.find("Usage:"), std::string::npos);
  EXPECT_TRUE(o.out.empty());
  o = Run({"--help"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_NE(o.out.find("Usage:"), std::string::npos);
  EXPECT_TRUE(o.err.empty());
  EXPECT_TRUE(p.mutexes.empty()) << "neither takes the single-instance mutex";
  EXPECT_FALSE(KeyExists(p, kHkcu, kSettingsKey));
}

TEST_F(CliSessionTest, ScanPrintsEveryCategoryInOrderAndChangesNothing) {
  MissingProgram("gone.exe");
  PresentProgram("kept.exe");
  p.registry.SetString(kHkcr, "\\CLSID\\{A1}\\InprocServer32", "", "C:\\Old\\a1.dll");
  const cli::Outcome o = Run({"scan", "--json"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_TRUE(o.err.empty());
  EXPECT_EQ(o.out,
            "{\"categories\":["
            "{\"number\":1,\"caption\":\"Software locations\",\"findings\":"
            "[\"File not found: C:\\\\PROGRAM FILES\\\\GONE\\\\GONE.EXE\"]},"
            "{\"number\":2,\"caption\":\"Shared/known programs\",\"findings\":[]},"
            "{\"number\":3,\"caption\":\"File associations\",\"findings\":[]},"
            "{\"number\":4,\"caption\":\"Com/ActiveX\",\"findings\":[\"File not found: A1.DLL\"]},"
            "{\"number\":5,\"caption\":\"Interfaces/Types\",\"findings\":[]},"
            "{\"number\":6,\"caption\":\"Startup programs list\",\"findings\":[]},"
            "{\"number\":7,\"caption\":\"Uninstall entries\",\"findings\":[]},"
            "{\"number\":8,\"caption\":\"Help and resources\",\"findings\":[]},"
            "{\"number\":9,\"caption\":\"Fonts and sounds\",\"findings\":[]},"
            "{\"number\":10,\"caption\":\"Temporary registry values\",\"findings\":[]}],"
            "\"total\":2}\n");
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  EXPECT_TRUE(KeyExists(p, kHkcr, "\\CLSID\\{A1}\\InprocServer32"));
  EXPECT_EQ(Imports(), 0u);
  EXPECT_EQ(p.mutexes.count("Quorvane"), 1u) << "held while the command runs";
  // Start-up ran as for the window: settings seeded, the scan's date written.
  EXPECT_TRUE(ValueExists(p, kHkcu, kSettingsKey, "UndoDir"));
  EXPECT_TRUE(ValueExists(p, kHkcu, kSettingsKey, "RunDate1"));

  p.mutexes.clear();  // the mutex ends with the process; the next command is a new one
  const cli::Outcome text = cli::RunArguments(p, {"scan"});
  EXPECT_NE(text.out.find("Software locations: 1 errors detected\n"
                          "    File not found: C:\\PROGRAM FILES\\GONE\\GONE.EXE\n"
                          "Shared/known programs: 0 errors detected\n"),
            std::string::npos);
  EXPECT_NE(text.out.find("Temporary registry values: 0 errors detected\nTotal: 2 errors detected\n"),
            std::string::npos);
}

TEST_F(CliSessionTest, FixRepairsWhatTheScanFoundAndNothingElse) {
  // The settings decide where the files go, as for the window.
  p.files.AddFolder("D:\\Backups");
  p.registry.SetString(kHkcu, kSettingsKey, "UndoDir", "D:\\Backups");
  MissingProgram("gone.exe");
  PresentProgram("kept.exe");
  p.registry.SetDword(kHklm, kSharedDlls, "C:\\Gone\\lost.dll", 1);
  p.registry.SetDword(kHklm, kSharedDlls, "C:\\Program Files\\Kept\\kept.exe", 3);
  const cli::Outcome o = Run({"fix", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(Imports(), 1u);

  EXPECT_FALSE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  EXPECT_FALSE(ValueExists(p, kHklm, kSharedDlls, "C:\\Gone\\lost.dll"));
  // What is not deleted: the healthy entry beside it, the key that holds the
  // deleted value, and the other value in it.
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "kept.exe"));
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths));
  EXPECT_EQ(ReadDword(p, kHklm, kSharedDlls, "C:\\Program Files\\Kept\\kept.exe"), 3u);

  EXPECT_NE(o.out.find("\"findings\":[\"File not found: C:\\\\GONE\\\\LOST.DLL\"]"), std::string::npos);
  const auto logAt = o.out.find(",\"log\":\"C:\\\\Users\\\\tester\\\\AppData\\\\Roaming\\\\Quorvane\\\\Log\\\\Log ");
  const auto undoAt = o.out.find(",\"undo\":\"D:\\\\Backups\\\\Undo ");
  EXPECT_NE(logAt, std::string::npos) << o.out;
  EXPECT_NE(undoAt, std::string::npos) << o.out;
  EXPECT_NE(o.out.find("\"total\":2,"), std::string::npos);

  // The undo file brings both back; the fix script file is gone with the form.
  const auto undoFiles = p.files.FilesIn("D:\\Backups");
  ASSERT_EQ(undoFiles.size(), 1u);
  EXPECT_FALSE(p.files.Exists("D:\\Backups\\Quorvane.reg"));
  EXPECT_TRUE(p.CreateProcessAndWait("C:\\windows\\regedit.exe", " /s \"D:\\Backups\\" + undoFiles[0] + "\""));
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  EXPECT_EQ(ReadDword(p, kHklm, kSharedDlls, "C:\\Gone\\lost.dll"), 1u);
}

TEST_F(CliSessionTest, FixTellsWhatItFixedInTheLanguageOfTheSettings) {
  p.registry.SetDword(kHkcu, kSettingsKey, "Language", 3);
  p.files.AddFile("C:\\Program Files\\Quorvane\\German.ini",
                  "[Action3]\r\nItem01=Programmpfade\r\n[Action2]\r\nProblemsFixed=Probleme behoben\r\n"
                  "FileNotFound=Datei fehlt\r\n");
  MissingProgram("gone.exe");
  const cli::Outcome o = Run({"fix"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_NE(o.out.find("Programmpfade: 1 Probleme behoben\n    Datei fehlt: C:\\PROGRAM FILES\\GONE\\GONE.EXE\n"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("Total: 1 Probleme behoben\nLog: C:\\"), std::string::npos);
  EXPECT_NE(o.out.find("Undo: C:\\"), std::string::npos);
}

// What the import left is reported, and the command does not say success.
TEST_F(CliSessionTest, FixReportsWhatTheImportLeftAndFails) {
  MissingProgram("gone.exe");
  MissingProgram("locked.exe");
  p.undeletableKeys.insert(UpperCaseText("HKEY_LOCAL_MACHINE" + kAppPaths + "locked.exe"));
  const cli::Outcome o = Run({"fix", "--json"});
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_NE(o.out.find("\"fixed\":1,\"left\":[\"File not found: C:\\\\PROGRAM FILES\\\\GONE\\\\LOCKED.EXE"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.err.find("1 of the findings are still in the registry"), std::string::npos) << o.err;
  EXPECT_FALSE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
}

TEST_F(CliSessionTest, FixWithNothingFoundImportsNothing) {
  PresentProgram("kept.exe");
  const cli::Outcome o = Run({"fix", "--json"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_NE(o.out.find("\"total\":0,\"log\":null,\"undo\":null,\"fixed\":0,\"left\":[]}"), std::string::npos) << o.out;
  EXPECT_EQ(Imports(), 0u);
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "kept.exe"));
  p.mutexes.clear();
  EXPECT_NE(cli::RunArguments(p, {"scan"}).out.find("No problems found"), std::string::npos)
      << "the text form passes on what the page said";
}

TEST_F(CliSessionTest, AFailedRepairExitsWithOneAndChangesNothing) {
  MissingProgram("gone.exe");
  p.registry.SetDword(kHklm, kSharedDlls, "C:\\Gone\\lost.dll", 1);
  const std::string logs = "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Log";
  p.files.AddFolder(logs);
  p.files.MarkFolderNotWritable(logs);
  p.files.MarkFolderNotWritable("C:\\Program Files\\Quorvane");
  const cli::Outcome o = Run({"fix", "--json"});
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_TRUE(o.out.empty()) << "no report of a repair that did not happen";
  EXPECT_NE(o.err.find("the log file could not be written"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("The repair could not be made. Your registry was not changed."), std::string::npos);
  EXPECT_EQ(Imports(), 0u);
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  EXPECT_TRUE(ValueExists(p, kHklm, kSharedDlls, "C:\\Gone\\lost.dll"));
}

}  // namespace
}  // namespace qrv
