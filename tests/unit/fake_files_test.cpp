#include <gtest/gtest.h>

#include "engine/file_ops.h"
#include "fake/fake_platform.h"

namespace qrv {
namespace {

// The in-memory file system keeps the Windows rules the cleaning code relies on.
TEST(FakeFileSystem, WindowsPathRules) {
  fake::FakeFileSystem fs;
  fs.AddFile("C:\\Data\\Keep.TXT", "k");
  fs.AddFile("C:\\Data\\ro.txt", "r", kAttributeReadOnly);
  fs.AddFile("C:\\Data\\locked.dat", "l");
  fs.RefuseDeletion("C:\\Data\\locked.dat");
  EXPECT_TRUE(FileExists(fs, "c:\\data\\keep.txt")) << "case-insensitive";
  EXPECT_TRUE(FolderExists(fs, "C:\\DATA\\"));
  fs.AddFile("C:\\Data\\open.log", "o");
  fs.MarkInUse("C:\\Data\\open.log");
  // Deletion says why it failed, as Windows does.
  const struct {
    const char* path;
    long code;
  } refusals[] = {{"C:\\Data\\ro.txt", kErrorAccessDenied},
                  {"C:\\Data\\locked.dat", kErrorAccessDenied},
                  {"C:\\Data", kErrorAccessDenied},
                  {"C:\\Data\\open.log", kErrorSharingViolation},
                  {"C:\\Data\\gone.txt", kErrorFileNotFound}};
  for (const auto& r : refusals) {
    EXPECT_EQ(fs.DeleteFile(r.path), r.code) << r.path;
    if (r.code != kErrorFileNotFound) {
      EXPECT_TRUE(fs.Exists(r.path)) << r.path;
    }
  }
  EXPECT_TRUE(fs.SetFileAttributes("C:\\Data\\ro.txt", kAttributeArchive));
  EXPECT_EQ(fs.DeleteFile("C:\\Data\\ro.txt"), kErrorSuccess);
  EXPECT_FALSE(fs.Exists("C:\\Data\\ro.txt"));
  EXPECT_TRUE(fs.MoveFileExDelayUntilReboot("C:\\Data\\locked.dat"));
  EXPECT_EQ(fs.DeleteAtRestart(), (std::vector<std::string>{"C:\\Data\\locked.dat"}));
  EXPECT_TRUE(FileExists(fs, "C:\\Data\\Keep.txt"));
  const auto entries = fs.FindFiles("C:\\Data");
  ASSERT_EQ(entries.size(), 5u);  // ".", "..", Keep.TXT, locked.dat, open.log
  EXPECT_EQ(entries[2].name, "Keep.TXT");
  EXPECT_EQ(fs.GetDriveType("C:\\"), kDriveFixed);
  EXPECT_FALSE(fs.WriteFile("C:\\Missing\\x.txt", "x")) << "no parent folder";
  EXPECT_TRUE(ForceDirectories(fs, "C:\\A\\B\\C"));
  EXPECT_TRUE(fs.WriteFile("C:\\A\\B\\C\\x.txt", "x"));
  EXPECT_FALSE(ForceDirectories(fs, "Q:\\NoDrive"));
}

}  // namespace
}  // namespace qrv
