#include <gtest/gtest.h>

#include "engine/backup.h"
#include "engine/fix_script.h"
#include "engine/registry_ops.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
const char* const kAppPaths = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

class RepairOrderTest : public ::testing::Test {
 protected:
  fake::FakePlatform p;
  FolderSet folders = testing::EngineFolders(p);
  RegScript undo{ScriptFlavour::Version5};
  RegScript fix{ScriptFlavour::Regedit4};
  const std::vector<std::string> lines{"File not found: C:\\GONE\\GONE.EXE"};

  void SetUp() override {
    p.registry.SetString(kHklm, std::string(kAppPaths) + "gone.exe", "", "C:\\gone\\gone.exe");
    p.registry.SetString(kHklm, std::string(kAppPaths) + "kept.exe", "", "C:\\kept\\kept.exe");
    undo.Start();
    fix.Start();
    BackupKey(p, undo, kHklm, std::string(kAppPaths) + "gone.exe");
    fix.AddDeleteKey(kHklm, std::string(kAppPaths) + "gone.exe");
    fix.AddBlank();
    p.processes.clear();
  }
  bool GoneStillThere() { return KeyExists(p, kHklm, std::string(kAppPaths) + "gone.exe"); }
};

TEST_F(RepairOrderTest, LogsBacksUpThenImports) {
  const RepairResult r = LogBackUpAndApply(p, folders, lines, undo, fix);
  EXPECT_EQ(r.outcome, RepairOutcome::Imported);
  EXPECT_TRUE(p.files.Exists(r.logPath));
  EXPECT_TRUE(p.files.Exists(r.undoPath));
  EXPECT_FALSE(GoneStillThere());
  EXPECT_TRUE(KeyExists(p, kHklm, std::string(kAppPaths) + "kept.exe")) << "only the finding is deleted";
  // And the undo file brings it back.
  RunRegistryEditor(p, folders, " /s \"" + r.undoPath + "\"");
  EXPECT_EQ(ReadString(p, kHklm, std::string(kAppPaths) + "gone.exe", ""), "C:\\gone\\gone.exe");
}

TEST_F(RepairOrderTest, NoUndoFileNoDeletion) {
  p.files.MarkFolderNotWritable(folders.UndoFolder);
  const RepairResult r = LogBackUpAndApply(p, folders, lines, undo, fix);
  EXPECT_EQ(r.outcome, RepairOutcome::UndoNotWritten);
  EXPECT_TRUE(p.processes.empty()) << "the registry editor never ran";
  EXPECT_TRUE(GoneStillThere());
}

TEST_F(RepairOrderTest, NoLogNoDeletion) {
  p.files.MarkFolderNotWritable(folders.LogFolder);
  EXPECT_EQ(LogBackUpAndApply(p, folders, lines, undo, fix).outcome, RepairOutcome::LogNotWritten);
  EXPECT_TRUE(p.processes.empty());
  EXPECT_TRUE(p.files.FilesIn(folders.UndoFolder).empty()) << "nothing was saved either";
  EXPECT_TRUE(GoneStillThere());
}

TEST_F(RepairOrderTest, AProtectedBranchIsRefusedBeforeAnyFileIsWritten) {
  fix.AddDeleteKey(kHklm, kAppPaths);
  EXPECT_EQ(LogBackUpAndApply(p, folders, lines, undo, fix).outcome, RepairOutcome::Refused);
  EXPECT_TRUE(p.files.FilesIn(folders.LogFolder).empty());
  EXPECT_TRUE(GoneStillThere());
}

}  // namespace
}  // namespace qrv
