#include "basemaker/compiler/OldBglParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "basemaker/compiler/tests/support/OldBglWriter.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

using namespace testbgl;

constexpr double kLat = 47.25;
constexpr double kLon = 8.5;

struct Parsed {
  explicit Parsed(const ByteVec& image) { ParseOldBglImage(f.db, image.data(), image.size()); }
  const CSceneryDatabase& db() const { return f.db; }
  std::string Text(int32_t offset) const { return f.db.GetString(offset); }
  OpenFileDb f;
};

ByteVec FileWith(uint32_t field, const ByteVec& section) {
  OldBglWriter w;
  w.SetSection(field, section);
  return w.Build();
}

TEST(OldBglParser, NdbItems) {
  struct Case {
    const char* name;
    uint32_t tenthsKhz;
    std::string ident, text;
    uint8_t rangeClass;
    bool added;
    std::string expectIdent, expectName;
    uint8_t expectRange;
  };
  const Case cases[] = {
      {"named beacon", 3520, "mun", "MUNICH", 2, true, "MUN", "MUNICH", 34},
      {"blank name takes the ident", 12345, "XY", "", 4, true, "XY", "XY", 68},
      {"unmapped range class", 4000, "AB", "ALPHA", 9, true, "AB", "ALPHA", 9},
      {"frequency digits all zero", 0, "ZZ", "ZERO", 1, false, "", "", 0},
  };
  for (const Case& c : cases) {
    const ByteVec item = NdbItem(kLat, kLon, c.tenthsKhz, c.ident, c.text, 530, c.rangeClass);
    Parsed p(FileWith(kOldNdbSectionField, GroupedSection({{0, 0, item}})));
    ASSERT_EQ(p.db().m_ndbs.GetSize(), c.added ? 1 : 0) << c.name;
    if (!c.added) continue;
    const NavPoint& point = p.db().m_ndbs[0];
    const NdbRecord* ndb = p.db().GetNdb(point);
    EXPECT_EQ(ndb->Ident(), c.expectIdent) << c.name;
    EXPECT_EQ(p.Text(ndb->nameText), c.expectName) << c.name;
    EXPECT_NEAR(ndb->frequency, c.tenthsKhz / 10.0, 1e-3) << c.name;
    EXPECT_EQ(+ndb->range, c.expectRange) << c.name;
    EXPECT_EQ(+ndb->altitude, 530);
    EXPECT_EQ(+ndb->intersection, -1);
    EXPECT_NEAR(point.latitude, kLat, 1e-4);
    EXPECT_NEAR(point.longitude, kLon, 1e-4);
    EXPECT_TRUE(point.IsKept());
  }
}

TEST(OldBglParser, VorFrequenciesFollowTheIndexTable) {
  OldBglWriter w;
  w.SetVorIlsRange(100, 102);
  w.SetSection(kOldVorIlsSectionField,
               VorIlsSection({{{0, 0, VorItem(kLat, kLon, "ABC", "ALPHA", 1, 22, -1000, 400)}},
                              {},
                              {{0, 0, VorItem(kLat + 1, kLon, "DEF", "", 3, 85)}}}));
  Parsed p(w.Build());
  ASSERT_EQ(p.db().m_vors.GetSize(), 2);
  std::vector<std::pair<std::string, float>> seen;
  for (const NavPoint& point : p.db().m_vors) {
    const VorRecord* vor = p.db().GetVor(point);
    seen.emplace_back(std::string(vor->Ident()), +vor->frequency);
    if (vor->Ident() == "ABC") {
      EXPECT_EQ(+vor->range, 33);
      EXPECT_EQ(+vor->declination, -1000);
      EXPECT_EQ(+vor->altitude, 400);
      EXPECT_EQ(+vor->flags, 1);
      EXPECT_EQ(p.Text(vor->nameText), "ALPHA");
    } else {
      EXPECT_EQ(+vor->range, 176);
      EXPECT_EQ(p.Text(vor->nameText), "DEF");
    }
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_NEAR(seen[0].second, 113.0, 1e-4);
  EXPECT_NEAR(seen[1].second, 113.1, 1e-4);

  // The walk starts at the highest index: a broken entry there hides the whole table.
  OldBglWriter w2;
  w2.SetVorIlsRange(100, 102);
  ByteVec section = VorIlsSection({{{0, 0, VorItem(kLat, kLon, "ABC", "ALPHA")}}, {}, {}});
  section[2 * 5] = 7;
  w2.SetSection(kOldVorIlsSectionField, section);
  EXPECT_EQ(Parsed(w2.Build()).db().m_vors.GetSize(), 0);
}

struct IlsResult {
  NavPoint front, back;
  IlsRecord frontRecord, backRecord;
  int points = 0;
};

IlsResult ParseIls(const ByteVec& items) {
  OldBglWriter w;
  w.SetVorIlsRange(60, 60);  // 111.00 MHz
  w.SetSection(kOldVorIlsSectionField, VorIlsSection({{{0, 0, items}}}));
  Parsed p(w.Build());
  IlsResult r;
  r.points = p.db().m_ils.GetSize();
  for (const NavPoint& point : p.db().m_ils) {
    if (point.IsKept()) {
      r.front = point;
      r.frontRecord = *p.db().GetIls(point);
    } else {
      r.back = point;
      r.backRecord = *p.db().GetIls(point);
    }
  }
  return r;
}

TEST(OldBglParser, IlsWithGlideSlopeIsPlacedAtTheThresholdAbeam) {
  IlsFields s;
  s.lat = kLat;
  s.lon = kLon;
  s.course = 0x4000;  // 90 degrees: the localizer stands east of the runway
  DestinationPoint(s.gsLat, s.gsLon, kLat, kLon, 270.0, 2500.0);
  s.gsAltitude = 420;
  s.gsAngle = 300;
  s.flags = 0x01;
  const IlsResult r = ParseIls(IlsItem(s));
  ASSERT_EQ(+r.points, 2);
  EXPECT_NEAR(GreatCircleDistance(kLat, kLon, r.front.latitude, r.front.longitude), 2500.0, 5.0);
  EXPECT_NEAR(InitialCourse(kLat, kLon, r.front.latitude, r.front.longitude), 270.0, 0.5);
  EXPECT_EQ(+r.frontRecord.course, 0x4000);
  EXPECT_EQ(+r.frontRecord.glideSlope, 300);
  EXPECT_EQ(+r.frontRecord.altitude, 420);
  EXPECT_EQ(+r.frontRecord.flags, 0x21);
  EXPECT_NEAR(r.frontRecord.frequency, 111.0, 1e-4);
  EXPECT_EQ(r.frontRecord.Ident(), "IABC");
  EXPECT_NEAR(r.back.latitude, kLat, 1e-4);
  EXPECT_NEAR(r.back.longitude, kLon, 1e-4);
  EXPECT_EQ(+r.backRecord.course, 0xC000);
  EXPECT_EQ(+r.backRecord.glideSlope, -1);

  s.glideSlopePlaced = false;
  EXPECT_EQ(+ParseIls(IlsItem(s)).points, 0);
}

TEST(OldBglParser, LocalizerPlacementFallsBackToDmeThenStation) {
  IlsFields s;
  s.type = 6;
  s.lat = kLat;
  s.lon = kLon;
  s.course = 0;
  s.glideSlopePlaced = false;
  s.rangeClass = 16;
  double dmeLat = 0, dmeLon = 0;
  DestinationPoint(dmeLat, dmeLon, kLat, kLon, 180.0, 1200.0);
  struct Case {
    const char* name;
    bool dmeFlag, validMarks;
    double expectDistance;
  };
  const Case cases[] = {
      {"no glide slope, no DME: at the station", false, true, 0.0},
      {"DME placed far enough", true, true, 1200.0},
      {"DME with wrong marks is ignored", true, false, 0.0},
  };
  for (const Case& c : cases) {
    IlsFields ils = s;
    ils.flags = c.dmeFlag ? 0x01 : 0x00;
    Bytes items;
    items.Append(IlsItem(ils));
    if (c.dmeFlag) items.Append(DmeExtension(dmeLat, dmeLon, 10, c.validMarks));
    const IlsResult r = ParseIls(items);
    ASSERT_EQ(+r.points, 2) << c.name;
    EXPECT_NEAR(GreatCircleDistance(kLat, kLon, r.front.latitude, r.front.longitude), c.expectDistance,
                5.0)
        << c.name;
    EXPECT_NEAR(r.back.latitude, kLat, 1e-4) << c.name;
    EXPECT_EQ(+r.frontRecord.range, 24) << c.name;
    EXPECT_EQ(+r.frontRecord.glideSlope, 0) << c.name;
  }

  // An item after a counted DME extension is read from the right place.
  IlsFields withDme = s;
  withDme.flags = 0x01;
  Bytes two;
  two.Append(IlsItem(withDme)).Append(DmeExtension(dmeLat, dmeLon, 10));
  two.Append(VorItem(kLat, kLon + 1, "VVV", "VICTOR"));
  OldBglWriter w;
  w.SetVorIlsRange(60, 60);
  w.SetSection(kOldVorIlsSectionField, VorIlsSection({{{0, 0, two}}}));
  Parsed p(w.Build());
  EXPECT_EQ(p.db().m_ils.GetSize(), 2);
  EXPECT_EQ(p.db().m_vors.GetSize(), 1);
}

TEST(OldBglParser, AtisFrequenciesInTheComBandOnly) {
  struct Case {
    uint16_t bcd;
    bool added;
  };
  const Case cases[] = {
      {0x3697, true},   // 136.97
      {0x1800, true},   // 118.00
      {0x3699, false},  // 136.99: last digit 9
      {0x3700, false},  // 137.00
      {0x1797, false},  // 117.97
  };
  for (const Case& c : cases) {
    const ByteVec item = AtisItem(kLat, kLon, c.bcd, 25, {0x49, 0x12, 0, 0});
    Parsed p(FileWith(kOldAtisSectionField, GroupedSection({{0, 0, Items({item, item})}})));
    ASSERT_EQ(p.db().m_coms.GetSize(), c.added ? 2 : 0) << std::hex << c.bcd;
    if (!c.added) continue;
    const NavPoint& point = p.db().m_coms[0];
    const ComRecord* com = p.db().GetCom(point);
    EXPECT_EQ(+com->type, 1);
    EXPECT_NEAR(com->frequency, DecodeBcd8(c.bcd) * 0.01 + 100, 1e-4);
    EXPECT_EQ(+com->range, 25);
    EXPECT_EQ(com->runways[0], 0x49);
    EXPECT_EQ(com->runways[1], 0x12);
    EXPECT_NEAR(InitialCourse(kLat, kLon, point.latitude, point.longitude), 45.0, 1.0);
  }
}

TEST(OldBglParser, AirportNamesFromLabels) {
  struct Case {
    const char* label;
    bool labelSection;
    const char* name;
  };
  const Case cases[] = {
      {"Springfield Airport", true, "Springfield"},
      {"Airport Springfield", true, "Airport Springfield"},
      {"Springfield -- Runway 27", true, "Springfield"},
      // Words are tried in list order, not by where they stand in the text.
      {"Springfield - Rwy 9 Hold Short", true, "Springfield - Rwy 9"},
      {"Ramp", true, "Ramp"},
      {"Lakeside Parking", true, "Lakeside"},
      {"Old Mill at Lakeside", true, "Old Mill"},
      {"Springfield Airport", false, "Springfield Airport"},
      {"Springfield - RWY 27", false, "Springfield -"},
      {"   ", true, ""},
      {"--", true, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AirportNameFromLabel(c.label, c.labelSection), c.name) << c.label;
  }
}

TEST(OldBglParser, LabelSectionAirports) {
  const ByteVec section = LabelSection(
      {{{kLat, kLon, 431.5, "Springfield Airport"}, {kLat, kLon + 0.1, 0, "Runway 9"}},
       {{kLat + 0.1, kLon, 0, "-- "}}});
  Parsed p(FileWith(kOldLabelSectionField, section));
  ASSERT_EQ(p.db().m_airports.GetSize(), 2);
  const AirportRecord* a = p.db().GetAirport(p.db().m_airports[0]);
  EXPECT_EQ(p.Text(a->nameText), "Springfield");
  EXPECT_EQ(+a->size, 25);
  EXPECT_EQ(+a->altitude, 431);
  EXPECT_EQ(+a->regionText, -1);
  EXPECT_EQ(a->Ident(), "");
  EXPECT_EQ(+a->counts, 0);
  EXPECT_EQ(p.Text(p.db().GetAirport(p.db().m_airports[1])->nameText), "Runway 9");
}

TEST(OldBglParser, TextsAndListsStopAtTheEndOfTheFile) {
  // A label whose text runs to the very end of the file, without NUL.
  {
    OldBglWriter w;
    const std::string text(300, 'A');
    ByteVec section = LabelSection({{{kLat, kLon, 0, text}}});
    section.resize(section.size() - 2);  // drop the NUL and the list end
    w.SetSection(kOldLabelSectionField, section);
    Parsed p(w.Build());
    ASSERT_EQ(p.db().m_airports.GetSize(), 1);
    EXPECT_EQ(p.Text(p.db().GetAirport(p.db().m_airports[0])->nameText), std::string(100, 'A'));
  }
  // Group item lists and VOR/ILS table entries that point past the end add nothing.
  {
    OldBglWriter w;
    Bytes groups;
    groups.U8(21).I16(0).I16(0).U32(0x7FFFFFF0).U8(21).I16(0).I16(0).U32(0xFFFFFFFF);
    w.SetSection(kOldNdbSectionField, groups);
    w.SetVorIlsRange(0, 0xFFFF);
    w.SetSection(kOldVorIlsSectionField, ByteVec{1, 0xF0, 0xFF, 0xFF, 0x7F});
    Parsed p(w.Build());
    EXPECT_EQ(p.db().m_ndbs.GetSize(), 0);
    EXPECT_EQ(p.db().m_vors.GetSize(), 0);
  }
  // A marker label cut off by the end of its item keeps what lies inside the item.
  {
    ByteVec label = MarkerLabel(kLat, kLon, 0, "Springfield Runway 9");
    label[1] = 22 + 6;  // the item ends after "Spring"
    Parsed p(FileWith(kOldMarkerSectionField, GroupedSection({{0, 0, label}})));
    ASSERT_EQ(p.db().m_airports.GetSize(), 1);
    EXPECT_EQ(p.Text(p.db().GetAirport(p.db().m_airports[0])->nameText), "Spring");
  }
}

TEST(OldBglParser, MarkerSectionItems) {
  CommandStream runway;
  RunwaySpec r;
  r.lat = kLat;
  r.lon = kLon;
  r.designator = 9;
  r.heading = 0x4000;
  runway.Add(RunwayFixed(r));
  Bytes skipped;
  skipped.U8(100).U8(5).Zeros(3);
  const ByteVec items = Items({
      MarkerBeacon(4, kLat, kLon, 400, 64),
      MarkerBeacon(5, kLat, kLon + 0.01, 400, 64),
      skipped,
      MarkerBeacon(6, kLat, kLon + 0.02, 400, 192),
      MarkerLabel(kLat, kLon, 410, "Springfield Runway 9"),
      SceneryBlock(kLat - 0.01, kLat + 0.01, kLon - 0.01, kLon + 0.01, runway.Data()),
      ByteVec{50, 4, 0, 0},  // unknown type: the list ends here
      MarkerBeacon(4, kLat, kLon, 400, 64),
  });
  Parsed p(FileWith(kOldMarkerSectionField, GroupedSection({{0, 0, items}})));
  ASSERT_EQ(p.db().m_markers.GetSize(), 3);
  std::vector<std::pair<int, int>> typeHeading;
  for (const NavPoint& m : p.db().m_markers) {
    const MarkerRecord* rec = p.db().GetMarker(m);
    typeHeading.emplace_back(+rec->type, +rec->heading);
    EXPECT_EQ(+rec->altitude, 400);
  }
  std::sort(typeHeading.begin(), typeHeading.end());
  EXPECT_EQ(typeHeading, (std::vector<std::pair<int, int>>{{0, 270}, {1, 90}, {2, 90}}));
  ASSERT_EQ(p.db().m_airports.GetSize(), 1);
  EXPECT_EQ(p.Text(p.db().GetAirport(p.db().m_airports[0])->nameText), "Springfield");
  EXPECT_EQ(p.db().m_runways.GetSize(), 2);
}

// An asphalt ground triangle, one object of the stream's group; the stream returns after it.
void AddGroundTriangle(CommandStream& s) {
  s.Add(Texture("asphalt"));
  s.Add(DefineVertex(0, 0, 0, 0));
  s.Add(DefineVertex(1, 100, 0, 0));
  s.Add(DefineVertex(2, 0, 0, 100));
  s.Add(IndexedPolygon({0, 1, 2}));
  s.Add(Op(34));
}

TEST(OldBglParser, CommandSectionsGiveRunwaysAndObjectGroups) {
  CommandStream s;
  RunwaySpec r;
  r.lat = kLat;
  r.lon = kLon;
  r.designator = 9;
  r.heading = 0x4000;
  s.Add(RunwayFixed(r));
  AddGroundTriangle(s);
  OldBglWriter w;
  // Two groups: the first with two items, the second with one of the long-length type.
  w.SetSection(kOldCommandSectionAField,
               GroupedSection({{100, 110, Items({CommandItem(4, kLat, kLon, s.Data()),
                                                 CommandItem(5, kLat, kLon + 0.1, s.Data())})},
                               {120, 130, CommandItem(6, kLat, kLon + 0.2, s.Data())}}));
  w.SetSection(kOldCommandSectionBField, CommandTableSection({s.Data()}));
  Parsed p(w.Build());
  EXPECT_EQ(p.db().m_runways.GetSize(), 8);
  // One object group per group of section A, one per stream of section B.
  ASSERT_EQ(p.db().m_objectGroups.GetSize(), 3);
  EXPECT_NEAR(p.db().m_objectGroups[0].BandSouth(), 100 * 512 * 360.0 / 40007000, 1e-5);
  EXPECT_NEAR(p.db().m_objectGroups[0].BandNorth(), 110 * 512 * 360.0 / 40007000, 1e-5);
  EXPECT_EQ(+p.db().m_objectGroups[0].objectEnd, 2);
  EXPECT_EQ(+p.db().m_objectGroups[1].objectEnd, 3);
  EXPECT_EQ(+p.db().m_objectGroups[2].objectEnd, 4);
  EXPECT_EQ(+p.db().m_files[0].objectGroupEnd, 3);
  EXPECT_NEAR(p.db().m_objects[1].longitude, kLon + 0.1, 1e-4);
  EXPECT_FLOAT_EQ(p.db().m_objects[3].latitude, 0.0f);  // section B streams start at 0, 0
}

TEST(OldBglParser, GroupsSharingACommandListAreWalkedOncePerBand) {
  CommandStream s;
  AddGroundTriangle(s);
  // Three groups on the first one's item list: the second in a band of its own, the third in
  // the first one's band again.
  ByteVec section = GroupedSection({{100, 110, CommandItem(4, kLat, kLon, s.Data())},
                                    {120, 130, CommandItem(4, kLat, kLon, s.Data())},
                                    {100, 110, CommandItem(4, kLat, kLon, s.Data())}});
  for (size_t g = 1; g < 3; ++g) std::copy_n(section.begin() + 5, 4, section.begin() + 9 * g + 5);
  OldBglWriter w;
  w.SetSection(kOldCommandSectionAField, section);
  Parsed p(w.Build());
  ASSERT_EQ(p.db().m_objectGroups.GetSize(), 2);
  EXPECT_NEAR(p.db().m_objectGroups[0].BandSouth(), 100 * 512 * 360.0 / 40007000, 1e-5);
  EXPECT_NEAR(p.db().m_objectGroups[1].BandSouth(), 120 * 512 * 360.0 / 40007000, 1e-5);
  EXPECT_EQ(p.db().m_objects.GetSize(), 2);
}

int16_t GridValue(int lon, int lat) {
  return static_cast<int16_t>(lon * 7 - lat);
}

TEST(OldBglParser, MagneticVariationGrid) {
  Parsed p(FileWith(kOldMagVarSectionField, MagVarSection(GridValue)));
  ASSERT_EQ(p.db().m_magVarGrids.GetSize(), 1);
  EXPECT_EQ(+p.db().m_areas[0].magVarEnd, 1);
  const MagVarGrid& g = p.db().m_magVarGrids[0];
  EXPECT_EQ(g.At(-90, 0), GridValue(0, -90));
  EXPECT_EQ(g.At(45, 100), GridValue(100, 45));
  EXPECT_EQ(g.At(90, 359), GridValue(359, 90));

  ByteVec cut = MagVarSection(GridValue);
  cut.pop_back();
  Parsed short_(FileWith(kOldMagVarSectionField, cut));
  EXPECT_EQ(short_.db().m_magVarGrids.GetSize(), 0);
  EXPECT_EQ(+short_.db().m_areas[0].magVarEnd, 0);
}

TEST(OldBglParser, ExclusionRecords) {
  struct Case {
    const char* name;
    std::vector<uint8_t> types;
    int boxes;
  };
  const Case cases[] = {
      {"3, 4, 3", {3, 4, 3}, 2},
      {"3, 5, 3", {3, 5, 3}, 1},
      {"4 only", {4}, 0},
  };
  for (const Case& c : cases) {
    std::vector<ExclusionRecord> records;
    for (uint8_t t : c.types) {
      ExclusionRecord r;
      r.type = t;
      r.flags = 2;
      r.north = 48;
      r.south = 47;
      r.east = 9;
      r.west = 8;
      records.push_back(r);
    }
    Parsed p(FileWith(kOldExclusionSectionField, ExclusionSection(records)));
    ASSERT_EQ(p.db().m_excludeBoxes.GetSize(), c.boxes) << c.name;
    EXPECT_EQ(+p.db().m_areas[0].excludeBoxEnd, c.boxes) << c.name;
    if (c.boxes == 0) continue;
    const ExcludeBox& b = p.db().m_excludeBoxes[0];
    EXPECT_EQ(+b.flags, 2);
    EXPECT_NEAR(b.latMin, 47, 1e-4);
    EXPECT_NEAR(b.latMax, 48, 1e-4);
    EXPECT_NEAR(b.lonMin, 8, 1e-4);
    EXPECT_NEAR(b.lonMax, 9, 1e-4);
  }
}

TEST(OldBglParser, SectionOffsetsOutsideTheFileAreAbsent) {
  OldBglWriter w;
  const ByteVec good = GroupedSection({{0, 0, NdbItem(kLat, kLon, 3520, "AB", "ALPHA")}});
  w.SetSection(kOldNdbSectionField, good);
  ByteVec image = w.Build();
  const uint32_t size = static_cast<uint32_t>(image.size());
  for (uint32_t offset : {size, size + 1, 0xFFFFFFFFu}) {
    ByteVec broken = image;
    std::memcpy(broken.data() + kOldNdbSectionField, &offset, 4);
    EXPECT_EQ(Parsed(broken).db().m_ndbs.GetSize(), 0) << offset;
  }
  EXPECT_EQ(Parsed(image).db().m_ndbs.GetSize(), 1);
}

}  // namespace
