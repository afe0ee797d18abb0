#pragma once
// The stand-in simulator's session host for the session tests: on a free loopback port, with
// the transport settings that reach it.

#include <memory>
#include <string>

#include "platform/dplay/Config.h"
#include "simhost/MultiplayerHost.h"

namespace mptest {

struct LoopbackHost {
  std::unique_ptr<simhost::MultiplayerHost> host;
  dplay::Config config = dplay::Config::ForTests();  // its port once started

  // False with the reason in `error`.
  bool Start(const simhost::MultiplayerHostOptions& options, std::string& error) {
    host = std::make_unique<simhost::MultiplayerHost>(options, dplay::Config::ForTests());
    if (!host->Start(error)) return false;
    config.port = host->Port();
    return true;
  }
};

}  // namespace mptest
