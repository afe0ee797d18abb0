// The information dialogs of the route modules, opened through the host's options call.
#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/stattext.h>

#include <string>

#include "planexport/common/testing/DialogDriver.h"
#include "planexport/common/testing/ModuleHarness.h"
#include "planexport/common/window/AboutDialog.h"

namespace {

using namespace flpxtest;

// OK by its button; Cancel as the Escape key and the close box send it, the dialog having no
// Cancel button.
void Answer(wxDialog& dialog, int id) {
  if (id == wxID_CANCEL) {
    dialog.Close();
    return;
  }
  wxWindow* button = dialog.FindWindow(id);
  if (!button) {
    ADD_FAILURE() << "no button " << id;
    dialog.EndModal(0);
    return;
  }
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(click);
}

TEST(AboutDialog, ShowsWhatEachModuleExportsAndLeavesNothingBehind) {
  struct Case {
    const char* module;
    const char* caption;
    const char* firstItem;
    const char* lastItem;
  };
  const Case cases[] = {
      {NETPLANA_MODULE, "Netplana Export Informations", "Departure Aerodrome", "Total EET"},
      {NETPLANB_MODULE, "Netplanb Export Informations", "Departure Aerport", "Route"},
      {OPSPLAN_MODULE, "Opsplan Export Informations", "Departure Aerport", "EET"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    ModuleSimroot root("about", c.module);
    const size_t windows = WindowsLeft();
    for (int button : {wxID_OK, wxID_CANCEL}) {
      std::string caption, text;
      bool answered = false;
      WhenModal([&](wxDialog& d) {
        answered = true;
        caption = d.GetTitle().utf8_string();
        auto* label = dynamic_cast<wxStaticText*>(d.FindWindow(kAboutTextId));
        if (label) text = label->GetLabel().utf8_string();
        Answer(d, button);
      });
      EXPECT_EQ(root.Configure(), FlpxCallResult::Done);
      EXPECT_TRUE(answered);
      EXPECT_EQ(caption, c.caption);
      EXPECT_EQ(text.rfind("This Module exports only:\n  - " + std::string(c.firstItem) + "\n", 0), 0u) << text;
      EXPECT_NE(text.find("  - " + std::string(c.lastItem) + "\n\n"), std::string::npos) << text;
      EXPECT_EQ(WindowsLeft(), windows) << "no module window left behind";
      EXPECT_FALSE(std::filesystem::exists(root.Ini())) << "the dialog stores nothing";
    }
  }
}

}  // namespace
