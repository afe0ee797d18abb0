#include <gtest/gtest.h>

#include "plotr/shell/ToolBarLayout.h"

namespace {

std::vector<ToolItem> Items(std::initializer_list<int> commands) {
  std::vector<ToolItem> items;
  for (int c : commands) {
    ToolItem item;
    item.command = c;
    item.separator = c == 0;
    items.push_back(item);
  }
  return items;
}

TEST(ToolBarLayout, ButtonsAreSevenWiderAndSixHigherThanTheirImages) {
  EXPECT_EQ(ButtonSizeForImage(16, 15), (ToolBarSize{23, 21}));
  EXPECT_EQ(ButtonSizeForImage(10, 9), (ToolBarSize{17, 15}));
}

TEST(ToolBarLayout, WrappingSeparatorAddsTwoThirdsOfItsWidth) {
  auto items = Items({1, 2, 0, 3});
  const ToolBarSize button{23, 21};
  EXPECT_EQ(CalcToolBarSize(items, button), (ToolBarSize{23 * 3 + 8, 21}));
  items[2].wrap = true;
  // The row after the separator starts 21 + 5 + 3 down; the measured height gains 5 at the
  // separator.
  EXPECT_EQ(CalcToolBarSize(items, button), (ToolBarSize{46, 21 + 5 + 3 + 21}));
  auto alone = Items({1, 0});
  alone[1].wrap = true;
  EXPECT_EQ(CalcToolBarSize(alone, button).cy, 21 + 5);
}

TEST(ToolBarLayout, WrapsAtTheRowsLastSeparatorElseAfterItsLastButton) {
  const ToolBarSize button{23, 21};
  auto items = Items({1, 2, 0, 3, 4, 5});
  EXPECT_EQ(WrapToolBar(items, 100, button), 2);
  EXPECT_TRUE(items[2].wrap);
  auto plain = Items({1, 2, 3, 4});
  EXPECT_EQ(WrapToolBar(plain, 50, button), 2);
  EXPECT_TRUE(plain[1].wrap);
  EXPECT_EQ(WrapToolBar(plain, 1000, button), 1);
  for (const ToolItem& i : plain) EXPECT_FALSE(i.wrap);
  // Narrower than one button: every button its own row.
  EXPECT_EQ(WrapToolBar(plain, 10, button), 4);
  // A separator that does not fit ends its own row, rather than starting the next one alone.
  auto column = Items({1, 0, 2, 3, 0, 4});
  EXPECT_EQ(WrapToolBar(column, 23, button), 4);
  EXPECT_TRUE(column[1].wrap);
  EXPECT_TRUE(column[2].wrap);
  EXPECT_TRUE(column[4].wrap);
  EXPECT_EQ(CalcToolBarSize(column, button), (ToolBarSize{23, 4 * 21 + 2 * 8}));
}

}  // namespace
