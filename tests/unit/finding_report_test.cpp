#include "registry_scan/finding_report.h"

#include "unit/check_fixture.h"

namespace qrv {
namespace {

using testing::Lines;
constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHkcr = RootKey::ClassesRoot;

class PendingFindingTest : public testing::CheckTest {
 protected:
  bool Attempt(const std::function<void(PendingFinding&)>& build) {
    PendingFinding f(s, 10, "line");
    build(f);
    return f.Commit(AlsoTempValues::Yes);
  }
};

// A finding reaches the lists with its backup and its lines, or not at all.
TEST_F(PendingFindingTest, NoHalfFindings) {
  p.registry.SetString(kHkcu, "\\Software\\V", "n", "C:\\x");
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // the value went away before its backup
    f.DeleteValue(kHkcu, "\\Software\\V", "vanished");
    f.BackUpValue(kHkcu, "\\Software\\V", "vanished");
  }));
  p.registry.SetString(kHkcu, "\\Software\\W\\Sub", "line\nend", "x");
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // the key's branch cannot be written exactly
    f.DeleteKey(kHkcu, "\\Software\\W");
    f.BackUpKey(kHkcu, "\\Software\\W");
  }));
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // a name no line can hold
    f.DeleteValue(kHkcu, "\\Software\\V", std::string("n\0x", 3));
    f.BackUpValue(kHkcu, "\\Software\\V", "n");
  }));
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // no leading backslash: the writer refuses the line
    f.DeleteKey(kHkcu, "Software\\V");
    f.BackUpKey(kHkcu, "Software\\V");
  }));
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // a deletion that would make the repair refuse everything
    f.DeleteKey(kHkcu, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    f.BackUpKey(kHkcu, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
  }));
  EXPECT_FALSE(Attempt([](PendingFinding& f) { f.DeleteValue(kHkcu, "\\Software\\V", "n"); }));  // no backup
  EXPECT_FALSE(Attempt([](PendingFinding& f) { f.BackUpValue(kHkcu, "\\Software\\V", "n"); }));  // no fix line
  EXPECT_TRUE(NothingQueued());
  EXPECT_TRUE(p.files.FilesIn(app.folders.UndoFolder).empty()) << "no export file is left behind";

  PendingFinding f(s, 10, std::string("two\r\nlines\0!", 12));
  f.DeleteValue(kHkcu, "\\Software\\V", "n");
  f.BackUpValue(kHkcu, "\\Software\\V", "n");
  ASSERT_TRUE(f.Commit(AlsoTempValues::Yes));
  EXPECT_EQ(Slot(10), (Lines{"two  lines !"})) << "a display line stays one line in the log";
}

// Every key or value the fix lines delete or change lies inside a backup.
TEST_F(PendingFindingTest, NothingIsChangedOutsideItsBackup) {
  p.registry.SetString(kHkcu, "\\Software\\V", "n", "1");
  p.registry.SetString(kHkcu, "\\Software\\V", "m", "2");
  p.registry.SetString(kHkcu, "\\Software\\V\\Sub", "", "3");
  p.registry.SetString(kHkcu, "\\Software\\Vx", "", "4");
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // another value saved
    f.DeleteValue(kHkcu, "\\Software\\V", "n");
    f.BackUpValue(kHkcu, "\\Software\\V", "m");
  }));
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // one value saved, the whole key deleted
    f.DeleteKey(kHkcu, "\\Software\\V");
    f.BackUpValue(kHkcu, "\\Software\\V", "");
  }));
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // a subkey saved, its parent deleted
    f.DeleteKey(kHkcu, "\\Software\\V");
    f.BackUpKey(kHkcu, "\\Software\\V\\Sub");
  }));
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // a key whose name only begins like the saved one
    f.DeleteKey(kHkcu, "\\Software\\Vx");
    f.BackUpKey(kHkcu, "\\Software\\V");
  }));
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // the same path under another root
    f.DeleteKey(kHkcr, "\\Software\\V");
    f.BackUpKey(kHkcu, "\\Software\\V");
  }));
  EXPECT_FALSE(Attempt([](PendingFinding& f) {  // the second change is not saved
    f.DeleteValue(kHkcu, "\\Software\\V", "n");
    f.DeleteValue(kHkcu, "\\Software\\V", "m");
    f.BackUpValue(kHkcu, "\\Software\\V", "n");
  }));
  EXPECT_TRUE(NothingQueued());

  // A subkey deleted inside its saved parent; a value inside a saved key.
  EXPECT_TRUE(Attempt([](PendingFinding& f) {
    f.DeleteKey(kHkcu, "\\Software\\V\\Sub");
    f.BackUpKey(kHkcu, "\\SOFTWARE\\v\\");
  }));
  EXPECT_TRUE(Attempt([](PendingFinding& f) {
    f.SetDefault(kHkcu, "\\Software\\Vx\\", "");
    f.BackUpKey(kHkcu, "\\Software\\Vx");
  }));
  EXPECT_EQ(Slot(10).size(), 2u);
  Repair();
  EXPECT_FALSE(Has(kHkcu, "\\Software\\V\\Sub"));
  EXPECT_TRUE(HasValue(kHkcu, "\\Software\\V", "n"));
}

// The repair could not carry out a change to a key the user may not change.
TEST_F(PendingFindingTest, AKeyThatCannotBeChangedGivesNoFinding) {
  p.registry.SetString(kHkcr, "\\CLSID\\{A}\\InprocServer32", "", "x.dll");
  p.registry.MarkNotWritable(kHkcr, "\\CLSID\\{A}\\InprocServer32");
  EXPECT_FALSE(ReportKeyDeletion(s, 4, "shown", kHkcr, "\\CLSID\\{A}\\InprocServer32", "\\CLSID\\{A}"));
  EXPECT_FALSE(ReportValueDeletion(s, 4, "shown", kHkcr, "\\CLSID\\{A}\\InprocServer32", ""));
  EXPECT_TRUE(NothingQueued());
  EXPECT_TRUE(ReportKeyDeletion(s, 4, "shown", kHkcr, "\\CLSID\\{A}"));
  EXPECT_EQ(Slot(4), (Lines{"shown"}));
  EXPECT_TRUE(TempLines().empty()) << "only when asked";
}

}  // namespace
}  // namespace qrv
