// The moving map as a pilot uses it in the stand-in simulator, by real clicks, drags, wheel turns
// and keys only: the layer buttons change the picture on the screen, an object dragged off the
// map lands where it is dropped, a dragged fix shows its legs on every colour scheme, a hidden map
// draws nothing, and the measuring band keeps the tip away and goes with Escape.
#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/Settings.h"
#include "plotr/core/UpdateHints.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/window/MapParentView.h"
#include "plotr/map/window/MapTipWnd.h"
#include "plotr/map/window/ScenView.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/shell/window/ToolBarEx.h"
#include "plotr/sim/Avionics.h"
#include "plotr/sim/window/PilotView.h"

namespace {

using live::FindWindowOf;
using live::Pump;
using live::PumpUntil;

// Willisau VOR of the sample installation.
constexpr double kWilLatitude = 47.1786, kWilLongitude = 7.9056;

using Clock = std::chrono::steady_clock;

class LiveMap : public live::LivePlanner {
 protected:
  // Each test takes a few seconds; one stuck behind a window leaves its screen well before the
  // runner's time-out.
  LiveMap() { deadlineSeconds = 60; }

  void SetUp() override {
    LivePlanner::SetUp();
    if (HasFatalFailure()) return;
    auto* pane = dynamic_cast<CScenParentView*>(Pane(PaneSlot::Map));
    ASSERT_NE(pane, nullptr);
    tabs = pane->GetTabs();
    map = pane->GetMapView();
    // The white scheme whatever the hour: automatic colours follow the clock.
    g_Settings.SetColorMode(1);
    // Down onto Switzerland, a wheel notch at a time over Willisau.
    live::Wheel(map, PixelOf(kWilLatitude, kWilLongitude), 7);
    ASSERT_TRUE(PumpUntil([&] { return map->Params().GetZoom() == 128; })) << map->Params().GetZoom();
    const wxPoint wil = PixelOf(kWilLatitude, kWilLongitude);
    ASSERT_TRUE(wxRect(map->GetClientSize()).Deflate(map->GetClientSize().x / 5, map->GetClientSize().y / 5).Contains(wil))
        << "the wheel zoomed down elsewhere: Willisau is at " << wil.x << "," << wil.y;
    WaitForQuietMap();
  }

  // Until no picture has been drawn for half a second.
  void WaitForQuietMap() {
    int pictures = -1;
    for (int waited = 0; waited < 8000 && map->Engine().PicturesDrawn() != pictures; waited += 500) {
      pictures = map->Engine().PicturesDrawn();
      Pump(500);
    }
  }

  wxPoint PixelOf(double latitude, double longitude) const {
    const wxSize size = map->GetClientSize();
    int x = 0, y = 0;
    EXPECT_TRUE(map->Params().LatLonToPixel(x, y, latitude, longitude, size.x, size.y, 2));
    return {x, y};
  }

  // The map's picture on the screen, its bar blanked: a button's own look is no change of picture.
  wxImage Picture() const {
    wxImage picture = live::GrabScreen(map);
    const wxRect bar = map->ToolBar()->GetRect();
    picture.SetRGB(bar.Intersect(wxRect(picture.GetSize())), 0, 0, 0);
    return picture;
  }

  // A button of the map's bar, in the bar's client coordinates.
  wxPoint BarButton(int command) const {
    CToolBarScen* bar = map->ToolBar();
    for (int y = 0; y < bar->GetClientSize().y; ++y)
      for (int x = 0; x < bar->GetClientSize().x; ++x)
        if (bar->CommandAt({x, y}) == command) return {x + 4, y + 4};
    ADD_FAILURE() << "no button " << command << " on the map's bar";
    return {};
  }

  // Rests the pointer at `at` until the tip names the object there; a new picture takes the tip
  // away, so a pilot who sees none moves a little and rests again.
  bool HoverUntilTip(wxPoint at, uint16_t kind) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      live::MoveTo(map, at + wxPoint(8, 8));
      live::MoveTo(map, at);
      const bool shown = PumpUntil(
          [&] {
            FullPoint hover;
            return map->Tip()->GetHoverPoint(hover) && (hover.point.kind & ~kKindLevelMask) == kind;
          },
          1500);
      if (shown) return true;
    }
    return false;
  }

  // A point near `near` with no object under the tip's reach.
  wxPoint EmptySpotNear(wxPoint near) {
    for (int ring = 0; ring < 200; ring += 6) {
      for (int step = 0; step < 16; ++step) {
        const double angle = step * M_PI / 8;
        const wxPoint p(near.x + static_cast<int>(ring * std::cos(angle)), near.y + static_cast<int>(ring * std::sin(angle)));
        FullPoint object;
        std::string text;
        if (wxRect(map->GetClientSize()).Deflate(30).Contains(p) && !map->QueryTip(p, object, text)) return p;
      }
    }
    ADD_FAILURE() << "no empty spot near " << near.x << "," << near.y;
    return near;
  }

  // A new user fix at an empty spot: "To Flightplan" from the map's context menu.
  void AddFixAt(wxPoint at) {
    const size_t before = PlanIdents().size();
    live::ChooseFromNextPopup('t');
    live::Click(map, at, wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(PumpUntil([&] { return PlanIdents().size() == before + 1; })) << "no fix added";
  }

  wxPoint FixPixel(int index) {
    DatabaseLease lease;
    const NavPoint& p = (*Plan().GetCurrent())[index].ref.point;
    const wxSize size = map->GetClientSize();
    int x = 0, y = 0;
    map->Params().LatLonToPixel(x, y, p.latitude, p.longitude, size.x, size.y, 2);
    return {x, y};
  }

  CCaptionTabCtrl* tabs = nullptr;
  CScenView* map = nullptr;
};

// The share of points along a segment, between fractions `from` and `to` of it, where `during`
// shows a pixel far from what `before` showed there (within two pixels either side).
double InkedShare(const wxImage& before, const wxImage& during, wxPoint a, wxPoint b, double from, double to) {
  int samples = 0, inked = 0;
  for (double f = from; f <= to; f += 0.02) {
    const int x = a.x + static_cast<int>((b.x - a.x) * f), y = a.y + static_cast<int>((b.y - a.y) * f);
    ++samples;
    bool found = false;
    for (int dy = -2; dy <= 2 && !found; ++dy) {
      for (int dx = -2; dx <= 2 && !found; ++dx) {
        const int px = x + dx, py = y + dy;
        if (px < 0 || py < 0 || px >= during.GetWidth() || py >= during.GetHeight()) continue;
        const int difference = std::abs(during.GetRed(px, py) - before.GetRed(px, py)) +
                               std::abs(during.GetGreen(px, py) - before.GetGreen(px, py)) +
                               std::abs(during.GetBlue(px, py) - before.GetBlue(px, py));
        found = difference > 200;
      }
    }
    inked += found;
  }
  return samples > 0 ? static_cast<double>(inked) / samples : 0;
}

TEST_F(LiveMap, EachLayerButtonChangesThePictureOnTheScreen) {
  struct Switch {
    const char* button;
    int command;
    bool (CSettings::*setting)(bool, bool);
  } switches[] = {
      {"VR", 32806, &CSettings::GetMapVor},
      {"Nm", 32810, &CSettings::GetMapName},
      {"AL", 32801, &CSettings::GetMapAirwayL},
  };
  live::SaveScreenshot("map-layers-as-installed");
  for (const Switch& s : switches) {
    SCOPED_TRACE(s.button);
    const bool was = (g_Settings.*s.setting)(false, false);
    const wxImage before = Picture();
    live::Click(map->ToolBar(), BarButton(s.command));
    // Switches clicked in a burst are written together, three periodic updates after the last.
    ASSERT_TRUE(PumpUntil([&] { return (g_Settings.*s.setting)(false, false) != was; }, 3000)) << "not written";
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    int changed = 0;
    while ((changed = live::CountChanged(before, Picture())) < 500 && Clock::now() < deadline) Pump(20);
    EXPECT_GE(changed, 500) << "the picture did not change within a second of the switch";
    live::SaveScreenshot(std::string("map-layer-") + s.button + (was ? "-off" : "-on"));
  }
}

TEST_F(LiveMap, AVorDraggedOffTheMapLandsWhereItIsDropped) {
  const wxPoint wil = PixelOf(kWilLatitude, kWilLongitude);
  // Onto the plan table it becomes a waypoint; onto the NAV1 field it tunes NAV1.
  auto* planTable = FindWindowOf<wxWindow>(Pane(PaneSlot::PlanTable),
                                           [](const wxWindow& w) { return w.GetDropTarget() != nullptr; });
  auto* nav1 = FindWindowOf<CPilotEdit>(main, [](const CPilotEdit& e) { return e.FieldId() == avionics::kNav1; });
  ASSERT_TRUE(planTable && nav1);

  ASSERT_TRUE(HoverUntilTip(wil, kKindVor)) << "no tip over Willisau";
  live::Drag(map, wil, planTable, live::Centre(planTable));
  EXPECT_TRUE(PumpUntil([&] { return !PlanIdents().empty(); }));
  EXPECT_EQ(PlanIdents(), std::vector<std::string>{"WIL"});

  ASSERT_TRUE(HoverUntilTip(wil, kKindVor)) << "no tip over Willisau";
  live::Drag(map, wil, nav1, live::Centre(nav1));
  EXPECT_TRUE(PumpUntil([&] { return host->GetAircraft().radios.nav1 == 11690; }, 3000)) << host->GetAircraft().radios.nav1;
  EXPECT_TRUE(nav1->GetValue().StartsWith("116.9")) << nav1->GetValue();
}

TEST_F(LiveMap, ADraggedFixShowsItsLegsOnEveryScheme) {
  const wxSize size = map->GetClientSize();
  const wxPoint from = EmptySpotNear({size.x / 5, size.y / 4});
  const wxPoint fix = EmptySpotNear({size.x / 2, size.y / 4});
  const wxPoint to = EmptySpotNear({size.x * 4 / 5, size.y / 4});
  AddFixAt(from);
  AddFixAt(fix);
  AddFixAt(to);
  WaitForQuietMap();

  // The fix goes down and back up again, its legs far from the plan's own track.
  const wxPoint places[] = {EmptySpotNear({size.x / 2, size.y * 3 / 4}), fix, EmptySpotNear({size.x / 2, size.y * 3 / 4})};
  const struct {
    const char* name;
    int colorMode;
  } schemes[] = {{"white", 1}, {"blue", 2}, {"black", 3}};
  for (size_t i = 0; i < std::size(schemes); ++i) {
    SCOPED_TRACE(schemes[i].name);
    g_Settings.SetColorMode(schemes[i].colorMode);
    ASSERT_TRUE(PumpUntil([&] { return map->Params().ColorScheme == static_cast<int>(i); }, 3000));
    WaitForQuietMap();
    const wxPoint at = FixPixel(1);
    ASSERT_TRUE(HoverUntilTip(at, kKindUserPoint)) << "no tip over the fix";
    const wxImage before = live::GrabScreen(map);
    // The scheme reached the picture on the screen, not only the settings.
    const gdi::ColorRef back = mappens::kBackgroundColors[i];
    EXPECT_LT(live::CountInk(before, wxColour(back & 0xFF, (back >> 8) & 0xFF, (back >> 16) & 0xFF)),
              before.GetWidth() * before.GetHeight() / 2);
    wxImage during;
    live::Drag(map, at, map, places[i], 12, [&] {
      during = live::GrabScreen(map);
      live::SaveScreenshot(std::string("map-fix-dragged-") + schemes[i].name);
    });
    ASSERT_TRUE(during.IsOk());
    // Away from both ends and from the labels at the legs' middles.
    EXPECT_GT(InkedShare(before, during, from, places[i], 0.1, 0.35), 0.7) << "the leg into the fix";
    EXPECT_GT(InkedShare(before, during, to, places[i], 0.1, 0.35), 0.7) << "the leg out of the fix";
    EXPECT_TRUE(PumpUntil([&] { return std::abs(FixPixel(1).y - places[i].y) < 4; })) << "the fix did not move";
  }
}

TEST_F(LiveMap, AHiddenMapDrawsNothingUntilItShowsAgain) {
  struct Way {
    const char* name;
    std::function<void()> hide, show;
  } ways[] = {
      {"the Plan tab", [&] { live::Click(tabs, tabs->TabRect(1).GetPosition() + wxPoint(6, 6)); },
       [&] { live::Click(tabs, tabs->TabRect(0).GetPosition() + wxPoint(6, 6)); }},
      {"the planner's key", [&] { PressHotKey(WXK_F9); }, [&] { PressHotKey(WXK_F9); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    way.hide();
    ASSERT_TRUE(PumpUntil([&] { return !map->IsShownOnScreen(); }));
    Pump(200);
    const int pictures = map->Engine().PicturesDrawn(), frames = map->Engine().FramesComposed();
    // A plan change and three periodic updates while hidden.
    Document().UpdatePlanViews(nullptr, kHintPlanChanged);
    Pump(1600);
    EXPECT_EQ(pictures, map->Engine().PicturesDrawn());
    EXPECT_EQ(frames, map->Engine().FramesComposed());
    way.show();
    ASSERT_TRUE(PumpUntil([&] { return map->IsShownOnScreen(); }));
    EXPECT_TRUE(PumpUntil([&] { return map->Engine().PicturesDrawn() > pictures; }, 3000)) << "the change missed";
  }
}

TEST_F(LiveMap, TheMeasuringBandKeepsTheTipAwayAndGoesWithEscape) {
  const wxPoint wil = PixelOf(kWilLatitude, kWilLongitude);
  const wxPoint start = EmptySpotNear(wil - wxPoint(120, 80));
  // The keyboard is elsewhere, as after typing into the search pane.
  live::Click(FindWindowOf<wxTextCtrl>(Pane(PaneSlot::Search)));
  live::Press(map, start, wxMOUSE_BTN_RIGHT);
  for (int i = 1; i <= 8; ++i) live::MoveTo(map, start + (wil - start) * i / 8);
  ASSERT_TRUE(map->IsMeasuring());
  // Resting over Willisau, long enough for the tip to come.
  Pump(1500);
  EXPECT_FALSE(map->Tip()->IsShown()) << "the tip covers the band";
  live::Key(WXK_ESCAPE);
  EXPECT_FALSE(map->IsMeasuring()) << "Escape did not end the band";
  const int zoom = map->Params().GetZoom();
  live::Release(wxMOUSE_BTN_RIGHT);
  Pump(300);
  EXPECT_EQ(zoom, map->Params().GetZoom()) << "the ended band still zoomed";
}

}  // namespace
