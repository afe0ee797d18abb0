#pragma once
// The older session interface: players of a session exchange messages through a receive queue.
// The transport sets the own player's event when messages wait; system messages (players and
// groups made and destroyed, session lost, host role taken over) come from kSystemPlayer (0)
// in the layouts of SystemMessages.h. No callbacks run in the application.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dplay/Config.h"
#include "platform/dplay/SystemMessages.h"
#include "platform/dplay/Types.h"

namespace win {
class AutoResetEvent;
}

namespace dplay {

// Send's target for every player but the sender.
inline constexpr PlayerId kAllPlayersButSender = 0;

// SessionDesc::flags
inline constexpr uint32_t kSessionDescMigrateHost = 0x4;
inline constexpr uint32_t kSessionDescPasswordRequired = 0x400;  // reported by EnumSessions

// Send's flags
inline constexpr uint32_t kSendGuaranteed = 0x1;  // every send is reliable; kept for callers

struct SessionDesc {
  uint32_t flags = 0;
  Guid instance;     // made by Open(Create); named by Open(Join)
  Guid application;
  uint32_t maxPlayers = 0;      // 0: no limit
  uint32_t currentPlayers = 0;  // kept by the transport
  std::string sessionName;      // code page 1252
  std::string password;         // given to Open; never reported back
  uint32_t user1 = 0, user2 = 0, user3 = 0, user4 = 0;  // the application's, kept by the host
};

// A connection the session can be opened on.
struct Connection {
  Guid serviceProvider;
  std::string name;
};

struct NamedId {
  PlayerId id = 0;
  std::string shortName;
};

enum class OpenMode { Join, Create };

class Session {
 public:
  explicit Session(Config config = Config::FromEnvironment());
  ~Session();  // closes
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // TCP/IP only.
  std::vector<Connection> EnumConnections(const Guid& application) const;
  // Chooses where EnumSessions looks: `address.host` empty searches the configured targets.
  Result InitializeConnection(const Guid& serviceProvider, const Address& address);

  // Starts a search in the background on the first call (or after StopEnumSessions) and
  // returns at once with every session of `application` that answered within the last three
  // search intervals, in the order they were first found.
  Result EnumSessions(const Guid& application, std::vector<SessionDesc>& sessions);
  void StopEnumSessions();

  // Join: the enumerated session `desc.instance` with `desc.password`; waits at most the
  // connect time-out (InvalidPassword, SessionFull, NoSessions when it was never enumerated,
  // NoResponse, NoConnection...). Create: hosts `desc` on the configured port (0 takes any free
  // port) and returns Ok.
  Result Open(const SessionDesc& desc, OpenMode mode);
  // Where this session accepts players once it hosts.
  std::vector<Address> GetLocalHostAddresses() const;

  // One local player per session. `event` (may be null) is set whenever messages wait.
  Result CreatePlayer(PlayerId* id, const std::string& shortName, win::AutoResetEvent* event);
  // The own player, or (host only) any other player, who then gets its own destroy message.
  Result DestroyPlayer(PlayerId id);
  // Host only.
  Result CreateGroup(PlayerId* id, const std::string& shortName);
  Result AddPlayerToGroup(PlayerId group, PlayerId player);
  Result EnumPlayers(std::vector<NamedId>& players) const;
  Result EnumGroups(std::vector<NamedId>& groups) const;  // in creation order
  // The player who hosts the session now (0: none known, or hosting without a player).
  PlayerId HostPlayer() const;

  // To one player or kAllPlayersButSender; InvalidPlayer for an unknown target, ConnectionLost
  // when the session link is down.
  Result Send(PlayerId from, PlayerId to, uint32_t flags, std::vector<uint8_t> data);
  // The next message for the own player; NoMessages when none waits. `to` is the own player.
  Result Receive(PlayerId& from, PlayerId& to, std::vector<uint8_t>& data);

  Result GetSessionDesc(SessionDesc& desc) const;
  // Host only: members and searches see the change. An empty password with
  // kSessionDescPasswordRequired (a description as GetSessionDesc gives it) keeps the password
  // the session has.
  Result SetSessionDesc(const SessionDesc& desc);

  // Leaves the session and ends the search; the queue is emptied.
  Result Close();

 private:
  class Frontend;
  Frontend& Ensure();
  Config m_config;
  std::unique_ptr<Frontend> m_frontend;
};

}  // namespace dplay
