#include "plotr/multiplayer/Dp4Session.h"

#include <algorithm>
#include <array>
#include <exception>
#include <utility>

#include "platform/archive/MemoryFile.h"
#include "platform/dplay/SystemMessages.h"
#include "platform/simapi/MpMessages.h"
#include "platform/ui/MessageBox.h"
#include "plotr/multiplayer/Dp4Wizard.h"
#include "plotr/multiplayer/MpDialogModels.h"

namespace {

constexpr int kJoinRetries = 10;
constexpr int kAdmissionRetries = 5;
// The session description is written again this often while the link is down.
constexpr int kDescriptionTries = 4;
constexpr size_t kNameChars = 30;

bool Tolerated(dplay::Result r) { return r == dplay::Result::InvalidPlayer || r == dplay::Result::ConnectionLost; }

}  // namespace

Dp4Session::Dp4Session(IMultiplayerUi& ui, IPlanImageSource& plan, win::Clock& clock, std::function<int()> simVersion,
                       dplay::Config config)
    : m_ui(ui), m_plan(plan), m_clock(clock), m_simVersion(std::move(simVersion)), m_config(std::move(config)) {
  AddMultiplayerStrings();
}

Dp4Session::~Dp4Session() {
  // The worker uses every member; it ends before any of them goes.
  if (m_worker.joinable()) {
    m_exitEvent.Set();
    m_worker.join();
  }
  if (m_session) m_session->Close();
}

void Dp4Session::SetPlayerName(const std::string& name) { m_playerName = name.substr(0, kNameChars); }

void Dp4Session::SetSession(std::unique_ptr<dplay::Session> session) {
  std::lock_guard lock(m_playerLock);
  if (m_session) m_session->Close();
  m_session = std::move(session);
}

std::vector<dplay::Address> Dp4Session::LocalHostAddresses() const {
  std::lock_guard lock(m_playerLock);
  return m_session ? m_session->GetLocalHostAddresses() : std::vector<dplay::Address>{};
}

Dp4PlayerMap Dp4Session::Players() const {
  std::lock_guard lock(m_playerLock);
  return m_players;
}

// ----- slots -----

void Dp4Session::OnTick() {
  m_pending.ShowOn(m_ui);
}

void Dp4Session::JoinWorker() {
  if (m_worker.joinable()) m_worker.join();
}

bool Dp4Session::Connect() {
  if (m_connected || m_busy) return false;
  JoinWorker();
  m_public = false;
  m_connected = false;
  m_busy = false;
  m_host = false;
  Dp4Wizard wizard(*this);
  if (!m_ui.RunDp4Wizard(wizard) || !m_session) return false;
  m_exitEvent.Reset();
  m_busy = true;
  m_connected = true;
  try {
    m_worker = std::thread([this] { WorkerMain(); });
  } catch (const std::system_error&) {
    SetSession(nullptr);
    m_busy = false;
    m_connected = false;
    return false;
  }
  return true;
}

void Dp4Session::Disconnect() {
  if (!m_connected) return;
  m_busy = true;
  m_exitEvent.Set();
  JoinWorker();
  m_public = false;
  m_connected = false;
  m_busy = false;
  m_host = false;
}

void Dp4Session::HostSettings() {
  if (!m_connected || m_busy) return;
  std::optional<Dp4HostSettingsModel> model;
  {
    std::lock_guard lock(m_playerLock);
    dplay::SessionDesc desc;
    if (!m_session || m_session->GetSessionDesc(desc) != dplay::Result::Ok) return;
    model.emplace(m_ownId, m_players, mp::UnpackCounts(desc.user1), m_simVersion());
  }
  if (!m_ui.RunDp4HostSettings(*model)) return;
  const std::vector<uint32_t> remaining = model->Players().RemainingIds();
  std::lock_guard lock(m_playerLock);
  for (uint32_t id : m_players.Ids())
    if (std::find(remaining.begin(), remaining.end(), id) == remaining.end()) m_removals.push_back(id);
  m_newPilotLimit = model->PilotLimit();
  m_newObserverLimit = model->ObserverLimit();
  m_limitsChanged = true;
}

void Dp4Session::PublishPlayerData(bool makePublic) {
  std::lock_guard lock(m_playerLock);
  m_public = makePublic;
  m_noticeCountdown = 0;
}

bool Dp4Session::AnyRemotePlanPublic() const {
  std::lock_guard lock(m_playerLock);
  bool any = false;
  const uint32_t own = m_ownId;
  m_players.ForEach([&](uint32_t id, const MpPlayerRecordDP4& r) {
    if (id != own && r.publicPlan != 0) any = true;
  });
  return any;
}

void Dp4Session::OpenFromRemote() {
  std::vector<MpPlayerEntry> players;
  ListPublicPlanPlayers(players, true);
  OpenRemoteModel model(std::move(players));
  if (!m_ui.RunOpenRemote(model) || !model.Chosen()) return;
  std::lock_guard lock(m_playerLock);
  m_planTarget = *model.Chosen();
  m_planRequest = true;
  m_receivedPlan.Ask(m_planTarget);
}

bool Dp4Session::LoadReceivedPlan(archive::MemoryFile& file) { return m_receivedPlan.Load(file, m_pending); }

void Dp4Session::ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic) const {
  players.clear();
  if (!m_connected || m_busy) return;
  std::lock_guard lock(m_playerLock);
  ListDp4Players(m_players, m_ownId, onlyPublic, players);
}

// ----- worker -----

void Dp4Session::WorkerMain() {
  BeginJoin();
  uint32_t last = m_clock.TickCount();
  std::array<win::AutoResetEvent*, 2> events{&m_exitEvent, &m_messageEvent};
  for (;;) {
    const int woke = win::WaitAny(events, kWakeIntervalMs);
    if (woke == 0) break;
    if (woke == 1) {
      std::lock_guard lock(m_playerLock);
      if (!ReceiveAll()) break;
    }
    const uint32_t now = m_clock.TickCount();
    if (win::TicksBetween(last, now) >= kStepIntervalMs) {
      last = now;
      std::lock_guard lock(m_playerLock);
      if (!StepSession()) break;
    }
  }
  EndSession();
}

void Dp4Session::BeginJoin() {
  // Connected from here on, busy until the admission request is out.
  m_connected = true;
  m_busy = true;
  std::lock_guard lock(m_playerLock);
  m_ownId = 0;
  m_refuseGroup = 0;
  m_requestGroup = 0;
  m_players.Clear();
  m_removals.clear();
  m_limitsChanged = false;
  m_planRequest = false;
  m_retryBudget = kJoinRetries;
  m_joinState = kFindGroups;
  m_noticeCountdown = 0;
}

void Dp4Session::EndSession() {
  {
    std::lock_guard lock(m_playerLock);
    if (m_session) {
      if (m_ownId != 0) m_session->DestroyPlayer(m_ownId);
      m_session->Close();
      m_session.reset();
    }
    m_players.Clear();
    m_removals.clear();
    m_limitsChanged = false;
    m_planRequest = false;
  }
  m_receivedPlan.Clear();
  m_public = false;
  m_connected = false;
  m_busy = false;
  m_host = false;
}

dplay::Result Dp4Session::Send(uint32_t to, uint32_t flags, std::vector<uint8_t> data) {
  if (!m_session) return dplay::Result::InvalidCall;
  return m_session->Send(m_ownId, to, flags, std::move(data));
}

dplay::Result Dp4Session::SetSessionDesc(const dplay::SessionDesc& desc) {
  dplay::Result r = dplay::Result::InvalidCall;
  for (int i = 0; i < kDescriptionTries; ++i) {
    r = m_session->SetSessionDesc(desc);
    if (r != dplay::Result::ConnectionLost) break;
  }
  return r;
}

bool Dp4Session::ReceiveAll() {
  if (!m_session) return false;
  for (;;) {
    uint32_t from = 0, to = 0;
    std::vector<uint8_t> data;
    const dplay::Result r = m_session->Receive(from, to, data);
    if (r == dplay::Result::NoMessages) return true;
    if (r != dplay::Result::Ok) return false;
    const bool go = from == dplay::kSystemPlayer ? OnSystemMessage(data) : OnReceive(from, to, data);
    if (!go) return false;
  }
}

bool Dp4Session::RetryOnLost(dplay::Result r, int next) {
  if (r == dplay::Result::Ok) {
    m_retryBudget = kJoinRetries;
    m_joinState = next;
    return true;
  }
  if (r != dplay::Result::ConnectionLost) return false;
  return --m_retryBudget >= 0;
}

bool Dp4Session::StepSession() {
  if (!m_session) return false;
  switch (m_joinState) {
    case kFindGroups: {
      std::vector<dplay::NamedId> groups;
      const dplay::Result r = m_session->EnumGroups(groups);
      m_refuseGroup = m_requestGroup = 0;
      if (r == dplay::Result::Ok) {
        for (const dplay::NamedId& g : groups) {
          if (g.shortName == mp::kGroupRefuseParams) m_refuseGroup = g.id;
          if (g.shortName == mp::kGroupRequestParams) m_requestGroup = g.id;
        }
      }
      return RetryOnLost(r, kCreatePlayer);
    }
    case kCreatePlayer: {
      dplay::PlayerId own = 0;
      const dplay::Result r = m_session->CreatePlayer(&own, "*" + m_playerName, &m_messageEvent);
      if (r == dplay::Result::Ok) m_ownId = own;
      return RetryOnLost(r, kJoinGroup);
    }
    case kJoinGroup: {
      dplay::Result r = m_refuseGroup != 0 ? m_session->AddPlayerToGroup(m_refuseGroup, m_ownId) : dplay::Result::Ok;
      // Our session transport lets only the host change groups; the membership only spares this
      // player the host's parameters, so joining goes on without it.
      if (r == dplay::Result::NotHost) r = dplay::Result::Ok;
      return RetryOnLost(r, kListPlayers);
    }
    case kListPlayers: {
      std::vector<dplay::NamedId> players;
      const dplay::Result r = m_session->EnumPlayers(players);
      if (r == dplay::Result::Ok) {
        for (const dplay::NamedId& p : players) {
          MpPlayerRecordDP4 record;
          record.entry.playerId = p.id;
          SetEntryName(record.entry, p.shortName);
          m_players.Set(p.id, record);
        }
      } else {
        m_players.Clear();
      }
      return RetryOnLost(r, kRequestAdmission);
    }
    case kRequestAdmission: {
      const dplay::Result r =
          Send(dplay::kAllPlayersButSender, dplay::kSendGuaranteed, mp::EncodeBare(mp::dp4::kPilotRequest));
      if (!RetryOnLost(r, kAwaitAdmission)) return false;
      if (r == dplay::Result::Ok) {
        m_admissionCountdown = kAdmissionSteps;
        m_retryBudget = kAdmissionRetries;
        m_busy = false;
      }
      return true;
    }
    case kAwaitAdmission: {
      if (--m_admissionCountdown >= 0) return true;
      const dplay::Result r =
          Send(dplay::kAllPlayersButSender, dplay::kSendGuaranteed, mp::EncodeBare(mp::dp4::kForcedPilotRequest));
      if (r == dplay::Result::Ok) {
        if (--m_retryBudget < 0) {
          m_pending.SetId(mpstr::kConnectionLost, ui::kMbIconInformation);
          return false;
        }
        m_admissionCountdown = kAdmissionSteps;
        return true;
      }
      if (r != dplay::Result::ConnectionLost) return false;
      return --m_retryBudget >= 0;
    }
    case kAdmitted:
      return StepAdmitted();
    default:
      return false;
  }
}

bool Dp4Session::StepAdmitted() {
  // Players of unknown kind are asked what they are.
  for (uint32_t id : m_players.Ids()) {
    MpPlayerRecordDP4* r = m_players.Find(id);
    if (r == nullptr || r->kind != mp::dp4::kKindUnknown) continue;
    if (--r->queryCountdown >= 0) continue;
    r->queryCountdown = kQuerySteps;
    const dplay::Result sent = Send(id, 0, mp::EncodeBare(mp::dp4::kStatusQuery));
    if (sent == dplay::Result::InvalidPlayer) {
      m_players.Remove(id);
      break;
    }
    if (sent != dplay::Result::Ok && sent != dplay::Result::ConnectionLost) return false;
  }
  if (!m_removals.empty()) {
    const dplay::Result r = Send(m_removals.front(), 0, mp::EncodeBare(mp::dp4::kRemoved));
    if (r == dplay::Result::Ok || r == dplay::Result::InvalidPlayer)
      m_removals.erase(m_removals.begin());
    else if (r != dplay::Result::ConnectionLost)
      return false;
  }
  if (m_limitsChanged) {
    dplay::SessionDesc desc;
    if (m_session->GetSessionDesc(desc) != dplay::Result::Ok) return false;
    const mp::Dp4Limits limits = mp::ApplyDp4Limits(mp::UnpackCounts(desc.user1), desc.currentPlayers, m_newPilotLimit,
                                                    m_newObserverLimit, m_simVersion());
    desc.maxPlayers = limits.maxPlayers;
    desc.user1 = mp::PackCounts(limits.counts);
    if (SetSessionDesc(desc) != dplay::Result::Ok) return false;
    m_limitsChanged = false;
  }
  if (--m_noticeCountdown < 0) {
    const dplay::Result r = Send(dplay::kAllPlayersButSender, 0, mp::EncodePublicNotice(m_public));
    if (r == dplay::Result::Ok)
      m_noticeCountdown = kNoticeSteps;
    else if (r != dplay::Result::ConnectionLost)
      return false;
  }
  if (m_planRequest) {
    const dplay::Result r = Send(m_planTarget, dplay::kSendGuaranteed, mp::EncodeBare(mp::dp4::kPlanRequest));
    if (r == dplay::Result::Ok || r == dplay::Result::InvalidPlayer)
      m_planRequest = false;
    else if (r != dplay::Result::ConnectionLost)
      return false;
  }
  return true;
}

bool Dp4Session::OnReceive(uint32_t sender, uint32_t receiver, const std::vector<uint8_t>& data) {
  const auto header = mp::ReadHeader(data);
  if (!header) return true;
  switch (header->id) {
    case mp::dp4::kPilotRequest:
    case mp::dp4::kObserverRequest:
    case mp::dp4::kForcedPilotRequest:
    case mp::dp4::kForcedObserverRequest:
    case mp::dp4::kMoveToObservers:
    case mp::dp4::kForcedMoveToObservers:
      return m_host ? Admit(sender, header->id) : true;
    case mp::dp4::kPilotGranted:
    case mp::dp4::kObserverGranted:
      if (const auto id = mp::DecodePlayerId(data); id && *id == m_ownId && m_ownId != 0) m_joinState = kAdmitted;
      ReceiveDp4PlayerMessage(m_players, sender, data, m_simVersion(), m_clock.TickCount());
      return true;
    case mp::dp4::kPilotRefused:
    case mp::dp4::kObserverRefused:
      // Only the host refuses; the same words from anyone else are no reason to leave.
      if (sender == 0 || sender != m_session->HostPlayer()) return true;
      m_pending.SetPair(mpstr::kConnectFailed,
                        header->id == mp::dp4::kPilotRefused ? mp::kReplyNoMorePilots : mp::kReplyNoMoreObservers,
                        ui::kMbIconInformation);
      return false;
    case mp::dp4::kStatusQuery: {
      if (receiver != m_ownId) return true;
      const MpPlayerRecordDP4* own = m_players.Find(m_ownId);
      if (own == nullptr || own->kind == mp::dp4::kKindUnknown) return true;
      const uint32_t answer = own->kind == mp::dp4::kKindPilot ? mp::dp4::kPilotGranted : mp::dp4::kObserverGranted;
      const dplay::Result r = Send(sender, 0, mp::EncodePlayerId(answer, m_ownId));
      return r == dplay::Result::Ok || Tolerated(r);
    }
    case mp::dp4::kPlanRequest:
      return AnswerPlanRequest(sender);
    case mp::dp4::kPlanAnswer:
      if (const auto image = mp::DecodePlanAnswer(data)) m_receivedPlan.Offer(sender, *image);
      return true;
    default:
      ReceiveDp4PlayerMessage(m_players, sender, data, m_simVersion(), m_clock.TickCount());
      return true;
  }
}

bool Dp4Session::Admit(uint32_t sender, uint32_t requestId) {
  dplay::SessionDesc desc;
  if (m_session->GetSessionDesc(desc) != dplay::Result::Ok) return false;
  MpPlayerRecordDP4* record = m_players.Find(sender);
  const auto decision = mp::DecideDp4Admission(requestId, record != nullptr,
                                               record != nullptr ? record->kind : mp::dp4::kKindUnknown,
                                               mp::UnpackCounts(desc.user1));
  if (!decision) return true;
  const bool grant = decision->answer == mp::dp4::kPilotGranted || decision->answer == mp::dp4::kObserverGranted;
  const dplay::Result r =
      Send(sender, 0, grant ? mp::EncodePlayerId(decision->answer, sender) : mp::EncodeBare(decision->answer));
  if (r != dplay::Result::Ok) return Tolerated(r);
  if (!decision->counts) return true;
  desc.user1 = mp::PackCounts(decision->after);
  if (SetSessionDesc(desc) != dplay::Result::Ok) return false;
  if (MpPlayerRecordDP4* again = m_players.Find(sender)) again->kind = decision->kind;
  return true;
}

bool Dp4Session::AnswerPlanRequest(uint32_t sender) {
  // A private plan is not given out, whoever asks.
  if (!m_public || !m_planPace.Allow(sender, m_clock.TickCount())) return true;
  std::vector<uint8_t> answer;
  try {
    archive::MemoryFile image;
    if (!m_plan.WritePlanImage(image)) return true;
    answer = mp::EncodePlanAnswer(mp::dp4::kPlanAnswer, image.Bytes());
  } catch (const std::bad_alloc&) {
    return true;
  }
  const dplay::Result r = Send(sender, dplay::kSendGuaranteed, std::move(answer));
  return r == dplay::Result::Ok || Tolerated(r);
}

bool Dp4Session::OnSystemMessage(const std::vector<uint8_t>& data) {
  const auto m = dplay::ReadSystemMessage(data);
  if (!m) return true;
  switch (m->type) {
    case dplay::kSysCreatePlayerOrGroup: {
      if (m->playerType != dplay::kPlayerTypePlayer) return true;
      MpPlayerRecordDP4 record;
      record.entry.playerId = m->id;
      SetEntryName(record.entry, m->shortName);
      m_players.Set(m->id, record);
      return true;
    }
    case dplay::kSysSetPlayerOrGroupName:
      if (m->playerType == dplay::kPlayerTypePlayer)
        if (MpPlayerRecordDP4* r = m_players.Find(m->id)) SetEntryName(r->entry, m->shortName);
      return true;
    case dplay::kSysDestroyPlayerOrGroup: {
      if (m->playerType != dplay::kPlayerTypePlayer) return true;
      if (m->id == m_ownId) {
        m_ownId = 0;
        m_pending.SetId(mpstr::kRemovedByHost, ui::kMbIconInformation);
        return false;
      }
      const MpPlayerRecordDP4* r = m_players.Find(m->id);
      if (r == nullptr) return true;
      const uint32_t kind = r->kind;
      m_players.Remove(m->id);
      if (m_players.Size() <= 1) {
        m_pending.SetId(mpstr::kConnectionLost, ui::kMbIconInformation);
        return false;
      }
      if (m_host && kind != mp::dp4::kKindUnknown) {
        dplay::SessionDesc desc;
        if (m_session->GetSessionDesc(desc) != dplay::Result::Ok) return false;
        desc.user1 = mp::PackCounts(mp::CountsAfterLeave(mp::UnpackCounts(desc.user1), kind));
        if (SetSessionDesc(desc) != dplay::Result::Ok) return false;
      }
      return true;
    }
    case dplay::kSysSessionLost:
      m_pending.SetId(mpstr::kConnectionLost, ui::kMbIconInformation);
      return false;
    case dplay::kSysHost:
      m_pending.SetId(mpstr::kHostMigrated, ui::kMbIconInformation);
      m_host = true;
      return true;
    default:
      return true;
  }
}
