// The start-up sequence on a real (Wine) Windows: the program entry's tests,
// the folder set and the seeding of the settings.
#include <gtest/gtest.h>

#include "wine/wine_env.h"

#include "core/startup.h"
#include "engine/registry_ops.h"

namespace qrv::wine {
namespace {

TEST(StartupWineTest, StartsAndSeedsTheSettings) {
  Win32Platform p;
  EXPECT_EQ(p.GetVersionMajor(), 6u);
  const bool fresh = !KeyExists(p, RootKey::CurrentUser, kSettingsKey);
  EXPECT_EQ(ProgramEntry(p), EntryDecision::Start);
  EXPECT_TRUE(p.OpenMutex(kMutexName)) << "the single-instance mutex now exists";

  AppState state(p);
  LoadSettings(state);
  const FolderSet& f = state.folders;
  EXPECT_FALSE(f.UserName.empty());
  EXPECT_EQ(f.WindowsFolder.back(), '\\');
  EXPECT_FALSE(f.AppDataFolder.empty());
  EXPECT_NE(f.ProgramFilesFolder.find(":\\"), std::string::npos);
  EXPECT_TRUE(FolderExists(p, f.LogFolder)) << f.LogFolder;
  EXPECT_TRUE(FolderExists(p, f.UndoFolder)) << f.UndoFolder;
  EXPECT_GT(f.TmpFolder.size(), 3u);
  EXPECT_EQ(ReadString(p, RootKey::CurrentUser, kSettingsKey, "DisplayName"), "Tessaline");
  EXPECT_EQ(ReadString(p, RootKey::CurrentUser, kSettingsKey, "UndoDir"), f.UndoFolder);
  EXPECT_EQ(ReadString(p, RootKey::CurrentUser, kElevationKey, p.GetModuleFileName()), kElevationData);
  EXPECT_EQ(state.language.Text(TextId::ButtonsScan), "Scan");

  std::printf("start-up smoke (%s prefix): program folder %s, log folder %s, undo folder %s, TMP %s\n",
              fresh ? "fresh" : "used", f.ProgramFolder.c_str(), f.LogFolder.c_str(), f.UndoFolder.c_str(),
              f.TmpFolder.c_str());
}

}  // namespace
}  // namespace qrv::wine
