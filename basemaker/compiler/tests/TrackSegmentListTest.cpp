#include <gtest/gtest.h>

#include "basemaker/compiler/TextLineReader.h"
#include "basemaker/compiler/TrackSegmentList.h"
#include "basemaker/compiler/tests/support/NavTextFixtures.h"

namespace {

TEST(TrackSegmentList, ReadsFourCoordinatesAndSkipsLinesOffTheGlobe) {
  CNavTextFolder folder;
  const NavTextFile file = folder.Write("TRACK.txt",
                                        "10\t20\t11\t21\r\n"
                                        "\t\t-10\t\t-20\t-11\t-21\t;trailing comment\r\n"
                                        "90.0001\t20\t11\t21\n"
                                        "10\t180.5\t11\t21\n"
                                        "10\t20\t11\n"
                                        "10\t;20\t11\t21\n"
                                        "90\t-180\t-90\t180");
  CTrackSegmentList tracks;
  tracks.Add(TrackSegment{});
  ASSERT_TRUE(tracks.Read(file.fullPath));
  ASSERT_EQ(tracks.GetSize(), 3);
  EXPECT_EQ(tracks[0].lat1, 10.0f);
  EXPECT_EQ(tracks[0].lon2, 21.0f);
  EXPECT_EQ(tracks[0].link1, -1);
  EXPECT_EQ(tracks[0].link2, -1);
  EXPECT_EQ(tracks[1].lat1, -10.0f);
  EXPECT_EQ(tracks[1].lon2, -21.0f);
  EXPECT_EQ(tracks[2].lat2, -90.0f);
}

TEST(TrackSegmentList, MissingFileOrReadErrorLeavesTheListEmpty) {
  CTrackSegmentList tracks;
  tracks.Add(TrackSegment{});
  EXPECT_FALSE(tracks.Read("/nonexistent/TRACK.txt"));
  EXPECT_TRUE(tracks.IsEmpty());

  CTextLineReader lines;
  lines.OpenMemory("1\t2\t3\t4\n5\t6\t7\t8\n", true);
  EXPECT_FALSE(tracks.ReadFrom(lines));
  EXPECT_TRUE(tracks.IsEmpty());
}

TEST(TrackSegmentList, FindNextLinkedSegmentNeedsBothEndsMatched) {
  CTrackSegmentList tracks;
  auto add = [&](int a, int b) {
    TrackSegment s;
    s.link1 = a;
    s.link2 = b;
    tracks.Add(s);
  };
  add(5, 7);   // 0: first end is 5
  add(5, -1);  // 1: other end unmatched
  add(3, 5);   // 2: second end is 5
  add(-1, 5);  // 3: other end unmatched
  add(8, 9);   // 4: not 5
  int cursor = -1;
  EXPECT_EQ(tracks.FindNextLinkedSegment(cursor, 5), 0);
  EXPECT_EQ(cursor, 0);
  EXPECT_EQ(tracks.FindNextLinkedSegment(cursor, 5), 1);
  EXPECT_EQ(cursor, 2);
  EXPECT_EQ(tracks.FindNextLinkedSegment(cursor, 5), -1);
  EXPECT_EQ(tracks.FindNextLinkedSegment(cursor, 5), -1);
}

}  // namespace
