#pragma once

// Runs one layer drawer of the map into a fresh recording, the way the pipeline hands it the
// DC (map font, transparent text), and checks that the drawer gives the DC back as it found it.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "navdb/tests/support/NavdbFixture.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapRenderer.h"

namespace maptest {

inline constexpr int kCx = 8000;
inline constexpr int kCy = 6000;

struct LayerInput {
  const CSceneryDatabase* db = nullptr;
  const CFlightPlanCore* plan = nullptr;
  bool printing = false;
};

inline std::vector<gdi::RecordedCall> RunLayer(CMapRenderer& r, bool (CMapRenderer::*draw)(MapDrawContext&),
                                               const LayerInput& in) {
  r.Labels().clear();
  gdi::RecordingDc dc;
  dc.SetPrinting(in.printing);
  dc.SelectFont(r.ScaledMapFont());
  dc.SetBkMode(gdi::TRANSPARENT);
  const gdi::Pen pen = dc.GetPen();
  const gdi::Brush brush = dc.GetBrush();
  const gdi::ColorRef text = dc.GetTextColor(), back = dc.GetBkColor();
  MapDrawContext ctx{dc, kCx, kCy, {}, in.plan, nullptr, in.db};
  r.GetViewExtents(kCx, kCy, ctx.view);
  EXPECT_TRUE((r.*draw)(ctx));
  EXPECT_EQ(dc.SaveDepth(), 0);
  EXPECT_EQ(dc.GetPen(), pen);
  EXPECT_EQ(dc.GetBrush(), brush);
  EXPECT_EQ(dc.GetTextColor(), text);
  EXPECT_EQ(dc.GetBkColor(), back);
  EXPECT_EQ(dc.GetBkMode(), gdi::TRANSPARENT);
  return dc.Calls();
}

// An area with one scenery file for the points of a test.
inline void AddSwissFile(CSceneryDatabase& db) {
  db.AddArea("Scenery\\Swiss", nullptr);
  navdbtest::AddFile(db, "scenery", "swiss.bgl");
}

// Intersections, airways and airspaces leave a file's box alone: a navaid gives it one.
inline void AddBoxNavaid(CSceneryDatabase& db, double lat, double lon) {
  const NdbRecord ndb = navdbtest::Ndb("ZH", 316.0f);
  EXPECT_TRUE(navdbtest::AddPointAt(db, lat, lon, kKindNdb, &ndb));
}

inline int Count(const std::vector<gdi::RecordedCall>& calls, gdi::Op op, size_t points = 0) {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const gdi::RecordedCall& c) {
    return c.op == op && (points == 0 || c.points.size() == points);
  }));
}

inline const gdi::RecordedCall* FirstOf(const std::vector<gdi::RecordedCall>& calls, gdi::Op op) {
  for (const gdi::RecordedCall& c : calls) {
    if (c.op == op) return &c;
  }
  return nullptr;
}

}  // namespace maptest
