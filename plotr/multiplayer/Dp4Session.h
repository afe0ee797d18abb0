#pragma once

// The older session (simulator versions 61 to 80): after the wizard has opened the host
// simulator's session, a worker joins it step by step (signalling groups, own player, player
// list, admission request), then keeps the player table from the reports, queries players of
// unknown kind, tells the others whether the own plan is public, exchanges plans and, once this
// module hosts, admits and limits the players. The plan object's multiplayer level forwards its
// slots here.
//
// Threads: the slots run on the user-interface thread; the worker waits on the exit and message
// events and runs every receive pass and state step under the player lock. The worker steps once
// at least a second has passed on the injected clock after any wake, so a busy message stream
// cannot starve it and tests step it without waiting. Tests may also drive BeginJoin, ReceiveAll
// and StepSession themselves without starting the worker.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/dplay/Session.h"
#include "platform/win/Clock.h"
#include "platform/win/Sync.h"
#include "plotr/multiplayer/MultiplayerSession.h"
#include "plotr/multiplayer/MultiplayerUi.h"
#include "plotr/multiplayer/PlayerTables.h"
#include "plotr/multiplayer/SessionSlots.h"

namespace archive {
class MemoryFile;
}

class Dp4Session : public IMultiplayerSession {
 public:
  // Join states.
  static constexpr int kFindGroups = 0;
  static constexpr int kCreatePlayer = 1;
  static constexpr int kJoinGroup = 2;
  static constexpr int kListPlayers = 3;
  static constexpr int kRequestAdmission = 4;
  static constexpr int kAwaitAdmission = 5;
  static constexpr int kAdmitted = 6;
  // Steps between the forced admission requests and between status queries.
  static constexpr int kAdmissionSteps = 30;
  static constexpr int kQuerySteps = 15;
  static constexpr int kNoticeSteps = 15;
  static constexpr uint32_t kStepIntervalMs = 1000;
  static constexpr uint32_t kWakeIntervalMs = 200;

  // `simVersion` is read at every use (the offsets of the reports and the limits depend on it).
  Dp4Session(IMultiplayerUi& ui, IPlanImageSource& plan, win::Clock& clock, std::function<int()> simVersion,
             dplay::Config config = dplay::Config::FromEnvironment());
  ~Dp4Session() override;
  Dp4Session(const Dp4Session&) = delete;
  Dp4Session& operator=(const Dp4Session&) = delete;

  // Slot 8's part: the pending message, shown when the windows allow it.
  void OnTick();
  bool Connect() override;
  void Disconnect() override;
  void HostSettings() override;
  void PublishPlayerData(bool makePublic) override;
  bool IsConnected() const override { return m_connected; }
  bool IsSessionLost() const override { return m_busy; }
  bool IsSessionHost() const override { return m_host; }
  bool IsPlanPublic() const override { return m_public; }
  bool AnyRemotePlanPublic() const override;
  void OpenFromRemote() override;
  bool LoadReceivedPlan(archive::MemoryFile& file) override;
  void ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) const override;

  // What the wizard sets before Finish.
  void SetPlayerName(const std::string& name);
  void SetPublicFlag(bool on) { m_public = on; }
  void SetSession(std::unique_ptr<dplay::Session> session);
  dplay::Session* GetSession() { return m_session.get(); }
  // Where this module would take players as host (tests join a migrated host there).
  std::vector<dplay::Address> LocalHostAddresses() const;
  const dplay::Config& Config() const { return m_config; }
  int SimVersion() const { return m_simVersion(); }

  // The worker's parts, for tests that step the session themselves: BeginJoin is the worker's
  // start, EndSession its end; both ReceiveAll and StepSession return false to end the worker.
  void BeginJoin();
  bool ReceiveAll();
  bool StepSession();
  void EndSession();
  win::AutoResetEvent& MessageEvent() { return m_messageEvent; }

  int JoinState() const { return m_joinState; }
  uint32_t OwnId() const { return m_ownId; }
  PendingMessage PeekPendingMessage() const { return m_pending.Peek(); }
  // A copy of the player table (tests).
  Dp4PlayerMap Players() const;

 private:
  void WorkerMain();
  void JoinWorker();
  // The result of a join step: success moves to `next`, a lost connection spends the budget.
  bool RetryOnLost(dplay::Result r, int next);
  bool StepAdmitted();
  bool OnReceive(uint32_t sender, uint32_t receiver, const std::vector<uint8_t>& data);
  bool OnSystemMessage(const std::vector<uint8_t>& data);
  bool Admit(uint32_t sender, uint32_t requestId);
  bool AnswerPlanRequest(uint32_t sender);
  dplay::Result Send(uint32_t to, uint32_t flags, std::vector<uint8_t> data);
  dplay::Result SetSessionDesc(const dplay::SessionDesc& desc);

  IMultiplayerUi& m_ui;
  IPlanImageSource& m_plan;
  win::Clock& m_clock;
  std::function<int()> m_simVersion;
  dplay::Config m_config;

  std::string m_playerName;
  win::AutoResetEvent m_exitEvent;
  win::AutoResetEvent m_messageEvent;
  PendingMessageSlot m_pending;
  ReceivedPlanSlot m_receivedPlan;
  PlanRequestPace m_planPace;
  std::unique_ptr<dplay::Session> m_session;

  mutable win::RecursiveLock m_playerLock;
  Dp4PlayerMap m_players;
  std::vector<uint32_t> m_removals;
  bool m_limitsChanged = false;
  bool m_planRequest = false;
  uint32_t m_planTarget = 0;
  uint32_t m_newPilotLimit = 0;
  uint32_t m_newObserverLimit = 0;
  std::atomic<uint32_t> m_ownId{0};
  std::atomic<bool> m_public{false};
  std::atomic<bool> m_connected{false};
  std::atomic<bool> m_busy{false};
  std::atomic<bool> m_host{false};
  std::thread m_worker;
  uint32_t m_refuseGroup = 0;
  uint32_t m_requestGroup = 0;
  std::atomic<int> m_joinState{kFindGroups};
  int m_retryBudget = 0;
  int m_admissionCountdown = 0;
  int m_noticeCountdown = 0;
};
