#include <gtest/gtest.h>

#include "engine/text.h"
#include "registry_scan/registry_scan.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;
constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RootKey kHkcu = RootKey::CurrentUser;

class RegistryViewsTest : public testing::CheckTest {};

// On 64-bit Windows each branch holds the 32-bit view as "Wow6432Node". The
// node looks like a ProgID without a class, an empty vendor key and a tree of
// dead paths at once; no check may take it, or anything below it, for an
// entry of its own.
TEST_F(RegistryViewsTest, TheThirtyTwoBitViewNodeIsNeverAnEntry) {
  p.registry.SetString(kHkcr, "\\Wow6432Node\\CLSID\\{0000031A-0000-0000-C000-000000000046}\\InprocServer32", "",
                       "C:\\windows\\SysWOW64\\gone32.dll");
  // What makes the node look like a ProgID whose class is gone.
  p.registry.SetString(kHkcr, "\\CLSID\\{00000000-0000-0000-0000-000000000001}", "", "A healthy class");
  p.registry.SetString(kHkcr, "\\Wow6432Node\\CLSID", "", "{DEAD0000-0000-0000-0000-000000000000}");
  p.registry.SetString(kHkcr, "\\Wow6432Node\\Interface\\{0000-1}", "", "IThing");
  p.registry.SetString(kHkcr, "\\Wow6432Node\\TypeLib\\{0000-2}\\1.0\\HELPDIR", "", "");
  p.registry.SetString(kHklm, "\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\x.exe", "",
                       "C:\\Gone\\x.exe");
  p.registry.SetString(kHklm, "\\SOFTWARE\\Wow6432Node\\Vendor", "Path", "C:\\Gone\\vendor.exe");
  p.registry.SetString(kHkcu, "\\Software\\Wow6432Node\\Vendor", "Path", "C:\\Gone\\vendor.exe");
  p.registry.CreateKey(kHkcu, "\\Software\\Wow6432Node\\Empty");
  app.ScanMode = kScanModeRegistry;

  RegistryScan(app, host).Run();
  for (int n = 1; n <= kRegistryCategories; ++n)
    for (const std::string& line : Slot(n)) EXPECT_EQ(line.find("Wow6432Node"), std::string::npos) << n << ": " << line;
  for (const std::string& line : app.FixScript.Lines())
    EXPECT_EQ(UpperCaseText(line).find("WOW6432NODE"), std::string::npos) << line;
  for (const std::string& line : app.TempValueScript.Lines())
    EXPECT_EQ(UpperCaseText(line).find("WOW6432NODE"), std::string::npos) << line;
}

}  // namespace
}  // namespace qrv
