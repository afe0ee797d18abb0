#pragma once
// A peer with its recorder, and the few steps every session test takes: host, join.
#include <gtest/gtest.h>

#include "platform/dplay/Peer.h"
#include "platform/dplay/tests/support/Recorder.h"
#include "platform/dplay/tests/support/TestApp.h"

namespace dplaytest {

struct TestPeer {
  Recorder rec;
  dplay::Peer peer{dplay::Config::ForTests()};
  explicit TestPeer(const std::u16string& name, std::vector<uint8_t> data = {}) {
    EXPECT_EQ(peer.Initialize(rec.Handler()), dplay::Result::Ok);
    EXPECT_EQ(peer.SetPeerInfo(dplay::PlayerInfo{name, std::move(data)},
                               dplay::kInfoName | dplay::kInfoData),
              dplay::Result::Ok);
  }
  dplay::PlayerId Self() {
    std::vector<dplay::PlayerId> ids;
    peer.EnumPlayersAndGroups(ids, dplay::kEnumPlayers);
    for (dplay::PlayerId id : ids) {
      dplay::PlayerInfo info;
      if (peer.GetPeerInfo(id, info) == dplay::Result::Ok && (info.flags & dplay::kPlayerLocal)) return id;
    }
    return 0;
  }
  uint16_t ListenPort() {
    auto addresses = peer.GetLocalHostAddresses();
    return addresses.empty() ? 0 : addresses[0].port;
  }
};

// The UTF-16LE bytes the newer interface puts on the wire for a name or a password.
inline std::string WireText(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

inline dplay::ApplicationDesc Desc(std::u16string password = u"", uint32_t maxPlayers = 0,
                                   bool migrate = true) {
  dplay::ApplicationDesc desc;
  desc.flags = migrate ? dplay::kSessionMigrateHost : 0;
  desc.application = kTestApp;
  desc.sessionName = u"Evening flight";
  desc.password = std::move(password);
  desc.maxPlayers = maxPlayers;
  desc.reservedData = {7, 7, 7};
  return desc;
}

inline uint16_t StartHost(TestPeer& host, const dplay::ApplicationDesc& desc = Desc()) {
  EXPECT_EQ(host.peer.Host(desc, dplay::Address{}), dplay::Result::Ok);
  return host.ListenPort();
}

inline dplay::ConnectComplete Join(TestPeer& peer, uint16_t port,
                                   dplay::ApplicationDesc target = Desc(),
                                   std::vector<uint8_t> connectData = {}) {
  dplay::Handle handle = 0;
  EXPECT_EQ(peer.peer.Connect(target, dplay::Address{"127.0.0.1", port}, dplay::Address{},
                              std::move(connectData), &handle),
            dplay::Result::Pending);
  auto complete = peer.rec.WaitFor<dplay::ConnectComplete>();
  EXPECT_TRUE(complete);
  return complete.value_or(dplay::ConnectComplete{0, dplay::Result::NoResponse, 0, {}});
}

}  // namespace dplaytest
