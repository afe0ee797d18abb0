// The map engine on the world-sized database: overlays recomposed on the drawing thread for a
// 1280 x 800 frame (holding, own aircraft, 25 players with full trails), and the time from a
// newer picture's request to the stop of a walk over every point of the database.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "navdb/Geodesy.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "platform/gdi/CairoDc.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapEngine.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/DatabaseAccess.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct World {
  fs::path folder;
  World() {
    folder = fs::temp_directory_path() / ("map-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    g_Settings.SetProfileFile(folder / "Program.cfg");
    SetAircraftProfileFolder(folder);
    navdbtest::BuildWorldDatabase(g_SceneryDatabase, navdbtest::WorldCounts{});
  }
  ~World() { fs::remove_all(folder); }
};

World& TheWorld() {
  static World world;
  return world;
}

MapOverlayState BusySky(double lat, double lon, int step) {
  MapOverlayState s;
  s.sim.latitude = lat;
  s.sim.longitude = lon;
  s.sim.trueHeading = 30;
  s.sim.trueAirspeed = 240;
  s.holding.defined = 1;
  s.holding.latitude = static_cast<float>(lat + 0.2);
  s.holding.longitude = static_cast<float>(lon + 0.2);
  s.holding.heading = 90;
  s.holding.segmentLength = 1;
  s.guidance.guidanceFlags = 1;
  s.guidance.targetLatitude = lat + 0.3;
  s.guidance.targetLongitude = lon;
  for (int i = 0; i < 25; ++i) {
    MpPlayerEntry p{};
    p.playerId = i + 1;
    std::snprintf(p.callSign, sizeof p.callSign, "MP%02d", i);
    p.hasPosition = 1;
    // Every call moves each player 600 m north: a new trail point per frame.
    p.latitude = static_cast<float>(lat - 1 + 0.08 * (i % 5) + step * 600 * kDegPerMetre);
    p.longitude = static_cast<float>(lon - 1 + 0.08 * (i / 5));
    p.speed = 250;
    p.heading = 0;
    p.altitude = 10000;
    s.players.push_back(p);
  }
  return s;
}

void BM_OverlaysRecomposed(benchmark::State& state) {
  TheWorld();
  CMapRenderer renderer;
  renderer.MapRoundWorld = 0;
  renderer.ColorScheme = kSchemeBlue;
  renderer.PushZoom(128, 47, 8);
  CMapEngine engine(renderer, nullptr, nullptr);
  engine.Start();
  engine.RequestWholePicture(renderer, 1280, 800);
  int step = 0;
  auto frame = [&] {
    const int before = engine.FramesComposed();
    engine.UpdateOverlays(renderer, 1280, 800, BusySky(47, 8, ++step));
    while (engine.FramesComposed() == before) std::this_thread::yield();
  };
  for (int i = 0; i < 110; ++i) frame();  // full trails of 100 points
  for (auto _ : state) frame();
  engine.Stop();
}
BENCHMARK(BM_OverlaysRecomposed)->Unit(benchmark::kMillisecond);

// Walks every point array over the whole world; notes when the walk gave up.
class WalkEverything : public MapLayerPainter {
 public:
  std::atomic<int> visited{0};
  std::atomic<int64_t> stoppedAt{0};
  bool Paint(CMapRenderer& r, MapDrawContext& ctx) override {
    bool done = true;
    for (int a = 0; a < kPointArrayCount && done; ++a) {
      done = r.WalkPoints(ctx, static_cast<PointArray>(a),
                          [&](const NavPoint&, int, int) { visited.fetch_add(1, std::memory_order_relaxed); });
    }
    stoppedAt = Clock::now().time_since_epoch().count();
    return done;
  }
};

// A flat world map whose one layer walks every point.
CMapRenderer WorldWalker(const std::shared_ptr<WalkEverything>& walker) {
  TheWorld();
  CMapRenderer renderer;
  renderer.MapRoundWorld = 0;
  renderer.SetPainter(MapLayer::Continents, walker);
  return renderer;
}

void BM_AbortLatency(benchmark::State& state) {
  auto walker = std::make_shared<WalkEverything>();
  CMapRenderer renderer = WorldWalker(walker);
  win::AutoResetEvent abort;
  for (auto _ : state) {
    walker->visited = 0;
    gdi::RecordingDc dc;
    std::thread drawer([&] { renderer.DrawMapLayers(dc, 14400, 7200, nullptr, &abort); });
    // Ask for a newer picture well inside the walk.
    while (walker->visited.load(std::memory_order_relaxed) < 20000) {
    }
    const int64_t requested = Clock::now().time_since_epoch().count();
    abort.Set();
    drawer.join();
    abort.Reset();
    state.SetIterationTime(std::chrono::duration<double>(Clock::duration(walker->stoppedAt - requested)).count());
  }
}
BENCHMARK(BM_AbortLatency)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

// The whole walk without an abort, for scale.
void BM_WalkWhole(benchmark::State& state) {
  auto walker = std::make_shared<WalkEverything>();
  CMapRenderer renderer = WorldWalker(walker);
  for (auto _ : state) {
    gdi::RecordingDc dc;
    renderer.DrawMapLayers(dc, 14400, 7200, nullptr, nullptr);
  }
}
BENCHMARK(BM_WalkWhole)->Unit(benchmark::kMillisecond);

// A whole picture with every layer, names and airways on, into a 1280 x 800 image surface, over
// the synthetic world's middle airport: the detail chain from zoom 64, the other below.
// Reports the points in view.
void BM_FullPicture(benchmark::State& state) {
  TheWorld();
  CMapRenderer renderer;
  renderer.MapRoundWorld = 0;
  renderer.ColorScheme = kSchemeWhite;
  renderer.MapAirwayL = renderer.MapAirwayH = renderer.MapIsec = renderer.MapIls = renderer.MapCom = 1;
  renderer.MapMarker = renderer.MapName = renderer.MapId = renderer.MapFreq = renderer.MapAirportId = 1;
  const NavPoint& first = g_SceneryDatabase.m_airports[g_SceneryDatabase.m_airports.GetSize() / 2];
  renderer.PushZoom(static_cast<int>(state.range(0)), first.latitude, first.longitude);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1280, 800);
  cairo_t* cr = cairo_create(surface);
  gdi::CairoDc dc(cr, gdi::Size{1280, 800});
  const int cx = dc.DeviceToLogicalX(1280), cy = dc.DeviceToLogicalY(800);
  for (auto _ : state) renderer.DrawMapLayers(dc, cx, cy, nullptr, nullptr);
  MapViewExtents view;
  renderer.GetViewExtents(cx, cy, view);
  int shown = 0;
  for (int a = 0; a < kPointArrayCount; ++a) {
    for (const NavPoint& p : g_SceneryDatabase.Points(static_cast<PointArray>(a))) {
      const float lat = p.latitude, lon = p.longitude;
      const bool inLon = view.lonMin <= view.lonMax ? lon >= view.lonMin && lon <= view.lonMax
                                                    : lon >= view.lonMin || lon <= view.lonMax;
      shown += p.IsShown() && lat >= view.latMin && lat <= view.latMax && inLon;
    }
  }
  state.counters["points_in_view"] = shown;
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_FullPicture)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
