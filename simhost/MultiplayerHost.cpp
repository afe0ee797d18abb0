#include "simhost/MultiplayerHost.h"

#include <cmath>
#include <variant>
#include <vector>

#include "platform/win/Codepage.h"

namespace simhost {
namespace {

constexpr double kFeetPerSecondPerKnot = 1852.0 / 3600.0 * 3.28083989501312;
constexpr double kPi = 3.14159265358979323846;

dplay::Guid ToTransport(const mp::Guid& g) { return dplay::Guid{g.data1, g.data2, g.data3, g.data4}; }

}  // namespace

MultiplayerHost::MultiplayerHost(const MultiplayerHostOptions& options, dplay::Config config)
    : m_options(options), m_config(std::move(config)) {
  m_config.port = options.port;
}

MultiplayerHost::~MultiplayerHost() { Stop(); }

bool MultiplayerHost::Start(std::string& error) {
  const uint32_t maxPlayers = m_options.pilotLimit + m_options.observerLimit;
  if (m_options.simVersion >= 90) {
    m_peer = std::make_unique<dplay::Peer>(m_config);
    if (m_peer->Initialize([this](dplay::Message& m) { return OnPeerMessage(m); }) != dplay::Result::Ok) {
      error = "cannot start the session transport";
      return false;
    }
    dplay::PlayerInfo own;
    own.name = win::Cp1252ToUtf16(m_options.playerName);
    own.data = mp::EncodePeerBlock(0, m_options.playerName);
    m_peer->SetPeerInfo(own, dplay::kInfoName | dplay::kInfoData);
    dplay::ApplicationDesc desc;
    desc.flags = dplay::kSessionMigrateHost;
    desc.application = ToTransport(mp::kDp8Application);
    desc.maxPlayers = maxPlayers;
    desc.sessionName = win::Cp1252ToUtf16(m_options.sessionName);
    desc.password = win::Cp1252ToUtf16(m_options.password);
    desc.reservedData = mp::EncodeSessionReserved(m_options.pilotLimit, m_options.observerLimit, "stand-in simulator");
    const dplay::Result r = m_peer->Host(desc, dplay::Address{"", m_options.port, false});
    if (r != dplay::Result::Ok) {
      error = std::string("cannot host the session: ") + dplay::ResultName(r);
      m_peer.reset();
      return false;
    }
    m_peer->CreateGroup(win::Cp1252ToUtf16(mp::kGroupObservers), &m_observerGroup);
    const auto addresses = m_peer->GetLocalHostAddresses();
    if (!addresses.empty()) m_port = addresses.front().port;
    return true;
  }
  m_session = std::make_unique<dplay::Session>(m_config);
  dplay::SessionDesc desc;
  desc.flags = dplay::kSessionDescMigrateHost;
  desc.application = ToTransport(mp::Dp4Application(m_options.simVersion));
  desc.maxPlayers = maxPlayers;
  desc.sessionName = m_options.sessionName;
  desc.password = m_options.password;
  // The host's own pilot is admitted from the start.
  desc.user1 = mp::PackCounts({0, static_cast<uint8_t>(m_options.observerLimit), 1,
                               static_cast<uint8_t>(m_options.pilotLimit)});
  dplay::Result r = m_session->Open(desc, dplay::OpenMode::Create);
  if (r == dplay::Result::Ok) r = m_session->CreatePlayer(&m_ownId, m_options.playerName, &m_messageEvent);
  if (r != dplay::Result::Ok) {
    error = std::string("cannot host the session: ") + dplay::ResultName(r);
    m_session.reset();
    return false;
  }
  dplay::PlayerId group = 0;
  m_session->CreateGroup(&group, mp::kGroupRefuseParams);
  m_session->CreateGroup(&group, mp::kGroupRequestParams);
  const auto addresses = m_session->GetLocalHostAddresses();
  if (!addresses.empty()) m_port = addresses.front().port;
  return true;
}

void MultiplayerHost::Stop() {
  if (m_peer) {
    m_peer->Close();
    m_peer.reset();
  }
  if (m_session) {
    m_session->Close();
    m_session.reset();
  }
}

mp::AircraftReport MultiplayerHost::ReportOf(const Aircraft& a) const {
  mp::AircraftReport r;
  r.latitude = a.latitude;
  r.longitude = a.longitude;
  r.altitudeFeet = a.altitude * 3.28083989501312;
  r.heading = a.heading;
  const double speed = a.airspeed * kFeetPerSecondPerKnot;
  r.northVelocity = speed * std::cos(a.heading * kPi / 180.0);
  r.eastVelocity = speed * std::sin(a.heading * kPi / 180.0);
  r.verticalVelocity = a.verticalSpeed / 60.0;
  r.groundSpeed = a.airspeed;
  return r;
}

void MultiplayerHost::Step(const Aircraft& aircraft, double seconds) {
  if (m_session) ReceiveDp4();
  m_sinceReport += seconds;
  if (m_sinceReport < kReportInterval) return;
  m_sinceReport = 0;
  Report(aircraft);
}

void MultiplayerHost::Report(const Aircraft& aircraft) {
  const mp::AircraftReport report = ReportOf(aircraft);
  ++m_sequence;
  if (m_peer) {
    const uint32_t id = aircraft.onGround ? mp::dp8::kPosition : mp::dp8::kState;
    m_peer->SendTo(dplay::kAllPlayers, mp::EncodeDp8Report(id, m_sequence, report), dplay::kSendNoLoopback);
  } else if (m_session) {
    const uint32_t id = aircraft.onGround ? mp::dp4::kPosition : mp::dp4::kState;
    m_session->Send(m_ownId, dplay::kAllPlayersButSender, 0,
                    mp::EncodeDp4Report(id, m_sequence, report, m_options.simVersion));
  }
}

dplay::Result MultiplayerHost::OnPeerMessage(dplay::Message& message) {
  if (auto* create = std::get_if<dplay::CreatePlayer>(&message)) {
    Member member;
    dplay::PlayerInfo info;
    if (m_peer->GetPeerInfo(create->player, info) == dplay::Result::Ok) {
      member.name = win::Utf16ToCp1252(info.name).substr(0, 30);
      if (const auto block = mp::DecodePeerBlock(info.data)) member.observer = (block->flags & mp::kPeerObserver) != 0;
    }
    {
      std::lock_guard lock(m_memberLock);
      m_members[create->player] = member;
    }
    if (member.observer && m_observerGroup != 0) {
      dplay::Handle handle = 0;
      m_peer->AddPlayerToGroup(m_observerGroup, create->player, 0, &handle);
    }
  } else if (auto* destroy = std::get_if<dplay::DestroyPlayer>(&message)) {
    std::lock_guard lock(m_memberLock);
    m_members.erase(destroy->player);
  } else if (auto* indicate = std::get_if<dplay::IndicateConnect>(&message)) {
    dplay::ApplicationDesc desc;
    if (m_peer->GetApplicationDesc(desc) != dplay::Result::Ok) return dplay::Result::HostRejectedConnection;
    mp::Admission admission;
    {
      std::lock_guard lock(m_memberLock);
      std::vector<mp::MemberView> views;
      for (const auto& [id, m] : m_members) views.push_back({m.observer, m.name});
      admission = mp::DecideDp8Admission(indicate->connectData,
                                         mp::ReadSessionLimits(desc.reservedData, desc.maxPlayers), views);
    }
    if (admission.admit) return dplay::Result::Ok;
    if (admission.reply != 0) indicate->replyData = mp::AdmissionReplyBytes(admission.reply);
    return dplay::Result::HostRejectedConnection;
  }
  return dplay::Result::Ok;
}

void MultiplayerHost::ReceiveDp4() {
  for (;;) {
    uint32_t from = 0, to = 0;
    std::vector<uint8_t> data;
    if (m_session->Receive(from, to, data) != dplay::Result::Ok) return;
    if (from == dplay::kSystemPlayer) {
      const auto sys = dplay::ReadSystemMessage(data);
      if (!sys || sys->playerType != dplay::kPlayerTypePlayer) continue;
      if (sys->type == dplay::kSysCreatePlayerOrGroup) {
        m_members[sys->id] = Member{false, sys->shortName, mp::dp4::kKindUnknown};
      } else if (sys->type == dplay::kSysDestroyPlayerOrGroup) {
        const auto it = m_members.find(sys->id);
        if (it == m_members.end()) continue;
        dplay::SessionDesc desc;
        if (m_session->GetSessionDesc(desc) == dplay::Result::Ok) {
          desc.user1 = mp::PackCounts(mp::CountsAfterLeave(mp::UnpackCounts(desc.user1), it->second.kind));
          m_session->SetSessionDesc(desc);
        }
        m_members.erase(it);
      }
      continue;
    }
    const auto header = mp::ReadHeader(data);
    if (!header) continue;
    if (header->id == mp::dp4::kStatusQuery) {
      m_session->Send(m_ownId, from, 0, mp::EncodePlayerId(mp::dp4::kPilotGranted, m_ownId));
    } else {
      AdmitDp4(from, header->id);
    }
  }
}

void MultiplayerHost::AdmitDp4(uint32_t sender, uint32_t requestId) {
  dplay::SessionDesc desc;
  if (m_session->GetSessionDesc(desc) != dplay::Result::Ok) return;
  const auto it = m_members.find(sender);
  const bool known = it != m_members.end();
  const auto d = mp::DecideDp4Admission(requestId, known, known ? it->second.kind : mp::dp4::kKindUnknown,
                                        mp::UnpackCounts(desc.user1));
  if (!d) return;
  const bool grant = d->answer == mp::dp4::kPilotGranted || d->answer == mp::dp4::kObserverGranted;
  const auto answer = grant ? mp::EncodePlayerId(d->answer, sender) : mp::EncodeBare(d->answer);
  if (m_session->Send(m_ownId, sender, 0, answer) != dplay::Result::Ok || !d->counts) return;
  desc.user1 = mp::PackCounts(d->after);
  if (m_session->SetSessionDesc(desc) == dplay::Result::Ok && known) it->second.kind = d->kind;
}

}  // namespace simhost
