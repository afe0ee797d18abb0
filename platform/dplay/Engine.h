#pragma once
// The session engine under both front ends. One network thread owns every socket and all
// session state; the front ends' calls are carried onto it and wait for their answer, and the
// engine reports what happens through EngineListener, always from that thread. Listeners only
// queue what they are told (to the dispatcher or the receive queue): they never call the
// application from here.
//
// A session is a star: members hold one TCP link to the host, which admits players, orders
// membership, groups and the description, and relays data. Every member also listens, so that
// when the host is lost the oldest remaining player that answers can take over and the others
// rejoin it, each proving with the secret it was given at its admission who it is.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dplay/Config.h"
#include "platform/dplay/Types.h"
#include "platform/dplay/Wire.h"

namespace dplay {

// Engine-level description flags; the front ends map their own onto these.
inline constexpr uint32_t kEngineMigrateHost = 0x1;
inline constexpr uint32_t kEnginePasswordRequired = 0x2;

// Links that have not become a player (in the handshake, waiting for the application's answer,
// parked after a migration, or following the session without a player): no more are accepted
// while this many wait.
inline constexpr size_t kMaxUnadmittedLinks = 32;
// A failed accept (out of descriptors, mostly) is tried again only after this long.
inline constexpr std::chrono::milliseconds kAcceptRetry{100};

// Engine-level send flags.
inline constexpr uint32_t kEngineLoopback = 0x1;  // a send to every player reaches the sender too

class EngineListener {
 public:
  virtual ~EngineListener() = default;
  virtual void OnConnectComplete(Handle handle, Result result, PlayerId self,
                                 std::vector<uint8_t> reply) = 0;
  virtual void OnPlayerCreated(PlayerId id, const std::string& name, bool local) = 0;
  virtual void OnPlayerDestroyed(PlayerId id, const std::string& name, DestroyReason reason) = 0;
  virtual void OnGroupCreated(PlayerId id, const std::string& name) = 0;
  virtual void OnPeerInfo(PlayerId id) = 0;
  // Host: may `token` join? Answer with Engine::AnswerConnect, from any thread.
  virtual void OnIndicateConnect(uint64_t token, std::vector<uint8_t> connectData,
                                 Address joiner) = 0;
  virtual void OnHostMigrate(PlayerId newHost) = 0;
  virtual void OnTerminate(Result reason, std::vector<uint8_t> data) = 0;
  virtual void OnReceive(PlayerId from, PlayerId to, std::vector<uint8_t> data) = 0;
  virtual void OnAsyncComplete(Handle handle, uintptr_t context, Result result) = 0;
  virtual void OnEnumResponse(Handle handle, uintptr_t context, Address sender, Address device,
                              wire::Description description, uint32_t latencyMs) = 0;
};

struct EnumRequest {
  Guid application;  // null: any
  Address host;      // empty host name: the configured search targets
  Address device;
  uint32_t count = UINT32_MAX;  // UINT32_MAX: until cancelled
  uint32_t intervalMs = 0;
  uint32_t timeoutMs = 0;
  uintptr_t context = 0;
};

struct ConnectRequest {
  Guid application;
  Guid instance;        // null: whatever session the host runs
  std::string password;
  Address host;
  Address device;
  std::string name;     // the own player's
  std::vector<uint8_t> data;
  std::vector<uint8_t> connectData;
  bool withPlayer = true;  // false: follow the session without a player until CreatePlayer
};

struct PlayerView {
  PlayerId id = 0;
  std::string name;
  std::vector<uint8_t> data;
  bool local = false;
  bool host = false;
};

class Engine {
 public:
  Engine(const Config& config, EngineListener& listener);
  ~Engine();  // Close
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Searches.
  Result StartEnumeration(const EnumRequest& request, Handle* handle);
  Result Cancel(Handle handle);

  // Session.
  Result Host(const wire::Description& description, const Address& device, bool withPlayer,
              const std::string& name, const std::vector<uint8_t>& data);
  Result Connect(ConnectRequest request, Handle* handle);
  void AnswerConnect(uint64_t token, Result result, std::vector<uint8_t> reply);
  // The own player of a session joined without one; waits for the host at most the connect
  // time-out.
  Result CreatePlayer(const std::string& name, const std::vector<uint8_t>& data, PlayerId* id);
  // The own player: leave the session's players (the link stays). Another (host only): remove
  // it with `data` as the reason.
  Result DestroyPlayer(PlayerId id, std::vector<uint8_t> data);
  Result SetOwnInfo(uint32_t fields, const std::string& name, const std::vector<uint8_t>& data);
  Result GetPlayer(PlayerId id, PlayerView& view) const;
  // to 0: every player (the sender only with kEngineLoopback).
  Result Send(PlayerId to, std::vector<uint8_t> data, uint32_t flags);
  Result GetDescription(wire::Description& description) const;
  // An empty password with kEnginePasswordRequired keeps the session's password.
  Result SetDescription(const wire::Description& description);
  Result CreateGroup(const std::string& name, PlayerId* id);
  Result AddToGroup(PlayerId group, PlayerId player);
  std::vector<PlayerView> Players() const;  // in join order
  std::vector<wire::GroupRecord> Groups() const;  // in creation order
  PlayerId Self() const;
  bool IsHost() const;
  std::vector<Address> ListenAddresses() const;

  // Leaves the session (a member tells the host), ends searches with UserCancel, reports every
  // player destroyed, and stops the network thread. No termination is reported.
  void Close();

 private:
  class Impl;
  std::shared_ptr<Impl> m_impl;
};

}  // namespace dplay
