// Position reports through a session host on loopback: 16 members each send 20 small reports a
// second to everyone, the host (a process of its own) relays them. Counters: the delivery time
// from send to the receiver's callback at the median and the 99th percentile, and the host
// process's share of one core. The argument is how long the host gathers its writes: 0 writes
// every frame at once, for comparison with the configured default.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dplay/Peer.h"
#include "platform/dplay/tests/support/HostProcess.h"
#include "platform/dplay/tests/support/ProcessCpu.h"
#include "platform/dplay/tests/support/TestApp.h"

namespace {

using namespace dplay;
using Clock = std::chrono::steady_clock;

constexpr int kMembers = 16;
constexpr int kReportsPerSecond = 20;
constexpr size_t kReportSize = 52;  // the size of a state report

struct Member {
  Peer peer{Config::FromEnvironment()};
  std::atomic<PlayerId> self{0};
};

void ReportsThroughTheHost(benchmark::State& state) {
  const std::string gather = "gather=" + std::to_string(state.range(0));
  dplaytest::HostProcess host(DPLAY_TEST_HOST, "peer", "real", gather.c_str());
  if (host.Port() == 0) {
    state.SkipWithError("no test host");
    return;
  }
  std::mutex mutex;
  std::vector<double> delays;  // milliseconds
  std::atomic<bool> measuring{false};
  std::vector<std::unique_ptr<Member>> members;
  for (int i = 0; i < kMembers; ++i) {
    auto member = std::make_unique<Member>();
    std::atomic<bool> joined{false};
    member->peer.Initialize([&, m = member.get()](Message& message) {
      if (auto* r = std::get_if<Receive>(&message)) {
        if (!measuring || r->data.size() != kReportSize) return Result::Ok;
        int64_t sent;
        std::memcpy(&sent, r->data.data(), sizeof sent);
        const double ms = std::chrono::duration<double, std::milli>(
                              Clock::now().time_since_epoch() - std::chrono::nanoseconds(sent))
                              .count();
        std::lock_guard lock(mutex);
        delays.push_back(ms);
      } else if (auto* c = std::get_if<ConnectComplete>(&message)) {
        m->self = c->localPlayer;
        joined = true;
      }
      return Result::Ok;
    });
    ApplicationDesc target;
    target.application = dplaytest::kTestApp;
    Handle handle;
    member->peer.Connect(target, Address{"127.0.0.1", host.Port()}, Address{}, {}, &handle);
    for (int w = 0; w < 300 && !joined; ++w) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    members.push_back(std::move(member));
  }

  for (auto _ : state) {
    delays.clear();
    measuring = true;
    const double cpuBefore = dplaytest::CpuSeconds(host.Pid());
    const auto start = Clock::now();
    // Each member reports on its own schedule, spread over the 50 ms period.
    const auto period = std::chrono::milliseconds(1000 / kReportsPerSecond);
    const int rounds = 2 * kReportsPerSecond;  // two seconds
    for (int round = 0; round < rounds; ++round) {
      for (int i = 0; i < kMembers; ++i) {
        std::this_thread::sleep_until(start + round * period + i * period / kMembers);
        std::vector<uint8_t> report(kReportSize, 0);
        const int64_t now = Clock::now().time_since_epoch().count();
        std::memcpy(report.data(), &now, sizeof now);
        members[i]->peer.SendTo(kAllPlayers, std::move(report), kSendNoLoopback);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    measuring = false;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = dplaytest::CpuSeconds(host.Pid()) - cpuBefore;
    std::lock_guard lock(mutex);
    std::sort(delays.begin(), delays.end());
    auto at = [&](double q) { return delays.empty() ? 0.0 : delays[static_cast<size_t>(q * (delays.size() - 1))]; };
    state.counters["deliveries"] = static_cast<double>(delays.size());
    state.counters["p50_ms"] = at(0.50);
    state.counters["p99_ms"] = at(0.99);
    state.counters["host_core_pct"] = 100.0 * cpu / seconds;
  }
  for (auto& member : members) member->peer.Close();
}

BENCHMARK(ReportsThroughTheHost)
    ->ArgName("gather_ms")
    ->Arg(0)
    ->Arg(Config{}.gatherMs)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
