#include "registry_scan/temp_values.h"

#include "engine/registry_ops.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

using testing::Lines;
constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;
const std::string kRunMru = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

TEST(TempRegistryKeysTest, TwentyTwoHistoryKeysInCallingOrder) {
  const auto& keys = TempRegistryKeys();
  ASSERT_EQ(keys.size(), 22u);
  EXPECT_EQ(keys[0], kRunMru);
  EXPECT_EQ(keys[9], "\\SOFTWARE\\Gabest\\Media Player Classic\\Recent File List");
  EXPECT_EQ(keys[21], "\\SOFTWARE\\Far\\Viewer\\LastPositions");
}

class CleanTempRegTest : public testing::CheckTest {};

TEST_F(CleanTempRegTest, EveryStringValueOfAHistoryKeyGoesIntoBothScripts) {
  p.registry.SetString(kHkcu, kRunMru, "a", "notepad\\1");
  p.registry.SetString(kHkcu, kRunMru, "b", "cmd\\1");
  p.registry.SetString(kHkcu, kRunMru, "MRUList", "ba");
  p.registry.SetDword(kHkcu, kRunMru, "Count", 2);
  p.registry.SetString(kHkcu, kRunMru, "Blank", "");
  CleanTempReg(s, kRunMru);
  CleanTempReg(s, "\\SOFTWARE\\Far\\Viewer\\LastPositions");  // not there
  const std::string prefix = "HKEY_CURRENT_USER" + kRunMru + "\\";
  EXPECT_EQ(Slot(10), (Lines{prefix + "a=NOTEPAD\\1", prefix + "b=CMD\\1", prefix + "MRUList=BA"}));
  const std::string key = "[HKEY_CURRENT_USER" + kRunMru + "]";
  const Lines fix{key, "\"a\"=-", "", key, "\"b\"=-", "", key, "\"MRUList\"=-", ""};
  EXPECT_EQ(FixLines(), fix);
  EXPECT_EQ(TempLines(), fix);
  Repair();
  Lines left;
  ReadValueNames(p, kHkcu, kRunMru, left);
  EXPECT_EQ(left, (Lines{"Count", "Blank"}));
  ImportUndo();
  EXPECT_EQ(ReadString(p, kHkcu, kRunMru, "MRUList"), "ba");
}

TEST_F(CleanTempRegTest, UnnamedAndOddNamesAndStop) {
  const std::string typed = "\\SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs";
  p.registry.SetString(kHkcu, typed, "", "http://example.com/");
  p.registry.SetString(kHkcu, typed, "url\"1\\x", "http://example.org/");
  p.registry.SetString(kHkcu, typed, "url\r2", "http://example.net/");
  p.registry.SetString(kHkcu, typed, "url3", "http://example.edu/");
  host.actions[3] = [&] { app.CancelFlag = false; };  // Stop at the third value
  CleanTempReg(s, typed);
  const std::string key = "[HKEY_CURRENT_USER" + typed + "]";
  EXPECT_EQ(FixLines(), (Lines{key, "@=-", "", key, "\"url\\\"1\\\\x\"=-", ""}));
  EXPECT_EQ(Slot(10).size(), 2u);
  EXPECT_EQ(host.pumps, 4) << "the loop runs out without work";
  CleanTempReg(s, typed);
  EXPECT_EQ(host.pumps, 4) << "a stopped scan returns at once";
}

class ApplicationsHistoryTest : public testing::CheckTest {
 protected:
  void Value(RootKey root, const std::string& key, const std::string& name, const std::string& text) {
    p.registry.SetString(root, key, name, text);
  }
  void Scan() {
    CleanApplicationsHistory(s, kHkcu, "\\SOFTWARE\\");
    CleanApplicationsHistory(s, kHklm, "\\SOFTWARE\\");
  }
};

TEST_F(ApplicationsHistoryTest, ValuesNamingWhatIsGoneAreReportedAtAnyDepth) {
  Value(kHkcu, "\\SOFTWARE\\SomeVendor\\App", "LastDoc", "C:\\Docs\\report.doc");
  Value(kHkcu, "\\SOFTWARE\\SomeVendor\\App", "Kept", "C:\\Docs");
  p.files.AddFolder("C:\\Docs");
  Value(kHkcu, "\\SOFTWARE\\Deep\\A\\B\\C\\D", "", "\"C:\\Gone\\deep.exe\" /open");
  Value(kHklm, "\\SOFTWARE\\Vendor", "InstallDir", "C:\\Gone Vendor\\");
  Scan();
  EXPECT_EQ(Slot(10), (Lines{"HKEY_CURRENT_USER\\SOFTWARE\\Deep\\A\\B\\C\\D\\=C:\\GONE\\DEEP.EXE",
                             "HKEY_CURRENT_USER\\SOFTWARE\\SomeVendor\\App\\LastDoc=C:\\DOCS\\REPORT.DOC",
                             "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\InstallDir=C:\\GONE VENDOR\\"}));
  const Lines fix{"[HKEY_CURRENT_USER\\SOFTWARE\\Deep\\A\\B\\C\\D\\]", "@=-", "",
                  "[HKEY_CURRENT_USER\\SOFTWARE\\SomeVendor\\App\\]", "\"LastDoc\"=-", "",
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\]", "\"InstallDir\"=-", ""};
  EXPECT_EQ(FixLines(), fix);
  EXPECT_EQ(TempLines(), fix);
  EXPECT_EQ(UndoLines()[0], "[HKEY_CURRENT_USER\\SOFTWARE\\Deep\\A\\B\\C\\D]");
  Repair();
  EXPECT_FALSE(ValueExists(p, kHkcu, "\\SOFTWARE\\SomeVendor\\App", "LastDoc"));
  EXPECT_TRUE(ValueExists(p, kHkcu, "\\SOFTWARE\\SomeVendor\\App", "Kept"));
}

TEST_F(ApplicationsHistoryTest, HealthyAndUnjudgeableValuesAndForeignTreesStay) {
  const std::string key = "\\SOFTWARE\\Vendor\\App";
  p.files.AddFile("C:\\Tools\\agent.com");
  p.files.AddFile("C:\\windows\\System32\\helper.dll");
  p.files.SetDriveType('E', 2);
  Value(kHkcu, key, "Tilde", "C:\\PROGRA~1\\Gone\\gone.exe");
  Value(kHkcu, key, "Dollar", "C:\\$Gone\\x.txt");
  Value(kHkcu, key, "Commas", "C:\\gone\\a,b,c.txt");
  Value(kHkcu, key, "Short", "C:\\x");
  Value(kHkcu, key, "NoColon", "\\gone\\file.txt");
  Value(kHkcu, key, "Url", "http://example.com/a\\b");
  Value(kHkcu, key, "Args", "C:\\Tools\\agent.com /x");
  Value(kHkcu, key, "InSystem", "rundll32 C:\\old\\helper.dll,Run");
  Value(kHkcu, key, "Removable", "E:\\Photos\\x.jpg");
  Value(kHkcu, key, "Network", "Z:\\share\\x.doc");
  Value(kHkcu, key, "Placeholder", "C:\\%VENDORDIR%\\x.doc");
  p.registry.SetDword(kHkcu, key, "Number", 1);
  // Trees that are not the applications' own history.
  for (const char* tree : {"\\SOFTWARE\\Microsoft\\Office", "\\SOFTWARE\\Vendor\\microsoft\\Plugin",
                           "\\SOFTWARE\\Classes\\.doc", "\\SOFTWARE\\Policies\\Vendor", "\\SOFTWARE\\Quorvane"})
    Value(kHkcu, tree, "Doc", "C:\\Gone\\doc.txt");
  // CleanTempReg reports history values already.
  Value(kHkcu, "\\SOFTWARE\\WinRAR\\ArcHistory", "0", "C:\\Gone\\a.rar");
  // A key the user may not change is skipped with its whole subtree.
  Value(kHklm, "\\SOFTWARE\\Locked\\Sub", "Doc", "C:\\Gone\\doc.txt");
  p.registry.MarkNotWritable(kHklm, "\\SOFTWARE\\Locked");
  Scan();
  EXPECT_TRUE(NothingQueued());
}

TEST_F(ApplicationsHistoryTest, StopEndsTheWalk) {
  Value(kHkcu, "\\SOFTWARE\\A", "Doc", "C:\\Gone\\a.txt");
  Value(kHkcu, "\\SOFTWARE\\B", "Doc", "C:\\Gone\\b.txt");
  app.CancelFlag = false;
  Scan();
  EXPECT_TRUE(NothingQueued());
}

class CleanEmptyKeysTest : public testing::CheckTest {};

TEST_F(CleanEmptyKeysTest, AVendorTreeWithoutAnyValueIsQueuedWhole) {
  p.registry.CreateKey(kHkcu, "\\Software\\EmptyVendor\\A\\B");
  p.registry.CreateKey(kHkcu, "\\Software\\EmptyVendor\\C");
  p.registry.SetString(kHkcu, "\\Software\\DeepVendor\\1\\2\\3\\4\\5", "x", "1");
  p.registry.CreateKey(kHkcu, "\\Software\\DeepVendor\\Other");
  CleanEmptyKeys(s);
  EXPECT_EQ(Slot(10), (Lines{"HKEY_CURRENT_USER\\SOFTWARE\\EmptyVendor"}));
  const Lines fix{"[-HKEY_CURRENT_USER\\SOFTWARE\\EmptyVendor]", ""};
  EXPECT_EQ(FixLines(), fix);
  EXPECT_EQ(TempLines(), fix);
  EXPECT_EQ(UndoLines()[0], "[HKEY_CURRENT_USER\\SOFTWARE\\EmptyVendor]");
  Repair();
  EXPECT_FALSE(p.registry.HasKey(kHkcu, "\\Software\\EmptyVendor"));
  EXPECT_TRUE(p.registry.HasKey(kHkcu, "\\Software\\DeepVendor\\Other"));
  ImportUndo();
  EXPECT_TRUE(p.registry.HasKey(kHkcu, "\\Software\\EmptyVendor\\A\\B"));
}

TEST_F(CleanEmptyKeysTest, SystemUnreadableAndLockedKeysStay) {
  p.registry.CreateKey(kHkcu, "\\Software\\Microsoft\\Windows");
  p.registry.CreateKey(kHkcu, "\\Software\\Classes");
  p.registry.CreateKey(kHkcu, "\\Software\\Policies\\Microsoft");
  p.registry.SetString(kHkcu, "\\Software\\Hidden\\Inner", "x", "1");
  p.registry.MarkCannotOpen(kHkcu, "\\Software\\Hidden\\Inner");
  p.registry.CreateKey(kHkcu, "\\Software\\Locked");
  p.registry.MarkNotWritable(kHkcu, "\\Software\\Locked");
  CleanEmptyKeys(s);
  EXPECT_TRUE(NothingQueued());
}

TEST_F(CleanEmptyKeysTest, AWalkCutShortByStopNeverQueuesTheKey) {
  p.registry.CreateKey(kHkcu, "\\Software\\Vendor\\A");
  p.registry.SetString(kHkcu, "\\Software\\Vendor\\Z", "x", "1");
  // Pump 1 is the loop's, 2 the walk's start, 3 before the first subkey.
  host.actions[3] = [&] { app.CancelFlag = false; };
  CleanEmptyKeys(s);
  EXPECT_TRUE(NothingQueued());
}

}  // namespace
}  // namespace qrv
