#include <gtest/gtest.h>

#include "platform/ui/StringTable.h"

TEST(StringTable, AnswersThePlatformEntryAndAddedOnes) {
  EXPECT_EQ(ui::LoadString(36871), "4.70");
  EXPECT_FALSE(ui::HasString(999001));
  EXPECT_EQ(ui::LoadString(999001), "");
  ui::AddStrings({{999001, "first"}, {999002, "second"}});
  EXPECT_EQ(ui::LoadString(999001), "first");
  ui::AddStrings({{999001, "replaced"}});
  EXPECT_EQ(ui::LoadString(999001), "replaced");
  EXPECT_EQ(ui::LoadString(999002), "second");
}
