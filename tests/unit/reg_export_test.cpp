#include <gtest/gtest.h>

#include "engine/backup.h"
#include "engine/fix_script.h"
#include "engine/reg_export.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "fake/dump.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

using Lines = std::vector<std::string>;
constexpr RootKey kHkcu = RootKey::CurrentUser;

std::string Bytes(std::size_t count, unsigned first = 0) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) out += static_cast<char>((first + i) & 0xFF);
  return out;
}

class ExportTest : public ::testing::Test {
 protected:
  fake::FakePlatform p;
  FolderSet folders = testing::EngineFolders(p);
  RegScript script{ScriptFlavour::Version5};
  Lines Export(const std::string& key) {
    script.Clear();
    EXPECT_TRUE(ExportKey(p, script, kHkcu, key)) << key;
    return script.Lines();
  }
};

// The lines as Wine's regedit.exe 8 writes them for the same tree (the wrapped
// list was taken from its export): values in the registry's order, subkeys
// after their key, "@" for every unnamed type, lower-case hexadecimal.
TEST_F(ExportTest, LineFormsOfTheRegistryEditor) {
  const std::string k = "\\Software\\P";
  p.registry.SetString(kHkcu, k, "", "C:\\dir\\\"q\"");
  p.registry.SetValue(kHkcu, k + "\\T", "nm", regtype::kBinary, Bytes(48));
  p.registry.SetDword(kHkcu, k + "\\T", "d", 0xABCDEF01);
  p.registry.SetValue(kHkcu, k + "\\T", "", regtype::kExpandString, StringData("%x%"));
  p.registry.SetValue(kHkcu, k + "\\T", "multi", regtype::kMultiString, StringData("a") + std::string(2, '\0'));
  p.registry.SetValue(kHkcu, k + "\\T", "q\"b\\", regtype::kQword, Bytes(8, 0xF8));
  p.registry.SetValue(kHkcu, k + "\\T", "none", regtype::kNone, "");
  p.registry.SetValue(kHkcu, k + "\\T", "bin0", regtype::kBinary, "");
  p.registry.SetValue(kHkcu, k + "\\T", "odd", 0x80000001u, "\x7F");
  p.registry.SetDword(kHkcu, k + "\\T\\Sub", "", 5);
  p.registry.SetString(kHkcu, k + "\\A", "s", "");
  EXPECT_EQ(Export(k), (Lines{
      "[HKEY_CURRENT_USER\\Software\\P]", "@=\"C:\\\\dir\\\\\\\"q\\\"\"", "",
      "[HKEY_CURRENT_USER\\Software\\P\\A]", "\"s\"=\"\"", "",
      "[HKEY_CURRENT_USER\\Software\\P\\T]",
      "\"nm\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\",
      "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f",
      "\"d\"=dword:abcdef01", "@=hex(2):25,00,78,00,25,00,00,00", "\"multi\"=hex(7):61,00,00,00,00,00",
      "\"q\\\"b\\\\\"=hex(b):f8,f9,fa,fb,fc,fd,fe,ff", "\"none\"=hex(0):", "\"bin0\"=hex:",
      "\"odd\"=hex(80000001):7f", "",
      "[HKEY_CURRENT_USER\\Software\\P\\T\\Sub]", "@=dword:00000005", ""}));
}

TEST_F(ExportTest, HexListsWrapAtTheEditorsWidthCountedInUtf16) {
  // Two Cyrillic letters take two UTF-16 characters (and four UTF-8 bytes):
  // the list breaks where it does for a two-letter Latin name.
  p.registry.SetValue(kHkcu, "\\K", "\xD0\x96\xD0\x96", regtype::kBinary, Bytes(100));
  const Lines lines = Export("\\K");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[1].substr(lines[1].size() - 4), "16,\\") << "23 bytes on the first line";
  EXPECT_EQ(lines[2], "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\\")
      << "25 bytes on every continuation line";
  EXPECT_EQ(lines[5], "  62,63");
}

// Where the editor's own line would not import back to the stored bytes, the
// hex form of the type keeps them.
TEST_F(ExportTest, ValuesTheEditorsTextFormWouldChangeAreWrittenAsTheirBytes) {
  const std::vector<std::pair<RegValue, std::string>> cases = {
      {{regtype::kString, std::string("a\0b\0", 4)}, "hex(1):61,00,62,00"},           // no terminating zero
      {{regtype::kString, std::string("a\0\0\0b\0\0\0", 8)}, "hex(1):61,00,00,00,62,00,00,00"},  // a zero inside
      {{regtype::kString, StringData("one\ntwo")}, "hex(1):" "6f,00,6e,00,65,00,0a,00,74,00,77,00,6f,00,00,00"},
      {{regtype::kString, ""}, "hex(1):"},
      {{regtype::kString, "x"}, "hex(1):78"},
      {{regtype::kDword, Bytes(8, 1)}, "hex(4):01,02,03,04,05,06,07,08"},
      {{regtype::kDword, ""}, "hex(4):"},
  };
  for (const auto& [value, form] : cases) {
    script.Clear();
    ASSERT_TRUE(script.AddExportedValue("v", value));
    EXPECT_EQ(script.Lines(), Lines{"\"v\"=" + form});
  }
  RegScript fix(ScriptFlavour::Regedit4);
  EXPECT_FALSE(fix.AddExportedValue("v", {regtype::kDword, Bytes(4)})) << "only the second flavour";
  EXPECT_FALSE(script.AddExportedValue("a\r\nb", {regtype::kDword, Bytes(4)}));
}

TEST_F(ExportTest, AllOrNothing) {
  p.registry.SetString(kHkcu, "\\Tree\\a", "x", "1");
  p.registry.SetString(kHkcu, "\\Tree\\b\\deep", "bad\nname", "1");
  script.Start();
  EXPECT_FALSE(ExportKey(p, script, kHkcu, "\\Tree")) << "a value no line can hold spoils the whole branch";
  EXPECT_FALSE(ExportKey(p, script, kHkcu, "\\Missing"));
  EXPECT_FALSE(ExportKey(p, script, kHkcu, ""));
  p.registry.SetString(kHkcu, "\\Line\\bad\nkey", "x", "1");
  EXPECT_FALSE(ExportKey(p, script, kHkcu, "\\Line"));
  EXPECT_EQ(script.Size(), 2u);
  RegScript undo(ScriptFlavour::Version5);
  EXPECT_FALSE(BackupKey(p, undo, kHkcu, "\\Tree")) << "so the finding is not fixed without its backup";
}

TEST_F(ExportTest, ATrailingBackslashIsKeptInTheExportAndDroppedByTheBackup) {
  p.registry.SetString(kHkcu, "\\P\\T", "x", "1");
  EXPECT_EQ(Export("\\P\\"), (Lines{"[HKEY_CURRENT_USER\\P\\]", "", "[HKEY_CURRENT_USER\\P\\\\T]", "\"x\"=\"1\"", ""}));
  RegScript undo(ScriptFlavour::Version5);
  ASSERT_TRUE(BackupKey(p, undo, kHkcu, "\\p\\"));
  EXPECT_EQ(undo.Lines(), (Lines{"[HKEY_CURRENT_USER\\p]", "", "[HKEY_CURRENT_USER\\p\\T]", "\"x\"=\"1\"", ""}))
      << "the key as named, its subkeys as stored";
}

// A deep tree with every type, hostile names and large data: backed up,
// deleted and imported again, it is exactly what it was.
TEST_F(ExportTest, BackupKeyRoundTripsThroughTheImporter) {
  const std::vector<std::string> names = {"", "plain", "quote\"d", "back\\slash\\", "]=@[", "@",
                                          "\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80", std::string(255, 'n')};
  const std::vector<RegValue> values = {
      {regtype::kString, StringData("C:\\\"x\"")}, {regtype::kString, std::string("a\0\0\0b\0\0\0", 8)},
      {regtype::kString, ""}, {regtype::kExpandString, StringData("%a%")},
      {regtype::kMultiString, StringData("1") + StringData("2") + std::string(2, '\0')},
      {regtype::kDword, Bytes(4, 9)}, {regtype::kDword, Bytes(3)}, {regtype::kQword, Bytes(8)},
      {regtype::kBinary, Bytes(16384, 7)}, {regtype::kBinary, ""}, {regtype::kNone, Bytes(1)},
      {0x12345u, Bytes(77)}, {regtype::kString, StringData("two\r\nlines")}};
  std::string key = "\\Software\\Deep";
  for (int depth = 0; depth < 12; ++depth) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      const RegValue& v = values[(i + depth) % values.size()];
      p.registry.SetValue(kHkcu, key, names[i], v.type, v.data);
    }
    p.registry.SetString(kHkcu, key + "\\side " + std::string(255 - 5 - (depth % 3), 's'), "", "leaf");
    key += "\\" + names[1 + depth % (names.size() - 1)].substr(0, 200) + std::to_string(depth);
  }
  const std::string before = fake::DumpTree(p, kHkcu, "\\Software\\Deep");
  RegScript undo(ScriptFlavour::Version5);
  undo.Start();
  ASSERT_TRUE(BackupKey(p, undo, kHkcu, "\\Software\\Deep"));
  EXPECT_TRUE(p.processes.empty()) << "no registry editor is started";
  p.registry.DeleteKeyTree(kHkcu, "\\Software\\Deep");
  const SavedFile saved = SaveUndoScript(p, folders, undo);
  ASSERT_TRUE(saved.ok);
  RunRegistryEditor(p, folders, " /s \"" + saved.path + "\"");
  EXPECT_EQ(fake::DumpTree(p, kHkcu, "\\Software\\Deep"), before);
}

}  // namespace
}  // namespace qrv
