// Removed files kept for recovery: what a removal moves and what it leaves,
// putting files back without overwriting anything, and the age rule.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cleaning/file_walk.h"
#include "cleaning/residual_files.h"
#include "core/settings.h"
#include "engine/recovery.h"
#include "engine/text.h"
#include "unit/scan_fixture.h"

namespace qrv::testing {
namespace {

using Paths = std::vector<std::string>;

const std::string kBeside = "C:\\Data\\Removed Files";  // beside the fixture's undo folder C:\Data\Undo

class RecoveryTest : public ::testing::Test, public ScanFixture {
 protected:
  void SetUp() override {
    app.CancelFlag = true;
    p.files.SetDriveType('D', kDriveFixed);
  }
  RemovalResult Remove(const Paths& paths, const std::vector<bool>& ticked = {}) {
    app.CancelFlag = true;
    return RemoveListedFiles(s, paths, kKeptListRemoval, ticked);
  }
  std::vector<RemovedFile> AllKept() {
    std::vector<RemovedFile> files;
    for (const Removal& r : ListRemovals(p, app.folders)) files.insert(files.end(), r.files.begin(), r.files.end());
    return files;
  }
  std::size_t FilesBelow(const std::string& folder) {
    std::size_t n = 0;
    for (const FileEntry& e : p.files.FindFiles(folder)) {
      if (e.name == "." || e.name == "..") continue;
      n += (e.attributes & kAttributeDirectory) ? FilesBelow(folder + "\\" + e.name) : 1;
    }
    return n;
  }
};

TEST_F(RecoveryTest, ARemovalMovesExactlyTheTickedFilesAndDeletesNothing) {
  p.files.AddFile("C:\\R\\ticked.bak", "one", kAttributeArchive | kAttributeReadOnly);
  p.files.AddFile("C:\\R\\unticked.bak", "two");
  p.files.AddFile("C:\\R\\busy.tmp", "three");
  p.files.MarkInUse("C:\\R\\busy.tmp");
  p.files.AddFile("C:\\R\\refused.tmp", "four");
  p.files.RefuseDeletion("C:\\R\\refused.tmp");
  p.files.AddFile("D:\\Other\\far.tmp", "five");
  p.files.AddFile("D:\\Other\\target.txt", "six");
  p.files.AddFileLink("C:\\R\\link.tmp", "D:\\Other\\target.txt");  // a link in place of the listed file
  const Paths listed{"C:\\R\\ticked.bak", "C:\\R\\unticked.bak", "C:\\R\\busy.tmp",   "C:\\R\\refused.tmp",
                     "C:\\R\\vanished.tmp", "D:\\Other\\far.tmp", "C:\\R\\link.tmp"};
  const std::size_t before = FilesBelow("C:\\R") + FilesBelow("D:\\Other");

  const RemovalResult result = Remove(listed, {true, false, true, true, true, true, true});

  EXPECT_EQ(result.deleted, 2u) << "counted: what reached the recovery folder";
  EXPECT_EQ(result.failed, (Paths{"C:\\R\\busy.tmp", "C:\\R\\refused.tmp", "C:\\R\\link.tmp"}));
  EXPECT_FALSE(p.files.Exists("C:\\R\\ticked.bak"));
  EXPECT_FALSE(p.files.Exists("D:\\Other\\far.tmp"));
  for (const char* stays : {"C:\\R\\unticked.bak", "C:\\R\\busy.tmp", "C:\\R\\refused.tmp", "D:\\Other\\target.txt"})
    EXPECT_TRUE(p.files.Exists(stays)) << stays;
  EXPECT_EQ(p.files.Contents("D:\\Other\\target.txt"), "six") << "a link's target is never moved";

  // Each moved file is kept on its own drive, bytes and attributes as they were.
  const std::vector<RemovedFile> kept = AllKept();
  ASSERT_EQ(kept.size(), 2u);
  for (const RemovedFile& f : kept) {
    EXPECT_EQ(f.stored[0], f.original[0]) << f.original << " -> " << f.stored;
    EXPECT_TRUE(IsInRecoveryFolder(app.folders, f.stored)) << f.stored;
  }
  EXPECT_TRUE(StartsWithNoCase(kept[0].stored, kBeside + "\\")) << "the undo folder's drive: beside it";
  EXPECT_TRUE(StartsWithNoCase(kept[1].stored, "D:\\Quorvane Removed Files\\")) << "another drive: at its root";
  EXPECT_EQ(p.files.Contents(kept[0].stored), "one");
  EXPECT_EQ(p.files.GetFileAttributes(kept[0].stored), kAttributeArchive | kAttributeReadOnly);
  EXPECT_EQ(p.files.Contents(kept[1].stored), "five");
  EXPECT_TRUE(p.files.GetFileAttributes("D:\\Quorvane Removed Files") & kAttributeHidden);
  EXPECT_TRUE(p.files.GetFileAttributes(kBeside) & kAttributeHidden);
  // Nothing went for good: every file is somewhere (the link's entry included).
  EXPECT_EQ(FilesBelow("C:\\R") + FilesBelow("D:\\Other") + 2, before);

  // The removal's log names each file and where it went.
  ASSERT_FALSE(result.log.empty());
  const std::string log = *p.files.Contents(result.log);
  for (const RemovedFile& f : kept) EXPECT_NE(log.find(f.original + " -> " + f.stored), std::string::npos) << log;
  EXPECT_EQ(log.find("busy.tmp"), std::string::npos) << "what did not move is not in the log";
}

TEST_F(RecoveryTest, AFileThatCannotBeKeptStays) {
  p.files.AddFile("C:\\R\\a.tmp", "a");
  p.files.MarkFolderNotWritable("C:\\Data");  // no recovery folder can be made beside the undo folder
  const RemovalResult result = Remove({"C:\\R\\a.tmp"});
  EXPECT_EQ(result.deleted, 0u);
  EXPECT_EQ(result.failed, (Paths{"C:\\R\\a.tmp"}));
  EXPECT_EQ(p.files.Contents("C:\\R\\a.tmp"), "a");
  EXPECT_TRUE(result.log.empty());
}

TEST_F(RecoveryTest, RecoveryFoldersAreNeverSearched) {
  p.files.AddFile("C:\\R\\old.bak", "x");
  p.files.AddFile("D:\\R\\old.tmp", "y");
  ASSERT_EQ(Remove({"C:\\R\\old.bak", "D:\\R\\old.tmp"}).deleted, 2u);
  // Names a search would take, inside the recovery folders and beside them.
  p.files.AddFile(kBeside + "\\other\\left.bak", "x");
  p.files.AddFile("D:\\Quorvane Removed Files\\other\\left.tmp", "y");
  p.files.AddFile("C:\\R\\control.bak", "z");
  p.files.AddFile("D:\\Quorvane Removed Files2\\control.tmp", "z");
  for (const char* root : {"C:\\", "D:\\"}) {
    ResidualObserver none;
    FindJunk(app, host, root, none);
    ASSERT_EQ(app.Slot(1).size(), 1u) << root;
    EXPECT_NE(app.Slot(1)[0].find("control"), std::string::npos) << app.Slot(1)[0];
  }
}

TEST_F(RecoveryTest, RestorePutsEachFileBackAndNeverOverwrites) {
  p.files.AddFile("C:\\R\\a.bak", "alpha");
  p.files.AddFile("C:\\R\\Deep\\b.tmp", "beta");
  p.files.AddFile("D:\\S\\c.lnk", "gamma");
  p.files.AddFile("C:\\R\\d.old", "delta");
  ASSERT_EQ(Remove({"C:\\R\\a.bak", "C:\\R\\Deep\\b.tmp", "D:\\S\\c.lnk", "C:\\R\\d.old"}).deleted, 4u);
  p.files.AddFile("C:\\R\\a.bak", "new alpha");  // the user made a new one since
  ASSERT_TRUE(p.files.RemoveDirectory("D:\\S"));  // its folder is gone too
  std::vector<RemovedFile> kept = AllKept();
  ASSERT_EQ(kept.size(), 4u);
  std::map<std::string, std::string> stored;
  for (const RemovedFile& f : kept) stored[f.original] = f.stored;
  ASSERT_EQ(p.files.DeleteFile(stored["C:\\R\\d.old"]), kErrorSuccess);  // no longer kept

  std::map<std::string, RestoreOutcome> outcome;
  for (const RestoreResult& r : RestoreFiles(p, app.folders, kept)) outcome[r.original] = r.outcome;
  EXPECT_EQ(outcome, (std::map<std::string, RestoreOutcome>{{"C:\\R\\a.bak", RestoreOutcome::Occupied},
                                                            {"C:\\R\\Deep\\b.tmp", RestoreOutcome::Restored},
                                                            {"D:\\S\\c.lnk", RestoreOutcome::Restored},
                                                            {"C:\\R\\d.old", RestoreOutcome::Missing}}));
  EXPECT_EQ(p.files.Contents("C:\\R\\a.bak"), "new alpha") << "never overwritten";
  EXPECT_EQ(p.files.Contents(stored["C:\\R\\a.bak"]), "alpha") << "and still kept";
  EXPECT_EQ(p.files.Contents("C:\\R\\Deep\\b.tmp"), "beta");
  EXPECT_EQ(p.files.Contents("D:\\S\\c.lnk"), "gamma") << "its folder made again";

  // The records now hold what stays; once empty, a removal's folder goes.
  kept = AllKept();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].original, "C:\\R\\a.bak");
  EXPECT_TRUE(p.files.FilesIn("D:\\Quorvane Removed Files").empty());
  EXPECT_EQ(p.files.FindFiles("D:\\Quorvane Removed Files").size(), 2u) << "only . and ..";
  ASSERT_EQ(p.files.DeleteFile("C:\\R\\a.bak"), kErrorSuccess);
  EXPECT_EQ(RestoreFiles(p, app.folders, kept)[0].outcome, RestoreOutcome::Restored);
  EXPECT_EQ(p.files.Contents("C:\\R\\a.bak"), "alpha");
  EXPECT_TRUE(ListRemovals(p, app.folders).empty());
}

TEST_F(RecoveryTest, RestoreTakesOnlyFilesOfARecoveryFolder) {
  p.files.AddFile("C:\\Elsewhere\\x", "x");
  const auto results = RestoreFiles(p, app.folders, {{"C:\\R\\x", "C:\\Elsewhere\\x"}});
  EXPECT_EQ(results[0].outcome, RestoreOutcome::Failed);
  EXPECT_TRUE(p.files.Exists("C:\\Elsewhere\\x"));
  EXPECT_FALSE(p.files.Exists("C:\\R\\x"));
}

TEST_F(RecoveryTest, TheAgeRuleDeletesOnlyWhatIsOlderThanTheSetting) {
  const double start = p.clock;
  struct Made {
    double daysAgo;
    std::string path;
  } made[] = {{45, "C:\\R\\old.bak"}, {30.5, "D:\\R\\month.tmp"}, {29.5, "C:\\R\\recent.bak"}, {0, "C:\\R\\new.tmp"}};
  for (const Made& m : made) {
    p.clock = start - m.daysAgo;
    p.files.AddFile(m.path, m.path);
    ASSERT_EQ(Remove({m.path}).deleted, 1u) << m.path;
  }
  p.clock = start;
  ASSERT_EQ(ListRemovals(p, app.folders).size(), 4u);
  EXPECT_EQ(ExpireRemovals(p, app.folders, 30), 2u);
  std::vector<std::string> left;
  for (const RemovedFile& f : AllKept()) left.push_back(f.original);
  EXPECT_EQ(left, (Paths{"C:\\R\\recent.bak", "C:\\R\\new.tmp"}));
  for (const RemovedFile& f : AllKept()) EXPECT_EQ(p.files.Contents(f.stored), f.original);
  EXPECT_EQ(FilesBelow("D:\\Quorvane Removed Files"), 0u);
  // Emptying deletes the rest, and only the kept files.
  p.files.AddFile(kBeside + "\\mine.txt", "not a kept file");
  EXPECT_EQ(EmptyRecovery(p, app.folders), 2u);
  EXPECT_TRUE(ListRemovals(p, app.folders).empty());
  EXPECT_TRUE(p.files.Exists(kBeside + "\\mine.txt"));
  for (const Made& m : made) EXPECT_FALSE(p.files.Exists(m.path)) << m.path;
}

TEST_F(RecoveryTest, StartUpAppliesTheUsersNumberOfDays) {
  for (std::uint32_t days : {30u, 5u}) {
    fake::FakePlatform q;
    SetUpUserFolders(q);
    if (days != 30) settings::Write(q, settings::kKeepRemovedDays, days);
    AppState first(q);
    LoadSettings(first);
    const double start = q.clock;
    q.clock = start - 10;
    q.files.AddFile("C:\\R\\ten.bak", "x");
    ScriptedHost h;
    ScanContext sc(first, h);
    first.CancelFlag = true;
    ASSERT_EQ(RemoveListedFiles(sc, {"C:\\R\\ten.bak"}, kKeptListRemoval).deleted, 1u);
    q.clock = start;
    AppState next(q);
    LoadSettings(next);
    EXPECT_EQ(ListRemovals(q, next.folders).size(), days == 30 ? 1u : 0u) << days << " days";
  }
}

TEST_F(RecoveryTest, RecoveryFolderNamesAreWholeNames) {
  struct Case {
    const char* path;
    bool inside;
  } cases[] = {
      {"C:\\Data\\Removed Files\\x\\1", true},       {"c:\\data\\removed files", true},
      {"C:\\Data\\Removed Files2\\1", false},        {"E:\\Quorvane Removed Files\\a\\1", true},
      {"E:\\Quorvane Removed Filesx\\a", false},     {"E:\\Sub\\Quorvane Removed Files\\a", false},
      {"\\\\server\\Quorvane Removed Files\\a", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsInRecoveryFolder(app.folders, c.path), c.inside) << c.path;
  EXPECT_EQ(RecoveryFolderFor(app.folders, "c:\\x.tmp"), kBeside);
  EXPECT_EQ(RecoveryFolderFor(app.folders, "E:\\x.tmp"), "E:\\Quorvane Removed Files");
  EXPECT_EQ(RecoveryFolderFor(app.folders, "\\\\server\\share\\x.tmp"), "");
}

TEST_F(RecoveryTest, ARecordThatPointsOutOfItsFolderIsIgnored) {
  p.files.AddFile("C:\\Victim\\keep.txt", "keep");
  const std::string folder = kBeside + "\\forged";
  p.files.AddFile(folder + "\\index.txt",
                  "Quorvane removed files\r\n1000\r\n..\\..\\..\\Victim\\keep.txt\tC:\\R\\a\r\nx\tC:\\R\\b\r\n");
  EXPECT_TRUE(ListRemovals(p, app.folders).empty());
  EmptyRecovery(p, app.folders);
  EXPECT_EQ(p.files.Contents("C:\\Victim\\keep.txt"), "keep");
}

}  // namespace
}  // namespace qrv::testing
