// The older simulators' multiplayer wizard as a pilot meets it: opened from the planner's Options
// menu inside a simulator of the generation before last, driven by mouse clicks and typed keys
// only, against the stand-in simulator's session host on loopback. The session page keeps its
// Back, Finish and Cancel buttons in reach of the mouse and its password box clear of the list,
// and the player name is stored only when the wizard finishes.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/wizard.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "platform/dplay/Config.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "platform/profile/Profile.h"
#include "plotr/core/Settings.h"
#include "plotr/module/tests/rig/LivePlanner.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/shell/window/MenuViews.h"
#include "simhost/MultiplayerHost.h"

namespace {

using live::Click;
using live::FindWindowOf;
using live::Key;
using live::PumpUntil;

constexpr int kWizardName = 8226;
constexpr int kWizardAddress = 8230;
constexpr int kWizardSessions = 8232;
constexpr int kWizardPassword = 8234;
constexpr char kPassword[] = "secret";

wxWizard* OpenWizard() {
  for (wxWindow* w : wxTopLevelWindows)
    if (auto* wizard = dynamic_cast<wxWizard*>(w); wizard != nullptr && wizard->IsShownOnScreen()) return wizard;
  return nullptr;
}

template <class T>
T* ById(wxWindow* root, int id) {
  return FindWindowOf<T>(root, [id](const T& w) { return w.GetId() == id; });
}

wxRect ScreenRect(const wxWindow* w) { return wxRect(w->GetScreenPosition(), w->GetSize()); }

// The stored player name, read from the settings file as the next start reads it.
std::string StoredName() {
  return profile::GetString(g_Settings.GetProfileFile(), "Settings", "MultiplayerName", "");
}

class LiveMultiplayer : public live::LivePlanner {
 protected:
  LiveMultiplayer() {
    deadlineSeconds = 90;
    simulatorProgram = CW_SIMHOST_V80_EXE;
  }

  void SetUp() override {
    // The host runs with the transport's everyday intervals, as the planner's side does; the
    // planner finds it on loopback through the transport's environment.
    dplay::Config config;
    config.lanTargets = {"127.0.0.1"};
    simhost::MultiplayerHostOptions options;
    options.simVersion = 80;
    options.password = kPassword;
    sessionHost = std::make_unique<simhost::MultiplayerHost>(options, config);
    std::string error;
    ASSERT_TRUE(sessionHost->Start(error)) << error;
    ::setenv("CW_DPLAY_PORT", std::to_string(sessionHost->Port()).c_str(), 1);
    ::setenv("CW_DPLAY_LAN", "127.0.0.1", 1);
    LivePlanner::SetUp();
    if (HasFatalFailure()) return;
    std::string cache;
    g_Settings.WriteString(cache, "MultiplayerName", "Alice");
    g_Settings.WriteString(cache, "MultiplayerHost", "127.0.0.1");
  }
  void TearDown() override {
    if (Plan().IsConnected()) Plan().Disconnect();
    LivePlanner::TearDown();
    ::unsetenv("CW_DPLAY_PORT");
    ::unsetenv("CW_DPLAY_LAN");
    if (sessionHost) sessionHost->Stop();
  }

  // Options > Multiplayer connect..., the warning answered with Yes; `drive` runs inside the
  // wizard's own loop once it is on the screen, and the wizard is cancelled if still open after.
  void RunWizard(const std::function<void(wxWizard&)>& drive) {
    modals.QueueDriver([](wxDialog& warning) {
      ASSERT_TRUE(PumpUntil([&] { return warning.IsShownOnScreen(); }));
      ASSERT_TRUE(live::WaitUntilLaidOut(&warning));
      Click(FindWindowOf<wxButton>(&warning, [](const wxButton& b) { return b.GetId() == wxID_OK; }));
    });
    bool driven = false;
    // The wizard opens once the popup menu's loop is over.
    live::AfterUntil([] { return OpenWizard() != nullptr; }, [&] {
      if (wxWizard* wizard = OpenWizard()) {
        live::WaitUntilLaidOut(wizard);
        drive(*wizard);
      } else {
        ADD_FAILURE() << "the wizard did not open";
      }
      if (wxWizard* wizard = OpenWizard(); wizard != nullptr && wizard->IsModal()) wizard->EndModal(wxID_CANCEL);
      driven = true;
    });
    auto* menu = FindWindowOf<CMenuView>(main);
    ASSERT_NE(menu, nullptr);
    live::ChooseFromNextPopup('m');
    Click(menu->Buttons().at(2));
    ASSERT_TRUE(PumpUntil([&] { return driven; }, 60000));
    live::Pump(200);
  }

  // On the connection page: the name replaced by a typed one, then Next by the mouse; true once
  // the session page lists the host's session.
  static bool TypeNameAndGoNext(wxWizard& wizard, const std::string& name) {
    auto* edit = ById<wxTextCtrl>(&wizard, kWizardName);
    auto* address = ById<wxTextCtrl>(&wizard, kWizardAddress);
    if (edit == nullptr || address == nullptr) return false;
    EXPECT_EQ(address->GetValue(), "127.0.0.1");
    Click(edit);
    Key('A', wxMOD_CONTROL);
    live::Type(name);
    EXPECT_EQ(edit->GetValue().utf8_string(), name);
    Click(ById<wxButton>(&wizard, wxID_FORWARD));
    auto* sessions = ById<wxListCtrl>(&wizard, kWizardSessions);
    return sessions != nullptr && PumpUntil([&] { return sessions->IsShownOnScreen() && sessions->GetItemCount() > 0; }, 15000);
  }

  std::unique_ptr<simhost::MultiplayerHost> sessionHost;
};

TEST_F(LiveMultiplayer, TheSessionPageIsFinishedWithTheMouseAndStoresTheName) {
  bool finishClicked = false;
  RunWizard([&](wxWizard& wizard) {
    live::SaveScreenshot("mp-wizard-connection");
    ASSERT_TRUE(TypeNameAndGoNext(wizard, "Bob")) << "the session page lists no session";
    auto* sessions = ById<wxListCtrl>(&wizard, kWizardSessions);
    // The session asks for a password: once it is chosen, the box shows below the list.
    wxRect row;
    ASSERT_TRUE(sessions->GetItemRect(0, row));
    Click(sessions, wxPoint(row.x + 30, row.y + row.height / 2));
    auto* password = ById<wxTextCtrl>(&wizard, kWizardPassword);
    ASSERT_NE(password, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return password->IsShownOnScreen(); })) << "no password box for a session that asks for one";
    live::SaveScreenshot("mp-wizard-session");

    const wxRect page = ScreenRect(wizard.GetCurrentPage());
    EXPECT_FALSE(ScreenRect(password).Intersects(ScreenRect(sessions))) << "the password box lies over the list";
    EXPECT_TRUE(page.Contains(ScreenRect(password))) << "the password box is cut off by its page";
    for (const int id : {wxID_BACKWARD, wxID_FORWARD, wxID_CANCEL}) {
      auto* button = ById<wxButton>(&wizard, id);
      ASSERT_NE(button, nullptr);
      EXPECT_TRUE(button->IsShownOnScreen()) << "button " << id;
      EXPECT_FALSE(ScreenRect(button).Intersects(page)) << "the page covers button " << button->GetLabel();
      EXPECT_TRUE(wxRect(wizard.GetScreenPosition(), wizard.GetSize()).Contains(ScreenRect(button)))
          << "button " << button->GetLabel() << " lies outside the wizard";
    }
    auto* finish = ById<wxButton>(&wizard, wxID_FORWARD);
    EXPECT_TRUE(finish->IsEnabled()) << "a chosen session can be joined";
    EXPECT_EQ(StoredName(), "Alice") << "the name is stored before the wizard finished";

    Click(password);
    live::Type(kPassword);
    Click(finish);
    finishClicked = PumpUntil([&] { return !wizard.IsModal(); }, 10000);
  });
  EXPECT_TRUE(finishClicked) << "Finish, clicked, did not end the wizard";
  EXPECT_TRUE(PumpUntil([&] { return Plan().IsConnected(); }, 10000)) << "the planner did not join the session";
  EXPECT_EQ(StoredName(), "Bob");
}

TEST_F(LiveMultiplayer, ACancelledWizardStoresNoName) {
  // Cancel on the connection page after a name was typed.
  RunWizard([&](wxWizard& wizard) {
    auto* edit = ById<wxTextCtrl>(&wizard, kWizardName);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetValue(), "Alice");
    Click(edit);
    Key('A', wxMOD_CONTROL);
    live::Type("Carol");
    Click(ById<wxButton>(&wizard, wxID_CANCEL));
    EXPECT_TRUE(PumpUntil([&] { return !wizard.IsModal(); }, 5000)) << "Cancel, clicked, did not end the wizard";
  });
  EXPECT_EQ(StoredName(), "Alice");
  EXPECT_FALSE(Plan().IsConnected());

  // Cancel on the session page, after Next took the name.
  bool cancelled = false;
  RunWizard([&](wxWizard& wizard) {
    ASSERT_TRUE(TypeNameAndGoNext(wizard, "Dave")) << "the session page lists no session";
    Click(ById<wxButton>(&wizard, wxID_CANCEL));
    cancelled = PumpUntil([&] { return !wizard.IsModal(); }, 5000);
  });
  EXPECT_TRUE(cancelled) << "Cancel, clicked on the session page, did not end the wizard";
  EXPECT_EQ(StoredName(), "Alice");
  EXPECT_FALSE(Plan().IsConnected());
}

}  // namespace
