// The SID/STAR browser's trees without windows, on a catalogue set up in memory.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/tests/PlanCoreTestSupport.h"
#include "platform/win/Clock.h"
#include "plotr/tools/testing/FakeSidStarStore.h"
#include "plotr/tools/testing/SidStarServerRig.h"
#include "plotr/tools/testing/FakeSidStarUi.h"
#include "plotr/tools/testing/SidStarWaypoints.h"
#include "plotr/views/SidStarTreeModel.h"

namespace {

using namespace sidstar;
using tooltest::Wp;

std::string IsoDate(int y, int m, int d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

CSidStarAirport Airport(const char* id, const char* name, int region, const char* country = "", char separator = '-') {
  CSidStarAirport a;
  a.id = id;
  a.name = name;
  a.region = region;
  a.country = country;
  a.separator = separator;
  a.stamp = "20240315-120000";
  a.authors = {"Creator"};
  a.loaded = true;  // procedures are set up here, never read from a file
  return a;
}

CSidStarProcedure Procedure(const char* id, const char* runway, double lat, double lon, uint16_t heading = 90) {
  CSidStarProcedure p;
  p.id = id;
  p.name = std::string("Description of ") + id;
  p.runway = runway;
  p.lat = static_cast<float>(lat);
  p.lon = static_cast<float>(lon);
  p.heading = heading;
  p.waypoints = {Wp('R', runway, lat, lon, 0, heading), Wp('I', "ALPHA", 0, 0.5), Wp('N', "NN", 0, 2, kSidStarBearing)};
  return p;
}

CSidStarFixGroup Group(const char* ident, const char* name, double lat, double lon, std::vector<CSidStarProcedure> p) {
  return CSidStarFixGroup{'I', ident, name, static_cast<float>(lat), static_cast<float>(lon), std::move(p)};
}

std::vector<std::string> Texts(const std::vector<TreeNode>& nodes) {
  std::vector<std::string> texts;
  for (const TreeNode& n : nodes) texts.push_back(n.text);
  return texts;
}

// Per test: private settings, the plan test world in the database, an empty plan whose store is
// a fake catalogue.
class SidStarTreeTest : public plancore::PlanCoreTest {
 protected:
  SidStarTreeTest() {
    auto fake = std::make_unique<FakeSidStarStore>(&ui);
    store = fake.get();
    m_plan.SetProcedureCatalogue(std::move(fake));
    Load(NewRoute());
  }
  const CRoute& Route() { return *m_plan.GetCurrent(); }

  FakeSidStarStore* store = nullptr;
  tooltest::FakeSidStarUi ui;
  DateFormatter format = IsoDate;
};

// ---- Airport tree ----------------------------------------------------------------------------------

TEST_F(SidStarTreeTest, EmptyCatalogueShowsTheRootAndNineRegionsWithNoAirports) {
  CAirportTreeModel tree;
  EXPECT_EQ(NodePath{0}, tree.Rebuild(*store, Route(), format));
  ASSERT_EQ(1u, tree.Roots().size());
  const TreeNode& root = tree.Roots()[0];
  EXPECT_EQ("Airports with SID/STARs", root.text);
  EXPECT_TRUE(root.bold);
  EXPECT_TRUE(root.expanded);
  EXPECT_EQ(kImageCatalogue, root.image);
  ASSERT_EQ(9u, root.children.size());
  for (size_t r = 0; r < 9; ++r) {
    EXPECT_EQ(std::string(kSidStarRegionNames[r]) + " -- 0", root.children[r].text);
    EXPECT_EQ(kImageRegion, root.children[r].image);
    EXPECT_FALSE(root.children[r].hasRef);
  }
}

TEST_F(SidStarTreeTest, AirportsSitUnderTheirCountryTheirRegionOrTheRoot) {
  store->m_regions[3].AddCountry("Germany");
  store->m_regions[3].AddCountry("Switzerland");
  store->m_regions[3].countries.push_back({"Austria", false});  // listed, not in use
  store->m_airports = {
      Airport("EDDF", "Frankfurt", 3, "Germany"),
      Airport("LOWW", "Wien", 3, "Austria"),                  // country not in use: left out
      Airport("LSGG", "Geneva", 3, "Switzerland", '+'),       // changed locally
      Airport("LSZH", "Zurich", 3, "Switzerland"),
      Airport("LXGB", "Gibraltar", 3, ""),                    // no country: under the region
      Airport("ZZZZ", "Nowhere", -1, ""),                     // no region: under the root
      Airport("YYYY", "Bad region", 42, ""),                  // a region the catalogue lacks
  };
  store->m_airports[3].city = "Zurich";
  store->m_airports[0].city = "Frankfurt am Main";
  store->m_airports[4].city = "GIBRALTAR";
  store->m_airports[4].name = "Gibraltar North";

  CAirportTreeModel tree;
  tree.Rebuild(*store, Route(), format);
  const TreeNode& root = tree.Roots()[0];
  ASSERT_EQ(11u, root.children.size());
  EXPECT_EQ("ZZZZ -- Nowhere", root.children[9].text);
  EXPECT_EQ("YYYY -- Bad region", root.children[10].text);
  EXPECT_EQ(5, int(root.children[9].ref.airport));

  const TreeNode& europe = root.children[3];
  EXPECT_EQ(std::string(kSidStarRegionNames[3]) + " -- 4", europe.text) << "Austria's airport is not counted";
  EXPECT_TRUE(europe.overlay);
  EXPECT_EQ((std::vector<std::string>{"Germany -- 1", "Switzerland -- 2",
                                      "LXGB -- Gibraltar North"}),
            Texts(europe.children));
  const TreeNode& swiss = europe.children[1];
  EXPECT_TRUE(swiss.overlay);
  EXPECT_FALSE(europe.children[0].overlay);
  EXPECT_EQ((std::vector<std::string>{"LSGG -- Geneva", "LSZH -- Zurich"}), Texts(swiss.children));
  EXPECT_TRUE(swiss.children[0].overlay);
  EXPECT_TRUE(swiss.children[0].hasButton);
  EXPECT_EQ(2, int(swiss.children[0].ref.airport));
  EXPECT_EQ("EDDF -- Frankfurt am Main -- Frankfurt", europe.children[0].children[0].text);
}

TEST_F(SidStarTreeTest, OpeningAnAirportAddsDateAuthorsAndSortedRunwaysOnce) {
  CSidStarAirport a = Airport("LSZH", "Zurich", -1);
  a.authors = {"First", "Second", "", "Fourth"};
  a.sids.groups = {Group("ALPHA", "", 0, 0.5,
                         {Procedure("S1", "27", 0, 0, 270), Procedure("S2", "09R", 0.1, 0),
                          Procedure("S3", "09L", 0.2, 0), Procedure("S4", "27", 0, 0, 270)}),
                   Group("BRAVO", "", 0, 1, {Procedure("S5", "10", 0.3, 0, 100), Procedure("S6", "09", 0.4, 0)})};
  CSidStarAirport onlyStars = Airport("LSGG", "Geneva", -1);
  onlyStars.authors.clear();
  onlyStars.stars.groups = {Group("CHARL", "", 0, 2.5, {Procedure("A1", "23", 0, 0, 230)})};
  store->m_airports = {onlyStars, a};

  CAirportTreeModel tree;
  tree.Rebuild(*store, Route(), format);
  const auto result = tree.Expand({0, 10}, *store, Route(), format);
  EXPECT_TRUE(result.childrenAdded);
  const TreeNode* airport = NodeAt(tree.Roots(), {0, 10});
  ASSERT_EQ(2u, airport->children.size()) << "date and the SID heading";
  const TreeNode& date = airport->children[0];
  EXPECT_EQ("2024-03-15", date.text);
  EXPECT_EQ((std::vector<std::string>{"First", "Second"}), Texts(date.children)) << "authors stop at the first empty";
  EXPECT_EQ(kImageCreator, date.children[0].image);
  EXPECT_EQ(kImageAuthor, date.children[1].image);
  const TreeNode& sids = airport->children[1];
  EXPECT_EQ("Runways with SID", sids.text);
  EXPECT_TRUE(sids.expanded);
  EXPECT_EQ((std::vector<std::string>{"09", "09L", "09R", "10", "27"}), Texts(sids.children));
  EXPECT_EQ(1, int(sids.children[4].ref.airport));
  EXPECT_EQ(0, int(sids.children[4].ref.group));
  EXPECT_EQ(0, int(sids.children[4].ref.procedure)) << "the first procedure on the runway";
  EXPECT_EQ(0, int(sids.children[0].ref.isStar));

  // A second opening adds nothing.
  tree.Collapse({0, 10}, *store);
  EXPECT_FALSE(tree.Expand({0, 10}, *store, Route(), format).childrenAdded);
  EXPECT_EQ(2u, NodeAt(tree.Roots(), {0, 10})->children.size());

  tree.Expand({0, 9}, *store, Route(), format);
  const TreeNode* geneva = NodeAt(tree.Roots(), {0, 9});
  EXPECT_EQ((std::vector<std::string>{"2024-03-15", "Runways with STAR"}), Texts(geneva->children))
      << "no SID heading without SIDs";
  EXPECT_EQ((std::vector<std::string>{"?"}), Texts(geneva->children[0].children));
  EXPECT_EQ(1, int(geneva->children[1].children[0].ref.isStar));
}

TEST_F(SidStarTreeTest, OpeningABranchClosesEveryOtherAndRootCollapseRescansAndReopens) {
  store->m_regions[3].AddCountry("Switzerland");
  store->m_airports = {Airport("LSGG", "Geneva", 3, "Switzerland"), Airport("LSZH", "Zurich", 3, "Switzerland"),
                       Airport("EGLL", "London", 2, "")};
  CAirportTreeModel tree;
  tree.Rebuild(*store, Route(), format);
  tree.Expand({0, 3}, *store, Route(), format);
  tree.Expand({0, 3, 0}, *store, Route(), format);
  tree.Expand({0, 3, 0, 0}, *store, Route(), format);
  auto second = tree.Expand({0, 3, 0, 1}, *store, Route(), format);
  EXPECT_EQ((std::vector<NodePath>{{0, 3, 0, 0}}), second.collapsed);
  EXPECT_TRUE(NodeAt(tree.Roots(), {0, 3, 0})->expanded) << "the ancestors stay open";
  auto other = tree.Expand({0, 2}, *store, Route(), format);
  EXPECT_EQ((std::vector<NodePath>{{0, 3}, {0, 3, 0}, {0, 3, 0, 1}}), other.collapsed);
  // Back to Zurich; then a rescan that puts a new airport before it.
  tree.Expand({0, 3}, *store, Route(), format);
  tree.Expand({0, 3, 0}, *store, Route(), format);
  tree.Expand({0, 3, 0, 1}, *store, Route(), format);

  store->m_airports.insert(store->m_airports.begin(), Airport("LSGC", "Les Eplatures", 3, "Switzerland"));
  EXPECT_TRUE(tree.Collapse({0}, *store));
  EXPECT_EQ(1, store->scans);
  EXPECT_FALSE(tree.Collapse({0, 2}, *store));
  EXPECT_EQ(1, store->scans) << "only the root rescans";

  const NodePath selected = tree.Rebuild(*store, Route(), format);
  EXPECT_EQ((NodePath{0, 3, 0, 2}), selected) << "Zurich, found again by its text";
  const TreeNode* zurich = NodeAt(tree.Roots(), selected);
  EXPECT_EQ("LSZH -- Zurich", zurich->text);
  EXPECT_TRUE(zurich->expanded);
  EXPECT_EQ(2, int(zurich->ref.airport));
  EXPECT_FALSE(zurich->children.empty());
  EXPECT_TRUE(tree.Roots()[0].expanded);
  EXPECT_EQ("Switzerland -- 3", NodeAt(tree.Roots(), {0, 3, 0})->text);
  EXPECT_FALSE(NodeAt(tree.Roots(), {0, 2})->expanded);
}

TEST_F(SidStarTreeTest, DeleteOnServerRemovesTheServerCopyOnlyAfterTheLocalFile) {
  namespace fs = std::filesystem;
  tooltest::SidStarServerRig rig(m_folder.Folder() / "server");
  rig.options.editor = true;  // an editor's download folder is the submitted one
  rig.Start();
  const std::string folder = rig.options.folder;
  store->SetFolders(folder, folder);
  CSidStarAirport a = Airport("LSZH", "Zurich", -1);
  a.guid = "01234567-89AB-CDEF-0123-456789ABCDEF";
  a.sids.groups = {Group("ALPHA", "", 0, 0.5, {Procedure("S1", "09", 0, 0)})};
  win::FakeClock clock;
  ASSERT_EQ(1, a.Save(folder, clock));
  const fs::path serverCopy = rig.ServerFolder("submitted") / (a.guid + "-" + a.stamp + ".ss");
  std::ofstream(serverCopy) << "published copy";
  const auto reset = [&] {
    store->m_airports = {a};
    ui.boxes.clear();
  };

  reset();
  ui.answer = ui::kIdCancel;
  EXPECT_EQ(ServerDelete::kKept, DeleteAirportOnServer(*store, 0, Route(), rig.options));
  EXPECT_TRUE(fs::exists(serverCopy));
  EXPECT_TRUE(fs::exists(a.FilePath(folder)));

  // The local file cannot be removed (a folder with something in it stands in its place): the
  // store reports the failure and the server keeps its copy.
  reset();
  ui.answer = ui::kIdOk;
  fs::rename(a.FilePath(folder), a.FilePath(folder) + ".away");
  fs::create_directories(fs::path(a.FilePath(folder)) / "inside");
  EXPECT_EQ(ServerDelete::kKept, DeleteAirportOnServer(*store, 0, Route(), rig.options));
  EXPECT_TRUE(fs::exists(serverCopy));
  ASSERT_EQ(2u, ui.boxes.size());
  EXPECT_EQ(kSidStarNotChangedText, ui.boxes[1].text);
  fs::remove_all(a.FilePath(folder));
  fs::rename(a.FilePath(folder) + ".away", a.FilePath(folder));

  reset();
  EXPECT_EQ(ServerDelete::kDeleted, DeleteAirportOnServer(*store, 0, Route(), rig.options));
  EXPECT_FALSE(fs::exists(serverCopy));
  EXPECT_FALSE(fs::exists(a.FilePath(folder)));
  EXPECT_TRUE(store->m_airports.empty());
  EXPECT_EQ(ServerDelete::kKept, DeleteAirportOnServer(*store, 0, Route(), rig.options)) << "a stale index";

  // No server: the user is told and nothing is deleted.
  reset();
  ASSERT_EQ(1, a.Save(folder, clock));
  store->m_airports = {a};
  rig.http.reset();
  EXPECT_EQ(ServerDelete::kServerNotFound, DeleteAirportOnServer(*store, 0, Route(), rig.options));
  ASSERT_EQ(1u, ui.boxes.size());
  EXPECT_EQ("Server not found !!!", ui.boxes[0].text);
  EXPECT_TRUE(fs::exists(a.FilePath(folder)));
}

TEST(SidStarTreeTexts, DateLines) {
  struct Case {
    const char* name;
    const char* stamp;
    const char* text;
  };
  const Case cases[] = {
      {"valid", "20240229-101500", "2024-02-29"},
      {"no leap day", "20230229-101500", "02/29/2023"},
      {"month 13", "20231301-000000", "13/01/2023"},
      {"letters", "2024AB01-000000", "AB/01/2024"},
      {"exactly eight", "19991231", "1999-12-31"},
      {"short", "2024031", "2024031"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, DateLine(c.stamp, IsoDate));
  }
}

TEST(SidStarTreeTexts, AirportTextLeavesOutACityTheNameBeginsWith) {
  CSidStarAirport a = Airport("KJFK", "New York Kennedy", 0);
  EXPECT_EQ("KJFK -- New York Kennedy", AirportText(a));
  a.city = "new york";
  EXPECT_EQ("KJFK -- New York Kennedy", AirportText(a));
  a.city = "Queens";
  EXPECT_EQ("KJFK -- Queens -- New York Kennedy", AirportText(a));
  a.city = "New York Kennedy Intl";  // longer than the name
  EXPECT_EQ("KJFK -- New York Kennedy Intl -- New York Kennedy", AirportText(a));
}

TEST(SidStarTreeTexts, SectorImages) {
  const std::pair<double, int> cases[] = {{0, 22},    {15, 22},  {15.1, 23}, {45, 23},  {45.01, 24}, {180, 28},
                                          {345, 33},  {345.1, 22}, {359.9, 22},
                                          {std::numeric_limits<double>::quiet_NaN(), 22},
                                          {std::numeric_limits<double>::infinity(), 22}};
  for (const auto& [course, image] : cases) EXPECT_EQ(image, SectorImage(course)) << course;
}

// ---- Procedure tree --------------------------------------------------------------------------------

class ProcedureTreeTest : public SidStarTreeTest {
 protected:
  ProcedureTreeTest() {
    // DEPT's SIDs end at ALPHA (two groups of equal text) and BRAVO; ARRV's STARs start at CHARL.
    CSidStarAirport dept = Airport("DEPT", "Field DEPT", -1);
    dept.sids.groups = {Group("BRAVO", "", 0, 1, {Procedure("B1", "09", 0, -0.005)}),
                        Group("ALPHA", "Alpha fix", 0, 0.5, {Procedure("A1", "09", 0, -0.005)}),
                        Group("ALPHA", "Alpha fix", 0, 0.5, {Procedure("A2", "09", 0, -0.005),
                                                             Procedure("A3", "09", 0, -0.005)})};
    CSidStarAirport arrv = Airport("ARRV", "Field ARRV", -1);
    arrv.stars.groups = {Group("CHARL", "", 0, 2.5, {Procedure("C1", "27", 0, 3.005, 270),
                                                      Procedure("C2", "27", 0, 3.005, 270)})};
    store->m_airports = {arrv, dept};
    CRoute route = NewRoute();
    for (const PlanPoint& p : {Db(0, -0.005, kKindRunway), Db(0, 0.5, kKindIntersection), Db(0, 1, kKindIntersection),
                               Db(0, 1.5, kKindVor), Db(0, 2, kKindNdb), Db(0, 2.5, kKindIntersection),
                               Db(0, 3.005, kKindRunway)})
      route.AddPoint(p);
    Load(route);
  }
  int RowOfPoint(int point) {
    for (int r = 0; r < RowCount(); ++r) {
      if (Row(r).pointIndex == point) return r;
    }
    ADD_FAILURE() << "no row for point " << point;
    return -1;
  }
  // The rows from the one of `fromPoint` to the one of `toPoint` carry the procedure.
  void SetRun(bool star, int fromPoint, int toPoint, int airport, int group, int procedure) {
    for (int r = RowOfPoint(fromPoint); r <= RowOfPoint(toPoint); ++r) {
      PlanRow& row = m_plan.m_rows[static_cast<size_t>(r)];
      (star ? row.starAirport : row.sidAirport) = airport;
      (star ? row.starGroup : row.sidGroup) = group;
      (star ? row.starProcedure : row.sidProcedure) = procedure;
    }
  }
  CProcedureTreeModel tree;
};

TEST_F(ProcedureTreeTest, RowsWithoutProceduresShowOneCaption) {
  EXPECT_FALSE(tree.Rebuild(*store, m_plan, -1, false));
  ASSERT_EQ(1u, tree.Roots().size());
  EXPECT_EQ("SID/STARs of waypoint selected in left flight plan window", tree.Roots()[0].text);
  EXPECT_EQ(kImageCatalogue, tree.Roots()[0].image);
  EXPECT_EQ(-1, tree.Row());

  tree.Rebuild(*store, m_plan, RowCount(), false);
  EXPECT_EQ(kImageCatalogue, tree.Roots()[0].image) << "a row outside the plan is no row";

  // The departure runway's airport without a SID airport index in the row.
  EXPECT_FALSE(tree.Rebuild(*store, m_plan, 0, false));
  ASSERT_EQ(1u, tree.Roots().size());
  const TreeNode& root = tree.Roots()[0];
  EXPECT_EQ("SIDs DEPT -- Field DEPT", root.text);
  EXPECT_EQ(kImageAirport, root.image);
  EXPECT_TRUE(root.bold);
  EXPECT_FALSE(root.hasRef);
  EXPECT_TRUE(root.children.empty());

  tree.Rebuild(*store, m_plan, RowOfPoint(6), false);
  EXPECT_EQ("STARs ARRV -- Field ARRV", tree.Roots()[0].text);
  tree.Rebuild(*store, m_plan, RowOfPoint(3), false);
  EXPECT_EQ(kImageCatalogue, tree.Roots()[0].image) << "an en-route VOR";

  // An airport index the catalogue no longer has counts as none.
  m_plan.m_rows[0].sidAirport = 7;
  tree.Rebuild(*store, m_plan, 0, false);
  EXPECT_EQ("SIDs DEPT -- Field DEPT", tree.Roots()[0].text);
}

TEST_F(ProcedureTreeTest, ARowWithBothShowsTheSidFirstAndSelectsTheStarsProcedure) {
  // One row as a single-point plan has it: departure and arrival at once.
  PlanRow& row = m_plan.m_rows[0];
  row.sidAirport = 1, row.sidGroup = 2, row.sidProcedure = 1;
  row.starAirport = 0, row.starGroup = 0, row.starProcedure = 1;
  const std::optional<NodePath> current = tree.Rebuild(*store, m_plan, 0, true);
  ASSERT_EQ(2u, tree.Roots().size());
  const TreeNode& sid = tree.Roots()[0];
  const TreeNode& star = tree.Roots()[1];
  EXPECT_EQ("SIDs DEPT -- Field DEPT -- 4", sid.text) << "an editor sees the count";
  EXPECT_EQ("STARs ARRV -- Field ARRV -- 2", star.text);
  EXPECT_EQ(1, int(star.ref.isStar));
  // Equal group texts both stay, in text order.
  EXPECT_EQ((std::vector<std::string>{"ALPHA -- Alpha fix -- 30.0nm", "ALPHA -- Alpha fix -- 30.0nm",
                                      "BRAVO -- 60.0nm"}),
            Texts(sid.children));
  EXPECT_EQ(1, int(sid.children[0].ref.group));
  EXPECT_EQ(2, int(sid.children[1].ref.group));
  EXPECT_EQ(kImageSectorNorth + 3, sid.children[0].image) << "east";
  EXPECT_TRUE(sid.children[1].bold);
  EXPECT_TRUE(sid.children[1].expanded);
  EXPECT_EQ((std::vector<std::string>{"A2 -- Rwy 09", "A3 -- Rwy 09"}), Texts(sid.children[1].children));
  EXPECT_TRUE(sid.children[1].children[1].bold);
  EXPECT_FALSE(sid.children[0].expanded);
  EXPECT_TRUE(sid.children[0].children.empty()) << "procedures only under open groups";
  EXPECT_TRUE(sid.children[0].hasButton);

  ASSERT_TRUE(current);
  EXPECT_EQ((NodePath{1, 0, 1}), *current);
  const TreeNode* selected = NodeAt(tree.Roots(), *current);
  EXPECT_EQ("C2 -- Rwy 27", selected->text);
  EXPECT_EQ(kImageStar, selected->image);
  EXPECT_EQ((std::vector<std::string>{"27", "ALPHA", "NN"}), Texts(selected->children));
  EXPECT_TRUE(selected->children[2].overlay) << "hidden waypoint";
  EXPECT_EQ(kImageNdb, selected->children[2].image);
  EXPECT_EQ(2, int(selected->children[2].ref.waypoint));
  EXPECT_EQ("Description of C2", DescriptionOf(*store, selected->ref));
  EXPECT_EQ("Description of selected SID or STAR", DescriptionOf(*store, sid.ref));
}

TEST_F(ProcedureTreeTest, TheFirstRootStaysOpenAndClosedGroupsDropTheirProcedures) {
  PlanRow& row = m_plan.m_rows[0];
  row.sidAirport = 1;
  row.starAirport = 0;
  EXPECT_FALSE(tree.Rebuild(*store, m_plan, 0, false)) << "no current procedure";
  EXPECT_FALSE(tree.Collapse({0}));
  EXPECT_TRUE(tree.Roots()[0].expanded);
  EXPECT_TRUE(tree.Collapse({1}));
  EXPECT_FALSE(tree.Roots()[1].expanded);

  ASSERT_TRUE(tree.Expand({0, 2}, *store, m_plan));
  EXPECT_EQ(1u, NodeAt(tree.Roots(), {0, 2})->children.size());
  EXPECT_FALSE(NodeAt(tree.Roots(), {0, 2, 0})->bold);
  EXPECT_TRUE(tree.Collapse({0, 2}));
  EXPECT_TRUE(NodeAt(tree.Roots(), {0, 2})->children.empty());

  // The catalogue lost the group meanwhile: the stale reference opens nothing.
  store->m_airports[1].sids.groups.clear();
  EXPECT_FALSE(tree.Expand({0, 2}, *store, m_plan));
  EXPECT_TRUE(NodeAt(tree.Roots(), {0, 2})->children.empty());
}

TEST_F(ProcedureTreeTest, ReplaceSwapsExactlyTheStarRunInOneUndoStep) {
  const int first = RowOfPoint(4), last = RowOfPoint(6);
  SetRun(true, 4, 6, 0, 0, 0);
  std::vector<int> inserted;
  store->insert = [&](CRoute& route, bool isStar, int airport, int group, int procedure) {
    EXPECT_TRUE(isStar);
    inserted = {airport, group, procedure};
    route.AddPoint(Db(0, 2.5, kKindIntersection));
    route.AddPoint(Db(0, 3.005, kKindRunway));
    return true;
  };
  const SidStarRefClip ref{RowOfPoint(5), 1, 0, 0, 1, -1};
  const auto run = ReplaceRun(m_plan, *store, ref);
  ASSERT_TRUE(run);
  std::vector<int> expected;
  for (int r = first; r <= last; ++r) expected.push_back(r);
  EXPECT_EQ(expected, *run);

  const int snapshots = m_plan.GetSnapshotCount();
  ASSERT_TRUE(ReplaceProcedure(m_plan, *store, ref));
  EXPECT_EQ((std::vector<int>{0, 0, 1}), inserted);
  EXPECT_EQ(std::vector<bool>{true}, store->insertReports) << "the user hears of waypoints the scenery lacks";
  EXPECT_EQ(snapshots + 1, m_plan.GetSnapshotCount());
  const CRoute& route = Route();
  ASSERT_EQ(6, route.GetCount());
  EXPECT_EQ(Db(0, 1.5, kKindVor).ref.point, route[3].ref.point);
  EXPECT_EQ(Db(0, 2.5, kKindIntersection).ref.point, route[4].ref.point);
  EXPECT_TRUE(route[4].isNew);
  EXPECT_EQ(kKindRunway, route[5].Kind());
  for (int i = 0; i < route.GetCount(); ++i) EXPECT_EQ(0, route[i].marked);
}

TEST_F(ProcedureTreeTest, ReplaceRefusesStaleReferences) {
  SetRun(true, 4, 6, 0, 0, 0);
  int calls = 0;
  store->insert = [&](CRoute&, bool, int, int, int) { return ++calls, true; };
  const int row = RowOfPoint(5);
  struct Case {
    const char* name;
    SidStarRefClip ref;
  };
  const Case cases[] = {
      {"row beyond the plan", {RowCount(), 1, 0, 0, 0, -1}},
      {"negative row", {-1, 1, 0, 0, 0, -1}},
      {"row without that airport's STAR", {RowOfPoint(2), 1, 0, 0, 0, -1}},
      {"SID side of a STAR run", {row, 0, 0, 0, 0, -1}},
      {"airport beyond the catalogue", {row, 1, 5, 0, 0, -1}},
      {"group beyond the list", {row, 1, 0, 3, 0, -1}},
      {"procedure beyond the group", {row, 1, 0, 0, 2, -1}},
      {"not a procedure", {row, 1, 0, 0, -1, -1}},
  };
  const int snapshots = m_plan.GetSnapshotCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(ReplaceProcedure(m_plan, *store, c.ref));
  }
  EXPECT_EQ(0, calls);
  EXPECT_EQ(snapshots, m_plan.GetSnapshotCount());

  // A procedure whose essential waypoints are missing changes nothing either.
  store->insert = nullptr;
  EXPECT_FALSE(ReplaceProcedure(m_plan, *store, {row, 1, 0, 0, 0, -1}));
  EXPECT_EQ(snapshots, m_plan.GetSnapshotCount());
  EXPECT_EQ(7, Route().GetCount());
}

TEST_F(ProcedureTreeTest, ReferencesAreFoundAgainAndCentreOnWhatTheyName) {
  PlanRow& row = m_plan.m_rows[0];
  row.sidAirport = 1, row.sidGroup = 1, row.sidProcedure = 0;
  tree.Rebuild(*store, m_plan, 0, false);
  const SidStarRefClip procedure{0, 0, 1, 1, 0, -1};
  const auto path = FindByRef(tree.Roots(), procedure);
  ASSERT_TRUE(path);
  EXPECT_EQ(int(procedure.procedure), int(NodeAt(tree.Roots(), *path)->ref.procedure));
  EXPECT_FALSE(FindByRef(tree.Roots(), SidStarRefClip{0, 0, 1, 2, 0, -1})) << "a closed group's procedure";

  const auto at = [&](SidStarRefClip ref) { return CenterOf(*store, ref); };
  EXPECT_NEAR(0.5, at({0, 0, 1, 1, -1, -1})->longitude, 1e-6) << "group: its fix";
  EXPECT_NEAR(-0.005, at({0, 0, 1, 1, 0, -1})->longitude, 1e-6) << "procedure: its runway";
  EXPECT_NEAR(2.0, at({0, 0, 1, 1, 0, 2})->longitude, 1e-6) << "waypoint";
  EXPECT_FALSE(at({0, 0, 1, 1, 0, 3}));
  EXPECT_FALSE(at({0, 0, 9, -1, -1, -1}));
}

}  // namespace
