// An old-format file through the loader: one file record with every kind the format carries.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "basemaker/compiler/OldBglParser.h"

#include "basemaker/compiler/FileEntry.h"
#include "basemaker/compiler/tests/support/OldBglWriter.h"
#include "basemaker/compiler/tests/support/ScratchDir.h"
#include "navdb/SceneryDatabase.h"

namespace {

using namespace testbgl;

TEST(OldBglLoad, SampleFileYieldsEveryKindOfRecord) {
  ScratchDir dir;
  const auto path = dir / "scenery/ZURICH.BGL";
  const ByteVec image = SampleOldBglFile();
  WriteBytes(path, image);

  CSceneryDatabase db;
  db.AddArea("Zurich", nullptr);
  FileEntry entry;
  entry.subfolder = "scenery\\";
  entry.name = "ZURICH.BGL";
  entry.size = static_cast<uint32_t>(image.size());
  entry.fullPath = path.string();
  entry.LoadBglFile(db, entry.fullPath);

  ASSERT_EQ(db.m_files.GetSize(), 1);
  const BglFileRecord& file = db.m_files[0];
  EXPECT_STREQ(db.GetString(file.subfolderText), "scenery\\");
  EXPECT_STREQ(db.GetString(file.fileNameText), "ZURICH.BGL");
  EXPECT_NEAR(file.latMin, 47.0, 1e-3);
  EXPECT_NEAR(file.latMax, 48.0, 1e-3);
  EXPECT_NEAR(file.lonMin, 8.0, 1e-3);
  EXPECT_NEAR(file.lonMax, 9.0, 1e-3);

  EXPECT_EQ(db.m_ndbs.GetSize(), 1);
  EXPECT_EQ(db.m_vors.GetSize(), 1);
  EXPECT_EQ(db.m_ils.GetSize(), 2);
  EXPECT_EQ(db.m_markers.GetSize(), 1);
  // Facility airport and label airport.
  ASSERT_EQ(db.m_airports.GetSize(), 2);
  // Two streams with one runway each.
  EXPECT_EQ(db.m_runways.GetSize(), 4);
  // Facility ATIS, ATIS item, and a lighting frequency from each stream.
  EXPECT_EQ(db.m_coms.GetSize(), 4);
  EXPECT_EQ(db.m_objectGroups.GetSize(), 2);
  EXPECT_EQ(db.m_objects.GetSize(), 2);
  EXPECT_EQ(db.m_footprintVertices.GetSize(), 6);
  EXPECT_EQ(db.m_magVarGrids.GetSize(), 1);
  EXPECT_EQ(db.m_excludeBoxes.GetSize(), 1);
  EXPECT_EQ(+db.m_areas[0].magVarEnd, 1);
  EXPECT_EQ(+db.m_areas[0].excludeBoxEnd, 1);

  bool facilityAirport = false;
  for (const NavPoint& p : db.m_airports) {
    const AirportRecord* a = db.GetAirport(p);
    if (a->Ident() == "LSZH") {
      facilityAirport = true;
      EXPECT_STREQ(db.GetString(a->nameText), "Kloten");
      EXPECT_STREQ(db.GetString(a->countryText), "Switzerland");
      EXPECT_EQ(a->FrequencyCount(), 2);
      EXPECT_EQ(a->ParkingCount(), 1);
      EXPECT_EQ(+a->size, 0x80 | 36);  // 12000 ft
    } else {
      EXPECT_STREQ(db.GetString(a->nameText), "Hinterdorf");
    }
  }
  EXPECT_TRUE(facilityAirport);
  EXPECT_TRUE(db.Validate()) << db.GetLastError();
}

TEST(OldBglLoad, EveryTruncationOfTheSampleParsesCleanly) {
  // Cutting the file anywhere must never read outside it or break the database's chains;
  // whatever lies before the cut is kept. The variation grid and exclusions come last, so the
  // cuts step finely up to the grid and coarsely through it.
  const ByteVec image = SampleOldBglFile();
  uint32_t grid = 0;
  std::memcpy(&grid, image.data() + kOldMagVarSectionField, 4);
  int previousPoints = 0;
  for (size_t size = 0; size <= image.size(); size += size < grid + 64 ? 1 : 4099) {
    // An exact-size copy, so that a read past the end is caught by the sanitizers.
    const ByteVec cut(image.begin(), image.begin() + static_cast<long>(size));
    OpenFileDb f;
    ParseOldBglImage(f.db, cut.data(), cut.size());
    ASSERT_TRUE(f.db.Validate()) << size << ": " << f.db.GetLastError();
    int points = 0;
    for (int a = 0; a < kPointArrayCount; ++a) points += f.db.Points(static_cast<PointArray>(a)).GetSize();
    EXPECT_GE(points + 2, previousPoints) << size;  // a cut ILS or runway pair may lose its pair
    previousPoints = points;
  }
}

}  // namespace
