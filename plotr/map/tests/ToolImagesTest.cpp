#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "plotr/core/CommandIds.h"
#include "plotr/map/ToolImages.h"

namespace {

// Every planner command whose button shows something of the map.
std::vector<int> DrawnCommands() {
  std::vector<int> commands = {cmd::kAircraft, cmd::kCruise, cmd::kCalcAutoRoute, cmd::kRemoveAutoRoute,
                               cmd::kToggleDocked};
  for (int c = 32801; c <= cmd::kLastMapCommand; ++c) commands.push_back(c);
  return commands;
}

// The image as a mask of inked pixels: two buttons that differ only in the shade of one
// colour would still be told apart by a pilot only with difficulty.
std::vector<bool> InkMask(const ToolImage& image) {
  std::vector<bool> mask;
  for (size_t i = 3; i < image.rgba.size(); i += 4) mask.push_back(image.rgba[i] != 0);
  return mask;
}

TEST(ToolImagesTest, EveryPlannerButtonHasAnImageOfItsOwnAtBothScales) {
  std::map<int, ToolImage> images;
  for (int command : DrawnCommands()) {
    SCOPED_TRACE(command);
    const std::optional<ToolImage> one = MapToolImage(command, 16, 15, 1);
    const std::optional<ToolImage> two = MapToolImage(command, 32, 30, 2);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->width, 16);
    EXPECT_EQ(one->height, 15);
    EXPECT_EQ(two->width, 32);
    EXPECT_EQ(two->height, 30);
    EXPECT_TRUE(HasInk(*one));
    EXPECT_TRUE(HasInk(*two));
    // Not a blot either: some of the button's face shows through.
    const std::vector<bool> mask = InkMask(*one);
    EXPECT_LT(std::count(mask.begin(), mask.end(), true), 16 * 15 * 9 / 10);
    images[command] = *one;
  }
  for (auto a = images.begin(); a != images.end(); ++a) {
    for (auto b = std::next(a); b != images.end(); ++b) {
      EXPECT_NE(a->second.rgba, b->second.rgba) << a->first << " and " << b->first << " look the same";
    }
  }
}

TEST(ToolImagesTest, TheTwiceSizeImageIsTheSamePictureDrawnFiner) {
  // At twice the scale the scene keeps its place: the ink of the 2x image, halved, lands
  // where the 1x image has ink.
  for (int command : {32805, 32806, cmd::kAircraft}) {
    SCOPED_TRACE(command);
    const ToolImage one = *MapToolImage(command, 16, 15, 1);
    const ToolImage two = *MapToolImage(command, 32, 30, 2);
    int near = 0, total = 0;
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 32; ++x) {
        if (two.rgba[(static_cast<size_t>(y) * 32 + x) * 4 + 3] == 0) continue;
        ++total;
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy)
          for (int dx = -1; dx <= 1 && !found; ++dx) {
            const int ox = x / 2 + dx, oy = y / 2 + dy;
            found = ox >= 0 && oy >= 0 && ox < 16 && oy < 15 && one.rgba[(static_cast<size_t>(oy) * 16 + ox) * 4 + 3] != 0;
          }
        near += found ? 1 : 0;
      }
    }
    ASSERT_GT(total, 0);
    EXPECT_GT(near * 10, total * 9);
  }
}

TEST(ToolImagesTest, TheZoomCommandsHaveMagnifiersThatDifferWhereThePlusHasItsUpright) {
  const ToolImage in = *FallbackToolImage(cmd::kZoomIn, 16, 15, 1), out = *FallbackToolImage(cmd::kZoomOut, 16, 15, 1);
  EXPECT_TRUE(HasInk(in));
  EXPECT_NE(in.rgba, out.rgba);
  EXPECT_EQ(FallbackToolImage(cmd::kZoomIn, 32, 30, 2)->width, 32);
  EXPECT_FALSE(FallbackToolImage(cmd::kFileNew, 16, 15, 1));
}

TEST(ToolImagesTest, CommandsOutsideThePlannersOwnHaveNoDrawnImage) {
  for (int command : {cmd::kFileNew, cmd::kEditCut, cmd::kAppAbout, 0, -1}) EXPECT_FALSE(MapToolImage(command, 16, 15, 1));
  EXPECT_FALSE(MapToolImage(32806, 0, 15, 1));
}

}  // namespace
