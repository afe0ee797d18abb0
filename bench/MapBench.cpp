// The map engine on the world-sized database with a dense central Europe: overlays recomposed
// on the drawing thread for a 1280 x 800 frame (holding, own aircraft, 25 players with full
// trails), the time from a newer picture's request to the stop of a walk over every point of
// the database, whole pictures with every layer on, the response to a pan or zoom asked for
// while a picture is drawn, and the response to a layer switch.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
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
    navdbtest::WorldCounts counts;
    // Central Europe's airports, navaids and airways, a little busier than the real ones.
    counts.dense.airports = 1600;
    counts.dense.vors = 450;
    counts.dense.ndbs = 550;
    counts.dense.intersections = 9000;
    counts.dense.airwaySegments = 3600;
    counts.dense.airspaces = 150;
    navdbtest::BuildWorldDatabase(DatabaseLease::HeldDatabase(), counts);
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

// ---- Whole pictures over the dense box -------------------------------------------------------

constexpr double kEuropeLat = 49, kEuropeLon = 11;

// Notes that a picture has reached the middle of its chain, then paints the layer it stands in for.
class MidChainMark : public MapLayerPainter {
 public:
  explicit MidChainMark(std::shared_ptr<MapLayerPainter> inner) : m_inner(std::move(inner)) {}
  std::atomic<bool> reached{false};
  bool Paint(CMapRenderer& r, MapDrawContext& ctx) override {
    reached = true;
    return m_inner ? m_inner->Paint(r, ctx) : true;
  }

 private:
  std::shared_ptr<MapLayerPainter> m_inner;
};

// Every layer, names and airways on, flat, at `zoom` over central Europe.
CMapRenderer FullLayers(int zoom, double lat = kEuropeLat, double lon = kEuropeLon) {
  CMapRenderer renderer;
  renderer.MapRoundWorld = 0;
  renderer.ColorScheme = kSchemeWhite;
  renderer.MapAirwayL = renderer.MapAirwayH = renderer.MapIsec = renderer.MapIls = renderer.MapCom = 1;
  renderer.MapMarker = renderer.MapName = renderer.MapId = renderer.MapFreq = renderer.MapAirportId = 1;
  renderer.PushZoom(zoom, lat, lon);
  return renderer;
}

// What a view of cx x cy logical units shows: shown points of every array and airway segments
// (by their first label point).
struct ViewCounts {
  int points = 0;
  int segments = 0;
};
ViewCounts CountInView(const CMapRenderer& renderer, int cx, int cy) {
  MapViewExtents view;
  renderer.GetViewExtents(cx, cy, view);
  auto inside = [&](float lat, float lon) {
    const bool inLon = view.lonMin <= view.lonMax ? lon >= view.lonMin && lon <= view.lonMax
                                                  : lon >= view.lonMin || lon <= view.lonMax;
    return lat >= view.latMin && lat <= view.latMax && inLon;
  };
  ViewCounts n;
  for (int a = 0; a < kPointArrayCount; ++a) {
    for (const NavPoint& p : DatabaseLease::HeldDatabase().Points(static_cast<PointArray>(a))) {
      n.points += p.IsShown() && inside(p.latitude, p.longitude);
    }
  }
  const CLabelPointArray& labels = DatabaseLease::HeldDatabase().m_labelPoints;
  for (int i = 0; i < labels.GetSize(); ++i) {
    LabelPoint l;
    std::memcpy(&l, &labels[i], sizeof l);
    n.segments += l.IsFirst() && inside(l.latitude, l.longitude);
  }
  return n;
}

constexpr int kWidth = 1280, kHeight = 800;
// The engine's logical units at 96 dpi.
constexpr int kLogicalWidth = kWidth * gdi::kLogicalPerInch / 96, kLogicalHeight = kHeight * gdi::kLogicalPerInch / 96;

// A busy view must be busy: the dense box's central Europe at zoom 16 holds at least 10,000
// shown points and 3,000 airway segments.
bool CheckDenseView(benchmark::State& state) {
  const ViewCounts n = CountInView(FullLayers(16), kLogicalWidth, kLogicalHeight);
  state.counters["europe_points"] = n.points;
  state.counters["europe_segments"] = n.segments;
  if (n.points >= 10000 && n.segments >= 3000) return true;
  state.SkipWithError("the view of central Europe is not dense enough");
  return false;
}

// Wakes the benchmark's thread at every frame, so that it sleeps while the drawing thread works
// and the process's processor time is the drawing thread's.
class FrameSignal : public ui::IMessageTarget {
 public:
  void Post(const ui::Message& message) override {
    std::lock_guard lock(m_mutex);
    if (message.wParam == 1) ++m_newPictures;
    m_changed.notify_all();
  }
  void WaitForFrameAfter(const CMapEngine& engine, int frames) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return engine.FramesComposed() > frames; });
  }
  // Frames over a new picture, not those that only moved the overlays.
  int NewPictures() {
    std::lock_guard lock(m_mutex);
    return m_newPictures;
  }
  void WaitForNewPictureAfter(int pictures) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_newPictures > pictures; });
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_newPictures = 0;
};

// Waits until the drawing thread has taken every request so far; any frame composed after that
// shows the latest one. Returns the frames composed by then.
int WaitUntilTaken(CMapEngine& engine) {
  for (;;) {
    {
      std::lock_guard lock(engine.State().lock);
      if (engine.State().pending.empty()) return engine.FramesComposed();
    }
    std::this_thread::yield();
  }
}

// A whole picture on the drawing thread into its 1280 x 800 image surface, with the frame
// composed over it: chain A at zoom 16, chain B at 64.
void BM_FullPicture(benchmark::State& state) {
  TheWorld();
  if (!CheckDenseView(state)) return;
  const CMapRenderer renderer = FullLayers(static_cast<int>(state.range(0)));
  const ViewCounts n = CountInView(renderer, kLogicalWidth, kLogicalHeight);
  state.counters["points_in_view"] = n.points;
  state.counters["segments_in_view"] = n.segments;
  FrameSignal frames;
  CMapEngine engine(renderer, nullptr, &frames);
  engine.Start();
  for (auto _ : state) {
    const int before = engine.FramesComposed();
    engine.RequestWholePicture(renderer, kWidth, kHeight);
    frames.WaitForFrameAfter(engine, before);
  }
  engine.Stop();
}
// Real time is the frame's wait on a busy machine; processor time is the drawing thread's work.
BENCHMARK(BM_FullPicture)->Arg(16)->Arg(64)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// From a new centre or zoom asked for while a picture is half drawn to the new frame: 0 pans at
// zoom 16, 1 zooms between 16 and 64, 2 pans at zoom 64.
void BM_PanZoomResponse(benchmark::State& state) {
  TheWorld();
  if (!CheckDenseView(state)) return;
  const int mode = static_cast<int>(state.range(0));
  CMapRenderer from = FullLayers(mode == 2 ? 64 : 16);
  CMapRenderer to = mode == 0 ? FullLayers(16, kEuropeLat + 0.6, kEuropeLon + 1.2)
                  : mode == 1 ? FullLayers(64)
                              : FullLayers(64, kEuropeLat + 0.15, kEuropeLon + 0.3);
  auto mark = std::make_shared<MidChainMark>(from.Painters()[static_cast<int>(MapLayer::PlanTrack)]);
  from.SetPainter(MapLayer::PlanTrack, mark);
  FrameSignal frames;
  CMapEngine engine(from, nullptr, &frames);
  engine.Start();
  engine.RequestWholePicture(from, kWidth, kHeight);
  frames.WaitForFrameAfter(engine, WaitUntilTaken(engine));
  for (auto _ : state) {
    mark->reached = false;
    engine.RequestWholePicture(from, kWidth, kHeight);
    // Half the picture drawn.
    while (!mark->reached) std::this_thread::yield();
    const auto asked = Clock::now();
    engine.RequestWholePicture(to, kWidth, kHeight);
    frames.WaitForFrameAfter(engine, WaitUntilTaken(engine));
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - asked).count());
    std::swap(from, to);
  }
  engine.Stop();
}
BENCHMARK(BM_PanZoomResponse)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

// From a click on a layer switch to the frame of the new picture, along the view's path once the
// switch is due: the periodic update writes it to the settings (and the profile) and hands the
// overlays the newest parameters, then the paint it asked for finds the picture older than them
// and asks for the new one. Switches VOR symbols, navaid names and low airways in turn.
void BM_LayerSwitchResponse(benchmark::State& state) {
  TheWorld();
  if (!CheckDenseView(state)) return;
  CMapRenderer view = FullLayers(16);
  g_Settings.SetColorMode(1);
  g_Settings.SetMapRoundWorld(view.MapRoundWorld != 0);
  g_Settings.SetMapAirwayL(view.MapAirwayL != 0);
  g_Settings.SetMapAirwayH(view.MapAirwayH != 0);
  g_Settings.SetMapIsec(view.MapIsec != 0);
  g_Settings.SetMapIls(view.MapIls != 0);
  g_Settings.SetMapCom(view.MapCom != 0);
  g_Settings.SetMapMarker(view.MapMarker != 0);
  g_Settings.SetMapName(view.MapName != 0);
  g_Settings.SetMapId(view.MapId != 0);
  g_Settings.SetMapFreq(view.MapFreq != 0);
  g_Settings.SetMapAirportId(view.MapAirportId != 0);
  view.ReadLayerSettings();
  FrameSignal frames;
  CMapEngine engine(view, nullptr, &frames);
  engine.Start();
  engine.PaintWindow(view, kWidth, kHeight);
  frames.WaitForNewPictureAfter(0);
  struct Switch {
    bool (CSettings::*get)(bool, bool);
    void (CSettings::*set)(bool);
  };
  const Switch switches[] = {{&CSettings::GetMapVor, &CSettings::SetMapVor},
                             {&CSettings::GetMapName, &CSettings::SetMapName},
                             {&CSettings::GetMapAirwayL, &CSettings::SetMapAirwayL}};
  size_t turn = 0;
  for (auto _ : state) {
    const Switch& s = switches[turn++ % std::size(switches)];
    const int pictures = frames.NewPictures();
    const auto clicked = Clock::now();
    (g_Settings.*s.set)(!(g_Settings.*s.get)(false, false));
    view.ReadLayerSettings();
    engine.UpdateOverlays(view, kWidth, kHeight, MapOverlayState{});
    if (!engine.PaintWindow(view, kWidth, kHeight)) {
      state.SkipWithError("the paint kept the old picture");
      break;
    }
    frames.WaitForNewPictureAfter(pictures);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - clicked).count());
  }
  engine.Stop();
}
BENCHMARK(BM_LayerSwitchResponse)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
