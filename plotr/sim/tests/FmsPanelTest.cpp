// The FMS panel's cells from the published blocks, its buttons, menus, commands and drags, and
// its picture.

#include "plotr/core/CommandIds.h"
#include "plotr/sim/FmsPanel.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/gdi/CairoDc.h"
#include "platform/gdi/RecordingDc.h"

namespace {

using namespace fms;

struct Recorder : IFmsCommands {
  void SetVariable(const char* name, int32_t value) override { variables.push_back(std::string(name) + "=" + std::to_string(value)); }
  void SendEvent(uint32_t id, uint32_t value) override { events.push_back({id, value}); }
  void TuneAdf(float khz) override { adf.push_back(khz); }
  void ToggleLocalTime() override { ++localTimeToggles; }
  void OpenSettings() override { ++settings; }
  std::vector<std::string> variables;
  std::vector<std::pair<uint32_t, uint32_t>> events;
  std::vector<float> adf;
  int localTimeToggles = 0;
  int settings = 0;
};

FmsRow Row(const char* name, const char* kind, float frequency, double course) {
  FmsRow r{};
  r.filled = 1;
  r.timeValid = 1;
  r.row = 4;
  std::strncpy(r.name, name, sizeof r.name);
  std::strncpy(r.kind, kind, sizeof r.kind);
  std::strncpy(r.ident, "KLO", sizeof r.ident);
  std::strncpy(r.frequencyText, "114.85", sizeof r.frequencyText);
  r.frequency = frequency;
  r.arrivalUtcHour = 10;
  r.arrivalUtcMinute = 5;
  r.arrivalUtcSecond = 9;
  r.arrivalLocalHour = 11;
  r.arrivalLocalMinute = 5;
  r.arrivalLocalSecond = 9;
  r.course = course;
  r.distance = 12.34;
  r.time = 95.5;
  r.remainingDistance = 100;
  r.remainingTime = 30;
  return r;
}

SimSnapshot Snapshot(const std::vector<FmsRow>& rows) {
  SimSnapshot s{};
  FmsData d{};
  d.utcHour = 9;
  d.utcMinute = 8;
  d.second = 7;
  d.localHour = 10;
  d.localMinute = 8;
  d.filled = 1;
  d.distance = 250.04;
  d.timeValid = 1;
  d.time = 61.25;
  WriteFmsBlock(s.fmsData, d);
  for (size_t k = 0; k < rows.size() && k < 3; ++k) WriteFmsBlock(s.fmsWaypoints[k], rows[k]);
  s.flyPlanPossible = true;
  s.holdingPossible = true;
  s.autopilotAvailable = true;
  s.nav1Available = true;
  return s;
}

TEST(FmsPanel, PanelFillsOneSideAndIsCentredOnTheOther) {
  const Mapping wide = Mapping::For(1000, 241);
  EXPECT_EQ(241, wide.height);
  EXPECT_EQ((1000 - 226) / 2, wide.originX);
  const Mapping tall = Mapping::For(226, 1000);
  EXPECT_EQ(226, tall.width);
  EXPECT_EQ((1000 - 241) / 2, tall.originY);
  CFmsPanel panel;
  // Next (95..130 x 0..15) in a panel drawn at twice the size.
  EXPECT_EQ(kNextCell, panel.HitTest(2 * (110 + 3), 2 * (8 + 3), 464, 494));
  EXPECT_EQ(-1, panel.HitTest(1, 1, 464, 494));
}

TEST(FmsPanel, CellsShowThePublishedBlocksInLocalOrUniversalTime) {
  CFmsPanel panel;
  FmsRow vor = Row("Kloten", "VOR", 114.85f, 271.6);
  std::memset(vor.name, 'N', sizeof vor.name);  // no terminator: read within the field
  SimSnapshot sim = Snapshot({vor});
  panel.Update(sim, false);
  const auto& c = panel.Cells();
  EXPECT_EQ("09:08:07", c[kTimeCell].text);
  EXPECT_EQ("250.0 nm", c[9].text);
  EXPECT_EQ("01 01' 15\"", c[10].text);
  EXPECT_EQ(std::string(61, 'N'), c[12].text);
  EXPECT_EQ("10:05:09", c[13].text);
  EXPECT_EQ("VOR", c[14].text);
  EXPECT_EQ("272\xB0", c[17].text);
  EXPECT_EQ("12.3 nm", c[18].text);
  EXPECT_EQ("01 35' 30\"", c[19].text);
  EXPECT_EQ("", c[23].text) << "an empty block shows nothing";

  const auto changed = panel.Update(sim, true);
  EXPECT_TRUE(changed[kTimeCell] && changed[13] && changed[kLocalTimeCell]);
  EXPECT_EQ("10:08:07", c[kTimeCell].text);
  EXPECT_EQ("11:05:09", c[13].text);
  EXPECT_TRUE(c[kLocalTimeCell].flags & kCellLatched);

  // Values another gauge may have written into the shared blocks show empty, never garbage.
  vor.distance = std::numeric_limits<double>::quiet_NaN();
  vor.course = 1e300;
  vor.time = -5;
  panel.Update(Snapshot({vor}), false);
  EXPECT_EQ("", c[18].text);
  EXPECT_EQ("", c[17].text);
  EXPECT_EQ("", c[19].text);
}

TEST(FmsPanel, ButtonStatesFollowGuidance) {
  CFmsPanel panel;
  SimSnapshot sim = Snapshot({});
  sim.flyPlan = true;
  sim.holdingState = 1 | 2;
  panel.Update(sim, false);
  const auto& c = panel.Cells();
  EXPECT_TRUE(c[kFlyPlanCell].flags & kCellLatched);
  EXPECT_FALSE(c[kFlyPlanCell].flags & kCellActive) << "latched but not green while holding";
  EXPECT_TRUE((c[kHoldingCell].flags & (kCellLatched | kCellActive)) == (kCellLatched | kCellActive));
  EXPECT_TRUE(c[kMode1Cell].flags & kCellLatched);
  sim.flyPlanPossible = false;
  sim.fmcMode2 = true;
  panel.Update(sim, false);
  EXPECT_TRUE(c[kFlyPlanCell].flags & kCellDisabled);
  EXPECT_TRUE(c[kMode2Cell].flags & kCellLatched);
  EXPECT_FALSE(panel.Press(kFlyPlanCell)) << "a disabled button takes no press";
}

TEST(FmsPanel, AButtonActsOnlyWhenReleasedOverIt) {
  CFmsPanel panel;
  panel.Update(Snapshot({}), false);
  Recorder r;
  ASSERT_TRUE(panel.Press(kNextCell));
  EXPECT_TRUE(panel.Track(false));
  EXPECT_FALSE(panel.Cells()[kNextCell].flags & kCellPressed);
  panel.Release(false, r);
  EXPECT_TRUE(r.variables.empty()) << "released outside";

  ASSERT_TRUE(panel.Press(kNextCell));
  panel.Track(false);
  EXPECT_TRUE(panel.Track(true)) << "back over it shows pressed again";
  panel.Release(true, r);
  EXPECT_EQ((std::vector<std::string>{"CHARTWRIGHT_NEXT_WAYPOINT=1"}), r.variables);
  ASSERT_TRUE(panel.Press(kFlyPlanCell));
  panel.Release(true, r);
  EXPECT_EQ("CHARTWRIGHT_FLY_FP_WP=-1", r.variables.back());
  ASSERT_TRUE(panel.Press(kLocalTimeCell));
  panel.Release(true, r);
  EXPECT_EQ(1, r.localTimeToggles);
  EXPECT_FALSE(panel.Press(kTimeCell)) << "fields are not buttons";
}

TEST(FmsPanel, MenusDragsAndCommandsByWaypointKind) {
  CFmsPanel panel;
  panel.Update(Snapshot({Row("Kloten", "Rwy", 110.5f, 140.4), Row("Zurich", "Airport", 0, 90),
                         Row("Zurich East", "NDB", 367.5f, 359.6)}),
               false);
  EXPECT_EQ(157, panel.MenuFor(12).menu);
  EXPECT_EQ(156, panel.MenuFor(23).menu);
  EXPECT_EQ(158, panel.MenuFor(40).menu);
  EXPECT_EQ(2, panel.MenuFor(40).block);
  EXPECT_EQ(159, panel.MenuFor(kMode2Cell).menu);

  const auto rwy = panel.Drag(0);
  ASSERT_TRUE(rwy);
  EXPECT_EQ(140.0f, rwy->heading);
  EXPECT_EQ(DragPayload::Frequency::kNav, rwy->frequencyFormat);
  EXPECT_EQ(DragPayload::Frequency::kNone, panel.Drag(1)->frequencyFormat);
  EXPECT_EQ(0.0f, panel.Drag(2)->heading) << "359.6 rounds to 360, sent as 0";
  EXPECT_EQ(DragPayload::Frequency::kAdf, panel.Drag(2)->frequencyFormat);

  Recorder r;
  const SimSnapshot sim = Snapshot({});
  EXPECT_TRUE(panel.CommandEnabled(cmd::kFmsSetNav1Frequency, 0, sim));
  EXPECT_FALSE(panel.CommandEnabled(cmd::kFmsSetNav2Course, 0, sim)) << "NAV2 not available";
  panel.RunCommand(cmd::kFmsSetNav1Frequency, 0, 90, r);
  panel.RunCommand(cmd::kFmsSetHeading, 0, 90, r);
  panel.RunCommand(cmd::kFmsSetAdfFrequency, 2, 90, r);
  panel.RunCommand(cmd::kFlyPlanFromHere, 1, 90, r);
  EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{0x100AC, 0x1050}, {0x101FA, 140}}), r.events);
  EXPECT_EQ((std::vector<float>{367.5f}), r.adf);
  EXPECT_EQ((std::vector<std::string>{"CHARTWRIGHT_FLY_FP_ON=1", "CHARTWRIGHT_FLY_FP_WP=4"}), r.variables);

  CFmsPanel empty;
  empty.Update(Snapshot({}), false);
  EXPECT_EQ(0, empty.MenuFor(12).menu) << "an empty block has no menu";
  EXPECT_FALSE(empty.Drag(0));
  empty.RunCommand(cmd::kFmsSetHeading, 0, 90, r);
  EXPECT_EQ(2u, r.events.size());
}

TEST(FmsPanel, RadioCodesAndCoursesStayEncodable) {
  EXPECT_EQ(0x1390u, NavFrequencyCode(113.90));
  EXPECT_EQ(0x0850u, NavFrequencyCode(108.50));
  EXPECT_FALSE(NavFrequencyCode(99.99));
  EXPECT_FALSE(NavFrequencyCode(std::nan("")));
  EXPECT_EQ(0, RoundedCourse(359.5));
  EXPECT_EQ(359, RoundedCourse(-1));
  EXPECT_EQ(-1, RoundedCourse(std::numeric_limits<double>::infinity()));
}

TEST(FmsPanel, PaintThroughCairoShowsLatchedAndRaisedButtons) {
  CFmsPanel panel;
  SimSnapshot sim = Snapshot({Row("Kloten", "VOR", 114.85f, 271.6)});
  panel.Update(sim, false);
  for (int scheme : {0, 2}) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 452, 482);
    cairo_t* cr = cairo_create(surface);
    {
      gdi::CairoDc dc(cr, gdi::Size{452, 482});
      panel.Paint(dc, 452, 482, scheme);
    }
    cairo_surface_flush(surface);
    const auto pixel = [&](int x, int y) {
      const unsigned char* p = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + x * 4;
      return gdi::Rgb(p[2], p[1], p[0]);
    };
    const Mapping m = Mapping::For(452, 482);
    const gdi::Rect m1 = m.ToDevice(panel.Cells()[kMode1Cell]);
    // M1 is latched (mode 1): the sunken fill of the scheme just inside the frame.
    EXPECT_EQ(scheme == 0 ? gdi::Rgb(192, 192, 192) : gdi::Rgb(92, 92, 92), pixel(m1.left + 3, m1.top + 3));
    const gdi::Rect next = m.ToDevice(panel.Cells()[kNextCell]);
    EXPECT_EQ(scheme == 0 ? gdi::Rgb(160, 160, 160) : gdi::Rgb(64, 64, 64), pixel(next.left + 3, next.top + 3));
    // The background outside the panel.
    EXPECT_EQ(scheme == 0 ? gdi::Rgb(192, 192, 192) : gdi::Rgb(0, 0, 0), pixel(0, 0));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
}

TEST(FmsPanel, ButtonTextIsGreenWhenActiveAndGreyWhenDisabledInEveryScheme) {
  CFmsPanel panel;
  SimSnapshot sim = Snapshot({Row("Kloten", "VOR", 114.85f, 271.6)});
  sim.flyPlan = true;
  sim.holdingPossible = false;
  panel.Update(sim, false);
  for (int scheme : {0, 2}) {
    SCOPED_TRACE(scheme);
    gdi::RecordingDc dc;
    panel.Paint(dc, 452, 482, scheme);
    const auto textColour = [&](const std::string& text) {
      for (const gdi::RecordedCall& call : dc.CallsOf(gdi::Op::DrawText))
        if (call.text == text) return call.textColor;
      ADD_FAILURE() << "no " << text;
      return gdi::ColorRef{};
    };
    const gdi::ColorRef green = scheme == 0 ? gdi::Rgb(0, 128, 0) : gdi::Rgb(0, 192, 0);
    EXPECT_EQ(green, textColour("Fly Flightplan"));
    EXPECT_EQ(green, textColour("M1"));
    EXPECT_EQ(gdi::Rgb(128, 128, 128), textColour("Fly Holding"));
    EXPECT_EQ(panel.Cells()[kNextCell].colours[scheme], textColour("Next"));
    EXPECT_EQ(gdi::Rgb(0, 192, 0), textColour("Kloten")) << "the active waypoint's name";
  }
}

}  // namespace
