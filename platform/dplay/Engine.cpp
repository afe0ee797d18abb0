#include "platform/dplay/Engine.h"

#include <algorithm>

#include "platform/dplay/EngineImpl.h"

namespace dplay {

using asio::ip::tcp;
using asio::ip::udp;

// ----- Impl: lifetime and shared state -----

Engine::Impl::Impl(const Config& config, EngineListener& listener)
    : m_config(config), m_listener(listener), m_sweep(m_io) {
  // Sweeps drive heartbeats, time-outs and search repeats; a few per shortest interval.
  const uint32_t shortest = std::min(m_config.heartbeatIntervalMs, m_config.enumIntervalMs);
  m_sweepPeriod = std::chrono::milliseconds(std::clamp(shortest / 4, 5u, 50u));
}

Engine::Impl::~Impl() { Stop(); }

void Engine::Impl::Start() {
  m_work.emplace(asio::make_work_guard(m_io));
  m_thread = std::thread([this] { m_io.run(); });
  m_threadId = m_thread.get_id();
  Call([this] {
    ArmSweep();
    return 0;
  });
}

void Engine::Impl::Stop() {
  if (!m_thread.joinable()) return;
  Call([this] {
    CloseAll();
    m_sweep.cancel();
    return 0;
  });
  m_work.reset();
  // Links that still flush their last frames finish, or give up after their linger.
  m_thread.join();
}

void Engine::Impl::ArmSweep() {
  m_sweep.expires_after(m_sweepPeriod);
  m_sweep.async_wait([this](std::error_code ec) {
    if (ec || m_role == Role::Closed) return;
    Sweep();
    ArmSweep();
  });
}

void Engine::Impl::Sweep() {
  const auto now = SteadyClock::now();
  SearchSweep(now);
  ExpireLinks(now);
  if (m_role == Role::Host) HostSweep(now);
  if (m_role == Role::Connecting || m_role == Role::Member || m_role == Role::Rejoining)
    MemberSweep(now);
  // Any link, host side or member side: keep it alive and notice when the other side is gone.
  const auto heartbeat = std::chrono::milliseconds(m_config.heartbeatIntervalMs);
  const auto timeout = std::chrono::milliseconds(m_config.linkTimeoutMs);
  std::vector<std::shared_ptr<Link>> links;
  for (auto& [id, link] : m_links) links.push_back(link);
  if (m_hostLink) links.push_back(m_hostLink);
  for (auto& link : links) {
    if (!link->IsOpen()) continue;
    if (link->state == Link::State::AwaitHello || link->state == Link::State::Parked ||
        link->state == Link::State::AwaitAnswer)
      continue;  // no heartbeats before the handshake; their own deadlines apply
    if (now - link->LastReceived() > timeout) {
      link->Fail();
      continue;
    }
    if (now - link->LastSent() >= heartbeat) link->Send(wire::FrameKind::Heartbeat, {});
  }
  Accept();
}

Result Engine::Impl::OpenListener(const Address& device) {
  if (m_acceptor) return Result::Ok;
  std::vector<uint16_t> tries;
  if (device.port != 0) tries.push_back(device.port);
  if (device.port == 0 || device.portRecommended) tries.push_back(0);
  for (uint16_t port : tries) {
    // With port 0 the TCP side picks; the UDP side must then get the same number, which another
    // program may hold: pick again a few times.
    for (int attempt = 0; attempt < (port == 0 ? 8 : 1); ++attempt) {
      std::error_code ec;
      auto acceptor = std::make_unique<tcp::acceptor>(m_io);
      acceptor->open(tcp::v4(), ec);
      if (ec) return Result::InvalidDeviceAddress;
      acceptor->set_option(tcp::acceptor::reuse_address(true), ec);
      acceptor->bind(tcp::endpoint(tcp::v4(), port), ec);
      if (ec) break;
      acceptor->listen(asio::socket_base::max_listen_connections, ec);
      if (ec) break;
      const uint16_t actual = acceptor->local_endpoint(ec).port();
      auto udpSocket = std::make_unique<udp::socket>(m_io);
      udpSocket->open(udp::v4(), ec);
      if (ec) return Result::InvalidDeviceAddress;
      udpSocket->bind(udp::endpoint(udp::v4(), actual), ec);
      if (ec) continue;
      m_acceptor = std::move(acceptor);
      m_udp = std::move(udpSocket);
      m_listenPort = actual;
      Accept();
      ReceiveDatagram();
      return Result::Ok;
    }
  }
  return Result::InvalidDeviceAddress;
}

void Engine::Impl::CloseListener() {
  std::error_code ec;
  if (m_acceptor) m_acceptor->close(ec);
  if (m_udp) m_udp->close(ec);
  // The pending accept and receive complete with an error and see the sockets gone.
  m_acceptor.reset();
  m_udp.reset();
  m_listenPort = 0;
  m_accepting = false;
}

void Engine::Impl::ReceiveDatagram() {
  if (!m_udp) return;
  m_udp->async_receive_from(asio::buffer(m_udpBuffer), m_udpFrom,
                            [this, socket = m_udp.get()](std::error_code ec, size_t n) {
                              if (ec == asio::error::operation_aborted || m_udp.get() != socket)
                                return;
                              if (!ec) {
                                if (auto query = wire::DecodeEnumQuery(
                                        std::span<const uint8_t>(m_udpBuffer.data(), n)))
                                  AnswerQuery(*query, m_udpFrom);
                              }
                              ReceiveDatagram();
                            });
}

void Engine::Impl::CloseAll() {
  if (m_role == Role::Closed) return;
  // Searches end as cancelled.
  auto searches = m_searches;
  for (auto& [handle, search] : searches) EndSearch(search, Result::UserCancel);
  if (m_role == Role::Connecting) {
    CompleteConnect(Result::UserCancel, {});
  }
  if (m_hostLink) {
    // Tell the host this member leaves, so it does not wait for the link time-out.
    if (m_role == Role::Member && m_self != 0)
      m_hostLink->Send(wire::FrameKind::PlayerLeft,
                       wire::Encode(wire::PlayerLeft{m_self, static_cast<uint32_t>(DestroyReason::Normal)}));
    m_hostLink->CloseAfterFlush();
    m_hostLink.reset();
  }
  for (auto& [id, link] : m_links) link->Abort();
  m_links.clear();
  if (m_resolver) m_resolver->cancel();
  if (m_pendingCreate) {
    m_pendingCreate->set_value({Result::UserCancel, 0});
    m_pendingCreate.reset();
  }
  CloseListener();
  // Every player is destroyed, the own one first; no termination is reported.
  if (m_self != 0 && m_players.contains(m_self)) {
    m_listener.OnPlayerDestroyed(m_self, m_players[m_self].record.name, DestroyReason::Normal);
  }
  for (const Player* player : PlayersInJoinOrder()) {
    if (player->record.id == m_self) continue;
    m_listener.OnPlayerDestroyed(player->record.id, player->record.name, DestroyReason::Normal);
  }
  m_players.clear();
  m_groups.clear();
  m_ownSecret.clear();
  m_self = 0;
  m_hostPlayer = 0;
  m_role = Role::Closed;
}

std::vector<const Engine::Impl::Player*> Engine::Impl::PlayersInJoinOrder() const {
  std::vector<const Player*> players;
  for (const auto& [id, player] : m_players) players.push_back(&player);
  std::sort(players.begin(), players.end(), [](const Player* a, const Player* b) {
    return a->record.joinOrder < b->record.joinOrder;
  });
  return players;
}

void Engine::Impl::NoteId(PlayerId id) { m_maxId = std::max(m_maxId, id); }

PlayerId Engine::Impl::NewId() { return ++m_maxId; }

bool Engine::Impl::IsGroup(PlayerId id) const {
  return std::any_of(m_groups.begin(), m_groups.end(), [id](const auto& g) { return g.id == id; });
}

wire::GroupRecord* Engine::Impl::FindGroup(PlayerId id) {
  for (auto& g : m_groups)
    if (g.id == id) return &g;
  return nullptr;
}

void Engine::Impl::ErasePlayer(PlayerId id) {
  m_players.erase(id);
  for (auto& g : m_groups) std::erase(g.members, id);
}

wire::Description Engine::Impl::Reported() const {
  wire::Description d = m_desc;
  d.currentPlayers = static_cast<uint32_t>(m_players.size());
  if (!d.password.empty()) d.flags |= kEnginePasswordRequired;
  return d;
}

wire::Description Engine::Impl::Shared() const {
  wire::Description d = Reported();
  d.password.clear();
  return d;
}

// ----- Engine: every call goes to the network thread -----

Engine::Engine(const Config& config, EngineListener& listener)
    : m_impl(std::make_shared<Impl>(config, listener)) {
  m_impl->Start();
}

Engine::~Engine() { m_impl->Stop(); }

Result Engine::StartEnumeration(const EnumRequest& request, Handle* handle) {
  return m_impl->Call([&] { return m_impl->StartSearch(request, handle); });
}

Result Engine::Cancel(Handle handle) {
  return m_impl->Call([&] {
    auto it = m_impl->m_searches.find(handle);
    if (it != m_impl->m_searches.end()) {
      m_impl->EndSearch(it->second, Result::UserCancel);
      return Result::Ok;
    }
    if (m_impl->m_role == Impl::Role::Connecting && handle == m_impl->m_connectHandle) {
      m_impl->CompleteConnect(Result::UserCancel, {});
      return Result::Ok;
    }
    return Result::InvalidHandle;
  });
}

Result Engine::Host(const wire::Description& description, const Address& device, bool withPlayer,
                    const std::string& name, const std::vector<uint8_t>& data) {
  return m_impl->Call(
      [&] { return m_impl->StartHost(description, device, withPlayer, name, data); });
}

Result Engine::Connect(ConnectRequest request, Handle* handle) {
  return m_impl->Call([&] { return m_impl->StartConnect(std::move(request), handle); });
}

void Engine::AnswerConnect(uint64_t token, Result result, std::vector<uint8_t> reply) {
  // Posted, not waited for: the answer may come from a callback that the caller of Close is
  // waiting on.
  asio::post(m_impl->m_io, [impl = m_impl.get(), token, result, reply = std::move(reply)]() mutable {
    impl->Answer(token, result, std::move(reply));
  });
}

Result Engine::CreatePlayer(const std::string& name, const std::vector<uint8_t>& data,
                            PlayerId* id) {
  using Outcome = std::pair<Result, PlayerId>;
  auto promise = std::make_shared<std::promise<Outcome>>();
  auto future = promise->get_future();
  Result started = m_impl->Call([&] {
    auto& impl = *m_impl;
    if (impl.m_self != 0) return Result::InvalidCall;  // one own player
    if (!wire::WithinPlayerLimits(name, data)) return Result::InvalidParam;
    if (impl.m_role == Impl::Role::Host) {
      if (impl.m_desc.maxPlayers != 0 && impl.m_players.size() >= impl.m_desc.maxPlayers)
        return Result::SessionFull;
      Impl::Player player = impl.OwnPlayer(name, data);
      impl.m_self = impl.m_hostPlayer = player.record.id;
      impl.m_players[player.record.id] = player;
      impl.Broadcast(wire::FrameKind::PlayerJoined, wire::Encode(player.record));
      impl.m_listener.OnPlayerCreated(player.record.id, name, true);
      promise->set_value({Result::Ok, player.record.id});
      return Result::Ok;
    }
    if (impl.m_role != Impl::Role::Member) return Result::ConnectionLost;
    if (impl.m_pendingCreate) return Result::InvalidCall;
    impl.m_pendingCreate = promise;
    impl.SendToHost(wire::FrameKind::CreatePlayer,
                    wire::Encode(wire::PlayerInfo{0, 3, name, data}));
    return Result::Pending;
  });
  if (started != Result::Ok && started != Result::Pending) return started;
  if (future.wait_for(std::chrono::milliseconds(m_impl->m_config.connectTimeoutMs)) !=
      std::future_status::ready) {
    m_impl->Call([&] {
      if (m_impl->m_pendingCreate == promise) m_impl->m_pendingCreate.reset();
      return 0;
    });
    // The host may still have answered between the wait and the reset.
    if (future.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
      return Result::NoResponse;
  }
  auto [result, player] = future.get();
  if (result == Result::Ok && id) *id = player;
  return result;
}

Result Engine::DestroyPlayer(PlayerId id, std::vector<uint8_t> data) {
  return m_impl->Call([&] {
    auto& impl = *m_impl;
    if (!impl.m_players.contains(id)) return Result::InvalidPlayer;
    if (id == impl.m_self) {
      const std::string name = impl.m_players[id].record.name;
      if (impl.m_role == Impl::Role::Host) {
        impl.RemovePlayer(id, DestroyReason::Normal);
      } else {
        impl.SendToHost(wire::FrameKind::PlayerLeft,
                        wire::Encode(wire::PlayerLeft{id, static_cast<uint32_t>(DestroyReason::Normal)}));
        impl.ErasePlayer(id);
        impl.m_listener.OnPlayerDestroyed(id, name, DestroyReason::Normal);
      }
      impl.m_self = 0;
      if (impl.m_hostPlayer == id) impl.m_hostPlayer = 0;
      return Result::Ok;
    }
    if (impl.m_role != Impl::Role::Host) return Result::NotHost;
    auto& player = impl.m_players[id];
    auto link = impl.m_links.find(player.link);
    if (link != impl.m_links.end()) {
      link->second->Send(wire::FrameKind::Terminate, wire::Encode(wire::Terminate{std::move(data)}));
      link->second->CloseAfterFlush();
      impl.m_links.erase(link);
    }
    impl.RemovePlayer(id, DestroyReason::HostDestroyed);
    return Result::Ok;
  });
}

Result Engine::SetOwnInfo(uint32_t fields, const std::string& name,
                          const std::vector<uint8_t>& data) {
  return m_impl->Call([&] {
    auto& impl = *m_impl;
    if (impl.m_role == Impl::Role::Closed) return Result::InvalidCall;
    if (((fields & 1) && name.size() > wire::kMaxNameBytes) || ((fields & 2) && data.size() > wire::kMaxPlayerDataBytes))
      return Result::InvalidParam;
    if (fields & 1) impl.m_ownName = name;
    if (fields & 2) impl.m_ownData = data;
    if (impl.m_self == 0 || !impl.m_players.contains(impl.m_self)) return Result::Ok;
    auto& record = impl.m_players[impl.m_self].record;
    if (fields & 1) record.name = name;
    if (fields & 2) record.data = data;
    wire::PlayerInfo info{impl.m_self, fields, record.name, record.data};
    if (impl.m_role == Impl::Role::Host) {
      impl.Broadcast(wire::FrameKind::PlayerInfo, wire::Encode(info));
      impl.m_listener.OnPeerInfo(impl.m_self);
    } else {
      // The host echoes it to every member, this one too.
      impl.SendToHost(wire::FrameKind::PlayerInfo, wire::Encode(info));
    }
    return Result::Ok;
  });
}

Result Engine::GetPlayer(PlayerId id, PlayerView& view) const {
  return m_impl->Call([&] {
    auto& impl = *m_impl;
    auto it = impl.m_players.find(id);
    if (it == impl.m_players.end()) return Result::InvalidPlayer;
    view.id = id;
    view.name = it->second.record.name;
    view.data = it->second.record.data;
    view.local = id == impl.m_self;
    view.host = id == impl.m_hostPlayer;
    return Result::Ok;
  });
}

Result Engine::Send(PlayerId to, std::vector<uint8_t> data, uint32_t flags) {
  return m_impl->Call([&] {
    auto& impl = *m_impl;
    switch (impl.m_role) {
      case Impl::Role::Host:
      case Impl::Role::Member:
      case Impl::Role::Rejoining:
        break;
      case Impl::Role::Idle:
      case Impl::Role::Connecting:
        return Result::InvalidCall;
      case Impl::Role::Closed:
        return Result::ConnectionLost;
    }
    if (to != 0 && !impl.m_players.contains(to) && !impl.IsGroup(to)) return Result::InvalidPlayer;
    if (impl.m_role == Impl::Role::Host) {
      impl.Route(impl.m_self, to, flags, std::move(data));
    } else {
      impl.SendToHost(wire::FrameKind::Data, wire::Encode(wire::Data{impl.m_self, to, flags, std::move(data)}));
    }
    return Result::Ok;
  });
}

Result Engine::GetDescription(wire::Description& description) const {
  return m_impl->Call([&] {
    auto& impl = *m_impl;
    if (impl.m_role != Impl::Role::Host && impl.m_role != Impl::Role::Member &&
        impl.m_role != Impl::Role::Rejoining)
      return Result::InvalidCall;
    description = impl.Reported();
    return Result::Ok;
  });
}

Result Engine::SetDescription(const wire::Description& description) {
  return m_impl->Call([&] {
    auto& impl = *m_impl;
    if (impl.m_role != Impl::Role::Host) return Result::NotHost;
    const Guid instance = impl.m_desc.instance;
    const Guid application = impl.m_desc.application;
    // A description read back carries no password, only the flag: writing it again keeps it.
    const bool keepPassword = description.password.empty() && (description.flags & kEnginePasswordRequired);
    const std::string password = impl.m_desc.password;
    impl.m_desc = description;
    impl.m_desc.instance = instance;
    impl.m_desc.application = application;
    if (keepPassword) impl.m_desc.password = password;
    impl.m_desc.flags &= ~kEnginePasswordRequired;
    impl.Broadcast(wire::FrameKind::Description, wire::Encode(impl.Shared()));
    return Result::Ok;
  });
}

Result Engine::CreateGroup(const std::string& name, PlayerId* id) {
  return m_impl->Call([&] {
    auto& impl = *m_impl;
    if (impl.m_role != Impl::Role::Host) return Result::NotHost;
    wire::GroupRecord group{impl.NewId(), name, {}};
    impl.m_groups.push_back(group);
    impl.Broadcast(wire::FrameKind::GroupCreated, wire::Encode(group));
    impl.m_listener.OnGroupCreated(group.id, name);
    if (id) *id = group.id;
    return Result::Ok;
  });
}

Result Engine::AddToGroup(PlayerId groupId, PlayerId player) {
  return m_impl->Call([&] {
    auto& impl = *m_impl;
    if (impl.m_role != Impl::Role::Host) return Result::NotHost;
    auto* group = impl.FindGroup(groupId);
    if (!group) return Result::InvalidGroup;
    if (!impl.m_players.contains(player)) return Result::InvalidPlayer;
    if (std::find(group->members.begin(), group->members.end(), player) != group->members.end())
      return Result::Ok;
    group->members.push_back(player);
    impl.Broadcast(wire::FrameKind::GroupAdded, wire::Encode(wire::GroupAdded{groupId, player}));
    return Result::Ok;
  });
}

std::vector<PlayerView> Engine::Players() const {
  return m_impl->Call([&] {
    std::vector<PlayerView> views;
    for (const auto* player : m_impl->PlayersInJoinOrder()) {
      const PlayerId id = player->record.id;
      views.push_back({id, player->record.name, player->record.data, id == m_impl->m_self,
                       id == m_impl->m_hostPlayer});
    }
    return views;
  });
}

std::vector<wire::GroupRecord> Engine::Groups() const {
  return m_impl->Call([&] { return m_impl->m_groups; });
}

PlayerId Engine::Self() const {
  return m_impl->Call([&] { return m_impl->m_self; });
}

bool Engine::IsHost() const {
  return m_impl->Call([&] { return m_impl->m_role == Impl::Role::Host; });
}

std::vector<Address> Engine::ListenAddresses() const {
  return m_impl->Call([&] {
    std::vector<Address> addresses;
    if (m_impl->m_listenPort != 0) addresses.push_back({"127.0.0.1", m_impl->m_listenPort, false});
    return addresses;
  });
}

void Engine::Close() {
  m_impl->Call([&] {
    m_impl->CloseAll();
    return 0;
  });
}

}  // namespace dplay
