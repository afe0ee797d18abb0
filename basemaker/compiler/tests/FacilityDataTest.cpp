#include "basemaker/compiler/FacilityData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "basemaker/compiler/OldBglParser.h"
#include "basemaker/compiler/tests/support/OldBglWriter.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

using namespace testbgl;

constexpr double kLat = 48.0;
constexpr double kLon = 11.0;

// An old-format file with the long header and facility data version 1.
struct FacilityFile {
  FacilityFile() { w.SetHeaderI32(kFacilityVersionField, 1); }
  uint32_t Record(int32_t kind, const std::vector<ByteVec>& subs) {
    return w.Append(FacilityRecord(kind, subs));
  }
  uint32_t Airport(const std::vector<ByteVec>& extra = {}, const std::string& ident = "EDDM") {
    std::vector<ByteVec> subs = {PositionSub(kLat, kLon, 450), IdentSub(ident)};
    subs.insert(subs.end(), extra.begin(), extra.end());
    return Record(kFacilityAirport, subs);
  }
  void NameList(const std::vector<ByteVec>& chunks) { SetList(kFacilityNameListField, chunks); }
  void ChunkTree(const std::vector<ByteVec>& chunks) { SetList(kFacilityChunkTreeField, chunks); }
  void SetList(uint32_t field, const std::vector<ByteVec>& chunks) {
    Bytes list;
    for (const ByteVec& c : chunks) list.Append(c);
    list.Append(ChunkListEnd());
    w.SetHeaderU32(field, w.Append(list));
  }
  ByteVec Build() const { return w.Build(); }
  OldBglWriter w{true};
};

struct Parsed {
  explicit Parsed(const ByteVec& image) { ParseOldBglImage(f.db, image.data(), image.size()); }
  const CSceneryDatabase& db() const { return f.db; }
  const AirportRecord* Airport(int i = 0) const { return f.db.GetAirport(f.db.m_airports[i]); }
  std::string Text(int32_t offset) const { return offset < 0 ? "<none>" : f.db.GetString(offset); }
  OpenFileDb f;
};

ByteVec EnglishTree(const std::vector<ByteVec>& entries) {
  return NameTree(kFacilityEnglish, entries);
}

TEST(FacilityData, AirportCarriesPlaceNamesPositionAndIdent) {
  FacilityFile file;
  const uint32_t a = file.Airport({}, "EDDM");
  const uint32_t b = file.Airport({}, "LOWS");
  file.NameList({EnglishTree({
      NameEntry(kLevelRegion, 0, "Europe"), NameEntry(kLevelCountry, 0, "Germany"),
      NameEntry(kLevelState, 0, "Bavaria"), NameEntry(kLevelCity, 0, "Munich"),
      NameEntry(kLevelAirport, a, "Franz Josef Strauss"),
      NameEntry(kLevelCountry, 0, "Austria"), NameEntry(kLevelAirport, b, "Salzburg")})});
  Parsed p(file.Build());
  ASSERT_EQ(p.db().m_airports.GetSize(), 2);
  const AirportRecord* first = p.Airport(0);
  EXPECT_EQ(p.Text(first->regionText), "Europe");
  EXPECT_EQ(p.Text(first->countryText), "Germany");
  EXPECT_EQ(p.Text(first->stateText), "Bavaria");
  EXPECT_EQ(p.Text(first->cityText), "Munich");
  EXPECT_EQ(p.Text(first->nameText), "Franz Josef Strauss");
  EXPECT_EQ(first->Ident(), "EDDM");
  EXPECT_EQ(+first->altitude, 450);
  EXPECT_NEAR(p.db().m_airports[0].latitude, kLat, 1e-4);
  EXPECT_NEAR(p.db().m_airports[0].longitude, kLon, 1e-4);
  // A new country clears state and city.
  const AirportRecord* second = p.Airport(1);
  EXPECT_EQ(p.Text(second->regionText), "Europe");
  EXPECT_EQ(p.Text(second->countryText), "Austria");
  EXPECT_EQ(+second->stateText, -1);
  EXPECT_EQ(+second->cityText, -1);
}

TEST(FacilityData, RunwayByteKeepsLongestRunwayInHundredsOfMetres) {
  struct Case {
    std::vector<uint16_t> feet;
    uint8_t expected;
  };
  const Case cases[] = {
      {{}, 0x83},
      {{2000, 6000}, 0x92},
      {{6000, 2000}, 0x92},
      {{900}, 0x83},      // 274 m: shorter than the starting 300 m
      {{65535}, 0xFF},    // 19975 m stops at the field's 127
  };
  for (const Case& c : cases) {
    std::vector<ByteVec> subs;
    // Companion records follow each runway; the ident after them must still be read.
    for (uint16_t f : c.feet) subs.push_back(RunwaySub(f, 2));
    FacilityFile file;
    const uint32_t rec = file.Record(kFacilityAirport, [&] {
      std::vector<ByteVec> all = {PositionSub(kLat, kLon, 0)};
      all.insert(all.end(), subs.begin(), subs.end());
      all.push_back(IdentSub("KXYZ"));
      return all;
    }());
    file.NameList({EnglishTree({NameEntry(kLevelAirport, rec, "Field")})});
    Parsed p(file.Build());
    ASSERT_EQ(p.db().m_airports.GetSize(), 1);
    EXPECT_EQ(+p.Airport()->size, c.expected) << c.feet.size();
    EXPECT_EQ(p.Airport()->Ident(), "KXYZ");
  }
}

TEST(FacilityData, FrequencyKindsGiveItemsAndAtisInTheComBandGivesAPoint) {
  struct Case {
    const char* name;
    int32_t kind;
    uint32_t hundredths;
    int items;
    uint16_t kindBit;
    bool atisPoint;
  };
  const Case cases[] = {
      {"ATIS 127.25", 1, 12725, 1, 1, true},
      {"kind 7 at 127.25", 7, 12725, 1, 64, false},
      {"ATIS 136.97", 1, 13697, 1, 1, true},
      {"ATIS 136.99 (last digit 9)", 1, 13699, 1, 1, false},
      {"ATIS 137.00", 1, 13700, 1, 1, false},
      {"ATIS 117.97", 1, 11797, 1, 1, false},
      {"kind 13", 13, 12000, 1, 4096, false},
      {"kind 14 is no frequency", 14, 12000, 0, 0, false},
      {"kind 0 is no frequency", 0, 12000, 0, 0, false},
  };
  for (const Case& c : cases) {
    FacilityFile file;
    const uint32_t rec = file.Airport({FrequencySub(c.kind, c.hundredths)});
    file.NameList({EnglishTree({NameEntry(kLevelAirport, rec, "Field")})});
    Parsed p(file.Build());
    ASSERT_EQ(p.db().m_airports.GetSize(), 1) << c.name;
    const NavPoint& airport = p.db().m_airports[0];
    ASSERT_EQ(p.Airport()->FrequencyCount(), c.items) << c.name;
    if (c.items == 1) {
      const FrequencyEntry* f = p.db().GetAirportFrequencies(airport);
      EXPECT_EQ(+f->type, c.kindBit) << c.name;
      EXPECT_NEAR(f->frequency, c.hundredths / 100.0, 1e-4) << c.name;
    }
    ASSERT_EQ(p.db().m_coms.GetSize(), c.atisPoint ? 1 : 0) << c.name;
    if (!c.atisPoint) continue;
    const NavPoint& com = p.db().m_coms[0];
    EXPECT_EQ(+p.db().GetCom(com)->type, 0x8001);
    EXPECT_NEAR(GreatCircleDistance(airport.latitude, airport.longitude, com.latitude, com.longitude),
                100.0, 0.5);
    EXPECT_NEAR(InitialCourse(airport.latitude, airport.longitude, com.latitude, com.longitude), 45.0,
                0.5);
  }
}

TEST(FacilityData, RecordIsUsedByTheFirstTreeThatNamesIt) {
  struct Case {
    const char* name;
    std::vector<int32_t> languages;
    int32_t kind;
    int airports;
  };
  const Case cases[] = {
      {"French tree first", {1036, kFacilityEnglish}, kFacilityAirport, 0},
      {"English tree first", {kFacilityEnglish, 1036}, kFacilityAirport, 1},
      {"named twice in English", {kFacilityEnglish, kFacilityEnglish}, kFacilityAirport, 1},
      {"record of another kind", {kFacilityEnglish}, 7, 0},
  };
  for (const Case& c : cases) {
    FacilityFile file;
    const uint32_t rec = file.Record(c.kind, {PositionSub(kLat, kLon, 0)});
    std::vector<ByteVec> trees;
    for (int32_t lang : c.languages) trees.push_back(NameTree(lang, {NameEntry(kLevelAirport, rec, "Field")}));
    file.NameList(trees);
    Parsed p(file.Build());
    EXPECT_EQ(p.db().m_airports.GetSize(), c.airports) << c.name;
  }
}

TEST(FacilityData, ChunkTreeFindsNamesInNestedGroupsOnce) {
  FacilityFile file;
  const uint32_t a = file.Airport({}, "AAAA");
  const uint32_t b = file.Airport({}, "BBBB");
  const ByteVec treeA = EnglishTree({NameEntry(kLevelAirport, a, "Alpha")});
  const ByteVec treeB = EnglishTree({NameEntry(kLevelAirport, b, "Bravo")});
  // The name list and the chunk tree both name A; B sits two groups deep.
  file.NameList({treeA});
  file.ChunkTree({treeA, GroupChunk({GroupChunk({treeB})}), treeA});
  Parsed p(file.Build());
  ASSERT_EQ(p.db().m_airports.GetSize(), 2);
}

TEST(FacilityData, ParkingPlacesAreOffsetFromTheAirport) {
  ParkingElement atAirport;
  atAirport.w0 = 0;
  atAirport.w1 = 0x00123456;  // sign bits 00: no offset whatever the exponent
  atAirport.w3 = 0xAB000000;
  atAirport.w4 = 10 | (5u << 7) | (3u << 20);
  ParkingElement north;
  north.w1 = 0x40000000 | 16777216;  // +2 x 4.02^1 m
  north.w0 = 0xC0000000 | 16777216;  // -2 x 4.02 m: west
  FacilityFile file;
  const uint32_t rec = file.Airport({ParkingSub({atAirport, north})});
  file.NameList({EnglishTree({NameEntry(kLevelAirport, rec, "Field")})});
  Parsed p(file.Build());
  ASSERT_EQ(p.db().m_airports.GetSize(), 1);
  ASSERT_EQ(p.Airport()->ParkingCount(), 2);
  const ParkingEntry* parking = p.db().GetAirportParkings(p.db().m_airports[0]);
  const float airportLat = static_cast<float>(MetresWord(kLat) * 360.0 / 40007000.0);
  EXPECT_FLOAT_EQ(parking[0].latitude, airportLat);
  EXPECT_EQ(parking[0].Heading(), 0xAB);
  EXPECT_EQ(parking[0].NameKind(), 10);
  EXPECT_EQ(parking[0].Number(), 5);
  EXPECT_EQ(parking[0].Type(), 3);
  const NavPoint& airport = p.db().m_airports[0];
  EXPECT_NEAR(GreatCircleDistance(airport.latitude, parking[1].longitude, parking[1].latitude,
                                  parking[1].longitude),
              8.04, 0.05);
  EXPECT_GT(+parking[1].latitude, +airport.latitude);
  EXPECT_NEAR(GreatCircleDistance(parking[1].latitude, airport.longitude, parking[1].latitude,
                                  parking[1].longitude),
              8.04, 0.05);
  EXPECT_LT(+parking[1].longitude, +airport.longitude);
}

TEST(FacilityData, CountsStopAtTheirFieldWidths) {
  std::vector<ByteVec> subs;
  for (int i = 0; i < 130; ++i) subs.push_back(FrequencySub(2, 12000 + i));
  subs.push_back(ParkingSub(std::vector<ParkingElement>(600)));
  FacilityFile file;
  const uint32_t rec = file.Airport(subs);
  file.NameList({EnglishTree({NameEntry(kLevelAirport, rec, "Big")})});
  Parsed p(file.Build());
  ASSERT_EQ(p.db().m_airports.GetSize(), 1);
  EXPECT_EQ(p.Airport()->FrequencyCount(), kAirportMaxFrequencies);
  EXPECT_EQ(p.Airport()->ParkingCount(), kAirportMaxParkings);
  EXPECT_NEAR(p.db().GetAirportFrequencies(p.db().m_airports[0])[126].frequency, 121.26, 1e-3);
  CSceneryDatabase& db = const_cast<CSceneryDatabase&>(p.db());
  EXPECT_TRUE(db.Validate()) << db.GetLastError();
}

TEST(FacilityData, TheFileImageIsNeverWritten) {
  FacilityFile file;
  const uint32_t rec = file.Airport();
  file.NameList({EnglishTree({NameEntry(kLevelAirport, rec, "Field")})});
  const ByteVec image = file.Build();
  const ByteVec copy = image;
  // Each parse marks records used in its own state: a second parse of the same image finds the
  // same airport again.
  Parsed first(image);
  Parsed second(image);
  EXPECT_EQ(first.db().m_airports.GetSize(), 1);
  EXPECT_EQ(second.db().m_airports.GetSize(), 1);
  EXPECT_EQ(image, copy);
}

TEST(FacilityData, BrokenChunksEndTheirListQuietly) {
  struct Case {
    const char* name;
    std::vector<ByteVec> trees;
    int airports;
  };
  FacilityFile base;
  const uint32_t rec = base.Airport();
  const ByteVec good = NameEntry(kLevelAirport, rec, "Field");
  Bytes shortText;  // size 4: no room for level, reference or text
  shortText.I32(kFacilityNameEntry).I32(4).I32(0);
  Bytes negative;
  negative.I32(kFacilityNameEntry).I32(-20);
  const std::vector<Case> cases = {
      {"entry too short for a text is stepped over", {EnglishTree({shortText, good})}, 1},
      {"negative entry size ends the tree", {EnglishTree({negative, good})}, 0},
      {"reference outside the file", {EnglishTree({NameEntry(kLevelAirport, 0x7FFFFFF0, "X")})}, 0},
      {"entry count larger than the tree", {NameTree(kFacilityEnglish, {good}, 0)}, 1},
  };
  for (const Case& c : cases) {
    FacilityFile file = base;
    file.NameList(c.trees);
    ByteVec image = file.Build();
    Parsed p(image);
    EXPECT_EQ(p.db().m_airports.GetSize(), c.airports) << c.name;
  }
  // A tree nested far deeper than any stack could recurse.
  FacilityFile deep = base;
  const ByteVec inner = EnglishTree({good});
  constexpr int kDepth = 100000;
  Bytes nested;
  for (int i = 0; i < kDepth; ++i) {
    // Each group: tag, size, nested mark 4, a word, its list, the list's end chunk.
    const int32_t size = static_cast<int32_t>(8 + inner.size() + (kDepth - i) * 24 - 16);
    nested.I32(1).I32(size).I32(4).I32(0);
  }
  nested.Append(inner);
  for (int i = 0; i < kDepth; ++i) nested.Append(ChunkListEnd());
  deep.ChunkTree({nested});
  Parsed p(deep.Build());
  EXPECT_EQ(p.db().m_airports.GetSize(), 1);
}

TEST(FacilityData, OnlyFilesWithTheLongHeaderAndMarkCarryIt) {
  FacilityFile file;
  const uint32_t rec = file.Airport();
  file.NameList({EnglishTree({NameEntry(kLevelAirport, rec, "Field")})});
  ByteVec image = file.Build();
  EXPECT_EQ(Parsed(image).db().m_airports.GetSize(), 1);

  ByteVec unmarked = image;
  unmarked[kOldExtensionMarkField] = 0;
  EXPECT_EQ(Parsed(unmarked).db().m_airports.GetSize(), 0);

  ByteVec otherVersion = image;
  otherVersion[kFacilityVersionField] = 2;
  EXPECT_EQ(Parsed(otherVersion).db().m_airports.GetSize(), 0);

  // A 167-byte file ends inside the long header: whatever lies at 118, no facility data.
  ByteVec cut(image.begin(), image.begin() + 167);
  EXPECT_EQ(Parsed(cut).db().m_airports.GetSize(), 0);
}

}  // namespace
