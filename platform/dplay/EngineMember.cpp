// The member side of a session: joining, following the host's orders, and finding the new
// host when the old one is lost.
#include "platform/dplay/EngineImpl.h"

#include <algorithm>

namespace dplay {

using asio::ip::tcp;

Result Engine::Impl::StartConnect(ConnectRequest request, Handle* handle) {
  if (m_role != Role::Idle) return Result::InvalidCall;
  if (request.host.host.empty()) return Result::InvalidHostAddress;
  if (!wire::WithinPlayerLimits(request.name, request.data) || request.password.size() > wire::kMaxPasswordBytes ||
      request.connectData.size() > wire::kMaxConnectDataBytes)
    return Result::InvalidParam;
  if (Result r = OpenListener(request.device); r != Result::Ok) return r;
  m_connect = std::move(request);
  m_connectHandle = m_nextHandle++;
  m_role = Role::Connecting;
  m_tcpConnected = false;
  m_connectDeadline = SteadyClock::now() + std::chrono::milliseconds(m_config.connectTimeoutMs);
  if (handle) *handle = m_connectHandle;
  ConnectTo(m_connect.host.host, m_connect.host.port ? m_connect.host.port : m_config.port, false);
  return Result::Pending;
}

void Engine::Impl::ConnectTo(const std::string& host, uint16_t port, bool rejoin) {
  const uint64_t generation = ++m_connectGeneration;
  auto failed = [this, rejoin](Result result) {
    if (rejoin) {
      TryNextHost();
    } else {
      CompleteConnect(result, {});
    }
  };
  m_resolver = std::make_shared<tcp::resolver>(m_io);
  m_resolver->async_resolve(
      tcp::v4(), host, std::to_string(port),
      [this, generation, rejoin, failed](std::error_code ec, tcp::resolver::results_type results) {
        if (generation != m_connectGeneration) return;
        if (ec || results.empty()) return failed(Result::InvalidHostAddress);
        auto socket = std::make_shared<tcp::socket>(m_io);
        asio::async_connect(
            *socket, results,
            [this, generation, rejoin, failed, socket](std::error_code ec, const tcp::endpoint& endpoint) {
              if (generation != m_connectGeneration) return;
              if (ec) return failed(Result::NoConnection);
              m_tcpConnected = true;
              m_hostAddress = endpoint.address().to_string();
              auto link = std::make_shared<Link>(std::move(*socket), m_nextLinkId++,
                                                 std::chrono::milliseconds(m_config.gatherMs));
              link->state = Link::State::AwaitHello;  // until Welcome: no link time-out
              m_hostLink = link;
              link->Start([this](Link& l, wire::Frame& f) { MemberFrame(l, f); },
                          [this](Link& l) { MemberLinkFailed(l); });
              wire::Hello hello;
              hello.application = m_connect.application;
              hello.instance = rejoin ? m_desc.instance : m_connect.instance;
              hello.listenPort = m_listenPort;
              hello.password = m_connect.password;
              if (rejoin) {
                hello.flags = wire::kHelloRejoin;
                hello.rejoinAs = m_self;
                if (m_self != 0) hello.secret = m_ownSecret;
              } else if (!m_connect.withPlayer) {
                hello.flags = wire::kHelloNoPlayer;
              }
              if (m_self != 0 && m_players.contains(m_self)) {
                hello.name = m_players[m_self].record.name;
                hello.data = m_players[m_self].record.data;
              } else {
                hello.name = m_connect.name;
                hello.data = m_connect.data;
              }
              hello.connectData = m_connect.connectData;
              link->Send(wire::FrameKind::Hello, wire::Encode(hello));
            });
      });
}

void Engine::Impl::MemberFrame(Link& link, wire::Frame& frame) {
  if (&link != m_hostLink.get()) return;
  const auto kind = static_cast<wire::FrameKind>(frame.kind);
  const std::span<const uint8_t> payload(frame.payload);
  if (kind == wire::FrameKind::Welcome) {
    if (m_role != Role::Connecting && m_role != Role::Rejoining) return;
    auto welcome = wire::DecodeWelcome(payload);
    if (!welcome) {
      link.Fail();
      return;
    }
    const bool rejoin = m_role == Role::Rejoining;
    Install(*welcome, rejoin);
    if (!rejoin) CompleteConnect(Result::Ok, {});
    return;
  }
  if (kind == wire::FrameKind::Refuse) {
    auto refuse = wire::DecodeRefuse(payload);
    if (!refuse) return;
    if (m_role == Role::Connecting) {
      CompleteConnect(refuse->result, std::move(refuse->reply));
    } else if (m_role == Role::Rejoining) {
      // Not the host (it joined another one): the next may be. Anything else: we are not wanted.
      if (refuse->result == Result::NotHost) {
        TryNextHost();
      } else {
        EndSession(Result::ConnectionLost, {});
      }
    } else if (m_pendingCreate) {
      m_pendingCreate->set_value({refuse->result, 0});
      m_pendingCreate.reset();
    }
    return;
  }
  if (m_role != Role::Member) return;
  switch (kind) {
    case wire::FrameKind::PlayerJoined:
    case wire::FrameKind::PlayerCreated: {
      const bool own = kind == wire::FrameKind::PlayerCreated;
      std::optional<wire::PlayerRecord> record;
      std::vector<uint8_t> secret;
      if (own) {
        if (auto created = wire::DecodeOwnPlayer(payload)) {
          record = std::move(created->record);
          secret = std::move(created->secret);
        }
      } else {
        record = wire::DecodePlayerRecord(payload);
      }
      if (!record || record->id == 0 || m_players.contains(record->id) || IsGroup(record->id)) return;
      const PlayerId id = record->id;
      NoteId(id);
      m_nextJoinOrder = std::max(m_nextJoinOrder, record->joinOrder + 1);
      Player player;
      player.record = std::move(*record);
      m_players[id] = std::move(player);
      if (own) {
        m_self = id;
        m_ownSecret = std::move(secret);
      }
      m_listener.OnPlayerCreated(id, m_players[id].record.name, own);
      // Only now may the caller of CreatePlayer go on: its front end knows the player it sends as.
      if (own && m_pendingCreate) {
        m_pendingCreate->set_value({Result::Ok, id});
        m_pendingCreate.reset();
      }
      return;
    }
    case wire::FrameKind::PlayerLeft: {
      auto left = wire::DecodePlayerLeft(payload);
      if (!left || !m_players.contains(left->id)) return;
      const std::string name = m_players[left->id].record.name;
      ErasePlayer(left->id);
      if (left->id == m_self) m_self = 0;
      const auto reason = left->reason <= static_cast<uint32_t>(DestroyReason::HostDestroyed)
                              ? static_cast<DestroyReason>(left->reason)
                              : DestroyReason::Normal;
      m_listener.OnPlayerDestroyed(left->id, name, reason);
      return;
    }
    case wire::FrameKind::PlayerInfo: {
      auto info = wire::DecodePlayerInfo(payload);
      if (!info || !m_players.contains(info->id)) return;
      auto& record = m_players[info->id].record;
      if (info->fields & 1) record.name = info->name;
      if (info->fields & 2) record.data = info->data;
      m_listener.OnPeerInfo(info->id);
      return;
    }
    case wire::FrameKind::Data: {
      auto data = wire::DecodeData(payload);
      if (!data || m_self == 0) return;
      m_listener.OnReceive(data->from, m_self, std::move(data->payload));
      return;
    }
    case wire::FrameKind::Description: {
      if (auto description = wire::DecodeDescription(payload)) TakeDescription(std::move(*description));
      return;
    }
    case wire::FrameKind::GroupCreated: {
      auto group = wire::DecodeGroupRecord(payload);
      if (!group || group->id == 0 || IsGroup(group->id) || m_players.contains(group->id)) return;
      NoteId(group->id);
      m_groups.push_back(*group);
      m_listener.OnGroupCreated(group->id, group->name);
      return;
    }
    case wire::FrameKind::GroupAdded: {
      auto added = wire::DecodeGroupAdded(payload);
      if (!added) return;
      auto* group = FindGroup(added->group);
      if (!group || !m_players.contains(added->player)) return;
      if (std::find(group->members.begin(), group->members.end(), added->player) == group->members.end())
        group->members.push_back(added->player);
      return;
    }
    case wire::FrameKind::Terminate: {
      auto terminate = wire::DecodeTerminate(payload);
      EndSession(Result::HostTerminatedSession, terminate ? std::move(terminate->data) : std::vector<uint8_t>{});
      return;
    }
    default:
      return;
  }
}

void Engine::Impl::Install(const wire::Welcome& welcome, bool rejoin) {
  std::map<PlayerId, Player> players;
  for (const auto& record : welcome.players) {
    if (record.id == 0) continue;
    Player player;
    player.record = record;
    if (record.id == welcome.host) player.record.address = m_hostAddress;
    NoteId(record.id);
    m_nextJoinOrder = std::max(m_nextJoinOrder, record.joinOrder + 1);
    players[record.id] = std::move(player);
  }
  for (const auto& group : welcome.groups) NoteId(group.id);
  m_nextJoinOrder = std::max(m_nextJoinOrder, welcome.nextJoinOrder);
  TakeDescription(welcome.description);
  m_hostPlayer = welcome.host;
  m_hostLink->state = Link::State::ToHost;
  m_role = Role::Member;

  if (!rejoin) {
    m_players = std::move(players);
    m_groups = welcome.groups;
    m_self = welcome.you;
    m_ownSecret = welcome.secret;
    // The own player first, then the others in the order they joined.
    if (m_self != 0 && m_players.contains(m_self))
      m_listener.OnPlayerCreated(m_self, m_players[m_self].record.name, true);
    for (const Player* player : PlayersInJoinOrder())
      if (player->record.id != m_self)
        m_listener.OnPlayerCreated(player->record.id, player->record.name, false);
    for (const auto& group : m_groups) m_listener.OnGroupCreated(group.id, group.name);
    return;
  }

  // Back with the new host: whoever it no longer knows is gone, whoever is new has joined.
  std::vector<std::pair<PlayerId, std::string>> gone;
  for (const auto& [id, player] : m_players)
    if (!players.contains(id)) gone.emplace_back(id, player.record.name);
  std::vector<PlayerId> added;
  // Info changed while this member was away (the new host's own, often) was relayed to the
  // members already back, not to this one: told now, as if it had been relayed.
  std::vector<PlayerId> changed;
  for (const auto& [id, player] : players) {
    auto before = m_players.find(id);
    if (before == m_players.end())
      added.push_back(id);
    else if (before->second.record.name != player.record.name || before->second.record.data != player.record.data)
      changed.push_back(id);
  }
  m_players = std::move(players);
  m_groups = welcome.groups;
  m_hostCandidates.clear();
  // Members that tried this one first are told it does not host, so they move on.
  RefuseParked();
  m_listener.OnHostMigrate(m_hostPlayer);
  for (const auto& [id, name] : gone) m_listener.OnPlayerDestroyed(id, name, DestroyReason::ConnectionLost);
  for (PlayerId id : added) m_listener.OnPlayerCreated(id, m_players[id].record.name, false);
  for (PlayerId id : changed) m_listener.OnPeerInfo(id);
  auto held = std::move(m_held);
  m_held.clear();
  for (auto& [kind, bytes] : held) m_hostLink->Send(kind, bytes);
}

void Engine::Impl::CompleteConnect(Result result, std::vector<uint8_t> reply) {
  if (m_role != Role::Connecting && !(result == Result::Ok && m_role == Role::Member)) return;
  if (result != Result::Ok) {
    ++m_connectGeneration;
    if (m_resolver) m_resolver->cancel();
    if (m_hostLink) {
      m_hostLink->Abort();
      m_hostLink.reset();
    }
    CloseListener();
    m_players.clear();
    m_groups.clear();
    m_ownSecret.clear();
    m_self = 0;
    m_hostPlayer = 0;
    m_role = Role::Idle;
  }
  m_listener.OnConnectComplete(m_connectHandle, result, result == Result::Ok ? m_self : 0,
                               std::move(reply));
}

void Engine::Impl::MemberLinkFailed(Link& link) {
  if (&link != m_hostLink.get()) return;
  m_hostLink.reset();
  switch (m_role) {
    case Role::Connecting:
      CompleteConnect(Result::NoResponse, {});
      break;
    case Role::Member:
      // Our own queue to the host overflowed: the host is not lost, this member leaves.
      if (link.Overflowed()) {
        EndSession(Result::ConnectionLost, {});
      } else {
        HostLost();
      }
      break;
    case Role::Rejoining:
      TryNextHost();
      break;
    default:
      break;
  }
}

void Engine::Impl::HostLost() {
  if (!(m_desc.flags & kEngineMigrateHost)) return EndSession(Result::ConnectionLost, {});
  const PlayerId old = m_hostPlayer;
  if (old != 0 && m_players.contains(old)) {
    const std::string name = m_players[old].record.name;
    ErasePlayer(old);
    m_listener.OnPlayerDestroyed(old, name, DestroyReason::ConnectionLost);
  }
  m_hostPlayer = 0;
  // The oldest may have gone down with the host: each is tried in turn, this member too.
  m_hostCandidates.clear();
  for (const Player* player : PlayersInJoinOrder()) m_hostCandidates.push_back(player->record.id);
  TryNextHost();
}

void Engine::Impl::TryNextHost() {
  // Whatever the last candidate's attempt still has under way is abandoned.
  ++m_connectGeneration;
  if (m_resolver) m_resolver->cancel();
  if (m_hostLink) {
    m_hostLink->Abort();
    m_hostLink.reset();
  }
  while (!m_hostCandidates.empty()) {
    const PlayerId next = m_hostCandidates.front();
    m_hostCandidates.erase(m_hostCandidates.begin());
    auto it = m_players.find(next);
    if (it == m_players.end()) continue;
    if (next == m_self) {
      m_hostCandidates.clear();
      m_hostPlayer = m_self;
      m_listener.OnHostMigrate(m_self);
      BecomeHost();
      return;
    }
    m_role = Role::Rejoining;
    m_connectDeadline = SteadyClock::now() +
                        std::chrono::milliseconds(m_config.connectTimeoutMs + m_config.linkTimeoutMs);
    ConnectTo(it->second.record.address, it->second.record.port, true);
    return;
  }
  EndSession(Result::ConnectionLost, {});
}

void Engine::Impl::TakeDescription(wire::Description description) {
  // The host sends no password; the one this member joined with stands for it.
  description.password = (description.flags & kEnginePasswordRequired) ? m_connect.password : std::string();
  m_desc = std::move(description);
}

void Engine::Impl::EndSession(Result reason, std::vector<uint8_t> data) {
  if (m_role != Role::Member && m_role != Role::Rejoining) return;
  ++m_connectGeneration;
  if (m_resolver) m_resolver->cancel();
  if (m_hostLink) {
    m_hostLink->Abort();
    m_hostLink.reset();
  }
  CloseListener();
  m_listener.OnTerminate(reason, std::move(data));
  const auto ownReason = reason == Result::HostTerminatedSession ? DestroyReason::HostDestroyed
                                                                 : DestroyReason::SessionTerminated;
  if (m_self != 0 && m_players.contains(m_self))
    m_listener.OnPlayerDestroyed(m_self, m_players[m_self].record.name, ownReason);
  for (const Player* player : PlayersInJoinOrder())
    if (player->record.id != m_self)
      m_listener.OnPlayerDestroyed(player->record.id, player->record.name,
                                   DestroyReason::SessionTerminated);
  m_players.clear();
  m_groups.clear();
  m_held.clear();
  m_hostCandidates.clear();
  m_ownSecret.clear();
  m_self = 0;
  m_hostPlayer = 0;
  if (m_pendingCreate) {
    m_pendingCreate->set_value({Result::ConnectionLost, 0});
    m_pendingCreate.reset();
  }
  m_role = Role::Idle;
}

void Engine::Impl::MemberSweep(SteadyClock::time_point now) {
  if (m_role == Role::Connecting && now >= m_connectDeadline) {
    CompleteConnect(m_tcpConnected ? Result::NoResponse : Result::NoConnection, {});
  } else if (m_role == Role::Rejoining && now >= m_connectDeadline) {
    TryNextHost();
  }
}

void Engine::Impl::SendToHost(wire::FrameKind kind, std::vector<uint8_t> payload) {
  if (m_role == Role::Rejoining) {
    m_held.emplace_back(kind, std::move(payload));
  } else if (m_hostLink) {
    m_hostLink->Send(kind, payload);
  }
}

}  // namespace dplay
