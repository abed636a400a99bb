#include "registry_scan/interface_checks.h"

#include "engine/registry_ops.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

using testing::Lines;
constexpr RootKey kHkcr = RootKey::ClassesRoot;

const std::string kLib = "{AAAAAAAA-0000-0000-0000-000000000001}";
const std::string kStub = "{00020424-0000-0000-C000-000000000046}";
const std::string kGone = "{FFFFFFFF-0000-0000-0000-00000000000";  // + a digit

class InterfaceCheckTest : public testing::CheckTest {
 protected:
  void SetUp() override {
    CheckTest::SetUp();
    p.registry.SetString(kHkcr, "\\TypeLib\\" + kLib + "\\1.0", "", "Library");
    p.registry.SetString(kHkcr, "\\CLSID\\" + kStub + "\\InprocServer32", "", "oleaut32.dll");
  }
  // An interface with the given links; an empty text leaves that subkey out.
  std::string Interface(const std::string& g, const std::string& lib, const std::string& stub,
                        const std::string& stub32) {
    const std::string k = "\\Interface\\" + g;
    p.registry.SetString(kHkcr, k, "", "IThing");
    if (!lib.empty()) p.registry.SetString(kHkcr, k + "\\TypeLib", "", lib);
    if (!stub.empty()) p.registry.SetString(kHkcr, k + "\\ProxyStubClsid", "", stub);
    if (!stub32.empty()) p.registry.SetString(kHkcr, k + "\\ProxyStubClsid32", "", stub32);
    return k;
  }
};

TEST_F(InterfaceCheckTest, HealthyInterfacesGiveNothing) {
  Interface("{10000000-0000-0000-0000-000000000001}", kLib, kStub, kStub);
  Interface("{10000000-0000-0000-0000-000000000002}", "", "", "");
  Interface("{10000000-0000-0000-0000-000000000003}", "{aaaaaaaa-0000-0000-0000-000000000001}", "", kStub);
  CheckInterfaces(s);
  EXPECT_TRUE(NothingQueued());
}

TEST_F(InterfaceCheckTest, EmptyRegistrationsMissingLibrariesAndMissingProxies) {
  const std::string empty = "\\Interface\\{E0000000-0000-0000-0000-000000000001}";
  p.registry.CreateKey(kHkcr, empty + "\\ProxyStubClsid32");
  // A missing library ends the candidate: its missing proxy is not reported too.
  const std::string noLib = Interface("{20000000-0000-0000-0000-000000000001}", kGone + "1}", "", kGone + "2}");
  const std::string noStubs = Interface("{30000000-0000-0000-0000-000000000001}", kLib, kGone + "3}", kGone + "4}");
  CheckInterfaces(s);
  EXPECT_EQ(Slot(5), (Lines{"Relation not found: " + kGone + "1}", "Relation not found: " + kGone + "3}",
                            "[HKCR]" + noStubs + "\\ProxyStubClsid32\\" + kGone + "4}", "[HKCR]" + empty}));
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_CLASSES_ROOT" + noLib + "]", "",
                               "[-HKEY_CLASSES_ROOT" + noStubs + "\\ProxyStubClsid]", "",
                               "[-HKEY_CLASSES_ROOT" + noStubs + "\\ProxyStubClsid32]", "",
                               "[-HKEY_CLASSES_ROOT" + empty + "]", ""}));
  EXPECT_EQ(UndoLines()[0], "[HKEY_CLASSES_ROOT" + noLib + "]");
  EXPECT_TRUE(TempLines().empty()) << "only the temporary-value cleaners write there";
  Repair();
  EXPECT_TRUE(p.registry.HasKey(kHkcr, noStubs + "\\TypeLib")) << "the interface itself stays";
  EXPECT_FALSE(p.registry.HasKey(kHkcr, noStubs + "\\ProxyStubClsid"));
  EXPECT_FALSE(p.registry.HasKey(kHkcr, empty));
  ImportUndo();
  EXPECT_TRUE(p.registry.HasKey(kHkcr, empty + "\\ProxyStubClsid32"));
  EXPECT_EQ(ReadString(p, kHkcr, noLib + "\\ProxyStubClsid32", ""), kGone + "2}");
}

TEST_F(InterfaceCheckTest, LockedUnreadableOrStoppedRegistrationsAreLeftAlone) {
  const std::string locked = "\\Interface\\{40000000-0000-0000-0000-000000000001}";
  p.registry.CreateKey(kHkcr, locked);
  p.registry.MarkNotWritable(kHkcr, locked);
  // A subkey that cannot be read may hold values: the registration is not empty.
  const std::string hidden = "\\Interface\\{40000000-0000-0000-0000-000000000002}\\Secret";
  p.registry.SetString(kHkcr, hidden, "v", "1");
  p.registry.MarkCannotOpen(kHkcr, hidden);
  // Classes and libraries that are there but may not be read are not missing.
  const std::string hiddenLib = "{AAAAAAAA-0000-0000-0000-0000000000FF}";
  p.registry.CreateKey(kHkcr, "\\TypeLib\\" + hiddenLib);
  p.registry.MarkCannotOpen(kHkcr, "\\TypeLib\\" + hiddenLib);
  const std::string hiddenStub = "{BBBBBBBB-0000-0000-0000-0000000000FF}";
  p.registry.CreateKey(kHkcr, "\\CLSID\\" + hiddenStub);
  p.registry.MarkCannotOpen(kHkcr, "\\CLSID\\" + hiddenStub);
  Interface("{40000000-0000-0000-0000-000000000003}", hiddenLib, "", "");
  Interface("{40000000-0000-0000-0000-000000000004}", kLib, hiddenStub, hiddenStub);
  // A proxy subkey the user may not change, in an interface that may be changed.
  const std::string lockedStub = Interface("{40000000-0000-0000-0000-000000000005}", kLib, "", kGone + "5}");
  p.registry.MarkNotWritable(kHkcr, lockedStub + "\\ProxyStubClsid32");
  CheckInterfaces(s);
  EXPECT_TRUE(NothingQueued());

  // Stop in the middle of the value walk, before it reaches the only value.
  p.registry.DeleteKeyTree(kHkcr, "\\Interface");
  const std::string g = "\\Interface\\{50000000-0000-0000-0000-000000000001}";
  p.registry.CreateKey(kHkcr, g + "\\A");
  p.registry.SetString(kHkcr, g + "\\C", "held", "1");
  host.pumps = 0;
  host.actions[3] = [&] { app.CancelFlag = false; };  // loop, walk start, first subkey
  CheckInterfaces(s);
  EXPECT_TRUE(NothingQueued());
}

class TypeLibCheckTest : public testing::CheckTest {
 protected:
  void Version(const std::string& lib, const std::string& v) {
    p.registry.SetString(kHkcr, "\\TypeLib\\" + lib + "\\" + v + "\\0\\win32", "", "C:\\lib.tlb");
  }
};

TEST_F(TypeLibCheckTest, EmptyLibrariesAndBlankHelpFoldersOfTheFirstVersion) {
  Version(kLib, "1.0");
  p.registry.SetString(kHkcr, "\\TypeLib\\" + kLib + "\\1.0\\HELPDIR", "", "C:\\Help");
  Version("{AAAAAAAA-0000-0000-0000-000000000002}", "2.0");  // no HELPDIR key at all
  const std::string lib = "{AAAAAAAA-0000-0000-0000-000000000003}";
  Version(lib, "1.0");
  Version(lib, "2.0");
  p.registry.SetDword(kHkcr, "\\TypeLib\\" + lib + "\\1.0\\HELPDIR", "", 7);  // a number reads as empty
  p.registry.SetString(kHkcr, "\\TypeLib\\" + lib + "\\2.0\\HELPDIR", "", "");  // not the first version
  p.registry.CreateKey(kHkcr, "\\TypeLib\\{EEEEEEEE-0000-0000-0000-000000000001}\\1.0\\0");
  CheckTypeLib(s);
  EXPECT_EQ(Slot(5), (Lines{"Relation not found: \\Typelib\\" + lib + "\\1.0\\HELPDIR",
                            "Relation not found: {EEEEEEEE-0000-0000-0000-000000000001}"}));
  EXPECT_EQ(FixLines(), (Lines{"[-HKEY_CLASSES_ROOT\\Typelib\\" + lib + "\\1.0\\HELPDIR]", "",
                               "[-HKEY_CLASSES_ROOT\\Typelib\\{EEEEEEEE-0000-0000-0000-000000000001}]", ""}));
  Repair();
  EXPECT_TRUE(p.registry.HasKey(kHkcr, "\\TypeLib\\" + lib + "\\1.0\\0\\win32"));
  EXPECT_TRUE(p.registry.HasKey(kHkcr, "\\TypeLib\\" + lib + "\\2.0\\HELPDIR"));
  EXPECT_TRUE(p.registry.HasKey(kHkcr, "\\TypeLib\\" + kLib + "\\1.0\\HELPDIR"));
}

TEST_F(TypeLibCheckTest, ExcludedLibrariesAreNeverExaminedInAnyLetterCase) {
  p.registry.CreateKey(kHkcr, "\\TypeLib\\{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}");
  p.registry.CreateKey(kHkcr, "\\TypeLib\\{43136eb0-d36c-11cf-adbc-00aa00a80033}");
  p.registry.CreateKey(kHkcr, "\\TypeLib\\{EEEEEEEE-0000-0000-0000-000000000002}");
  CheckTypeLib(s);
  EXPECT_EQ(Slot(5), (Lines{"Relation not found: {EEEEEEEE-0000-0000-0000-000000000002}"}));
  // They do not move the bar; the third item gives 67 %, 357 pixels.
  ASSERT_EQ(host.widths.size(), 1u);
  EXPECT_EQ(host.widths[0].pixels, 357);
}

}  // namespace
}  // namespace qrv
