// The host side of a session: admission, the membership and group order, relaying data, the
// members' links, and taking over after a migration.
#include "platform/dplay/EngineImpl.h"

#include <algorithm>
#include <random>

#include "platform/dplay/Digest.h"

namespace dplay {

using asio::ip::tcp;

namespace {

std::vector<uint8_t> NewSecret() {
  // Straight from the system's source: a seeded generator could be foretold from the session
  // GUIDs it also makes.
  std::random_device source;
  std::vector<uint8_t> secret(wire::kSecretBytes);
  for (size_t i = 0; i < secret.size(); ++i) {
    if (i % 4 == 0) {
      const uint32_t word = source();
      for (size_t j = 0; j < 4 && i + j < secret.size(); ++j) secret[i + j] = static_cast<uint8_t>(word >> (8 * j));
    }
  }
  return secret;
}

std::vector<uint8_t> DigestOf(std::span<const uint8_t> secret) {
  const Digest digest = Sha256(secret);
  return {digest.begin(), digest.end()};
}

bool ProvesRejoin(const wire::Hello& hello, const wire::PlayerRecord& record) {
  return hello.secret.size() == wire::kSecretBytes && !record.secretDigest.empty() &&
         DigestOf(hello.secret) == record.secretDigest;
}

}  // namespace

Result Engine::Impl::StartHost(const wire::Description& description, const Address& device,
                               bool withPlayer, const std::string& name,
                               const std::vector<uint8_t>& data) {
  if (m_role != Role::Idle) return Result::InvalidCall;
  if (withPlayer && !wire::WithinPlayerLimits(name, data)) return Result::InvalidParam;
  if (Result r = OpenListener(device); r != Result::Ok) return r;
  m_desc = description;
  m_desc.instance = Guid::Random();
  m_desc.flags &= ~kEnginePasswordRequired;
  m_role = Role::Host;
  if (withPlayer) {
    Player player = OwnPlayer(name, data);
    m_self = m_hostPlayer = player.record.id;
    m_players[m_self] = player;
    m_listener.OnPlayerCreated(m_self, name, true);
  }
  return Result::Ok;
}

Engine::Impl::Player Engine::Impl::OwnPlayer(const std::string& name, const std::vector<uint8_t>& data) {
  Player player;
  player.record.id = NewId();
  player.record.joinOrder = 0;
  player.record.name = name;
  player.record.data = data;
  player.record.port = m_listenPort;
  m_ownSecret = NewSecret();
  player.record.secretDigest = DigestOf(m_ownSecret);
  return player;
}

size_t Engine::Impl::UnadmittedLinks() const {
  return static_cast<size_t>(std::count_if(m_links.begin(), m_links.end(), [](const auto& entry) {
    return entry.second->state != Link::State::Player;
  }));
}

void Engine::Impl::Accept() {
  if (!m_acceptor || m_accepting) return;
  if (SteadyClock::now() < m_acceptAfter || UnadmittedLinks() >= kMaxUnadmittedLinks) return;
  m_accepting = true;
  m_acceptor->async_accept([this, acceptor = m_acceptor.get()](std::error_code ec, tcp::socket socket) {
    if (ec == asio::error::operation_aborted || m_acceptor.get() != acceptor) return;
    m_accepting = false;
    if (ec) {
      // Out of descriptors, mostly: the connection waits in the backlog, and trying again at
      // once would only fail again, as fast as the processor goes.
      m_acceptAfter = SteadyClock::now() + kAcceptRetry;
      return;
    }
    auto link =
        std::make_shared<Link>(std::move(socket), m_nextLinkId++, std::chrono::milliseconds(m_config.gatherMs));
    link->state = Link::State::AwaitHello;
    link->deadline = SteadyClock::now() + std::chrono::milliseconds(m_config.connectTimeoutMs);
    link->SetFrameLimit(wire::kMaxHelloPayload);
    m_links[link->Id()] = link;
    link->Start([this](Link& l, wire::Frame& f) { HostFrame(l, f); },
                [this](Link& l) { HostLinkFailed(l); });
    Accept();
  });
}

void Engine::Impl::Refuse(Link& link, Result result, std::vector<uint8_t> reply) {
  link.Send(wire::FrameKind::Refuse, wire::Encode(wire::Refuse{result, std::move(reply)}));
  link.CloseAfterFlush();
  m_links.erase(link.Id());
}

void Engine::Impl::HostFrame(Link& link, wire::Frame& frame) {
  auto self = m_links.count(link.Id()) ? m_links[link.Id()] : nullptr;
  if (!self) return;
  const auto kind = static_cast<wire::FrameKind>(frame.kind);
  if (link.state == Link::State::AwaitHello) {
    auto hello = kind == wire::FrameKind::Hello ? wire::DecodeHello(frame.payload) : std::nullopt;
    if (!hello || hello->magic != wire::kMagic) {
      // Not our protocol: drop it without a word.
      link.Abort();
      m_links.erase(link.Id());
      return;
    }
    link.hello = std::move(*hello);
    HandleHello(self);
    return;
  }
  if (link.state == Link::State::AwaitAnswer || link.state == Link::State::Parked ||
      link.state == Link::State::AwaitCreate)
    return;

  switch (kind) {
    case wire::FrameKind::Data: {
      if (link.state != Link::State::Player) return;
      auto data = wire::DecodeData(frame.payload);
      if (!data) return;
      const PlayerId to = data->to;
      if (to != 0 && !m_players.contains(to) && !IsGroup(to)) return;
      Route(link.player, to, data->flags, std::move(data->payload));
      return;
    }
    case wire::FrameKind::PlayerInfo: {
      if (link.state != Link::State::Player) return;
      auto info = wire::DecodePlayerInfo(frame.payload);
      if (!info || !m_players.contains(link.player)) return;
      auto& record = m_players[link.player].record;
      const std::string& name = (info->fields & 1) ? info->name : record.name;
      const std::vector<uint8_t>& data = (info->fields & 2) ? info->data : record.data;
      if (!wire::WithinPlayerLimits(name, data)) return;
      if (info->fields & 1) record.name = info->name;
      if (info->fields & 2) record.data = info->data;
      Broadcast(wire::FrameKind::PlayerInfo,
                wire::Encode(wire::PlayerInfo{link.player, info->fields, record.name, record.data}));
      m_listener.OnPeerInfo(link.player);
      return;
    }
    case wire::FrameKind::PlayerLeft: {
      if (link.state != Link::State::Player) return;
      const PlayerId id = link.player;
      link.state = Link::State::Spectator;
      link.player = 0;
      link.SetFrameLimit(wire::kMaxHelloPayload);
      if (m_players.contains(id)) RemovePlayer(id, DestroyReason::Normal);
      return;
    }
    case wire::FrameKind::CreatePlayer: {
      if (link.state != Link::State::Spectator) return;
      auto info = wire::DecodePlayerInfo(frame.payload);
      if (!info) return;
      HostCreatePlayer(self, *info);
      return;
    }
    default:
      return;  // heartbeats, and kinds a member has no business sending
  }
}

void Engine::Impl::HandleHello(const std::shared_ptr<Link>& link) {
  const wire::Hello& hello = link->hello;
  const bool rejoin = (hello.flags & wire::kHelloRejoin) != 0;
  if (hello.version != wire::kVersion) return Refuse(*link, Result::NotHost, {});
  if (m_role != Role::Host) {
    // A member that noticed the host's loss before this one did: wait for our own verdict.
    if (rejoin && (m_role == Role::Member || m_role == Role::Rejoining)) {
      link->state = Link::State::Parked;
      link->deadline = SteadyClock::now() +
                       std::chrono::milliseconds(m_config.linkTimeoutMs + m_config.connectTimeoutMs);
      return;
    }
    return Refuse(*link, Result::NotHost, {});
  }
  if (!hello.application.IsNull() && hello.application != m_desc.application)
    return Refuse(*link, Result::InvalidApplication, {});
  if (!hello.instance.IsNull() && hello.instance != m_desc.instance)
    return Refuse(*link, Result::InvalidInstance, {});
  if (!wire::WithinPlayerLimits(hello.name, hello.data) || hello.connectData.size() > wire::kMaxConnectDataBytes)
    return Refuse(*link, Result::InvalidParam, {});
  // Every Hello shows the password, a member's coming back after a migration too.
  if (!m_desc.password.empty() && hello.password != m_desc.password)
    return Refuse(*link, Result::InvalidPassword, {});
  if (rejoin && hello.rejoinAs != 0) {
    // Only the member itself knows the secret behind its record's digest.
    auto it = m_players.find(hello.rejoinAs);
    if (it == m_players.end() || !it->second.awaitingRejoin || !ProvesRejoin(hello, it->second.record))
      return Refuse(*link, Result::ConnectionLost, {});
    it->second.awaitingRejoin = false;
    it->second.link = link->Id();
    it->second.record.address = link->RemoteAddress();
    link->state = Link::State::Player;
    link->player = hello.rejoinAs;
    link->SetFrameLimit(wire::kMaxFramePayload);
    link->Send(wire::FrameKind::Welcome, wire::Encode(Snapshot(hello.rejoinAs)));
    return;
  }
  // A joiner without a player comes to make one: a full session has no room for it either. One
  // that followed the session without a player before the migration follows it again.
  if (!rejoin && m_desc.maxPlayers != 0 && m_players.size() >= m_desc.maxPlayers)
    return Refuse(*link, Result::SessionFull, {});
  if (rejoin || (hello.flags & wire::kHelloNoPlayer)) {
    link->state = Link::State::Spectator;
    link->Send(wire::FrameKind::Welcome, wire::Encode(Snapshot(0)));
    return;
  }
  link->state = Link::State::AwaitAnswer;
  link->deadline = SteadyClock::time_point::max();
  m_listener.OnIndicateConnect(link->Id(), hello.connectData,
                               Address{link->RemoteAddress(), link->RemotePort(), false});
}

void Engine::Impl::Answer(uint64_t token, Result result, std::vector<uint8_t> reply) {
  auto it = m_links.find(token);
  if (it == m_links.end()) return;
  auto link = it->second;
  const bool creating = link->state == Link::State::AwaitCreate;
  if (link->state != Link::State::AwaitAnswer && !creating) return;
  // A link that follows the session keeps following it when its player is refused.
  auto refuse = [&](Result r, std::vector<uint8_t> bytes) {
    if (!creating) return Refuse(*link, r, std::move(bytes));
    link->state = Link::State::Spectator;
    link->Send(wire::FrameKind::Refuse, wire::Encode(wire::Refuse{r, std::move(bytes)}));
  };
  if (m_role != Role::Host) return refuse(Result::NotHost, {});
  if (result != Result::Ok) return refuse(Result::HostRejectedConnection, std::move(reply));
  // Others may have joined while the application thought it over.
  if (m_desc.maxPlayers != 0 && m_players.size() >= m_desc.maxPlayers) return refuse(Result::SessionFull, {});
  Admit(link);
}

void Engine::Impl::Admit(const std::shared_ptr<Link>& link) {
  const bool created = link->state == Link::State::AwaitCreate;
  const std::vector<uint8_t> secret = NewSecret();
  Player player;
  player.record.id = NewId();
  player.record.joinOrder = m_nextJoinOrder++;
  player.record.name = link->hello.name;
  player.record.data = link->hello.data;
  player.record.address = link->RemoteAddress();
  player.record.port = link->hello.listenPort;
  player.record.secretDigest = DigestOf(secret);
  player.link = link->Id();
  const PlayerId id = player.record.id;
  m_players[id] = player;
  link->state = Link::State::Player;
  link->player = id;
  link->SetFrameLimit(wire::kMaxFramePayload);
  if (created) {
    link->Send(wire::FrameKind::PlayerCreated, wire::Encode(wire::OwnPlayer{player.record, secret}));
  } else {
    wire::Welcome welcome = Snapshot(id);
    welcome.secret = secret;
    link->Send(wire::FrameKind::Welcome, wire::Encode(welcome));
  }
  Broadcast(wire::FrameKind::PlayerJoined, wire::Encode(player.record), link->Id());
  m_listener.OnPlayerCreated(id, player.record.name, false);
}

void Engine::Impl::HostCreatePlayer(const std::shared_ptr<Link>& link, const wire::PlayerInfo& info) {
  Result refused = Result::Ok;
  if (!wire::WithinPlayerLimits(info.name, info.data))
    refused = Result::InvalidParam;
  else if (m_desc.maxPlayers != 0 && m_players.size() >= m_desc.maxPlayers)
    refused = Result::SessionFull;
  if (refused != Result::Ok) {
    link->Send(wire::FrameKind::Refuse, wire::Encode(wire::Refuse{refused, {}}));
    return;
  }
  // The player is made the way every other is: the application admits it first.
  link->hello.name = info.name;
  link->hello.data = info.data;
  link->state = Link::State::AwaitCreate;
  m_listener.OnIndicateConnect(link->Id(), link->hello.connectData,
                               Address{link->RemoteAddress(), link->RemotePort(), false});
}

wire::Welcome Engine::Impl::Snapshot(PlayerId you) const {
  wire::Welcome w;
  w.you = you;
  w.host = m_hostPlayer;
  w.nextJoinOrder = m_nextJoinOrder;
  w.description = Shared();
  for (const Player* player : PlayersInJoinOrder()) {
    wire::PlayerRecord record = player->record;
    // Members reach the host where they reached it; the host does not know that address.
    if (record.id == m_hostPlayer) record.address.clear();
    w.players.push_back(std::move(record));
  }
  w.groups = m_groups;
  return w;
}

void Engine::Impl::Broadcast(wire::FrameKind kind, std::span<const uint8_t> payload,
                             uint64_t exceptLink) {
  for (auto& [id, link] : m_links) {
    if (id == exceptLink) continue;
    if (link->state == Link::State::Player || link->state == Link::State::Spectator ||
        link->state == Link::State::AwaitCreate)
      link->Send(kind, payload);
  }
}

void Engine::Impl::Route(PlayerId from, PlayerId to, uint32_t flags, std::vector<uint8_t> payload) {
  std::vector<PlayerId> recipients;
  if (to == 0) {
    for (const auto& [id, player] : m_players)
      if (id != from || (flags & kEngineLoopback)) recipients.push_back(id);
  } else if (auto* group = FindGroup(to)) {
    for (PlayerId id : group->members)
      if (id != from || (flags & kEngineLoopback)) recipients.push_back(id);
  } else {
    recipients.push_back(to);
  }
  // One encoding for every member; the host's own player gets the bytes directly.
  std::vector<uint8_t> frame;
  bool local = false;
  for (PlayerId id : recipients) {
    auto it = m_players.find(id);
    if (it == m_players.end()) continue;
    if (id == m_self) {
      local = true;
      continue;
    }
    auto link = m_links.find(it->second.link);
    if (link == m_links.end()) continue;  // awaiting its rejoin: lost like on a broken link
    if (frame.empty()) frame = wire::Encode(wire::Data{from, to, flags, payload});
    link->second->Send(wire::FrameKind::Data, frame);
  }
  if (local) m_listener.OnReceive(from, m_self, std::move(payload));
}

void Engine::Impl::RemovePlayer(PlayerId id, DestroyReason reason) {
  auto it = m_players.find(id);
  if (it == m_players.end()) return;
  const std::string name = it->second.record.name;
  ErasePlayer(id);
  Broadcast(wire::FrameKind::PlayerLeft, wire::Encode(wire::PlayerLeft{id, static_cast<uint32_t>(reason)}));
  m_listener.OnPlayerDestroyed(id, name, reason);
}

void Engine::Impl::HostLinkFailed(Link& link) {
  const uint64_t id = link.Id();
  const auto state = link.state;
  const PlayerId player = link.player;
  m_links.erase(id);
  if (state == Link::State::Player && m_players.contains(player))
    RemovePlayer(player, DestroyReason::ConnectionLost);
}

void Engine::Impl::BecomeHost() {
  m_role = Role::Host;
  // The password this member joined with is the session's from now on.
  m_desc.flags &= ~kEnginePasswordRequired;
  const auto deadline =
      SteadyClock::now() + std::chrono::milliseconds(m_config.linkTimeoutMs + m_config.connectTimeoutMs);
  for (auto& [id, player] : m_players) {
    if (id == m_self) continue;
    player.awaitingRejoin = true;
    player.rejoinDeadline = deadline;
    player.link = 0;
  }
  for (const auto& [id, player] : m_players) m_nextJoinOrder = std::max(m_nextJoinOrder, player.record.joinOrder + 1);
  m_players[m_self].record.address.clear();
  m_players[m_self].record.port = m_listenPort;
  // Members that came early were parked until now.
  std::vector<std::shared_ptr<Link>> parked;
  for (auto& [id, link] : m_links)
    if (link->state == Link::State::Parked) parked.push_back(link);
  for (auto& link : parked) HandleHello(link);
}

void Engine::Impl::RefuseParked() {
  std::vector<std::shared_ptr<Link>> parked;
  for (auto& [id, link] : m_links)
    if (link->state == Link::State::Parked) parked.push_back(link);
  for (auto& link : parked) Refuse(*link, Result::NotHost, {});
}

void Engine::Impl::ExpireLinks(SteadyClock::time_point now) {
  std::vector<std::shared_ptr<Link>> expired;
  for (auto& [id, link] : m_links)
    if ((link->state == Link::State::AwaitHello || link->state == Link::State::Parked) &&
        now >= link->deadline)
      expired.push_back(link);
  for (auto& link : expired) {
    if (link->state == Link::State::Parked) {
      Refuse(*link, Result::NotHost, {});
    } else {
      link->Abort();
      m_links.erase(link->Id());
    }
  }
}

void Engine::Impl::HostSweep(SteadyClock::time_point now) {
  std::vector<PlayerId> gone;
  for (const auto& [id, player] : m_players)
    if (player.awaitingRejoin && now >= player.rejoinDeadline) gone.push_back(id);
  for (PlayerId id : gone) RemovePlayer(id, DestroyReason::ConnectionLost);
}

}  // namespace dplay
