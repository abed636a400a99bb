#include <gtest/gtest.h>

#include "engine/registry_ops.h"
#include "fake/fake_platform.h"

namespace qrv {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
const char* const kKey = "\\Software\\Test";

class RegistryOpsTest : public ::testing::Test {
 protected:
  fake::FakeRegistry reg;
  void TearDown() override { EXPECT_EQ(reg.OpenHandles(), 0u) << "every operation closes its key"; }
};

TEST_F(RegistryOpsTest, ListsKeysInNameOrderAndValuesInCreationOrder) {
  reg.CreateKey(kHkcu, "\\Software\\Test\\beta");
  reg.CreateKey(kHkcu, "\\Software\\Test\\Alpha");
  reg.CreateKey(kHkcu, "\\Software\\Test\\GAMMA");
  reg.SetString(kHkcu, kKey, "zeta", "1");
  reg.SetString(kHkcu, kKey, "Alpha", "2");
  std::vector<std::string> list{"stale"};
  EXPECT_EQ(ReadKeyNames(reg, kHkcu, kKey, list), 3u);
  EXPECT_EQ(list, (std::vector<std::string>{"Alpha", "beta", "GAMMA"}));
  EXPECT_EQ(ReadValueNames(reg, kHkcu, kKey, list), 2u);
  EXPECT_EQ(list, (std::vector<std::string>{"zeta", "Alpha"}));
  EXPECT_EQ(ReadKeyNames(reg, kHkcu, "\\Software\\Missing", list), 0u);
  EXPECT_TRUE(list.empty()) << "a key that does not open clears the list";
}

TEST_F(RegistryOpsTest, NamesMatchWithoutRegardToCaseAndKeepTheirCase) {
  reg.SetString(kHkcu, "\\Software\\MixedCase", "Value", "x");
  EXPECT_TRUE(KeyExists(reg, kHkcu, "\\SOFTWARE\\mixedcase"));
  EXPECT_TRUE(ValueExists(reg, kHkcu, "\\software\\MIXEDCASE", "VALUE"));
  EXPECT_EQ(reg.StoredName(kHkcu, "\\software\\mixedcase"), "MixedCase");
}

TEST_F(RegistryOpsTest, TypedReads) {
  reg.SetString(kHkcu, kKey, "s", "c:\\Windows\\\xC3\xA9");
  reg.SetExpandString(kHkcu, kKey, "e", "%windir%\\x");
  reg.SetDword(kHkcu, kKey, "d", 7);
  reg.SetValue(kHkcu, kKey, "b", regtype::kBinary, std::string("\x01\x02", 2));
  EXPECT_EQ(ReadUpperString(reg, kHkcu, kKey, "s"), "C:\\WINDOWS\\\xC3\xA9") << "only a to z are upper-cased";
  EXPECT_EQ(ReadUpperString(reg, kHkcu, kKey, "e"), "%WINDIR%\\X");
  EXPECT_EQ(ReadUpperString(reg, kHkcu, kKey, "d"), "");
  EXPECT_EQ(ReadDword(reg, kHkcu, kKey, "d"), 7u);
  EXPECT_EQ(ReadDword(reg, kHkcu, kKey, "s"), 0u);
  EXPECT_TRUE(ReadFlag(reg, kHkcu, kKey, "d"));
  EXPECT_FALSE(ReadFlag(reg, kHkcu, kKey, "missing"));
  EXPECT_EQ(ReadDateTime(reg, kHkcu, kKey, "b", 123.0), 123.0) << "too short for a date-time";
  WriteDateTime(reg, kHkcu, kKey, "t", 40000.25);
  EXPECT_EQ(ReadDateTime(reg, kHkcu, kKey, "t", 1.0), 40000.25);
  EXPECT_EQ(ReadDateTime(reg, kHkcu, kKey, "missing", 99.0), 99.0);
}

TEST_F(RegistryOpsTest, ReadPathFromBinary) {
  static const char kBytes[] = "\x3F\x00\x3F\x00" "C\x00:\x00\\\x00" "a\x00.\x00t\x00x\x00t\x00\x00\x00";
  const std::string utf16(kBytes, sizeof kBytes - 1);
  reg.SetValue(kHkcu, kKey, "p", regtype::kBinary, utf16);
  EXPECT_EQ(ReadPathFromBinary(reg, kHkcu, kKey, "p"), "C:\\a.txt") << "zero bytes dropped, cut to the drive";
  reg.SetValue(kHkcu, kKey, "n", regtype::kBinary, "no path here");
  EXPECT_EQ(ReadPathFromBinary(reg, kHkcu, kKey, "n"), "");
  reg.SetValue(kHkcu, kKey, "empty", regtype::kBinary, "");
  EXPECT_EQ(ReadPathFromBinary(reg, kHkcu, kKey, "empty"), "");
  reg.SetString(kHkcu, kKey, "str", "C:\\x");
  EXPECT_EQ(ReadPathFromBinary(reg, kHkcu, kKey, "str"), "") << "only binary values";
}

TEST_F(RegistryOpsTest, WritesCreateTheKeyAndKeepTypes) {
  WriteString(reg, kHkcu, "\\Software\\New\\Deep", "s", "text");
  WriteFlag(reg, kHkcu, "\\Software\\New\\Deep", "f", true);
  EXPECT_EQ(ReadString(reg, kHkcu, "\\Software\\New\\Deep", "s"), "text");
  EXPECT_EQ(reg.GetValue(kHkcu, "\\Software\\New\\Deep", "f")->type, regtype::kDword);
  EXPECT_EQ(ReadDword(reg, kHkcu, "\\Software\\New\\Deep", "f"), 1u);
}

TEST_F(RegistryOpsTest, KeysThatRefuseWritingOrOpening) {
  reg.SetString(kHkcu, "\\Software\\Locked", "v", "1");
  reg.CreateKey(kHkcu, "\\Software\\Locked\\Sub");
  reg.MarkNotWritable(kHkcu, "\\Software\\Locked");
  EXPECT_TRUE(KeyExists(reg, kHkcu, "\\Software\\Locked"));
  EXPECT_FALSE(KeyIsWritable(reg, kHkcu, "\\Software\\Locked"));
  EXPECT_FALSE(DeleteValue(reg, kHkcu, "\\Software\\Locked", "v"));
  EXPECT_TRUE(ValueExists(reg, kHkcu, "\\Software\\Locked", "v")) << "a refused deletion deletes nothing";
  WriteString(reg, kHkcu, "\\Software\\Locked", "w", "x");
  EXPECT_FALSE(ValueExists(reg, kHkcu, "\\Software\\Locked", "w"));
  EXPECT_TRUE(KeyHasSubkeys(reg, kHkcu, "\\Software\\Locked"));

  reg.CreateKey(kHkcu, "\\Software\\Hidden\\Sub");
  reg.MarkCannotOpen(kHkcu, "\\Software\\Hidden");
  std::vector<std::string> list;
  EXPECT_FALSE(KeyExists(reg, kHkcu, "\\Software\\Hidden"));
  EXPECT_FALSE(KeyHasSubkeys(reg, kHkcu, "\\Software\\Hidden"));
  EXPECT_EQ(ReadKeyNames(reg, kHkcu, "\\Software\\Hidden", list), 0u);
  EXPECT_FALSE(KeyIsWritable(reg, kHkcu, "\\Software\\Hidden"));
}

TEST_F(RegistryOpsTest, DeleteValueOnlyTheNamedOne) {
  reg.SetString(kHkcu, kKey, "a", "1");
  reg.SetString(kHkcu, kKey, "b", "2");
  EXPECT_TRUE(DeleteValue(reg, kHkcu, kKey, "A"));
  EXPECT_FALSE(DeleteValue(reg, kHkcu, kKey, "a")) << "already gone";
  EXPECT_FALSE(DeleteValue(reg, kHkcu, "\\Software\\Nowhere", "b"));
  EXPECT_FALSE(KeyExists(reg, kHkcu, "\\Software\\Nowhere")) << "deleting never creates the key";
  EXPECT_TRUE(ValueExists(reg, kHkcu, kKey, "b"));
}

TEST_F(RegistryOpsTest, TheRawInterfaceRefusesALeadingBackslashAsWindowsDoes) {
  reg.CreateKey(kHkcu, "Software\\X");
  RegHandle h = 0;
  EXPECT_EQ(reg.RegOpenKeyEx(kHkcu, "\\Software\\X", RegAccess::Read, h), kErrorBadPathname);
  EXPECT_TRUE(KeyExists(reg, kHkcu, "\\Software\\X")) << "the operations strip it";
}

// The kernel names a key by its hive: the machine, the user's own key, the
// user's classes hive, another user. A name that only begins like a hive,
// or lies outside these, is placed nowhere.
TEST(RealPathFromKernelName, PlacesEachHive) {
  const std::string user = "\\REGISTRY\\USER\\S-1-5-21-7-1000";
  const struct {
    const char* name;
    std::optional<RootKey> root;
    const char* path;
  } cases[] = {
      {"\\REGISTRY\\MACHINE\\SOFTWARE\\Wow6432Node\\Vendor", RootKey::LocalMachine, "SOFTWARE\\Wow6432Node\\Vendor"},
      {"\\Registry\\Machine\\Software\\Classes\\Wow6432Node\\CLSID\\{A}", RootKey::LocalMachine,
       "Software\\Classes\\Wow6432Node\\CLSID\\{A}"},
      {"\\REGISTRY\\USER\\S-1-5-21-7-1000\\Software\\X", RootKey::CurrentUser, "Software\\X"},
      {"\\REGISTRY\\USER\\S-1-5-21-7-1000_Classes\\Wow6432Node\\CLSID", RootKey::CurrentUser,
       "Software\\Classes\\Wow6432Node\\CLSID"},
      {"\\REGISTRY\\USER\\S-1-5-21-7-10000\\Software", RootKey::Users, "S-1-5-21-7-10000\\Software"},
      {"\\REGISTRY\\USER\\.DEFAULT\\Software", RootKey::Users, ".DEFAULT\\Software"},
      {"\\REGISTRY\\MACHINEX\\SOFTWARE", std::nullopt, ""},
      {"\\REGISTRY\\USER", std::nullopt, ""},
      {"\\Device\\Something", std::nullopt, ""},
      {"", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    const auto real = RealPathFromKernelName(c.name, user);
    ASSERT_EQ(real.has_value(), c.root.has_value()) << c.name;
    if (!real) continue;
    EXPECT_EQ(real->root, *c.root) << c.name;
    EXPECT_EQ(real->path, c.path) << c.name;
  }
}

}  // namespace
}  // namespace qrv
