// The registry operations, script import and key export against Wine's real
// registry and regedit.exe.
#include <gtest/gtest.h>

#include "wine/wine_env.h"

#include "engine/text.h"
#include "engine/backup.h"
#include "engine/fix_script.h"
#include "engine/reg_script_reader.h"
#include "engine/registry_ops.h"
#include "fake/dump.h"

namespace qrv::wine {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;

class RegistryWineTest : public ::testing::Test {
 protected:
  Win32Platform p;
  FolderSet folders = TestFolders(p);
  void SetUp() override { DeleteTree(HKEY_CURRENT_USER, L"Software\\QuorvaneWineTest"); }
  void TearDown() override { DeleteTree(HKEY_CURRENT_USER, L"Software\\QuorvaneWineTest"); }
  std::string Key(const std::string& sub) const { return std::string(kTestKey) + sub; }
};

TEST_F(RegistryWineTest, OperationsOnRealKeys) {
  WriteString(p, kHkcu, Key("\\b"), "Name", "c:\\Program Files\\\xC3\xA9t\xC3\xA9");
  WriteDword(p, kHkcu, Key("\\b"), "n", 0x12345678);
  WriteFlag(p, kHkcu, Key("\\b"), "f", true);
  WriteDateTime(p, kHkcu, Key("\\b"), "t", 40000.75);
  WriteString(p, kHkcu, Key("\\A"), "x", "1");
  WriteString(p, kHkcu, Key("\\c"), "x", "1");
  std::vector<std::string> list;
  EXPECT_EQ(ReadKeyNames(p, kHkcu, kTestKey, list), 3u);
  EXPECT_EQ(list, (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_EQ(ReadValueNames(p, kHkcu, Key("\\b"), list), 4u);
  EXPECT_EQ(ReadUpperString(p, kHkcu, Key("\\B"), "NAME"), "C:\\PROGRAM FILES\\\xC3\xA9T\xC3\xA9");
  EXPECT_EQ(ReadDword(p, kHkcu, Key("\\b"), "n"), 0x12345678u);
  EXPECT_TRUE(ReadFlag(p, kHkcu, Key("\\b"), "f"));
  EXPECT_EQ(ReadDateTime(p, kHkcu, Key("\\b"), "t", 0), 40000.75);
  EXPECT_TRUE(KeyExists(p, kHkcu, kTestKey));
  EXPECT_TRUE(KeyHasSubkeys(p, kHkcu, kTestKey));
  EXPECT_FALSE(KeyHasSubkeys(p, kHkcu, Key("\\A")));
  EXPECT_TRUE(KeyIsWritable(p, kHkcu, kTestKey));
  EXPECT_TRUE(KeyIsWritable(p, RootKey::LocalMachine, "\\SOFTWARE")) << "the administrator test passes";
  EXPECT_TRUE(DeleteValue(p, kHkcu, Key("\\A"), "x"));
  EXPECT_FALSE(DeleteValue(p, kHkcu, Key("\\A"), "x"));
  EXPECT_FALSE(ValueExists(p, kHkcu, Key("\\A"), "x"));
  EXPECT_TRUE(ValueExists(p, kHkcu, Key("\\c"), "X"));
  RegHandle h = 0;
  EXPECT_EQ(p.RegOpenKeyEx(kHkcu, "\\Software", RegAccess::Read, h), 0) << "the layer strips the backslash";
  p.RegCloseKey(h);
}

// Data is read into a first buffer and again into one of the size the system
// gives: every length around that buffer's must come back whole, by name and
// with the enumerated name alike.
TEST_F(RegistryWineTest, ValuesOfEveryLengthAroundTheFirstBufferReadWhole) {
  const std::size_t lengths[] = {0, 1, 1023, 1024, 1025, 4096, 70000};
  const auto pattern = [](std::size_t n) {
    std::string data;
    for (std::size_t i = 0; i < n; ++i) data += static_cast<char>((i * 7 + n) & 0xFF);
    return data;
  };
  RegKey key = RegKey::Create(p, kHkcu, Key("\\Lengths"));
  for (std::size_t n : lengths)
    ASSERT_EQ(p.RegSetValueEx(key.Handle(), "v" + std::to_string(n), regtype::kBinary, pattern(n)), kErrorSuccess);
  std::string name;
  std::uint32_t type = 0;
  std::string data;
  std::size_t seen = 0;
  for (std::uint32_t i = 0; p.RegEnumValue(key.Handle(), i, name, &type, &data) == kErrorSuccess; ++i, ++seen) {
    std::uint32_t queriedType = 0;
    std::string queried;
    ASSERT_EQ(p.RegQueryValueEx(key.Handle(), name, queriedType, queried), kErrorSuccess) << name;
    EXPECT_EQ(data, pattern(std::stoul(name.substr(1)))) << name;
    EXPECT_EQ(queried, data) << name;
    EXPECT_EQ(type, regtype::kBinary);
    EXPECT_EQ(queriedType, regtype::kBinary);
  }
  EXPECT_EQ(seen, std::size(lengths));
}

TEST_F(RegistryWineTest, ApplyFixScriptImportsExactlyTheNamedValues) {
  const std::string dlls = Key("\\SharedDLLs");
  const std::string cyrillic = "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\\a.dll";
  for (const std::string& name : std::vector<std::string>{"C:\\new\\tab.dll", "C:\x0A" "ew\\tab.dll", "C:newtab.dll", "quote\"d", cyrillic,
                                 std::string("C:\\????\\a.dll")})
    WriteDword(p, kHkcu, dlls, name, 1);
  RegScript script(ScriptFlavour::Regedit4);
  script.Start();
  script.AddKey(kHkcu, dlls);
  script.AddDeleteValue("C:\\new\\tab.dll");
  script.AddDeleteValue("quote\"d");
  script.AddDeleteValue(cyrillic);
  script.AddBlank();
  ASSERT_EQ(ApplyFixScript(p, folders, script), ApplyResult::Imported);
  std::vector<std::string> left;
  ReadValueNames(p, kHkcu, dlls, left);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"C:\x0A" "ew\\tab.dll", "C:\\????\\a.dll", "C:newtab.dll"}));
}

TEST_F(RegistryWineTest, BackupKeyExportsTheKeyWithItsSubkeys) {
  WriteString(p, kHkcu, Key("\\App"), "Path", "C:\\App");
  WriteDword(p, kHkcu, Key("\\App\\Sub\\Deeper"), "n", 2);
  RegScript undo(ScriptFlavour::Version5);
  undo.Start();
  ASSERT_TRUE(BackupKey(p, undo, kHkcu, Key("\\App")));
  std::string all;
  for (const auto& line : undo.Lines()) all += line + "\n";
  EXPECT_NE(all.find("[HKEY_CURRENT_USER\\Software\\QuorvaneWineTest\\App]\n\"Path\"=\"C:\\\\App\""),
            std::string::npos) << all;
  EXPECT_NE(all.find("[HKEY_CURRENT_USER\\Software\\QuorvaneWineTest\\App\\Sub\\Deeper]\n\"n\"=dword:00000002"),
            std::string::npos) << all;
  EXPECT_FALSE(FileExists(p, folders.UndoFolder + "\\tmp.reg"));
  EXPECT_FALSE(BackupKey(p, undo, kHkcu, Key("\\Missing")));
}

// Back up a tree holding every value type and hostile names, delete it with a
// fix script, import the undo file with regedit: the tree is back exactly.
TEST_F(RegistryWineTest, UndoFileRestoresEveryTypeAndHostileName) {
  const std::vector<std::string> names = {
      "plain", "", "quote\"inside", "back\\slash", "C:\\new\\table", "close]bracket", "equals=sign", "@",
      "\xD0\x96\xD1\x83\xD0\xBA \xE4\xB8\xAD\xE6\x96\x87 \xCE\xB1", std::string(255, 'L'), "trailing\\"};
  const std::vector<RegValue> values = {
      {regtype::kString, StringData("C:\\dir\\\"q\"\\")},
      {regtype::kExpandString, StringData("%SystemRoot%\\x")},
      {regtype::kMultiString, StringData("one") + StringData("\xC3\xA9") + std::string(2, '\0')},
      {regtype::kDword, std::string("\x78\x56\x34\x12", 4)},
      {regtype::kQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
      {regtype::kBinary, std::string("\x00\xFF\x10", 3)},
      {regtype::kBinary, ""},
      {regtype::kNone, std::string("\x05", 1)},
      {regtype::kString, StringData("two\r\nlines")},
      {regtype::kString, StringData("")},
  };
  const std::string byValue = Key("\\Values");
  const std::string byKey = Key("\\Tree");
  RegScript undo(ScriptFlavour::Version5);
  undo.Start();
  RegScript fix(ScriptFlavour::Regedit4);
  fix.Start();
  fix.AddKey(kHkcu, byValue);
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (const std::string& key : {byValue, byKey + "\\Sub" + std::to_string(i % 3)}) {
      RegKey k = RegKey::Create(p, kHkcu, key);
      ASSERT_EQ(p.RegSetValueEx(k.Handle(), names[i], values[i % values.size()].type, values[i % values.size()].data), 0);
    }
  }
  const std::string before = fake::DumpTree(p, kHkcu, kTestKey);
  for (const auto& name : names) {
    ASSERT_TRUE(BackupValue(p, undo, kHkcu, byValue, name)) << name;
    ASSERT_TRUE(fix.AddDeleteValue(name)) << name;
  }
  ASSERT_TRUE(BackupKey(p, undo, kHkcu, byKey));
  fix.AddBlank();
  fix.AddDeleteKey(kHkcu, byKey);
  ASSERT_EQ(ApplyFixScript(p, folders, fix), ApplyResult::Imported);
  std::vector<std::string> left;
  EXPECT_EQ(ReadValueNames(p, kHkcu, byValue, left), 0u) << "every value was deleted";
  EXPECT_FALSE(KeyExists(p, kHkcu, byKey));

  const SavedFile saved = SaveUndoScript(p, folders, undo);
  ASSERT_TRUE(saved.ok);
  RunRegistryEditor(p, folders, " /s \"" + saved.path + "\"");
  EXPECT_EQ(fake::DumpTree(p, kHkcu, kTestKey), before);
  p.DeleteFile(saved.path);
}

}  // namespace
}  // namespace qrv::wine
