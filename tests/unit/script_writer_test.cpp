#include <gtest/gtest.h>

#include "engine/reg_script.h"
#include "engine/registry_ops.h"

namespace qrv {
namespace {

using Lines = std::vector<std::string>;

TEST(RegScript, HeadersAndLineForms) {
  RegScript fix(ScriptFlavour::Regedit4);
  fix.Start();
  EXPECT_EQ(fix.Lines(), (Lines{"REGEDIT4", ""}));
  EXPECT_FALSE(fix.HoldsEntries());
  EXPECT_TRUE(fix.AddDeleteKey(RootKey::LocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe"));
  EXPECT_TRUE(fix.AddKey(RootKey::CurrentUser, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"));
  EXPECT_TRUE(fix.AddDeleteValue("Tool"));
  EXPECT_TRUE(fix.AddDeleteValue(""));
  EXPECT_TRUE(fix.AddString("", "C:\\WINDOWS\\MEDIA\\DING.WAV"));
  EXPECT_TRUE(fix.AddDword("NoRun", 255));
  EXPECT_TRUE(fix.AddDword("", 1));
  EXPECT_TRUE(fix.AddHex("Blob", regtype::kBinary, std::string("\x01\xAB\x00", 3)));
  fix.AddBlank();
  EXPECT_EQ(fix.Lines(), (Lines{"REGEDIT4", "",
                                "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe]",
                                "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\]",
                                "\"Tool\"=-", "@=-", "@=\"C:\\\\WINDOWS\\\\MEDIA\\\\DING.WAV\"",
                                "\"NoRun\"=dword:000000FF", "\"\"=dword:00000001", "\"Blob\"=hex:01,AB,00", ""}));
  RegScript undo(ScriptFlavour::Version5);
  undo.Start();
  EXPECT_EQ(undo.Lines().front(), "Windows Registry Editor Version 5.00");
}

TEST(RegScript, EveryNameAndStringIsEscaped) {
  RegScript s(ScriptFlavour::Regedit4);
  // A shared DLL's value name is a path: its backslashes must not turn into escapes (\n, \t ...).
  ASSERT_TRUE(s.AddDeleteValue("C:\\WINDOWS\\SYSTEM32\\new.dll"));
  ASSERT_TRUE(s.AddDeleteValue("say \"hi\"\\"));
  ASSERT_TRUE(s.AddString("a\\\"b", "x\"\\y"));
  EXPECT_EQ(s.Lines(), (Lines{"\"C:\\\\WINDOWS\\\\SYSTEM32\\\\new.dll\"=-", "\"say \\\"hi\\\"\\\\\"=-",
                              "\"a\\\\\\\"b\"=\"x\\\"\\\\y\""}));
  EXPECT_EQ(EscapeBackslashes("a\\b\\\\c"), "a\\\\b\\\\\\\\c");
  EXPECT_EQ(EscapeScriptText("\\\""), "\\\\\\\"") << "a quote never ends up behind two backslashes";
}

TEST(RegScript, RefusesWhatNoLineCanExpress) {
  RegScript s(ScriptFlavour::Regedit4);
  s.Start();
  const std::string nul("a\0b", 3);
  // A quote and a line break could otherwise smuggle in a line of their own.
  EXPECT_FALSE(s.AddDeleteValue("x\"=-\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE]"));
  EXPECT_FALSE(s.AddDeleteValue("a\nb"));
  EXPECT_FALSE(s.AddString(nul, "x"));
  EXPECT_FALSE(s.AddDword("a\rb", 1));
  EXPECT_FALSE(s.AddKey(RootKey::CurrentUser, "\\Software\\a\nb"));
  EXPECT_FALSE(s.AddDeleteKey(RootKey::CurrentUser, "Software\\NoLeadingBackslash"));
  EXPECT_FALSE(s.AddDeleteKey(RootKey::CurrentUser, ""));
  EXPECT_FALSE(s.AddString("name", "two\r\nlines")) << "the first flavour has no exact form for it";
  EXPECT_FALSE(s.AddHex("e", regtype::kExpandString, "x")) << "read in the code page by the first flavour";
  EXPECT_EQ(s.Size(), 2u) << "nothing was added";
}

TEST(RegScript, ValuesAreWrittenAsTheirOwnType) {
  RegScript s(ScriptFlavour::Version5);
  const auto add = [&](std::uint32_t type, const std::string& data) {
    s.Clear();
    EXPECT_TRUE(s.AddValue("v", {type, data}));
    return s.Lines().at(0);
  };
  EXPECT_EQ(add(regtype::kString, StringData("a\\b")), "\"v\"=\"a\\\\b\"");
  EXPECT_EQ(add(regtype::kExpandString, StringData("%A%")), "\"v\"=hex(2):25,00,41,00,25,00,00,00");
  EXPECT_EQ(add(regtype::kMultiString, std::string("a\0\0\0\0\0", 6)), "\"v\"=hex(7):61,00,00,00,00,00");
  EXPECT_EQ(add(regtype::kDword, std::string("\x01\x00\x00\x00", 4)), "\"v\"=dword:00000001");
  EXPECT_EQ(add(regtype::kDword, std::string("\x01\x02", 2)), "\"v\"=hex(4):01,02");
  EXPECT_EQ(add(regtype::kQword, std::string(8, '\x11')), "\"v\"=hex(b):11,11,11,11,11,11,11,11");
  EXPECT_EQ(add(regtype::kBinary, ""), "\"v\"=hex:");
  EXPECT_EQ(add(regtype::kNone, "\x05"), "\"v\"=hex(0):05");
  EXPECT_EQ(add(0x100, ""), "\"v\"=hex(100):");
  // A string that does not read back to its stored bytes keeps those bytes.
  EXPECT_EQ(add(regtype::kString, std::string("a\0", 2)), "\"v\"=hex(1):61,00");
  EXPECT_EQ(add(regtype::kString, StringData("a\nb")), "\"v\"=hex(1):61,00,0A,00,62,00,00,00");
}

}  // namespace
}  // namespace qrv
