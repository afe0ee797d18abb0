#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

using gdi::Op;

PlanRow Row(int point, double lat, double lon, int kind, double course = 90, double distance = 12.5) {
  PlanRow r;
  r.pointIndex = point;
  r.latitude = lat;
  r.longitude = lon;
  r.rowKind = kind;
  r.course = course;
  r.legDistance = distance;
  return r;
}

class MapDragLegsTest : public testing::Test {
 protected:
  MapDragLegsTest() : m_folder("map-drag") {
    for (int i = 0; i < 5; ++i) m_route.AddPoint(plantest::UserPoint(47, 7.8 + 0.1 * i));
    // W0 departure, W1 (dragged), a bearing point off W1, W2, W3
    m_rows = {Row(0, 47, 7.8, kRowDeparture), Row(1, 47, 7.9, kRowEnRoute), Row(2, 47.1, 7.9, kRowBearing, 270),
              Row(3, 47, 8.1, kRowEnRoute), Row(4, 47, 8.2, kRowDestination)};
    m_route[1].marked = 1;
    m_renderer.MapRoundWorld = 1;
    m_renderer.ColorScheme = kSchemeWhite;
    m_renderer.PushZoom(512, 47, 8);
  }

  plantest::ScopedPlanFolder m_folder;
  CRoute m_route;
  std::vector<PlanRow> m_rows;
  CMapRenderer m_renderer;
};

TEST_F(MapDragLegsTest, DraggedPointShowsItsLegsAndTheBearingsOffIt) {
  gdi::RecordingDc dc;
  m_renderer.DrawDragLegs(dc, 14400, 14400, m_rows, m_route);
  const auto lines = dc.CallsOf(Op::Polyline);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].pen, mappens::PenGreyLight);  // the bearing line first, by day
  EXPECT_EQ(lines[1].pen, gdi::StockPen(gdi::Stock::BlackPen));
  for (const auto& l : lines) EXPECT_EQ(l.rop2, gdi::R2_NOTXORPEN);
  // into W1 from W0 and out of W1 to W2; nothing from W2 to W3
  int x0 = 0, y0 = 0, x3 = 0, y3 = 0;
  ASSERT_TRUE(m_renderer.LatLonToPixel(x0, y0, 47, 7.8, 14400, 14400, 0));
  ASSERT_TRUE(m_renderer.LatLonToPixel(x3, y3, 47, 8.1, 14400, 14400, 0));
  EXPECT_EQ(lines[1].points.front(), (gdi::Point{x0, y0}));
  EXPECT_EQ(lines[2].points.back(), (gdi::Point{x3, y3}));
  EXPECT_EQ(dc.GetROP2(), gdi::R2_COPYPEN);
}

TEST_F(MapDragLegsTest, LabelsOfTheDraggedLegs) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  // A desktop that writes decimal commas still gets points in the labels.
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    SCOPED_TRACE(locale);
    if (std::setlocale(LC_NUMERIC, locale) == nullptr) {
      ADD_FAILURE() << "no such locale here: scripts/setup makes it";
      continue;
    }
    gdi::RecordingDc dc;
    const std::vector<gdi::Rect> boxes = m_renderer.DrawLegLabelsOverlay(dc, 14400, 14400, m_rows, m_route);
    std::vector<std::string> texts;
    for (const auto& c : dc.CallsOf(Op::TextOut)) texts.push_back(c.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"12.5nm 90", "12.5nm", "270/90", "12.5nm 90"}));
    EXPECT_EQ(boxes.size(), 3u);
    EXPECT_EQ(dc.CallsOf(Op::Rectangle).size(), 3u);
    for (size_t i = 0; i < boxes.size(); ++i) {
      for (size_t j = i + 1; j < boxes.size(); ++j) EXPECT_FALSE(boxes[i].Intersects(boxes[j]));
    }
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
