// The export dialog and the modules' options dialogs as windows. Needs a display.
#include "plotr/tools/window/DlgExport.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/timer.h>

#include <filesystem>
#include <functional>

#include "planexport/common/testing/ModuleHarness.h"
#include "platform/profile/Profile.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/window/DlgFile.h"

namespace {

namespace fs = std::filesystem;
using namespace flpxtest;

void Send(wxWindow* control, wxEventType type) {
  wxCommandEvent event(type, control->GetId());
  event.SetEventObject(control);
  if (auto* list = dynamic_cast<wxListBox*>(control)) event.SetInt(list->GetSelection());
  control->GetEventHandler()->ProcessEvent(event);
}

std::vector<std::string> ListItems(const CDlgExport& dialog) {
  auto* list = static_cast<wxListBox*>(dialog.FindWindow(CDlgExport::kFormatList));
  std::vector<std::string> items;
  for (unsigned i = 0; i < list->GetCount(); ++i) items.push_back(list->GetString(i).utf8_string());
  return items;
}

int TopLevelWindows() { return static_cast<int>(wxTopLevelWindows.GetCount()); }

// Acts on the next modal dialog from inside its own loop, as a user would.
class ModalAnswer : public wxTimer {
 public:
  explicit ModalAnswer(std::function<void(wxDialog&)> act) : m_act(std::move(act)) { Start(20); }
  void Notify() override {
    for (wxWindow* w : wxTopLevelWindows) {
      auto* dialog = dynamic_cast<wxDialog*>(w);
      if (!dialog || !dialog->IsModal()) continue;
      Stop();
      caption = dialog->GetTitle().utf8_string();
      m_act(*dialog);
      return;
    }
  }
  std::string caption;

 private:
  std::function<void(wxDialog&)> m_act;
};

class DlgExportTest : public ::testing::Test {
 protected:
  DlgExportTest() : m_settings("dlg_export") {
    // A failed wx check fails the test instead of waiting on an assertion dialog.
    wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& cond, const wxString& msg) {
      ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " " << msg.utf8_string() << " at " << file.utf8_string()
                    << ":" << line;
    });
  }
  plantest::ScopedPlanFolder m_settings;
  plantest::FakePlanUi m_ui;
  int m_plan = 0;
};

TEST_F(DlgExportTest, ListsTheFormatsAndMirrorsTheRules) {
  g_Settings.WriteLastExportModul("GOOD");
  {
    CDlgExport dialog(nullptr, &m_plan, CW_FLPX_FIXTURE_DIR, ScriptedServices(), {&m_ui});
    dialog.Show();
    EXPECT_EQ(ListItems(dialog),
              (std::vector<std::string>{"Exact", "Fails", "Good", "good", "Import short", "Null entries"}));
    auto* list = static_cast<wxListBox*>(dialog.FindWindow(CDlgExport::kFormatList));
    wxWindow* options = dialog.FindWindow(CDlgExport::kFormatOptions);
    wxWindow* ok = dialog.FindWindow(wxID_OK);
    EXPECT_EQ(list->GetSelection(), 2) << "the remembered name, first of the two equal ones";
    EXPECT_TRUE(options->IsEnabled());
    EXPECT_TRUE(ok->IsEnabled());
    EXPECT_FALSE(dialog.FindWindow(CDlgExport::kHelp)->IsEnabled());

    list->SetSelection(5);  // "Null entries": neither entry
    Send(list, wxEVT_LISTBOX);
    EXPECT_FALSE(options->IsEnabled());
    EXPECT_FALSE(ok->IsEnabled());
    Send(list, wxEVT_LISTBOX_DCLICK);
    EXPECT_TRUE(dialog.IsShown()) << "a double click without export entry does nothing";

    list->SetSelection(1);  // "Fails": export only, and it fails
    Send(list, wxEVT_LISTBOX);
    EXPECT_FALSE(options->IsEnabled());
    EXPECT_TRUE(ok->IsEnabled());
    Send(list, wxEVT_LISTBOX_DCLICK);
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(dialog.GetReturnCode(), wxID_OK);
    EXPECT_EQ(m_ui.errors, std::vector<std::string>{"Flight plan export failed."});
    EXPECT_EQ(g_Settings.GetLastExportModul(), "Fails");
  }
  {
    CDlgExport empty(nullptr, &m_plan, (fs::path(CW_FLPX_FIXTURE_DIR) / "none").string(), ScriptedServices(), {&m_ui});
    EXPECT_TRUE(ListItems(empty).empty());
    EXPECT_FALSE(empty.FindWindow(CDlgExport::kFormatOptions)->IsEnabled());
    EXPECT_FALSE(empty.FindWindow(wxID_OK)->IsEnabled());
  }
}

TEST_F(DlgExportTest, ExportsThroughTabtextFromTheModalDialog) {
  ModuleSimroot root("dlg_tabtext", TABTEXT_MODULE);
  ResetScript();
  SetAirport(Script().info.departure, "Zurich", "LSZH", 0, 0, 0, 0, 0);
  SetAirport(Script().info.arrival, "Basel", "LFSB", 0, 0, 0, 0, 0);
  Script().rows = {MakeWaypoint('A', "LSZH", "Zurich"), MakeWaypoint('A', "LFSB", "Basel")};
  Script().savePath = (root.Root() / "plan.txt").string();

  const int windows = TopLevelWindows();
  CDlgExport dialog(nullptr, &Script(), root.Folder().string(), ScriptedServices(), {&m_ui});
  EXPECT_EQ(ListItems(dialog), std::vector<std::string>{"Tabtext"});
  ModalAnswer answer([](wxDialog& d) { Send(d.FindWindow(wxID_OK), wxEVT_BUTTON); });
  EXPECT_EQ(dialog.ShowModal(), wxID_OK);
  EXPECT_EQ(answer.caption, "Export");
  EXPECT_TRUE(fs::exists(root.Root() / "plan.txt"));
  EXPECT_EQ(Script().parentSeen, &dialog) << "the plug-in's dialogs are owned by the export dialog";
  EXPECT_EQ(g_Settings.GetLastExportModul(), "Tabtext");
  EXPECT_TRUE(m_ui.errors.empty());
  EXPECT_EQ(TopLevelWindows(), windows + 1);
}

TEST_F(DlgExportTest, TheDocumentsExportWritesTheRealPlanThroughTheFileDialog) {
  ModuleSimroot root("dlg_document", TABTEXT_MODULE);
  DatabaseLease lease;
  plantest::BuildPlanDatabase(lease.Database());
  CFlightPlanCore plan({&m_ui});
  plan.Clear();
  plan.Push(plantest::TripRoute());
  plan.Rebuild();

  ui::ModalScript script;
  ui::ScopedModalHook hook(script);
  std::string seenFolder;
  script.QueueDriver([](wxDialog& d) { ui::PressButton(d, wxID_OK); });
  script.QueueDriver([&](wxDialog& d) {
    auto& files = dynamic_cast<CDlgFile&>(d);
    seenFolder = files.GetFolder();
    files.ChangeFolder(root.Root().string() + "/");
    files.Accept("trip");
  });
  RunExportDialog(&plan, nullptr, root.Folder().string());
  EXPECT_EQ(script.UndrivenDialogs(), 0);
  EXPECT_TRUE(m_ui.errors.empty());
  EXPECT_TRUE(script.BoxTexts().empty());
  const std::string text = ReadBytes(root.Root() / "trip.txt");
  EXPECT_EQ(text.rfind("#   Type:", 0), 0u) << text;
  EXPECT_NE(text.find("Zurich [LSZH]"), std::string::npos);
  EXPECT_NE(text.find("Arrive:   Basel [LFSB]"), std::string::npos) << text;
  EXPECT_NE(text.find("fuel required)"), std::string::npos);
  EXPECT_EQ(profile::GetString(root.Ini(), "Tabtext", "InitialDir", ""), root.Root().string() + "/");
  EXPECT_FALSE(seenFolder.empty());
  lease.Database().ClearDatabase();
}

TEST_F(DlgExportTest, ModuleOptionsDialogsWriteOnlyOnOk) {
  struct Case {
    const char* module;
    const char* caption;
    int box;
    const char* key;
  };
  const Case cases[] = {{GPSPLAN_MODULE, "Gpsplan Export Options", 1000, "ToFile"},
                        {NETPLANC_MODULE, "Netplanc Export Options", 1000, "CrossingSpeed"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    ModuleSimroot root("dlg_options", c.module);
    const std::string section = fs::path(c.module).stem().string();
    const int windows = TopLevelWindows();

    // Cancel writes nothing.
    {
      ModalAnswer answer([&](wxDialog& d) {
        static_cast<wxCheckBox*>(d.FindWindow(c.box))->SetValue(true);
        Send(d.FindWindow(wxID_CANCEL), wxEVT_BUTTON);
      });
      EXPECT_EQ(root.Configure(), FlpxCallResult::Done);
      EXPECT_EQ(answer.caption, c.caption);
      EXPECT_FALSE(fs::exists(root.Ini()));
    }
    // OK writes every box: the toggled one and the untouched ones.
    bool wasOn = false;
    {
      ModalAnswer answer([&](wxDialog& d) {
        auto* box = static_cast<wxCheckBox*>(d.FindWindow(c.box));
        wasOn = box->GetValue();
        box->SetValue(!wasOn);
        Send(d.FindWindow(wxID_OK), wxEVT_BUTTON);
      });
      EXPECT_EQ(root.Configure(), FlpxCallResult::Done);
    }
    EXPECT_EQ(profile::GetString(root.Ini(), section, c.key, "?"), wasOn ? "0" : "1");
    if (section == "Netplanc") {
      EXPECT_EQ(profile::GetString(root.Ini(), section, "HeadingAfter", "?"), "1");
    }

    wxTheApp->ProcessPendingEvents();
    wxYield();
    EXPECT_EQ(TopLevelWindows(), windows) << "no module window left behind";
  }
}

}  // namespace
