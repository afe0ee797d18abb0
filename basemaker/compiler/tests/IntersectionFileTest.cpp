#include <gtest/gtest.h>

#include <string>

#include "basemaker/compiler/IntersectionFileReader.h"
#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TextLineReader.h"
#include "basemaker/compiler/tests/support/NavTextFixtures.h"
#include "navdb/SceneryDatabase.h"

namespace {

struct IntersectionCase {
  const char* name;
  const char* line;
  bool added;
  int type;  // type in the low nibble of the type byte
};

TEST(IntersectionLine, TypesAndSkippedLines) {
  const IntersectionCase cases[] = {
      {"no type field gives 15", "TEST\t10\t20", true, 15},
      {"type field", "ABCDE\t10\t20\t3", true, 3},
      {"comment as type gives 15", "ABCDE\t10\t20\t;x", true, 15},
      {"coordinate fix, letter in the middle", "52N20\t52\t-20\t3", true, 13},
      {"coordinate fix, letter last", "5220N\t52\t-20\t3", true, 13},
      {"lower-case letter is no fix", "52n20\t52\t-20\t3", true, 3},
      {"six characters are no fix", "52N201\t52\t-20\t3", true, 3},
      {"type keeps its low four bits", "ABC\t1\t2\t18", true, 2},
      {"empty latitude reads 0", "ZERO\t\t20", true, 15},
      {"comment latitude skips", "SKIP\t;10\t20", false, 0},
      {"missing longitude skips", "SKIP\t10", false, 0},
      {"comment line", ";TEST\t10\t20", false, 0},
      {"latitude off the globe", "FAR\t90.5\t20", false, 0},
      {"longitude that is no number", "NAN\t10\tnan", false, 0},
  };
  for (const IntersectionCase& c : cases) {
    std::string text = c.line;
    IntersectionLine parsed;
    ASSERT_EQ(ParseIntersectionLine(text.data(), parsed), c.added) << c.name;
    if (c.added) {
      EXPECT_EQ(+parsed.header.type, IntersectionTypeByte(+c.type)) << c.name;
    }
  }
}

TEST(IntersectionFile, AddsOneKindFourPointPerLineUnderAWholeGlobeFileRecord) {
  CNavTextFolder folder;
  const NavTextFile file =
      folder.Write("ISEC.txt", "TEST\t10\t20\r\n;comment\r\nLONGNAME\t-33.5\t151.25\t4\r\nZERO\t\t20\n");
  auto db = MakeAreaDatabase();
  CountingSignals counting;
  ASSERT_TRUE(ReadIntersectionFile(file, *db, counting.Signals()));

  ASSERT_EQ(db->m_files.GetSize(), 1);
  const BglFileRecord& record = db->m_files[0];
  EXPECT_STREQ(db->GetString(+record.fileNameText), "ISEC.txt");
  EXPECT_EQ(+record.subfolderText, -1);
  EXPECT_EQ(+record.fileSize, file.size);
  EXPECT_EQ(+record.fileTime, file.lastWrite);
  EXPECT_EQ(+record.latMin, -90.0f);
  EXPECT_EQ(+record.latMax, 90.0f);
  EXPECT_EQ(+record.lonMin, 0.0f);
  EXPECT_LT(+record.lonMax, 0.0f);
  EXPECT_EQ(+db->m_areas[0].fileEnd, 1);

  ASSERT_EQ(db->m_intersections.GetSize(), 3);
  bool sawTest = false;
  for (const NavPoint& p : db->m_intersections) {
    EXPECT_EQ(+p.kind, 4);
    EXPECT_TRUE(p.IsKept());
    EXPECT_TRUE(p.IsShown());
    const IntersectionRecord* r = db->GetIntersection(p);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(+r->navaid, -1);
    EXPECT_EQ(+r->segmentCount, 0);
    if (r->Ident() == "TEST") {
      sawTest = true;
      EXPECT_EQ(+r->type, 0xFF);
      EXPECT_EQ(+r->cellCode, 142 + 142 * 256);
      EXPECT_EQ(+p.latitude, 10.0f);
      EXPECT_EQ(+p.longitude, 20.0f);
    } else if (r->Ident() == "LONGN") {
      EXPECT_EQ(+r->type, 0x44);
    } else {
      EXPECT_EQ(r->Ident(), "ZERO");
      EXPECT_EQ(+p.latitude, 0.0f);
    }
  }
  EXPECT_TRUE(sawTest);
  // Intersections do not widen the file's box.
  EXPECT_EQ(+db->m_files[0].latMin, -90.0f);
}

TEST(IntersectionFile, MissingFileAddsNothingAndSucceeds) {
  CNavTextFolder folder;
  auto db = MakeAreaDatabase();
  EXPECT_TRUE(ReadIntersectionFile(folder.Missing("ISEC.txt"), *db, {}));
  EXPECT_EQ(db->m_files.GetSize(), 0);
  EXPECT_EQ(db->m_intersections.GetSize(), 0);
}

TEST(IntersectionFile, AbortSeenAtAPollStopsWithFalse) {
  std::string text;
  for (int i = 0; i < 1200; ++i) {
    text += "WP" + std::to_string(i) + "\t" + std::to_string(i % 80) + "\t10\n";
  }
  CTextLineReader lines;
  lines.OpenMemory(text);
  auto db = MakeAreaDatabase();
  CountingSignals counting;
  counting.abortAt = 1;  // the poll after line 0 passes, the one after line 500 aborts
  EXPECT_FALSE(ReadIntersectionLines(lines, NavTextFile{}, *db, counting.Signals()));
  EXPECT_EQ(counting.polls, 2);
  EXPECT_EQ(db->m_intersections.GetSize(), 501);
}

TEST(IntersectionFile, HeartbeatEveryFiveThousandLines) {
  std::string text;
  for (int i = 0; i < 10000; ++i) {
    text += ";\n";
  }
  CTextLineReader lines;
  lines.OpenMemory(text);
  auto db = MakeAreaDatabase();
  CountingSignals counting;
  EXPECT_TRUE(ReadIntersectionLines(lines, NavTextFile{}, *db, counting.Signals()));
  EXPECT_EQ(counting.heartbeats, 2);
}

}  // namespace
