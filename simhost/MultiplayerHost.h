#pragma once
// The stand-in simulator's multiplayer session, without windows: it hosts a session the way the
// simulator does (the newer interface for version 90, the older one below), flies its own pilot
// in it, admits joining players by the shared admission rules and reports its aircraft at most
// five times a second. Nothing of it exists unless the host is asked to host.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/dplay/Config.h"
#include "platform/dplay/Peer.h"
#include "platform/dplay/Session.h"
#include "platform/simapi/MpMessages.h"
#include "platform/win/Sync.h"
#include "simhost/Aircraft.h"

namespace simhost {

struct MultiplayerHostOptions {
  int simVersion = 90;
  uint16_t port = 0;  // 0: a free one
  std::string password;
  uint32_t pilotLimit = 8;
  uint32_t observerLimit = 2;
  std::string playerName = "simhost";
  std::string sessionName = "simhost";
};

class MultiplayerHost {
 public:
  static constexpr double kReportInterval = 0.2;  // seconds

  MultiplayerHost(const MultiplayerHostOptions& options, dplay::Config config = dplay::Config::FromEnvironment());
  ~MultiplayerHost();
  MultiplayerHost(const MultiplayerHost&) = delete;
  MultiplayerHost& operator=(const MultiplayerHost&) = delete;

  // Opens the session; false with the reason when it cannot be hosted.
  bool Start(std::string& error);
  // The TCP port players join on (and searches are answered on).
  uint16_t Port() const { return m_port; }
  // Handles what waits (older session) and reports the aircraft when a report is due.
  void Step(const Aircraft& aircraft, double seconds);
  // Leaves the session (the players see the host go).
  void Stop();

  mp::AircraftReport ReportOf(const Aircraft& aircraft) const;

 private:
  struct Member {
    bool observer = false;
    std::string name;
    uint32_t kind = mp::dp4::kKindUnknown;
  };

  dplay::Result OnPeerMessage(dplay::Message& message);
  void ReceiveDp4();
  void AdmitDp4(uint32_t sender, uint32_t requestId);
  void Report(const Aircraft& aircraft);

  MultiplayerHostOptions m_options;
  dplay::Config m_config;
  uint16_t m_port = 0;
  double m_sinceReport = 0;
  uint32_t m_sequence = 0;

  // Newer session.
  std::unique_ptr<dplay::Peer> m_peer;
  dplay::PlayerId m_observerGroup = 0;
  std::mutex m_memberLock;
  std::map<uint32_t, Member> m_members;

  // Older session.
  std::unique_ptr<dplay::Session> m_session;
  win::AutoResetEvent m_messageEvent;
  dplay::PlayerId m_ownId = 0;
};

}  // namespace simhost
