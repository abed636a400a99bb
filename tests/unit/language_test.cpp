#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "core/language.h"
#include "engine/text.h"

namespace qrv {
namespace {

IniFile Ini(const std::string& bytes) {
  IniFile ini;
  ini.Load(bytes, Cp1252ToUtf8);
  return ini;
}

TEST(IniFile, Lookups) {
  const IniFile ini = Ini(
      "; comment\r\n[Buttons]\r\n  Scan  =   \"  Scan now  \"  \r\nEmpty=\r\nQuoted=\"\"\r\nScan=second\r\n"
      "[ messages ]\r\nHelpNotFound=Aide introuvable\r\n");
  EXPECT_EQ(ini.Get("buttons", "SCAN", "d"), "  Scan now  ") << "blanks and one pair of quotes removed";
  EXPECT_EQ(ini.Get("Buttons", "Empty", "default"), "") << "present but empty is empty";
  EXPECT_EQ(ini.Get("Buttons", "Quoted", "default"), "");
  EXPECT_EQ(ini.Get("Buttons", "Missing", "default"), "default");
  EXPECT_EQ(ini.Get("Nowhere", "Scan", "default"), "default");
  EXPECT_EQ(ini.Get("Messages", "helpnotfound", "d"), "Aide introuvable");
}

TEST(IniFile, EncodingsAndLength) {
  const std::string text = "[S]\r\nK=\xC3\xA9t\xC3\xA9 \xD0\x96\r\n";
  EXPECT_EQ(Ini("\xEF\xBB\xBF" + text).Get("S", "K", ""), "\xC3\xA9t\xC3\xA9 \xD0\x96");
  EXPECT_EQ(Ini("\xFF\xFE" + Utf16LeBytes(text)).Get("S", "K", ""), "\xC3\xA9t\xC3\xA9 \xD0\x96");
  EXPECT_EQ(Ini("[S]\r\nK=\xE9t\xE9\r\n").Get("S", "K", ""), "\xC3\xA9t\xC3\xA9") << "no mark: the code page";
  std::string longValue;
  for (int i = 0; i < 2100; ++i) longValue += "\xC3\xA9";
  const std::string got = Ini("\xEF\xBB\xBF[S]\r\nK=" + longValue + "\r\n").Get("S", "K", "");
  EXPECT_EQ(Utf8ToCodePoints(got).size(), 2047u) << "cut by characters, never inside one";
}

TEST(LanguageTable, FallsBackToEnglishWithoutAFile) {
  LanguageTable table;
  EXPECT_EQ(table.Text(TextId::ButtonsScan), "Scan");
  EXPECT_STREQ(LanguageFileName(3), "German.ini");
  EXPECT_STREQ(LanguageFileName(0), "English.ini");
  EXPECT_STREQ(LanguageFileName(6), "English.ini");
}

std::string ReadShipped(const std::string& name) {
  std::ifstream in(std::string(QRV_SOURCE_DIR) + "/res/lang/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every text the program looks up is in every shipped language, and the
// English file says exactly what the program says without it.
TEST(LanguageFiles, HoldEveryTextAndEnglishMatchesTheDefaults) {
  for (const char* name : {"English.ini", "French.ini", "German.ini", "Spanish.ini", "Italian.ini"}) {
    SCOPED_TRACE(name);
    const std::string bytes = ReadShipped(name);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1) << "CR LF line ends";
    IniFile ini;
    ini.Load(bytes, Cp1252ToUtf8);
    for (const TextEntry& e : AllTexts()) {
      EXPECT_TRUE(ini.Has(e.section, e.key)) << e.section << "/" << e.key;
      const std::string value = ini.Get(e.section, e.key, "");
      if (std::string(name) == "English.ini") EXPECT_EQ(value, e.english) << e.section << "/" << e.key;
      else EXPECT_FALSE(value.empty()) << e.section << "/" << e.key;
    }
  }
}

TEST(LanguageFiles, IdentifiersAreUnique) {
  std::set<std::pair<std::string, std::string>> seen;
  for (const TextEntry& e : AllTexts())
    EXPECT_TRUE(seen.insert({UpperAscii(e.section), UpperAscii(e.key)}).second) << e.section << "/" << e.key;
}

}  // namespace
}  // namespace qrv
