#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "navdb/DatabaseFileFormat.h"
#include "navdb/SceneryDatabase.h"
#include "navdb/tests/support/NavdbFixture.h"

using namespace navdbtest;
namespace fs = std::filesystem;

namespace {

struct Files : ::testing::Test {
  Files() {
    dir = fs::temp_directory_path() / ("navdb-files-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    rec = (dir / "world.000").string();
    str = (dir / "world.001").string();
  }
  ~Files() override { fs::remove_all(dir); }

  static bool SameContent(const CSceneryDatabase& a, const CSceneryDatabase& b) {
    auto same = [](const auto& x, const auto& y) {
      return x.GetSize() == y.GetSize() &&
             (x.GetSize() == 0 || std::memcmp(x.GetData(), y.GetData(), x.GetSize() * sizeof(*x.GetData())) == 0);
    };
    bool points = true;
    for (int k = 0; k < kPointArrayCount; ++k) points = points && same(a.Points(PointArray(k)), b.Points(PointArray(k)));
    return points && a.m_name1 == b.m_name1 && a.m_name2 == b.m_name2 && same(a.m_areas, b.m_areas) &&
           same(a.m_excludeBoxes, b.m_excludeBoxes) && same(a.m_files, b.m_files) &&
           same(a.m_magVarGrids, b.m_magVarGrids) && same(a.m_tiles, b.m_tiles) &&
           same(a.m_tileKeys, b.m_tileKeys) && same(a.m_labelPoints, b.m_labelPoints) &&
           same(a.m_objectGroups, b.m_objectGroups) && same(a.m_objects, b.m_objects) &&
           same(a.m_footprintVertices, b.m_footprintVertices) &&
           same(a.m_airspaceShapes, b.m_airspaceShapes) && same(a.m_airspaceVertices, b.m_airspaceVertices) &&
           a.GetPoolLength() == b.GetPoolLength() &&
           std::memcmp(a.GetPoolData(), b.GetPoolData(), a.GetPoolLength()) == 0;
  }

  static bool IsEmpty(const CSceneryDatabase& db) {
    bool points = true;
    for (int k = 0; k < kPointArrayCount; ++k) points = points && db.Points(PointArray(k)).IsEmpty();
    return points && db.m_areas.IsEmpty() && db.m_files.IsEmpty() && db.m_tiles.IsEmpty() &&
           db.m_magVarGrids.IsEmpty() && db.m_tileKeys.IsEmpty() && db.m_labelPoints.IsEmpty() &&
           db.m_objects.IsEmpty() && db.m_airspaceVertices.IsEmpty() && db.GetPoolLength() == 0;
  }

  fs::path dir;
  std::string rec, str;
};

RecordFileHeader HeaderOf(const std::vector<uint8_t>& bytes) {
  RecordFileHeader h;
  std::memcpy(&h, bytes.data(), sizeof h);
  return h;
}

template <class T>
void Poke(std::vector<uint8_t>& bytes, size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

}  // namespace

TEST_F(Files, SaveLoadSaveIsByteIdentical) {
  CSceneryDatabase db;
  BuildSampleDatabase(db);
  ASSERT_TRUE(db.SaveDatabaseFiles(rec, str)) << db.GetLastError();
  const auto rec1 = ReadFileBytes(rec), str1 = ReadFileBytes(str);

  CSceneryDatabase loaded;
  ASSERT_TRUE(loaded.LoadDatabaseFiles(rec, str)) << loaded.GetLastError();
  EXPECT_TRUE(SameContent(db, loaded));
  EXPECT_STREQ(loaded.GetString(loaded.m_areas[1].pathText), "Scenery\\Islands");

  ASSERT_TRUE(loaded.SaveDatabaseFiles(rec, str));
  EXPECT_EQ(ReadFileBytes(rec), rec1);
  EXPECT_EQ(ReadFileBytes(str), str1);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);  // no temporaries

  std::string n1, n2;
  ASSERT_TRUE(CSceneryDatabase::ReadHeaderNames(rec, n1, n2));
  EXPECT_EQ(n1, "Sample database");
  EXPECT_EQ(n2, "Built by the test fixture");
}

TEST_F(Files, AnEmptyArrayKeepsItsPlaceInTheDirectory) {
  CSceneryDatabase db;
  BuildSampleDatabase(db);
  db.m_airspaces.SetSize(0);
  for (TileRecord& t : db.m_tiles) t.end[kArrayAirspace] = 0;
  ASSERT_TRUE(db.SaveDatabaseFiles(rec, str));
  const RecordFileHeader h = HeaderOf(ReadFileBytes(rec));
  EXPECT_EQ(+h.directory[12].size, 0u);
  EXPECT_EQ(+h.directory[12].offset, +h.directory[13].offset);
  EXPECT_EQ(+h.directory[15].offset, 0u);
  EXPECT_EQ(+h.directory[15].size, 0u);
  CSceneryDatabase loaded;
  ASSERT_TRUE(loaded.LoadDatabaseFiles(rec, str)) << loaded.GetLastError();
  EXPECT_TRUE(loaded.m_airspaces.IsEmpty());
  EXPECT_FALSE(loaded.m_ndbs.IsEmpty());
}

// The record file's directory against its layout table: each entry's array in order, its size a
// whole number of that array's records, the bodies one after the other from the end of the
// header, each holding its array byte for byte. Save and load share one order table, so only a
// check against the table itself sees two entries swapped.
TEST_F(Files, DirectoryEntriesFollowTheLayoutTable) {
  CSceneryDatabase db;
  BuildSampleDatabase(db);
  ASSERT_TRUE(db.SaveDatabaseFiles(rec, str));
  const std::vector<uint8_t> bytes = ReadFileBytes(rec);
  const RecordFileHeader h = HeaderOf(bytes);
  struct Row {
    int entry;
    const char* name;
    const void* data;
    int count;
    size_t recordSize;
  };
  auto row = [](int entry, const char* name, const auto& array, size_t recordSize) {
    return Row{entry, name, array.GetData(), array.GetSize(), recordSize};
  };
  const Row rows[] = {
      row(0, "areas", db.m_areas, 24),
      row(1, "exclude boxes", db.m_excludeBoxes, 18),
      row(2, "file records", db.m_files, 48),
      row(3, "tiles", db.m_tiles, 42),
      row(4, "magnetic variation grids", db.m_magVarGrids, 130320),
      row(5, "NDB", db.m_ndbs, 14),
      row(6, "ILS", db.m_ils, 14),
      row(7, "VOR", db.m_vors, 14),
      row(8, "airports", db.m_airports, 14),
      row(9, "markers", db.m_markers, 14),
      row(10, "runway ends", db.m_runways, 14),
      row(11, "COM", db.m_coms, 14),
      row(12, "airspaces", db.m_airspaces, 14),
      row(13, "intersections", db.m_intersections, 14),
      row(14, "airways", db.m_airways, 14),
      row(16, "tile keys", db.m_tileKeys, 6),
      row(17, "label points", db.m_labelPoints, 12),
      row(18, "object groups", db.m_objectGroups, 12),
      row(19, "objects", db.m_objects, 18),
      row(20, "footprint vertices", db.m_footprintVertices, 4),
      row(21, "airspace shapes", db.m_airspaceShapes, 6),
      row(22, "airspace vertices", db.m_airspaceVertices, 13),
  };
  size_t offset = sizeof(RecordFileHeader);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const DirectoryEntry d = h.directory[r.entry];
    ASSERT_GT(r.count, 0) << "the sample must fill every array, or a swap could go unseen";
    EXPECT_EQ(offset, d.offset);
    ASSERT_EQ(r.count * r.recordSize, d.size);
    ASSERT_LE(d.offset + static_cast<size_t>(d.size), bytes.size());
    EXPECT_EQ(0, std::memcmp(bytes.data() + d.offset, r.data, d.size));
    offset += d.size;
  }
  EXPECT_EQ(0u, +h.directory[15].offset);
  EXPECT_EQ(0u, +h.directory[15].size);
  EXPECT_EQ(offset, bytes.size());
  EXPECT_EQ(offset, +h.totalLength);
}

// One small pair pinned byte for byte: one record in each of a few arrays, each filled with its
// own byte, and a five-byte pool.
TEST_F(Files, ASmallPairIsWrittenByteForByte) {
  CSceneryDatabase db;
  db.m_name1 = "N1";
  db.m_name2 = "N2";
  auto fill = [](auto& array, uint8_t value) {
    array.SetSize(1);
    std::memset(static_cast<void*>(array.GetData()), value, sizeof(*array.GetData()));
  };
  fill(db.m_areas, 0x11);
  fill(db.m_ndbs, 0x22);
  fill(db.m_objectGroups, 0x33);
  fill(db.m_objects, 0x44);
  fill(db.m_footprintVertices, 0x55);
  fill(db.m_airspaceShapes, 0x66);
  db.AddString("pool");
  ASSERT_TRUE(db.SaveDatabaseFiles(rec, str));

  std::vector<uint8_t> record(566, 0);
  auto put = [](std::vector<uint8_t>& v, size_t at, std::initializer_list<uint8_t> b) {
    std::copy(b.begin(), b.end(), v.begin() + static_cast<std::ptrdiff_t>(at));
  };
  auto putU32 = [&](std::vector<uint8_t>& v, size_t at, uint32_t x) {
    put(v, at, {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)});
  };
  putU32(record, 0, 566);
  put(record, 4, {'S', 'Y', 122, 0});
  put(record, 16, {'N', '1'});
  put(record, 48, {'N', '2'});
  // Directory: {offset, size} per entry; entry 15 stays zero.
  const uint32_t directory[23][2] = {{488, 24}, {512, 0},  {512, 0},  {512, 0},  {512, 0},  {512, 14},
                                     {526, 0},  {526, 0},  {526, 0},  {526, 0},  {526, 0},  {526, 0},
                                     {526, 0},  {526, 0},  {526, 0},  {0, 0},    {526, 0},  {526, 0},
                                     {526, 12}, {538, 18}, {556, 4},  {560, 6},  {566, 0}};
  for (int e = 0; e < 23; ++e) {
    putU32(record, 304 + 8 * e, directory[e][0]);
    putU32(record, 308 + 8 * e, directory[e][1]);
  }
  const std::pair<size_t, size_t> bodies[] = {{488, 24}, {512, 14}, {526, 12}, {538, 18}, {556, 4}, {560, 6}};
  const uint8_t fills[] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  for (int i = 0; i < 6; ++i) std::fill_n(record.begin() + bodies[i].first, bodies[i].second, fills[i]);
  EXPECT_EQ(record, ReadFileBytes(rec));

  std::vector<uint8_t> strings(133, 0);
  putU32(strings, 0, 133);
  put(strings, 4, {'S', 'N', 122, 0});
  std::copy(std::begin(kStringFileBanner), std::end(kStringFileBanner), strings.begin() + 16);
  putU32(strings, 80, 128);
  putU32(strings, 84, 5);
  put(strings, 128, {'p', 'o', 'o', 'l', 0});
  EXPECT_EQ(strings, ReadFileBytes(str));
}

TEST_F(Files, ABannerOfAnyWordingLoads) {
  CSceneryDatabase db;
  BuildSampleDatabase(db);
  ASSERT_TRUE(db.SaveDatabaseFiles(rec, str));
  auto bytes = ReadFileBytes(str);
  std::memcpy(bytes.data() + 16, "Some other tool wrote these strings", 35);
  WriteFileBytes(str, bytes);
  CSceneryDatabase loaded;
  EXPECT_TRUE(loaded.LoadDatabaseFiles(rec, str)) << loaded.GetLastError();
}

TEST_F(Files, NamesFillingTheirWholeFieldAreReadWithinIt) {
  CSceneryDatabase db;
  BuildSampleDatabase(db);
  ASSERT_TRUE(db.SaveDatabaseFiles(rec, str));
  auto bytes = ReadFileBytes(rec);
  std::memset(bytes.data() + 16, 'N', 64);  // both names, no NUL anywhere
  WriteFileBytes(rec, bytes);
  std::string n1, n2;
  ASSERT_TRUE(CSceneryDatabase::ReadHeaderNames(rec, n1, n2));
  EXPECT_EQ(n1, std::string(32, 'N'));
  EXPECT_EQ(n2, std::string(32, 'N'));
}

TEST_F(Files, AFailedSaveKeepsThePreviousPairAndLeavesNoTemporaries) {
  CSceneryDatabase db;
  BuildSampleDatabase(db);
  ASSERT_TRUE(db.SaveDatabaseFiles(rec, str));
  const auto rec1 = ReadFileBytes(rec), str1 = ReadFileBytes(str);

  db.m_name1 = "Changed";
  const std::string missing = (dir / "no-such-folder" / "world.001").string();
  EXPECT_FALSE(db.SaveDatabaseFiles(rec, missing));
  EXPECT_EQ(ReadFileBytes(rec), rec1);
  EXPECT_EQ(ReadFileBytes(str), str1);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);

  // The string file cannot take the place of a folder: the record file is put back.
  const std::string blocked = (dir / "blocked.001").string();
  fs::create_directories(fs::path(blocked) / "inside");
  EXPECT_FALSE(db.SaveDatabaseFiles(rec, blocked));
  EXPECT_EQ(ReadFileBytes(rec), rec1);
}

TEST_F(Files, HostileFilesAreRejectedAndLeaveTheDatabaseEmpty) {
  CSceneryDatabase db;
  BuildSampleDatabase(db);
  ASSERT_TRUE(db.SaveDatabaseFiles(rec, str));
  const auto goodRec = ReadFileBytes(rec), goodStr = ReadFileBytes(str);
  const RecordFileHeader h = HeaderOf(goodRec);
  const uint32_t poolLength = static_cast<uint32_t>(db.GetPoolLength());
  auto body = [&](int entry) { return static_cast<size_t>(h.directory[entry].offset); };
  auto dirAt = [](int entry) { return static_cast<size_t>(304 + 8 * entry); };
  const size_t airportPayload = db.m_airports[0].PayloadOffset() + 128;  // inside the string file

  using Bytes = std::vector<uint8_t>;
  struct Case {
    const char* name;
    std::function<void(Bytes& r, Bytes& s)> spoil;
  };
  const Case cases[] = {
      {"record length off by one", [](Bytes& r, Bytes&) { Poke<uint32_t>(r, 0, r.size() + 1); }},
      {"record file cut inside its header", [](Bytes& r, Bytes&) { r.resize(100); Poke<uint32_t>(r, 0, 100); }},
      {"record magic", [](Bytes& r, Bytes&) { r[5] = 'X'; }},
      {"record version", [](Bytes& r, Bytes&) { Poke<uint16_t>(r, 6, 121); }},
      {"entry not whole records", [&](Bytes& r, Bytes&) { Poke<uint32_t>(r, dirAt(0) + 4, h.directory[0].size - 1); }},
      {"entry beyond the file", [&](Bytes& r, Bytes&) { Poke<uint32_t>(r, dirAt(5), static_cast<uint32_t>(r.size())); }},
      {"entry wrapping in 32 bits", [&](Bytes& r, Bytes&) {
         Poke<uint32_t>(r, dirAt(5), 0xFFFFFFF0u);
         Poke<uint32_t>(r, dirAt(5) + 4, 28);
       }},
      {"entry asking for gigabytes", [&](Bytes& r, Bytes&) { Poke<uint32_t>(r, dirAt(4) + 4, 130320u * 30000u); }},
      {"entry inside the header", [&](Bytes& r, Bytes&) { Poke<uint32_t>(r, dirAt(0), 16); }},
      {"tile ends decrease", [&](Bytes& r, Bytes&) { Poke<int32_t>(r, body(3) + 2, 1000); }},
      {"file ends short of the tiles", [&](Bytes& r, Bytes&) {
         const size_t last = body(2) + 48 * (h.directory[2].size / 48 - 1);
         Poke<int32_t>(r, last + 36, db.m_files[db.m_files.GetSize() - 1].tileEnd - 1);
       }},
      {"label chain past its points", [&](Bytes& r, Bytes&) {
         const size_t last = body(16) + 6 * (h.directory[16].size / 6 - 1);
         Poke<int32_t>(r, last + 2, db.m_labelPoints.GetSize() + 1);
       }},
      {"payload offset past the pool", [&](Bytes& r, Bytes&) { Poke<uint32_t>(r, body(5) + 10, 0xC0000000u | poolLength); }},
      {"payload header across the pool end", [&](Bytes& r, Bytes&) { Poke<uint32_t>(r, body(5) + 10, 0xC0000000u | (poolLength - 4)); }},
      {"airport lists past the pool", [&](Bytes&, Bytes& s) { Poke<uint16_t>(s, airportPayload + 29, 0xFFFF); }},
      {"airport text past the pool", [&](Bytes&, Bytes& s) { Poke<int32_t>(s, airportPayload + 19, poolLength + 5); }},
      {"area text past the pool", [&](Bytes& r, Bytes&) { Poke<int32_t>(r, body(0), poolLength); }},
      {"file name negative", [&](Bytes& r, Bytes&) { Poke<int32_t>(r, body(2) + 4, -7); }},
      {"circle past the pool", [&](Bytes& r, Bytes&) { Poke<int32_t>(r, body(22) + 9, poolLength - 8); }},
      {"point in the wrong array", [&](Bytes& r, Bytes&) { Poke<uint16_t>(r, body(5) + 8, kKindAirport); }},
      {"string length off by one", [](Bytes&, Bytes& s) { Poke<uint32_t>(s, 0, s.size() - 1); }},
      {"string magic", [](Bytes&, Bytes& s) { s[5] = 'Y'; }},
      {"pool past the file", [&](Bytes&, Bytes& s) { Poke<uint32_t>(s, 84, poolLength + 1); }},
      {"pool offset wrapping", [&](Bytes&, Bytes& s) { Poke<uint32_t>(s, 80, 0xFFFFFFFFu); }},
      {"string file empty", [](Bytes&, Bytes& s) { s.clear(); }},
  };
  for (const Case& c : cases) {
    Bytes r = goodRec, s = goodStr;
    c.spoil(r, s);
    WriteFileBytes(rec, r);
    WriteFileBytes(str, s);
    CSceneryDatabase target;
    BuildSampleDatabase(target);  // a database that was in use before
    EXPECT_FALSE(target.LoadDatabaseFiles(rec, str)) << c.name;
    EXPECT_TRUE(IsEmpty(target)) << c.name;
    EXPECT_FALSE(target.GetLastError().empty()) << c.name;
  }
}

TEST_F(Files, MissingFilesAreReportedNotThrown) {
  CSceneryDatabase db;
  EXPECT_FALSE(db.LoadDatabaseFiles(rec, str));
  EXPECT_NE(db.GetLastError().find("cannot open"), std::string::npos);
  std::string n1, n2;
  EXPECT_FALSE(CSceneryDatabase::ReadHeaderNames(rec, n1, n2));
}
