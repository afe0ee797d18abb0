#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "planexport/simpln/SimPlnExport.h"
#include "planexport/simpln/SimPlnText.h"
#include "planexport/simpln/SimPlnWriter.h"
#include "planexport/simpln/StartPositionModel.h"
#include "planexport/simpln/tests/SimPlnScript.h"
#include "platform/profile/Profile.h"

namespace {

namespace fs = std::filesystem;
using namespace simplntest;

const char kGolden[] = "planexport/simpln/tests/goldens/KSEA-KPDX.PLN";

TEST(SimPlnText, CoordinatesAndAltitudes) {
  struct Case {
    double value;
    bool longitude;
    const char* text;
  };
  const Case cases[] = {
      {47.4497, false, "N47* 26.98', "},  {-122.3106, true, "W122* 18.64', "}, {180.0, true, "W179* 59.99', "},
      {-180.0, true, "W179* 59.99', "},   {180.0, false, "N180* 0.00', "},     {-0.25, false, "S0* 15.00', "},
      {0.0, true, "E0* 0.00', "},         {47.99999, false, "N48* 0.00', "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SimPlnCoordinate(c.value, c.longitude), c.text) << c.value << (c.longitude ? " longitude" : " latitude");
  }
  EXPECT_EQ(SimPlnAltitude(1416), "+001416.00");
  EXPECT_EQ(SimPlnAltitude(0), "+000000.00");
  EXPECT_EQ(SimPlnAltitude(-12.5), "-00012.50");
}

TEST(SimPlnText, TypeLettersAndNames) {
  const std::string kinds = "ACGHIKLMNOPQRSTUV";
  const std::string letters = "AAIIVVVVNII";
  for (size_t i = 0; i < kinds.size(); ++i) {
    EXPECT_EQ(SimPlnTypeLetter(kinds[i]), i < letters.size() ? letters[i] : 0) << kinds[i];
  }
  EXPECT_EQ(SimPlnTypeLetter(0), 0);

  // Separators and wildcards become blanks; the rest, blanks included, stays and turns UTF-8.
  EXPECT_EQ(SimPlnDefaultName("Z\xFCrich/Kloten: X", "a\\b*c?d<e>f|g\"h"),
            "Z\xC3\xBCrich Kloten  X to a b c d e f g h.PLN");

  EXPECT_EQ(SimPlnRootFolder("/sim/Modules/Chartwright/FlpExport/FlpExport.ini", "Pilots"), "/sim/Pilots");
  EXPECT_EQ(SimPlnRootFolder("/Modules/Chartwright/FlpExport/FlpExport.ini", "flights/myflts"), "/flights/myflts");
  // Too near the root: the path as far as it was cut.
  EXPECT_EQ(SimPlnRootFolder("/Chartwright/FlpExport/FlpExport.ini", "Pilots"), "");
  EXPECT_EQ(SimPlnRootFolder("x/FlpExport.ini", "Pilots"), "x");
}

class SimPlnWriterTest : public ::testing::Test {
 protected:
  SimPlnWriterTest() : m_file(flpxtest::TestFolder("simpln_" + std::string(Name())) / "plan.PLN") {
    fs::create_directories(m_file.parent_path());
  }
  ~SimPlnWriterTest() override { fs::remove_all(m_file.parent_path()); }
  static const char* Name() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

  template <class Write>
  std::string Written(Write write) {
    CExportFile out;
    EXPECT_TRUE(out.Open(m_file.string()));
    EXPECT_EQ(write(FlpxPlanSource(m_imports, &Script()), out), 1);
    EXPECT_TRUE(out.Commit(true));
    return flpxtest::ReadBytes(m_file);
  }
  std::string Sim(const char* key) {
    return Written([&](const FlpxPlanSource& p, CExportFile& f) { return WriteSimPlnPlan(p, f, Script().info, key); });
  }
  std::string Simplana() {
    return Written([&](const FlpxPlanSource& p, CExportFile& f) { return WriteSimplanaPlan(p, f, Script().info); });
  }

  fs::path m_file;
  FlpxImportTableRecord m_imports = ScriptedImports();
};

TEST_F(SimPlnWriterTest, WritesTheGoldenPlan) {
  ScriptSeattlePortland();
  EXPECT_EQ(Sim("16L"), flpxtest::Golden(kGolden));
}

TEST_F(SimPlnWriterTest, OneTypedRecordClosesWithALineOfTheArrivalElevation) {
  ScriptSeattlePortland();
  Script().rows = {MakeWaypoint('A', "KSEA", "Seattle"), MakeWaypoint('S', "", "")};
  const std::string text = Sim("");
  const std::string tail =
      "departure_position=\r\n"
      "destination_id=KPDX, N45* 30.00', W122* 36.00', -00012.50\r\n"
      "departure_name=Seattle-Tacoma Intl\r\n"
      "destination_name=Portland Intl\r\n"
      "waypoint.0=KSEA, A, N0* 0.00', E0* 0.00', +000433.00,\r\n"
      "-00012.50,\r\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(SimPlnWriterTest, SimplanaTakesTheRunwayItStartsAtOrTheDeparturesFirst) {
  ScriptSeattlePortland();
  EXPECT_EQ(Simplana(), flpxtest::Golden("planexport/simplana/tests/goldens/KSEA-KPDX.PLN"));

  // Starting at the airport: the departure's first runway, or no line without runways.
  Script().rows.front() = MakeWaypoint('A', "KSEA", "Seattle");
  Script().info.departure.runways[0] = Script().info.departure.runways[1];
  EXPECT_NE(Simplana().find("\r\ndeparture_position=34R\r\ndestination_id="), std::string::npos);
  Script().info.departure.runwayCount = 0;
  const std::string text = Simplana();
  EXPECT_EQ(text.find("departure_position"), std::string::npos);
  EXPECT_NE(text.find("-00012.50\r\ndeparture_name="), std::string::npos);
  EXPECT_NE(text.find("destination_name=Portland Intl\r\nalternate_name=\r\nwaypoint.0="), std::string::npos);
}

TEST_F(SimPlnWriterTest, AFailedWriteStopsTheWriter) {
  ScriptSeattlePortland();
  for (int failAt : {1, 8, 13, 20, 22}) {
    SCOPED_TRACE(failAt);
    CExportFile out;
    ASSERT_TRUE(out.Open(m_file.string()));
    CExportFile::FailAtPrint(failAt);
    EXPECT_EQ(WriteSimPlnPlan(FlpxPlanSource(m_imports, &Script()), out, Script().info, "16L"), 0);
    CExportFile::FailAtPrint(0);
  }
}

// The departure-position choice over the host's start positions.
TEST(StartPositionModel, PreselectsTheRunwayThePlanStartsAt) {
  const FlpxImportTableRecord imports = ScriptedImports();
  struct Case {
    const char* name;
    char firstType;
    const char* storedKey;
    int selection;
  };
  const Case cases[] = {
      {"runway start matches in any case", 'C', "27l", 2},
      {"airport start takes the first entry", 'A', "27L", 0},
      {"no runway at the departure", 'C', "", 0},
      {"unknown runway", 'C', "04", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetScript();
    Script().rows = {MakeWaypoint(c.firstType, "27L", ""), MakeWaypoint('A', "LFSB", "")};
    ScriptStartPositions({{"09\tRunway", "09"}, {"GATE A 1\tGATE", "GATE A 1"}, {"27L\tRunway", "27L"}, {"1\tHelipad", "1"}});
    StartPositionModel model(c.storedKey);
    model.Load(FlpxPlanSource(imports, &Script()));
    ASSERT_EQ(model.Entries().size(), 4u);
    EXPECT_TRUE(model.OkEnabled());
    EXPECT_EQ(model.Selection(), c.selection);
    ASSERT_TRUE(model.Accept());
    EXPECT_EQ(model.StoredKey(), model.Entries()[static_cast<size_t>(c.selection)].key);
  }
}

TEST(StartPositionModel, ColumnsAndAnAirportWithoutPositions) {
  using Columns = std::array<std::string, 2>;
  EXPECT_EQ(StartPositionModel::Columns("GATE A 12\tGATE_MEDIUM"), (Columns{"GATE A 12", "GATE_MEDIUM"}));
  EXPECT_EQ(StartPositionModel::Columns("27L"), (Columns{"27L", ""}));
  EXPECT_EQ(StartPositionModel::Columns("1\tHelipad\tx"), (Columns{"1", "Helipad\tx"}));

  ResetScript();
  Script().rows = {MakeWaypoint('C', "27L", "")};
  const FlpxImportTableRecord imports = ScriptedImports();
  StartPositionModel model("27L");
  model.Load(FlpxPlanSource(imports, &Script()));
  EXPECT_FALSE(model.OkEnabled());
  EXPECT_EQ(model.Selection(), -1);
  EXPECT_FALSE(model.Accept()) << "only Cancel closes the dialog";
  EXPECT_EQ(model.StoredKey(), "27L");

  // An unterminated key from the host is read within its field.
  FlpxStartPosition p{};
  p.size = kFlpxStartPositionSize;
  std::memset(p.display, 'D', sizeof p.display);
  std::memset(p.key, 'K', sizeof p.key);
  Script().starts.push_back(p);
  model.Load(FlpxPlanSource(imports, &Script()));
  ASSERT_TRUE(model.Accept());
  EXPECT_EQ(model.StoredKey(), std::string(51, 'K'));
}

// The flow of Simplanc and Simplanb with a scripted dialog in place of the window.
class SimPlnExportTest : public ::testing::Test {
 protected:
  SimPlnExportTest() : m_folder(flpxtest::TestFolder(std::string("simpln_flow_") + Name())) {
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_settings = (m_folder / "FlpExport.ini").string();
    ScriptSeattlePortland();
    ScriptStartPositions({{"10L\tRunway", "10L"}, {"16L\tRunway", "16L"}, {"GATE B 4\tGATE", "GATE B 4"}});
    Script().savePath = (m_folder / "plan.PLN").string();
  }
  ~SimPlnExportTest() override { fs::remove_all(m_folder); }
  static const char* Name() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

  int Run(int answer, int choose = -1) {
    const FlpxCall call{m_imports, &Script(), &m_parent, "Simplanx", m_settings.c_str()};
    return ExportSimPln(call, SimPlnFolder{"/documents/Flight Simulator Files/", false},
                        [&](StartPositionModel& model, void* parent, const std::string& caption) {
                          ++m_dialogs;
                          m_caption = caption;
                          m_parentSeen = parent;
                          m_preselected = model.Selection();
                          if (choose >= 0) model.Select(choose);
                          return answer == 1 && model.Accept() ? 1 : answer;
                        });
  }

  fs::path m_folder;
  std::string m_settings;
  FlpxImportTableRecord m_imports = ScriptedImports();
  int m_parent = 0;
  int m_dialogs = 0;
  std::string m_caption;
  void* m_parentSeen = nullptr;
  int m_preselected = -2;
};

TEST_F(SimPlnExportTest, AsksThePositionThenWritesUnderTheDefaultName) {
  ASSERT_EQ(Run(1), 1);
  EXPECT_EQ(m_caption, "Simplanx Departure Position");
  EXPECT_EQ(m_parentSeen, &m_parent);
  EXPECT_EQ(m_preselected, 1) << "the plan starts at 16L, the departure's first runway";
  EXPECT_EQ(flpxtest::ReadBytes(Script().savePath), flpxtest::Golden(kGolden));
  EXPECT_EQ(Script().initialNameSeen, "Seattle-Tacoma Intl to Portland Intl.PLN");
  EXPECT_EQ(Script().initialDirSeen, "/documents/Flight Simulator Files/");
  EXPECT_EQ(Script().defaultExtSeen, "PLN");
  EXPECT_EQ(Script().filterSeen, "Simplanx Flight Plan (*.pln)|*.pln|All Files (*.*)|*.*||");
  EXPECT_FALSE(fs::exists(m_settings)) << "this folder is never stored";

  // The chosen entry is what the file names.
  ASSERT_EQ(Run(1, 2), 1);
  EXPECT_NE(flpxtest::ReadBytes(Script().savePath).find("\r\ndeparture_position=GATE B 4\r\n"), std::string::npos);
}

TEST_F(SimPlnExportTest, CancelRefusalAndAMissingService) {
  EXPECT_EQ(Run(2), 1);
  EXPECT_EQ(Script().saveCalls, 0) << "a cancelled position writes nothing";

  // A second departure without runways preselects nothing of the first one.
  Script().info.departure.runwayCount = 0;
  ASSERT_EQ(Run(1), 1);
  EXPECT_EQ(m_preselected, 0);
  EXPECT_NE(flpxtest::ReadBytes(Script().savePath).find("\r\ndeparture_position=10L\r\n"), std::string::npos);

  Script().info.arrival.present = 0;
  const int dialogs = m_dialogs;
  EXPECT_EQ(Run(1), 0);
  EXPECT_EQ(m_dialogs, dialogs) << "refused before the dialog";

  Script().info.arrival.present = 1;
  m_imports.getStartPosition = nullptr;
  EXPECT_EQ(Run(1), 0);
  EXPECT_EQ(m_dialogs, dialogs);
}

}  // namespace
