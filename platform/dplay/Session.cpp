#include "platform/dplay/Session.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

#include "platform/dplay/Engine.h"
#include "platform/win/Sync.h"

namespace dplay {

namespace {

wire::Description ToWire(const SessionDesc& desc) {
  wire::Description d;
  d.flags = ((desc.flags & kSessionDescMigrateHost) ? kEngineMigrateHost : 0) |
            ((desc.flags & kSessionDescPasswordRequired) ? kEnginePasswordRequired : 0);
  d.instance = desc.instance;
  d.application = desc.application;
  d.maxPlayers = desc.maxPlayers;
  d.name = desc.sessionName;
  d.password = desc.password;
  d.user[0] = desc.user1;
  d.user[1] = desc.user2;
  d.user[2] = desc.user3;
  d.user[3] = desc.user4;
  return d;
}

SessionDesc FromWire(const wire::Description& d) {
  SessionDesc desc;
  desc.flags = ((d.flags & kEngineMigrateHost) ? kSessionDescMigrateHost : 0) |
               ((d.flags & kEnginePasswordRequired) || !d.password.empty() ? kSessionDescPasswordRequired : 0);
  desc.instance = d.instance;
  desc.application = d.application;
  desc.maxPlayers = d.maxPlayers;
  desc.currentPlayers = d.currentPlayers;
  desc.sessionName = d.name;
  desc.user1 = d.user[0];
  desc.user2 = d.user[1];
  desc.user3 = d.user[2];
  desc.user4 = d.user[3];
  return desc;
}

std::string GuidKey(const Guid& g) { return g.ToString(); }

}  // namespace

// Turns the engine's reports into the queue and system messages of this interface. The engine
// reports from its network thread; the application's calls come from its own threads.
class Session::Frontend : public EngineListener {
 public:
  explicit Frontend(const Config& c) : config(c), engine(c, *this) {}

  struct Queued {
    PlayerId from;
    std::vector<uint8_t> data;
  };
  struct Found {
    SessionDesc desc;
    Address address;
    std::chrono::steady_clock::time_point lastSeen;
    uint64_t order;
  };

  void Push(PlayerId from, std::vector<uint8_t> data) {
    win::AutoResetEvent* event = nullptr;
    {
      std::lock_guard lock(mutex);
      if (own == 0 || ended) return;  // messages are for a player: none yet, none any more
      queue.push_back({from, std::move(data)});
      event = ownEvent;
    }
    if (event) event->Set();
  }

  void OnConnectComplete(Handle, Result result, PlayerId, std::vector<uint8_t>) override {
    std::lock_guard lock(mutex);
    connectResult = result;
    connectDone = true;
    connected.notify_all();
  }
  void OnPlayerCreated(PlayerId id, const std::string& name, bool local) override {
    if (local) {
      std::lock_guard lock(mutex);
      own = id;
      ownEvent = pendingEvent;
      return;
    }
    Push(kSystemPlayer, BuildCreatePlayerOrGroup(kPlayerTypePlayer, id, 0, name));
  }
  void OnPlayerDestroyed(PlayerId id, const std::string& name, DestroyReason reason) override {
    {
      std::lock_guard lock(mutex);
      // The own player leaving by its own call needs no notice to itself.
      if (id == own && reason == DestroyReason::Normal) {
        own = 0;
        return;
      }
    }
    Push(kSystemPlayer, BuildDestroyPlayerOrGroup(kPlayerTypePlayer, id, name));
  }
  void OnGroupCreated(PlayerId id, const std::string& name) override {
    Push(kSystemPlayer, BuildCreatePlayerOrGroup(kPlayerTypeGroup, id, 0, name));
  }
  void OnPeerInfo(PlayerId) override {}
  void OnIndicateConnect(uint64_t token, std::vector<uint8_t>, Address) override {
    // This interface admits every player the transport lets in; the application decides by
    // its own messages.
    engine.AnswerConnect(token, Result::Ok, {});
  }
  void OnHostMigrate(PlayerId newHost) override {
    PlayerId self;
    {
      std::lock_guard lock(mutex);
      self = own;
    }
    if (newHost == self && self != 0) Push(kSystemPlayer, BuildHost());
  }
  void OnTerminate(Result reason, std::vector<uint8_t>) override {
    PlayerId self;
    {
      std::lock_guard lock(mutex);
      self = own;
    }
    if (reason == Result::HostTerminatedSession) {
      Push(kSystemPlayer, BuildDestroyPlayerOrGroup(kPlayerTypePlayer, self, ""));
    } else {
      Push(kSystemPlayer, BuildSessionLost());
    }
    std::lock_guard lock(mutex);
    ended = true;
  }
  void OnReceive(PlayerId from, PlayerId, std::vector<uint8_t> data) override {
    Push(from, std::move(data));
  }
  void OnAsyncComplete(Handle handle, uintptr_t, Result result) override {
    std::lock_guard lock(mutex);
    if (handle == search) {
      search = 0;
      if (result != Result::Ok && result != Result::UserCancel) searchFailure = result;
    }
  }
  void OnEnumResponse(Handle, uintptr_t, Address sender, Address, wire::Description description,
                      uint32_t) override {
    std::lock_guard lock(mutex);
    auto& found = sessions[GuidKey(description.instance)];
    if (found.order == 0) found.order = ++foundCount;
    found.desc = FromWire(description);
    found.address = std::move(sender);
    found.lastSeen = std::chrono::steady_clock::now();
  }

  Config config;
  std::mutex mutex;
  std::condition_variable connected;
  std::deque<Queued> queue;
  PlayerId own = 0;
  win::AutoResetEvent* ownEvent = nullptr;
  win::AutoResetEvent* pendingEvent = nullptr;
  bool ended = false;
  bool connectDone = false;
  Result connectResult = Result::Ok;
  Address searchAddress;
  Handle search = 0;
  Result searchFailure = Result::Ok;
  std::map<std::string, Found> sessions;
  uint64_t foundCount = 0;
  Engine engine;  // last: it reports into the members above until it is gone
};

Session::Session(Config config) : m_config(std::move(config)) {}
Session::~Session() { Close(); }

Session::Frontend& Session::Ensure() {
  if (!m_frontend) m_frontend = std::make_unique<Frontend>(m_config);
  return *m_frontend;
}

std::vector<Connection> Session::EnumConnections(const Guid&) const {
  return {{kServiceProviderTcpIp, "TCP/IP"}};
}

Result Session::InitializeConnection(const Guid& serviceProvider, const Address& address) {
  if (serviceProvider != kServiceProviderTcpIp) return Result::InvalidParam;
  auto& f = Ensure();
  std::lock_guard lock(f.mutex);
  f.searchAddress = address;
  return Result::Ok;
}

Result Session::EnumSessions(const Guid& application, std::vector<SessionDesc>& sessions) {
  sessions.clear();
  auto& f = Ensure();
  Address address;
  {
    std::lock_guard lock(f.mutex);
    if (f.searchFailure != Result::Ok) {
      const Result failure = f.searchFailure;
      f.searchFailure = Result::Ok;
      return failure;
    }
    address = f.searchAddress;
  }
  bool running;
  {
    std::lock_guard lock(f.mutex);
    running = f.search != 0;
  }
  if (!running) {
    EnumRequest request;
    request.application = application;
    request.host = address;
    Handle handle = 0;
    Result r = f.engine.StartEnumeration(request, &handle);
    if (r != Result::Pending) return r;
    std::lock_guard lock(f.mutex);
    f.search = handle;
  }
  std::lock_guard lock(f.mutex);
  const auto fresh = std::chrono::milliseconds(3 * m_config.enumIntervalMs);
  const auto now = std::chrono::steady_clock::now();
  std::vector<const Frontend::Found*> found;
  for (auto it = f.sessions.begin(); it != f.sessions.end();) {
    if (now - it->second.lastSeen > fresh) {
      it = f.sessions.erase(it);
      continue;
    }
    if (application.IsNull() || it->second.desc.application == application) found.push_back(&it->second);
    ++it;
  }
  std::sort(found.begin(), found.end(), [](auto* a, auto* b) { return a->order < b->order; });
  for (const auto* entry : found) sessions.push_back(entry->desc);
  return Result::Ok;
}

void Session::StopEnumSessions() {
  if (!m_frontend) return;
  Handle handle;
  {
    std::lock_guard lock(m_frontend->mutex);
    handle = m_frontend->search;
  }
  if (handle != 0) m_frontend->engine.Cancel(handle);
}

Result Session::Open(const SessionDesc& desc, OpenMode mode) {
  auto& f = Ensure();
  if (mode == OpenMode::Create)
    return f.engine.Host(ToWire(desc), Address{"", m_config.port, false}, false, "", {});

  Address address;
  Guid application;
  {
    std::lock_guard lock(f.mutex);
    auto it = f.sessions.find(GuidKey(desc.instance));
    if (it == f.sessions.end()) return Result::NoSessions;
    address = it->second.address;
    application = it->second.desc.application;
    f.connectDone = false;
  }
  StopEnumSessions();
  ConnectRequest request;
  request.application = application;
  request.instance = desc.instance;
  request.password = desc.password;
  request.host = address;
  request.withPlayer = false;
  Handle handle = 0;
  Result r = f.engine.Connect(std::move(request), &handle);
  if (r != Result::Pending) return r;
  // The engine ends the attempt itself at its connect time-out; this wait only guards that.
  std::unique_lock lock(f.mutex);
  const auto bound = std::chrono::milliseconds(2 * m_config.connectTimeoutMs + 1000);
  if (!f.connected.wait_for(lock, bound, [&] { return f.connectDone; })) {
    lock.unlock();
    f.engine.Cancel(handle);
    return Result::NoResponse;
  }
  return f.connectResult;
}

std::vector<Address> Session::GetLocalHostAddresses() const {
  if (!m_frontend) return {};
  return m_frontend->engine.ListenAddresses();
}

Result Session::CreatePlayer(PlayerId* id, const std::string& shortName,
                             win::AutoResetEvent* event) {
  auto& f = Ensure();
  {
    std::lock_guard lock(f.mutex);
    if (f.own != 0) return Result::InvalidCall;
    f.pendingEvent = event;
  }
  return f.engine.CreatePlayer(shortName, {}, id);
}

Result Session::DestroyPlayer(PlayerId id) {
  if (!m_frontend) return Result::InvalidPlayer;
  return m_frontend->engine.DestroyPlayer(id, {});
}

Result Session::CreateGroup(PlayerId* id, const std::string& shortName) {
  return Ensure().engine.CreateGroup(shortName, id);
}

Result Session::AddPlayerToGroup(PlayerId group, PlayerId player) {
  return Ensure().engine.AddToGroup(group, player);
}

Result Session::EnumPlayers(std::vector<NamedId>& players) const {
  players.clear();
  if (!m_frontend) return Result::InvalidCall;
  for (const auto& player : m_frontend->engine.Players()) players.push_back({player.id, player.name});
  return Result::Ok;
}

PlayerId Session::HostPlayer() const {
  if (!m_frontend) return 0;
  for (const auto& player : m_frontend->engine.Players())
    if (player.host) return player.id;
  return 0;
}

Result Session::EnumGroups(std::vector<NamedId>& groups) const {
  groups.clear();
  if (!m_frontend) return Result::InvalidCall;
  for (const auto& group : m_frontend->engine.Groups()) groups.push_back({group.id, group.name});
  return Result::Ok;
}

Result Session::Send(PlayerId from, PlayerId to, uint32_t, std::vector<uint8_t> data) {
  if (!m_frontend) return Result::ConnectionLost;
  auto& f = *m_frontend;
  {
    std::lock_guard lock(f.mutex);
    if (f.ended) return Result::ConnectionLost;
    if (from != f.own || from == 0) return Result::InvalidPlayer;
  }
  Result r = f.engine.Send(to, std::move(data), 0);
  return r == Result::InvalidCall ? Result::ConnectionLost : r;
}

Result Session::Receive(PlayerId& from, PlayerId& to, std::vector<uint8_t>& data) {
  if (!m_frontend) return Result::NoMessages;
  std::lock_guard lock(m_frontend->mutex);
  if (m_frontend->queue.empty()) return Result::NoMessages;
  auto& front = m_frontend->queue.front();
  from = front.from;
  to = m_frontend->own;
  data = std::move(front.data);
  m_frontend->queue.pop_front();
  return Result::Ok;
}

Result Session::GetSessionDesc(SessionDesc& desc) const {
  if (!m_frontend) return Result::InvalidCall;
  wire::Description d;
  Result r = m_frontend->engine.GetDescription(d);
  if (r == Result::Ok) desc = FromWire(d);
  return r;
}

Result Session::SetSessionDesc(const SessionDesc& desc) {
  if (!m_frontend) return Result::InvalidCall;
  return m_frontend->engine.SetDescription(ToWire(desc));
}

Result Session::Close() {
  if (!m_frontend) return Result::Ok;
  m_frontend->engine.Close();
  m_frontend.reset();
  return Result::Ok;
}

}  // namespace dplay
