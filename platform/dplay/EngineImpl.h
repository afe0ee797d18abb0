#pragma once
// Inside of the session engine, shared by its source files (searches, host side, member side).
// Everything here runs on the engine's network thread.
#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <asio.hpp>

#include "platform/dplay/Engine.h"
#include "platform/dplay/Link.h"

namespace dplay {

class Engine::Impl {
 public:
  Impl(const Config& config, EngineListener& listener);
  ~Impl();

  void Start();
  void Stop();

  // Runs `f` on the network thread and waits for its result.
  template <typename F>
  auto Call(F&& f) -> decltype(f()) {
    if (std::this_thread::get_id() == m_threadId) return f();
    std::packaged_task<decltype(f())()> task(std::forward<F>(f));
    auto future = task.get_future();
    asio::post(m_io, [&task] { task(); });
    return future.get();
  }

  enum class Role { Idle, Connecting, Member, Rejoining, Host, Closed };

  struct Player {
    wire::PlayerRecord record;
    uint64_t link = 0;          // host: the member's link (0: the host's own player)
    bool awaitingRejoin = false;  // new host: not back since the migration
    SteadyClock::time_point rejoinDeadline{};
  };

  struct Search {
    Handle handle = 0;
    EnumRequest request;
    std::unique_ptr<asio::ip::udp::socket> socket;
    std::shared_ptr<asio::ip::udp::resolver> resolver;
    std::vector<asio::ip::udp::endpoint> targets;
    uint32_t intervalMs = 0;
    uint32_t timeoutMs = 0;
    bool ready = false;  // targets known
    bool done = false;
    uint32_t sent = 0;
    uint32_t queryId = 0;
    SteadyClock::time_point nextQuery{};
    SteadyClock::time_point endAt{};
    Address device;
    std::array<uint8_t, 65536> buffer;
    asio::ip::udp::endpoint from;
  };

  // ----- Engine.cpp: lifetime, sweeps, state shared by both sides -----
  void Sweep();
  void ArmSweep();
  Result OpenListener(const Address& device);
  void CloseListener();
  void ReceiveDatagram();
  void CloseAll();
  // The description as members and searches see it: without the password.
  wire::Description Shared() const;
  std::vector<const Player*> PlayersInJoinOrder() const;
  void NoteId(PlayerId id);
  PlayerId NewId();
  bool IsGroup(PlayerId id) const;
  wire::GroupRecord* FindGroup(PlayerId id);
  void ErasePlayer(PlayerId id);  // from the table and every group
  wire::Description Reported() const;

  // ----- EngineSearch.cpp -----
  Result StartSearch(const EnumRequest& request, Handle* handle);
  void SearchResolved(const std::shared_ptr<Search>& search);
  void SearchReceive(const std::shared_ptr<Search>& search);
  void SearchSweep(SteadyClock::time_point now);
  void EndSearch(std::shared_ptr<Search> search, Result result);  // by value: it leaves the map
  void AnswerQuery(const wire::EnumQuery& query, const asio::ip::udp::endpoint& from);

  // ----- EngineHost.cpp -----
  Result StartHost(const wire::Description& description, const Address& device, bool withPlayer,
                   const std::string& name, const std::vector<uint8_t>& data);
  // A player of this engine's own (the host's), with a fresh secret.
  Player OwnPlayer(const std::string& name, const std::vector<uint8_t>& data);
  // Accepts while fewer than kMaxUnadmittedLinks links wait to be admitted and no accept failure
  // is being waited out; the sweep starts it again.
  void Accept();
  size_t UnadmittedLinks() const;
  void HostFrame(Link& link, wire::Frame& frame);
  void HostLinkFailed(Link& link);
  void HandleHello(const std::shared_ptr<Link>& link);
  void Refuse(Link& link, Result result, std::vector<uint8_t> reply);
  // Makes the link's player: from its Hello (answered with Welcome) or, for a link that joined
  // without one, from its CreatePlayer (answered with PlayerCreated).
  void Admit(const std::shared_ptr<Link>& link);
  void Answer(uint64_t token, Result result, std::vector<uint8_t> reply);
  wire::Welcome Snapshot(PlayerId you) const;
  void Broadcast(wire::FrameKind kind, std::span<const uint8_t> payload, uint64_t exceptLink = 0);
  void Route(PlayerId from, PlayerId to, uint32_t flags, std::vector<uint8_t> payload);
  void RemovePlayer(PlayerId id, DestroyReason reason);
  void BecomeHost();
  // Links in the handshake or parked past their deadline, whatever this engine's role.
  void ExpireLinks(SteadyClock::time_point now);
  // Members that did not come back to this migrated host in time.
  void HostSweep(SteadyClock::time_point now);
  void HostCreatePlayer(const std::shared_ptr<Link>& link, const wire::PlayerInfo& info);
  void RefuseParked();

  // ----- EngineMember.cpp -----
  Result StartConnect(ConnectRequest request, Handle* handle);
  void ConnectTo(const std::string& host, uint16_t port, bool rejoin);
  void MemberFrame(Link& link, wire::Frame& frame);
  void MemberLinkFailed(Link& link);
  void CompleteConnect(Result result, std::vector<uint8_t> reply);
  void Install(const wire::Welcome& welcome, bool rejoin);
  void HostLost();
  // Rejoins the next of the players that were members when the host was lost, in join order;
  // becomes host when that is this one; ends the session when none is left.
  void TryNextHost();
  void EndSession(Result reason, std::vector<uint8_t> data);
  void TakeDescription(wire::Description description);
  void MemberSweep(SteadyClock::time_point now);
  void SendToHost(wire::FrameKind kind, std::vector<uint8_t> payload);

  Config m_config;
  EngineListener& m_listener;
  asio::io_context m_io;
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> m_work;
  std::thread m_thread;
  std::thread::id m_threadId;
  asio::steady_timer m_sweep;
  SteadyClock::duration m_sweepPeriod;

  Role m_role = Role::Idle;
  PlayerId m_self = 0;
  PlayerId m_hostPlayer = 0;
  wire::Description m_desc;
  std::map<PlayerId, Player> m_players;
  std::vector<wire::GroupRecord> m_groups;
  uint32_t m_nextJoinOrder = 1;
  PlayerId m_maxId = 0;
  std::string m_ownName;
  std::vector<uint8_t> m_ownData;
  std::vector<uint8_t> m_ownSecret;  // proves the own player to whoever hosts after a migration
  uint64_t m_nextLinkId = 1;
  Handle m_nextHandle = 1;

  // Where this engine accepts members: TCP and UDP on one port number.
  std::unique_ptr<asio::ip::tcp::acceptor> m_acceptor;
  std::unique_ptr<asio::ip::udp::socket> m_udp;
  uint16_t m_listenPort = 0;
  bool m_accepting = false;  // an accept is under way
  SteadyClock::time_point m_acceptAfter{};  // after a failed accept: not before this
  std::array<uint8_t, 2048> m_udpBuffer;
  asio::ip::udp::endpoint m_udpFrom;

  // Host: every accepted link, players' and the rest.
  std::map<uint64_t, std::shared_ptr<Link>> m_links;

  // Member: the link to the host and the join in progress.
  std::shared_ptr<Link> m_hostLink;
  ConnectRequest m_connect;
  Handle m_connectHandle = 0;
  bool m_tcpConnected = false;
  SteadyClock::time_point m_connectDeadline{};
  std::string m_hostAddress;  // the address the link to the host was made to
  std::vector<std::pair<wire::FrameKind, std::vector<uint8_t>>> m_held;  // while rejoining
  std::vector<PlayerId> m_hostCandidates;  // after a host loss, those not yet tried
  std::shared_ptr<asio::ip::tcp::resolver> m_resolver;
  uint64_t m_connectGeneration = 0;  // callbacks of an abandoned attempt see a newer number
  // CreatePlayer of a member that joined without one.
  std::shared_ptr<std::promise<std::pair<Result, PlayerId>>> m_pendingCreate;

  std::map<Handle, std::shared_ptr<Search>> m_searches;
};

}  // namespace dplay
