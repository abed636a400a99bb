// The ignore list: what an entry covers, how it is stored, and that every
// scan leaves ignored entries out while reporting their near misses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaning/privacy_scan.h"
#include "cleaning/residual_files.h"
#include "cleaning/shortcuts.h"
#include "core/ignore_list.h"
#include "engine/registry_ops.h"
#include "home/home_scan.h"
#include "registry_scan/registry_scan.h"
#include "unit/home_seed.h"
#include "unit/scan_fixture.h"

namespace qrv::testing {
namespace {

const std::string kCv = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

TEST(IgnoreListTest, WhatAnEntryCovers) {
  enum Probe { Key, Value, Path };
  struct Case {
    IgnoreEntry entry;
    Probe probe;
    RootKey root;
    std::string place;  // key path (with a leading backslash) or file path
    std::string value;
    bool covered;
  };
  const std::string run = kCv + "\\Run";
  const std::vector<Case> cases{
      // A key covers itself and what is below it, name by name, any case.
      {{"HKEY_LOCAL_MACHINE" + run, {}}, Key, kHklm, run, "", true},
      {{"HKLM" + run + "\\", {}}, Value, kHklm, run, "Tool", true},
      {{"hkey_local_machine" + run, {}}, Key, kHklm, run + "\\Sub", "", true},
      {{"HKEY_LOCAL_MACHINE" + run, {}}, Key, kHklm, run + "Once", "", false},
      {{"HKEY_LOCAL_MACHINE" + run, {}}, Key, kHkcu, run, "", false},
      // A deletion of a key above an ignored entry would take it along.
      {{"HKEY_LOCAL_MACHINE" + run, {}}, Key, kHklm, kCv, "", true},
      {{"HKEY_LOCAL_MACHINE" + run, std::string("Tool")}, Key, kHklm, kCv, "", true},
      // One value: that value only.
      {{"HKEY_LOCAL_MACHINE" + run, std::string("Tool")}, Value, kHklm, run, "TOOL", true},
      {{"HKEY_LOCAL_MACHINE" + run, std::string("Tool")}, Value, kHklm, run, "Tools", false},
      {{"HKEY_LOCAL_MACHINE" + run, std::string("Tool")}, Value, kHklm, run + "\\Sub", "Tool", false},
      {{"HKEY_LOCAL_MACHINE" + run, std::string("")}, Value, kHklm, run, "", true},
      {{"HKEY_LOCAL_MACHINE" + run, std::string("")}, Value, kHklm, run, "Tool", false},
      // The classes, however they are written.
      {{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{1}", {}}, Key, RootKey::ClassesRoot, "\\CLSID\\{1}", "", true},
      {{"HKEY_CLASSES_ROOT\\CLSID\\{1}", {}}, Key, kHkcu, "\\Software\\Classes\\CLSID\\{1}\\x", "", true},
      {{"HKEY_CLASSES_ROOT\\CLSID\\{1}", {}}, Key, RootKey::ClassesRoot, "\\CLSID\\{12}", "", false},
      // Paths: a folder covers its files, never a longer name.
      {{"C:\\Data", {}}, Path, kHklm, "C:\\Data\\a.bak", "", true},
      {{"c:/data/", {}}, Path, kHklm, "C:\\DATA\\sub\\a.bak", "", true},
      {{"C:\\Data", {}}, Path, kHklm, "C:\\Database\\a.bak", "", false},
      {{"C:\\Data\\a.bak", {}}, Path, kHklm, "C:\\Data\\a.bak2", "", false},
      {{"D:\\Data", {}}, Path, kHklm, "C:\\Data\\a.bak", "", false},
      // Entries that cannot be read cover nothing, never more.
      {{"Data\\a.bak", {}}, Path, kHklm, "C:\\Data\\a.bak", "", false},
      {{"C:\\Data\\..", {}}, Path, kHklm, "C:\\Data\\a.bak", "", false},
      {{"C:\\", {}}, Path, kHklm, "C:\\Data\\a.bak", "", false},
      {{"C:\\Data\\*.bak", {}}, Path, kHklm, "C:\\Data\\a.bak", "", false},
      {{"C:\\Data\\a.bak", std::string("x")}, Path, kHklm, "C:\\Data\\a.bak", "", false},
      {{"HKEY_LOCAL_MACHINE", {}}, Key, kHklm, run, "", false},
      {{"HKEY_NOWHERE" + run, {}}, Key, kHklm, run, "", false},
      {{"HKEY_LOCAL_MACHINE\\SOFTWARE\\\\Run", {}}, Key, kHklm, "\\SOFTWARE", "", false},
      {{"", {}}, Path, kHklm, "C:\\Data\\a.bak", "", false},
  };
  for (const Case& c : cases) {
    const IgnoreList list({c.entry});
    const bool got = c.probe == Key     ? list.CoversKey(c.root, c.place)
                     : c.probe == Value ? list.CoversValue(c.root, c.place, c.value)
                                        : list.CoversPath(c.place);
    EXPECT_EQ(got, c.covered) << IgnoreEntryText(c.entry) << " / " << c.place << " " << c.value;
  }
}

TEST(IgnoreListTest, StoredEntriesKeepTheirOrderAndValues) {
  fake::FakePlatform p;
  const IgnoreEntry file{"C:\\Data\\a.bak", {}};
  const IgnoreEntry value{"HKEY_CURRENT_USER\\Software\\X", std::string("")};
  const IgnoreEntry key{"HKEY_CURRENT_USER\\Software\\X", {}};
  EXPECT_TRUE(AddIgnoreEntry(p, file));
  EXPECT_TRUE(AddIgnoreEntry(p, value));
  EXPECT_TRUE(AddIgnoreEntry(p, key));
  EXPECT_TRUE(AddIgnoreEntry(p, {"c:\\data\\A.BAK", {}})) << "already there";
  EXPECT_EQ(LoadIgnoreEntries(p), (std::vector<IgnoreEntry>{file, value, key}));

  // Removing the whole key leaves the entry of its unnamed value.
  EXPECT_TRUE(RemoveIgnoreEntry(p, key));
  EXPECT_FALSE(RemoveIgnoreEntry(p, key));
  EXPECT_EQ(LoadIgnoreEntries(p), (std::vector<IgnoreEntry>{file, value}));
  EXPECT_TRUE(RemoveIgnoreEntry(p, value));
  // A value left behind by an interrupted removal never joins a later entry.
  const std::string subkey = std::string(kSettingsKey) + "\\Ignore";
  WriteString(p, kHkcu, subkey, "Value7", "Stale");
  EXPECT_TRUE(AddIgnoreEntry(p, key));
  EXPECT_EQ(LoadIgnoreEntries(p), (std::vector<IgnoreEntry>{file, key}));
  EXPECT_TRUE(IgnoreList(LoadIgnoreEntries(p)).CoversKey(kHkcu, "\\Software\\X\\Y"));
}

// The one-click scan and each page's scan on the seeded Windows, with an entry
// of each kind ignored and a near miss of each that must still be reported.
class IgnoredScanTest : public ::testing::Test, public ScanFixture {
 protected:
  void SetUp() override {
    SeedHomeFindings(p, app.folders);
    p.files.AddFile("C:\\Stuff\\Kept\\old.bak");
    p.files.AddFile("C:\\Stuff\\Kept2\\old.bak");
    p.files.AddFile(app.folders.TmpFolder + "keep.txt");
    p.files.AddFile(app.folders.UserProfileFolder + "Desktop\\gone2.lnk",
                    fake::FakePlatform::ShortcutBytes("C:\\Nowhere\\app2.exe"));
    p.registry.SetString(kHklm, kAppPaths + "gone2.exe", "", "C:\\gone\\gone2.exe");
    for (const IgnoreEntry& e : std::vector<IgnoreEntry>{
             {"HKEY_LOCAL_MACHINE" + kAppPaths + "gone.exe", {}},
             {"HKEY_CURRENT_USER" + kRunMru, std::string("a")},
             {"HKEY_LOCAL_MACHINE" + kAppPaths + "gone2.ex", {}},  // a near miss
             {"C:\\Stuff\\report.bak", {}},
             {"C:\\Stuff\\Kept", {}},
             {app.folders.TmpFolder + "keep.txt", {}},
             {app.folders.UserProfileFolder + "Desktop\\gone.lnk", {}},
             {"Stuff\\Kept2\\old.bak", {}},  // cannot be read: ignores nothing
         })
      ASSERT_TRUE(AddIgnoreEntry(p, e));
  }
  bool Lists(int slot, const std::string& text) const {
    for (const std::string& line : Slot(slot))
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
};

TEST_F(IgnoredScanTest, EveryScanLeavesIgnoredEntriesOutAndReportsTheNearMisses) {
  HomeScan home(app, host);
  home.Run();
  EXPECT_FALSE(Lists(1, "GONE.EXE")) << "the ignored key";
  EXPECT_TRUE(Lists(1, "GONE2.EXE")) << "its near miss";
  EXPECT_EQ(GroupCount(app, 2), 0u) << "the ignored history value";
  EXPECT_EQ(app.Slot(kSlotResidualFiles), (std::vector<std::string>{"C:\\Stuff\\Kept2\\old.bak"}));
  EXPECT_EQ(app.Slot(kSlotShortcuts), (std::vector<std::string>{app.folders.UserProfileFolder + "Desktop\\gone2.lnk"}));
  EXPECT_FALSE(Lists(kSlotTempFiles, "keep.txt"));
  EXPECT_TRUE(Lists(kSlotTempFiles, "scratch.txt"));
  // The entry beside each registry finding names what it deletes.
  ASSERT_EQ(app.FindingEntries[1].size(), 1u);
  EXPECT_EQ(app.FindingEntry(1, 0), (IgnoreEntry{"HKEY_LOCAL_MACHINE" + kAppPaths + "gone2.exe", {}}));

  app.ScanMode = kScanModeRegistry;
  RegistryScan registry(app, host);
  registry.Run();
  EXPECT_FALSE(Lists(1, "GONE.EXE"));
  EXPECT_TRUE(Lists(1, "GONE2.EXE"));
  EXPECT_TRUE(app.Slot(kSlotTempValues).empty());
  for (const std::string& line : app.FixScript.Lines()) EXPECT_EQ(line.find("gone.exe]"), std::string::npos) << line;

  PrivacyScan privacy(app, host);
  privacy.Run(AllPrivacyRows());
  EXPECT_FALSE(Lists(1, "keep.txt"));
  EXPECT_TRUE(Lists(1, "scratch.txt"));
  EXPECT_TRUE(app.Slot(kSlotTempValues).empty());

  ResidualObserver residuals;
  FindJunk(app, host, "C:\\", residuals);
  EXPECT_EQ(app.Slot(1), (std::vector<std::string>{"C:\\Stuff\\Kept2\\old.bak"}));

  ShortcutObserver shortcuts;
  FindInvalidShortcuts(app, host, app.folders.UserProfileFolder, shortcuts);
  EXPECT_EQ(app.Slot(1), (std::vector<std::string>{app.folders.UserProfileFolder + "Desktop\\gone2.lnk"}));
}

}  // namespace
}  // namespace qrv::testing
