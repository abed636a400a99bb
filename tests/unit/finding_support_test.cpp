#include "registry_scan/finding_support.h"

#include "unit/check_fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;

class PendingFindingTest : public testing::CheckTest {};

// A finding reaches the lists with its backup and its lines, or not at all.
TEST_F(PendingFindingTest, NoHalfFindings) {
  p.registry.SetString(kHkcu, "\\Software\\V", "n", "C:\\x");
  const auto attempt = [&](const std::function<void(PendingFinding&)>& build) {
    PendingFinding f(s, 10, "line");
    build(f);
    return f.Commit(true);
  };
  EXPECT_FALSE(attempt([](PendingFinding& f) {  // the value went away before its backup
    f.DeleteValue(kHkcu, "\\Software\\V", "vanished");
    f.BackUpValue(kHkcu, "\\Software\\V", "vanished");
  }));
  p.registryEditorAvailable = false;
  EXPECT_FALSE(attempt([](PendingFinding& f) {  // the key cannot be exported
    f.DeleteKey(kHkcu, "\\Software\\V");
    f.BackUpKey(kHkcu, "\\Software\\V");
  }));
  p.registryEditorAvailable = true;
  EXPECT_FALSE(attempt([](PendingFinding& f) {  // a name no line can hold
    f.DeleteValue(kHkcu, "\\Software\\V", std::string("n\0x", 3));
    f.BackUpValue(kHkcu, "\\Software\\V", "n");
  }));
  EXPECT_FALSE(attempt([](PendingFinding& f) {  // a deletion that would make the repair refuse everything
    f.DeleteKey(kHkcu, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    f.BackUpValue(kHkcu, "\\Software\\V", "n");
  }));
  EXPECT_FALSE(attempt([](PendingFinding& f) { f.DeleteValue(kHkcu, "\\Software\\V", "n"); }));  // no backup
  EXPECT_TRUE(NothingQueued());
  EXPECT_TRUE(p.files.FilesIn(app.folders.UndoFolder).empty()) << "no export file is left behind";

  PendingFinding f(s, 10, "two\r\nlines");
  f.DeleteValue(kHkcu, "\\Software\\V", "n");
  f.BackUpValue(kHkcu, "\\Software\\V", "n");
  ASSERT_TRUE(f.Commit(true));
  EXPECT_EQ(Slot(10), (testing::Lines{"two  lines"})) << "a display line stays one line in the log";
}

}  // namespace
}  // namespace qrv
