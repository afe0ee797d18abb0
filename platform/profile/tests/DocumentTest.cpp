#include "platform/profile/Document.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using profile::Document;

Document Parsed(std::string_view text) {
  Document document;
  document.Parse(text);
  return document;
}

// A settings file as a user might have edited it by hand.
constexpr std::string_view kSettings =
    "; Chartwright settings\r\n"
    "[Essential]\r\n"
    "SimVer=90\r\n"
    "\r\n"
    "[Settings]\r\n"
    "  SwitchKey = F9 0 0 0  \r\n"
    "; keep the map plain\r\n"
    "MapGrid=0\r\n"
    "HoldingTime=\"1.5\"\r\n"
    "Note=a;b\r\n"
    "\r\n"
    "[Docked]\r\n"
    "PlanHeight=120\r\n";

TEST(ProfileDocument, ReadsValuesWithWindowsRules) {
  Document doc = Parsed(kSettings);
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {
      {"essential", "SIMVER", "90"},
      {"Settings", "switchkey", "F9 0 0 0"},  // trimmed on both sides, inner blanks kept
      {"Settings", "HoldingTime", "1.5"},     // one pair of quotes comes off
      {"Settings", "Note", "a;b"},            // ';' starts a comment only at the line start
      {"Settings", "; keep the map plain", std::nullopt},
      {"Settings", "PlanHeight", std::nullopt},
      {"Missing", "SimVer", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(doc.Get(c.section, c.key), c.value) << c.key;
  EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"Essential", "Settings", "Docked"}));
  EXPECT_EQ(doc.Keys("SETTINGS"),
            (std::vector<std::string>{"SwitchKey", "MapGrid", "HoldingTime", "Note"}));
  EXPECT_TRUE(doc.Keys("Missing").empty());
}

TEST(ProfileDocument, FirstSectionAndFirstKeyOfANameWin) {
  Document doc = Parsed("[A]\nk=1\nK=2\n[a]\nk=3\nx=4\n");
  EXPECT_EQ(doc.GetString("A", "k", ""), "1");
  EXPECT_EQ(doc.Get("A", "x"), std::nullopt);
  EXPECT_EQ(doc.SectionNames(), std::vector<std::string>{"A"});
  EXPECT_EQ(doc.Keys("a"), std::vector<std::string>{"k"});
}

TEST(ProfileDocument, ReadsLfOnlyAndWritesCrLf) {
  Document doc = Parsed("[S]\nk=v\n;c\n");
  EXPECT_EQ(doc.Get("S", "k"), "v");
  EXPECT_EQ(doc.ToText(), "[S]\r\nk=v\r\n;c\r\n");
  EXPECT_EQ(Parsed("[S]\r\nk=v").ToText(), "[S]\r\nk=v\r\n");
}

TEST(ProfileDocument, ChangesTouchOnlyTheirOwnLines) {
  Document doc = Parsed(kSettings);
  ASSERT_TRUE(doc.Set("settings", "SWITCHKEY", "F5 1 1 0"));  // spelling and spacing of the line stay
  ASSERT_TRUE(doc.Set("Settings", "UseSound", "1"));          // after the last key of the section
  ASSERT_TRUE(doc.SetInt("Floating", "WindowLeft", -20));     // a new section at the end
  EXPECT_EQ(doc.ToText(),
            "; Chartwright settings\r\n"
            "[Essential]\r\n"
            "SimVer=90\r\n"
            "\r\n"
            "[Settings]\r\n"
            "  SwitchKey = F5 1 1 0\r\n"
            "; keep the map plain\r\n"
            "MapGrid=0\r\n"
            "HoldingTime=\"1.5\"\r\n"
            "Note=a;b\r\n"
            "UseSound=1\r\n"
            "\r\n"
            "[Docked]\r\n"
            "PlanHeight=120\r\n"
            "\r\n"
            "[Floating]\r\n"
            "WindowLeft=-20\r\n");
  EXPECT_EQ(doc.GetInt("floating", "windowleft", 0), -20);
}

TEST(ProfileDocument, DeletesKeysAndWholeSections) {
  Document doc = Parsed("[A]\nk=1\nj=2\nk=3\n[B]\n; about B\nx=1\n[b]\ny=2\n[C]\nz=3\n");
  EXPECT_TRUE(doc.DeleteKey("a", "K"));
  EXPECT_FALSE(doc.DeleteKey("A", "k"));
  EXPECT_FALSE(doc.DeleteKey("Missing", "k"));
  EXPECT_TRUE(doc.DeleteSection("B"));
  EXPECT_FALSE(doc.DeleteSection("B"));
  EXPECT_EQ(doc.ToText(), "[A]\r\nj=2\r\n[C]\r\nz=3\r\n");
}

TEST(ProfileDocument, RefusesTextThatWouldReadBackDifferently) {
  struct Case {
    const char* name;
    std::string section, key, value;
  } cases[] = {
      {"emptyKey", "S", "", "v"},
      {"keyWithEquals", "S", "a=b", "v"},
      {"keyLikeComment", "S", ";k", "v"},
      {"keyLikeHeader", "S", "[k", "v"},
      {"keyWithBlanksAround", "S", " k", "v"},
      {"lineBreakInValue", "S", "k", "v\r\n[Evil]\r\nk=x"},
      {"lineBreakInKey", "S", "k\nj", "v"},
      {"bracketInSection", "S]x", "k", "v"},
      {"lineBreakInSection", "S\n", "k", "v"},
  };
  for (const auto& c : cases) {
    Document doc = Parsed("[S]\nk=old\n");
    EXPECT_FALSE(doc.Set(c.section, c.key, c.value)) << c.name;
    EXPECT_EQ(doc.ToText(), "[S]\r\nk=old\r\n") << c.name;
  }
}

TEST(ProfileDocument, HasNoLengthLimits) {
  std::string longValue(100000, 'x');
  longValue[4096] = 'y';
  Document doc;
  ASSERT_TRUE(doc.Set("S", "k", longValue));
  EXPECT_EQ(Parsed(doc.ToText()).Get("S", "k"), longValue);
}

TEST(ProfileDocument, ConvertsIntegersAsWindowsDoes) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"12", 12},   {"  42", 42},  {"-5", -5},          {"+7", 7},
      {"12abc", 12}, {"abc", 0},   {"0x10", 0},         {"", 99},  // empty value: the default
      {"99999999999", INT_MAX},    {"-99999999999", INT_MIN},
  };
  for (const auto& c : cases) {
    Document doc = Parsed(std::string("[S]\nk=") + c.text + "\n");
    EXPECT_EQ(doc.GetInt("S", "k", 99), c.expected) << c.text;
  }
  EXPECT_EQ(Parsed("").GetInt("S", "k", 61), 61);
}

}  // namespace
