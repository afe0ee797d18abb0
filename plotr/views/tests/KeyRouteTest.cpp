// The key table of the views and the search pane's controls.

#include "plotr/views/KeyRoute.h"

#include <gtest/gtest.h>

namespace {

using namespace keys;

TEST(KeyRoute, EachControlKeepsOnlyTheKeysItNeeds) {
  constexpr Route F{true, false}, H{false, true}, B{true, true};
  struct Case {
    const char* what;
    Control control;
    Key key;
    bool docked, shift, ctrl, readOnly;
    Route route;
  } cases[] = {
      {"cancel always goes", Control::kNavListBox, Key::kCancel, true, false, false, false, F},
      {"floating arrows leave the button", Control::kNavButton, Key::kNavigation, false, false, false, false, F},
      {"docked arrows stay with the button", Control::kNavButton, Key::kNavigation, true, false, false, false, H},
      {"space toggles the button", Control::kNavButton, Key::kSpace, false, false, false, false, H},
      {"letters pass the button", Control::kNavButton, Key::kOther, false, false, false, false, B},
      {"letters on the passive edit are forwarded", Control::kNavEdit, Key::kOther, true, false, false, true, B},
      {"letters on the editing edit are typed", Control::kNavEdit, Key::kOther, false, false, false, false, H},
      {"floating arrows leave the passive edit", Control::kNavEdit, Key::kNavigation, false, false, false, true, F},
      {"shift enter leaves the floating passive edit", Control::kNavEdit, Key::kEnter, false, true, false, true, F},
      {"enter makes the passive edit editable", Control::kNavEdit, Key::kEnter, false, false, false, true, H},
      {"list arrows stay", Control::kNavListBox, Key::kNavigation, false, false, false, false, H},
      {"shift enter on the floating list goes and is handled", Control::kNavListBox, Key::kEnter, false, true, false,
       false, B},
      {"enter on the docked list stays", Control::kNavListBox, Key::kEnter, true, true, false, false, H},
      {"ctrl arrows stay in the docked map", Control::kView, Key::kNavigation, true, false, true, false, H},
      {"plain arrows reach the simulator", Control::kView, Key::kNavigation, true, false, false, false, B},
      {"shift backspace from the floating map", Control::kView, Key::kBackspace, false, true, false, false, B},
      {"arrows never leave a browser tree", Control::kBrowser, Key::kNavigation, true, false, false, false, H},
      {"floating arrows stay in a browser tree", Control::kBrowser, Key::kNavigation, false, false, false, false, H},
      {"function keys reach the simulator from a tree", Control::kBrowser, Key::kOther, true, false, false, false, B},
      {"cancel from a tree goes only", Control::kBrowser, Key::kCancel, true, false, false, false, F},
      {"shift enter from a floating tree", Control::kBrowser, Key::kEnter, false, true, false, false, B},
      {"enter in a docked tree stays", Control::kBrowser, Key::kEnter, true, true, false, false, H},
  };
  for (const Case& c : cases) EXPECT_EQ(c.route, RouteKey(c.control, c.key, c.docked, c.shift, c.ctrl, c.readOnly)) << c.what;
}

}  // namespace
