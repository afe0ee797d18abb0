#pragma once
// The newer session interface: every member is a peer, one of them hosts. Events reach the
// application through one handler that the transport calls on its own threads.
//
// Callbacks: the handler runs on at least two transport threads. Callbacks about one player
// come one at a time and in order; callbacks about different players may run at once. Session-
// wide callbacks (connection completion, termination, host migration) wait for every earlier
// callback and hold back every later one. No transport lock is held while the handler runs, so
// it may call any member of Peer except Close.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/dplay/Config.h"
#include "platform/dplay/Types.h"

namespace dplay {

// SendTo's target for every player of the session.
inline constexpr PlayerId kAllPlayers = 0;

// ApplicationDesc::flags
inline constexpr uint32_t kSessionMigrateHost = 0x1;      // a member takes over when the host goes
inline constexpr uint32_t kSessionRequirePassword = 0x2;  // reported; set by Host when a password is given

struct ApplicationDesc {
  uint32_t flags = 0;
  Guid instance;      // set by Host; a joiner names the session it wants
  Guid application;   // what a search looks for and a host must run
  uint32_t maxPlayers = 0;      // 0: no limit
  uint32_t currentPlayers = 0;  // kept by the transport
  std::u16string sessionName;
  std::u16string password;      // given to Host and Connect; never reported back
  std::vector<uint8_t> reservedData;  // the application's own bytes, carried as they are
};

// PlayerInfo::flags
inline constexpr uint32_t kPlayerLocal = 0x1;
inline constexpr uint32_t kPlayerHost = 0x2;

struct PlayerInfo {
  std::u16string name;
  std::vector<uint8_t> data;
  uint32_t flags = 0;  // kPlayerLocal, kPlayerHost; ignored by SetPeerInfo
};

// SetPeerInfo's fields
inline constexpr uint32_t kInfoName = 0x1;
inline constexpr uint32_t kInfoData = 0x2;

// EnumPlayersAndGroups' selection
inline constexpr uint32_t kEnumPlayers = 0x1;
inline constexpr uint32_t kEnumGroups = 0x2;

// SendTo's flags
inline constexpr uint32_t kSendNoLoopback = 0x1;  // a send to kAllPlayers skips the sender

// Search repetition. A count of kEnumForever repeats until cancelled; intervals and time-outs of
// 0 take the configured ones.
inline constexpr uint32_t kEnumForever = UINT32_MAX;
struct EnumHostsOptions {
  uint32_t count = kEnumForever;
  uint32_t retryIntervalMs = 0;
  uint32_t timeoutMs = 0;
};

struct ServiceProviderCaps {
  uint32_t enumRetryIntervalMs = 0;  // how often a search repeats its query by default
};

// ----- Messages handed to the handler -----

// The outcome of Connect. On success the own player's CREATE_PLAYER and those of every member
// present have been handled before this arrives.
struct ConnectComplete {
  Handle handle = 0;
  Result result = Result::Ok;
  PlayerId localPlayer = 0;           // own id on success
  std::vector<uint8_t> replyData;     // the host's reply bytes (HostRejectedConnection)
};

// A player has joined (own player included: it comes first, when joining and when hosting).
struct CreatePlayer {
  PlayerId player = 0;
  bool local = false;
};

struct DestroyPlayer {
  PlayerId player = 0;
  DestroyReason reason = DestroyReason::Normal;
};

// A player's name or data changed; every member gets it, the player itself too.
struct PeerInfoChanged {
  PlayerId player = 0;
};

// The host is asked whether a peer may join. Return Ok to admit it; any other result refuses it
// with HostRejectedConnection and sends replyData, which the handler may fill, to the joiner.
struct IndicateConnect {
  std::vector<uint8_t> connectData;  // the joiner's bytes given to Connect
  Address joiner;
  std::vector<uint8_t> replyData;
};

// The host was lost and `newHost`, the oldest remaining member, hosts from now on.
struct HostMigrate {
  PlayerId newHost = 0;
};

// The session is over for this peer: HostTerminatedSession (removed by the host) or
// ConnectionLost. DESTROY_PLAYERs for every player follow. Close sends none.
struct TerminateSession {
  Result reason = Result::ConnectionLost;
  std::vector<uint8_t> terminateData;  // DestroyPeer's bytes
};

struct Receive {
  PlayerId sender = 0;
  std::vector<uint8_t> data;  // owned by the handler
};

// An enumeration or a group addition has ended: Ok, UserCancel, or the failure
// (InvalidHostAddress for a host name that does not resolve).
struct AsyncOpComplete {
  Handle handle = 0;
  uintptr_t context = 0;
  Result result = Result::Ok;
};

// A host answered a search; every answer to every repeated query comes as one of these.
struct EnumHostsResponse {
  Address sender;   // connect here
  Address device;   // the device address the search used
  ApplicationDesc description;  // password empty
  uint32_t latencyMs = 0;
  uintptr_t context = 0;
};

using Message = std::variant<ConnectComplete, CreatePlayer, DestroyPlayer, PeerInfoChanged,
                             IndicateConnect, HostMigrate, TerminateSession, Receive,
                             AsyncOpComplete, EnumHostsResponse>;

// The result matters only for IndicateConnect.
using Handler = std::function<Result(Message& message)>;

class Peer {
 public:
  explicit Peer(Config config = Config::FromEnvironment());
  ~Peer();  // closes
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  Result Initialize(Handler handler);

  // TCP/IP only.
  std::vector<Guid> EnumServiceProviders() const;
  ServiceProviderCaps GetSpCaps() const;

  // Searches for hosts of `filter.application` (any application when null) at `host`, or on the
  // configured search targets when its host name is empty. Responses arrive as
  // EnumHostsResponse with `context`; the end as AsyncOpComplete. A host name that does not
  // resolve completes with InvalidHostAddress. Returns Pending.
  Result EnumHosts(const ApplicationDesc& filter, const Address& host, const Address& device,
                   const EnumHostsOptions& options, uintptr_t context, Handle* handle);
  // Ends a search (AsyncOpComplete with UserCancel follows) or a pending Connect.
  Result CancelAsyncOperation(Handle handle);

  // Joins the session `desc.instance` of `desc.application` at `host` with `desc.password`.
  // Returns Pending; ConnectComplete follows.
  Result Connect(const ApplicationDesc& desc, const Address& host, const Address& device,
                 std::vector<uint8_t> connectData, Handle* handle);

  // Starts a session with this peer as host and its only player. `desc.instance` is made here.
  Result Host(const ApplicationDesc& desc, const Address& device);
  // Where this peer accepts members (host) or would accept them after a migration (member).
  std::vector<Address> GetLocalHostAddresses() const;

  // Before joining, sets what the own player will be created with; afterwards every member
  // (this one too) gets PeerInfoChanged. `fields` selects kInfoName and/or kInfoData.
  Result SetPeerInfo(const PlayerInfo& info, uint32_t fields);
  Result GetPeerInfo(PlayerId player, PlayerInfo& info) const;

  // Queues `data` for one player or kAllPlayers. Sends are reliable and keep their order per
  // sender and receiver; the call never blocks on the network.
  Result SendTo(PlayerId to, std::vector<uint8_t> data, uint32_t flags = 0);

  Result GetApplicationDesc(ApplicationDesc& desc) const;
  // Host only: name, limits, password and reserved data; members and searches see the change.
  // An empty password with kSessionRequirePassword (a description as GetApplicationDesc gives
  // it) keeps the password the session has.
  Result SetApplicationDesc(const ApplicationDesc& desc);

  // Host only: removes a member, who gets TerminateSession(HostTerminatedSession) with `data`.
  Result DestroyPeer(PlayerId player, std::vector<uint8_t> data = {});

  // Host only. Groups are known to every member and listed in the order they were made.
  Result CreateGroup(const std::u16string& name, PlayerId* group);
  // Completes with AsyncOpComplete(context).
  Result AddPlayerToGroup(PlayerId group, PlayerId player, uintptr_t context, Handle* handle);
  Result EnumPlayersAndGroups(std::vector<PlayerId>& ids, uint32_t which) const;

  // Ends searches and the session: DESTROY_PLAYER for every player, no TerminateSession. Returns
  // after the last callback has returned. Refused (InvalidCall) on a transport thread.
  Result Close();

 private:
  class Frontend;
  Config m_config;
  std::unique_ptr<Frontend> m_frontend;
};

}  // namespace dplay
