#include "platform/dplay/Peer.h"

namespace dplay {

// The session engine arrives in the next step; until then a peer can be set up and closed but
// joins nothing.
class Peer::Frontend {
 public:
  Handler handler;
};

Peer::Peer(Config config) : m_config(std::move(config)), m_frontend(std::make_unique<Frontend>()) {}
Peer::~Peer() { Close(); }

Result Peer::Initialize(Handler handler) {
  if (m_frontend->handler) return Result::AlreadyInitialized;
  m_frontend->handler = std::move(handler);
  return Result::Ok;
}

std::vector<Guid> Peer::EnumServiceProviders() const { return {kServiceProviderTcpIp}; }
ServiceProviderCaps Peer::GetSpCaps() const { return {m_config.enumIntervalMs}; }

Result Peer::EnumHosts(const ApplicationDesc&, const Address&, const Address&,
                       const EnumHostsOptions&, uintptr_t, Handle*) {
  return Result::InvalidCall;
}
Result Peer::CancelAsyncOperation(Handle) { return Result::InvalidHandle; }
Result Peer::Connect(const ApplicationDesc&, const Address&, const Address&, std::vector<uint8_t>,
                     Handle*) {
  return Result::InvalidCall;
}
Result Peer::Host(const ApplicationDesc&, const Address&) { return Result::InvalidCall; }
std::vector<Address> Peer::GetLocalHostAddresses() const { return {}; }
Result Peer::SetPeerInfo(const PlayerInfo&, uint32_t) { return Result::InvalidCall; }
Result Peer::GetPeerInfo(PlayerId, PlayerInfo&) const { return Result::InvalidPlayer; }
Result Peer::SendTo(PlayerId, std::vector<uint8_t>, uint32_t) { return Result::InvalidCall; }
Result Peer::GetApplicationDesc(ApplicationDesc&) const { return Result::InvalidCall; }
Result Peer::SetApplicationDesc(const ApplicationDesc&) { return Result::InvalidCall; }
Result Peer::DestroyPeer(PlayerId, std::vector<uint8_t>) { return Result::InvalidCall; }
Result Peer::CreateGroup(const std::u16string&, PlayerId*) { return Result::InvalidCall; }
Result Peer::AddPlayerToGroup(PlayerId, PlayerId, uintptr_t, Handle*) { return Result::InvalidCall; }
Result Peer::EnumPlayersAndGroups(std::vector<PlayerId>& ids, uint32_t) const {
  ids.clear();
  return Result::InvalidCall;
}
Result Peer::Close() { return Result::Ok; }

}  // namespace dplay
