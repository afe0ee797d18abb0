#include "planexport/atcplan/AtcplanWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "planexport/atcplan/AtcDetailsModel.h"
#include "planexport/atcplan/tests/AtcplanScript.h"
#include "planexport/common/testing/ModuleHarness.h"
#include "platform/profile/Profile.h"

namespace {

namespace fs = std::filesystem;
using namespace atcplantest;

const char kGolden[] = "planexport/atcplan/tests/goldens/KSEA-KPDX.apl";

std::string Joined(const std::vector<std::string_view>& chunks) {
  std::string all;
  for (std::string_view c : chunks) all += c;
  return all;
}

TEST(AtcplanText, RunwayIdsAndDescriptionChunks) {
  const std::pair<const char*, const char*> ids[] = {
      {"27L", "271"}, {"09", "090"}, {"36C", "362"}, {"4R", "43"}, {"9", "90"}, {"", "0"}};
  for (const auto& [id, converted] : ids) EXPECT_EQ(ConvertRunwayId(id), converted) << id;

  // Words of five letters: every break falls on a blank at most 80 characters on.
  std::string words;
  while (words.size() < 200) words += "abcde ";
  words.resize(200);
  const auto chunks = DescriptionChunks(words);
  ASSERT_GE(chunks.size(), 3u);
  for (size_t i = 0; i < chunks.size(); ++i) {
    EXPECT_LE(chunks[i].size(), 80u);
    if (i > 0) {
      EXPECT_EQ(chunks[i][0], ' ') << "the blank at the break starts the next line";
    }
  }
  EXPECT_EQ(Joined(chunks), words);

  struct Case {
    const char* name;
    std::string text;
    std::vector<size_t> lengths;
  };
  const Case cases[] = {
      {"a word over 80 after a blank is cut hard", "go " + std::string(100, 'x'), {2, 80, 21}},
      {"no blank at all", std::string(170, 'y'), {80, 80, 10}},
      {"a break before the last blank within reach", std::string(79, 'z') + " tail", {79, 5}},
      {"the end within reach takes the rest", "go " + std::string(72, 'x'), {75}},
      {"a piece near the end of 250 characters", std::string(246, 'q') + " end", {80, 80, 80, 10}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto pieces = DescriptionChunks(c.text);
    std::vector<size_t> lengths;
    for (std::string_view p : pieces) lengths.push_back(p.size());
    EXPECT_EQ(lengths, c.lengths);
    EXPECT_EQ(Joined(pieces), c.text);
  }
}

TEST(AtcplanRoute, HoldIdAndCheckpointCountFromTheEnd) {
  const FlpxImportTableRecord imports = ScriptedImports();
  struct Case {
    const char* name;
    std::vector<char> types;
    bool accepted;
    int checkpoints;
    const char* holdId;
  };
  const Case cases[] = {
      {"one VOR between the airports", {'A', 'Q', 'M', 'T', 'A'}, true, 1, "P2"},
      {"departure and arrival alone", {'C', 'R', 'C'}, true, 0, "P0"},
      {"one point and climb points", {'A', 'Q', 'R'}, false, -1, ""},
      {"no point", {}, false, -2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetScript();
    for (size_t i = 0; i < c.types.size(); ++i) {
      Script().rows.push_back(MakeWaypoint(c.types[i], "P" + std::to_string(i), ""));
      Script().rows.back().altitude = 1000.0 * static_cast<double>(i);
    }
    AtcRoute route;
    EXPECT_EQ(ReadAtcRoute(FlpxPlanSource(imports, &Script()), route), c.accepted);
    EXPECT_EQ(route.checkpointCount, c.checkpoints);
    EXPECT_EQ(route.holdId, c.holdId);
    EXPECT_EQ(route.highestAltitude, c.types.empty() ? 0.0 : 1000.0 * static_cast<double>(c.types.size() - 1));
  }
}

TEST(AtcDetailsModel, DefaultTextsAndColumns) {
  ScriptSeattlePortland();
  AtcDetailsModel model(Script().info, 17750);
  EXPECT_EQ(model.DefaultTitle(), "KSEA to KPDX: Boeing 737-400");
  EXPECT_EQ(model.DefaultDescription(),
            "Seattle-Tacoma Intl to Portland Intl - Aircraft: Boeing 737-400 - FlightLevel: 178");

  // A missing id gives way to the name; the title is cut to its limit.
  FlpxPlanInfo info = Script().info;
  SetText(info.departure.ident, "");
  SetText(info.departure.name, std::string(30, 'D'));
  SetText(info.aircraftName, std::string(30, 'A'));
  const std::string title = AtcDetailsModel(info, 0).DefaultTitle();
  EXPECT_EQ(title, (std::string(30, 'D') + " to KPDX: " + std::string(30, 'A')).substr(0, 59));

  const std::pair<const char*, const char*> ids[] = {{"9", " 9"}, {"9L", " 9L"}, {"27", "27"}, {"27L", "27L"}, {"", " "}};
  for (const auto& [id, shown] : ids) EXPECT_EQ(FormatRunwayId(id), shown) << id;
  using Texts = std::array<std::string, 4>;
  EXPECT_EQ(model.ColumnTexts(AtcList::kOpenDeparture, 0), (Texts{"16L", "163", "11900", ""}));
  EXPECT_EQ(model.ColumnTexts(AtcList::kAvailableArrival, 0), (Texts{"10R", "100", "11000", "111.30"}));
  EXPECT_EQ(model.ColumnTexts(AtcList::kOpenArrival, 5), Texts{}) << "an index past the runways shows nothing";
  EXPECT_EQ(RunwayColumnWidths(600), (std::array<int, 4>{100, 166, 166, 168}));
}

TEST(AtcDetailsModel, MovesAndOkCollectTheOpenRunways) {
  ScriptSeattlePortland();
  AtcDetailsModel model(Script().info, 17750);
  EXPECT_EQ(model.Items(AtcList::kOpenDeparture), (std::vector<int>{1, 0})) << "each runway inserted at the top";
  EXPECT_TRUE(model.Items(AtcList::kAvailableDeparture).empty());

  // Refused: empty texts once trailing blanks are gone.
  EXPECT_FALSE(model.Accept("   ", "description", 0));
  EXPECT_FALSE(model.Accept("title", "", 0));

  // Every departure runway moved away; the arrival's reordered through the available list.
  model.MoveSelectedRunways(AtcList::kOpenDeparture, {1, 0, 7});
  EXPECT_TRUE(model.Items(AtcList::kOpenDeparture).empty());
  EXPECT_EQ(model.Items(AtcList::kAvailableDeparture), (std::vector<int>{1, 0})) << "the last selected moves first";
  model.MoveSelectedRunways(AtcList::kOpenArrival, {1});
  model.MoveSelectedRunways(AtcList::kAvailableArrival, {0});
  EXPECT_EQ(model.Items(AtcList::kOpenArrival), (std::vector<int>{0, 1}));

  ASSERT_TRUE(model.Accept("Seattle shuttle   ", std::string(260, 'd'), 2));
  const AtcDetails& d = model.Details();
  EXPECT_EQ(d.title, "Seattle shuttle");
  EXPECT_EQ(d.description, std::string(250, 'd'));
  EXPECT_EQ(d.aircraftType, 3);
  const int32_t departures = d.info.departure.runwayCount;
  const int32_t arrivals = d.info.arrival.runwayCount;
  EXPECT_EQ(departures, 0);
  ASSERT_EQ(arrivals, 2);
  // Taken from the last item to the first out of the host's arrays: 28C then 10R, never 28C twice.
  EXPECT_STREQ(d.info.arrival.runways[0].ident, "28C");
  EXPECT_STREQ(d.info.arrival.runways[1].ident, "10R");
}

class AtcplanExportTest : public ::testing::Test {
 protected:
  AtcplanExportTest() : m_folder(flpxtest::TestFolder(std::string("atcplan_flow_") + Name())) {
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_settings = (m_folder / "FlpExport.ini").string();
    ScriptSeattlePortland();
    Script().savePath = (m_folder / "plan.apl").string();
  }
  ~AtcplanExportTest() override {
    CExportFile::FailAtPrint(0);
    fs::remove_all(m_folder);
  }
  static const char* Name() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

  // The dialog as a user fills it for the golden: 34R closed, a title and the long description.
  int Run(int answer = 1, const std::function<void(AtcDetailsModel&)>& moves = {}) {
    const FlpxCall call{m_imports, &Script(), &m_parent, kAtcplanName, m_settings.c_str()};
    return ExportAtcplan(call, [&](AtcDetailsModel& model, void* parent, const std::string& caption) {
      ++m_dialogs;
      m_caption = caption;
      m_parentSeen = parent;
      m_defaultDescription = model.DefaultDescription();
      if (answer != 1) return answer;
      model.MoveSelectedRunways(AtcList::kOpenDeparture, {0});
      if (moves) moves(model);
      return model.Accept("Seattle shuttle", kDescription, 1) ? 1 : 2;
    });
  }
  std::string Written() const { return flpxtest::ReadBytes(Script().savePath); }

  fs::path m_folder;
  std::string m_settings;
  FlpxImportTableRecord m_imports = ScriptedImports();
  int m_parent = 0;
  int m_dialogs = 0;
  std::string m_caption, m_defaultDescription;
  void* m_parentSeen = nullptr;
};

TEST_F(AtcplanExportTest, WritesTheGoldenPlan) {
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Written(), flpxtest::Golden(kGolden));
  EXPECT_EQ(m_caption, "Atcplan Export Options");
  EXPECT_EQ(m_parentSeen, &m_parent);
  EXPECT_EQ(Script().filterSeen, "Atcplan Flight Plan (*.apl)|*.apl|All Files (*.*)|*.*||");
  EXPECT_EQ(Script().defaultExtSeen, "apl");
  EXPECT_EQ(Script().initialNameSeen, "");
  EXPECT_EQ(profile::GetString(m_settings, "Atcplan", "InitialDir", ""), m_folder.string() + "/");
}

TEST_F(AtcplanExportTest, ALowerPlanAfterwardsKeepsNothingOfTheFirst) {
  ASSERT_EQ(Run(), 1);
  // Departure and arrival alone, lower, and a departure without runways.
  Script().rows = {Script().rows[0], Script().rows[5]};
  Script().info.departure.runwayCount = 0;
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(m_defaultDescription, "Seattle-Tacoma Intl to Portland Intl - Aircraft: Boeing 737-400 - FlightLevel: 5");
  const std::string text = Written();
  EXPECT_NE(text.find("HOLD_ID = \"16L\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("    filed_altitude = 44\r\n"), std::string::npos);
  EXPECT_NE(text.find("    number_of_checkpoints = 0\r\n"), std::string::npos);
  EXPECT_EQ(text.find("checkpoint_1"), std::string::npos);
  EXPECT_EQ(text.find("d_runway"), std::string::npos);
  EXPECT_NE(text.find("    arrival_longitude = -122.597500\r\n    a_runway_1_id = 103\r\n"), std::string::npos);
}

TEST_F(AtcplanExportTest, AReorderedListWritesTheChosenRunwaysInItsOrder) {
  // 10R out and back in: the open arrival list now shows 10R above 28C.
  ASSERT_EQ(Run(1, [](AtcDetailsModel& model) {
              model.MoveSelectedRunways(AtcList::kOpenArrival, {1});
              model.MoveSelectedRunways(AtcList::kAvailableArrival, {0});
            }),
            1);
  const std::string text = Written();
  const size_t first = text.find("    a_runway_1_id = 282\r\n");
  const size_t second = text.find("    a_runway_2_id = 103\r\n");
  EXPECT_NE(first, std::string::npos) << text;
  EXPECT_NE(second, std::string::npos) << text;
  EXPECT_NE(text.find("    a_runway_1_freq = 0.00\r\n"), std::string::npos);
  EXPECT_NE(text.find("    a_runway_2_freq = 111.30\r\n"), std::string::npos);
}

TEST_F(AtcplanExportTest, RefusalCancelAndFailedWrites) {
  // Fewer than two points: refused before the dialog and before the plan information.
  const std::vector<FlpxWaypoint> rows = Script().rows;
  Script().rows = {rows[1], rows[2], rows[4]};
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(m_dialogs, 0);
  EXPECT_EQ(Script().planInfoCalls, 0);

  Script().rows = rows;
  Script().info.departure.present = 0;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(m_dialogs, 0);

  Script().info.departure.present = 1;
  EXPECT_EQ(Run(2), 1);
  EXPECT_EQ(Script().saveCalls, 0) << "a cancelled dialog writes nothing";

  for (int failAt : {1, 9, 30, 60, 79}) {
    SCOPED_TRACE(failAt);
    CExportFile::FailAtPrint(failAt);
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(fs::exists(Script().savePath));
  }
}

}  // namespace
