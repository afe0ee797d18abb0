// The FMS panel and the avionics bars run on the simulator's user-interface thread twice a
// second: their update from a snapshot and a whole panel picture must stay small.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstring>

#include "platform/gdi/CairoDc.h"
#include "plotr/sim/Avionics.h"
#include "plotr/sim/FmsPanel.h"

namespace {

SimSnapshot Snapshot(int second) {
  SimSnapshot s{};
  FmsData d{};
  d.second = static_cast<uint8_t>(second % 60);
  d.filled = 1;
  d.distance = 250.04 + second;
  d.timeValid = 1;
  d.time = 61.25;
  WriteFmsBlock(s.fmsData, d);
  for (int k = 0; k < 3; ++k) {
    FmsRow r{};
    r.filled = 1;
    r.timeValid = 1;
    std::strncpy(r.name, "Kloten", sizeof r.name);
    std::strncpy(r.kind, "VOR", sizeof r.kind);
    r.frequency = 114.85f;
    r.course = 271.6 + k + second;
    r.distance = 12.3 * (k + 1);
    r.time = 9.5 * (k + 1);
    WriteFmsBlock(s.fmsWaypoints[k], r);
  }
  s.autopilotAvailable = s.nav1Available = s.nav2Available = true;
  s.com = 12150;
  s.selectedHeading = 270 + second % 10;
  return s;
}

void BM_FmsAndBarsUpdate(benchmark::State& state) {
  fms::CFmsPanel panel;
  int second = 0;
  for (auto _ : state) {
    const SimSnapshot s = Snapshot(second++);
    benchmark::DoNotOptimize(panel.Update(s, false));
    benchmark::DoNotOptimize(avionics::StateOf(s));
    benchmark::DoNotOptimize(avionics::StateOf(s));
  }
}
BENCHMARK(BM_FmsAndBarsUpdate)->Unit(benchmark::kMicrosecond);

void BM_FmsPanelPaint(benchmark::State& state) {
  fms::CFmsPanel panel;
  panel.Update(Snapshot(0), false);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 452, 482);
  for (auto _ : state) {
    cairo_t* cr = cairo_create(surface);
    {
      gdi::CairoDc dc(cr, gdi::Size{452, 482});
      panel.Paint(dc, 452, 482, 2);
    }
    cairo_destroy(cr);
  }
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_FmsPanelPaint)->Unit(benchmark::kMillisecond);

}  // namespace
