// Choosing a navigation database that does not load, as a pilot does it in the stand-in
// simulator: from Options > Scenery Open... and at the planner's first show with the broken one
// remembered. The reason shows in a box, the database in use stays loaded and remembered, and the
// views keep what they show.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/vlbox.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "platform/profile/Profile.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/Settings.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/shell/window/MenuViews.h"
#include "plotr/shell/window/PlanUiWx.h"
#include "tools/sample-simroot/SampleSimRoot.h"

namespace fs = std::filesystem;

namespace {

using live::Click;
using live::FindWindowOf;
using live::Key;
using live::PumpUntil;

// What the loader says of a string file cut to one byte.
constexpr char kCutReason[] = "string file is shorter than its header";

std::string LastScenery() { return profile::GetString(g_Settings.GetProfileFile(), "Settings", "LastScenery", ""); }

std::string LoadedName() {
  DatabaseLease lease;
  return lease.Database().m_name1;
}

int LoadedAirports() {
  DatabaseLease lease;
  return lease.Database().m_airports.GetSize();
}

// The texts of a dialog's labels, one after the other.
std::string Labels(wxWindow* dialog) {
  std::string text;
  for (wxWindow* child : dialog->GetChildren())
    if (auto* label = dynamic_cast<wxStaticText*>(child)) text += label->GetLabel().utf8_string() + "\n";
  return text;
}

// In the database dialog on the screen: the entry with this first name clicked, then OK.
void ChooseInDialog(CDlgOpenScenery& dialog, const std::string& name1) {
  ASSERT_TRUE(PumpUntil([&] { return dialog.IsShownOnScreen(); }));
  ASSERT_TRUE(live::WaitUntilLaidOut(&dialog));
  wxListBox* list = dialog.GetList();
  const int index = list->FindString(wxString::FromUTF8(name1), true);
  ASSERT_NE(index, wxNOT_FOUND) << name1 << " is not offered";
  int y = 1;
  while (y < list->GetClientSize().y && list->HitTest(20, y) != index) ++y;
  Click(list, wxPoint(20, y + 3));
  ASSERT_EQ(list->GetSelection(), index);
  Click(FindWindowOf<wxButton>(&dialog, [](const wxButton& b) { return b.GetId() == wxID_OK; }));
}

CDlgOpenScenery* ShownDatabaseDialog() {
  for (wxWindow* w : wxTopLevelWindows)
    if (auto* dialog = dynamic_cast<CDlgOpenScenery*>(w); dialog != nullptr && w->IsShownOnScreen()) return dialog;
  return nullptr;
}

// A modal dialog on the screen other than the database dialog: the box that follows it.
wxDialog* ShownBox() {
  for (wxWindow* w : wxTopLevelWindows)
    if (auto* d = dynamic_cast<wxDialog*>(w);
        d != nullptr && dynamic_cast<CDlgOpenScenery*>(w) == nullptr && d->IsModal() && d->IsShownOnScreen())
      return d;
  return nullptr;
}

class LiveScenery : public live::LivePlanner {
 protected:
  LiveScenery() { deadlineSeconds = 90; }

  // A database pair beside the sample's whose string file is cut to one byte: its header reads,
  // so it is offered, but it does not load.
  void WriteBrokenPair() {
    const fs::path folder = sampleroot::DatabaseFolder(root);
    ASSERT_TRUE(plantest::WritePlanDatabase(folder.string(), "Broken", "Broken first", "Broken second"));
    std::ofstream(folder / "Broken.001", std::ios::binary | std::ios::trunc) << "x";
  }

  void SearchFor(const std::string& ident) {
    wxWindow* search = Pane(PaneSlot::Search);
    auto* identifiers = FindWindowOf<wxCheckBox>(search);
    auto* edit = FindWindowOf<wxTextCtrl>(search);
    ASSERT_TRUE(identifiers && edit && SearchResults());
    Click(identifiers, wxPoint(identifiers->GetClientSize().x - 8, identifiers->GetClientSize().y / 2));
    ASSERT_TRUE(identifiers->GetValue());
    Click(edit);
    live::Type(ident);
    Key(WXK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return SearchResults()->GetItemCount() > 0; })) << "no search result for " << ident;
  }
  wxVListBox* SearchResults() { return FindWindowOf<wxVListBox>(Pane(PaneSlot::Search)); }
};

TEST_F(LiveScenery, ABrokenDatabaseChosenFromTheMenuIsToldAndTheOneInUseStays) {
  const std::string inUse = LastScenery();
  const std::string name = LoadedName();
  const int airports = LoadedAirports();
  ASSERT_FALSE(inUse.empty());
  ASSERT_GT(airports, 0);
  SearchFor("LSZH");
  const size_t results = SearchResults()->GetItemCount();
  WriteBrokenPair();
  if (HasFatalFailure()) return;

  // The boxes are real here, on the screen, and answered with the mouse.
  ui::SetModalHook(nullptr);
  struct Restore {
    ui::IModalHook* hook;
    ~Restore() { ui::SetModalHook(hook); }
  } restore{&modals};

  std::string boxText;
  bool chosen = false, answered = false;
  // The dialog opens once the popup menu's loop is over, the box once the dialog's is.
  live::AfterUntil([] { return ShownDatabaseDialog() != nullptr; }, [&] {
    CDlgOpenScenery* dialog = ShownDatabaseDialog();
    if (dialog == nullptr) {
      ADD_FAILURE() << "no database dialog";
      answered = true;
      return;
    }
    ChooseInDialog(*dialog, "Broken first");
    chosen = !HasFatalFailure();
    live::AfterUntil([] { return ShownBox() != nullptr; }, [&] {
      if (wxDialog* box = ShownBox()) {
        live::WaitUntilLaidOut(box);
        boxText = Labels(box);
        live::SaveScreenshot("scenery-open-broken");
        Click(FindWindowOf<wxButton>(box));
      }
      answered = true;
    }, 5000);
  });
  auto* menu = FindWindowOf<CMenuView>(main);
  ASSERT_NE(menu, nullptr);
  live::ChooseFromNextPopup('c');
  Click(menu->Buttons().at(2));
  ASSERT_TRUE(PumpUntil([&] { return answered; }, 20000));
  EXPECT_TRUE(chosen);
  EXPECT_NE(boxText.find("\"Broken\" could not be loaded"), std::string::npos) << "the box says: " << boxText;
  EXPECT_NE(boxText.find(kCutReason), std::string::npos) << "the box says: " << boxText;
  EXPECT_EQ(LoadedName(), name);
  EXPECT_EQ(LoadedAirports(), airports);
  EXPECT_EQ(LastScenery(), inUse) << "the broken database is remembered for the next start";
  EXPECT_EQ(SearchResults()->GetItemCount(), results) << "the views were told of a database reload";
}

class LiveSceneryRememberedBroken : public LiveScenery {
 protected:
  // The installation's database stands beside a broken one, which is the one remembered.
  void PrepareInstallation() override {
    WriteBrokenPair();
    for (const fs::directory_entry& file : fs::directory_iterator(sampleroot::DatabaseFolder(root)))
      if (file.path().extension() == ".000" && file.path().stem() != "Broken") sampleTitle = file.path().stem().string();
    ASSERT_FALSE(sampleTitle.empty());
    ASSERT_TRUE(profile::WriteString(sampleroot::ProgramFolder(root) / "Program.cfg", "Settings", "LastScenery", "Broken"));
    // The dialog that follows the box: the user takes the sample's database.
    modals.QueueDriver([this](wxDialog& dialog) {
      boxesBeforeDialog = modals.Boxes().size();
      auto* open = dynamic_cast<CDlgOpenScenery*>(&dialog);
      ASSERT_NE(open, nullptr);
      ASSERT_EQ(open->GetList()->GetCount(), 2u);
      const int sample = open->GetList()->FindString("Broken first") == 0 ? 1 : 0;
      ChooseInDialog(*open, open->GetList()->GetString(sample).utf8_string());
    });
  }
  std::string sampleTitle;
  size_t boxesBeforeDialog = 0;
};

TEST_F(LiveSceneryRememberedBroken, TheFirstShowTellsWhyTheRememberedDatabaseFailedAndAsks) {
  ASSERT_TRUE(PumpUntil([&] { return LoadedAirports() > 0; })) << "no database loaded after the first show";
  const std::vector<std::string> boxes = modals.BoxTexts();
  ASSERT_EQ(boxes.size(), 1u) << "no box, or more than one";
  EXPECT_EQ(boxesBeforeDialog, 1u) << "the reason comes before the question";
  EXPECT_NE(boxes[0].find("\"Broken\" could not be loaded"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find(kCutReason), std::string::npos) << boxes[0];
  EXPECT_EQ(modals.UndrivenDialogs(), 0);
  EXPECT_EQ(LastScenery(), sampleTitle);
}

}  // namespace
