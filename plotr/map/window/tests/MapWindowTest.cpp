// The map pane in the module's window over the stand-in simulator: frames reach the window,
// hints move and zoom the map, toggles are written once, the tip shows and hides, the tabs
// stand where the pane's shape wants them, and the view can go while a picture is drawn.
// Needs a display.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/Settings.h"
#include "plotr/map/window/MapParentView.h"
#include "plotr/map/window/MapTipWnd.h"
#include "plotr/map/window/ScenView.h"
#include "plotr/map/window/WindStatic.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/window/HostFrameWnd.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/PlotrDoc.h"
#include "plotr/shell/window/ToolBarEx.h"
#include "plotr/shell/window/tests/support/ModuleWindows.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/sim/window/FmsView.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/MapPages.h"
#include "plotr/views/window/SidStarPage.h"
#include "plotr/views/window/WxClip.h"
#include "simhost/app/MainFrame.h"

namespace fs = std::filesystem;

namespace {

using shelltest::Pump;
using shelltest::PumpUntil;

class MapWindowTest : public shelltest::ModuleWindowsTest {
 protected:
  void SetUp() override {
    RegisterMapPane();
    RegisterFmsPage();
    ModuleWindowsTest::SetUp();
    if (HasFatalFailure()) return;
    pane = dynamic_cast<CScenParentView*>(main->GetPaneView(PaneSlot::Map)->GetWindow());
    ASSERT_NE(pane, nullptr);
    map = pane->GetMapView();
  }
  void TearDown() override {
    ModuleWindowsTest::TearDown();
    RegisterPane(PaneSlot::Map, nullptr);
    RegisterMapPage(2, nullptr);
    g_SimBlock.SetImportTable(nullptr);
  }

  CScenParentView* pane = nullptr;
  CScenView* map = nullptr;
};

TEST_F(MapWindowTest, PicturesOfTheWindowsSizeReachItAndHintsMoveTheMap) {
  ASSERT_TRUE(PumpUntil([&] {
    const auto frame = map->Engine().FrontFrame();
    const wxSize size = map->GetClientSize();
    return frame && frame->Width() == size.x && frame->Height() == size.y;
  })) << "a frame of the window's size";

  CZoomHint zoom{1, 8, 47.45, 8.55};
  Document().UpdatePlanViews(nullptr, kHintZoom, &zoom);
  EXPECT_EQ(8, map->Params().GetZoom());
  main->RunIdleUpdate();
  EXPECT_EQ("x8", main->GetStatusBar()->GetStatusText(3)) << "the zoom pane";
  CCenterHint centre{47.0, 8.0, 1};
  Document().UpdatePlanViews(nullptr, kHintCenter, &centre);
  EXPECT_DOUBLE_EQ(47.0, map->Params().Current().latitude);
  const int pictures = map->Engine().PicturesDrawn();
  EXPECT_TRUE(PumpUntil([&] { return map->Engine().PicturesDrawn() > pictures; })) << "the new centre is drawn";

  // A plan edit (0x11) redraws the track under the same parameters.
  const int before = map->Engine().PicturesDrawn();
  Document().UpdatePlanViews(nullptr, kHintPlanChanged);
  EXPECT_TRUE(PumpUntil([&] { return map->Engine().PicturesDrawn() > before; }));
}

TEST_F(MapWindowTest, TheWindShowsInTheLowerLeftCornerAndHidesInCalmAir) {
  ASSERT_NE(map->Wind(), nullptr);
  map->Wind()->FormatWind(13, 5);
  Document().UpdatePlanViews(nullptr, kHintMapParameters);
  EXPECT_TRUE(map->Wind()->IsShown());
  EXPECT_EQ(1, map->Wind()->GetPosition().x);
  EXPECT_EQ(map->GetClientSize().y - map->Wind()->GetSize().y - 1, map->Wind()->GetPosition().y);
  map->Wind()->FormatWind(0, 0);
  EXPECT_FALSE(map->Wind()->IsShown());
}

TEST_F(MapWindowTest, TheMapsBarStandsBottomRightAndItsButtonsReachTheMap) {
  CToolBarScen* bar = map->ToolBar();
  ASSERT_NE(bar, nullptr);
  const wxSize size = map->GetClientSize();
  const wxRect r = bar->GetRect();
  EXPECT_EQ(size.x, r.GetRight() + 1);
  EXPECT_EQ(std::max(0, size.y - r.height), r.y);
  // A shorter map wraps the buttons into more columns.
  EXPECT_GT(bar->LayoutFor(120).x, bar->LayoutFor(2000).x);
  map->SetSize(map->GetSize());  // lay the bar out for the map's own height again

  wxPoint zoomIn;
  for (int y = 0; y < bar->GetClientSize().y && zoomIn == wxPoint(); ++y)
    for (int x = 0; x < bar->GetClientSize().x; ++x)
      if (bar->CommandAt({x, y}) == 32799) {
        zoomIn = {x + 4, y + 4};
        break;
      }
  ASSERT_NE(zoomIn, wxPoint()) << "the bar carries Zoom In";
  const int zoom = map->Params().GetZoom();
  for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
    wxMouseEvent click(type);
    click.SetPosition(zoomIn);
    click.SetEventObject(bar);
    bar->GetEventHandler()->ProcessEvent(click);
  }
  EXPECT_EQ(zoom * 2, map->Params().GetZoom());
}

TEST_F(MapWindowTest, ABurstOfLayerTogglesIsWrittenOnTheThirdPeriodicUpdate) {
  const bool ndb = g_Settings.GetMapNdb(false), vor = g_Settings.GetMapVor(false);
  for (int id : {32805, 32806}) {
    wxCommandEvent click(wxEVT_MENU, id);
    map->GetEventHandler()->ProcessEvent(click);
  }
  for (int i = 0; i < 2; ++i) Document().UpdatePlanViews(nullptr, kHintPeriodic);
  EXPECT_EQ(ndb, g_Settings.GetMapNdb(false)) << "not before the third update";
  Document().UpdatePlanViews(nullptr, kHintPeriodic);
  EXPECT_EQ(!ndb, g_Settings.GetMapNdb(false));
  EXPECT_EQ(!vor, g_Settings.GetMapVor(false));
}

TEST_F(MapWindowTest, TheTipShowsOverAnObjectAndAClickHidesItKeepingTheObject) {
  CZoomHint zoom{1, 400, plantest::kVor.lat, plantest::kVor.lon};
  Document().UpdatePlanViews(nullptr, kHintZoom, &zoom);
  const wxSize size = map->GetClientSize();
  int x = 0, y = 0;
  ASSERT_TRUE(map->Params().LatLonToPixel(x, y, plantest::kVor.lat, plantest::kVor.lon, size.x, size.y, 1));
  FullPoint object;
  std::string text;
  ASSERT_TRUE(map->QueryTip({x, y}, object, text));
  EXPECT_EQ(kKindVor, object.point.kind & ~3);
  EXPECT_NE(std::string::npos, text.find("KLO"));

  CMapTipWnd* tip = map->Tip();
  tip->StopTicking();
  wxMouseEvent move(wxEVT_MOTION);
  move.SetPosition({x, y});
  tip->RelayMouse(move);
  tip->TickAt({x, y}, true);
  EXPECT_FALSE(tip->IsShown()) << "two ticks of rest";
  tip->TickAt({x, y}, true);
  EXPECT_TRUE(tip->IsShown());
  wxMouseEvent click(wxEVT_LEFT_DOWN);
  tip->RelayMouse(click);
  EXPECT_FALSE(tip->IsShown());
  FullPoint hover;
  EXPECT_TRUE(tip->GetHoverPoint(hover));
  EXPECT_EQ(object.point.latitude, hover.point.latitude);
}

TEST_F(MapWindowTest, TabsStandOnTheLeftWhenThePaneIsWideOrTheMapsBarWantsTheStripsHeight) {
  // The bar in one column, and the height a map under a strip on top loses to strip and border.
  const int column = map->ToolBar()->LayoutFor(100000).y;
  const int strip = pane->GetTabs()->Thickness();
  const int lost = strip + map->GetWindowBorderSize().y;
  struct Case {
    const char* name;
    wxSize pane;
    bool vertical;
  } cases[] = {
      {"at least as wide as high", {400, 300}, true},
      {"the bar fits under the strip", {300, column + lost + 4}, false},
      {"the bar fits only beside the strip", {300, column + lost - strip / 2}, true},
      {"the bar wraps into two columns either way", {300, column * 2 / 3 + lost}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pane->SetSize(c.pane);
    Pump(20);
    EXPECT_EQ(c.vertical, pane->GetTabs()->IsVertical());
    EXPECT_EQ(c.vertical, map->GetPosition().x > 0);
  }
  pane->SelectTab(2);
  EXPECT_FALSE(map->IsShown());
  EXPECT_TRUE(pane->GetPage(2)->IsShown());
  pane->SelectTab(0);
  EXPECT_TRUE(map->IsShown());

  EXPECT_EQ(264, SidStarUpperRowHeight(300, kDefaultSidStarDescHeight));
  EXPECT_EQ(50, SidStarUpperRowHeight(60, kDefaultSidStarDescHeight));
}

TEST_F(MapWindowTest, AViewGoesPromptlyWhileAPictureIsDrawn) {
  auto* holder = new wxFrame(nullptr, wxID_ANY, "map", wxDefaultPosition, wxSize(640, 480));
  auto* view = new CScenView(holder, wxID_ANY, Document());
  holder->Show();
  CZoomHint zoom{1, 2000, 47.4, 8.5};
  view->OnPlanUpdate(kHintZoom, &zoom);
  view->Refresh();
  Pump(20);
  const auto start = std::chrono::steady_clock::now();
  holder->Destroy();
  Pump(20);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A plan whose session lists one aircraft, and a document that only carries it.
class SessionPlan : public CFlightPlanCore {
 public:
  void ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) override {
    players.clear();
    if (onlyPublic) return;
    players.push_back(aircraft);
  }
  MpPlayerEntry aircraft{};
};

class SessionDocument : public IPlotrDocument {
 public:
  CFlightPlanCore& GetPlan() override { return plan; }
  bool IsPlanModified() const override { return false; }
  void SetPlanModified(bool) override {}
  void UpdatePlanViews(const void*, uint32_t, const void* = nullptr) override {}
  SessionPlan plan;
};

TEST_F(MapWindowTest, EveryPeriodicUpdateTakesTheSessionsAircraftAfresh) {
  SessionDocument document;
  auto* holder = new wxFrame(nullptr, wxID_ANY, "map", wxDefaultPosition, wxSize(320, 240));
  auto* view = new CScenView(holder, wxID_ANY, document);
  holder->Show();
  // The latitude of the one aircraft the drawing thread would draw, NaN unless there is one.
  const auto drawn = [&] {
    std::lock_guard lock(view->Engine().State().lock);
    const auto& players = view->Engine().State().overlays.players;
    return players.size() == 1 ? players[0].latitude : std::nanf("");
  };
  document.plan.aircraft.playerId = 7;
  document.plan.aircraft.latitude = 47.5f;
  view->OnPlanUpdate(kHintPeriodic, nullptr);
  EXPECT_FLOAT_EQ(47.5f, drawn());
  document.plan.aircraft.latitude = 47.75f;
  view->OnPlanUpdate(kHintPeriodic, nullptr);
  EXPECT_FLOAT_EQ(47.75f, drawn());
  holder->Destroy();
  Pump(20);
}

TEST_F(MapWindowTest, AUserFixDroppedOnTheMapMovesInThePlanAndCopyOffersANewFix) {
  CFlightPlanCore& plan = Document().GetPlan();
  FullPoint fix;
  {
    DatabaseLease lease;
    CRoute route = *plan.GetCurrent();
    PlanPoint user;
    CRoute::MakeUserPoint(user.ref.point, 47.2, 8.2);
    route.AddPoint(user);
    plan.Push(route);
    plan.Rebuild();
    fix = (*plan.GetCurrent())[0].ref;
  }
  CZoomHint zoom{1, 50, 47.2, 8.2};
  Document().UpdatePlanViews(nullptr, kHintZoom, &zoom);
  const wxSize size = map->GetClientSize();
  int x = 0, y = 0;
  ASSERT_TRUE(map->Params().LatLonToPixel(x, y, 47.3, 8.4, size.x, size.y, 1));
  EXPECT_TRUE(map->DragOver(fix, {x, y})) << "the plan's own fix is taken";
  FullPoint other = fix;
  other.point.latitude += 0.5f;
  EXPECT_FALSE(map->DragOver(other, {x, y})) << "a fix the plan does not hold is not";
  ASSERT_TRUE(map->DropFix(fix, {x, y}));
  const NavPoint moved = (*plan.GetCurrent())[0].ref.point;
  EXPECT_NEAR(47.3, moved.latitude, 0.05);
  EXPECT_NEAR(8.4, moved.longitude, 0.05);
  EXPECT_TRUE(Document().IsPlanModified());

  // Copy on an empty spot offers a new user fix as a one-point array.
  wxMouseEvent right(wxEVT_RIGHT_DOWN);
  right.SetPosition({x + 5, y + 5});
  map->GetEventHandler()->ProcessEvent(right);
  if (map->HasCapture()) map->ReleaseMouse();
  wxCommandEvent copy(wxEVT_MENU, 32796);
  map->GetEventHandler()->ProcessEvent(copy);
  const auto bytes = clip::ClipboardBytes(clip::kPlanPointArray);
  if (!bytes) GTEST_SKIP() << "no clipboard on this display";
  const auto points = clip::ReadPlanPoints(*bytes);
  ASSERT_TRUE(points && points->size() == 1);
  EXPECT_EQ(kKindUserPoint, (*points)[0].ref.point.kind);
}

TEST_F(MapWindowTest, TheFmsTabsNextButtonAsksGuidanceForTheNextWaypoint) {
  simapi::ImportTable table{};
  table.services = host->GetServices();
  g_SimBlock.SetImportTable(&table);
  g_SimBlock.Exchange(1);  // the named variables reach the host
  pane->SetSize(500, 500);
  pane->SelectTab(2);
  Pump(20);
  auto* fms = dynamic_cast<CFMSView*>(pane->GetPage(2));
  ASSERT_NE(fms, nullptr);
  fms->OnPlanUpdate(UpdateHint{0, nullptr});
  const wxSize size = fms->GetClientSize();
  const gdi::Rect next = fms::Mapping::For(size.x, size.y).ToDevice(fms->Panel().Cells()[fms::kNextCell]);
  const wxPoint at((next.left + next.right) / 2, (next.top + next.bottom) / 2);
  for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
    wxMouseEvent click(type);
    click.SetPosition(at);
    click.SetEventObject(fms);
    fms->GetEventHandler()->ProcessEvent(click);
  }
  EXPECT_EQ(1, g_SimBlock.GetNamedStorage().nextWaypoint);
  g_SimBlock.GetNamedStorage().nextWaypoint = 0;
  g_SimBlock.SetImportTable(nullptr);
}

}  // namespace
