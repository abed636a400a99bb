// The Clean Up tab's walks and deletions on the in-memory Windows: what they
// list, and above all what they leave on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "cleaning/file_walk.h"
#include "cleaning/privacy_scan.h"
#include "cleaning/residual_files.h"
#include "cleaning/shortcuts.h"
#include "engine/registry_ops.h"
#include "unit/scan_fixture.h"

namespace qrv::testing {
namespace {

using Paths = std::vector<std::string>;

std::set<std::string> AsSet(const Paths& paths) { return {paths.begin(), paths.end()}; }

class CleaningTest : public ::testing::Test, public ScanFixture {
 protected:
  void SetUp() override {
    app.CancelFlag = true;
    // A folder outside the walked tree, reached only through links.
    p.files.SetDriveType('D', kDriveFixed);
    p.files.AddFile("D:\\Outside\\victim.tmp");
    p.files.AddFile("D:\\Outside\\cookie.txt");
    p.files.AddFile("D:\\Outside\\index.dat");
    p.files.AddFile("D:\\Outside\\gone.lnk", fake::FakePlatform::ShortcutBytes("C:\\Nowhere\\app.exe"));
  }
  // A link to the outside folder and a loop back to `folder`'s parent.
  void AddLinks(const std::string& folder) {
    p.files.AddLink(folder + "Out", "D:\\Outside");
    p.files.AddLink(folder + "Loop", folder);
    // Listed through, as Windows lists a link's target.
    EXPECT_EQ(p.files.FindFiles(folder + "Out").size(), 6u);
    EXPECT_EQ(p.files.FindFiles(folder + "Loop\\Loop\\").size(), p.files.FindFiles(folder).size());
  }
  bool OutsideIntact() const {
    return p.files.Exists("D:\\Outside\\victim.tmp") && p.files.Exists("D:\\Outside\\cookie.txt") &&
           p.files.Exists("D:\\Outside\\index.dat") && p.files.Exists("D:\\Outside\\gone.lnk");
  }
};

// ---- Row 1: temporary folders ----

TEST_F(CleaningTest, TemporaryFolderPassingWholeListsEachFileOnceAndNeverThroughLinks) {
  p.files.AddFile("C:\\Tmp\\a.txt");
  p.files.AddFile("C:\\Tmp\\desktop.ini");
  p.files.AddFile("C:\\Tmp\\Sub\\Deeper\\b.log");
  p.files.AddFile("C:\\Tmp\\Sub\\INDEX.DAT");
  p.files.AddFile("C:\\Tmp\\Sub\\Desktop.INI");
  AddLinks("C:\\Tmp\\");
  Paths list;
  GatherTemporaryFolder(s, "C:\\Tmp\\", list);
  EXPECT_EQ(list, (Paths{"C:\\Tmp\\a.txt", "C:\\Tmp\\Sub\\Deeper\\b.log"}));
}

TEST_F(CleaningTest, ProtectedSubfoldersContributeNothingTheirSiblingsDo) {
  p.files.AddFile("C:\\Tmp\\top.txt");  // the folder itself fails: its own files stay
  p.files.AddFile("C:\\Tmp\\Good\\x.log");
  p.files.AddFile("C:\\Tmp\\AppSetupFiles\\y.log");        // a protected word
  p.files.AddFile("C:\\Tmp\\Bundle\\deep\\down\\z.Dll5");  // a program file anywhere below
  p.files.AddFile("C:\\Tmp\\Bundle\\w.log");
  p.files.AddFile("C:\\Tmp\\Keep\\Data.BAK");              // a protected backup
  p.files.AddFile("C:\\Tmp\\Keep\\v.log");
  p.files.AddFile("C:\\Tmp\\Other\\u.log");
  AddLinks("C:\\Tmp\\");
  Paths list;
  GatherTemporaryFolder(s, "C:\\Tmp\\", list);
  EXPECT_EQ(AsSet(list), (std::set<std::string>{"C:\\Tmp\\Good\\x.log", "C:\\Tmp\\Other\\u.log"}));
}

TEST_F(CleaningTest, ProtectionJudgesALinkByItsNameOnly) {
  // What is behind a link is never cleaned, so it cannot protect anything either.
  p.files.AddFile("D:\\Outside\\tool.exe");
  p.files.AddFile("C:\\Tmp\\a.txt");
  p.files.AddLink("C:\\Tmp\\Out", "D:\\Outside");
  bool found = false;
  ProtectedContentTest(s, "C:\\Tmp\\", found);
  EXPECT_FALSE(found);
  p.files.AddLink("C:\\Tmp\\Tools.exe", "D:\\Outside");
  ProtectedContentTest(s, "C:\\Tmp\\", found);
  EXPECT_TRUE(found);
}

struct TempFolders {
  const char* tmp;
  const char* temp;
  std::size_t listed;
};

TEST_F(CleaningTest, TmpAndTempFoldersAreGatheredOnceWhateverTheirSpelling) {
  for (const TempFolders& c : {TempFolders{"C:\\T\\", "C:\\T\\", 2}, TempFolders{"C:\\T\\", "c:\\t\\", 2},
                               TempFolders{"C:\\T\\", "C:\\T\\Inner\\", 2}, TempFolders{"C:\\T\\", "C:\\U\\", 3}}) {
    SCOPED_TRACE(std::string(c.tmp) + " / " + c.temp);
    fake::FakePlatform fresh;
    AppState a(fresh);
    a.folders = EngineFolders(fresh);
    a.folders.TmpFolder = c.tmp;
    a.folders.TempFolder = c.temp;
    fresh.files.AddFile("C:\\T\\one.txt");
    fresh.files.AddFile("C:\\T\\Inner\\two.txt");
    fresh.files.AddFile("C:\\U\\three.txt");
    PrivacyRows rows{};
    rows[1] = true;
    PrivacyScan scan(a, host);
    scan.Run(rows);
    EXPECT_EQ(a.Slot(1).size(), c.listed);
    EXPECT_EQ(AsSet(a.Slot(1)).size(), a.Slot(1).size());
  }
}

// ---- Rows 2 to 4 ----

TEST_F(CleaningTest, CacheWalkSkipsIndexFilesInAnyCaseAndLinks) {
  p.files.AddFile("C:\\Cache\\Content\\page.htm");
  p.files.AddFile("C:\\Cache\\Content\\Index.Dat");
  p.files.AddFile("C:\\Cache\\index.dat.old");
  AddLinks("C:\\Cache\\");
  Paths list;
  CleanTempDir(s, "C:\\Cache\\", list);
  EXPECT_EQ(AsSet(list), (std::set<std::string>{"C:\\Cache\\Content\\page.htm", "C:\\Cache\\index.dat.old"}));
}

TEST_F(CleaningTest, WebSitesAreOnePrefixPerHostIgnoringCaseAndNoneWithoutTheStore) {
  p.urlHistory = {"http://example.com/a", "http://EXAMPLE.com/b/c", "http://other.org", "https://secure.net/x",
                  "ftp://files.net/", "http://example.com"};
  Paths list;
  ScanWebPagesVisited(s, list);
  EXPECT_EQ(list, (Paths{"http://example.com", "http://other.org"}));
  p.urlHistoryAvailable = false;
  Paths none;
  ScanWebPagesVisited(s, none);
  EXPECT_TRUE(none.empty());
}

TEST_F(CleaningTest, CookiesAreTheTextFilesOfTheFolderThenFirefoxs) {
  app.folders.CookiesFolder = "C:\\Cookies\\";
  app.folders.FirefoxCookiesFile = "C:\\Fx\\cookies.sqlite";
  p.files.AddFolder("C:\\Cookies");
  p.files.AddFile("C:\\Fx\\cookies.sqlite");
  Paths list;
  CleanCookies(s, list);
  EXPECT_EQ(list, (Paths{"C:\\Fx\\cookies.sqlite"}));
  p.files.AddFile("C:\\Cookies\\me@site.TXT");
  p.files.AddFile("C:\\Cookies\\index.dat");
  list.clear();
  CleanCookies(s, list);
  EXPECT_EQ(list, (Paths{"C:\\Cookies\\me@site.TXT", "C:\\Fx\\cookies.sqlite"}));
}

TEST_F(CleaningTest, IndexFilesAreDeletedOrScheduledNeverThroughALink) {
  p.files.AddFile("C:\\Hist\\index.dat");
  p.files.AddFile("C:\\Hist\\Day\\INDEX.DAT");
  p.files.AddFile("C:\\Hist\\Day\\index.dat2");
  p.files.MarkInUse("C:\\Hist\\Day\\INDEX.DAT");
  p.files.AddFile("C:\\Hist\\Locked\\index.dat", {}, kAttributeArchive | kAttributeReadOnly);
  p.files.RefuseDeletion("C:\\Hist\\Locked\\index.dat");
  AddLinks("C:\\Hist\\");
  IndexDatResult result;
  DeleteIndexDat(s, "C:\\Hist\\", result);
  EXPECT_EQ(result.deleted, 1u);
  EXPECT_EQ(result.scheduled, 1u);
  EXPECT_FALSE(p.files.Exists("C:\\Hist\\index.dat"));
  EXPECT_EQ(p.files.DeleteAtRestart(), (Paths{"C:\\Hist\\Day\\INDEX.DAT"}));
  EXPECT_TRUE(p.files.Exists("C:\\Hist\\Day\\index.dat2"));
  // Refused for another reason than use: left as it was, attributes too.
  EXPECT_EQ(p.files.GetFileAttributes("C:\\Hist\\Locked\\index.dat"), kAttributeArchive | kAttributeReadOnly);
  EXPECT_TRUE(OutsideIntact());
}

// ---- The privacy scan and clean ----

class PrivacyTest : public CleaningTest {
 protected:
  void SetUp() override {
    CleaningTest::SetUp();
    app.CancelFlag = false;
    auto& f = app.folders;
    f.TmpFolder = "C:\\Tmp\\";
    f.TempFolder = "C:\\Tmp\\";
    f.InternetCacheFolder = "C:\\Cache\\";
    f.HistoryFolder = "C:\\Hist\\";
    f.CookiesFolder = "C:\\Cookies\\";
    p.files.AddFile("C:\\Tmp\\a.tmp");
    p.files.AddFile("C:\\Tmp\\readonly.txt", {}, kAttributeArchive | kAttributeReadOnly);
    p.files.AddFile("C:\\Tmp\\busy.txt");
    p.files.MarkInUse("C:\\Tmp\\busy.txt");
    AddLinks("C:\\Tmp\\");
    p.files.AddFile("C:\\Cache\\page.htm");
    p.files.AddFile("C:\\Cache\\index.dat");
    p.files.AddFile("C:\\Hist\\index.dat");
    p.files.AddFile("C:\\Cookies\\me@x.txt");
    p.urlHistory = {"http://a.example/1"};
    p.registry.SetString(RootKey::CurrentUser, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
                         "a", "notepad\\1");
  }
  double RunDate2() { return ReadDateTime(p, RootKey::CurrentUser, kSettingsKey, "RunDate2", 0); }
};

TEST_F(PrivacyTest, CleanRemovesTheTickedRowsAndCountsOnlyWhatWentAway) {
  PrivacyScan scan(app, host);
  scan.Run(AllPrivacyRows());
  EXPECT_TRUE(scan.Completed());
  EXPECT_FALSE(app.CancelFlag);
  EXPECT_EQ(app.Slot(1), (Paths{"C:\\Tmp\\a.tmp", "C:\\Tmp\\busy.txt", "C:\\Tmp\\readonly.txt"}));
  EXPECT_EQ(app.Slot(2), (Paths{"C:\\Cache\\page.htm"}));
  EXPECT_EQ(app.Slot(3), (Paths{"http://a.example"}));
  EXPECT_EQ(app.Slot(4), (Paths{"C:\\Cookies\\me@x.txt"}));
  EXPECT_FALSE(app.Slot(10).empty());
  EXPECT_GT(RunDate2(), 0);

  PrivacyRows rows = AllPrivacyRows();
  rows[4] = false;  // cookies stay
  const std::size_t registryItems = app.Slot(10).size();
  const PrivacyCleanResult result = CleanPrivacy(app, host, rows);
  ASSERT_EQ(result.outcome, PrivacyCleanOutcome::Cleaned);
  EXPECT_EQ(result.removed[1], 1u);  // the read-only and the busy file stay
  EXPECT_EQ(result.removed[2], 1u);
  EXPECT_EQ(result.removed[3], 2u);  // the two index files
  EXPECT_EQ(result.removed[4], 0u);
  EXPECT_EQ(result.removed[5], registryItems);
  EXPECT_TRUE(result.registryImported);
  EXPECT_FALSE(p.files.Exists("C:\\Tmp\\a.tmp"));
  EXPECT_TRUE(p.files.Exists("C:\\Tmp\\readonly.txt"));
  EXPECT_TRUE(p.files.Exists("C:\\Tmp\\busy.txt"));
  EXPECT_TRUE(p.files.Exists("C:\\Cookies\\me@x.txt"));
  EXPECT_TRUE(OutsideIntact());
  EXPECT_FALSE(p.registry.GetValue(RootKey::CurrentUser,
                                   "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", "a"));
  // The log holds every listed item, deleted or not.
  const auto log = p.files.Contents(result.logPath);
  ASSERT_TRUE(log);
  for (const char* item : {"C:\\Tmp\\readonly.txt", "C:\\Cookies\\me@x.txt", "http://a.example"})
    EXPECT_NE(log->find(item), std::string::npos) << item;
  EXPECT_FALSE(result.undoPath.empty());
  for (int n = 1; n <= 10; ++n) EXPECT_TRUE(app.Slot(n).empty());
}

TEST_F(PrivacyTest, NoLogMeansNothingDeleted) {
  PrivacyScan scan(app, host);
  scan.Run(AllPrivacyRows());
  p.files.MarkFolderNotWritable("C:\\Data\\Log");
  const PrivacyCleanResult result = CleanPrivacy(app, host, AllPrivacyRows());
  EXPECT_EQ(result.outcome, PrivacyCleanOutcome::LogNotWritten);
  EXPECT_TRUE(p.files.Exists("C:\\Tmp\\a.tmp"));
  EXPECT_TRUE(p.files.Exists("C:\\Cache\\index.dat"));
  EXPECT_TRUE(p.importedScripts.empty());
  EXPECT_FALSE(app.Slot(1).empty());
}

TEST_F(PrivacyTest, UntickedRowIsNotScannedAndStopKeepsWhatWasFound) {
  PrivacyRows rows = AllPrivacyRows();
  rows[2] = false;
  PrivacyScan scan(app, host);
  // Stop between row 1 and row 2.
  int counted = 0;
  struct StopAfterRow1 : PrivacyObserver {
    AppState* app;
    int* counted;
    void Counted(int row) override {
      if (row == 1 && ++*counted == 1) app->CancelFlag = false;
    }
  } observer;
  observer.app = &app;
  observer.counted = &counted;
  scan.Run(rows, &observer);
  EXPECT_FALSE(scan.Completed());
  EXPECT_EQ(app.Slot(1).size(), 3u);
  for (int n = 2; n <= 10; ++n) EXPECT_TRUE(app.Slot(n).empty()) << n;
  EXPECT_GT(RunDate2(), 0);  // written after a Stop too
  EXPECT_FALSE(app.CancelFlag);
}

TEST_F(PrivacyTest, NothingListedCleansNothing) {
  PrivacyRows none{};
  PrivacyScan scan(app, host);
  scan.Run(none);
  const PrivacyCleanResult result = CleanPrivacy(app, host, AllPrivacyRows());
  EXPECT_EQ(result.outcome, PrivacyCleanOutcome::NothingFound);
  EXPECT_TRUE(p.files.Exists("C:\\Hist\\index.dat"));
}

// ---- Residual files ----

TEST_F(CleaningTest, ResidualNamesByTheirWholeExtensionAndProtectedWords) {
  struct Case {
    const char* folder;
    const char* name;
    bool listed;
  };
  for (const Case& c : {Case{"C:\\A\\", "report.bak2", true}, Case{"C:\\A\\", "x.TMPFILE", true},
                        Case{"C:\\A\\", "b.tmp~", true}, Case{"C:\\A\\", "a.tm", false},
                        Case{"C:\\A\\", "c.$$$", true}, Case{"C:\\A\\", "d.Old", true},
                        Case{"C:\\A\\", "Data.bak", false}, Case{"C:\\A\\", "MyData.bak", true},
                        Case{"C:\\A\\", "opa11.BAK", false}, Case{"C:\\A\\", "tmp", false},
                        Case{"C:\\A\\", "e.txt", false}, Case{"C:\\Users\\Edwina\\", "f.tmp", false},
                        Case{"C:\\A\\", "twinkle.tmp", false}, Case{"C:\\Sync Stuff\\", "g.bak", false},
                        Case{"C:\\Progs\\MicroSoft Shared\\", "h.old", false},
                        // Only the four extensions whole, numbered or marked with tildes; not a
                        // longer extension that merely begins with one of them.
                        Case{"C:\\A\\", "index.tmpl", false}, Case{"C:\\A\\", "layout.TMPL", false},
                        Case{"C:\\A\\", "proj.tmproj", false}, Case{"C:\\A\\", "notes.oldx", false},
                        Case{"C:\\A\\", "x.bak2x", false}, Case{"C:\\A\\", "x.bak.txt", false},
                        Case{"C:\\A\\", "x.old12", true}, Case{"C:\\A\\", "x.$$$~~", true},
                        Case{"C:\\A\\", "x.tmp~1", false}, Case{"C:\\A\\", "x.Tmp", true}}) {
    EXPECT_EQ(IsResidualFile(c.folder, c.name), c.listed) << c.folder << c.name;
  }
}

TEST_F(CleaningTest, ResidualSearchWalksEveryRealFolderOnceAndSkipsLongPaths) {
  p.files.AddFile("C:\\Root\\a.tmp", "12345", kAttributeArchive, 39874.5);  // 2 March 2009
  p.files.AddFile("C:\\Root\\Deep\\Er\\b.bak");
  p.files.AddFile("C:\\Root\\Deep\\c.txt");
  const std::string longFolder = "C:\\Root\\" + std::string(250, 'x') + "\\";
  p.files.AddFile(longFolder + "long.tmp");
  AddLinks("C:\\Root\\");
  struct Rows : ResidualObserver {
    std::vector<ResidualFile> rows;
    void Found(const ResidualFile& f) override { rows.push_back(f); }
  } rows;
  Paths list;
  std::size_t scanned = 0;
  ScanTmpFiles(s, "C:\\Root\\", list, rows, scanned);
  EXPECT_EQ(AsSet(list), (std::set<std::string>{"C:\\Root\\a.tmp", "C:\\Root\\Deep\\Er\\b.bak"}));
  EXPECT_EQ(scanned, 3u);
  ASSERT_EQ(rows.rows.size(), 2u);
  const ResidualFile& a = rows.rows[0].name == "a.tmp" ? rows.rows[0] : rows.rows[1];
  EXPECT_EQ(ListDate(a.lastWrite), "2009-03-02");
  EXPECT_EQ(ListSize(a.size), "5");
  EXPECT_EQ(ListSize(0), "0");
  EXPECT_EQ(ListSize(0x80000000ull), "0");
  EXPECT_EQ(a.folder, "C:\\Root\\");
}

TEST_F(CleaningTest, RemovalDeletesOnlyTickedFilesThatAreStillPlainFiles) {
  p.files.AddFile("C:\\R\\ticked.tmp", {}, kAttributeArchive | kAttributeReadOnly);
  p.files.AddFile("C:\\R\\unticked.tmp");
  p.files.AddFile("C:\\R\\busy.tmp");
  p.files.MarkInUse("C:\\R\\busy.tmp");
  p.files.AddFile("C:\\R\\refused.tmp", {}, kAttributeArchive | kAttributeHidden);
  p.files.RefuseDeletion("C:\\R\\refused.tmp");
  p.files.AddLink("C:\\R\\nowalink.tmp", "D:\\Outside");  // a file replaced by a link since the search
  const Paths listed{"C:\\R\\ticked.tmp", "C:\\R\\unticked.tmp", "C:\\R\\busy.tmp", "C:\\R\\refused.tmp",
                     "C:\\R\\vanished.tmp", "C:\\R\\nowalink.tmp"};
  const RemovalResult result = RemoveListedFiles(s, listed, kListRemoval, {true, false, true, true, true, true});
  EXPECT_EQ(result.deleted, 1u);
  EXPECT_EQ(result.failed, (Paths{"C:\\R\\busy.tmp", "C:\\R\\refused.tmp", "C:\\R\\nowalink.tmp"}));
  EXPECT_FALSE(p.files.Exists("C:\\R\\ticked.tmp"));
  EXPECT_TRUE(p.files.Exists("C:\\R\\unticked.tmp"));
  EXPECT_EQ(p.files.GetFileAttributes("C:\\R\\refused.tmp"), kAttributeArchive | kAttributeHidden);
  EXPECT_TRUE(OutsideIntact());
}

TEST_F(CleaningTest, StopDuringRemovalSkipsTheRest) {
  p.files.AddFile("C:\\R\\1.tmp");
  p.files.AddFile("C:\\R\\2.tmp");
  host.actions[2] = [&] { app.CancelFlag = false; };
  const RemovalResult result = RemoveListedFiles(s, {"C:\\R\\1.tmp", "C:\\R\\2.tmp"}, kListRemoval);
  EXPECT_EQ(result.deleted, 1u);
  EXPECT_TRUE(p.files.Exists("C:\\R\\2.tmp"));
}

TEST_F(CleaningTest, TheRemovalPolicyDecidesTheReadOnlyRuleAndStop) {
  const std::uint32_t kReadOnly = kAttributeArchive | kAttributeReadOnly;
  struct Case {
    const char* what;
    RemovalPolicy policy;
    bool readOnlyGoes;
  } cases[] = {
      {"the privacy files of the Home groups", kListRemoval, true},
      {"the privacy rows", kPrivacyRowRemoval, false},
      {"read-only stays, Stop ends", {ReadOnlyFiles::Stay, true, RemovedFiles::Deleted}, false},
      {"read-only goes, Stop ignored", {ReadOnlyFiles::Go, false, RemovedFiles::Deleted}, true},
      {"the residual files and shortcuts, kept for recovery", kKeptListRemoval, true},
  };
  for (const Case& c : cases) {
    app.CancelFlag = true;
    host.actions.clear();
    p.files.AddFile("C:\\R\\plain.tmp");
    p.files.AddFile("C:\\R\\locked.tmp", "keep", kReadOnly);
    p.files.AddFile("C:\\R\\hidden.tmp", {}, kAttributeArchive | kAttributeHidden);
    const RemovalResult result =
        RemoveListedFiles(s, {"C:\\R\\plain.tmp", "C:\\R\\locked.tmp", "C:\\R\\hidden.tmp"}, c.policy);
    EXPECT_FALSE(p.files.Exists("C:\\R\\plain.tmp")) << c.what;
    EXPECT_FALSE(p.files.Exists("C:\\R\\hidden.tmp")) << c.what << ": hidden is not read-only";
    EXPECT_EQ(p.files.Exists("C:\\R\\locked.tmp"), !c.readOnlyGoes) << c.what;
    if (!c.readOnlyGoes) {
      EXPECT_EQ(p.files.GetFileAttributes("C:\\R\\locked.tmp"), kReadOnly) << c.what << ": attributes untouched";
      EXPECT_EQ(p.files.Contents("C:\\R\\locked.tmp"), "keep") << c.what;
      EXPECT_EQ(result.failed, (Paths{"C:\\R\\locked.tmp"})) << c.what;
      p.files.SetFileAttributes("C:\\R\\locked.tmp", kAttributeArchive);
      p.files.DeleteFile("C:\\R\\locked.tmp");
    } else {
      EXPECT_TRUE(result.failed.empty()) << c.what;
    }
    EXPECT_EQ(result.deleted, c.readOnlyGoes ? 3u : 2u) << c.what;
    EXPECT_TRUE(OutsideIntact()) << c.what;

    // Stop confirmed before the second file.
    p.files.AddFile("C:\\R\\1.tmp");
    p.files.AddFile("C:\\R\\2.tmp");
    host.actions[host.pumps + 2] = [&] { app.CancelFlag = false; };
    const RemovalResult stopped = RemoveListedFiles(s, {"C:\\R\\1.tmp", "C:\\R\\2.tmp"}, c.policy);
    EXPECT_EQ(stopped.deleted, c.policy.stopsOnCancel ? 1u : 2u) << c.what;
    EXPECT_EQ(p.files.Exists("C:\\R\\2.tmp"), c.policy.stopsOnCancel) << c.what;
    p.files.DeleteFile("C:\\R\\2.tmp");
  }
}

// ---- Shortcuts ----

TEST_F(CleaningTest, ShortcutIsListedOnlyWhenItsTargetIsSurelyGone) {
  p.files.SetDriveType('E', 5);  // optical
  p.files.SetDriveType('F', 2);  // removable
  p.files.SetDriveType('R', kDriveFixed);
  p.files.AddFile("C:\\Apps\\here.exe");
  p.files.AddFile("C:\\a.b\\x,y.txt");
  p.files.AddFile("C:\\Program Files\\There\\app.exe");
  struct Case {
    const char* target;
    bool gone;
  };
  for (const Case& c : {Case{"C:\\Apps\\missing.exe", true}, Case{"C:\\Apps\\here.exe", false},
                        Case{"C:\\Apps", false}, Case{"c:\\apps\\MISSING.txt", true},
                        Case{"%ProgramFiles%\\Gone\\app.exe", true}, Case{"%PROGRAMFILES%\\There\\app.exe", false},
                        Case{"%APPDATA%\\Gone\\app.exe", false}, Case{"E:\\setup.exe", false},
                        Case{"F:\\stick\\doc.txt", false}, Case{"G:\\absent.exe", false},
                        Case{"R:\\late.exe", false}, Case{"\\\\server\\share\\a.exe", false},
                        Case{"\\Apps\\missing.exe", false}, Case{"missing.exe", false}, Case{"", false},
                        Case{"C:\\a.b\\x,y.txt", false}, Case{"D:\\Outside\\victim.tmp", false}}) {
    EXPECT_EQ(ShortcutTargetIsGone(s, c.target), c.gone) << c.target;
  }
}

TEST_F(CleaningTest, ShortcutSearchSkipsRecycleBinsLinksAndOtherExtensions) {
  const std::string gone = fake::FakePlatform::ShortcutBytes("C:\\Gone\\app.exe");
  p.files.AddFile("C:\\Prof\\Desk\\one.lnk", gone);
  p.files.AddFile("C:\\Prof\\Desk\\TWO.LNK", gone);
  p.files.AddFile("C:\\Prof\\Desk\\three.lnk2", gone);
  p.files.AddFile("C:\\Prof\\Desk\\broken.lnk", "not a shortcut");
  p.files.AddFile("C:\\Prof\\Desk\\panel.lnk", fake::FakePlatform::ShortcutBytes(""));
  p.files.AddFile("C:\\Prof\\$Recycle.Bin\\old.lnk", gone);
  AddLinks("C:\\Prof\\");
  p.registry.SetString(RootKey::ClassesRoot, "\\.exe", "", "exefile");
  p.registry.SetString(RootKey::ClassesRoot, "\\exefile\\DefaultIcon", "", "%1,3");
  struct Rows : ShortcutObserver {
    std::vector<InvalidShortcut> rows;
    void Found(const InvalidShortcut& f) override { rows.push_back(f); }
  } rows;
  Paths list;
  std::size_t scanned = 0;
  ScanShortcuts(s, "C:\\Prof\\", list, rows, scanned);
  EXPECT_EQ(AsSet(list), (std::set<std::string>{"C:\\Prof\\Desk\\one.lnk", "C:\\Prof\\Desk\\TWO.LNK"}));
  ASSERT_EQ(rows.rows.size(), 2u);
  EXPECT_EQ(rows.rows[0].target, "C:\\Gone\\app.exe");
  EXPECT_EQ(rows.rows[0].icon.file, "%1");
  EXPECT_EQ(rows.rows[0].icon.index, 3);
  EXPECT_EQ(scanned, 5u);
}

}  // namespace
}  // namespace qrv::testing
