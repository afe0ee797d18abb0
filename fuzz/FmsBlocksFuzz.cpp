// Any bytes in the published FMS blocks (another gauge may write them): the panel's update, its
// menus, drags and commands read them without crash, undefined behaviour or unbounded loop.
#include <cstdint>
#include <algorithm>
#include <cstring>

#include "platform/gdi/RecordingDc.h"
#include "plotr/sim/FmsPanel.h"

namespace {
struct Sink : fms::IFmsCommands {
  void SetVariable(const char*, int32_t) override {}
  void SendEvent(uint32_t, uint32_t) override {}
  void TuneAdf(float) override {}
  void ToggleLocalTime() override {}
  void OpenSettings() override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SimSnapshot sim{};
  if (size == 0) return 0;
  const size_t n = std::min(size, sizeof sim.fmsData + sizeof sim.fmsWaypoints);
  std::memcpy(sim.fmsData, data, std::min(n, sizeof sim.fmsData));
  if (n > sizeof sim.fmsData) std::memcpy(sim.fmsWaypoints, data + sizeof sim.fmsData, n - sizeof sim.fmsData);
  fms::CFmsPanel panel;
  panel.Update(sim, size % 2 == 0);
  Sink sink;
  for (int block = 0; block < 3; ++block) {
    panel.Drag(block);
    panel.MenuFor(fms::kFirstBlockCell + 11 * block);
    for (int command : {32791, 32834, 32835, 32836, 32837, 32838, 32839}) panel.RunCommand(command, block, 90, sink);
  }
  gdi::RecordingDc dc;
  panel.Paint(dc, 452, 482, static_cast<int>(size % 3));
  return 0;
}
