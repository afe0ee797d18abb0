#pragma once
// Settings of the session transport. Defaults suit a real network; tests shorten the intervals
// so a lost host or a silent listener shows within a fraction of a second.
#include <cstdint>
#include <string>
#include <vector>

namespace dplay {

struct Config {
  // TCP port a host listens on and UDP port it answers enumeration on, unless the host is given
  // another. Searches without a port go here.
  uint16_t port = 23440;
  // Where a search without a host name sends its queries: broadcast addresses of the local
  // network, or loopback so that tests never leave the machine.
  std::vector<std::string> lanTargets{"255.255.255.255"};
  // A search repeats its query this often; reported as the provider's enumeration interval.
  uint32_t enumIntervalMs = 1500;
  // A search with a finite count waits this long for answers after its last query.
  uint32_t enumTimeoutMs = 1500;
  // A connection attempt that gets no answer within this time fails with NoResponse (the
  // listener took the connection) or NoConnection (it did not).
  uint32_t connectTimeoutMs = 5000;
  // Every link sends a heartbeat this often when it has sent nothing else...
  uint32_t heartbeatIntervalMs = 1000;
  // ...and is taken as lost when no whole frame has arrived for this long. Members that do not come
  // back to a migrated host within this time are removed.
  uint32_t linkTimeoutMs = 6000;
  // Data for a link written to within this many milliseconds waits until the next multiple of it
  // and goes out in one write; 0 writes each frame at once. A host relaying position reports
  // spends most of its time in the system calls of its writes; gathering them delays a report
  // by at most this long.
  uint32_t gatherMs = 10;
  // Threads that run the handler's callbacks (at least 2, so one slow player cannot hold up
  // the session's other callbacks).
  unsigned callbackThreads = 2;

  // The defaults, with the environment's CW_DPLAY_PORT (a port number) and CW_DPLAY_LAN (comma-
  // separated search targets) in place of the port and the search targets when they are set.
  static Config FromEnvironment();

  // Short intervals for tests on loopback: the link time-out is under a second.
  static Config ForTests();
};

}  // namespace dplay
