// The in-process export against Wine's regedit.exe: a generated corpus of
// keys exported by both must give the same bytes, and every undo file made
// from it must import back to the very tree it was taken from.
#include <gtest/gtest.h>

#include "wine/wine_env.h"

#include "engine/backup.h"
#include "engine/fix_script.h"
#include "engine/reg_export.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "fake/dump.h"

namespace qrv::wine {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;

std::string Bytes(std::size_t count, unsigned seed) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) out += static_cast<char>((seed + i * 37) & 0xFF);
  return out;
}

bool TextType(std::uint32_t type) {
  return type == regtype::kString || type == regtype::kExpandString || type == regtype::kMultiString;
}

// Data of the type that the import can restore exactly: the text types end
// with their zero character (without it the import adds one).
std::string Datum(std::uint32_t type, std::size_t count, unsigned seed) {
  if (!TextType(type)) return Bytes(count, seed);
  std::string out;
  for (std::size_t i = 0; i < count / 2; ++i) out += Utf16LeBytes(std::string(1, static_cast<char>('A' + (seed + i) % 26)));
  return out + std::string(2, '\0');
}

class ExportWineTest : public ::testing::Test {
 protected:
  Win32Platform p;
  FolderSet folders = TestFolders(p);
  void SetUp() override { DeleteTree(HKEY_CURRENT_USER, L"Software\\QuorvaneWineTest"); }
  void TearDown() override { DeleteTree(HKEY_CURRENT_USER, L"Software\\QuorvaneWineTest"); }
  std::string Key(const std::string& sub) const { return std::string(kTestKey) + sub; }

  void Set(const std::string& key, const std::string& name, std::uint32_t type, const std::string& data) {
    RegKey k = RegKey::Create(p, kHkcu, key);
    ASSERT_EQ(p.RegSetValueEx(k.Handle(), name, type, data), 0) << key << " " << name;
  }

  // What regedit.exe /s /e writes for the key, and what ExportKey gives for it.
  void ExpectSameExport(const std::string& key) {
    const std::string file = folders.UndoFolder + "\\editor.reg";
    p.DeleteFile(file);
    // A backslash before the closing quote would quote it: it is doubled, as
    // the command line's rules want.
    const std::string arg = "HKEY_CURRENT_USER" + key + (key.back() == '\\' ? "\\" : "");
    ASSERT_TRUE(RunRegistryEditor(p, folders, "/s /e \"" + file + "\" \"" + arg + "\""));
    std::string editor;
    ASSERT_TRUE(p.ReadFile(file, editor)) << key;
    p.DeleteFile(file);
    RegScript script(ScriptFlavour::Version5);
    script.Start();
    ASSERT_TRUE(ExportKey(p, script, kHkcu, key)) << key;
    const std::string ours = UndoFileBytes(script);
    if (ours == editor) return;
    const auto a = SplitLines(Utf8FromUtf16LeBytes(editor.substr(2)));
    const auto b = SplitLines(Utf8FromUtf16LeBytes(ours.substr(2)));
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    ADD_FAILURE() << key << ": first difference at line " << i << "\n  regedit: "
                  << (i < a.size() ? a[i] : "(end)") << "\n  ours:    " << (i < b.size() ? b[i] : "(end)")
                  << "\n  sizes " << editor.size() << " / " << ours.size();
  }

  // Backs the branch up, deletes it, imports the undo file: the branch is back.
  void ExpectRoundTrip(const std::string& key) {
    const std::string before = fake::DumpTree(p, kHkcu, key);
    ASSERT_FALSE(before.empty());
    RegScript undo(ScriptFlavour::Version5);
    undo.Start();
    ASSERT_TRUE(BackupKey(p, undo, kHkcu, key));
    RegScript fix(ScriptFlavour::Regedit4);
    fix.Start();
    fix.AddDeleteKey(kHkcu, key);
    fix.AddBlank();
    ASSERT_EQ(ApplyFixScript(p, folders, fix), ApplyResult::Imported);
    ASSERT_FALSE(KeyExists(p, kHkcu, key)) << "the tree was emptied";
    const SavedFile saved = SaveUndoScript(p, folders, undo);
    ASSERT_TRUE(saved.ok);
    ASSERT_TRUE(RunRegistryEditor(p, folders, " /s \"" + saved.path + "\""));
    EXPECT_EQ(fake::DumpTree(p, kHkcu, key), before) << key;
    p.DeleteFile(saved.path);
  }
};

TEST_F(ExportWineTest, SameBytesAsTheRegistryEditorOverTheCorpus) {
  const std::string corpus = Key("\\Corpus");
  // Every type, with empty, short and long data.
  const std::vector<std::uint32_t> types = {regtype::kNone, regtype::kString, regtype::kExpandString,
                                            regtype::kBinary, regtype::kDword, 5, 6, regtype::kMultiString,
                                            8, 9, 10, regtype::kQword, 0x80000001u, 0xFFFFFFFFu};
  for (std::uint32_t type : types) {
    const std::string key = corpus + "\\Types\\t" + std::to_string(type);
    Set(key, "", type, Datum(type, 4, type));
    // (An empty string and a DWORD of another length than four the editor writes wrongly: see below.)
    if (type != regtype::kString) Set(key, "empty", type, "");
    Set(key, "four", type, Datum(type, 4, type + 1));
    if (type != regtype::kDword) Set(key, "long", type, Datum(type, 300, type));
  }
  Set(corpus + "\\Types\\t1", "empty text", regtype::kString, StringData(""));
  Set(corpus + "\\Types\\t7", "multi", regtype::kMultiString,
      StringData("one") + StringData("\xC3\xA9") + std::string(2, '\0'));
  Set(corpus + "\\Types\\t2", "expand", regtype::kExpandString, StringData("%SystemRoot%\\x"));
  // Every length around the continuation lines, under names of every width.
  for (std::size_t n = 0; n <= 80; ++n) Set(corpus + "\\Wrap\\Lengths", "v" + std::to_string(n), regtype::kBinary, Bytes(n, static_cast<unsigned>(n)));
  for (std::size_t w = 1; w <= 80; ++w)
    Set(corpus + "\\Wrap\\Names", std::string(w, 'w'), regtype::kExpandString, Datum(regtype::kExpandString, 60, static_cast<unsigned>(w)));
  Set(corpus + "\\Wrap\\Names", "\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80", regtype::kBinary, Bytes(100, 3));
  Set(corpus + "\\Wrap\\Huge", "16k", regtype::kBinary, Bytes(16384, 1));
  Set(corpus + "\\Wrap\\Huge", "16k text", regtype::kString, StringData(std::string(8191, 'q')));
  Set(corpus + "\\Wrap\\Huge", "16k multi", regtype::kMultiString, Datum(regtype::kMultiString, 16384, 5) + std::string(2, '\0'));
  // Hostile names and texts.
  const std::vector<std::string> names = {
      "quote\"inside", "\"", "back\\slash", "\\", "trailing\\", "C:\\new\\table", "close]bracket", "[open",
      "equals=sign", "=", "@", "@=", ";comment", " blank ", "\ttab", "\xD0\x96\xD1\x83\xD0\xBA \xE4\xB8\xAD\xE6\x96\x87",
      "\xF0\x9F\x98\x80 beyond the plane", std::string(255, 'L'), std::string(254, 'L') + "\"",
      "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xC5\x93"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    Set(corpus + "\\Names", names[i], regtype::kString, StringData("C:\\dir\\\"q\"\\ " + names[i]));
    Set(corpus + "\\Names", names[i] + " d", regtype::kDword, Bytes(4, static_cast<unsigned>(i)));
  }
  Set(corpus + "\\Names", "", regtype::kBinary, Bytes(90, 9));
  // Hostile key names and a deep tree.
  for (const std::string& k : {std::string("quote\"key"), std::string("close]key"), std::string("[open"),
                               std::string("eq=at@"), std::string(" blank "), std::string(255, 'K'),
                               std::string("\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80"), std::string("-dash")})
    Set(corpus + "\\Keys\\" + k, "v", regtype::kString, StringData(k));
  std::string deep = corpus + "\\Deep";
  for (int level = 0; level < 40; ++level) {
    deep += "\\L" + std::to_string(level);
    Set(deep, "", regtype::kDword, Bytes(4, level));
    if (level % 5 == 0) Set(deep + "\\Side", "s", regtype::kString, StringData("side"));
  }

  for (const char* part : {"\\Types", "\\Wrap", "\\Names", "\\Keys", "\\Deep", ""}) ExpectSameExport(corpus + part);
  ExpectSameExport(corpus + "\\Keys\\");  // the editor keeps the backslash in every line
  ExpectSameExport(Key("\\CORPUS\\names"));  // the top key as named, the rest as stored
  ExpectRoundTrip(corpus);
}

// Values whose editor line would not import back to them: the export writes
// their bytes instead, and the import restores them exactly.
TEST_F(ExportWineTest, ValuesTheEditorWouldChangeComeBackExactly) {
  const std::string key = Key("\\Mended");
  Set(key, "zero inside", regtype::kString, std::string("a\0\0\0b\0\0\0", 8));
  Set(key, "line ends", regtype::kString, StringData("two\r\nlines\n"));
  Set(key, "short dword", regtype::kDword, Bytes(3, 1));
  Set(key, "long dword", regtype::kDword, Bytes(8, 2));
  Set(key + "\\Sub", "", regtype::kString, StringData("one\ntwo"));
  ExpectRoundTrip(key);
}

TEST_F(ExportWineTest, ANameNoLineCanHoldRefusesTheBackup) {
  Set(Key("\\Refused\\Sub"), "line\nend", regtype::kString, StringData("x"));
  RegScript undo(ScriptFlavour::Version5);
  undo.Start();
  EXPECT_FALSE(BackupKey(p, undo, kHkcu, Key("\\Refused")));
  EXPECT_EQ(undo.Size(), 2u);
}

}  // namespace
}  // namespace qrv::wine
