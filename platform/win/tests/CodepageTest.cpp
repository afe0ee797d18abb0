#include "platform/win/Codepage.h"

#include <gtest/gtest.h>

namespace {

TEST(Codepage, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(win::Utf8ToCp1252(win::Cp1252ToUtf8(all)), all);
  EXPECT_EQ(win::Utf16ToCp1252(win::Cp1252ToUtf16(all)), all);
  EXPECT_EQ(win::Cp1252ToUtf16("\x80\xE9"), u"\u20AC\u00E9");
}

TEST(Codepage, MapsTheUpperHalfToItsCharacters) {
  struct Case {
    const char* name;
    std::string cp1252;
    std::string utf8;
  } cases[] = {
      {"euro", "\x80", "\u20AC"},
      {"lowQuote", "\x82", "\u201A"},
      {"sCaron", "\x8A", "\u0160"},
      {"trademark", "\x99", "\u2122"},
      {"yDiaeresis", "\x9F", "\u0178"},
      {"nbsp", "\xA0", "\u00A0"},
      {"eAcute", "caf\xE9", "caf\u00E9"},
      {"yDiaeresisSmall", "\xFF", "\u00FF"},
      // The undefined bytes stand for the controls of the same number.
      {"hole81", "\x81", "\xC2\x81"},
      {"hole8D", "\x8D", "\xC2\x8D"},
      {"hole8F", "\x8F", "\xC2\x8F"},
      {"hole90", "\x90", "\xC2\x90"},
      {"hole9D", "\x9D", "\xC2\x9D"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win::Cp1252ToUtf8(c.cp1252), c.utf8) << c.name;
    EXPECT_EQ(win::Utf8ToCp1252(c.utf8), c.cp1252) << c.name;
  }
}

TEST(Codepage, ReplacesWhatCodePage1252CannotHold) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string expected;
  } cases[] = {
      {"cjk", "a\u4E2Db", "a?b"},
      {"emoji", "\U0001F600", "?"},
      {"c1ControlWithOtherMeaning", "\xC2\x80", "?"},  // U+0080: 0x80 is the euro sign
      {"loneLead", "a\xC3", "a?"},
      {"loneContinuation", "\x80z", "?z"},
      {"overlongSlash", "\xC0\xAF", "??"},
      {"surrogate", "\xED\xA0\x80", "???"},
      {"beyondUnicode", "\xF4\x90\x80\x80", "????"},
      {"truncatedThreeByte", "\xE2\x82", "??"},
  };
  for (const auto& c : cases) EXPECT_EQ(win::Utf8ToCp1252(c.utf8), c.expected) << c.name;
  EXPECT_EQ(win::Utf8ToCp1252("\u4E2D", '_'), "_");
}

TEST(Codepage, ComparesLettersOfBothHalvesWithoutCase) {
  EXPECT_TRUE(win::EqualsNoCase("Scenery.CFG", "scenery.cfg"));
  EXPECT_TRUE(win::EqualsNoCase("Z\xFCrich", "Z\xDCRICH"));  // u/U diaeresis
  EXPECT_TRUE(win::EqualsNoCase("\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F"));
  EXPECT_FALSE(win::EqualsNoCase("\xF7", "\xD7"));  // division and multiplication signs
  EXPECT_FALSE(win::EqualsNoCase("abc", "abcd"));
  EXPECT_FALSE(win::EqualsNoCase("[", "{"));  // differ by 0x20 but are no letters
}

}  // namespace
