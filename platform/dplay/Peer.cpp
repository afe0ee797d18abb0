#include "platform/dplay/Peer.h"

#include <atomic>

#include "platform/dplay/Dispatcher.h"
#include "platform/dplay/Engine.h"

namespace dplay {

namespace {

// Names travel as the UTF-16LE bytes this interface is given.
std::string WideToBytes(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::u16string BytesToWide(const std::string& bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                         (static_cast<uint8_t>(bytes[i + 1]) << 8)));
  return text;
}

wire::Description ToWire(const ApplicationDesc& desc) {
  wire::Description d;
  d.flags = ((desc.flags & kSessionMigrateHost) ? kEngineMigrateHost : 0) |
            ((desc.flags & kSessionRequirePassword) ? kEnginePasswordRequired : 0);
  d.instance = desc.instance;
  d.application = desc.application;
  d.maxPlayers = desc.maxPlayers;
  d.name = WideToBytes(desc.sessionName);
  d.password = WideToBytes(desc.password);
  d.reserved = desc.reservedData;
  return d;
}

ApplicationDesc FromWire(const wire::Description& d) {
  ApplicationDesc desc;
  desc.flags = ((d.flags & kEngineMigrateHost) ? kSessionMigrateHost : 0) |
               ((d.flags & kEnginePasswordRequired) || !d.password.empty() ? kSessionRequirePassword : 0);
  desc.instance = d.instance;
  desc.application = d.application;
  desc.maxPlayers = d.maxPlayers;
  desc.currentPlayers = d.currentPlayers;
  desc.sessionName = BytesToWide(d.name);
  desc.reservedData = d.reserved;
  return desc;
}

// Dispatcher keys: players by id; searches and group additions by handle; admissions by token.
constexpr uint64_t kHandleKeys = 1ull << 32;
constexpr uint64_t kAdmissionKeys = 2ull << 32;

}  // namespace

class Peer::Frontend : public EngineListener {
 public:
  Frontend(const Config& config, Handler h)
      : handler(std::move(h)), dispatcher(config.callbackThreads), engine(config, *this) {}

  void Deliver(uint64_t key, Message message) {
    dispatcher.Post(key, [this, message = std::move(message)]() mutable { handler(message); });
  }

  void OnConnectComplete(Handle handle, Result result, PlayerId self,
                         std::vector<uint8_t> reply) override {
    Deliver(Dispatcher::kBarrier, ConnectComplete{handle, result, self, std::move(reply)});
  }
  void OnPlayerCreated(PlayerId id, const std::string&, bool local) override {
    // The own player is made known before anybody else: a barrier holds back the others.
    Deliver(local ? Dispatcher::kBarrier : id, CreatePlayer{id, local});
  }
  void OnPlayerDestroyed(PlayerId id, const std::string&, DestroyReason reason) override {
    Deliver(id, DestroyPlayer{id, reason});
  }
  void OnGroupCreated(PlayerId, const std::string&) override {}
  void OnPeerInfo(PlayerId id) override { Deliver(id, PeerInfoChanged{id}); }
  void OnIndicateConnect(uint64_t token, std::vector<uint8_t> connectData, Address joiner) override {
    dispatcher.Post(kAdmissionKeys | (token & 0xFFFFFFFF), [this, token, connectData = std::move(connectData),
                                                             joiner = std::move(joiner)]() mutable {
      Message message = IndicateConnect{std::move(connectData), std::move(joiner), {}};
      const Result result = handler(message);
      engine.AnswerConnect(token, result, std::move(std::get<IndicateConnect>(message).replyData));
    });
  }
  void OnHostMigrate(PlayerId newHost) override {
    Deliver(Dispatcher::kBarrier, HostMigrate{newHost});
  }
  void OnTerminate(Result reason, std::vector<uint8_t> data) override {
    Deliver(Dispatcher::kBarrier, TerminateSession{reason, std::move(data)});
  }
  void OnReceive(PlayerId from, PlayerId, std::vector<uint8_t> data) override {
    Deliver(from, Receive{from, std::move(data)});
  }
  void OnAsyncComplete(Handle handle, uintptr_t context, Result result) override {
    Deliver(kHandleKeys | handle, AsyncOpComplete{handle, context, result});
  }
  void OnEnumResponse(Handle handle, uintptr_t context, Address sender, Address device,
                      wire::Description description, uint32_t latencyMs) override {
    Deliver(kHandleKeys | handle, EnumHostsResponse{std::move(sender), std::move(device),
                                                    FromWire(description), latencyMs, context});
  }

  Handler handler;
  Dispatcher dispatcher;
  Engine engine;
  std::string ownName;  // UTF-16LE bytes
  std::vector<uint8_t> ownData;
  // Group additions complete through the dispatcher; their handles count down from the top so
  // they never meet the engine's.
  std::atomic<Handle> nextHandle{0xFFFFFFF0u};
};

Peer::Peer(Config config) : m_config(std::move(config)) {}
Peer::~Peer() {
  if (m_frontend) Close();
}

Result Peer::Initialize(Handler handler) {
  if (m_frontend) return Result::AlreadyInitialized;
  if (!handler) return Result::InvalidParam;
  m_frontend = std::make_unique<Frontend>(m_config, std::move(handler));
  return Result::Ok;
}

std::vector<Guid> Peer::EnumServiceProviders() const { return {kServiceProviderTcpIp}; }
ServiceProviderCaps Peer::GetSpCaps() const { return {m_config.enumIntervalMs}; }

Result Peer::EnumHosts(const ApplicationDesc& filter, const Address& host, const Address& device,
                       const EnumHostsOptions& options, uintptr_t context, Handle* handle) {
  if (!m_frontend) return Result::Uninitialized;
  EnumRequest request;
  request.application = filter.application;
  request.host = host;
  request.device = device;
  request.count = options.count;
  request.intervalMs = options.retryIntervalMs;
  request.timeoutMs = options.timeoutMs;
  request.context = context;
  return m_frontend->engine.StartEnumeration(request, handle);
}

Result Peer::CancelAsyncOperation(Handle handle) {
  if (!m_frontend) return Result::Uninitialized;
  return m_frontend->engine.Cancel(handle);
}

Result Peer::Connect(const ApplicationDesc& desc, const Address& host, const Address& device,
                     std::vector<uint8_t> connectData, Handle* handle) {
  if (!m_frontend) return Result::Uninitialized;
  ConnectRequest request;
  request.application = desc.application;
  request.instance = desc.instance;
  request.password = WideToBytes(desc.password);
  request.host = host;
  request.device = device;
  request.name = m_frontend->ownName;
  request.data = m_frontend->ownData;
  request.connectData = std::move(connectData);
  return m_frontend->engine.Connect(std::move(request), handle);
}

Result Peer::Host(const ApplicationDesc& desc, const Address& device) {
  if (!m_frontend) return Result::Uninitialized;
  return m_frontend->engine.Host(ToWire(desc), device, true, m_frontend->ownName,
                                 m_frontend->ownData);
}

std::vector<Address> Peer::GetLocalHostAddresses() const {
  if (!m_frontend) return {};
  return m_frontend->engine.ListenAddresses();
}

Result Peer::SetPeerInfo(const PlayerInfo& info, uint32_t fields) {
  if (!m_frontend) return Result::Uninitialized;
  const std::string name = WideToBytes(info.name);
  if (fields & kInfoName) m_frontend->ownName = name;
  if (fields & kInfoData) m_frontend->ownData = info.data;
  return m_frontend->engine.SetOwnInfo(fields & (kInfoName | kInfoData), name, info.data);
}

Result Peer::GetPeerInfo(PlayerId player, PlayerInfo& info) const {
  if (!m_frontend) return Result::Uninitialized;
  PlayerView view;
  Result r = m_frontend->engine.GetPlayer(player, view);
  if (r != Result::Ok) return r;
  info.name = BytesToWide(view.name);
  info.data = std::move(view.data);
  info.flags = (view.local ? kPlayerLocal : 0) | (view.host ? kPlayerHost : 0);
  return Result::Ok;
}

Result Peer::SendTo(PlayerId to, std::vector<uint8_t> data, uint32_t flags) {
  if (!m_frontend) return Result::Uninitialized;
  return m_frontend->engine.Send(to, std::move(data), (flags & kSendNoLoopback) ? 0 : kEngineLoopback);
}

Result Peer::GetApplicationDesc(ApplicationDesc& desc) const {
  if (!m_frontend) return Result::Uninitialized;
  wire::Description d;
  Result r = m_frontend->engine.GetDescription(d);
  if (r == Result::Ok) desc = FromWire(d);
  return r;
}

Result Peer::SetApplicationDesc(const ApplicationDesc& desc) {
  if (!m_frontend) return Result::Uninitialized;
  return m_frontend->engine.SetDescription(ToWire(desc));
}

Result Peer::DestroyPeer(PlayerId player, std::vector<uint8_t> data) {
  if (!m_frontend) return Result::Uninitialized;
  if (player == m_frontend->engine.Self()) return Result::InvalidPlayer;
  return m_frontend->engine.DestroyPlayer(player, std::move(data));
}

Result Peer::CreateGroup(const std::u16string& name, PlayerId* group) {
  if (!m_frontend) return Result::Uninitialized;
  return m_frontend->engine.CreateGroup(WideToBytes(name), group);
}

Result Peer::AddPlayerToGroup(PlayerId group, PlayerId player, uintptr_t context, Handle* handle) {
  if (!m_frontend) return Result::Uninitialized;
  Result r = m_frontend->engine.AddToGroup(group, player);
  if (r != Result::Ok) return r;
  const Handle h = m_frontend->nextHandle--;
  if (handle) *handle = h;
  m_frontend->Deliver(kHandleKeys | h, AsyncOpComplete{h, context, Result::Ok});
  return Result::Pending;
}

Result Peer::EnumPlayersAndGroups(std::vector<PlayerId>& ids, uint32_t which) const {
  ids.clear();
  if (!m_frontend) return Result::Uninitialized;
  if (which & kEnumPlayers)
    for (const auto& player : m_frontend->engine.Players()) ids.push_back(player.id);
  if (which & kEnumGroups)
    for (const auto& group : m_frontend->engine.Groups()) ids.push_back(group.id);
  return Result::Ok;
}

Result Peer::Close() {
  if (Dispatcher::OnCallbackThread()) return Result::InvalidCall;
  if (!m_frontend) return Result::Ok;
  m_frontend->engine.Close();
  // Callbacks still queued run now; they may still call in and find the session closed.
  m_frontend->dispatcher.Drain();
  m_frontend.reset();
  return Result::Ok;
}

}  // namespace dplay
