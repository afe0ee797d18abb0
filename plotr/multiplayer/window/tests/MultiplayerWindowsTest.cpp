// The multiplayer windows over a session host on loopback: the connect dialog lists the host's
// session with its latency and enables the password and Join as the user fills them in, the
// older session's wizard walks from its connection page to the host's session, and open-remote
// has no OK without a player. Needs a display.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/wizard.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <unistd.h>

#include "platform/archive/MemoryFile.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/Settings.h"
#include "plotr/multiplayer/Dp4Session.h"
#include "plotr/multiplayer/Dp4Wizard.h"
#include "plotr/multiplayer/Dp8Session.h"
#include "plotr/multiplayer/MpDialogModels.h"
#include "plotr/multiplayer/tests/support/LoopbackHost.h"
#include "plotr/multiplayer/window/MultiplayerUiWx.h"

namespace {

constexpr int kWaitMs = 10000;
// Control ids of the connect dialog and the wizard.
constexpr int kConnectName = 9104;
constexpr int kConnectSessions = 9107;
constexpr int kConnectPassword = 9113;
constexpr int kWizardName = 8226;
constexpr int kWizardConnections = 8228;
constexpr int kWizardAddress = 8230;
constexpr int kWizardSessions = 8232;

class NoPlan : public IPlanImageSource {
 public:
  bool WritePlanImage(archive::MemoryFile&) override { return false; }
};

template <typename T>
T* Find(wxWindow& parent, int id) {
  return dynamic_cast<T*>(parent.FindWindow(id));
}

bool Enabled(wxWindow& parent, int id) {
  wxWindow* w = parent.FindWindow(id);
  return w != nullptr && w->IsEnabled();
}

class MultiplayerWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("mpwindows-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    settings.SetProfileFile(dir / "Program.cfg");
    std::string cache;
    settings.WriteString(cache, "MultiplayerName", "Alice");
    settings.WriteString(cache, "MultiplayerHost", "127.0.0.1");
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void StartHost(const simhost::MultiplayerHostOptions& options) {
    std::string error;
    ASSERT_TRUE(loopback.Start(options, error)) << error;
    config = loopback.config;
  }

  std::filesystem::path dir;
  CSettings settings;
  CMultiplayerUiWx windows{settings, [] { return true; }};
  ui::ModalScript script;
  mptest::LoopbackHost loopback;
  dplay::Config config;
  NoPlan plan;
};

TEST_F(MultiplayerWindows, ConnectDialogListsTheSessionAndEnablesPasswordAndJoin) {
  StartHost({90, 0, "secret", 8, 2});
  Dp8Session session(windows, plan, win::SystemClock(), config, MpWaits{std::chrono::milliseconds(0), std::chrono::milliseconds(2000)});
  ui::ScopedModalHook hook(script);
  std::string line;
  bool passwordBefore = true, joinBefore = true, passwordListed = false, joinWithoutPassword = true,
       joinWithPassword = false, joinWithoutName = true;
  script.QueueDriver([&](wxDialog& d) {
    auto* sessions = Find<wxListBox>(d, kConnectSessions);
    auto* password = Find<wxTextCtrl>(d, kConnectPassword);
    auto* name = Find<wxTextCtrl>(d, kConnectName);
    ASSERT_TRUE(sessions && password && name);
    EXPECT_EQ("Alice", name->GetValue());
    passwordBefore = password->IsEnabled();
    joinBefore = Enabled(d, wxID_OK);
    ASSERT_TRUE(ui::PumpUntil([&] { return sessions->GetCount() > 0; }, kWaitMs));
    line = sessions->GetString(0).utf8_string();
    passwordListed = password->IsEnabled();
    joinWithoutPassword = Enabled(d, wxID_OK);
    password->SetValue("secret");
    joinWithPassword = Enabled(d, wxID_OK);
    name->SetValue("  ");
    joinWithoutName = Enabled(d, wxID_OK);
    name->SetValue("Alice");
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  ASSERT_TRUE(session.Connect());
  EXPECT_TRUE(std::regex_match(line, std::regex(R"(simhost \(\d+ ms\))"))) << line;
  EXPECT_FALSE(passwordBefore) << "no session chosen yet";
  EXPECT_FALSE(joinBefore);
  EXPECT_TRUE(passwordListed) << "the session asks for one";
  EXPECT_FALSE(joinWithoutPassword);
  EXPECT_TRUE(joinWithPassword);
  EXPECT_FALSE(joinWithoutName);
  EXPECT_TRUE(ui::PumpUntil([&] { return session.IsConnected() && !session.IsSessionLost(); }, kWaitMs));
  std::string saved;
  EXPECT_EQ("Alice", settings.GetString(saved, "MultiplayerName", true, ""));
  session.Disconnect();
}

TEST_F(MultiplayerWindows, WizardGoesFromItsConnectionPageToTheHostsSession) {
  StartHost({80, 0, "", 8, 2});
  Dp4Session session(windows, plan, win::SystemClock(), [] { return 80; }, config);
  Dp4Wizard model(session);
  bool nextWithName = false, nextWithoutName = true, addressEnabled = false, finishBeforeChoice = true;
  std::string sessionName, pilots;
  // The wizard runs its own modal loop; it is driven from inside it.
  // The wizard runs its own modal loop; it is driven from inside it and always cancelled at the
  // end, so a failed step cannot leave it open.
  const auto drive = [&](wxWizard& wizard) {
    auto* connections = Find<wxListBox>(wizard, kWizardConnections);
    auto* name = Find<wxTextCtrl>(wizard, kWizardName);
    ASSERT_TRUE(connections && name);
    EXPECT_EQ("Alice", name->GetValue());
    ASSERT_GT(connections->GetCount(), 0u);
    connections->SetSelection(0);
    wxCommandEvent select(wxEVT_LISTBOX, kWizardConnections);
    select.SetInt(0);
    select.SetEventObject(connections);
    connections->GetEventHandler()->ProcessEvent(select);
    addressEnabled = Enabled(wizard, kWizardAddress);
    nextWithName = Enabled(wizard, wxID_FORWARD);
    name->SetValue("");
    nextWithoutName = Enabled(wizard, wxID_FORWARD);
    name->SetValue("Alice");
    ASSERT_TRUE(ui::PressButton(wizard, wxID_FORWARD));
    auto* sessions = Find<wxListCtrl>(wizard, kWizardSessions);
    ASSERT_NE(sessions, nullptr);
    finishBeforeChoice = Enabled(wizard, wxID_FORWARD);
    ASSERT_TRUE(ui::PumpUntil([&] { return sessions->GetItemCount() > 0; }, kWaitMs));
    sessionName = sessions->GetItemText(0, 0).utf8_string();
    pilots = sessions->GetItemText(0, 1).utf8_string();
  };
  wxTheApp->CallAfter([&] {
    wxWizard* wizard = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* found = dynamic_cast<wxWizard*>(w)) wizard = found;
    ASSERT_NE(wizard, nullptr);
    drive(*wizard);
    if (!ui::PressButton(*wizard, wxID_CANCEL)) wizard->EndModal(wxID_CANCEL);
  });
  EXPECT_FALSE(windows.RunDp4Wizard(model));
  EXPECT_TRUE(addressEnabled) << "TCP/IP takes an address";
  EXPECT_TRUE(nextWithName);
  EXPECT_FALSE(nextWithoutName);
  EXPECT_FALSE(finishBeforeChoice);
  EXPECT_EQ("simhost", sessionName);
  EXPECT_EQ("1/8", pilots);
}

TEST_F(MultiplayerWindows, OpenRemoteHasNoOkWithoutAPlayer) {
  ui::ScopedModalHook hook(script);
  bool okEmpty = true, pressedEmpty = true;
  script.QueueDriver([&](wxDialog& d) {
    okEmpty = Enabled(d, wxID_OK);
    pressedEmpty = ui::PressButton(d, wxID_OK);
  });
  OpenRemoteModel empty({});
  EXPECT_FALSE(windows.RunOpenRemote(empty));
  EXPECT_FALSE(okEmpty);
  EXPECT_FALSE(pressedEmpty);

  MpPlayerEntry bob{};
  bob.playerId = 42;
  SetEntryName(bob, "*Bob");
  OpenRemoteModel one({bob});
  std::string listed;
  script.QueueDriver([&](wxDialog& d) {
    if (auto* list = Find<wxListBox>(d, 8243); list && list->GetCount() == 1) listed = list->GetString(0).utf8_string();
    EXPECT_TRUE(ui::PressButton(d, wxID_OK));
  });
  EXPECT_TRUE(windows.RunOpenRemote(one));
  EXPECT_EQ("*Bob", listed);
  EXPECT_EQ(42u, one.Chosen().value_or(0));
}

}  // namespace
