#pragma once
// What the session tests share: bounded waits, a user who answers the dialogs by script, and a
// bare player of the older session that sends and reads raw application messages.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/dplay/Session.h"
#include "platform/simapi/MpMessages.h"
#include "plotr/multiplayer/Dp4Wizard.h"
#include "plotr/multiplayer/Dp8Connect.h"
#include "plotr/multiplayer/MpDialogModels.h"
#include "plotr/multiplayer/MpTransport.h"
#include "plotr/multiplayer/MultiplayerUi.h"

namespace mptest {

using namespace std::chrono_literals;

// Polls `done` until it holds or `limit` has passed; a machine loaded by parallel builds and
// sanitizers gets ten seconds by default, an answer ends the wait at once.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10000ms) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return done();
}

// The older session's wizard as a user goes through it: the name, loopback, the first session
// listed. True when the session is open.
inline bool RunWizard(Dp4Wizard& wizard, const std::string& name, const std::string& password = "") {
  wizard.InitConnectionPage(name, "127.0.0.1");
  wizard.ActivateConnectionPage();
  if (wizard.Connections().empty() || !wizard.Next()) return false;
  wizard.ActivateSessionPage();
  if (!WaitUntil([&] { return wizard.RefreshSessions() == Dp4Wizard::Refresh::kListed && !wizard.Sessions().empty(); }))
    return false;
  return wizard.Finish(password) == 0;
}

// Plays the user of one module: joins the first session found under its name, applies the host
// settings it was told (players to remove by the start of their line, limits), picks the first
// public plan offered.
class ScriptedUi : public IMultiplayerUi {
 public:
  explicit ScriptedUi(std::string name) : m_name(std::move(name)) {}

  bool IsShowAllowed() override { return true; }
  void ShowMessage(const std::string& text, uint32_t) override { shown.push_back(text); }
  bool RunDp8Connect(Dp8Connect& dialog) override {
    dialog.Init({false, 23432, "127.0.0.1", m_name});
    if (!WaitUntil([&] {
          dialog.OnTimer();
          return !dialog.Lines().empty();
        }))
      return false;
    lines = dialog.Lines();
    dialog.Select(0);
    dialog.SetPassword(password);
    return dialog.CanJoin() && dialog.Join();
  }
  bool RunDp4Wizard(Dp4Wizard& wizard) override { return RunWizard(wizard, m_name, password); }
  bool RunDp8HostSettings(Dp8HostSettingsModel& model) override {
    RemoveNamed(model.Players());
    if (pilotLimit) model.SetPilotLimit(pilotLimit);
    if (observerLimit) model.SetObserverLimit(*observerLimit);
    return true;
  }
  bool RunDp4HostSettings(Dp4HostSettingsModel& model) override {
    RemoveNamed(model.Players());
    if (pilotLimit) model.SetPilotLimit(pilotLimit);
    if (observerLimit) model.SetObserverLimit(*observerLimit);
    return true;
  }
  bool RunOpenRemote(OpenRemoteModel& model) override { return model.CanOk(); }

  std::string password;
  std::vector<std::string> remove;
  uint32_t pilotLimit = 0;  // 0: as it was
  std::optional<uint32_t> observerLimit;
  std::vector<std::string> shown;
  std::vector<std::string> lines;  // what the connect dialog listed

 private:
  void RemoveNamed(HostPlayerList& players) {
    for (const std::string& name : remove) {
      for (size_t i = 0; i < players.Lines().size(); ++i) {
        if (players.Lines()[i].text.rfind(name, 0) == 0) {
          players.Select(static_cast<int>(i));
          players.RemoveSelected();
          break;
        }
      }
    }
  }
  std::string m_name;
};

// A player of the older session without the module's logic: it joins the session on a port,
// sends raw application messages and reads what comes back.
class RawPlayer {
 public:
  RawPlayer(const dplay::Config& config, const mp::Guid& application) : m_session(config), m_application(application) {}

  bool Join(const std::string& name) {
    if (m_session.InitializeConnection(dplay::kServiceProviderTcpIp, dplay::Address{"127.0.0.1", 0, false}) !=
        dplay::Result::Ok)
      return false;
    std::vector<dplay::SessionDesc> found;
    if (!WaitUntil([&] { return m_session.EnumSessions(Transport(), found) == dplay::Result::Ok && !found.empty(); }))
      return false;
    if (m_session.Open(found.front(), dplay::OpenMode::Join) != dplay::Result::Ok) return false;
    return m_session.CreatePlayer(&m_id, name, nullptr) == dplay::Result::Ok;
  }
  // Hosts a session of the application on a free port, with one player.
  bool Host(const std::string& name, uint32_t user1) {
    dplay::SessionDesc desc;
    desc.flags = dplay::kSessionDescMigrateHost;
    desc.application = Transport();
    desc.maxPlayers = 8;
    desc.sessionName = name;
    desc.user1 = user1;
    if (m_session.Open(desc, dplay::OpenMode::Create) != dplay::Result::Ok) return false;
    return m_session.CreatePlayer(&m_id, name, nullptr) == dplay::Result::Ok;
  }
  uint16_t Port() const {
    const auto addresses = m_session.GetLocalHostAddresses();
    return addresses.empty() ? 0 : addresses.front().port;
  }

  // Sends to every other player, again while a migrating session has no link yet.
  bool SendToAll(std::vector<uint8_t> data) {
    return WaitUntil([&] { return m_session.Send(m_id, dplay::kAllPlayersButSender, 0, data) == dplay::Result::Ok; });
  }
  // The next application message with the id, reading past every other one; `pump` runs
  // between the polls (the module's receive pass).
  std::optional<std::vector<uint8_t>> Next(uint32_t id, const std::function<void()>& pump = {},
                                           std::chrono::milliseconds limit = 10000ms) {
    std::optional<std::vector<uint8_t>> found;
    WaitUntil(
        [&] {
          if (pump) pump();
          for (;;) {
            uint32_t from = 0, to = 0;
            std::vector<uint8_t> data;
            if (m_session.Receive(from, to, data) != dplay::Result::Ok) return false;
            if (from == dplay::kSystemPlayer) continue;
            const auto header = mp::ReadHeader(data);
            if (header && header->id == id) {
              found = std::move(data);
              return true;
            }
          }
        },
        limit);
    return found;
  }
  // The ids of the application messages read up to and including the next one with `id` (the
  // last id is another when it did not come in time).
  std::vector<uint32_t> IdsUntil(uint32_t id, const std::function<void()>& pump = {}) {
    std::vector<uint32_t> ids;
    WaitUntil([&] {
      if (pump) pump();
      for (;;) {
        uint32_t from = 0, to = 0;
        std::vector<uint8_t> data;
        if (m_session.Receive(from, to, data) != dplay::Result::Ok) return false;
        const auto header = from == dplay::kSystemPlayer ? std::nullopt : mp::ReadHeader(data);
        if (!header) continue;
        ids.push_back(header->id);
        if (header->id == id) return true;
      }
    });
    return ids;
  }
  // How many application messages with the id wait now (all waiting messages are read).
  int Count(uint32_t id) {
    int n = 0;
    for (;;) {
      uint32_t from = 0, to = 0;
      std::vector<uint8_t> data;
      if (m_session.Receive(from, to, data) != dplay::Result::Ok) return n;
      const auto header = from == dplay::kSystemPlayer ? std::nullopt : mp::ReadHeader(data);
      if (header && header->id == id) ++n;
    }
  }

  dplay::PlayerId Id() const { return m_id; }
  dplay::Session& Session() { return m_session; }

 private:
  dplay::Guid Transport() const { return ToTransport(m_application); }
  dplay::Session m_session;
  mp::Guid m_application;
  dplay::PlayerId m_id = 0;
};

}  // namespace mptest
