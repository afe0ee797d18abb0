#include "plotr/multiplayer/Dp8Session.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <string>
#include <thread>
#include <variant>

#include "platform/archive/MemoryFile.h"
#include "platform/simapi/MpMessages.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/multiplayer/MpDialogModels.h"

namespace {

// Context of the group additions of observers; their completions are not the connect dialog's.
constexpr uintptr_t kGroupAddContext = 0xFFFFFFFF;
constexpr size_t kNameChars = 30;

unsigned ConnectErrorReason(dplay::Result r) {
  switch (r) {
    case dplay::Result::NoResponse: return mpstr::kNoResponse;
    case dplay::Result::NotHost:
    case dplay::Result::InvalidApplication:
    case dplay::Result::InvalidDeviceAddress:
    case dplay::Result::InvalidHostAddress:
    case dplay::Result::InvalidInstance: return mpstr::kCouldNotConnect;
    case dplay::Result::SessionFull: return mpstr::kSessionFull;
    case dplay::Result::NoConnection: return mpstr::kNoConnection;
    case dplay::Result::InvalidPassword: return mpstr::kInvalidPassword;
    case dplay::Result::HostRejectedConnection: return mpstr::kHostRejected;
    default: return mpstr::kUnknownError;
  }
}

// The host's reply text: up to its NUL or the end of the reply bytes.
std::string ReplyText(const std::vector<uint8_t>& reply) {
  const auto end = std::find(reply.begin(), reply.end(), uint8_t{0});
  return std::string(reply.begin(), end);
}

std::string NameOf(const std::u16string& wide) {
  std::string name = win::Utf16ToCp1252(wide);
  if (name.size() > kNameChars) name.resize(kNameChars);
  return name;
}

}  // namespace

Dp8Session::Dp8Session(IMultiplayerUi& ui, IPlanImageSource& plan, win::Clock& clock, dplay::Config config, MpWaits waits)
    : m_ui(ui), m_plan(plan), m_clock(clock), m_config(std::move(config)), m_waits(waits), m_connect(clock) {
  AddMultiplayerStrings();
}

Dp8Session::~Dp8Session() {
  // Callbacks reach into every member; none may run once the first of them is gone.
  if (m_peer) m_peer->Close();
}

// ----- slots -----

bool Dp8Session::Connect() {
  if (m_connected) return false;
  {
    std::lock_guard lock(m_playerLock);
    m_players.Clear();
  }
  m_sessionEnded.Reset();
  m_playersGone.Reset();
  m_ownId = 0;
  m_peer = std::make_unique<dplay::Peer>(m_config);
  if (m_peer->Initialize([this](dplay::Message& m) { return DP8MessageHandler(m); }) != dplay::Result::Ok) {
    m_peer.reset();
    return false;
  }
  m_connected = true;
  m_lost = true;
  m_connect.Attach(m_peer.get());
  if (m_ui.RunDp8Connect(m_connect)) return true;
  m_peer->Close();
  m_peer.reset();
  m_connect.Attach(nullptr);
  m_connected = false;
  m_lost = false;
  return false;
}

void Dp8Session::TearDown() {
  if (m_peer) m_peer->Close();
  std::this_thread::sleep_for(m_waits.afterClose);
  m_connect.Attach(nullptr);
  m_peer.reset();
  m_receivedPlan.Clear();
  m_connected = false;
  m_lost = false;
  m_host = false;
}

void Dp8Session::OnTick() {
  std::array<win::AutoResetEvent*, 2> ended{&m_sessionEnded, &m_playersGone};
  if (win::WaitAll(ended, 0)) TearDown();
  m_pending.ShowOn(m_ui);
}

void Dp8Session::Disconnect() {
  if (!m_connected) return;
  m_lost = true;
  if (m_peer && m_peer->Close() == dplay::Result::Ok) {
    // Close returns after the last player's destruction has been handled; the wait covers a
    // transport that reports it later.
    bool playersLeft = false;
    {
      std::lock_guard lock(m_playerLock);
      playersLeft = !m_players.Empty();
    }
    if (playersLeft) m_playersGone.Wait(static_cast<uint32_t>(m_waits.playersGone.count()));
  }
  std::this_thread::sleep_for(m_waits.afterClose);
  m_connect.Attach(nullptr);
  m_peer.reset();
  {
    std::lock_guard lock(m_playerLock);
    m_players.Clear();
  }
  m_sessionEnded.Reset();
  m_playersGone.Reset();
  m_receivedPlan.Clear();
  m_connected = false;
  m_lost = false;
  m_host = false;
  m_ownId = 0;
}

void Dp8Session::HostSettings() {
  if (!m_connected || m_lost || !m_peer) return;
  Dp8PlayerMap copy;
  {
    std::lock_guard lock(m_playerLock);
    copy = m_players;
  }
  dplay::ApplicationDesc desc;
  if (m_peer->GetApplicationDesc(desc) != dplay::Result::Ok) return;
  Dp8HostSettingsModel model(m_ownId, copy, mp::ReadSessionLimits(desc.reservedData, desc.maxPlayers));
  if (!m_ui.RunDp8HostSettings(model)) return;
  const mp::SessionLimits limits = model.Limits();
  mp::WriteSessionLimits(desc.reservedData, limits);
  desc.maxPlayers = limits.pilots + limits.observers;
  m_peer->SetApplicationDesc(desc);
  const std::vector<uint32_t> remaining = model.Players().RemainingIds();
  std::vector<uint32_t> removed;
  {
    std::lock_guard lock(m_playerLock);
    for (uint32_t id : m_players.Ids())
      if (std::find(remaining.begin(), remaining.end(), id) == remaining.end()) removed.push_back(id);
  }
  // Outside the lock: the removed players' destruction takes it on the transport's threads.
  for (uint32_t id : removed) m_peer->DestroyPeer(id);
}

void Dp8Session::PublishPlayerData(bool makePublic) {
  if (!m_peer) return;
  dplay::PlayerInfo info;
  info.data = mp::EncodePeerBlock(makePublic ? mp::kPeerPublicPlan : 0, "");
  m_peer->SetPeerInfo(info, dplay::kInfoData);
}

bool Dp8Session::IsPlanPublic() const {
  std::lock_guard lock(m_playerLock);
  const MpPlayerRecordDP8* own = m_players.Find(m_ownId);
  return own != nullptr && (own->flags & mp::kPeerPublicPlan) != 0;
}

bool Dp8Session::AnyRemotePlanPublic() const {
  std::lock_guard lock(m_playerLock);
  bool any = false;
  const uint32_t own = m_ownId;
  m_players.ForEach([&](uint32_t id, const MpPlayerRecordDP8& r) {
    if (id != own && (r.flags & mp::kPeerPublicPlan) != 0) any = true;
  });
  return any;
}

void Dp8Session::OpenFromRemote() {
  std::vector<MpPlayerEntry> players;
  ListPublicPlanPlayers(players, true);
  OpenRemoteModel model(std::move(players));
  if (!m_ui.RunOpenRemote(model) || !model.Chosen() || !m_peer) return;
  const uint32_t chosen = *model.Chosen();
  m_receivedPlan.Ask(chosen);
  m_peer->SendTo(chosen, mp::EncodeBare(mp::dp8::kPlanRequest));
}

bool Dp8Session::LoadReceivedPlan(archive::MemoryFile& file) { return m_receivedPlan.Load(file, m_pending); }

void Dp8Session::ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) const {
  players.clear();
  if (!m_connected || m_lost) return;
  std::lock_guard lock(m_playerLock);
  ListDp8Players(m_players, m_ownId, onlyPublic, players);
}

// ----- transport messages -----

dplay::Result Dp8Session::DP8MessageHandler(dplay::Message& message) {
  return std::visit(
      [this](auto& m) -> dplay::Result {
        using T = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<T, dplay::ConnectComplete>) {
          OnConnectComplete(m);
        } else if constexpr (std::is_same_v<T, dplay::CreatePlayer>) {
          OnCreatePlayer(m);
        } else if constexpr (std::is_same_v<T, dplay::PeerInfoChanged>) {
          OnPeerInfo(m);
        } else if constexpr (std::is_same_v<T, dplay::DestroyPlayer>) {
          OnDestroyPlayer(m);
        } else if constexpr (std::is_same_v<T, dplay::IndicateConnect>) {
          return OnIndicateConnect(m);
        } else if constexpr (std::is_same_v<T, dplay::HostMigrate>) {
          // Every member hears of the migration; only the new host has become it.
          if (m.newHost == m_ownId) {
            m_pending.SetId(mpstr::kHostMigrated, ui::kMbIconInformation);
            m_host = true;
          }
        } else if constexpr (std::is_same_v<T, dplay::TerminateSession>) {
          if (m.reason == dplay::Result::HostTerminatedSession)
            m_pending.SetId(mpstr::kRemovedByHost, ui::kMbIconInformation);
          else if (m.reason == dplay::Result::ConnectionLost)
            m_pending.SetId(mpstr::kConnectionLost, ui::kMbIconInformation);
          m_lost = true;
          m_sessionEnded.Set();
        } else if constexpr (std::is_same_v<T, dplay::Receive>) {
          OnReceive(m.sender, m.data);
        } else if constexpr (std::is_same_v<T, dplay::AsyncOpComplete>) {
          if (m.context != kGroupAddContext) m_connect.OnSearchComplete(m);
        } else if constexpr (std::is_same_v<T, dplay::EnumHostsResponse>) {
          m_connect.OnHostResponse(m);
        }
        return dplay::Result::Ok;
      },
      message);
}

void Dp8Session::OnConnectComplete(const dplay::ConnectComplete& m) {
  if (m.result == dplay::Result::Ok) {
    m_ownId = m.localPlayer;
    m_lost = false;
    return;
  }
  const unsigned reason = ConnectErrorReason(m.result);
  if (m.result == dplay::Result::HostRejectedConnection && !m.replyData.empty())
    m_pending.SetReply(mpstr::kConnectFailed, reason, ReplyText(m.replyData), ui::kMbIconInformation);
  else
    m_pending.SetPair(mpstr::kConnectFailed, reason, ui::kMbIconInformation);
  m_sessionEnded.Set();
  m_playersGone.Set();
}

void Dp8Session::OnCreatePlayer(const dplay::CreatePlayer& m) {
  MpPlayerRecordDP8 record;
  record.entry.playerId = m.player;
  dplay::PlayerInfo info;
  if (m_peer && m_peer->GetPeerInfo(m.player, info) == dplay::Result::Ok) {
    SetEntryName(record.entry, NameOf(info.name));
    if (const auto block = mp::DecodePeerBlock(info.data)) {
      record.flags = block->flags;
      SetPeerText(record, block->text);
    }
  }
  {
    std::lock_guard lock(m_playerLock);
    m_players.Set(m.player, record);
  }
  if (m_host && (record.flags & mp::kPeerObserver) != 0 && m_peer) {
    std::vector<dplay::PlayerId> groups;
    if (m_peer->EnumPlayersAndGroups(groups, dplay::kEnumGroups) == dplay::Result::Ok && !groups.empty()) {
      dplay::Handle handle = 0;
      m_peer->AddPlayerToGroup(groups.front(), m.player, kGroupAddContext, &handle);
    }
  }
}

void Dp8Session::OnPeerInfo(const dplay::PeerInfoChanged& m) {
  dplay::PlayerInfo info;
  if (!m_peer || m_peer->GetPeerInfo(m.player, info) != dplay::Result::Ok) return;
  const auto block = mp::DecodePeerBlock(info.data);
  if (!block) return;
  constexpr uint32_t kChanging = mp::kPeerHostBits | mp::kPeerPublicPlan;
  std::lock_guard lock(m_playerLock);
  if (MpPlayerRecordDP8* r = m_players.Find(m.player)) r->flags = (r->flags & ~kChanging) | (block->flags & kChanging);
}

void Dp8Session::OnDestroyPlayer(const dplay::DestroyPlayer& m) {
  std::lock_guard lock(m_playerLock);
  m_players.Remove(m.player);
  if (m_players.Empty()) {
    m_lost = true;
    m_playersGone.Set();
  }
}

dplay::Result Dp8Session::OnIndicateConnect(dplay::IndicateConnect& m) {
  if (m.connectData.size() < mp::kMinConnectDataSize || !m_peer) return dplay::Result::HostRejectedConnection;
  dplay::ApplicationDesc desc;
  if (m_peer->GetApplicationDesc(desc) != dplay::Result::Ok) return dplay::Result::HostRejectedConnection;
  const mp::SessionLimits limits = mp::ReadSessionLimits(desc.reservedData, desc.maxPlayers);
  mp::Admission admission;
  {
    std::lock_guard lock(m_playerLock);
    const Dp8Members members = MembersOf(m_players);
    admission = mp::DecideDp8Admission(m.connectData, limits, members.views);
  }
  if (admission.admit) return dplay::Result::Ok;
  if (admission.reply != 0) m.replyData = mp::AdmissionReplyBytes(admission.reply);
  return dplay::Result::HostRejectedConnection;
}

void Dp8Session::OnReceive(uint32_t sender, const std::vector<uint8_t>& data) {
  const auto header = mp::ReadHeader(data);
  if (!header) return;
  if (header->id == mp::dp8::kPlanRequest) {
    AnswerPlanRequest(sender);
  } else if (header->id == mp::dp8::kPlanAnswer) {
    if (const auto image = mp::DecodePlanAnswer(data)) m_receivedPlan.Offer(sender, *image);
  } else {
    std::lock_guard lock(m_playerLock);
    ReceiveDp8PlayerMessage(m_players, sender, data, m_clock.TickCount());
  }
}

void Dp8Session::AnswerPlanRequest(uint32_t sender) {
  // A private plan is not given out, whoever asks.
  if (!IsPlanPublic() || !m_peer || !m_planPace.Allow(sender, m_clock.TickCount())) return;
  std::vector<uint8_t> answer;
  try {
    archive::MemoryFile image;
    if (!m_plan.WritePlanImage(image)) return;
    answer = mp::EncodePlanAnswer(mp::dp8::kPlanAnswer, image.Bytes());
  } catch (const std::bad_alloc&) {
    return;
  }
  m_peer->SendTo(sender, std::move(answer));
}
