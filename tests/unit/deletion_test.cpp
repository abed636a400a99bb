// What every removal of the Clean Up tab and of Repair & Optimize deletes:
// the file it listed, at that path; never what a link there leads to, never
// anything in the program's own folders. Each command runs as QRVCli runs it,
// on an in-memory Windows whose links to files behave as Wine's do.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cleaning/file_walk.h"
#include "cli/cli_session.h"
#include "engine/text.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

using Args = std::vector<std::string>;

const std::string kGoneShortcut = fake::FakePlatform::ShortcutBytes("C:\\Nowhere\\app.exe");

// A user's Windows with something outside the walked folders, reached only
// through links: a document, an index file, a shortcut to nothing, a residual file.
struct World {
  World() {
    testing::SetUpUserFolders(p);
    p.shellFolders[csidl::kProfile] = "C:\\Users\\tester";
    p.environment["TMP"] = p.environment["TEMP"] = "C:\\Users\\tester\\Temp";
    p.urlHistory = {"http://example.com/a"};  // so that the history row has something to clean
    p.files.SetDriveType('D', kDriveFixed);
    for (const char* name : {"doc.txt", "index.dat", "gone.lnk", "old.tmp"})
      p.files.AddFile(std::string("D:\\Outside\\") + name, name == std::string("gone.lnk") ? kGoneShortcut : "keep");
  }
  cli::Outcome Run(const Args& args) {
    p.mutexes.clear();  // one process after another
    return cli::RunArguments(p, args);
  }
  // The entry itself, not what it leads to.
  bool Listed(const std::string& path) const {
    const auto slash = path.rfind('\\');
    const auto names = p.files.FilesIn(path.substr(0, slash));
    return std::find(names.begin(), names.end(), path.substr(slash + 1)) != names.end();
  }
  bool OutsideIntact() const {
    for (const char* name : {"doc.txt", "index.dat", "gone.lnk", "old.tmp"})
      if (!p.files.Exists(std::string("D:\\Outside\\") + name)) return false;
    return true;
  }
  fake::FakePlatform p;
};

TEST(DeletionTest, FakeLinksToFilesBehaveAsWines) {
  World world;
  fake::FakePlatform& p = world.p;
  p.files.AddFileLink("C:\\Seed\\cache.tmp", "D:\\Outside\\doc.txt");
  EXPECT_EQ(p.files.GetFileAttributes("C:\\Seed\\cache.tmp"), kAttributeArchive);
  const auto entries = p.files.FindFiles("C:\\Seed");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2].attributes, kAttributeArchive) << "no reparse point: a plain file";
  EXPECT_EQ(p.files.Contents("C:\\Seed\\cache.tmp"), "keep");
  EXPECT_EQ(p.files.DeleteFileItself("C:\\Seed\\cache.tmp", true), FileSystem::Deletion::NotThatFile);
  EXPECT_TRUE(p.files.Exists("D:\\Outside\\doc.txt"));
  // A deletion by path deletes the target and leaves the link.
  EXPECT_EQ(p.files.DeleteFile("C:\\Seed\\cache.tmp"), kErrorSuccess);
  EXPECT_FALSE(p.files.Exists("D:\\Outside\\doc.txt"));
  EXPECT_TRUE(world.Listed("C:\\Seed\\cache.tmp"));
  EXPECT_EQ(p.files.DeleteFileItself("C:\\Seed\\cache.tmp", true), FileSystem::Deletion::NotFound);
}

// Every walk that deletes, with a healthy listed file beside a link to a file
// outside and a link to a folder outside: the file goes, the outside stays.
TEST(DeletionTest, EveryRemovalDeletesTheListedFileNeverWhatALinkLeadsTo) {
  struct Walk {
    const char* what;
    std::string folder;
    std::string listed;  // a healthy file the command removes
    std::string link;    // a link to a file outside, named as the walk would list it
    std::string target;
    Args command;
  };
  const std::string temp = "C:\\Users\\tester\\Temp\\", cache = "C:\\Users\\tester\\Cache\\",
                    cookies = "C:\\Users\\tester\\Cookies\\", history = "C:\\Users\\tester\\History\\",
                    desktop = "C:\\Users\\tester\\Desktop\\";
  const std::vector<Walk> walks{
      {"temporary folders", temp, "scratch.txt", "cache.tmp", "doc.txt", {"privacy", "clean", "--rows", "1"}},
      {"browser cache", cache, "page.htm", "cache.tmp", "doc.txt", {"privacy", "clean", "--rows", "2"}},
      {"history index files", history, "Day\\index.dat", "index.dat", "index.dat", {"privacy", "clean", "--rows", "3"}},
      {"cookies", cookies, "me@site.txt", "you@site.txt", "doc.txt", {"privacy", "clean", "--rows", "4"}},
      {"residual search", "C:\\Seed\\", "old.tmp", "cache.tmp", "doc.txt", {"junk", "remove", "--root", "C:\\Seed"}},
      {"shortcut search", "C:\\Seed\\", "gone.lnk", "dead.lnk", "gone.lnk", {"shortcuts", "remove", "--root", "C:\\Seed"}},
      {"Home group 3", temp, "scratch.txt", "cache.tmp", "doc.txt", {"home", "repair", "--groups", "3"}},
      {"Home group 4", history, "Day\\index.dat", "index.dat", "index.dat", {"home", "repair", "--groups", "4"}},
      {"Home group 5", cookies, "me@site.txt", "you@site.txt", "doc.txt", {"home", "repair", "--groups", "5"}},
      {"Home group 6", "C:\\Seed\\", "old.tmp", "cache.tmp", "doc.txt", {"home", "repair", "--groups", "6"}},
      {"Home group 7", desktop, "gone.lnk", "dead.lnk", "gone.lnk", {"home", "repair", "--groups", "7"}},
  };
  for (const Walk& w : walks) {
    SCOPED_TRACE(w.what);
    World world;
    fake::FakePlatform& p = world.p;
    p.files.AddFile(w.folder + w.listed, w.listed.find(".lnk") != std::string::npos ? kGoneShortcut : "x");
    p.files.AddFileLink(w.folder + w.link, "D:\\Outside\\" + w.target);
    p.files.AddLink(w.folder + "Out", "D:\\Outside");
    const cli::Outcome o = world.Run(w.command);
    EXPECT_EQ(o.exitCode, 0) << o.out << o.err;
    EXPECT_FALSE(p.files.Exists(w.folder + w.listed)) << o.out;
    EXPECT_TRUE(world.OutsideIntact()) << o.out;
    EXPECT_TRUE(world.Listed(w.folder + w.link)) << "the link is left as it is";
  }
}

// The program's own folders hold look-alikes of everything the walks look
// for; none is listed or removed, while the same beside them is.
TEST(DeletionTest, TheProgramsOwnFoldersAreNeverSearchedNorDeletedFrom) {
  const std::string roaming = "C:\\Users\\tester\\AppData\\Roaming\\";
  const std::string undo = roaming + "Quorvane\\Undo\\", log = roaming + "Quorvane\\Log\\",
                    program = "C:\\Program Files\\Quorvane\\";
  struct Walk {
    const char* what;
    std::string name;  // put in each own folder and beside them
    Args command;
  };
  const std::vector<Walk> walks{
      {"shortcut search from the profile", "Undo 2026-12-09 1.lnk", {"shortcuts", "remove"}},
      {"residual search of the drive", "spare.tmp", {"junk", "remove", "--root", "C:\\"}},
      {"temporary folders around them", "spare.txt", {"privacy", "clean", "--rows", "1"}},
      {"Home groups 3, 6, 7", "spare.bak", {"home", "repair", "--groups", "3,6,7"}},
      {"Home group 7", "Undo 2026-12-09 1.lnk", {"home", "repair", "--groups", "7"}},
  };
  for (const Walk& w : walks) {
    SCOPED_TRACE(w.what);
    World world;
    fake::FakePlatform& p = world.p;
    p.environment["TMP"] = p.environment["TEMP"] = roaming;  // the temporary folder holds the log and undo folders
    p.moduleFileName = program + "Quorvane.exe";
    const std::string bytes = w.name.find(".lnk") != std::string::npos ? kGoneShortcut : "x";
    for (const std::string& folder : {undo, log, program}) p.files.AddFile(folder + w.name, bytes);
    p.files.AddFile(roaming + w.name, bytes);
    const cli::Outcome o = world.Run(w.command);
    EXPECT_EQ(o.exitCode, 0) << o.out << o.err;
    EXPECT_FALSE(p.files.Exists(roaming + w.name)) << "the healthy case: found and removed\n" << o.out;
    for (const std::string& folder : {undo, log, program}) {
      EXPECT_TRUE(p.files.Exists(folder + w.name)) << folder;
      EXPECT_EQ(UpperCaseText(o.out).find(UpperCaseText(folder + w.name)), std::string::npos) << o.out;
    }
  }
}

TEST(OwnFolderTest, APathIsOwnOnlyWhenBelowOneOfTheThreeFolders) {
  FolderSet f;
  f.ProgramFolder = "C:\\Program Files\\Quorvane";
  f.LogFolder = "C:\\Data\\Log\\";  // as a user may have stored it
  f.UndoFolder = "c:\\data\\undo";
  struct Case {
    const char* path;
    bool own;
  };
  for (const Case& c : {Case{"C:\\Program Files\\Quorvane", true}, Case{"C:\\PROGRAM FILES\\QUORVANE\\x.tmp", true},
                        Case{"C:\\Data\\Undo\\Undo 1.lnk", true}, Case{"C:\\Data\\Log\\", true},
                        Case{"C:\\Program Files\\Quorvane2\\x.tmp", false}, Case{"C:\\Data\\Logs\\x.tmp", false},
                        Case{"C:\\Data\\", false}, Case{"C:\\Data\\x.tmp", false}})
    EXPECT_EQ(IsInOwnFolder(f, c.path), c.own) << c.path;
  f.ProgramFolder = "C:";  // a program in a drive's root keeps no folder of its own
  EXPECT_FALSE(IsInOwnFolder(f, "C:\\x.tmp"));
}

}  // namespace
}  // namespace qrv
