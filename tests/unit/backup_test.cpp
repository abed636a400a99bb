#include <gtest/gtest.h>

#include "engine/text.h"
#include "engine/backup.h"
#include "engine/fix_script.h"
#include "engine/reg_script_reader.h"
#include "engine/registry_ops.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

using Lines = std::vector<std::string>;
constexpr RootKey kHkcu = RootKey::CurrentUser;

class BackupTest : public ::testing::Test {
 protected:
  fake::FakePlatform p;
  FolderSet folders = testing::EngineFolders(p);
  RegScript undo{ScriptFlavour::Version5};
  void SetUp() override { undo.Start(); }
  Lines Added() const { return Lines(undo.Lines().begin() + 2, undo.Lines().end()); }
};

TEST_F(BackupTest, ValueForms) {
  p.registry.SetString(kHkcu, "\\AppEvents\\Ding\\.Current", "", "C:\\WINDOWS\\MEDIA\\DING.WAV");
  p.registry.SetString(kHkcu, "\\K", "q", "a\\b\"c");
  p.registry.SetDword(kHkcu, "\\K", "d255", 255);
  p.registry.SetDword(kHkcu, "\\K", "d1", 1);
  p.registry.SetValue(kHkcu, "\\K", "bin", regtype::kBinary, std::string("\x01\xAB\x00", 3));
  EXPECT_TRUE(BackupValue(p, undo, kHkcu, "\\AppEvents\\Ding\\.Current", ""));
  EXPECT_TRUE(BackupValue(p, undo, kHkcu, "\\K\\", "q"));
  EXPECT_TRUE(BackupValue(p, undo, kHkcu, "\\K", "d255"));
  EXPECT_TRUE(BackupValue(p, undo, kHkcu, "\\K", "d1"));
  EXPECT_TRUE(BackupValue(p, undo, kHkcu, "\\K", "bin"));
  EXPECT_FALSE(BackupValue(p, undo, kHkcu, "\\K", "missing"));
  EXPECT_FALSE(BackupValue(p, undo, kHkcu, "\\NoSuchKey", "x"));
  EXPECT_EQ(Added(), (Lines{"[HKEY_CURRENT_USER\\AppEvents\\Ding\\.Current]",
                            "@=\"C:\\\\WINDOWS\\\\MEDIA\\\\DING.WAV\"", "",
                            "[HKEY_CURRENT_USER\\K]", "\"q\"=\"a\\\\b\\\"c\"", "",
                            "[HKEY_CURRENT_USER\\K]", "\"d255\"=dword:000000FF", "",
                            "[HKEY_CURRENT_USER\\K]", "\"d1\"=dword:00000001", "",
                            "[HKEY_CURRENT_USER\\K]", "\"bin\"=hex:01,AB,00", "",
                            "[HKEY_CURRENT_USER\\K]", ""}))
      << "a missing value gives the key line and an empty line; a missing key nothing";
}

// The undo file, imported, must give back every type exactly.
TEST_F(BackupTest, EveryTypeRoundTripsThroughTheUndoFile) {
  const std::string key = "\\Software\\Vendor\\Types";
  const std::vector<std::pair<std::string, RegValue>> values = {
      {"sz", {regtype::kString, StringData("C:\\new\\tab\t\"q\"")}},
      {"", {regtype::kString, StringData("default")}},
      {"expand", {regtype::kExpandString, StringData("%SystemRoot%\\x")}},
      {"multi", {regtype::kMultiString, StringData("one") + StringData("two") + std::string(2, '\0')}},
      {"dword", {regtype::kDword, std::string("\x78\x56\x34\x12", 4)}},
      {"qword", {regtype::kQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)}},
      {"none", {regtype::kNone, std::string("\x00\x01", 2)}},
      {"emptybin", {regtype::kBinary, ""}},
      {"odd", {0x80000001u, "z"}},
      {"multiline", {regtype::kString, StringData("one\r\ntwo")}},
      {"C:\\path\\name \"quoted\" ]=@ \xD0\x96\xE4\xB8\xAD", {regtype::kDword, std::string(4, '\x07')}},
      {std::string(255, 'n'), {regtype::kString, StringData("long name")}},
  };
  for (const auto& [name, value] : values) {
    p.registry.SetValue(kHkcu, key, name, value.type, value.data);
    EXPECT_TRUE(BackupValue(p, undo, kHkcu, key, name)) << name;
  }
  p.registry.DeleteKeyTree(kHkcu, key);
  ASSERT_TRUE(p.files.WriteFile("C:\\Data\\Undo\\u.reg", UndoFileBytes(undo)));
  RunRegistryEditor(p, folders, " /s \"C:\\Data\\Undo\\u.reg\"");
  for (const auto& [name, value] : values) {
    const auto restored = p.registry.GetValue(kHkcu, key, name);
    ASSERT_TRUE(restored.has_value()) << name;
    EXPECT_EQ(restored->type, value.type) << name;
    EXPECT_EQ(restored->data, value.data) << name;
  }
}

TEST_F(BackupTest, AStringWithoutItsTerminatingZeroComesBackWithOne) {
  // The registry editor ends every imported text with a zero: the nearest it can restore.
  p.registry.SetValue(kHkcu, "\\K", "u", regtype::kString, std::string("a\0b\0", 4));
  BackupValue(p, undo, kHkcu, "\\K", "u");
  EXPECT_EQ(undo.Lines().at(3), "\"u\"=hex(1):61,00,62,00");
  p.files.WriteFile("C:\\Data\\Undo\\u.reg", UndoFileBytes(undo));
  RunRegistryEditor(p, folders, " /s \"C:\\Data\\Undo\\u.reg\"");
  EXPECT_EQ(p.registry.GetValue(kHkcu, "\\K", "u")->data, std::string("a\0b\0\0\0", 6));
}

TEST_F(BackupTest, NamesNoLineCanHoldAreNotBackedUp) {
  p.registry.SetString(kHkcu, "\\K", "bad\nname", "x");
  EXPECT_FALSE(BackupValue(p, undo, kHkcu, "\\K", "bad\nname"));
  EXPECT_EQ(Added(), (Lines{"[HKEY_CURRENT_USER\\K]", ""}));
}

TEST_F(BackupTest, BackupKeyAppendsTheExportWithoutItsHeader) {
  p.registry.SetString(kHkcu, "\\Software\\App", "Path", "C:\\App");
  p.registry.SetDword(kHkcu, "\\Software\\App\\Sub", "n", 2);
  EXPECT_TRUE(BackupKey(p, undo, kHkcu, "\\Software\\App"));
  EXPECT_EQ(Added(), (Lines{"[HKEY_CURRENT_USER\\Software\\App]", "\"Path\"=\"C:\\\\App\"", "",
                            "[HKEY_CURRENT_USER\\Software\\App\\Sub]", "\"n\"=dword:00000002", ""}));
  EXPECT_FALSE(BackupKey(p, undo, kHkcu, "\\Software\\Missing"));
  EXPECT_TRUE(p.processes.empty()) << "the key is read in this process";
  EXPECT_EQ(undo.Size(), 8u);
}

TEST(DecodeDate, KnownDays) {
  const Date d = DecodeDate(39887.75);  // 15 March 2009, evening
  EXPECT_EQ(d.year, 2009);
  EXPECT_EQ(d.month, 3);
  EXPECT_EQ(d.day, 15);
  const Date leap = DecodeDate(36585.0);  // 29 February 2000
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);
}

TEST_F(BackupTest, FileNamesTakeTheFirstFreeCounter) {
  p.clock = 39887.5;  // 15 March 2009
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) {
    const auto saved = WriteLog(p, folders, {"File not found: C:\\X.DLL"});
    ASSERT_TRUE(saved.ok);
    names.push_back(saved.path);
  }
  EXPECT_EQ(names, (Lines{"C:\\Data\\Log\\Log 09-03-15-01.log", "C:\\Data\\Log\\Log 09-03-15-02.log",
                          "C:\\Data\\Log\\Log 09-03-15-03.log"}));
  p.files.DeleteFile(names[1]);
  EXPECT_EQ(NewLogFileName(p, folders), "Log 09-03-15-02.log");
  for (int i = 1; i <= 9; ++i) p.files.AddFile("C:\\Data\\Undo\\Undo 09-03-15-0" + std::to_string(i) + ".reg");
  EXPECT_EQ(NewUndoFileName(p, folders), "Undo 09-03-15-10.reg");
  EXPECT_EQ(*p.files.Contents(names[0]), "File not found: C:\\X.DLL\r\n");
}

TEST_F(BackupTest, AFolderThatCannotBeCreatedFallsBackToTheProgramFolder) {
  folders.LogFolder = "Q:\\NoDrive\\Log";
  const auto saved = WriteLog(p, folders, {"x"});
  EXPECT_TRUE(saved.ok);
  EXPECT_EQ(folders.LogFolder, "C:\\Program Files\\Quorvane");
  EXPECT_EQ(saved.path.rfind("C:\\Program Files\\Quorvane\\Log ", 0), 0u);
}

TEST_F(BackupTest, SavesTheUndoScriptOnlyWithBackupsAndReportsAFailedWrite) {
  EXPECT_EQ(SaveUndoScript(p, folders, undo).path, "") << "header only: no file";
  EXPECT_TRUE(p.files.FilesIn(folders.UndoFolder).empty());
  p.registry.SetString(kHkcu, "\\K", "\xD0\x96", "x");
  BackupValue(p, undo, kHkcu, "\\K", "\xD0\x96");
  const auto saved = SaveUndoScript(p, folders, undo);
  ASSERT_TRUE(saved.ok);
  EXPECT_EQ(*p.files.Contents(saved.path),
            "\xFF\xFE" + Utf16LeBytes("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
                                      "\"\xD0\x96\"=\"x\"\r\n\r\n"));
  p.files.MarkFolderNotWritable(folders.UndoFolder);
  EXPECT_FALSE(SaveUndoScript(p, folders, undo).ok);
  p.files.MarkFolderNotWritable(folders.LogFolder);
  EXPECT_FALSE(WriteLog(p, folders, {"x"}).ok);
}

}  // namespace
}  // namespace qrv
