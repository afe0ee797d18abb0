#include "platform/dplay/Peer.h"

#include <gtest/gtest.h>

#include "platform/dplay/Session.h"

namespace {

using namespace dplay;

TEST(Peer, InitialisesOnceAndReportsTcpIpOnly) {
  Peer peer(Config::ForTests());
  EXPECT_EQ(peer.Initialize([](Message&) { return Result::Ok; }), Result::Ok);
  EXPECT_EQ(peer.Initialize([](Message&) { return Result::Ok; }), Result::AlreadyInitialized);
  EXPECT_EQ(peer.EnumServiceProviders(), std::vector<Guid>{kServiceProviderTcpIp});
  EXPECT_EQ(peer.GetSpCaps().enumRetryIntervalMs, Config::ForTests().enumIntervalMs);
  EXPECT_EQ(peer.Close(), Result::Ok);
}

TEST(Session, OffersTheTcpIpConnection) {
  Session session(Config::ForTests());
  auto connections = session.EnumConnections(Guid{});
  ASSERT_EQ(connections.size(), 1u);
  EXPECT_EQ(connections[0].serviceProvider, kServiceProviderTcpIp);
  EXPECT_EQ(session.InitializeConnection(kServiceProviderTcpIp, Address{"127.0.0.1"}), Result::Ok);
  EXPECT_EQ(session.Close(), Result::Ok);
}

}  // namespace
