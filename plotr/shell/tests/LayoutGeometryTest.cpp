#include <gtest/gtest.h>

#include "plotr/shell/FloatGeometry.h"
#include "plotr/shell/SplitLayout.h"

namespace {

std::vector<int> Currents(const std::vector<SplitSpan>& spans) {
  std::vector<int> c;
  for (const SplitSpan& s : spans) c.push_back(s.current);
  return c;
}

TEST(SplitLayout, SpansTakeTheirIdealAndTheLastTheRest) {
  std::vector<SplitSpan> spans{{50, 100, 0}, {90, 180, 0}, {0, 0, 0}};
  LayoutSpans(spans, 600, 6);
  EXPECT_EQ(Currents(spans), (std::vector<int>{100, 180, 600 - 100 - 180 - 12}));
}

TEST(SplitLayout, IdealBelowMinimumCollapses) {
  std::vector<SplitSpan> spans{{50, 40, 0}, {0, 0, 0}};
  LayoutSpans(spans, 300, 6);
  EXPECT_EQ(Currents(spans), (std::vector<int>{0, 294}));
}

TEST(SplitLayout, ShortOfRoomTheFirstShrinksAndLaterOnesBelowTheirMinimumCollapse) {
  std::vector<SplitSpan> spans{{10, 500, 0}, {90, 180, 0}, {0, 0, 0}};
  LayoutSpans(spans, 300, 6);
  EXPECT_EQ(Currents(spans), (std::vector<int>{300, 0, 0}));
  std::vector<SplitSpan> none{{10, 100, 0}, {0, 0, 0}};
  LayoutSpans(none, 0, 6);
  EXPECT_EQ(Currents(none), (std::vector<int>{0, 0}));
}

TEST(SplitLayout, ModeOneLetsTheFirstSpanAbsorbTheChange) {
  std::vector<SplitSpan> spans{{0, 100, 100}, {0, 200, 200}, {0, 88, 88}};
  ResizeSpans(spans, 1, 400, 450, 6);
  LayoutSpans(spans, 450, 6);
  EXPECT_EQ(Currents(spans), (std::vector<int>{150, 200, 88}));
  // Narrowing shrinks the first down to 0 before any other.
  ResizeSpans(spans, 1, 450, 320, 6);
  LayoutSpans(spans, 320, 6);
  EXPECT_EQ(Currents(spans), (std::vector<int>{20, 200, 88}));
  ResizeSpans(spans, 1, 320, 250, 6);
  LayoutSpans(spans, 250, 6);
  EXPECT_EQ(Currents(spans)[0], 0);
  EXPECT_EQ(Currents(spans)[2], 88);
}

TEST(SplitLayout, ModeTwoKeepsShares) {
  std::vector<SplitSpan> spans{{0, 100, 100}, {0, 0, 300}};
  ResizeSpans(spans, 2, 400, 600, 6);
  EXPECT_EQ(spans[0].ideal, 150);
  EXPECT_EQ(spans[1].ideal, 0);
  std::vector<SplitSpan> untouched{{0, 100, 100}, {0, 0, 300}};
  ResizeSpans(untouched, 2, 400, 0, 6);
  EXPECT_EQ(untouched[0].ideal, 100);
}

TEST(FloatGeometry, HitCodesOverTheOwnNonClientArea) {
  const FloatFrameStyle style;
  const FloatMetrics m;  // frame 4, border 1, buttons 14 x 12
  const FloatRect client = FloatClientRect(200, 150, style, m);
  EXPECT_EQ(client, (FloatRect{4, 16, 196, 146}));
  struct Case {
    int x, y, hit;
  } cases[] = {
      {-1, 5, kHitNowhere}, {100, 100, kHitClient}, {1, 1, kHitTopLeft}, {100, 1, kHitTop},
      {198, 1, kHitTopRight}, {1, 80, kHitLeft}, {198, 80, kHitRight}, {100, 148, kHitBottom},
      {1, 148, kHitBottomLeft}, {198, 148, kHitBottomRight}, {190, 8, kHitClose}, {174, 8, kHitMaximize},
      {158, 8, kHitMinimize}, {80, 8, kHitCaption},
  };
  for (const Case& c : cases) EXPECT_EQ(FloatHitTest(c.x, c.y, 200, 150, client, style, m), c.hit) << c.x << "," << c.y;
  FloatFrameStyle moves = style;
  moves.frameMoves = true;
  EXPECT_EQ(FloatHitTest(1, 80, 200, 150, client, moves, m), kHitCaption);
  FloatFrameStyle sides = style;
  sides.sidesOnly = true;
  EXPECT_EQ(FloatHitTest(1, 1, 200, 150, client, sides, m), kHitTop);
}

TEST(FloatGeometry, PlacementIsAtLeast100AndInsideTheNearestWorkArea) {
  const std::vector<FloatRect> one{{0, 0, 1280, 1000}};
  EXPECT_EQ(FitPlacement({10, 10, 60, 60}, one), (FloatRect{10, 10, 110, 110}));
  EXPECT_EQ(FitPlacement({1250, 980, 1600, 1330}, one), (FloatRect{930, 650, 1280, 1000}));
  // A second monitor that is gone: the window lands on the one left.
  EXPECT_EQ(FitPlacement({2000, 100, 2350, 450}, one), (FloatRect{930, 100, 1280, 450}));
  // Larger than the work area: cut to it.
  EXPECT_EQ(FitPlacement({0, 0, 3000, 3000}, one), (FloatRect{0, 0, 1280, 1000}));
  const std::vector<FloatRect> two{{0, 0, 1000, 800}, {1000, 0, 2000, 800}};
  EXPECT_EQ(FitPlacement({1500, 700, 1700, 900}, two), (FloatRect{1500, 600, 1700, 800}));
}

}  // namespace

TEST(SplitLayout, KeysGoToTheSimulatorExceptNavigation) {
  struct Case {
    SplitKey key;
    bool floating, shift, forward, handle;
  } cases[] = {
      {SplitKey::kCancel, false, false, true, false},      {SplitKey::kNavigation, true, true, false, true},
      {SplitKey::kReturnOrBack, true, true, true, true},   {SplitKey::kReturnOrBack, false, true, false, true},
      {SplitKey::kReturnOrBack, true, false, false, true}, {SplitKey::kOther, false, false, true, true},
  };
  for (const Case& c : cases) {
    const SplitKeyRoute r = RouteSplitKey(c.key, c.floating, c.shift);
    EXPECT_EQ(c.forward, r.forward) << static_cast<int>(c.key) << c.floating << c.shift;
    EXPECT_EQ(c.handle, r.handle) << static_cast<int>(c.key) << c.floating << c.shift;
  }
}
