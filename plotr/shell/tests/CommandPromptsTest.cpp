#include <gtest/gtest.h>

#include <string>

#include "platform/ui/StringTable.h"
#include "plotr/core/CommandPrompts.h"
#include "plotr/shell/MenuResource.h"

namespace {

// Every item of the menu bar says on the status line what it does, in one line before its tip.
TEST(CommandPromptsTest, EveryMenuBarItemHasAStatusLineText) {
  AddCommandPrompts();
  for (const MenuPopupDef& popup : ModuleMenu()) {
    for (const MenuItemDef& item : popup.items) {
      if (item.id == 0) continue;
      SCOPED_TRACE(std::string(popup.title) + " " + item.text);
      const std::string text = ui::LoadString(static_cast<unsigned>(item.id));
      const std::string status = text.substr(0, text.find('\n'));
      EXPECT_FALSE(status.empty());
      EXPECT_EQ(status.find_first_of("&\t"), std::string::npos) << status;
    }
  }
}

}  // namespace
