#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "basemaker/compiler/BglLoader.h"
#include "basemaker/compiler/CompressedBgl.h"
#include "basemaker/compiler/FileEntry.h"
#include "basemaker/compiler/SectionBgl.h"
#include "basemaker/compiler/tests/support/CompressedBglWriter.h"
#include "basemaker/compiler/tests/support/ScratchDir.h"
#include "basemaker/compiler/tests/support/SectionBglWriter.h"
#include "navdb/SceneryDatabase.h"
#include "platform/win/Sync.h"

namespace {

using namespace testbgl;

std::vector<uint8_t> OldHeader(size_t size, uint16_t format, int32_t north, int32_t south,
                               int32_t east, int32_t west) {
  std::vector<uint8_t> image(size);
  std::memcpy(image.data(), &format, 2);
  std::memcpy(image.data() + 2, &north, 4);
  std::memcpy(image.data() + 6, &south, 4);
  std::memcpy(image.data() + 10, &east, 4);
  std::memcpy(image.data() + 14, &west, 4);
  return image;
}

std::vector<uint8_t> SectionFile() {
  SectionBglWriter w;
  w.Add(kBglSectionNdb, Ndb(46, 7, 352, "KL"));
  w.Add(kBglSectionNdb, Ndb(47, 12, 400, "MN"));
  return w.Build();
}

struct Loaded {
  CSceneryDatabase db;
  Loaded() { db.AddArea("area", nullptr); }
};

FileEntry Entry(const std::string& path) {
  FileEntry e;
  e.subfolder = "scenery\\";
  e.name = std::filesystem::path(path).filename().string();
  e.size = 4242;
  e.lastWrite = 132000000000000000ULL;
  e.fullPath = path;
  return e;
}

TEST(BglLoader, FormatWordAndSizeDecideRecordAndParser) {
  struct Row {
    const char* name;
    std::vector<uint8_t> image;
    bool record;
    float latMin, latMax, lonMin, lonMax;
  };
  const int32_t north = 1000000, south = -2000000;  // metres from the equator
  const int32_t east = 0x10000000, west = -0x10000000;
  const float n = static_cast<float>(north * 360.0 / 40007000.0);
  const float s = static_cast<float>(south * 360.0 / 40007000.0);
  const float e = static_cast<float>(east * 360.0 / 4294967295.0);
  const float w = static_cast<float>(west * 360.0 / 4294967295.0);
  const Row rows[] = {
      {"Short127", OldHeader(127, 1, north, south, east, west), false, 0, 0, 0, 0},
      {"Word0At128", OldHeader(128, 0, north, south, east, west), true, s, n, w, e},
      {"Word1", OldHeader(200, 1, north, south, east, west), true, s, n, w, e},
      {"Word999", OldHeader(200, 999, north, south, east, west), true, s, n, w, e},
      {"Word1000", OldHeader(200, 1000, north, south, east, west), true, s, n, w, e},
      {"ZeroNorthSouthIsTheWholeGlobe", OldHeader(200, 5, 0, 0, east, west), true, -90, 90, w, e},
  };
  ScratchDir dir;
  for (const Row& row : rows) {
    WriteBytes(dir / "f.bgl", row.image);
    Loaded l;
    Entry((dir / "f.bgl").string()).LoadBglFile(l.db, (dir / "f.bgl").string());
    ASSERT_EQ(row.record ? 1 : 0, l.db.m_files.GetSize()) << row.name;
    if (!row.record) continue;
    const BglFileRecord& r = l.db.m_files[0];
    EXPECT_FLOAT_EQ(+row.latMin, +r.latMin) << row.name;
    EXPECT_FLOAT_EQ(+row.latMax, +r.latMax) << row.name;
    EXPECT_FLOAT_EQ(+row.lonMin, +r.lonMin) << row.name;
    EXPECT_FLOAT_EQ(+row.lonMax, +r.lonMax) << row.name;
    EXPECT_EQ(4242u, +r.fileSize) << row.name;
    EXPECT_EQ(132000000000000000ULL, +r.fileTime) << row.name;
    EXPECT_STREQ("scenery\\", l.db.GetString(r.subfolderText)) << row.name;
    EXPECT_STREQ("f.bgl", l.db.GetString(r.fileNameText)) << row.name;
    EXPECT_EQ(1, +l.db.m_areas[0].fileEnd) << row.name;
  }
}

TEST(BglLoader, SectionFilesPlainAndCompressed) {
  ScratchDir dir;
  const std::vector<uint8_t> plain = SectionFile();
  WriteBytes(dir / "plain.bgl", plain);
  // The compressed form: the first 128 bytes as the header, the rest packed.
  const std::vector<uint8_t> header(plain.begin(), plain.begin() + 128);
  const std::vector<uint8_t> body(plain.begin() + 128, plain.end());
  WriteBytes(dir / "packed.bgl", MakeCompressedBgl(header, static_cast<uint32_t>(body.size()), CompressBody(body)));
  std::vector<uint8_t> broken = MakeCompressedBgl(header, static_cast<uint32_t>(body.size()) + 1, CompressBody(body));
  WriteBytes(dir / "broken.bgl", broken);

  for (const char* name : {"plain.bgl", "packed.bgl"}) {
    Loaded l;
    Entry((dir / name).string()).LoadBglFile(l.db, (dir / name).string());
    ASSERT_EQ(1, l.db.m_files.GetSize()) << name;
    const BglFileRecord& r = l.db.m_files[0];
    EXPECT_EQ(2, l.db.m_ndbs.GetSize()) << name;
    // The section box starts as the whole latitude band on the zero meridian, then widens.
    EXPECT_FLOAT_EQ(-90, +r.latMin) << name;
    EXPECT_FLOAT_EQ(90, +r.latMax) << name;
    EXPECT_FLOAT_EQ(0, +r.lonMin) << name;
    EXPECT_FLOAT_EQ(12, +r.lonMax) << name;
    // Names follow the payloads in the pool.
    EXPECT_GT(+r.subfolderText, l.db.m_ndbs[1].PayloadOffset()) << name;
    EXPECT_GT(+r.fileNameText, +r.subfolderText) << name;
  }
  Loaded l;
  Entry((dir / "broken.bgl").string()).LoadBglFile(l.db, (dir / "broken.bgl").string());
  EXPECT_EQ(0, l.db.m_files.GetSize());
  Entry((dir / "missing.bgl").string()).LoadBglFile(l.db, (dir / "missing.bgl").string());
  EXPECT_EQ(0, l.db.m_files.GetSize());
}

TEST(BglLoader, ATruncatedFileKeepsWhatCameBeforeTheFaultAndItsNames) {
  ScratchDir dir;
  // The second NDB claims to run far past the end of the file.
  SectionBglWriter w;
  w.Add(kBglSectionNdb, Ndb(46, 7, 352, "KL"));
  w.Add(kBglSectionNdb, Ndb(47, 12, 400, "MN").ForceSize(0xFFFF));
  WriteBytes(dir / "cut.bgl", w.Build());
  Loaded l;
  Entry((dir / "cut.bgl").string()).LoadBglFile(l.db, (dir / "cut.bgl").string());
  ASSERT_EQ(1, l.db.m_files.GetSize());
  EXPECT_EQ(1, l.db.m_ndbs.GetSize());
  EXPECT_STREQ("cut.bgl", l.db.GetString(l.db.m_files[0].fileNameText));
}

TEST(BglLoader, AbortIsSeenAfterTheFile) {
  ScratchDir dir;
  WriteBytes(dir / "a.bgl", SectionFile());
  Loaded l;
  win::AutoResetEvent abort;
  const FileEntry e = Entry((dir / "a.bgl").string());
  EXPECT_TRUE(e.LoadBglEntry(l.db, &abort));
  abort.Set();
  EXPECT_FALSE(e.LoadBglEntry(l.db, &abort));
  EXPECT_EQ(2, l.db.m_files.GetSize());
  EXPECT_TRUE(e.LoadBglEntry(l.db, nullptr));
}

TEST(BglLoader, CabinetMembersAreExtractedReadAndRemoved) {
  if (!HaveCabinetMaker()) GTEST_SKIP() << "gcab is not installed";
  ScratchDir dir;
  WriteBytes(dir / "src/world/scenery/a.bgl", SectionFile());
  WriteBytes(dir / "src/b.bgl", OldHeader(300, 1000, 0, 0, 0, 0));
  ASSERT_TRUE(MakeCabinet(dir / "src", dir / "area.cab", {"world/scenery/a.bgl", "b.bgl"}));
  std::filesystem::create_directories(dir / "tmp");
  FileEntry::SetCabinetTempFolder((dir / "tmp").string());

  Loaded l;
  FileEntry member;
  member.subfolder = "World\\Scenery\\";
  member.name = "A.BGL";
  member.fullPath = (dir / "area.cab").string();
  EXPECT_TRUE(member.LoadBglEntry(l.db, nullptr));
  ASSERT_EQ(1, l.db.m_files.GetSize());
  EXPECT_EQ(2, l.db.m_ndbs.GetSize());
  EXPECT_STREQ("A.BGL", l.db.GetString(l.db.m_files[0].fileNameText));

  FileEntry absent = member;
  absent.subfolder = "";
  absent.name = "c.bgl";
  EXPECT_TRUE(absent.LoadBglEntry(l.db, nullptr));
  EXPECT_EQ(1, l.db.m_files.GetSize());

  FileEntry notACab = member;
  WriteBytes(dir / "fake.cab", SectionFile());
  notACab.fullPath = (dir / "fake.cab").string();
  EXPECT_TRUE(notACab.LoadBglEntry(l.db, nullptr));
  EXPECT_EQ(1, l.db.m_files.GetSize());

  EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
  FileEntry::SetCabinetTempFolder("");
}

}  // namespace
