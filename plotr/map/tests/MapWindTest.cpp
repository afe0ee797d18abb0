#include <gtest/gtest.h>

#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapWind.h"

namespace {

TEST(MapWind, TextRoundsDirectionAndSpeed) {
  EXPECT_EQ(FormatWindText(12.6, 5.4), "Wind: 005\xB0/13");
  EXPECT_EQ(FormatWindText(200, 360), "Wind: 360\xB0/200");
}

TEST(MapWind, SizeFitsTheWidestTextWhateverIsShown) {
  gdi::RecordingDc dc;
  dc.SelectFont(gdi::Font{"Arial", 120, 400, false, false});
  const gdi::TextMetrics m = dc.GetTextMetrics();
  const auto extent = [&](std::string_view text) { return dc.GetTextExtent(text); };
  const gdi::Size size = WindIndicatorSize(extent, m.aveCharWidth);
  // "Wind: 360°/200" is 14 characters.
  EXPECT_EQ(size, (gdi::Size{14 * m.aveCharWidth + m.aveCharWidth + 2, m.height + 2}));
  dc.SelectFont(gdi::Font{"Arial", 240, 400, false, false});
  EXPECT_GT(WindIndicatorSize(extent, dc.GetTextMetrics().aveCharWidth).cx, size.cx);
}

}  // namespace
