#include <gtest/gtest.h>

#include "engine/text.h"
#include "engine/reg_script_reader.h"
#include "engine/registry_ops.h"

namespace qrv {
namespace {

ParsedScript Read(const std::string& bytes) { return ReadRegScript(bytes, Cp1252ToUtf8); }

TEST(RegScriptReader, KnowsBothHeadersAndNothingElse) {
  EXPECT_TRUE(Read("REGEDIT4\r\n").recognised);
  EXPECT_TRUE(Read("Windows Registry Editor Version 5.00\n").recognised);
  EXPECT_FALSE(Read("REGEDIT5\r\n[HKEY_CURRENT_USER\\X]\r\n").recognised);
  EXPECT_FALSE(Read("REGEDIT4 \r\n").recognised) << "nothing may follow the header";
  EXPECT_FALSE(Read("\xEF\xBB\xBFREGEDIT4\r\n").recognised) << "a UTF-8 mark is not understood";
  EXPECT_TRUE(Read(" \tREGEDIT4\n").recognised);
  EXPECT_TRUE(Read("\xFF\xFE" + Utf16LeBytes("Windows Registry Editor Version 5.00\r\n")).unicode);
}

TEST(RegScriptReader, ReadsEveryLineForm) {
  const auto s = Read(
      "REGEDIT4\r\n\r\n; comment\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n"
      "[HKEY_CURRENT_USER\\Software\\Q]\r\n\"s\"=\"C:\\\\dir\\\\\\\"q\\\"\"\r\n\"d\"=dword:000000ff\r\n"
      "\"b\"=hex:01,ab,\\\r\n  02\r\n@=\"def\"\r\n\"gone\"=-\r\n@=-\r\n\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n");
  ASSERT_TRUE(s.recognised);
  ASSERT_EQ(s.ops.size(), 9u);
  EXPECT_EQ(s.ops[0].kind, ScriptOp::Kind::DeleteKey);
  EXPECT_EQ(s.ops[0].root, RootKey::LocalMachine);
  EXPECT_EQ(s.ops[0].path, "SOFTWARE\\Gone");
  EXPECT_EQ(s.ops[1].kind, ScriptOp::Kind::OpenKey);
  EXPECT_EQ(TextOfStringData(s.ops[2].data), "C:\\dir\\\"q\"");
  EXPECT_EQ(s.ops[3].data, std::string("\xFF\0\0\0", 4));
  EXPECT_EQ(s.ops[4].type, regtype::kBinary);
  EXPECT_EQ(s.ops[4].data, "\x01\xAB\x02") << "continued on the next line";
  EXPECT_EQ(s.ops[5].name, "");
  EXPECT_EQ(s.ops[6].kind, ScriptOp::Kind::DeleteValue);
  EXPECT_EQ(s.ops[7].kind, ScriptOp::Kind::DeleteValue);
  EXPECT_EQ(s.ops[7].name, "");
  EXPECT_EQ(s.ops[8].type, regtype::kQword);
}

TEST(RegScriptReader, TheFileEncodingDecidesHowTextBytesAreRead) {
  // Single-byte files give one code-page character per byte, whatever the header.
  for (const char* header : {"REGEDIT4", "Windows Registry Editor Version 5.00"}) {
    const auto ansi = Read(std::string(header) + "\r\n[HKEY_CURRENT_USER\\Q]\r\n\"e\"=hex(2):e9,80\r\n");
    ASSERT_EQ(ansi.ops.size(), 2u);
    EXPECT_EQ(ansi.ops[1].data, std::string("\xE9\0\xAC\x20\0\0", 6)) << "one zero added";
  }
  const auto v5 = Read("\xFF\xFE" + Utf16LeBytes("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Q]\r\n"
                                                   "\"e\"=hex(2):e9,00\r\n\"m\"=hex(7):41,00,00,00\r\n"));
  ASSERT_EQ(v5.ops.size(), 3u);
  EXPECT_EQ(v5.ops[1].data, std::string("\xE9\0\0\0", 4));
  EXPECT_EQ(v5.ops[2].data, std::string("A\0\0\0", 4));
}

TEST(RegScriptReader, FollowsTheRegistryEditorOnEscapesAndStrayText) {
  const auto s = Read(
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\Q]\r\n\"C:\\new\"=\"\\t\\q\"\r\n\"nul\\0\"=\"x\"\r\n"
      "\"junk\"=-junk\r\n\"d\"=DWORD:1\r\n\"c\" = dword:1 ; note\r\n");
  ASSERT_EQ(s.ops.size(), 3u);
  EXPECT_EQ(s.ops[1].name, "C:\new") << "an unescaped backslash names another value";
  EXPECT_EQ(TextOfStringData(s.ops[1].data), "tq") << "unknown escapes lose their backslash";
  EXPECT_EQ(s.ops[2].name, "c");
}

TEST(RegScriptReader, KeyLines) {
  const auto s = Read(
      "REGEDIT4\r\n[hkey_current_user\\A\\\\B\\]\r\n[HKEY_CURRENT_USER\\P]] tail\r\n[HKCU\\X]\r\n"
      "[HKEY_CURRENT_USER\\NoClose\r\n[-HKCU\\Y]\r\n[HKEY_CURRENT_USER\\Never]\r\n");
  ASSERT_EQ(s.ops.size(), 3u) << "a deletion of an unknown root ends the import";
  EXPECT_EQ(s.ops[0].path, "A\\B");
  EXPECT_EQ(s.ops[1].path, "P]");
  EXPECT_EQ(s.ops[2].kind, ScriptOp::Kind::NoKey);
}

TEST(RegScriptReader, ValueLinesWithoutAUsableKeyAreIgnored) {
  const auto s = Read("REGEDIT4\r\n\"early\"=\"x\"\r\n[NOT_A_ROOT\\X]\r\n\"late\"=\"y\"\r\n");
  ASSERT_EQ(s.ops.size(), 1u);
  EXPECT_EQ(s.ops[0].kind, ScriptOp::Kind::NoKey);
}

}  // namespace
}  // namespace qrv
