#include <gtest/gtest.h>

#include "cli/cli_session.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
const char* const kPolicies = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char* const kIeMain = "\\Software\\Microsoft\\Internet Explorer\\Main";
const std::string kUndo = "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Undo";
const std::string kLog = "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Log";

class CliToolsTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::SetUpUserFolders(p); }
  // Each command is a process of its own: the single-instance mutex ends with it.
  cli::Outcome Run(std::vector<std::string> args) {
    cli::Outcome o = cli::RunArguments(p, args);
    p.mutexes.clear();
    return o;
  }
  fake::FakePlatform p;
};

TEST_F(CliToolsTest, TweaksPrintsTheRowsAsJson) {
  p.registry.SetDword(kHkcu, kPolicies, "NoRun", 1);
  const cli::Outcome o = Run({"tweaks", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out.rfind("{\"tweaks\":[{\"page\":\"system\",\"row\":\"01\",\"caption\":\"Clean-up of swap file before "
                        "system reload\",\"on\":false,\"recommended\":true},",
                        0),
            0u)
      << o.out;
  EXPECT_NE(o.out.find("{\"page\":\"security\",\"row\":\"04\",\"caption\":\"Enable \\\"Run\\\" option at Start "
                       "Menu *\",\"on\":false,\"recommended\":true}"),
            std::string::npos)
      << o.out;
  EXPECT_EQ(o.out.find("\"row\":\"05\",\"caption\":\"Use"), std::string::npos);
  EXPECT_EQ(o.out.substr(o.out.size() - 4), "}]}\n");
  EXPECT_TRUE(p.processes.empty());
}

TEST_F(CliToolsTest, ApplySetsTheNamedRowsKeepsTheOthersAndBacksUp) {
  p.registry.SetString(kHkcu, kIeMain, "Use FormSuggest", "yes");  // row 07 on, kept
  const cli::Outcome o = Run({"tweaks", "apply", "--page", "internet", "--on", "03,06", "--off", "01", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(ReadDword(p, kHkcu, "\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions",
                      "NoBrowserOptions"),
            1u);
  EXPECT_EQ(ReadString(p, kHkcu, kIeMain, "Enable AutoImageResize"), "YES");
  EXPECT_EQ(ReadString(p, kHkcu, kIeMain, "Use FormSuggest"), "yes") << "a row not named is not written";
  EXPECT_FALSE(ValueExists(p, kHkcu, kIeMain, "FormSuggest Passwords")) << "absent stays absent";
  EXPECT_FALSE(KeyExists(p, kHkcu, kPolicies)) << "only the page named";
  EXPECT_NE(o.out.find("\"written\":[\"01\",\"03\",\"06\"]"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("\"row\":\"03\",\"caption\":\"Automatic picture size adjustment\",\"on\":true"),
            std::string::npos);
  EXPECT_NE(o.out.find("\"undo\":\"" + ReplaceAll(kUndo, "\\", "\\\\") + "\\\\Undo 09-07-06-01.reg\"}"),
            std::string::npos)
      << o.out;

  // The undo file goes back through `undo`, and `logs` lists it.
  const cli::Outcome logs = Run({"logs", "--json"});
  EXPECT_NE(logs.out.find("\"undo\":[\"Undo 09-07-06-01.reg\"]"), std::string::npos) << logs.out;
  EXPECT_EQ(logs.out.find("Quorvane.reg"), std::string::npos) << "the fix script file is no undo file";
  // Named again with the states they now have: nothing is written, no undo file.
  const std::size_t imports = p.importedScripts.size();
  const cli::Outcome again = Run({"tweaks", "apply", "--page", "internet", "--on", "03,06", "--off", "01"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.out.find("No row changed: nothing written."), std::string::npos) << again.out;
  EXPECT_EQ(again.out.find("Undo file written"), std::string::npos) << again.out;
  EXPECT_EQ(p.importedScripts.size(), imports);

  const cli::Outcome undo = Run({"undo", "Undo 09-07-06-01.reg"});
  ASSERT_EQ(undo.exitCode, 0) << undo.err;
  EXPECT_EQ(ReadString(p, kHkcu, kIeMain, "Use FormSuggest"), "yes");
  EXPECT_FALSE(ValueExists(p, kHkcu, kIeMain, "Enable AutoImageResize"));
  EXPECT_FALSE(ValueExists(p, kHkcu, kIeMain, "AutoSuggest"));
}

TEST_F(CliToolsTest, ApplyWithRecommendedAndRefusals) {
  ASSERT_EQ(Run({"tweaks", "apply", "--page", "system", "--recommended"}).exitCode, 0);
  EXPECT_EQ(ReadDword(p, RootKey::LocalMachine, "\\SYSTEM\\CurrentControlSet\\Control\\CrashControl", "AutoReboot"),
            1u);
  const std::size_t imports = p.importedScripts.size();
  for (auto args : {std::vector<std::string>{"tweaks", "apply"},
                    {"tweaks", "apply", "--page", "System"},
                    {"tweaks", "apply", "--page", "internet", "--on", "05"},
                    {"tweaks", "apply", "--page", "security", "--on", "08"},
                    {"tweaks", "apply", "--page", "security", "--on", "1", "--off", "1"},
                    {"tweaks", "apply", "--page", "security", "--recommended", "--off", "2"}}) {
    const cli::Outcome o = Run(args);
    EXPECT_EQ(o.exitCode, 2) << args.back();
    EXPECT_FALSE(o.err.empty());
  }
  EXPECT_EQ(p.importedScripts.size(), imports);
}

TEST_F(CliToolsTest, UndoRefusesWhatIsNotAnUndoFileOfTheUndoFolder) {
  Run({"logs"});  // start-up makes the folders
  p.files.AddFile(kUndo + "\\Quorvane.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n");
  p.files.AddFile(kUndo + "\\notes.reg", "hello\r\n");
  p.files.AddFile(kUndo + "\\wipe.reg", "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n");
  p.files.AddFile(kLog + "\\Undo 1.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n");
  for (const std::string& file : {std::string("Quorvane.reg"), std::string("notes.reg"), std::string("wipe.reg"),
                                  kLog + "\\Undo 1.reg", kUndo + "\\..\\Log\\Undo 1.reg", std::string("..\\x.reg"),
                                  std::string("missing.reg"), std::string("C:Undo 1.reg")}) {
    const cli::Outcome o = Run({"undo", file});
    EXPECT_EQ(o.exitCode, 1) << file;
    EXPECT_FALSE(o.err.empty()) << file;
  }
  EXPECT_TRUE(p.processes.empty());
  const cli::Outcome logs = Run({"logs"});
  EXPECT_NE(logs.out.find("  notes.reg\n"), std::string::npos) << logs.out;
}

}  // namespace
}  // namespace qrv
