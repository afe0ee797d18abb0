#pragma once

// The newer session (simulator version 90): the module joins the host simulator's session as one
// more peer, keeps a record per player from the player messages and position reports, publishes
// whether its plan is public, answers plan requests, admits or refuses joining peers once the
// host role has migrated to it, and leaves every event the user must see as one pending message
// box for the tick. The plan object's multiplayer level forwards its slots here.
//
// Threads: the slots and the tick run on the user-interface thread; the transport runs the
// handler on its own threads. The player lock guards the player map, the plan lock the received
// plan, the message lock the pending message. The flags and the own id are atomics. No transport
// call that waits for callbacks is made under the player lock.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/dplay/Peer.h"
#include "platform/win/Clock.h"
#include "platform/win/Sync.h"
#include "plotr/multiplayer/Dp8Connect.h"
#include "plotr/multiplayer/MpStrings.h"
#include "plotr/multiplayer/MultiplayerSession.h"
#include "plotr/multiplayer/MultiplayerUi.h"
#include "plotr/multiplayer/PlayerTables.h"
#include "plotr/multiplayer/SessionSlots.h"

namespace archive {
class MemoryFile;
}

// Waits of the teardowns, as the session layers have always used them. Tests shorten them.
struct MpWaits {
  // After closing the transport, before releasing it.
  std::chrono::milliseconds afterClose{1000};
  // Slot 10's wait for the last player to go.
  std::chrono::milliseconds playersGone{15000};
};

class Dp8Session : public IMultiplayerSession {
 public:
  Dp8Session(IMultiplayerUi& ui, IPlanImageSource& plan, win::Clock& clock, dplay::Config config = dplay::Config::FromEnvironment(),
             MpWaits waits = {});
  ~Dp8Session() override;
  Dp8Session(const Dp8Session&) = delete;
  Dp8Session& operator=(const Dp8Session&) = delete;

  // Slot 8's part: a failed connection torn down, the pending message shown when the windows
  // allow it.
  void OnTick();
  bool Connect() override;
  void Disconnect() override;
  void HostSettings() override;
  void PublishPlayerData(bool makePublic) override;
  bool IsConnected() const override { return m_connected; }
  bool IsSessionLost() const override { return m_lost; }
  bool IsSessionHost() const override { return m_host; }
  bool IsPlanPublic() const override;
  bool AnyRemotePlanPublic() const override;
  void OpenFromRemote() override;
  bool LoadReceivedPlan(archive::MemoryFile& file) override;
  void ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) const override;

  // What the tick would show next (tests).
  PendingMessage PeekPendingMessage() const { return m_pending.Peek(); }
  uint32_t OwnId() const { return m_ownId; }
  // Where this module would take players as host (tests join a migrated host there).
  std::vector<dplay::Address> LocalHostAddresses() const {
    return m_peer ? m_peer->GetLocalHostAddresses() : std::vector<dplay::Address>{};
  }
  Dp8Connect& ConnectDialog() { return m_connect; }

  // The transport's handler; public so tests can hand it messages directly.
  dplay::Result DP8MessageHandler(dplay::Message& message);
  void OnReceive(uint32_t sender, const std::vector<uint8_t>& data);

 private:
  void OnConnectComplete(const dplay::ConnectComplete& m);
  void OnCreatePlayer(const dplay::CreatePlayer& m);
  void OnPeerInfo(const dplay::PeerInfoChanged& m);
  void OnDestroyPlayer(const dplay::DestroyPlayer& m);
  dplay::Result OnIndicateConnect(dplay::IndicateConnect& m);
  void AnswerPlanRequest(uint32_t sender);
  void TearDown();

  IMultiplayerUi& m_ui;
  IPlanImageSource& m_plan;
  win::Clock& m_clock;
  dplay::Config m_config;
  MpWaits m_waits;

  std::unique_ptr<dplay::Peer> m_peer;
  Dp8Connect m_connect;
  std::atomic<uint32_t> m_ownId{0};
  win::AutoResetEvent m_sessionEnded;
  win::AutoResetEvent m_playersGone;
  std::atomic<bool> m_connected{false};
  std::atomic<bool> m_lost{false};
  std::atomic<bool> m_host{false};

  PendingMessageSlot m_pending;
  ReceivedPlanSlot m_receivedPlan;
  PlanRequestPace m_planPace;

  mutable win::RecursiveLock m_playerLock;
  Dp8PlayerMap m_players;
};
