// The file operations against Wine's real file system.
#include <gtest/gtest.h>

#include "wine/wine_env.h"

namespace qrv::wine {
namespace {

// DeleteFile tells in use, denied and gone apart, and deletes nothing it refuses.
TEST(FilesWineTest, DeleteFileSaysWhyItFailed) {
  Win32Platform p;
  const std::string folder = TestFolders(p).ProgramFolder + "\\Delete";
  ForceDirectories(p, folder);
  const std::string open = folder + "\\open.txt", readOnly = folder + "\\ro.txt", plain = folder + "\\plain.txt";
  for (const std::string& f : {open, readOnly, plain}) ASSERT_TRUE(p.WriteFile(f, "x")) << f;
  ASSERT_TRUE(p.SetFileAttributes(readOnly, kAttributeReadOnly));
  {
    // Held open without delete sharing, as a running program holds its files.
    const win32::UniqueHandle held(
        ::CreateFileW(win32::Wide(open).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());
    EXPECT_EQ(p.DeleteFile(open), kErrorSharingViolation);
  }
  EXPECT_EQ(p.DeleteFile(readOnly), kErrorAccessDenied);
  EXPECT_EQ(p.DeleteFile(folder + "\\gone.txt"), kErrorFileNotFound);
  EXPECT_TRUE(FileExists(p, open));
  EXPECT_TRUE(FileExists(p, readOnly));
  EXPECT_EQ(p.DeleteFile(plain), kErrorSuccess);
  EXPECT_FALSE(FileExists(p, plain));
  EXPECT_EQ(p.DeleteFile(open), kErrorSuccess) << "no longer in use";
  p.SetFileAttributes(readOnly, kAttributeArchive);
  p.DeleteFile(readOnly);
}

}  // namespace
}  // namespace qrv::wine
