#include "basemaker/compiler/SectionBglParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "basemaker/compiler/tests/support/SectionBglWriter.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

using namespace testbgl;

// An area database with one open file record, as the loader leaves it before a parse.
struct Db {
  Db() {
    db.AddArea("area", nullptr);
    db.m_files.Add(BglFileRecord{}, &db.m_areas[0].fileEnd);
  }
  void Parse(const std::vector<uint8_t>& image) { ParseSectionBglImage(db, image.data(), image.size()); }
  CSceneryDatabase db;
};

std::vector<std::string> Lists(std::initializer_list<std::string> l) {
  return std::vector<std::string>(l);
}

TEST(SectionBglParser, NamesReachAirportsWhateverTheSectionOrder) {
  std::vector<std::string> lists[5] = {Lists({"EU"}), Lists({"Germany", "France"}), Lists({"Bavaria"}),
                                       Lists({"Munich"}), Lists({"Franz Josef Strauss"})};
  SectionBglWriter w;
  // Airports come first in the file, the name list after them.
  w.Add(kBglSectionAirport, Airport(48.35, 11.78, 453, "EDDM"));
  w.Add(kBglSectionAirport, Airport(49.0, 2.5, 100, "LFPG").Sub(NameSub("Charles de Gaulle")));
  w.Add(kBglSectionAirport, Airport(50.0, 8.5, 100, "EDDF"));
  w.Add(kBglSectionNameList, NameList(lists, {{"EDDM", 0, 0, 0, 0, 0}, {"EDDF", 0, 1, 0, 5, 9}}));
  Db d;
  d.Parse(w.Build());
  ASSERT_EQ(3, d.db.m_airports.GetSize());
  auto airport = [&](const char* ident) -> const AirportRecord* {
    for (int i = 0; i < d.db.m_airports.GetSize(); ++i) {
      const AirportRecord* a = d.db.GetAirport(d.db.m_airports[i]);
      if (a->Ident() == ident) return a;
    }
    return nullptr;
  };
  const AirportRecord* eddm = airport("EDDM");
  ASSERT_NE(nullptr, eddm);
  EXPECT_STREQ("EU", d.db.GetString(eddm->regionText));
  EXPECT_STREQ("Germany", d.db.GetString(eddm->countryText));
  EXPECT_STREQ("Bavaria", d.db.GetString(eddm->stateText));
  EXPECT_STREQ("Munich", d.db.GetString(eddm->cityText));
  EXPECT_STREQ("Franz Josef Strauss", d.db.GetString(eddm->nameText));
  EXPECT_EQ(453, +eddm->altitude);
  EXPECT_EQ(0x83, +eddm->size);

  const AirportRecord* lfpg = airport("LFPG");  // not in the list: only its own name sub-record
  ASSERT_NE(nullptr, lfpg);
  EXPECT_EQ(-1, +lfpg->regionText);
  EXPECT_EQ(-1, +lfpg->cityText);
  EXPECT_STREQ("Charles de Gaulle", d.db.GetString(lfpg->nameText));

  const AirportRecord* eddf = airport("EDDF");  // indexes past the lists stay unknown
  ASSERT_NE(nullptr, eddf);
  EXPECT_STREQ("France", d.db.GetString(eddf->countryText));
  EXPECT_EQ(-1, +eddf->cityText);
  EXPECT_EQ(-1, +eddf->nameText);
}

TEST(SectionBglParser, RunwayDesignators) {
  struct Row {
    uint8_t number, designator;
    const char* expected;
  } rows[] = {{0, 0, "0"}, {38, 2, "NER"}, {36, 3, "36C"}, {9, 1, "9L"}, {44, 4, "NWW"},
              {37, 0, "N"}, {45, 0, ""},   {5, 5, ""},    {27, 0, "27"}};
  for (const Row& row : rows) {
    SectionBglWriter w;
    w.Add(kBglSectionAirport, Airport(10, 10, 0, "TEST").Sub(Runway(10, 10, 1000, 30, 90, row.number, row.designator, 18, 1)));
    Db d;
    d.Parse(w.Build());
    ASSERT_EQ(2, d.db.m_runways.GetSize());
    std::vector<std::string> designators;
    for (int i = 0; i < 2; ++i) {
      designators.push_back(std::string(FixedText(d.db.GetRunway(d.db.m_runways[i])->designator, 4)));
    }
    EXPECT_TRUE(designators[0] == row.expected || designators[1] == row.expected)
        << int(row.number) << "/" << int(row.designator);
  }
}

TEST(SectionBglParser, RunwayEndsLengthAndLongestRunway) {
  struct Row {
    double lengthM;
    double expectedHalf;  // metres from the centre to each end
    uint16_t lengthFt;
    uint8_t airportByte;
  } rows[] = {// 8202 ft reads as 2499.99 m with the common feet factor: 24, not 25, hundreds.
              {1000, 470, 3281, 0x8A}, {300, 150, 984, 0x83}, {250, 125, 820, 0x83}, {2500, 1220, 8202, 0x98}};
  for (const Row& row : rows) {
    SectionBglWriter w;
    w.Add(kBglSectionAirport,
          Airport(45, 7, 300, "RWY").Sub(Runway(45, 7, row.lengthM, 45, 30, 3, 0, 21, 0, 0, 300)));
    Db d;
    d.Parse(w.Build());
    ASSERT_EQ(2, d.db.m_runways.GetSize()) << row.lengthM;
    const NavPoint& primary = d.db.m_runways[0];
    const NavPoint& secondary = d.db.m_runways[1];
    const RunwayRecord* r1 = d.db.GetRunway(primary);
    const RunwayRecord* r2 = d.db.GetRunway(secondary);
    EXPECT_EQ(row.lengthFt, +r1->length);
    EXPECT_EQ(148, +r1->width);
    EXPECT_EQ(300, +r1->altitude);
    EXPECT_EQ(1, +r1->surface);
    const uint16_t heading = static_cast<uint16_t>(std::floor(30.0 / 360 * 65536 + 0.5));
    EXPECT_EQ(heading, +r1->heading);
    EXPECT_EQ(static_cast<uint16_t>(heading + 0x8000), +r2->heading);
    EXPECT_EQ(0x31FFFFFFu, +r1->ilsWord);
    const double centreToPrimary = GreatCircleDistance(45, 7, primary.latitude, primary.longitude);
    const double centreToSecondary = GreatCircleDistance(45, 7, secondary.latitude, secondary.longitude);
    EXPECT_NEAR(row.expectedHalf, centreToPrimary, 1.5) << row.lengthM;
    EXPECT_NEAR(row.expectedHalf, centreToSecondary, 1.5) << row.lengthM;
    // The primary end lies behind the centre along its heading.
    EXPECT_NEAR(210, InitialCourse(45, 7, +primary.latitude, +primary.longitude), 0.5);
    EXPECT_EQ(row.airportByte, +d.db.GetAirport(d.db.m_airports[0])->size) << row.lengthM;
  }
}

TEST(SectionBglParser, FrequenciesStartsAndParking) {
  Record parking(27, 8);
  parking.U16(6, 2);
  // entry 1: kind 3, name code 10 (gate), number 12, one trailing word
  parking.U32(8, 3u | (10u << 8) | (12u << 12) | (1u << 24)).F32(16, 90.0f).Lon(20, 7.01).Lat(24, 45.01);
  parking.U32(28, 0xDEADBEEF);
  parking.U32(32, 1u | (2u << 8) | (7u << 12)).F32(40, 180.0f).Lon(44, 7.02).Lat(48, 45.02);
  Record start(17, 24);
  start.U8(6, 5).U8(7, 0x30).Lon(8, 7.03).Lat(12, 45.03).F32(20, 45.0f);
  Record runwayStart(17, 24);
  runwayStart.U8(6, 1).U8(7, 0x10).Lon(8, 7.04).Lat(12, 45.04);

  SectionBglWriter w;
  w.Add(kBglSectionAirport, Airport(45, 7, 0, "FREQ")
                                .Sub(Frequency(1, 121.3))
                                .Sub(Frequency(1, 108.9))
                                .Sub(Frequency(5, 118.1))
                                .Sub(Frequency(14, 122.8))
                                .Sub(parking)
                                .Sub(start)
                                .Sub(runwayStart));
  Db d;
  d.Parse(w.Build());
  ASSERT_EQ(1, d.db.m_airports.GetSize());
  const NavPoint& ap = d.db.m_airports[0];
  const AirportRecord* a = d.db.GetAirport(ap);
  ASSERT_EQ(3, a->FrequencyCount());
  ASSERT_EQ(3, a->ParkingCount());
  const FrequencyEntry* f = d.db.GetAirportFrequencies(ap);
  EXPECT_EQ(1, +f[0].type);
  EXPECT_NEAR(121.3, +f[0].frequency, 0.002);
  EXPECT_EQ(1, +f[1].type);
  EXPECT_EQ(16, +f[2].type);

  // Only the tower-type frequency inside the COM band makes a point, 100 m north-east.
  ASSERT_EQ(1, d.db.m_coms.GetSize());
  const NavPoint& com = d.db.m_coms[0];
  EXPECT_NEAR(100, GreatCircleDistance(45, 7, +com.latitude, +com.longitude), 0.5);
  EXPECT_EQ(0x8001, +d.db.GetCom(com)->type);

  const ParkingEntry* p = d.db.GetAirportParkings(ap);
  EXPECT_EQ(64, p[0].Heading());
  EXPECT_EQ(3, p[0].NameKind());
  EXPECT_EQ(12, p[0].Number());
  EXPECT_EQ(10, p[0].Type());
  EXPECT_NEAR(45.01, +p[0].latitude, 1e-5);
  EXPECT_EQ(128, p[1].Heading());  // found after the trailing word of the first entry
  EXPECT_EQ(7, p[1].Number());
  EXPECT_NEAR(45.02, +p[1].latitude, 1e-5);
  EXPECT_EQ(38, p[2].NameKind());  // helipad start
  EXPECT_EQ(5, p[2].Number());
  EXPECT_EQ(12, p[2].Type());
  EXPECT_EQ(32, p[2].Heading());
}

TEST(SectionBglParser, TaxiPathsAndOutlinesBecomeFootprints) {
  const std::vector<std::pair<double, double>> pts = {
      {45.000, 7.000}, {45.001, 7.000}, {45.002, 7.001}, {44.999, 7.002}, {45.003, 7.003}};
  struct Row {
    const char* name;
    std::vector<std::pair<int, int>> paths;
    int objects;
    int vertices;
  } rows[] = {{"JoinedChain", {{0, 1}, {1, 2}, {2, 3}}, 1, 4},
              {"TwoDisjointPaths", {{0, 1}, {2, 3}}, 2, 4},
              {"IndexPastTheListIsDropped", {{0, 1}, {1, 4095}}, 1, 2}};
  for (const Row& row : rows) {
    SectionBglWriter w;
    w.Add(kBglSectionAirport, Airport(45, 7, 0, "TAXI").Sub(TaxiPoints(pts)).Sub(TaxiPaths(row.paths)));
    Db d;
    d.Parse(w.Build());
    EXPECT_EQ(1, d.db.m_objectGroups.GetSize()) << row.name;
    EXPECT_EQ(row.objects, d.db.m_objects.GetSize()) << row.name;
    EXPECT_EQ(row.vertices, d.db.m_footprintVertices.GetSize()) << row.name;
    EXPECT_EQ(0xC1, +d.db.m_objects[0].flags) << row.name;
  }

  SectionBglWriter w;
  w.Add(kBglSectionAirport, Airport(45, 7, 0, "OUTL")
                                .Sub(TaxiPoints(pts))
                                .Sub(TaxiPaths({{0, 3}, {4, 1}}, 2))  // not type 1: ignored
                                .Sub(Outline({{45.001, 7.0}, {45.0, 7.001}, {44.998, 6.999}})));
  Db d;
  d.Parse(w.Build());
  ASSERT_EQ(1, d.db.m_objectGroups.GetSize());
  EXPECT_FLOAT_EQ(44.998f, d.db.m_objectGroups[0].BandSouth());
  EXPECT_FLOAT_EQ(45.001f, d.db.m_objectGroups[0].BandNorth());
  ASSERT_EQ(1, d.db.m_objects.GetSize());
  EXPECT_EQ(0xC3, +d.db.m_objects[0].flags);
  EXPECT_EQ(24, +d.db.m_objects[0].layer);
  ASSERT_EQ(3, d.db.m_footprintVertices.GetSize());
  EXPECT_EQ(111, +d.db.m_footprintVertices[0].north);  // 0.001 degree of latitude
  EXPECT_EQ(0, +d.db.m_footprintVertices[0].east);
  EXPECT_EQ(0, +d.db.m_footprintVertices[1].north);
  EXPECT_EQ(79, +d.db.m_footprintVertices[1].east);  // 0.001 degree of longitude at 45 N
  EXPECT_EQ(-222, +d.db.m_footprintVertices[2].north);
  EXPECT_EQ(-79, +d.db.m_footprintVertices[2].east);
  EXPECT_EQ(3, +d.db.m_objects[0].vertexEnd);
}

TEST(SectionBglParser, NavaidsAndMarkers) {
  SectionBglWriter w;
  w.Add(kBglSectionVorIls, Vor(47, 8, 113.9, "ZUE", 1, 17).Sub(NameSub("Zurich East")));
  w.Add(kBglSectionVorIls, Vor(47, 9, 114.2, "DME", 3, 16));
  w.Add(kBglSectionVorIls, Vor(47, 10, 114.2, "BAD", 3, 2));   // unknown flags: skipped
  w.Add(kBglSectionVorIls, Vor(47, 10, 114.2, "ZERO", 0, 17)); // type 0: skipped
  w.Add(kBglSectionNdb, Ndb(46, 7, 352.5, "KL"));
  w.Add(kBglSectionMarker, Marker(46, 7.1, 0, 64));
  w.Add(kBglSectionMarker, Marker(46, 7.2, 3, 64));
  w.Add(kBglSectionMarker, Marker(46, 7.3, 4, 64));  // unknown type: skipped
  Db d;
  d.Parse(w.Build());
  ASSERT_EQ(2, d.db.m_vors.GetSize());
  const VorRecord* zue = d.db.GetVor(d.db.m_vors[0]);
  const VorRecord* dme = d.db.GetVor(d.db.m_vors[1]);
  if (zue->Ident() != "ZUE") std::swap(zue, dme);
  EXPECT_EQ("ZUE", zue->Ident());
  EXPECT_FLOAT_EQ(113.9f, +zue->frequency);
  EXPECT_EQ(1, +zue->flags);
  EXPECT_EQ(49, +zue->range);  // 100 km in 2048 m steps
  EXPECT_EQ(364, +zue->declination);  // 2 degrees
  EXPECT_STREQ("Zurich East", d.db.GetString(zue->nameText));
  EXPECT_EQ(9, +dme->flags);
  EXPECT_EQ(-1, +dme->nameText);

  ASSERT_EQ(1, d.db.m_ndbs.GetSize());
  const NdbRecord* kl = d.db.GetNdb(d.db.m_ndbs[0]);
  EXPECT_FLOAT_EQ(352.5f, +kl->frequency);
  EXPECT_EQ("KL", kl->Ident());
  EXPECT_EQ(20, +kl->range);

  ASSERT_EQ(2, d.db.m_markers.GetSize());
  const MarkerRecord* outer = d.db.GetMarker(d.db.m_markers[0]);
  const MarkerRecord* back = d.db.GetMarker(d.db.m_markers[1]);
  if (outer->heading != 90) std::swap(outer, back);
  EXPECT_EQ(2, +outer->type);
  EXPECT_EQ(90, +outer->heading);
  EXPECT_EQ(12, +outer->altitude);
  EXPECT_EQ(0, +back->type);
  EXPECT_EQ(270, +back->heading);
}

TEST(SectionBglParser, IlsIsPlacedByItsGlideSlopeOrDme) {
  struct Row {
    const char* name;
    double gsOffset, dmeOffset;  // metres north of the localizer (the localizer course is 0)
    double expectedSouth;         // metres the front point lies south of the localizer
  } rows[] = {{"BothNear", 5, 9, 0}, {"GlideSlopeFar", 300, 9, 300}, {"DmeFar", 5, 600, 600}};
  for (const Row& row : rows) {
    Record ils = Ils(47, 8, 110.3, "IZH", 0.0f, 9);
    const double degPerM = 360.0 / 40007000.0;
    Record gs(21, 28);
    gs.Lon(8, 8).Lat(12, 47 + row.gsOffset * degPerM).F32(24, 3.0f);
    Record dme(22, 16);
    dme.Lon(8, 8).Lat(12, 47 + row.dmeOffset * degPerM);
    ils.Sub(gs).Sub(dme);
    SectionBglWriter w;
    w.Add(kBglSectionVorIls, ils);
    Db d;
    d.Parse(w.Build());
    ASSERT_EQ(2, d.db.m_ils.GetSize()) << row.name;
    const NavPoint* front = &d.db.m_ils[0];
    const NavPoint* back = &d.db.m_ils[1];
    if (!front->IsShown()) std::swap(front, back);
    EXPECT_NEAR(row.expectedSouth, GreatCircleDistance(47, 8, +front->latitude, +front->longitude), 1.0) << row.name;
    EXPECT_LE(+front->latitude, 47.0f) << row.name;
    EXPECT_FLOAT_EQ(47.0f, +back->latitude) << row.name;
    const IlsRecord* f = d.db.GetIls(*front);
    const IlsRecord* b = d.db.GetIls(*back);
    EXPECT_EQ(0xC0, +f->flags);
    EXPECT_EQ(0, +f->course);
    EXPECT_EQ(0x8000, +b->course);
    EXPECT_EQ(-1, +b->glideSlope);
    EXPECT_EQ(static_cast<int16_t>(std::sin(3.0 * kDegToRad) * 2 * 65536), +f->glideSlope);
    EXPECT_FALSE(back->IsShown());
  }
}

TEST(SectionBglParser, SceneryObjectsSkipAttachmentBlocks) {
  Record blockStart(0x1000, 8, true);
  Record inner(7, 32, true);  // inside a block: not an object of its own
  inner.Lon(4, 1).Lat(8, 1).U16(28, 0);
  Record blockEnd(0x1001, 4, true);
  SectionBglWriter w;
  w.Add(kBglSectionSceneryObject, SceneryObject(10, 20, 0));
  w.Add(kBglSectionSceneryObject, blockStart.Build());
  w.Add(kBglSectionSceneryObject, inner.Build());
  w.Add(kBglSectionSceneryObject, blockEnd.Build());
  w.Add(kBglSectionSceneryObject, SceneryObject(11, 21, 3));
  w.Add(kBglSectionSceneryObject, SceneryObject(12, 22, 0));
  // The subsection counts records without the block: three.
  std::vector<uint8_t> image = w.Build();
  const uint32_t three = 3;
  std::memcpy(image.data() + 128 + 20 + 4, &three, 4);
  Db d;
  d.Parse(image);
  ASSERT_EQ(2, d.db.m_objects.GetSize());
  EXPECT_EQ(0xC2, +d.db.m_objects[0].flags);
  EXPECT_FLOAT_EQ(20.0f, +d.db.m_objects[0].longitude);
  EXPECT_FLOAT_EQ(22.0f, +d.db.m_objects[1].longitude);
  EXPECT_EQ(2, d.db.m_objectGroups.GetSize());
  EXPECT_EQ(2, +d.db.m_files[0].objectGroupEnd);
}

TEST(SectionBglParser, BrokenFilesEndWithAParseError) {
  auto airportFile = [](const Record& r) {
    SectionBglWriter w;
    w.Add(kBglSectionAirport, r);
    return w.Build();
  };
  std::vector<uint8_t> good = airportFile(Airport(1, 1, 0, "OK").Sub(Runway(1, 1, 500, 20, 0, 1, 0)));
  struct Row {
    const char* name;
    std::vector<uint8_t> image;
  };
  std::vector<Row> rows;
  rows.push_back({"Truncated", std::vector<uint8_t>(good.begin(), good.end() - 10)});
  rows.push_back({"ZeroSizeRecord", airportFile(Airport(1, 1, 0, "Z").ForceSize(0))});
  rows.push_back({"ZeroSizeSubRecord", airportFile(Airport(1, 1, 0, "Z").Sub(Record(18, 12).ForceSize(0)))});
  rows.push_back({"RecordSizePastTheEnd", airportFile(Airport(1, 1, 0, "Z").ForceSize(0xFFFFFFF0u))});
  rows.push_back({"HugeTaxiPointCount", airportFile(Airport(1, 1, 0, "Z").Sub(Record(26, 8).U16(6, 60000)).Sub(TaxiPaths({{0, 59999}})))});
  {
    std::vector<uint8_t> image = good;
    const uint32_t huge = 0x7FFFFFFF;
    std::memcpy(image.data() + 20, &huge, 4);  // section count
    rows.push_back({"SectionCountPastTheEnd", image});
  }
  {
    std::vector<std::string> lists[5] = {Lists({"A"}), {}, {}, {}, {}};
    std::vector<uint8_t> nl = NameList(lists, {});
    const uint32_t off = 0x7FFFFFF0;
    std::memcpy(nl.data() + 18, &off, 4);
    SectionBglWriter w;
    w.Add(kBglSectionNameList, nl);
    rows.push_back({"NameListOffsetPastTheEnd", w.Build()});
  }
  for (const Row& row : rows) {
    Db d;
    EXPECT_THROW(d.Parse(row.image), BglParseError) << row.name;
  }
  Db ok;
  EXPECT_NO_THROW(ok.Parse(good));
  EXPECT_EQ(2, ok.db.m_runways.GetSize());
}

TEST(SectionBglParser, UnpacksIdents) {
  struct Row {
    uint32_t packed;
    const char* expected;
  } rows[] = {{PackIdent("KSEA"), "KSEA"}, {PackIdent("A1"), "A1"}, {0, ""}, {31, ""}};
  for (const Row& row : rows) {
    char out[6];
    UnpackIdent(out, row.packed);
    EXPECT_STREQ(row.expected, out) << row.packed;
  }
  char longest[6];
  UnpackIdent(longest, 0xFFFFFFFF);  // 27 bits hold more than five characters
  EXPECT_EQ(5u, std::strlen(longest));
}

}  // namespace
