#include "plotr/tools/SidStarFile.h"

#include "navdb/ProfileFile.h"
#include "plotr/plan/PlanPoint.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

std::string Temp(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("cw-ssfile-" + std::to_string(::getpid()) + "-" + name)).string();
}

// Loads INI text the way the catalogue reads a file.
CProfileFile Parse(const std::string& text) {
  const std::string path = Temp("parse.ss");
  std::ofstream(path, std::ios::binary) << text;
  CProfileFile file;
  EXPECT_TRUE(file.Load(path));
  std::filesystem::remove(path);
  return file;
}

std::string Header(const std::string& id, const std::string& by, const std::string& extra = "") {
  return "[Airport]\r\nId=" + id + "\r\nName=Zurich\r\nLat=47.460000\r\nLon=8.550000\r\nBy=" + by + "\r\n" + extra +
         "Valid=" + SidStarChecksum(id + by) + "\r\n";
}

TEST(SidStarFile, ChecksumTakesBytesAsSigned) {
  EXPECT_EQ(SidStarChecksum("abc"), "AW");
  EXPECT_EQ(SidStarChecksum("\xE9"), "9ZLK8");
  EXPECT_EQ(SidStarChecksum(""), "0");
  // A byte above 0x7F adds its sign extension, not its value: far more than 'e' with an accent
  // would add read as unsigned.
  const std::string plain = SidStarChecksum("LSZHRene");
  const std::string accented = SidStarChecksum("LSZHRen\xE9");
  EXPECT_NE(plain, accented);
  EXPECT_GT(std::stoull(accented, nullptr, 36), std::stoull(plain, nullptr, 36) + 0xFFFF);
}

TEST(SidStarFile, WaypointLines) {
  struct Case {
    const char* line;
    bool valid;
    const char* written;  // nullptr: not valid
  };
  const Case cases[] = {
      // Positions are held as 32-bit floats, so six decimals come back as the float's.
      {"V:ABC:47.123456:8.543210::1::::::", true, "V:ABC:47.123455:8.543210::1::::::"},
      {"N:XY:47.500000:8.500000::::5000::210:1:", true, "N:XY:47.500000:8.500000::::5000::210:1:"},
      {"V:ABC:1.0:2.0", false, nullptr},
      {"V:ABC:1.0:2.0:", false, nullptr},
      {"V:ABC:1.0:2.0::", true, "V:ABC:1.000000:2.000000::::::::"},
      {"R:09L:47.1:8.2:93:::::::", true, "R:09L:47.099998:8.200000:93:::::::"},
      {" I : ABCDE :\t47.25 : 7.75 : : : 1 : -200 : 9000 : -5 : : 1", true,
       "I:ABCDE:47.250000:7.750000:::1:-200:9000:-5::1"},
      // A bearing point keeps nothing after its flag.
      {"V:ABC:1:2::1:1:5000:6000:250:1:1", true, "V:ABC:1.000000:2.000000::1::::::"},
      {":ABC:1:2::", false, nullptr},
      {"V::1:2::", false, nullptr},
      {"V:ABCDEF:1:2::", false, nullptr},
      {"V:ABC::2::", false, nullptr},
      {"V:ABC:91:2::", false, nullptr},
      {"V:ABC:1:-181::", false, nullptr},
      {"V:ABC:nan:2::", false, nullptr},
      {"V:ABC:1:inf::", false, nullptr},
      {"V:ABC:1x:2::", false, nullptr},
      {"V:ABC:1:2:x:", false, nullptr},
      {"V:ABC:1:2:::::9999999999999:::", false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    CSidStarWaypoint w;
    ASSERT_EQ(ReadSidStarWaypoint(c.line, w), c.valid);
    if (c.valid) {
      EXPECT_EQ(WriteSidStarWaypoint(w), c.written);
      CSidStarWaypoint again;
      ASSERT_TRUE(ReadSidStarWaypoint(c.written, again));
      EXPECT_EQ(WriteSidStarWaypoint(again), c.written);
      EXPECT_EQ(std::memcmp(&again, &w, sizeof w), 0);
    }
  }
  CSidStarWaypoint w;
  // A line is a C text: it ends at a NUL.
  EXPECT_FALSE(ReadSidStarWaypoint(std::string_view("V:A\0B:1:2::", 11), w));
  ASSERT_TRUE(ReadSidStarWaypoint(std::string_view("V:AB:1:2::\0junk", 15), w));
  ASSERT_TRUE(ReadSidStarWaypoint("N:XY:47.5:8.5::::5000::210:1:", w));
  EXPECT_EQ(uint32_t{w.altitude1}, MakeManualValue(5000));
  EXPECT_EQ(uint32_t{w.altitude2}, 0u);
  EXPECT_EQ(uint32_t{w.flags}, 210u | kSidStarSpeedGiven | kSidStarAltitudeOption);
  ASSERT_TRUE(ReadSidStarWaypoint("V:ABC:1:2::::::-5::", w));
  EXPECT_EQ(static_cast<int32_t>(w.flags << 5) >> 5, -5);
}

TEST(SidStarFile, DescriptionLineBreaks) {
  // Every kind of line break is stored as one byte, so none can end the INI line.
  EXPECT_EQ(EncodeSidStarDescription("a\r\nb\nc\rd"), "a\xB6" "b\xB6" "c\xB6" "d");
  EXPECT_EQ(DecodeSidStarDescription("a\xB6" "b"), "a\r\nb");
  // A break byte at 199 or later has no room for its pair and cuts the text there.
  const std::string long198 = std::string(198, 'x') + "\xB6" "y";
  EXPECT_EQ(DecodeSidStarDescription(long198), std::string(198, 'x') + "\r\n");
  const std::string long199 = std::string(199, 'x') + "\xB6";
  EXPECT_EQ(DecodeSidStarDescription(long199), std::string(199, 'x'));
  // Expanded breaks never take the text past 200 characters.
  EXPECT_EQ(DecodeSidStarDescription(std::string(150, '\xB6')).size(), 200u);
}

TEST(SidStarFile, Titles) {
  std::string guid, stamp;
  char separator = 0;
  const std::string good = "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0";
  EXPECT_TRUE(SplitSidStarTitle(good + "+20260101-120000", guid, separator, stamp));
  EXPECT_EQ(guid, good);
  EXPECT_EQ(separator, '+');
  EXPECT_EQ(stamp, "20260101-120000");
  EXPECT_FALSE(SplitSidStarTitle(good + "x20260101-120000", guid, separator, stamp));
  EXPECT_FALSE(SplitSidStarTitle(good + "-2026010-120000", guid, separator, stamp));
  EXPECT_TRUE(IsSidStarGuid(good));
  EXPECT_FALSE(IsSidStarGuid("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"));
  EXPECT_FALSE(IsSidStarGuid("0F1E2D3C-4B5A-6978-8796/A5B4C3D2E1F0"));
  EXPECT_FALSE(IsSidStarGuid("../../../../etc/passwd-0000000000000"));
  EXPECT_TRUE(IsSidStarStamp("20260101-120000"));
  EXPECT_FALSE(IsSidStarStamp("20260101 120000"));
  EXPECT_FALSE(IsSidStarStamp("2026010a-120000"));
}

TEST(SidStarFile, HeaderFields) {
  CSidStarAirport a;
  ASSERT_TRUE(ReadSidStarHeader(Parse(Header("LSZH", "Ren\xE9", "By01=Anna\r\nBy03=Carl\r\nRegion=4\r\n")), a));
  EXPECT_EQ(a.id, "LSZH");
  EXPECT_EQ(a.region, 4);
  EXPECT_FLOAT_EQ(a.lat, 47.46f);
  // By02 missing: the editors close up.
  EXPECT_EQ(a.authors, (std::vector<std::string>{"Ren\xE9", "Anna", "Carl"}));

  ASSERT_TRUE(ReadSidStarHeader(Parse(Header("LSZH", "")), a));
  EXPECT_EQ(a.region, -1);

  struct Bad {
    const char* name;
    std::string text;
  };
  const Bad bad[] = {
      {"wrong checksum", "[Airport]\r\nId=LSZH\r\nName=Z\r\nLat=1\r\nLon=2\r\nValid=AW\r\n"},
      {"no checksum", "[Airport]\r\nId=LSZH\r\nName=Z\r\nLat=1\r\nLon=2\r\n"},
      {"no name", "[Airport]\r\nId=abc\r\nLat=1\r\nLon=2\r\nValid=AW\r\n"},
      {"latitude out of range", "[Airport]\r\nId=abc\r\nName=Z\r\nLat=95\r\nLon=2\r\nValid=AW\r\n"},
      {"longitude not a number", "[Airport]\r\nId=abc\r\nName=Z\r\nLat=5\r\nLon=east\r\nValid=AW\r\n"},
      {"no section", "[Other]\r\nId=abc\r\nName=Z\r\nLat=5\r\nLon=2\r\nValid=AW\r\n"},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.name);
    EXPECT_FALSE(ReadSidStarHeader(Parse(b.text), a));
  }
}

TEST(SidStarFile, ProcedureSections) {
  const std::string runway = "R:14:47.48:8.53:140:::::::";
  const std::string fix = "V:KLO:47.3:8.2::::::::";
  std::string text = Header("LSZH", "A");
  text += "[Sid001]\r\nId=ONE\r\nName=first\xB6line\r\n01=" + runway + "\r\n02=" + fix + "\r\n";
  text += "[Sid002]\r\nId=BAD\r\n01=" + runway + "\r\n02=V:KLO:1.0:2.0\r\n";  // malformed: dropped
  text += "[Sid003]\r\nId=SHORT\r\n01=" + runway + "\r\n";                       // one waypoint
  text += "[Sid004]\r\nId=ENDR\r\n01=" + runway + "\r\n02=" + runway + "\r\n";  // ends on a runway
  text += "[Sid005]\r\nId=NOR\r\n01=" + fix + "\r\n02=" + fix + "\r\n";         // no runway first
  text += "[Sid006]\r\nId=LONG\r\n01=R:14LXX:47.48:8.53:140:::::::\r\n02=" + fix + "\r\n";
  text += "[Sid007]\r\nId=GAP\r\n01=" + runway + "\r\n02=" + fix + "\r\n04=" + fix + "\r\n";
  text += "[Sid009]\r\nId=AFTERGAP\r\n01=" + runway + "\r\n02=" + fix + "\r\n";
  text += "[Star001]\r\nId=IN\r\n01=" + fix + "\r\n02=" + runway + "\r\n";
  text += "[EOF]\r\nValid=" + SidStarChecksum("LSZHA") + "\r\n";
  const CProfileFile file = Parse(text);

  const std::vector<CSidStarProcedure> sids = ReadSidStarProcedures(file, false);
  ASSERT_EQ(sids.size(), 2u);  // Sid008 is missing, so Sid009 is never read
  EXPECT_EQ(sids[0].id, "ONE");
  EXPECT_EQ(sids[0].name, "first\r\nline");
  EXPECT_EQ(sids[0].runway, "14");
  EXPECT_EQ(sids[0].heading, 140);
  EXPECT_EQ(sids[1].id, "GAP");
  EXPECT_EQ(sids[1].waypoints.size(), 2u);  // key 03 missing ends the list
  const std::vector<CSidStarProcedure> stars = ReadSidStarProcedures(file, true);
  ASSERT_EQ(stars.size(), 1u);
  EXPECT_FLOAT_EQ(stars[0].lat, 47.48f);

  CSidStarAirport a;
  ASSERT_TRUE(ReadSidStarHeader(file, a));
  EXPECT_TRUE(HasSidStarEnd(file, a));
  EXPECT_FALSE(HasSidStarEnd(Parse(Header("LSZH", "A")), a));
  EXPECT_FALSE(HasSidStarEnd(Parse(Header("LSZH", "A") + "[EOF]\r\nValid=AW\r\n"), a));
}

TEST(SidStarFile, WrittenFileReadsBack) {
  CSidStarAirport a;
  a.id = "LSZH";
  a.name = "Zurich";
  a.city = "Kloten";
  a.lat = 47.46f;
  a.lon = 8.55f;
  a.region = 4;
  a.country = "Switzerland";
  a.authors = {"Ren\xE9", "Anna", "Carl"};
  CSidStarProcedure p;
  p.id = "VEBIT2A";
  p.name = "climb\r\nthen turn\nleft";
  ASSERT_TRUE(ReadSidStarWaypoint("R:14:47.48:8.53:140:::::::", p.waypoints.emplace_back()));
  ASSERT_TRUE(ReadSidStarWaypoint("F:Fix:47.45:8.57:::1:3000:::1:", p.waypoints.emplace_back()));
  ASSERT_TRUE(ReadSidStarWaypoint("V:KLO:47.3:8.2::::::250::1", p.waypoints.emplace_back()));
  a.sids.groups.push_back({'V', "KLO", "Kloten", 47.3f, 8.2f, {p}});
  CSidStarProcedure star = p;
  std::reverse(star.waypoints.begin(), star.waypoints.end());
  a.stars.groups.push_back({'V', "KLO", "", 47.3f, 8.2f, {star, star}});

  const std::string path = Temp("write.ss");
  CProfileFile out;
  FillSidStarFile(out, a);
  ASSERT_TRUE(out.Save(path));
  CProfileFile in;
  ASSERT_TRUE(in.Load(path));
  std::filesystem::remove(path);

  CSidStarAirport back;
  ASSERT_TRUE(ReadSidStarHeader(in, back));
  EXPECT_EQ(back.authors, a.authors);
  EXPECT_EQ(back.country, "Switzerland");
  EXPECT_EQ(back.city, "Kloten");
  ASSERT_TRUE(HasSidStarEnd(in, back));
  const auto sids = ReadSidStarProcedures(in, false);
  ASSERT_EQ(sids.size(), 1u);
  EXPECT_EQ(sids[0].name, "climb\r\nthen turn\r\nleft");
  ASSERT_EQ(sids[0].waypoints.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(WriteSidStarWaypoint(sids[0].waypoints[i]), WriteSidStarWaypoint(p.waypoints[i]));
  }
  EXPECT_EQ(ReadSidStarProcedures(in, true).size(), 2u);  // Star001 and Star002
}

}  // namespace
