#include <gtest/gtest.h>

#include <string>

#include "basemaker/compiler/AirportList.h"
#include "basemaker/compiler/TextLineReader.h"
#include "basemaker/compiler/tests/support/NavTextFixtures.h"

namespace {

TEST(AirportList, ReadsIdentPositionAndOptionalName) {
  CNavTextFolder folder;
  const std::string name40(40, 'n');
  const NavTextFile file = folder.Write(
      "ICAO.txt",
      "EDDF\t50.0333\t8.5706\tFrankfurt Main   \r\n"
      "KJFK\t\t40.64\t-73.78\r\n"             // separator runs count as one
      "LFPG\t49.0\t2.5\t;comment name\r\n"
      "XXXX\t;49.0\t2.5\tskipped\r\n"
      "; comment line\r\n"
      "YY\t1\r\n"                               // two fields: skipped
      "ABCDEFG\t1\t2\t" + name40 + "\textra\tfields\n"
      "EDDF\t50.1\t8.6\n");                    // a repeated ident is a second entry
  CAirportList list;
  ASSERT_TRUE(list.Read(file.fullPath));
  ASSERT_EQ(list.GetSize(), 5);

  EXPECT_STREQ(list[0].ident, "EDDF");
  EXPECT_FLOAT_EQ(list[0].lat, 50.0333f);
  EXPECT_FLOAT_EQ(list[0].lon, 8.5706f);
  EXPECT_STREQ(list[0].name, "Frankfurt Main");
  EXPECT_EQ(list[0].point, -1);
  EXPECT_EQ(list[0].distance, 7000.0);

  EXPECT_STREQ(list[1].ident, "KJFK");
  EXPECT_FLOAT_EQ(list[1].lon, -73.78f);
  EXPECT_STREQ(list[1].name, "");
  EXPECT_STREQ(list[2].name, "");
  EXPECT_STREQ(list[3].ident, "ABCDE");
  EXPECT_EQ(std::string(list[3].name), name40.substr(0, 30));
  EXPECT_STREQ(list[4].ident, "EDDF");
}

TEST(AirportList, CommentsOnlyGiveAnEmptyListAndSuccess) {
  CNavTextFolder folder;
  CAirportList list;
  list.Add(AirportListEntry("OLD", 1, 2, nullptr));
  EXPECT_TRUE(list.Read(folder.Write("ICAO.txt", ";one\n;two\n").fullPath));
  EXPECT_TRUE(list.IsEmpty());
}

TEST(AirportList, FailuresKeepWhatWasReadAndReportFalse) {
  CAirportList list;
  list.Add(AirportListEntry("OLD", 1, 2, nullptr));
  EXPECT_FALSE(list.Read("/nonexistent/ICAO.txt"));
  EXPECT_TRUE(list.IsEmpty());

  CTextLineReader lines;
  lines.OpenMemory("EDDF\t50\t8\nEDDM\t48\t11\n", true);
  EXPECT_FALSE(list.ReadFrom(lines));
  EXPECT_EQ(list.GetSize(), 2);
}

TEST(AirportListEntry, DefaultAndNullIdentEntries) {
  const AirportListEntry none(nullptr, 5, 6, "name");
  EXPECT_STREQ(none.ident, "");
  EXPECT_EQ(none.lat, 0.0f);
  EXPECT_STREQ(none.name, "");
  EXPECT_EQ(none.point, -1);
  EXPECT_EQ(none.distance, 7000.0);
}

}  // namespace
