#include "platform/dplay/Session.h"

namespace dplay {

// The session engine arrives in a later step; until then a session can be set up and closed but
// opens nothing.
class Session::Frontend {};

Session::Session(Config config)
    : m_config(std::move(config)), m_frontend(std::make_unique<Frontend>()) {}
Session::~Session() { Close(); }

std::vector<Connection> Session::EnumConnections(const Guid&) const {
  return {{kServiceProviderTcpIp, "TCP/IP"}};
}
Result Session::InitializeConnection(const Guid& serviceProvider, const Address&) {
  return serviceProvider == kServiceProviderTcpIp ? Result::Ok : Result::InvalidParam;
}
Result Session::EnumSessions(const Guid&, std::vector<SessionDesc>& sessions) {
  sessions.clear();
  return Result::Ok;
}
void Session::StopEnumSessions() {}
Result Session::Open(const SessionDesc&, OpenMode) { return Result::NoSessions; }
std::vector<Address> Session::GetLocalHostAddresses() const { return {}; }
Result Session::CreatePlayer(PlayerId*, const std::string&, win::AutoResetEvent*) {
  return Result::InvalidCall;
}
Result Session::DestroyPlayer(PlayerId) { return Result::InvalidPlayer; }
Result Session::CreateGroup(PlayerId*, const std::string&) { return Result::InvalidCall; }
Result Session::AddPlayerToGroup(PlayerId, PlayerId) { return Result::InvalidCall; }
Result Session::EnumPlayers(std::vector<NamedId>& players) const {
  players.clear();
  return Result::InvalidCall;
}
Result Session::EnumGroups(std::vector<NamedId>& groups) const {
  groups.clear();
  return Result::InvalidCall;
}
Result Session::Send(PlayerId, PlayerId, uint32_t, std::vector<uint8_t>) {
  return Result::ConnectionLost;
}
Result Session::Receive(PlayerId&, PlayerId&, std::vector<uint8_t>&) { return Result::NoMessages; }
Result Session::GetSessionDesc(SessionDesc&) const { return Result::InvalidCall; }
Result Session::SetSessionDesc(const SessionDesc&) { return Result::InvalidCall; }
Result Session::Close() { return Result::Ok; }

}  // namespace dplay
