#include <gtest/gtest.h>

#include "engine/text.h"

namespace qrv {
namespace {

TEST(Text, Utf16RoundTripKeepsEveryPlane) {
  const std::string s = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";  // a, é, 中, emoji
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
  EXPECT_EQ(Utf8ToUtf16(s).size(), 5u);  // the emoji takes a surrogate pair
  EXPECT_EQ(Utf8FromUtf16LeBytes(Utf16LeBytes(s)), s);
}

TEST(Text, UpperCasing) {
  EXPECT_EQ(UpperAscii("abc\xC3\xA9z"), "ABC\xC3\xA9Z");  // only a to z
  EXPECT_EQ(UpperCaseText("stra\xC3\x9F" "e \xC3\xA9t\xC3\xA9"), "STRA\xC3\x9F" "E \xC3\x89T\xC3\x89");
  EXPECT_EQ(UpperCaseText("\xD0\xBF\xD1\x80\xD0\xB8"), "\xD0\x9F\xD0\xA0\xD0\x98");  // при -> ПРИ
  EXPECT_TRUE(EqualsNoCase("Software\\\xC3\xA9", "SOFTWARE\\\xC3\x89"));
}

TEST(Text, Cp1252) {
  bool lossless = false;
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC\xC3\xA9", &lossless), "\x80\xE9");  // €é
  EXPECT_TRUE(lossless);
  EXPECT_EQ(Utf8ToCp1252("\xD0\xBF", &lossless), "?");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(Cp1252ToUtf8("\x80\xE9"), "\xE2\x82\xAC\xC3\xA9");
}

TEST(Text, SplitLines) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
}

}  // namespace
}  // namespace qrv
