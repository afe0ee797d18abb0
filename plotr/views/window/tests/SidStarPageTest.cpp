// The SID/STAR browser page in a test frame over a plan with a catalogue set up in memory: the
// hints between its views, the procedure drag, the keys and the colour scheme. Needs a display.
#include <gtest/gtest.h>
#include <wx/frame.h>

#include <algorithm>

#include "platform/profile/Profile.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/tests/PlanCoreTestSupport.h"
#include "plotr/tools/testing/FakeSidStarStore.h"
#include "plotr/tools/testing/FakeSidStarUi.h"
#include "plotr/tools/testing/SidStarWaypoints.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/SidStar1TreeView.h"
#include "plotr/views/window/SidStar2TreeView.h"
#include "plotr/views/window/SidStarDescView.h"
#include "plotr/views/window/SidStarListView.h"
#include "plotr/views/window/SidStarPage.h"
#include "plotr/views/window/SidStarParentView.h"

namespace {

using tooltest::Wp;

void Pump() {
  for (int i = 0; i < 5; ++i) wxTheApp->ProcessPendingEvents(), wxYield();
}

// The document's broadcast reaches the page, as the map pane hands it on.
class FakeDocument : public IPlotrDocument {
 public:
  explicit FakeDocument(CFlightPlanCore& plan) : m_plan(plan) {}
  CFlightPlanCore& GetPlan() override { return m_plan; }
  bool IsPlanModified() const override { return modified; }
  void SetPlanModified(bool value) override { modified = value; }
  void UpdatePlanViews(const void*, uint32_t bits, const void* object = nullptr) override {
    hints.push_back(bits);
    if (bits == kHintSidStarRow) rows.push_back(object ? static_cast<const CSidStarRowHint*>(object)->row : -99);
    if (page != nullptr) page->OnPlanUpdate(UpdateHint{bits, object});
  }

  CSidStarPage* page = nullptr;
  bool modified = false;
  std::vector<uint32_t> hints;
  std::vector<int> rows;  // of the row hints

 private:
  CFlightPlanCore& m_plan;
};

CSidStarProcedure Procedure(const char* id, const char* runway, double lon, uint16_t heading) {
  CSidStarProcedure p;
  p.id = id;
  p.name = std::string("Climb out of ") + runway + " as " + id;
  p.runway = runway;
  p.lon = static_cast<float>(lon);
  p.heading = heading;
  p.waypoints = {Wp('R', runway, 0, lon, 0, heading), Wp('I', "ALPHA", 0, 0.5)};
  return p;
}

class SidStarPageTest : public plancore::PlanCoreTest {
 protected:
  void SetUp() override {
    auto fake = std::make_unique<FakeSidStarStore>(&ui);
    store = fake.get();
    m_plan.SetProcedureCatalogue(std::move(fake));
    CSidStarAirport dept;
    dept.id = "DEPT";
    dept.name = "Field DEPT";
    dept.stamp = "20240315-120000";
    dept.authors = {"Creator"};
    dept.loaded = true;
    dept.sids.groups = {{'I', "ALPHA", "", 0, 0.5f, {Procedure("A1", "09", -0.005, 90), Procedure("A2", "09", -0.005, 90)}}};
    CSidStarAirport other = dept;
    other.id = "OTHR";
    other.name = "Other field";
    store->m_airports = {dept, other};
    CRoute route = NewRoute();
    route.AddPoint(Db(0, -0.005, kKindRunway));
    route.AddPoint(Db(0, 0.5, kKindIntersection));
    route.AddPoint(Db(0, 3.005, kKindRunway));
    Load(route);
    m_plan.m_rows[0].sidAirport = 0, m_plan.m_rows[0].sidGroup = 0, m_plan.m_rows[0].sidProcedure = 1;

    frame = new wxFrame(nullptr, wxID_ANY, "browser", wxDefaultPosition, wxSize(700, 500));
    page = new CSidStarPage(frame, document);
    document.page = page;
    frame->Show();
    Pump();
    page->OnInitialUpdate();
    airports = page->GetParentView()->GetAirportTree();
    procedures = page->GetParentView()->GetProcedureTree();
  }
  void TearDown() override {
    frame->Destroy();
    Pump();
  }
  wxString Text(CSidStarTreeView* tree, const sidstar::NodePath& path) { return tree->GetItemText(tree->ItemAt(path)); }

  FakeSidStarStore* store = nullptr;
  tooltest::FakeSidStarUi ui;
  FakeDocument document{m_plan};
  wxFrame* frame = nullptr;
  CSidStarPage* page = nullptr;
  CSidStar1TreeView* airports = nullptr;
  CSidStar2TreeView* procedures = nullptr;
};

TEST_F(SidStarPageTest, CatalogueAndRowHintsRebuildTheTreesAndReachTheDescription) {
  // Open the second airport (under the root, after the nine regions) by hand.
  const wxTreeItemId other = airports->ItemAt({0, 10});
  ASSERT_TRUE(other.IsOk());
  EXPECT_EQ("OTHR -- Other field", airports->GetItemText(other));
  airports->Expand(other);
  EXPECT_EQ(2u, airports->GetChildrenCount(other, false)) << "date and SID heading";
  airports->Expand(airports->ItemAt({0, 9}));
  EXPECT_FALSE(airports->IsExpanded(airports->ItemAt({0, 10}))) << "one airport open at a time";
  airports->Expand(airports->ItemAt({0, 10}));

  // A rescan put a new airport first: the rebuild opens OTHR again, found by its text.
  CSidStarAirport first = store->m_airports[0];
  first.id = "AAAA";
  store->m_airports.insert(store->m_airports.begin(), first);
  document.UpdatePlanViews(nullptr, kHintSidStarCatalogue);
  const wxTreeItemId reopened = airports->ItemAt({0, 11});
  EXPECT_EQ("OTHR -- Other field", airports->GetItemText(reopened));
  EXPECT_TRUE(airports->IsExpanded(reopened));
  EXPECT_EQ(reopened, airports->GetSelection());
  ASSERT_TRUE(airports->SelectedRef());
  EXPECT_EQ(2, int(airports->SelectedRef()->airport));
  store->m_airports.erase(store->m_airports.begin());
  document.UpdatePlanViews(nullptr, kHintSidStarCatalogue);

  // The leg list's row: the SID root, its group open and the flown procedure selected, whose
  // description reaches the description view.
  CSidStarRowHint row{0};
  document.UpdatePlanViews(nullptr, kHintSidStarRow, &row);
  EXPECT_EQ("SIDs DEPT -- Field DEPT", Text(procedures, {0}));
  ASSERT_TRUE(procedures->SelectedRef());
  EXPECT_EQ(1, int(procedures->SelectedRef()->procedure));
  EXPECT_EQ("A2 -- Rwy 09", Text(procedures, {0, 0, 1}));
  EXPECT_TRUE(procedures->IsBold(procedures->ItemAt({0, 0, 1})));
  EXPECT_EQ("Climb out of 09 as A2", page->GetDescView()->GetValue());
  procedures->SelectItem(procedures->ItemAt({0, 0, 0}));
  EXPECT_EQ("Climb out of 09 as A1", page->GetDescView()->GetValue());
  procedures->SelectItem(procedures->ItemAt({0}));
  EXPECT_EQ("Description of selected SID or STAR", page->GetDescView()->GetValue());

  // The first root refuses to close; a closed group loses its procedures once the event is over.
  procedures->Collapse(procedures->ItemAt({0}));
  EXPECT_TRUE(procedures->IsExpanded(procedures->ItemAt({0})));
  procedures->Collapse(procedures->ItemAt({0, 0}));
  Pump();
  EXPECT_EQ(0u, procedures->GetChildrenCount(procedures->ItemAt({0, 0}), false));
  EXPECT_TRUE(procedures->ItemHasChildren(procedures->ItemAt({0, 0})));
  procedures->Expand(procedures->ItemAt({0, 0}));
  EXPECT_EQ(2u, procedures->GetChildrenCount(procedures->ItemAt({0, 0}), false));

  // A catalogue change without a row shows the caption until the leg list speaks again.
  document.UpdatePlanViews(nullptr, kHintSidStarCatalogue);
  EXPECT_EQ("SID/STARs of waypoint selected in left flight plan window", Text(procedures, {0}));
}

TEST_F(SidStarPageTest, ARunwayGoesToThePlanAndUndoTakesItBack) {
  const auto run = [&](int id) {
    wxCommandEvent command(wxEVT_MENU, id);
    command.SetEventObject(airports);
    airports->GetEventHandler()->ProcessEvent(command);
  };
  airports->Expand(airports->ItemAt({0, 9}));
  const wxTreeItemId runway = airports->ItemAt({0, 9, 1, 0});
  ASSERT_EQ("09", airports->GetItemText(runway));
  airports->SelectItem(runway);
  const int before = m_plan.GetCurrent()->GetCount();
  run(sidstarwx::kCmdRunwayToPlan);
  EXPECT_EQ(before + 1, m_plan.GetCurrent()->GetCount());
  EXPECT_EQ(kKindRunway, (*m_plan.GetCurrent())[before].Kind());
  EXPECT_TRUE(document.modified);
  EXPECT_NE(document.hints.end(), std::find(document.hints.begin(), document.hints.end(), kHintPlanChanged));
  run(cmd::kEditUndo);
  EXPECT_EQ(before, m_plan.GetCurrent()->GetCount());
  run(cmd::kEditRedo);
  EXPECT_EQ(before + 1, m_plan.GetCurrent()->GetCount());
}

TEST_F(SidStarPageTest, TheLegListReportsItsRowAfterEveryRebuild) {
  CSidStarListView* legs = page->GetLegList();
  ASSERT_EQ(static_cast<int>(m_plan.m_rows.size()), legs->GetItemCount());
  ASSERT_FALSE(document.rows.empty());
  EXPECT_EQ(0, document.rows.back()) << "the first row at the start";
  EXPECT_EQ("SIDs DEPT -- Field DEPT", Text(procedures, {0})) << "the procedure tree follows the row";

  // The last row selected, then the plan gets shorter: the last row is selected again.
  const int last = legs->GetItemCount() - 1;
  legs->SelectLine(last, true);
  legs->ReportSelection();
  EXPECT_EQ(last, document.rows.back());
  CRoute shorter = *m_plan.GetCurrent();
  shorter.RemovePoint(shorter.GetCount() - 1);
  Edit([&](CRoute& route) { route = shorter; });
  document.UpdatePlanViews(nullptr, kHintPlanChanged);
  EXPECT_EQ(legs->GetItemCount() - 1, legs->SelectedRow());
  EXPECT_EQ(legs->SelectedRow(), document.rows.back());

  // An empty plan: no line and row -1, so the procedure tree shows its caption.
  Edit([](CRoute& route) { route.m_points.clear(); });
  document.UpdatePlanViews(nullptr, kHintPlanChanged);
  EXPECT_EQ(0, legs->GetItemCount());
  EXPECT_EQ(-1, document.rows.back());
  EXPECT_EQ("SID/STARs of waypoint selected in left flight plan window", Text(procedures, {0}));
}

TEST_F(SidStarPageTest, DraggingAProcedureOffersItsReference) {
  CSidStarRowHint row{0};
  document.UpdatePlanViews(nullptr, kHintSidStarRow, &row);
  const clip::ClipData data = procedures->DragData();
  ASSERT_EQ(1u, data.size());
  EXPECT_EQ(clip::kSidStar, data[0].first);
  EXPECT_EQ(21u, data[0].second.size());
  const auto ref = clip::ReadSidStar(data[0].second);
  ASSERT_TRUE(ref);
  EXPECT_EQ(0, int(ref->row));
  EXPECT_EQ(0, int(ref->isStar));
  EXPECT_EQ(0, int(ref->airport));
  EXPECT_EQ(0, int(ref->group));
  EXPECT_EQ(1, int(ref->procedure));
  procedures->SelectItem(procedures->ItemAt({0, 0}));
  EXPECT_TRUE(procedures->DragData().empty()) << "groups are not dragged";
  // A procedure the catalogue lost meanwhile is not dragged either.
  procedures->SelectItem(procedures->ItemAt({0, 0, 1}));
  store->m_airports[0].sids.groups[0].procedures.pop_back();
  EXPECT_TRUE(procedures->DragData().empty());
}

TEST_F(SidStarPageTest, ArrowsStayInATreeAndOtherKeysReachTheFrame) {
  std::vector<int> forwarded;
  frame->Bind(wxEVT_KEY_DOWN, [&](wxKeyEvent& e) { forwarded.push_back(e.GetKeyCode()); });
  for (int code : {int(WXK_DOWN), int(WXK_PAGEUP), int(WXK_F5), int('A')}) {
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = code;
    key.SetEventObject(airports);
    airports->GetEventHandler()->ProcessEvent(key);
  }
  EXPECT_EQ((std::vector<int>{WXK_F5, int('A')}), forwarded);
}

TEST_F(SidStarPageTest, ASchemeChangeShowsAtTheNextPeriodicHintOnly) {
  const int before = airports->Scheme();
  g_Settings.SetColorMode(before == 1 ? 1 : 2);
  g_Settings.GetColorScheme(true);
  document.UpdatePlanViews(nullptr, kHintSidStarCatalogue);
  EXPECT_EQ(before, airports->Scheme());
  document.UpdatePlanViews(nullptr, kHintPeriodic);
  EXPECT_NE(before, airports->Scheme());
  EXPECT_EQ(airports->Scheme(), procedures->Scheme());
  const int scheme = airports->Scheme();
  const wxColour back = scheme == 0 ? *wxWHITE : scheme == 1 ? wxColour(0, 0, 0x40) : *wxBLACK;
  EXPECT_EQ(back.GetRGB(), airports->GetBackgroundColour().GetRGB()) << scheme;
  g_Settings.SetColorMode(0);
  g_Settings.GetColorScheme(true);
}

// The description keeps its height per window mode. Without a main frame the page counts as
// docked.
TEST_F(SidStarPageTest, TheDescriptionHeightIsKeptPerWindowMode) {
  wxSplitterWindow* outer = page->GetOuterSplitter();
  const auto description = [outer] { return outer->GetClientSize().y - outer->GetSashPosition(); };
  const std::filesystem::path cfg = g_Settings.GetProfileFile();
  ASSERT_TRUE(profile::WriteInt(cfg, "Docked", "SidStarDescHeight", 100));
  // As the map pane's tab shows it the first time.
  page->Hide();
  page->Show();
  Pump();
  EXPECT_EQ(100, description()) << "the first showing";

  // The end of a drag writes at once.
  outer->SetSashPosition(outer->GetClientSize().y - 90);
  wxSplitterEvent dragged(wxEVT_SPLITTER_SASH_POS_CHANGED, outer);
  outer->ProcessWindowEvent(dragged);
  EXPECT_EQ(90, profile::GetInt(cfg, "Docked", "SidStarDescHeight", -1));
  EXPECT_EQ(-1, profile::GetInt(cfg, "Floating", "SidStarDescHeight", -1));

  // The frame's mode change: the mode left saves, the mode entered loads its own.
  ASSERT_TRUE(profile::WriteInt(cfg, "Floating", "SidStarDescHeight", 120));
  page->LoadSidStarDescHeight(false);
  EXPECT_EQ(120, description());
  outer->SetSashPosition(outer->GetClientSize().y - 70);
  page->SaveSidStarDescHeight(false);
  EXPECT_EQ(70, profile::GetInt(cfg, "Floating", "SidStarDescHeight", -1));
  page->LoadSidStarDescHeight(true);
  EXPECT_EQ(90, description());

  // A page never shown has no height of its own to write yet.
  auto* unshown = new CSidStarPage(frame, document);
  unshown->SaveSidStarDescHeight(true);
  EXPECT_EQ(90, profile::GetInt(cfg, "Docked", "SidStarDescHeight", -1));
  unshown->Destroy();
}

}  // namespace
