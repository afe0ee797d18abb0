#include "basemaker/app/VisFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "basemaker/app/AreaList.h"
#include "basemaker/app/AreaSetArray.h"
#include "basemaker/app/tests/SimRootFixture.h"
#include "basemaker/app/tests/VisBuilder.h"
#include "platform/win/WinPath.h"

namespace {

TEST(VisFile, ReadsTextsAndAreasInFileOrder) {
  const auto set = ParseVisSet(VisBuilder()
                                   .Title("Europe")
                                   .Description("All of Europe")
                                   .Area("=:\\=\\Scenery\\Alps\\*", "Alps", true)
                                   .Area("D:\\Add\\Lakes", "Lakes", false)
                                   .Bytes());
  ASSERT_TRUE(set);
  EXPECT_EQ(set->title, "Europe");
  EXPECT_EQ(set->description, "All of Europe");
  ASSERT_EQ(set->areas.size(), 2u);
  const AreaEntry& alps = set->areas[0];
  EXPECT_EQ(alps.title, "Alps");
  EXPECT_TRUE(alps.active);
  EXPECT_FALSE(alps.remote);
  EXPECT_FALSE(alps.onCd);
  EXPECT_EQ(alps.path, ".\\Scenery\\Alps\\");
  EXPECT_EQ(alps.layer, 0);
  EXPECT_FALSE(alps.required);
  EXPECT_EQ(set->areas[1].path, "D:\\Add\\Lakes\\");
  EXPECT_FALSE(set->areas[1].active);
}

TEST(VisFile, AreaListedOnADiscBecomesARemoteDiscArea) {
  const auto set = ParseVisSet(VisBuilder()
                                   .Cd("E:\\Scenery\\Alps", "=:\\=\\SCENERY\\ALPS")
                                   .Cd("E:\\Other", "=:\\=\\Other\\")
                                   .Area("=:\\=\\Scenery\\Alps\\*", "Alps", false)
                                   .Area("=:\\=\\Scenery\\Lakes\\*", "Lakes")
                                   .Bytes());
  ASSERT_TRUE(set);
  ASSERT_EQ(set->areas.size(), 2u);
  const AreaEntry& alps = set->areas[0];
  EXPECT_TRUE(alps.remote);
  EXPECT_TRUE(alps.onCd);
  EXPECT_EQ(alps.cdLabel, "");
  EXPECT_EQ(alps.path, "Scenery\\Alps\\");
  EXPECT_FALSE(alps.active);
  EXPECT_EQ(alps.FormatPathValue(), "[]Scenery\\Alps\\");
  EXPECT_FALSE(set->areas[1].remote);
  EXPECT_FALSE(set->areas[1].onCd);
}

TEST(VisFile, RejectsShortOrUnmarkedHeaders) {
  auto bytes = VisBuilder().Area("A", "A").Bytes();
  EXPECT_TRUE(ParseVisSet(bytes));
  EXPECT_FALSE(ParseVisSet(std::span(bytes).first(vis::kHeaderSize - 1)));
  bytes[3] = 'X';
  EXPECT_FALSE(ParseVisSet(bytes));
  EXPECT_FALSE(ParseVisSet({}));
}

TEST(VisFile, RecordsInTheLastTenBytesAreNotRead) {
  // Two areas; the size field is set so that the second record starts exactly ten bytes before
  // the end of the set, then eleven.
  const std::string first = "A";
  auto bytes = VisBuilder().Area(first, "One").Area("B", "Two").Bytes();
  const size_t areaStart = bytes[vis::kOffFirstArea] | (bytes[vis::kOffFirstArea + 1] << 8);
  const size_t secondStart = areaStart + 3 + first.size() + 1 + 3 + 1;
  for (size_t before : {10u, 11u}) {
    VisBuilder::SetU16(bytes, vis::kOffSetSize, secondStart + before);
    const auto set = ParseVisSet(bytes);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->areas.size(), before == 10 ? 1u : 2u) << before;
  }
}

TEST(VisFile, OffsetsAndTextsOutsideTheSetReadAsEmptyOrCut) {
  auto bytes = VisBuilder().Title("Title").Area("Folder", "Name").Bytes();
  auto broken = bytes;
  VisBuilder::SetU16(broken, vis::kOffTitle, 0xFFFF);
  VisBuilder::SetU16(broken, vis::kOffFirstArea, 0xFFF0);
  VisBuilder::SetU16(broken, vis::kOffFirstCd, 0xFFF0);
  auto set = ParseVisSet(broken);
  ASSERT_TRUE(set);
  EXPECT_EQ(set->title, "");
  EXPECT_TRUE(set->areas.empty());

  // The set ends inside the title: the text is cut there, never read past the set's size.
  auto cut = bytes;
  const size_t titleAt = cut[vis::kOffTitle];
  VisBuilder::SetU16(cut, vis::kOffSetSize, titleAt + 3);
  set = ParseVisSet(cut);
  ASSERT_TRUE(set);
  EXPECT_EQ(set->title, "Tit");
  EXPECT_TRUE(set->areas.empty());

  // A file shorter than its size field says is read as far as it goes.
  auto shortFile = bytes;
  VisBuilder::SetU16(shortFile, vis::kOffSetSize, 0xFFFF);
  set = ParseVisSet(shortFile);
  ASSERT_TRUE(set);
  EXPECT_EQ(set->areas.size(), 1u);
}

class VisSets : public SimRootTest {};

TEST_F(VisSets, ListsReadableSetsByNameIgnoringCase) {
  Put("SCENERY/zulu.vis", AsText(VisBuilder().Title("Z").Area("=:\\=\\Scenery\\Z\\*", "Z").Bytes()));
  Put("SCENERY/Alps.VIS", AsText(VisBuilder().Title("A").Bytes()));
  Put("SCENERY/broken.vis", "not a set");
  Put("SCENERY/Mid.vis", AsText(VisBuilder().Title("M").Bytes()));
  Put("SCENERY/notes.txt", AsText(VisBuilder().Bytes()));
  std::filesystem::create_directories(Root() / "SCENERY" / "folder.vis");
  CAreaSetArray sets;
  sets.ReadVisFiles(Root());
  ASSERT_EQ(sets.m_sets.size(), 3u);
  EXPECT_EQ(sets.m_sets[0].m_databaseName, "Alps");
  EXPECT_EQ(sets.m_sets[1].m_databaseName, "Mid");
  EXPECT_EQ(sets.m_sets[2].m_databaseName, "zulu");
  EXPECT_EQ(sets.m_sets[2].m_worldTitle, "Z");

  // The set's relative folders resolve against the simulator root, whatever the letter case.
  Put("SCENERY/z/a.bgl", "x");
  ASSERT_EQ(sets.m_sets[2].m_entries.size(), 1u);
  const auto folder = win::ResolveWinPath(sets.m_sets[2].m_entries[0].path, Root());
  ASSERT_TRUE(folder);
  EXPECT_TRUE(std::filesystem::equivalent(*folder, Root() / "SCENERY" / "z"));
}

TEST_F(VisSets, NoSceneryFolderGivesNoSets) {
  CAreaSetArray sets;
  sets.ReadVisFiles(Root());
  EXPECT_TRUE(sets.m_sets.empty());
  CAreaList list;
  EXPECT_FALSE(list.ReadVisFile(Root() / "missing.vis"));
}

}  // namespace
