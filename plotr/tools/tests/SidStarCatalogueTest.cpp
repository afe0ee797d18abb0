// The catalogue on a temporary folder over the plan test world: saving plans as SIDs and STARs,
// scanning, loading, matching the plan's rows, inserting procedures back, the author list, the
// regions and the save's failure paths.

#include "platform/profile/Profile.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/tests/PlanCoreTestSupport.h"
#include "platform/ui/StringTable.h"
#include "plotr/tools/SaveSidStarForm.h"
#include "plotr/tools/SidStarFile.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/testing/FakeSidStarUi.h"

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// 2026-03-01 12:00:00 UTC
const std::chrono::system_clock::time_point kMarch1 = std::chrono::system_clock::from_time_t(1772366400);

class SidStarCatalogueTest : public plancore::PlanCoreTest {
 protected:
  SidStarCatalogueTest() : m_clock(0, kMarch1) {
    m_sidStarFolder = (m_folder.Folder() / "SidStar").string() + "/";
    m_binFolder = (m_folder.Folder() / "Bin").string() + "/";
    fs::create_directories(m_sidStarFolder);
    fs::create_directories(m_binFolder);
    m_store = NewStore();
    m_ui.dialog = [this](SidStarSaveValues& values) {
      values.id = m_answerId;
      values.description = "climb straight ahead";
      values.author = m_author;
      values.region = 4;
      values.country = "Switzerland";
      return true;
    };
  }

  std::unique_ptr<CSidStarStore> NewStore() {
    auto store = std::make_unique<CSidStarStore>(&m_ui);
    store->SetFolders(m_sidStarFolder, m_binFolder);
    store->SetClock(&m_clock);
    return store;
  }

  // Runway 09 of DEPT, ALPHA in line with it, BRAVO.
  CRoute SidRoute() {
    CRoute route = NewRoute();
    route.AddPoint(Db(0, -0.005, kKindRunway));
    route.AddPoint(Db(0, 0.5, kKindIntersection));
    route.AddPoint(Db(0, 1.0, kKindIntersection));
    return route;
  }
  // NN, a fix east of ARRV, runway 27 of ARRV (landing westwards).
  CRoute StarRoute() {
    CRoute route = NewRoute();
    route.AddPoint(Db(0, 2.0, kKindNdb));
    route.AddPoint(User(0, 3.2, "FINAL"));
    route.AddPoint(Db(0, 3.005, kKindRunway));
    return route;
  }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_sidStarFolder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string m_sidStarFolder;
  std::string m_binFolder;
  win::FakeClock m_clock;
  tooltest::FakeSidStarUi m_ui;
  std::unique_ptr<CSidStarStore> m_store;
  std::string m_answerId = "ALPHA1";
  std::string m_author = "Rene";
};

TEST_F(SidStarCatalogueTest, SavedSidAndStarRescanMatchTheRowsAndInsertAgain) {
  ASSERT_TRUE(m_store->SavePlanAs(false, -1, -1, -1, SidRoute()));
  ASSERT_EQ(m_store->GetAirportCount(), 1);
  EXPECT_EQ(m_ui.offered.at(0).id, "BRAVO") << "the en-route fix names the procedure by default";
  const CSidStarAirport& dept = m_store->GetAirport(0);
  EXPECT_EQ(dept.id, "DEPT");
  EXPECT_EQ(dept.name, "Field DEPT");
  EXPECT_EQ(dept.separator, '+');
  EXPECT_EQ(dept.stamp, "20260301-120000");
  EXPECT_TRUE(IsSidStarGuid(dept.guid));
  EXPECT_EQ(Files(), std::vector<std::string>{dept.guid + "+20260301-120000.ss"});

  m_answerId = "FINAL1";
  ASSERT_TRUE(m_store->SavePlanAs(true, -1, -1, -1, StarRoute()));
  ASSERT_EQ(m_store->GetAirportCount(), 2);
  EXPECT_EQ(m_store->GetAirport(0).id, "ARRV") << "sorted by identifier";

  // A fresh catalogue finds both files and reads the procedures on first use.
  auto store = NewStore();
  ASSERT_TRUE(store->ScanFiles());
  ASSERT_EQ(store->GetAirportCount(), 2);
  EXPECT_FALSE(store->GetAirport(1).loaded);
  EXPECT_EQ(store->GetAirport(1).authors, std::vector<std::string>{"Rene"});
  EXPECT_EQ(store->GetAirport(1).country, "Switzerland");
  ASSERT_EQ(store->m_regions[4].countries.size(), 1u);
  EXPECT_EQ(store->m_regions[4].countries[0].name, "Switzerland");

  CSidStarStore* raw = store.get();
  m_plan.SetProcedureCatalogue(std::move(store));
  CRoute plan = SidRoute();
  for (int i = 1; i < 4; ++i) plan.AddPoint(StarRoute()[i - 1]);
  Load(plan);
  const CSidStarList& sids = raw->GetList(1, false);
  ASSERT_EQ(sids.groups.size(), 1u);
  EXPECT_EQ(sids.groups[0].ident, "BRAVO");
  const CSidStarProcedure& sid = sids.groups[0].procedures.at(0);
  EXPECT_EQ(sid.id, "ALPHA1");
  EXPECT_EQ(sid.runway, "09");
  EXPECT_EQ(sid.heading, 90);
  int sidRows = 0, starRows = 0;
  for (const PlanRow& row : m_plan.m_rows) {
    if (row.pointIndex < 0) continue;
    sidRows += row.sidAirport == 1 && row.sidGroup == 0 && row.sidProcedure == 0;
    starRows += row.starAirport == 0 && row.starGroup == 0 && row.starProcedure == 0;
  }
  EXPECT_EQ(sidRows, 3);
  EXPECT_EQ(starRows, 3);

  // The stored procedure goes back into a plan as the same database objects.
  CRoute inserted = NewRoute();
  ASSERT_TRUE(raw->InsertIntoPlan(inserted, false, 1, 0, 0, true));
  ASSERT_EQ(inserted.GetCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(inserted[i].ref.point, SidRoute()[i].ref.point) << i;
  EXPECT_TRUE(inserted[1].flags & kPointAutoRoute);
  EXPECT_FALSE(inserted[0].flags & kPointAutoRoute) << "runway ends are not marked as inserted";
  CRoute star = NewRoute();
  ASSERT_TRUE(raw->InsertIntoPlan(star, true, 0, 0, 0, true));
  ASSERT_EQ(star.GetCount(), 3);
  EXPECT_TRUE(star[1].IsUserPoint());
  EXPECT_TRUE(m_ui.boxes.empty());
}

TEST_F(SidStarCatalogueTest, LastSidPointTellsWhatIsStillPendingByItsOwnAltitude1Only) {
  const uint32_t feet = MakeManualValue(5000);
  const uint32_t knots = MakeManualValue(210);
  const uint32_t both = kPointAltitudeOption | kPointSpeedOption;
  struct Case {
    const char* name;
    uint32_t midAltitude, midSpeed, midFlags;                       // ALPHA
    uint32_t lastAltitude1, lastAltitude2, lastSpeed, lastFlags;    // BRAVO
    uint32_t options;                                               // BRAVO's stored option bits
  };
  const Case cases[] = {
      {"nothing set", 0, 0, 0, 0, 0, 0, 0, 0},
      {"own altitude 1", 0, 0, 0, feet, 0, 0, 0, kSidStarAltitudeOption},
      {"own altitude 2 is dropped", 0, 0, 0, 0, feet, 0, 0, 0},
      {"own speed is dropped", 0, 0, 0, 0, 0, knots, 0, 0},
      {"climb before", feet, 0, 0, 0, 0, 0, 0, kSidStarAltitudeOption},
      {"climb before, ended there", feet, 0, kPointAltitudeOption, 0, 0, 0, 0, 0},
      {"speed before", 0, knots, 0, 0, 0, 0, 0, kSidStarSpeedOption},
      {"speed before, ended there", 0, knots, kPointSpeedOption, 0, 0, knots, 0, 0},
      {"own option bits without a pending setting", 0, 0, 0, 0, 0, 0, both, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRoute plan = SidRoute();
    plan[1].altitude1 = c.midAltitude;
    plan[1].speed = c.midSpeed;
    plan[1].flags |= c.midFlags;
    plan[2].altitude1 = c.lastAltitude1;
    plan[2].altitude2 = c.lastAltitude2;
    plan[2].speed = c.lastSpeed;
    plan[2].flags |= c.lastFlags;
    CSidStarAirport airport;
    ASSERT_TRUE(airport.AddPlan("ALPHA1", "", 2, 0, false, plan, m_sidStarFolder));
    const CSidStarWaypoint& last = airport.sids.groups.at(0).procedures.at(0).waypoints.at(2);
    EXPECT_EQ(last.flags & (kSidStarAltitudeOption | kSidStarSpeedOption), c.options);
    EXPECT_EQ(uint32_t{last.altitude1}, c.lastAltitude1);
    EXPECT_FALSE(IsManualValueGiven(last.altitude2));
    EXPECT_FALSE(last.flags & kSidStarSpeedGiven);
  }
}

TEST_F(SidStarCatalogueTest, EveryKindOfWaypointComesBackFromTheFile) {
  CRoute sid = NewRoute();
  sid.AddPoint(Db(0, -0.005, kKindRunway));
  PlanPoint alpha = Db(0, 0.5, kKindIntersection);
  alpha.altitude1 = MakeManualValue(5000);
  alpha.altitude2 = MakeManualValue(-300);
  alpha.speed = MakeManualValue(210);
  alpha.flags |= kPointFlyOver | kPointAltitudeOption;
  sid.AddPoint(alpha);
  sid.AddPoint(User(0.1, 0.7, "A B"));
  sid.AddPoint(User(0.1, 0.8));  // named automatically
  PlanPoint vor = Db(0, 1.5, kKindVor);
  vor.flags |= kPointBearing;
  sid.AddPoint(vor);
  PlanPoint ndb = Db(0, 2.0, kKindNdb);
  ndb.speed = MakeManualValue(180);
  ndb.flags |= kPointSpeedOption;
  sid.AddPoint(ndb);
  sid.AddPoint(Db(0, 2.99, kKindIls));
  sid.AddPoint(User(0.2, 2.2, "end"));
  m_answerId = "END1";
  ASSERT_TRUE(m_store->SavePlanAs(false, -1, -1, -1, sid));
  m_answerId = "FINAL1";
  m_clock.Advance(1000);
  ASSERT_TRUE(m_store->SavePlanAs(true, -1, -1, -1, StarRoute()));

  auto store = NewStore();
  ASSERT_TRUE(store->ScanFiles());
  ASSERT_EQ(store->GetAirportCount(), m_store->GetAirportCount());
  std::string types;
  for (int a = 0; a < store->GetAirportCount(); ++a) {
    store->LoadAirport(a, Current());
    for (bool isStar : {false, true}) {
      const CSidStarList& saved = m_store->GetList(a, isStar);
      const CSidStarList& read = store->GetList(a, isStar);
      ASSERT_EQ(read.groups.size(), saved.groups.size());
      for (size_t g = 0; g < saved.groups.size(); ++g) {
        ASSERT_EQ(read.groups[g].procedures.size(), saved.groups[g].procedures.size());
        for (size_t p = 0; p < saved.groups[g].procedures.size(); ++p) {
          const auto& want = saved.groups[g].procedures[p].waypoints;
          const auto& got = read.groups[g].procedures[p].waypoints;
          ASSERT_EQ(got.size(), want.size());
          for (size_t w = 0; w < want.size(); ++w) {
            SCOPED_TRACE(WriteSidStarWaypoint(want[w]));
            EXPECT_EQ(WriteSidStarWaypoint(got[w]), WriteSidStarWaypoint(want[w]));
            // The record is packed: its fields are compared as copies.
            EXPECT_EQ(uint32_t{got[w].altitude1}, uint32_t{want[w].altitude1});
            EXPECT_EQ(uint32_t{got[w].altitude2}, uint32_t{want[w].altitude2});
            EXPECT_EQ(uint32_t{got[w].flags}, uint32_t{want[w].flags});
            types += got[w].type;
          }
        }
      }
    }
  }
  EXPECT_EQ(types, "NFRRIFFVNLI") << "the STAR's, then the SID's waypoints, every letter among them";
}

TEST_F(SidStarCatalogueTest, NamesAWaypointLineCannotHoldAreRefusedBeforeAnythingIsWritten) {
  struct Case {
    const char* name;
    int at;  // the user fix's place in the SID
  };
  const Case cases[] = {
      {"A:B", 1}, {"   ", 1}, {"\t", 1}, {"A\nB", 1}, {"A:B", 2}, {"   ", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.name) + " at " + std::to_string(c.at));
    CRoute sid = NewRoute();
    sid.AddPoint(Db(0, -0.005, kKindRunway));
    sid.AddPoint(Db(0, 0.5, kKindIntersection));
    sid.AddPoint(Db(0, 1.0, kKindIntersection));
    sid.InsertPoint(c.at, User(0, 0.7, c.name));
    int stringId = 0, number = 0;
    EXPECT_EQ(m_store->CheckPlanAsSidStar(sid, stringId, number), kPlanIsNoProcedure);
    EXPECT_EQ(stringId, 6127);
    EXPECT_EQ(number, c.at + 1);
    EXPECT_FALSE(ui::LoadString(6127).empty());
    EXPECT_FALSE(m_store->SavePlanAs(false, -1, -1, -1, sid));
    EXPECT_TRUE(m_ui.offered.empty()) << "no dialog";
    EXPECT_TRUE(Files().empty());
  }
  // A bearing point keeps its name in the file too.
  CRoute sid = SidRoute();
  PlanPoint bearing = User(0, 0.7, "A:B");
  bearing.flags |= kPointBearing;
  sid.InsertPoint(2, bearing);
  int stringId = 0, number = 0;
  EXPECT_EQ(m_store->CheckPlanAsSidStar(sid, stringId, number), kPlanIsNoProcedure);
  EXPECT_EQ(stringId, 6127);
}

TEST_F(SidStarCatalogueTest, LineBreaksTypedIntoTheSaveDialogNeverReachTheFile) {
  // The save dialog's rules take what the user typed and pasted.
  m_ui.dialog = [](SidStarSaveValues& values) {
    SaveSidStarForm form(values);
    form.SetIdentification("alpha1\r\n");
    form.SetAuthor("Jane\r\nDoe");
    form.ChooseRegion(4);
    const bool ok = form.Ok([](const std::string&, uint32_t) { return ui::kIdOk; });
    values = form.Result();
    return ok;
  };
  ASSERT_TRUE(m_store->SavePlanAs(false, -1, -1, -1, SidRoute()));
  // A caller that hands the texts in as they came is cleaned up alike.
  m_ui.dialog = [](SidStarSaveValues& values) {
    values.id = "BRAVO2\n";
    values.author = " Ann\nLee ";
    values.region = 4;
    return true;
  };
  m_clock.Advance(1000);
  ASSERT_TRUE(m_store->SavePlanAs(false, 0, -1, -1, SidRoute()));
  m_ui.dialog = [](SidStarSaveValues& values) {
    values.id = "\r\n";
    return true;
  };
  m_clock.Advance(1000);
  EXPECT_FALSE(m_store->SavePlanAs(false, 0, -1, -1, SidRoute())) << "a procedure needs an identifier";

  auto store = NewStore();
  ASSERT_TRUE(store->ScanFiles());
  ASSERT_EQ(store->GetAirportCount(), 1) << "the creator's checksum still holds";
  EXPECT_EQ(store->GetAirport(0).authors, (std::vector<std::string>{"Jane Doe", "Ann Lee"}));
  store->LoadAirport(0, Current());
  ASSERT_TRUE(store->GetAirport(0).loaded);
  const auto& procedures = store->GetList(0, false).groups.at(0).procedures;
  ASSERT_EQ(procedures.size(), 2u);
  EXPECT_EQ(procedures[0].id, "ALPHA1");
  EXPECT_EQ(procedures[1].id, "BRAVO2");
  EXPECT_EQ(g_Settings.GetCreatedBy(true), "Jane Doe");
}

TEST_F(SidStarCatalogueTest, SameIdOnTheSameRunwayOverwritesAnotherIdAdds) {
  ASSERT_TRUE(m_store->SavePlanAs(false, -1, -1, -1, SidRoute()));
  m_answerId = "alpha1";
  m_clock.Advance(1000);
  ASSERT_TRUE(m_store->SavePlanAs(false, 0, -1, -1, SidRoute()));
  const CSidStarList& sids = m_store->GetList(0, false);
  ASSERT_EQ(sids.groups.size(), 1u);
  ASSERT_EQ(sids.groups[0].GetProcedureCount(), 1);
  EXPECT_EQ(sids.groups[0].procedures[0].id, "alpha1");
  EXPECT_EQ(m_ui.offered.back().procedures.size(), 1u) << "the procedure on that runway is offered";
  EXPECT_EQ(Files().size(), 1u) << "the old file is gone";

  m_answerId = "ALPHA2";
  m_clock.Advance(1000);
  ASSERT_TRUE(m_store->SavePlanAs(false, 0, -1, -1, SidRoute()));
  EXPECT_EQ(m_store->GetList(0, false).groups[0].GetProcedureCount(), 2);
}

TEST_F(SidStarCatalogueTest, AuthorsKeepTheCreatorAndTheNewestEditors) {
  CSidStarAirport a;
  a.AddAuthor("");
  EXPECT_TRUE(a.authors.empty());
  a.AddAuthor("Rene");
  a.AddAuthor("RENE");
  EXPECT_EQ(a.authors, std::vector<std::string>{"RENE"}) << "the creator's new spelling";
  for (int i = 1; i <= 9; ++i) a.AddAuthor("Editor" + std::to_string(i));
  ASSERT_EQ(a.authors.size(), 10u);
  a.AddAuthor("editor3");  // an existing editor becomes the newest
  EXPECT_EQ(a.authors[9], "editor3");
  EXPECT_EQ(a.authors[3], "Editor4");
  a.AddAuthor("Newcomer");
  EXPECT_EQ(a.authors.size(), 10u);
  EXPECT_EQ(a.authors[0], "RENE");
  EXPECT_EQ(a.authors[1], "Editor2") << "the oldest later editor goes";
  EXPECT_EQ(a.authors[9], "Newcomer");
  a.AddAuthor(std::string(60, 'x'));
  EXPECT_EQ(a.authors[9].size(), 40u);
}

TEST_F(SidStarCatalogueTest, AirportMatchesByPlaceAndCode) {
  CSidStarAirport a;
  a.id = "ZRH";
  a.lat = 47.0f;
  a.lon = 8.0f;
  EXPECT_TRUE(a.Matches(47.0, 8.0, "LZRH"));
  EXPECT_TRUE(a.Matches(47.1, 8.0, "ZRH"));
  EXPECT_FALSE(a.Matches(47.2, 8.0, "ZRH")) << "beyond 10 nm";
  EXPECT_FALSE(a.Matches(47.0, 8.0, "LZRX"));
  a.id = "LZRH";
  EXPECT_TRUE(a.Matches(47.0, 8.0, "ZRH"));
  EXPECT_FALSE(a.Matches(47.0, 8.0, "ZR"));
}

TEST_F(SidStarCatalogueTest, ScanListsOnlyUsableFilesAndAWrongEndHidesTheProcedures) {
  ASSERT_TRUE(m_store->SavePlanAs(false, -1, -1, -1, SidRoute()));
  const CSidStarAirport saved = m_store->GetAirport(0);
  const std::string path = saved.FilePath(m_sidStarFolder);
  fs::copy_file(path, m_sidStarFolder + "short-name.ss");
  fs::copy_file(path, m_sidStarFolder + saved.guid + "x" + saved.stamp + ".ss");
  fs::create_directory(m_sidStarFolder + saved.guid + "-20200101-000000.ss");
  std::ofstream(m_sidStarFolder + saved.guid + "-20200101-000001.ss") << "[Airport]\r\nId=X\r\n";
  // The same airport once more, published, with its end mark broken.
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  text.replace(text.rfind("Valid="), std::string::npos, "Valid=WRONG\r\n");
  const std::string kBrokenGuid = "AAAAAAAA-AAAA-AAAA-AAAA-AAAAAAAAAAAA";
  std::ofstream(m_sidStarFolder + kBrokenGuid + "-20200101-000000.ss", std::ios::binary) << text;

  auto store = NewStore();
  ASSERT_TRUE(store->ScanFiles());
  ASSERT_EQ(store->GetAirportCount(), 2);
  const int broken = store->GetAirport(0).guid == kBrokenGuid ? 0 : 1;
  ASSERT_EQ(store->GetAirport(broken).guid, kBrokenGuid);
  store->LoadAirport(broken, Current());
  EXPECT_FALSE(store->GetAirport(broken).loaded);
  EXPECT_TRUE(store->GetList(broken, false).groups.empty());
  store->LoadAirport(1 - broken, Current());
  EXPECT_TRUE(store->GetAirport(1 - broken).loaded);
  EXPECT_EQ(store->GetList(1 - broken, false).groups.size(), 1u);
  // Either copy belongs to the plan's departure field.
  const int found = store->FindAirport(SidRoute()[0], Current());
  EXPECT_GE(found, 0);
}

TEST_F(SidStarCatalogueTest, EditorRegionsComeFromTheRegionList) {
  ASSERT_TRUE(m_store->SavePlanAs(false, -1, -1, -1, SidRoute()));
  m_ui.dialog = [](SidStarSaveValues& values) {
    values.id = "BRAVO1";
    values.region = 4;
    values.country = "Atlantis";
    return true;
  };
  m_clock.Advance(1000);
  ASSERT_TRUE(m_store->SavePlanAs(true, -1, -1, -1, StarRoute()));
  std::ofstream(m_binFolder + "Regions.ini") << "[Europe]\r\nSwitzerland=1\r\nAtlantis=0\r\n[Asia]\r\nNepal=1\r\n";
  ASSERT_TRUE(profile::WriteString(g_Settings.GetProfileFile(), "Essential", "Sid/Star", "YES"));
  auto store = NewStore();
  ASSERT_EQ(store->m_regions[4].countries.size(), 2u);
  EXPECT_FALSE(store->m_regions[4].countries[1].enabled);
  ASSERT_TRUE(store->ScanFiles());
  EXPECT_EQ(store->GetAirport(1).country, "Switzerland");
  EXPECT_EQ(store->GetAirport(0).country, "") << "a country the region does not accept";
  EXPECT_EQ(store->GetAirport(0).region, -1);
}

TEST_F(SidStarCatalogueTest, FailedSavesKeepTheOldFile) {
  ASSERT_TRUE(m_store->SavePlanAs(false, -1, -1, -1, SidRoute()));
  const std::string guid = m_store->GetAirport(0).guid;
  const std::string first = m_store->GetAirport(0).FilePath(m_sidStarFolder);

  // The rename fails: a folder holds the new name.
  m_clock.Advance(1000);
  const std::string blocked = m_sidStarFolder + guid + "+20260301-120001.ss";
  fs::create_directories(blocked + "/inside");
  m_answerId = "ALPHA2";
  EXPECT_FALSE(m_store->SavePlanAs(false, 0, -1, -1, SidRoute()));
  ASSERT_EQ(m_ui.boxes.size(), 1u);
  EXPECT_EQ(m_ui.boxes[0].text, kSidStarNotChangedText);
  EXPECT_EQ(m_ui.boxes[0].style, ui::kMbIconStop);
  EXPECT_TRUE(fs::is_regular_file(first));
  EXPECT_EQ(m_store->GetList(0, false).groups[0].GetProcedureCount(), 1) << "the entry is unchanged";
  fs::remove_all(blocked);

  // Deleting the old file fails: the new one is taken back.
  CSidStarAirport& entry = m_store->m_airports[0];
  const std::string oldStamp = entry.stamp;
  entry.stamp = "20250101-000000";
  const std::string undeletable = entry.FilePath(m_sidStarFolder);
  fs::create_directories(undeletable + "/inside");
  m_clock.Advance(1000);
  EXPECT_FALSE(m_store->SavePlanAs(false, 0, -1, -1, SidRoute()));
  EXPECT_FALSE(fs::exists(m_sidStarFolder + guid + "+20260301-120002.ss"));
  EXPECT_TRUE(fs::is_regular_file(first));
  fs::remove_all(undeletable);
  entry.stamp = oldStamp;

  // Two saves in the same second write the same name: the file is replaced, not deleted.
  m_clock.SetNow(kMarch1);
  EXPECT_TRUE(m_store->SavePlanAs(false, 0, -1, -1, SidRoute()));
  EXPECT_EQ(Files(), std::vector<std::string>{guid + "+20260301-120000.ss"});
  EXPECT_EQ(m_store->GetList(0, false).groups[0].GetProcedureCount(), 2);
  auto store = NewStore();
  ASSERT_TRUE(store->ScanFiles());
  store->LoadAirport(0, Current());
  EXPECT_EQ(store->GetList(0, false).groups[0].GetProcedureCount(), 2);
  for (const std::string& name : Files()) EXPECT_EQ(fs::path(name).extension(), ".ss") << "no temporary left";
}

TEST_F(SidStarCatalogueTest, DeletingAsksFirst) {
  ASSERT_TRUE(m_store->SavePlanAs(false, -1, -1, -1, SidRoute()));
  m_answerId = "ALPHA2";
  m_clock.Advance(1000);
  ASSERT_TRUE(m_store->SavePlanAs(false, 0, -1, -1, SidRoute()));
  m_ui.answer = ui::kIdCancel;
  EXPECT_FALSE(m_store->DeleteWithPrompt(0, 0, 0, false, Current()));
  EXPECT_EQ(m_ui.boxes.back().text, kSidStarDeleteProcedureText);
  EXPECT_EQ(m_ui.boxes.back().style, ui::kMbOkCancel | ui::kMbIconQuestion);
  EXPECT_EQ(m_store->GetList(0, false).groups[0].GetProcedureCount(), 2);

  m_ui.answer = ui::kIdOk;
  m_clock.Advance(1000);
  EXPECT_TRUE(m_store->DeleteWithPrompt(0, 0, 0, false, Current()));
  EXPECT_EQ(m_store->GetList(0, false).groups[0].procedures[0].id, "ALPHA2");
  EXPECT_EQ(Files().size(), 1u);
  EXPECT_TRUE(m_store->DeleteWithPrompt(0, 0, -1, false, Current())) << "a half reference does nothing";
  // The last procedure takes the file with it.
  EXPECT_TRUE(m_store->DeleteWithPrompt(0, 0, 0, false, Current()));
  EXPECT_EQ(m_store->GetAirportCount(), 0);
  EXPECT_TRUE(Files().empty());
  EXPECT_FALSE(m_store->DeleteWithPrompt(-1, -1, -1, false, Current()));
}

TEST_F(SidStarCatalogueTest, EditingPropertiesRenamesAndResorts) {
  ASSERT_TRUE(m_store->SavePlanAs(false, -1, -1, -1, SidRoute()));
  m_answerId = "ALPHA2";
  m_clock.Advance(1000);
  ASSERT_TRUE(m_store->SavePlanAs(false, 0, -1, -1, SidRoute()));
  m_ui.dialog = [](SidStarSaveValues& values) {
    EXPECT_FALSE(values.saveMode);
    EXPECT_EQ(values.selected, 0);
    EXPECT_EQ(values.procedures.size(), 2u);
    values.id = "ZULU1";
    values.description = "renamed";
    values.author = "Anna";
    return true;
  };
  m_clock.Advance(1000);
  ASSERT_TRUE(m_store->EditProperties(false, 0, 0, 0, Current()));
  const auto& procedures = m_store->GetList(0, false).groups[0].procedures;
  EXPECT_EQ(procedures[0].id, "ALPHA2");
  EXPECT_EQ(procedures[1].id, "ZULU1");
  EXPECT_EQ(procedures[1].waypoints.size(), 3u);
  EXPECT_EQ(m_store->GetAirport(0).authors, (std::vector<std::string>{"Rene", "Anna"}));
}

}  // namespace
