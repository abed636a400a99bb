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
  EXPECT_FALSE(fs.DeleteFile("C:\\Data\\ro.txt")) << "read-only";
  EXPECT_FALSE(fs.DeleteFile("C:\\Data\\locked.dat"));
  EXPECT_FALSE(fs.DeleteFile("C:\\Data")) << "a folder is not a file";
  EXPECT_TRUE(fs.SetFileAttributes("C:\\Data\\ro.txt", kAttributeArchive));
  EXPECT_TRUE(fs.DeleteFile("C:\\Data\\ro.txt"));
  EXPECT_TRUE(fs.MoveFileExDelayUntilReboot("C:\\Data\\locked.dat"));
  EXPECT_EQ(fs.DeleteAtRestart(), (std::vector<std::string>{"C:\\Data\\locked.dat"}));
  EXPECT_TRUE(FileExists(fs, "C:\\Data\\Keep.txt"));
  const auto entries = fs.FindFiles("C:\\Data");
  ASSERT_EQ(entries.size(), 4u);  // ".", "..", Keep.TXT, locked.dat
  EXPECT_EQ(entries[2].name, "Keep.TXT");
  EXPECT_EQ(fs.GetDriveType("C:\\"), kDriveFixed);
  EXPECT_FALSE(fs.WriteFile("C:\\Missing\\x.txt", "x")) << "no parent folder";
  EXPECT_TRUE(ForceDirectories(fs, "C:\\A\\B\\C"));
  EXPECT_TRUE(fs.WriteFile("C:\\A\\B\\C\\x.txt", "x"));
  EXPECT_FALSE(ForceDirectories(fs, "Q:\\NoDrive"));
}

}  // namespace
}  // namespace qrv
