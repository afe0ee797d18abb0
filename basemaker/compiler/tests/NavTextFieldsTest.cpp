#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TextLineReader.h"

namespace {

std::vector<std::string> SplitAll(std::string text, bool runs) {
  std::vector<std::string> fields;
  char* cursor = text.data();
  while (const char* f = runs ? NextRunField(cursor, kNavTextSeparators)
                              : SplitNextField(cursor, kNavTextSeparators)) {
    fields.emplace_back(f);
  }
  return fields;
}

TEST(SplitNextField, CutsAtEverySeparatorAndTrimsBlanks) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> fields;
  } cases[] = {
      {"plain", "A\tB\tC", {"A", "B", "C"}},
      {"two tabs give an empty field", "A\t\tC", {"A", "", "C"}},
      {"blanks trimmed at both ends", "  A B \t\t  C ", {"A B", "", "C"}},
      {"line end is a separator", "A\tB\r\n", {"A", "B", ""}},
      {"empty text has no field", "", {}},
      {"only a separator", "\t", {""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitAll(c.text, false), c.fields) << c.name;
  }
}

TEST(SplitNextField, CursorStaysAtTheEndOfTheText) {
  std::string text = "last";
  char* cursor = text.data();
  EXPECT_STREQ(SplitNextField(cursor, kNavTextSeparators), "last");
  EXPECT_EQ(cursor, text.data() + 4);
  EXPECT_EQ(SplitNextField(cursor, kNavTextSeparators), nullptr);
  EXPECT_EQ(cursor, text.data() + 4);
}

TEST(NextRunField, RunsOfSeparatorsCountAsOneAndNothingIsTrimmed) {
  EXPECT_EQ(SplitAll("\t\tA \t\t B\r\n", true), (std::vector<std::string>{"A ", " B"}));
  EXPECT_EQ(SplitAll("\r\n", true), std::vector<std::string>{});
}

TEST(ReadNumbers, FollowTheCSyntaxAndStopAtTheFirstForeignCharacter) {
  EXPECT_DOUBLE_EQ(ReadDouble("  -12.5xyz"), -12.5);
  EXPECT_DOUBLE_EQ(ReadDouble("+3e2"), 300.0);
  EXPECT_DOUBLE_EQ(ReadDouble(""), 0.0);
  EXPECT_DOUBLE_EQ(ReadDouble("abc"), 0.0);
  EXPECT_DOUBLE_EQ(ReadDouble("--1"), 0.0);
  EXPECT_TRUE(std::isinf(ReadDouble("1e999")));
  EXPECT_DOUBLE_EQ(ReadDouble("1e-999"), 0.0);
  const char* end = nullptr;
  ReadDouble("3500 K", &end);
  EXPECT_STREQ(end, " K");

  EXPECT_EQ(ReadInt(" 42abc"), 42);
  EXPECT_EQ(ReadInt("-7"), -7);
  EXPECT_EQ(ReadInt("x"), 0);
  EXPECT_EQ(ReadInt("99999999999999999999"), 2147483647);
  EXPECT_EQ(ReadInt("-99999999999999999999"), -2147483647 - 1);
}

struct CoordinateCase {
  const char* name;
  const char* text;
  bool latitude;
  bool lenient;
  int result;      // -1 success, else the failure position
  double value;    // when successful
};

TEST(ParseCoordinate, StrictAndLenientForms) {
  const CoordinateCase cases[] = {
      {"degrees and decimal minutes", "N50 30.5", true, false, -1, 50.508333},
      {"degrees minutes seconds", "S 33 52 10", true, false, -1, -33.869444},
      {"degrees only", "e8", false, false, -1, 8.0},
      {"west is negative", "W122 30", false, false, -1, -122.5},
      {"leading and trailing white space", "  N10 \t", true, false, -1, 10.0},
      {"a fraction glued to the degrees is minutes", "N47.5", true, false, -1, 47.008333},
      {"range edge", "E180", false, false, -1, 180.0},
      {"latitude range edge", "S90 0 0", true, false, -1, -90.0},
      {"degrees past the range", "N91", true, false, 1, 0},
      {"degrees past the range after blanks", "N 91", true, false, 2, 0},
      {"minutes of 60", "N50 60", true, false, 4, 0},
      {"seconds of 60", "N50 10 60", true, false, 7, 0},
      {"minutes past the range", "E180 0.1", false, false, 5, 0},
      {"hemisphere letter last", "50N", true, false, 0, 0},
      {"longitude letter for a latitude", "E50", true, false, 0, 0},
      {"no degrees", "N", true, false, 1, 0},
      {"decimal minutes end the text", "N50 30.5 10", true, false, 9, 0},
      {"text after the seconds", "N50 30 10 x", true, false, 10, 0},
      {"degree sign is strict error", "N50\xB0 30'", true, false, 3, 0},
      {"symbols in lenient mode", "N50\xB0 30' 15\"", true, true, -1, 50.504167},
      {"asterisk for the degree sign", "W8*30'", false, true, -1, -8.5},
      {"apostrophe is a strict error", "N50 30'", true, false, 6, 0},
      {"quote without seconds", "N50 30\"", true, true, 6, 0},
  };
  for (const CoordinateCase& c : cases) {
    float value = -999.0f;
    EXPECT_EQ(ParseCoordinate(value, c.text, c.latitude, c.lenient), c.result) << c.name;
    if (c.result == -1) {
      EXPECT_NEAR(value, c.value, 1e-5) << c.name;
    } else {
      EXPECT_EQ(value, -999.0f) << c.name << ": a failure stores nothing";
    }
  }
  float value = 0;
  EXPECT_EQ(ParseCoordinate(value, nullptr, true, true), 0);
}

TEST(CellCode, LongitudeCellLowLatitudeCellHigh) {
  EXPECT_EQ(CellCode(10, 20), 142 + 142 * 256);
  EXPECT_EQ(CellCode(-90, -180), 1 + 1 * 256);
  EXPECT_EQ(CellCode(90, 180), 255 + 255 * 256);
  // Positions off the globe and values that are no numbers still give a code of two cells.
  EXPECT_EQ(CellCode(1000, -1000), CellCode(90, -180));
  EXPECT_EQ(CellCode(NAN, NAN), CellCode(0, 0));
}

TEST(TextLineReader, LongLinesComeInPiecesAndCrLfReadsAsLf) {
  const std::string text = std::string(300, 'x') + "\r\nshort\rline\nlast";
  CTextLineReader reader;
  reader.OpenMemory(text);
  char buffer[256];
  std::vector<std::string> pieces;
  while (reader.ReadPiece(buffer, 255)) {
    pieces.emplace_back(buffer);
  }
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[0], std::string(255, 'x'));
  EXPECT_EQ(pieces[1], std::string(45, 'x') + "\n");
  EXPECT_EQ(pieces[2], "short\rline\n");
  EXPECT_EQ(pieces[3], "last");
  EXPECT_FALSE(reader.Failed());
}

TEST(TextLineReader, ReadErrorEndsTheReadingAndIsReported) {
  CTextLineReader reader;
  reader.OpenMemory("one\ntwo", true);
  char buffer[256];
  ASSERT_TRUE(reader.ReadPiece(buffer, 255));
  EXPECT_STREQ(buffer, "one\n");
  EXPECT_FALSE(reader.ReadPiece(buffer, 255));
  EXPECT_TRUE(reader.Failed());
}

TEST(TextLineReader, MissingFileDoesNotOpen) {
  CTextLineReader reader;
  EXPECT_FALSE(reader.Open("/nonexistent/folder/ISEC.txt"));
  EXPECT_TRUE(reader.Close());
}

}  // namespace
