// The Clean Up tab's commands of QRVCli on the in-memory Windows.
#include <gtest/gtest.h>

#include "cli/cli_session.h"
#include "core/startup.h"
#include "engine/registry_ops.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

class CliCleaningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::SetUpUserFolders(p);
    p.files.SetDriveType('D', kDriveFixed);
    p.files.AddFile("D:\\Outside\\victim.tmp");
    p.files.AddFile("C:\\Seed\\a.tmp", "abc", kAttributeArchive, 39874.5);
    p.files.AddFile("C:\\Seed\\Sub\\b.BAK", "", kAttributeArchive | kAttributeReadOnly, 39874.5);
    p.files.AddFile("C:\\Seed\\Sub\\keep.txt");
    p.files.AddFile("C:\\Seed\\Data.bak");
    p.files.AddLink("C:\\Seed\\Out", "D:\\Outside");
  }
  // One command after another, as separate processes (each holds the mutex while it runs).
  cli::Outcome Run(std::vector<std::string> args) {
    p.mutexes.clear();
    return cli::RunArguments(p, args);
  }
  fake::FakePlatform p;
};

TEST_F(CliCleaningTest, JunkFindListsAndRemoveDeletesExactlyThat) {
  cli::Outcome o = Run({"junk", "find", "--root", "C:\\Seed", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out,
            "{\"root\":\"C:\\\\Seed\\\\\",\"scanned\":4,\"files\":["
            "{\"path\":\"C:\\\\Seed\\\\a.tmp\",\"date\":\"2009-03-02\",\"size\":3},"
            "{\"path\":\"C:\\\\Seed\\\\Sub\\\\b.BAK\",\"date\":\"2009-03-02\",\"size\":0}],\"total\":2}\n");
  EXPECT_TRUE(p.files.Exists("C:\\Seed\\a.tmp"));
  EXPECT_GT(ReadDateTime(p, RootKey::CurrentUser, kSettingsKey, "RunDate3", 0), 0);

  o = Run({"junk", "remove", "--root", "C:\\Seed\\", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_NE(o.out.find("\"total\":2,\"removed\":2,\"failed\":[]}"), std::string::npos) << o.out;
  EXPECT_FALSE(p.files.Exists("C:\\Seed\\a.tmp"));
  EXPECT_FALSE(p.files.Exists("C:\\Seed\\Sub\\b.BAK"));
  for (const char* kept : {"C:\\Seed\\Sub\\keep.txt", "C:\\Seed\\Data.bak", "D:\\Outside\\victim.tmp"})
    EXPECT_TRUE(p.files.Exists(kept)) << kept;
}

TEST_F(CliCleaningTest, ShortcutsScanAndRemove) {
  p.files.AddFile("C:\\Seed\\gone.lnk", fake::FakePlatform::ShortcutBytes("C:\\Gone\\app.exe"));
  p.files.AddFile("C:\\Seed\\fine.lnk", fake::FakePlatform::ShortcutBytes("C:\\Seed\\Sub\\keep.txt"));
  p.files.AddFile("D:\\Outside\\out.lnk", fake::FakePlatform::ShortcutBytes("C:\\Gone\\app.exe"));
  cli::Outcome o = Run({"shortcuts", "remove", "--root", "C:\\Seed", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out,
            "{\"root\":\"C:\\\\Seed\\\\\",\"scanned\":6,\"shortcuts\":["
            "{\"link\":\"C:\\\\Seed\\\\gone.lnk\",\"target\":\"C:\\\\Gone\\\\app.exe\"}],"
            "\"total\":1,\"removed\":1,\"failed\":[]}\n");
  EXPECT_FALSE(p.files.Exists("C:\\Seed\\gone.lnk"));
  EXPECT_TRUE(p.files.Exists("C:\\Seed\\fine.lnk"));
  EXPECT_TRUE(p.files.Exists("D:\\Outside\\out.lnk"));
}

TEST_F(CliCleaningTest, RefusalsOfRowsAndRoots) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"privacy", "scan", "--rows", "0"}, {"privacy", "clean", "--rows", "1,1"},
        {"junk", "find", "--root", "C:\\Nowhere"}, {"shortcuts", "scan", "--root", "relative"}}) {
    const cli::Outcome o = Run(args);
    EXPECT_EQ(o.exitCode, 2) << args[0] << " " << args[2] << " " << args[3];
    EXPECT_TRUE(o.out.empty());
  }
  EXPECT_TRUE(p.files.Exists("C:\\Seed\\a.tmp"));
}

TEST_F(CliCleaningTest, PrivacyCleanReportsWhatWasRemovedWithItsLog) {
  p.environment["TMP"] = "C:\\Seed\\Sub";
  p.environment["TEMP"] = "C:\\Seed\\Sub";
  const cli::Outcome o = Run({"privacy", "clean", "--rows", "1", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_NE(o.out.find("{\"row\":1,\"caption\":\"Temporary folders\",\"items\":[\"C:\\\\SEED\\\\SUB\\\\b.BAK\","
                       "\"C:\\\\SEED\\\\SUB\\\\keep.txt\"],\"removed\":1}"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("\"log\":\"C:\\\\"), std::string::npos) << o.out;
  EXPECT_TRUE(p.files.Exists("C:\\Seed\\Sub\\b.BAK")) << "read-only files stay on the privacy page";
  EXPECT_FALSE(p.files.Exists("C:\\Seed\\Sub\\keep.txt"));
}

}  // namespace
}  // namespace qrv
