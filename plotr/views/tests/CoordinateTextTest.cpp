// The typed coordinate grammar, hostile texts included, and the field text it reads back.

#include "plotr/views/CoordinateText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr bool kLat = true, kLon = false;

struct Case {
  const char* what;
  std::string text;
  bool latitude;
  bool symbols;
  int position;  // -1: accepted with `value`
  double value;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"decimal minutes", "N47 30.5", kLat, true, -1, 47 + 30.5 / 60},
      {"lower case with unit marks", "n 47\xB0 30.5'", kLat, true, -1, 47 + 30.5 / 60},
      {"minutes and seconds", "N47 30 15", kLat, true, -1, 47 + 30 / 60.0 + 15 / 3600.0},
      {"every unit mark, no blanks", "N47\xB0" "30'15\"", kLat, true, -1, 47 + 30 / 60.0 + 15 / 3600.0},
      {"asterisk for degrees", "N47*30", kLat, true, -1, 47.5},
      {"degrees alone", "N47", kLat, true, -1, 47},
      {"blanks around and between", " \tS 33  52.2 ", kLat, true, -1, -(33 + 52.2 / 60)},
      {"decimal seconds", "s47 30 15.5", kLat, true, -1, -(47 + 30 / 60.0 + 15.5 / 3600.0)},
      {"west longitude", "W008 15.00", kLon, true, -1, -8.25},
      {"point right after the degrees starts the minutes", "N45.5", kLat, true, -1, 45 + 0.5 / 60},
      {"point ending the minutes", "E10 30.", kLon, true, -1, 10.5},
      {"top of the range", "E180", kLon, true, -1, 180},
      {"south pole", "S90 0 0", kLat, true, -1, -90},
      {"leading zeros", "N0000000047", kLat, true, -1, 47},
      {"tiny fraction of many digits", "N47 0." + std::string(400, '0') + "1", kLat, true, -1, 47},

      {"hemisphere last", "47 30 N", kLat, true, 0, 0},
      {"longitude letter in a latitude", "E47", kLat, true, 0, 0},
      {"latitude letter in a longitude", "N47", kLon, true, 0, 0},
      {"one second over the pole", "N90 0 1", kLat, true, 6, 0},
      {"sixty minutes", "N89 60", kLat, true, 4, 0},
      {"past the longitude limit", "E181", kLon, true, 1, 0},
      {"seconds after decimal minutes", "N47 30.5 10", kLat, true, 9, 0},
      {"garbage after a complete value", "N47 30x", kLat, true, 6, 0},
      {"sixty seconds", "N47 30 60", kLat, true, 7, 0},
      {"a fourth number", "N47 30 15 5", kLat, true, 10, 0},
      {"unit mark without symbols", "N47\xB0" "30", kLat, false, 3, 0},
      {"minute mark without symbols", "N47 30.5'", kLat, false, 8, 0},
      {"decimal comma", "N47 30,5", kLat, true, 6, 0},
      {"two points", "N47 30.5.5", kLat, true, 8, 0},
      {"lone point", "N47 .", kLat, true, 4, 0},
      {"negative minutes", "N47 -30", kLat, true, 4, 0},
      {"signed minutes", "N47 +30", kLat, true, 4, 0},
      {"exponent", "N47 3e1", kLat, true, 5, 0},
      {"hex", "N47 0x1E", kLat, true, 5, 0},
      {"nan", "N47 nan", kLat, true, 4, 0},
      {"inf", "N47 inf", kLat, true, 4, 0},
      {"degrees that wrap a 32-bit value", "N4294967343", kLat, true, 1, 0},
      {"endless degrees", "E" + std::string(400, '9'), kLon, true, 1, 0},
      {"endless minutes", "N47 1" + std::string(400, '0'), kLat, true, 4, 0},
      {"signed degrees", "N-47", kLat, true, 1, 0},
      {"empty text", "", kLat, true, 0, 0},
      {"blanks only", "   ", kLat, true, 3, 0},
      {"lone hemisphere", "N", kLat, true, 1, 0},
      {"garbage after 31 characters", "N47 30.5" + std::string(30, ' ') + "x", kLat, true, 38, 0},
  };
  return cases;
}

void RunTable() {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    const CoordinateParse r = ParseCoordinateText(c.text, c.latitude, c.symbols);
    EXPECT_EQ(r.position, c.position) << c.text;
    if (c.position < 0 && r.Valid()) {
      EXPECT_FLOAT_EQ(r.value, static_cast<float>(c.value)) << c.text;
    }
  }
}

TEST(CoordinateText, AcceptsTheDocumentedFormsAndStopsWhereTheTextGoesWrong) { RunTable(); }

TEST(CoordinateText, ReadsTheSameUnderACommaLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    GTEST_SKIP() << "no comma locale on this machine";
  }
  RunTable();
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(CoordinateText, FieldTextReadsBackToTheValue) {
  struct RoundTrip {
    double value;
    bool latitude;
    const char* text;
  };
  const RoundTrip cases[] = {
      {47.5, kLat, "N47 30.00"},      {-8.25, kLon, "W008 15.00"},   {47.99999, kLat, "N48 00.00"},
      {-0.0001, kLat, "S00 00.01"},   {179.999999, kLon, "E180 00.00"}, {-33.8688, kLat, "S33 52.13"},
      {0.0, kLon, "E000 00.00"},
  };
  for (const RoundTrip& c : cases) {
    const std::string text = CoordinateFieldText(c.value, c.latitude);
    EXPECT_EQ(text, c.text);
    const CoordinateParse back = ParseCoordinateText(text, c.latitude, true);
    ASSERT_TRUE(back.Valid()) << text;
    // Hundredths of a minute are what the field keeps.
    EXPECT_NEAR(back.value, c.value, 0.01 / 60 / 2 + 1e-5) << text;
    EXPECT_EQ(CoordinateFieldText(back.value, c.latitude), text) << "loading the read value shows the same text";
  }
}

}  // namespace
