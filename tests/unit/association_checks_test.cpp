#include <gtest/gtest.h>

#include "registry_scan/association_checks.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

using testing::Lines;
constexpr RootKey kHkcr = RootKey::ClassesRoot;

class AssociationsTest : public testing::CheckTest {};

TEST_F(AssociationsTest, AnExtensionHoldingOnlyItsDanglingClassIsDeletedWhole) {
  p.registry.SetString(kHkcr, "\\.gone", "", "gonefile");
  p.registry.SetString(kHkcr, "\\.txt", "", "txtfile");
  p.registry.CreateKey(kHkcr, "\\txtfile");
  CheckAssociations(s);
  EXPECT_EQ(Slot(3), (Lines{"Relation not found: .gone"}));
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_CLASSES_ROOT\\.gone]", ""}));
  EXPECT_EQ(UndoLines(), (Lines{"[HKEY_CLASSES_ROOT\\.gone]", "@=\"gonefile\"", ""}));
  Repair();
  EXPECT_FALSE(Has(kHkcr, "\\.gone"));
  EXPECT_TRUE(Has(kHkcr, "\\.txt"));
}

// Its handler lists, content type and New-menu entry are not broken: only the
// dangling class name goes.
TEST_F(AssociationsTest, AnExtensionHoldingMoreLosesOnlyItsDanglingClass) {
  p.registry.SetString(kHkcr, "\\.doc", "", "Gone.Document.8");
  p.registry.SetString(kHkcr, "\\.doc", "Content Type", "application/msword");
  p.registry.SetString(kHkcr, "\\.doc\\OpenWithProgids", "WordPad.Document.1", "");
  p.registry.CreateKey(kHkcr, "\\.doc\\ShellNew");
  p.registry.SetString(kHkcr, "\\.cfg", "", "gonecfg");
  p.registry.SetString(kHkcr, "\\.cfg", "PerceivedType", "text");
  CheckAssociations(s);
  EXPECT_EQ(Slot(3), (Lines{"Relation not found: .cfg", "Relation not found: .doc"}));
  EXPECT_EQ(FixLines(), (Lines{"[HKEY_CLASSES_ROOT\\.cfg]", "@=-", "", "[HKEY_CLASSES_ROOT\\.doc]", "@=-", ""}));
  EXPECT_EQ(UndoLines(), (Lines{"[HKEY_CLASSES_ROOT\\.cfg]", "@=\"gonecfg\"", "",
                                "[HKEY_CLASSES_ROOT\\.doc]", "@=\"Gone.Document.8\"", ""}));
  Repair();
  EXPECT_FALSE(HasValue(kHkcr, "\\.doc", ""));
  EXPECT_TRUE(HasValue(kHkcr, "\\.doc", "Content Type"));
  EXPECT_TRUE(HasValue(kHkcr, "\\.doc\\OpenWithProgids", "WordPad.Document.1"));
  EXPECT_TRUE(Has(kHkcr, "\\.doc\\ShellNew"));
  EXPECT_TRUE(HasValue(kHkcr, "\\.cfg", "PerceivedType"));
  ImportUndo();
  EXPECT_EQ(p.registry.GetValue(kHkcr, "\\.doc", "")->data, StringData("Gone.Document.8"));
}

TEST_F(AssociationsTest, ExtensionsWithoutABrokenClassAreNeverReported) {
  p.registry.SetString(kHkcr, "\\.empty", "", "");
  p.registry.SetDword(kHkcr, "\\.number", "", 5);
  p.registry.SetString(kHkcr, "\\.none", "Content Type", "text/plain");
  p.registry.SetString(kHkcr, "\\.case", "", "mixedcase.file");
  p.registry.CreateKey(kHkcr, "\\MixedCase.File");
  p.registry.SetString(kHkcr, "\\.hidden", "", "hiddenclass");
  p.registry.CreateKey(kHkcr, "\\hiddenclass");
  p.registry.MarkCannotOpen(kHkcr, "\\hiddenclass");  // there, but not readable
  p.registry.SetString(kHkcr, "\\.locked", "", "goneclass");
  p.registry.MarkNotWritable(kHkcr, "\\.locked");
  p.registry.SetString(kHkcr, "\\notanextension", "", "goneclass");
  p.registry.SetString(kHkcr, "\\.lf\n", "", "goneclass");
  CheckAssociations(s);
  EXPECT_TRUE(NothingQueued());
}

TEST_F(AssociationsTest, ProgressCountsEveryNameNotOnlyExtensions) {
  for (const char* name : {"\\aaa", "\\.b", "\\ccc", "\\ddd"}) p.registry.CreateKey(kHkcr, name);
  CheckAssociations(s);
  EXPECT_EQ(host.widths.size(), 3u);  // 25, 50 and 75 percent
}

}  // namespace
}  // namespace qrv
