// The tool bars and menus as a pilot reads them in the stand-in simulator, by the real pointer
// and keys only: every button shows an image of its own, the pointer resting on a button of
// either bar brings its tip and its status-line text, and a highlighted menu item says on the
// status line what it does.
#include <gtest/gtest.h>
#include <wx/button.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/CommandIds.h"
#include "plotr/map/ToolImages.h"
#include "plotr/map/window/MapParentView.h"
#include "plotr/map/window/ScenView.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/shell/window/MenuViews.h"
#include "plotr/shell/window/ToolBarEx.h"
#include "plotr/sim/FmsPanel.h"
#include "plotr/sim/window/FmsView.h"

namespace {

using live::FindWindowOf;
using live::PumpUntil;

class LiveToolBar : public live::LivePlanner {
 protected:
  LiveToolBar() { deadlineSeconds = 60; }

  void SetUp() override {
    LivePlanner::SetUp();
    if (HasFatalFailure()) return;
    auto* pane = dynamic_cast<CScenParentView*>(Pane(PaneSlot::Map));
    ASSERT_NE(pane, nullptr);
    mapBar = pane->GetMapView()->ToolBar();
    mainBar = main->GetToolBar();
    ASSERT_NE(mapBar, nullptr);
    ASSERT_NE(mainBar, nullptr);
  }

  static wxPoint ButtonOf(const CToolBarEx* bar, int command) {
    for (int y = 0; y < bar->GetClientSize().y; ++y)
      for (int x = 0; x < bar->GetClientSize().x; ++x)
        if (bar->CommandAt({x, y}) == command) return {x + 6, y + 6};
    ADD_FAILURE() << "no button " << command;
    return {};
  }

  wxString StatusText() const { return main->GetStatusBar()->GetStatusText(0); }

  CToolBarEx* mainBar = nullptr;
  CToolBarEx* mapBar = nullptr;
};

TEST_F(LiveToolBar, ThePointerRestingOnAButtonBringsItsTipAndStatusText) {
  // Under GDK_SCALE=2 the same test shows the bars at twice the scale.
  live::SaveScreenshot("toolbars-" + std::to_string(static_cast<int>(mainBar->GetContentScaleFactor())) + "x");
  struct Case {
    const char* name;
    bool mapBar;
    int command;
    const char* status;
    const char* tip;
  } cases[] = {
      {"cruise", false, cmd::kCruise, "Change the cruise altitude and speed", "Cruise Altitude/Speed"},
      {"open", false, cmd::kFileOpen, "Open an existing flightplan", "Open"},
      {"vor", true, 32806, "Show the VORs", "VOR"},
  };
  // Away from every button the status line shows what it showed before.
  const wxPoint away = live::Centre(Pane(PaneSlot::PlanTable));
  live::MoveTo(Pane(PaneSlot::PlanTable), away);
  const wxString before = StatusText();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CToolBarEx* bar = c.mapBar ? mapBar : mainBar;
    live::MoveTo(bar, ButtonOf(bar, c.command));
    EXPECT_TRUE(PumpUntil([&] { return StatusText() == c.status; }, 3000)) << StatusText();
    EXPECT_EQ(bar->GetToolTipText(), c.tip);
    live::MoveTo(Pane(PaneSlot::PlanTable), away);
    EXPECT_TRUE(PumpUntil([&] { return StatusText() == before; }, 3000)) << StatusText();
  }
}

// Steps run one after the other inside the popup's own loop, each once the one before is over.
struct PopupScript {
  std::vector<std::function<bool()>> steps;  // true: done, go on
  size_t next = 0;
  int triesLeft = 200;
  void operator()() {
    if (next >= steps.size()) return;
    if (steps[next]()) {
      ++next;
      triesLeft = 200;
    } else if (--triesLeft == 0) {
      // Whatever failed, the popup must not stay up.
      live::SendNamedKeyNow("Escape");
      return;
    }
    live::After(30, *this);
  }
};

TEST_F(LiveToolBar, AHighlightedMenuItemSaysWhatItDoes) {
  auto* menuView = FindWindowOf<CMenuView>(main);
  ASSERT_NE(menuView, nullptr);
  auto* pane = dynamic_cast<CScenParentView*>(Pane(PaneSlot::Map));
  auto* fms = dynamic_cast<CFMSView*>(pane->GetPage(2));
  ASSERT_NE(fms, nullptr);
  struct Case {
    const char* name;
    std::function<void()> open;
    std::vector<wxString> texts;  // of the first items, highlighted one after the other
  } cases[] = {
      {"the Plan menu", [&] { live::Click(menuView->Buttons().front()); },
       {"Create a new flightplan", "Open an existing flightplan"}},
      {"the FMS panel's mode menu",
       [&] {
         live::Click(pane->GetTabs(), pane->GetTabs()->TabRect(2).GetPosition() + wxPoint(6, 6));
         ASSERT_TRUE(PumpUntil([&] { return fms->IsShownOnScreen(); }));
         ASSERT_TRUE(live::WaitUntilLaidOut(fms));
         wxPoint mode(-1, -1);
         for (int y = 0; y < fms->GetClientSize().y && mode.x < 0; y += 2)
           for (int x = 0; x < fms->GetClientSize().x && mode.x < 0; x += 2)
             if (fms->CellAt({x, y}) == fms::kMode1Cell) mode = {x + 2, y + 2};
         ASSERT_GE(mode.x, 0);
         live::Click(fms, mode, wxMOUSE_BTN_RIGHT);
       },
       {"Change the FMS settings"}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    const wxString before = StatusText();
    std::vector<wxString> seen;
    PopupScript script;
    script.steps.push_back([] { return live::KeyboardGrabbed(); });
    for (const wxString& text : c.texts) {
      script.steps.push_back([] {
        live::SendNamedKeyNow("Down");
        return true;
      });
      script.steps.push_back([this, &seen, text] {
        if (StatusText() != text) return false;
        seen.push_back(text);
        return true;
      });
    }
    script.steps.push_back([&c] {
      live::SaveScreenshot(std::string("menu-status-line-") + (c.texts.size() > 1 ? "plan" : "fms"));
      return true;
    });
    script.steps.push_back([] {
      live::SendNamedKeyNow("Escape");
      return true;
    });
    live::After(50, script);
    c.open();
    ASSERT_TRUE(PumpUntil([] { return !live::KeyboardGrabbed(); }, 15000));
    EXPECT_EQ(seen, c.texts);
    // The closed menu gives the status line back.
    EXPECT_TRUE(PumpUntil([&] { return StatusText() == before; }, 3000)) << StatusText();
  }
}

TEST_F(LiveToolBar, EveryButtonShowsAnImageOfItsOwnSharpAtTwiceTheScale) {
  std::vector<wxImage> seen;
  for (CToolBarEx* bar : {mainBar, mapBar}) {
    for (size_t i = 0; i < bar->Items().size(); ++i) {
      const ToolItem& item = bar->Items()[i];
      if (item.separator) continue;
      SCOPED_TRACE(item.command);
      const wxBitmapBundle& bundle = bar->ImageOf(i);
      ASSERT_TRUE(bundle.IsOk());
      const wxSize size = bundle.GetDefaultSize();
      EXPECT_LE(size.x, 16);
      EXPECT_LE(size.y, 16);
      const wxBitmap one = bundle.GetBitmap(size), two = bundle.GetBitmap(size * 2);
      ASSERT_TRUE(one.IsOk() && two.IsOk());
      EXPECT_EQ(two.GetSize(), size * 2);
      // The planner's own images are drawn again at twice the scale, not enlarged.
      if (const std::optional<ToolImage> drawn = MapToolImage(item.command, size.x * 2, size.y * 2, 2)) {
        const wxImage large = two.ConvertToImage();
        int differing = 0;
        for (int y = 0; y < large.GetHeight(); ++y)
          for (int x = 0; x < large.GetWidth(); ++x) {
            const uint8_t* p = &drawn->rgba[(static_cast<size_t>(y) * drawn->width + x) * 4];
            const bool inkHere = large.HasAlpha() ? large.GetAlpha(x, y) != 0 : true;
            if (inkHere != (p[3] != 0) || (inkHere && (large.GetRed(x, y) != p[0] || large.GetGreen(x, y) != p[1] ||
                                                       large.GetBlue(x, y) != p[2])))
              ++differing;
          }
        EXPECT_EQ(differing, 0) << "the twice-size image is not the one drawn at that scale";
      }
      // Ink: pixels that are neither transparent nor all one colour.
      const wxImage image = one.ConvertToImage();
      std::set<unsigned long> colours;
      for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
          if (!image.HasAlpha() || image.GetAlpha(x, y) > 0)
            colours.insert((static_cast<unsigned long>(image.GetRed(x, y)) << 16) | (image.GetGreen(x, y) << 8) |
                           image.GetBlue(x, y));
      EXPECT_GE(colours.size(), 1u) << "no ink";
      for (const wxImage& other : seen) {
        const bool same = other.GetSize() == image.GetSize() &&
                          std::equal(image.GetData(), image.GetData() + image.GetWidth() * image.GetHeight() * 3,
                                     other.GetData()) &&
                          (!image.HasAlpha() || !other.HasAlpha() ||
                           std::equal(image.GetAlpha(), image.GetAlpha() + image.GetWidth() * image.GetHeight(),
                                      other.GetAlpha()));
        EXPECT_FALSE(same) << "two buttons show the same image";
      }
      seen.push_back(image);
    }
  }
}

}  // namespace
