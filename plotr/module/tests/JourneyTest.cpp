// A pilot's whole journey through the planner in the stand-in simulator, by keys and clicks only:
// each step checks what it did to the plan, the files or the screen.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/prntbase.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/vlbox.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanDialogForms.h"
#include "plotr/shell/window/MenuViews.h"
#include "plotr/tools/window/DlgFile.h"

namespace fs = std::filesystem;

namespace {

using live::Click;
using live::FindWindowOf;
using live::Key;
using live::PumpUntil;

wxButton* ButtonOf(wxWindow* root, int id) {
  return FindWindowOf<wxButton>(root, [&](const wxButton& b) { return b.GetId() == id; });
}

// Waits until the dialog a driver got is up on the screen.
void WaitShown(wxDialog& dialog) {
  ASSERT_TRUE(PumpUntil([&] { return dialog.IsShownOnScreen(); }));
  live::Pump(100);
}

class Journey : public live::LivePlanner {
 protected:
  wxListCtrl* PlanList() { return FindWindowOf<wxListCtrl>(Pane(PaneSlot::PlanTable)); }
  int RowCount() { return PlanList()->GetItemCount(); }
  int FocusedRow() { return static_cast<int>(PlanList()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED)); }
  wxPoint RowPoint(int row) {
    wxRect rect;
    PlanList()->GetItemRect(row, rect);
    return wxPoint(rect.x + 40, rect.y + rect.height / 2);
  }

  // Ticks the search pane's "Id" box: the search then looks for identifiers.
  void SearchByIdentifier() {
    auto* identifiers = FindWindowOf<wxCheckBox>(Pane(PaneSlot::Search));
    ASSERT_NE(identifiers, nullptr);
    // The box stands right of its label.
    Click(identifiers, wxPoint(identifiers->GetClientSize().x - 8, identifiers->GetClientSize().y / 2));
    ASSERT_TRUE(identifiers->GetValue()) << "the Id box did not tick";
  }

  // Finds an airport by identifier in the search pane and puts it on the plan from the result
  // list's context menu.
  void AddAirportFromSearch(const std::string& ident) {
    wxWindow* search = Pane(PaneSlot::Search);
    auto* edit = FindWindowOf<wxTextCtrl>(search);
    auto* list = FindWindowOf<wxVListBox>(search);
    ASSERT_TRUE(edit && list);
    Click(edit);
    live::Type(ident);
    Key(WXK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() > 0; })) << "no search result for " << ident;
    const size_t before = PlanIdents().size();
    live::ChooseFromNextPopup('t');
    Click(list, wxPoint(30, 6), wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(PumpUntil([&] { return PlanIdents().size() == before + 1; })) << ident << " not added";
    EXPECT_EQ(PlanIdents().back(), ident);
  }

  // Opens a popup of the menu column (0 Plan, 1 Edit) from its button and picks an item by its
  // underlined letter.
  void Menu(size_t popup, char mnemonic) {
    auto* menu = FindWindowOf<CMenuView>(main);
    ASSERT_NE(menu, nullptr);
    live::ChooseFromNextPopup(mnemonic);
    Click(menu->Buttons().at(popup));
  }
  void PlanMenu(char mnemonic) { Menu(0, mnemonic); }

  // Answers the module's file dialog with a name typed into its name field; `chosen` gets the
  // path the dialog made of it.
  void QueueFileName(const std::string& name, std::string& chosen) {
    modals.QueueDriver([name, &chosen](wxDialog& dialog) {
      WaitShown(dialog);
      live::Type(name);
      Key(WXK_RETURN);
      PumpUntil([&] { return !dialog.IsModal(); }, 2000);
      if (auto* file = dynamic_cast<CDlgFile*>(&dialog)) chosen = file->GetPathName();
    });
  }

  size_t AirwayPoints() {
    std::lock_guard lock(g_DatabaseLock);
    const CRoute* route = Plan().GetCurrent();
    size_t count = 0;
    for (int i = 0; route != nullptr && i < route->GetCount(); ++i)
      if ((*route)[i].flags & kPointAutoRoute) ++count;
    return count;
  }
};

TEST_F(Journey, FromSearchToPrintPreview) {
  // Search with "Id" ticked, each airport onto the plan from the context menu.
  SearchByIdentifier();
  AddAirportFromSearch("LSZH");
  AddAirportFromSearch("LSGG");

  // Plan > Calculate auto route... on low airways.
  modals.QueueDriver([](wxDialog& dialog) {
    WaitShown(dialog);
    auto* low = FindWindowOf<wxRadioButton>(&dialog, [](const wxRadioButton& r) { return r.GetLabel() == "Low altitude Airways"; });
    ASSERT_NE(low, nullptr);
    Click(low);
    Click(ButtonOf(&dialog, wxID_OK));
  });
  PlanMenu('u');
  ASSERT_TRUE(PumpUntil([&] { return AirwayPoints() > 0; }, 10000)) << "no airway route";

  // Save As... asks for a name.
  std::string planFile;
  QueueFileName("journey", planFile);
  PlanMenu('a');
  ASSERT_TRUE(PumpUntil([&] { return fs::path(Document().GetPathName()).filename() == "journey.cwp"; }))
      << "the plan was not saved: " << Document().GetPathName();
  EXPECT_EQ(Document().GetPathName(), planFile);
  EXPECT_GT(fs::file_size(planFile), 0u);

  // Export... as Tabtext.
  std::string exported;
  modals.QueueDriver([](wxDialog& dialog) {
    WaitShown(dialog);
    auto* formats = FindWindowOf<wxListBox>(&dialog);
    ASSERT_NE(formats, nullptr);
    const int tabtext = formats->FindString("Tabtext", false);
    ASSERT_NE(tabtext, wxNOT_FOUND);
    wxRect rect = formats->GetClientRect();
    (void)rect;
    formats->EnsureVisible(tabtext);
    Click(formats, wxPoint(20, 8 + tabtext * (formats->GetCharHeight() + 4)));
    ASSERT_EQ(formats->GetSelection(), tabtext);
    Click(ButtonOf(&dialog, wxID_OK));
  });
  // The plug-in proposes a folder of its own: a name of this run's keeps runs apart.
  QueueFileName("journey-export-" + std::to_string(::getpid()), exported);
  PlanMenu('x');
  ASSERT_TRUE(PumpUntil([&] { return !exported.empty() && fs::exists(exported); })) << "nothing exported: " << exported << " boxes: " << (modals.Boxes().empty() ? std::string() : modals.BoxTexts().front()) << " undriven: " << modals.UndrivenDialogs();
  {
    std::ifstream in(exported);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("LSZH"), std::string::npos);
  }
  fs::remove(exported);

  // Delete after the focus was elsewhere: the plan table is the active view again.
  const int rows = RowCount();
  const size_t points = PlanIdents().size();
  Click(PlanList(), RowPoint(0));
  Click(FindWindowOf<wxTextCtrl>(Pane(PaneSlot::Search)));
  Click(PlanList(), RowPoint(0));
  Key(WXK_DELETE);
  EXPECT_TRUE(PumpUntil([&] { return PlanIdents().size() == points - 1; })) << "Delete did not reach the plan";
  Menu(1, 'u');
  EXPECT_TRUE(PumpUntil([&] { return PlanIdents().size() == points; })) << "Edit > Undo did not undo";
  EXPECT_EQ(RowCount(), rows);

  // The arrow keys move the selection.
  Click(PlanList(), RowPoint(0));
  const int focused = FocusedRow();
  Key(WXK_DOWN);
  EXPECT_EQ(FocusedRow(), focused + 1) << "Down did not move the selection";

  // Print Preview of the plan shows the rows on its page.
  modals.QueueDriver([](wxDialog& dialog) {
    WaitShown(dialog);
    Click(FindWindowOf<wxButton>(&dialog, [](const wxButton& b) { return b.GetLabel() == "&Flightplan"; }));
  });
  PlanMenu('e');
  wxPreviewFrame* preview = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    for (wxWindow* w : wxTopLevelWindows)
      if ((preview = dynamic_cast<wxPreviewFrame*>(w)) != nullptr && w->IsShownOnScreen()) return true;
    return false;
  })) << "no print preview";
  live::Pump(500);
  auto* canvas = FindWindowOf<wxPreviewCanvas>(preview);
  ASSERT_NE(canvas, nullptr);
  const wxImage page = live::GrabScreen(canvas);
  // Text is black strokes on the white page: many short dark runs on a row, where the page's
  // frame and shadow give a few per row at most.
  int strokes = 0;
  for (int y = 0; y < page.GetHeight(); ++y)
    for (int x = 1; x < page.GetWidth(); ++x) {
      const auto dark = [&](int px) { return page.GetRed(px, y) < 96 && page.GetGreen(px, y) < 96 && page.GetBlue(px, y) < 96; };
      if (dark(x) && !dark(x - 1)) ++strokes;
    }
  EXPECT_GT(strokes, 2 * page.GetHeight()) << "the preview page is blank";
  live::SaveScreenshot("journey-preview");
  preview->Close(true);
  live::Pump(100);
}

TEST_F(Journey, SavingAPlanThatIsNoProcedureAsSidStarTellsWhy) {
  // Two airports: no runway end at either end, so the plan is neither a SID nor a STAR.
  SearchByIdentifier();
  AddAirportFromSearch("LSZH");
  AddAirportFromSearch("LSGG");
  PlanMenu('v');  // Save as SID/STAR...
  ASSERT_TRUE(PumpUntil([&] { return !modals.Boxes().empty(); })) << "no message";
  const std::vector<std::string> texts = modals.BoxTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("Use as last SID Waypoint or as first STAR Waypoint only VOR"), std::string::npos)
      << "the box says: '" << texts[0] << "'";
  EXPECT_EQ(modals.UndrivenDialogs(), 0) << "the refused plan opens no save dialog";
}

TEST_F(Journey, AProfileSavedUnderAnotherCaseOfItsNameIsListedOnce) {
  // Profiles are one per name whatever its letter case: saving "CESSNA..." over "Cessna..."
  // renames the listed entry, it does not add a second one.
  bool driven = false;
  modals.QueueDriver([&](wxDialog& dialog) {
    WaitShown(dialog);
    auto* names = FindWindowOf<wxComboBox>(&dialog, [](const wxComboBox& c) { return c.GetId() == AircraftForm::kIdName; });
    ASSERT_NE(names, nullptr);
    const unsigned before = names->GetCount();
    ASSERT_GT(before, 0u) << "no seeded profiles";
    const std::string listed = names->GetString(0).utf8_string();
    const std::string shouted = wxString::FromUTF8(listed).Upper().utf8_string();
    ASSERT_NE(listed, shouted);
    Click(names);
    Key('A', wxMOD_CONTROL);
    live::Type(shouted);
    ASSERT_TRUE(PumpUntil([&] { return names->GetValue().utf8_string() == shouted; })) << names->GetValue();
    Click(ButtonOf(&dialog, AircraftForm::kIdSave));
    PumpUntil([&] { return names->FindString(shouted, true) != wxNOT_FOUND; }, 2000);
    live::SaveScreenshot("aircraft-saved-in-capitals");
    EXPECT_EQ(names->GetValue().utf8_string(), shouted) << "the saved name stays in the field";
    EXPECT_TRUE(ButtonOf(&dialog, AircraftForm::kIdDelete)->IsEnabled()) << "the saved profile can be deleted";
    EXPECT_EQ(names->GetCount(), before);
    EXPECT_NE(names->FindString(shouted, true), wxNOT_FOUND);
    EXPECT_EQ(names->FindString(listed, true), wxNOT_FOUND) << "the old spelling is still listed";
    Key(WXK_ESCAPE);
    driven = true;
  });
  PlanMenu('c');  // Aircraft...
  ASSERT_TRUE(PumpUntil([&] { return driven; }, 20000));
  EXPECT_EQ(modals.UndrivenDialogs(), 0);
}

}  // namespace
