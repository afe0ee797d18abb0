#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "plotr/map/MapEngine.h"

namespace {

using namespace std::chrono_literals;

// Background painter that records every picture it is asked for, can hold a picture at a gate,
// and can draw slowly (until aborted) at one zoom.
struct Studio {
  std::mutex lock;
  std::condition_variable changed;
  struct Picture {
    int zoom;
    gdi::Rect clip;
    bool printing;
    bool abortable;
    bool aborted;
    uint8_t vor;
  };
  std::vector<Picture> pictures;
  bool gateOpen = true;
  bool started = false;
  int slowZoom = -1;

  void WaitStarted() {
    std::unique_lock l(lock);
    ASSERT_TRUE(changed.wait_for(l, 20s, [&] { return started; }));
  }
  void Open() {
    std::lock_guard l(lock);
    gateOpen = true;
    changed.notify_all();
  }
};

class StudioPainter : public MapLayerPainter {
 public:
  explicit StudioPainter(Studio& s) : m_s(s) {}
  bool Paint(CMapRenderer& r, MapDrawContext& ctx) override {
    {
      std::unique_lock l(m_s.lock);
      m_s.started = true;
      m_s.changed.notify_all();
      m_s.changed.wait(l, [&] { return m_s.gateOpen; });
    }
    ctx.dc.FillRect(gdi::Rect{0, 0, ctx.cx / 2, ctx.cy / 2}, gdi::Brush::Solid(0x2040C0));
    bool aborted = false;
    if (r.GetZoom() == m_s.slowZoom) {
      const auto until = std::chrono::steady_clock::now() + 10s;
      while (std::chrono::steady_clock::now() < until && ctx.Tick()) std::this_thread::sleep_for(50us);
      aborted = ctx.aborted;
    }
    std::lock_guard l(m_s.lock);
    m_s.pictures.push_back({r.GetZoom(), ctx.dc.GetClipRect(), ctx.dc.IsPrinting(), ctx.abort != nullptr, aborted, r.MapVor});
    return !aborted;
  }

 private:
  Studio& m_s;
};

// Sanitizer builds on a loaded machine are slow; an answer ends the wait at once.
template <class Pred>
bool WaitFor(Pred pred) {
  const auto until = std::chrono::steady_clock::now() + 20s;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

class MapEngineTest : public testing::Test {
 protected:
  MapEngineTest() {
    m_prototype.SetPainter(MapLayer::Background, std::make_shared<StudioPainter>(m_studio));
    m_params.MapRoundWorld = 1;
    m_params.ColorScheme = kSchemeBlue;
    m_params.PushZoom(8, 47, 8);
    m_engine = std::make_unique<CMapEngine>(m_prototype, nullptr, &m_target);
    m_engine->Start();
  }

  // The frame counter moves before the frame's message is posted: wait for both.
  bool Shown(size_t n) { return m_engine->FramesComposed() == static_cast<int>(n) && Frames().size() == n; }

  std::vector<ui::Message> Frames() {
    std::vector<ui::Message> out;
    for (const ui::Message& m : m_target.Messages()) {
      if (m.code == kMsgMapFrame) out.push_back(m);
    }
    return out;
  }

  Studio m_studio;
  CMapRenderer m_prototype;
  CMapParams m_params;
  ui::RecordingTarget m_target;
  std::unique_ptr<CMapEngine> m_engine;
};

TEST_F(MapEngineTest, TwoRequestsGiveOnePictureClippedToTheirUnion) {
  m_engine->RequestWholePicture(m_params, 200, 100);
  ASSERT_TRUE(WaitFor([&] { return Shown(1); }));
  {
    std::lock_guard l(m_studio.lock);
    m_studio.gateOpen = false;
    m_studio.started = false;
  }
  m_engine->RequestPicture(m_params, 200, 100, gdi::Rect{10, 10, 20, 20});
  m_studio.WaitStarted();  // the second picture holds at the gate...
  m_engine->RequestPicture(m_params, 200, 100, gdi::Rect{40, 50, 60, 70});
  m_engine->RequestPicture(m_params, 200, 100, gdi::Rect{100, 20, 120, 30});
  m_studio.Open();  // ...while two more requests merge into a third
  ASSERT_TRUE(WaitFor([&] { return Shown(3); }));
  std::this_thread::sleep_for(20ms);
  std::lock_guard l(m_studio.lock);
  ASSERT_EQ(m_studio.pictures.size(), 3u);
  EXPECT_EQ(m_studio.pictures[2].clip, (gdi::Rect{600, 300, 1800, 1050}));  // (40,20)-(120,70) px
  EXPECT_TRUE(m_studio.pictures[2].abortable);
  EXPECT_EQ(Frames().size(), 3u);
  EXPECT_EQ(Frames().back().wParam, 1u);
  ASSERT_TRUE(m_engine->FrontFrame());
  EXPECT_EQ(m_engine->FrontFrame()->Width(), 200);
}

TEST_F(MapEngineTest, ZoomChangeStopsThePictureAndDrawsTheNewOne) {
  m_studio.slowZoom = 8;
  m_engine->RequestWholePicture(m_params, 200, 100);
  m_studio.WaitStarted();
  CMapParams zoomed = m_params;
  zoomed.PushZoom(16, 47, 8);
  m_engine->RequestWholePicture(zoomed, 200, 100);
  ASSERT_TRUE(WaitFor([&] { return m_engine->FramesComposed() >= 1 && !Frames().empty(); }));
  std::lock_guard l(m_studio.lock);
  ASSERT_EQ(m_studio.pictures.size(), 2u);
  EXPECT_TRUE(m_studio.pictures[0].aborted);
  EXPECT_EQ(m_studio.pictures[1].zoom, 16);
  EXPECT_EQ(Frames().size(), 1u);  // the stopped picture was never shown
}

// The periodic copy hands the overlays the newest parameters before the paint that a layer
// switch asked for comes: the paint must still see that the picture is of older ones.
TEST_F(MapEngineTest, APaintAsksForAPictureOnlyWhenTheLastOneAskedForShowsOtherParameters) {
  ASSERT_TRUE(m_engine->PaintWindow(m_params, 200, 100));
  ASSERT_TRUE(WaitFor([&] { return Shown(1); }));
  EXPECT_FALSE(m_engine->PaintWindow(m_params, 200, 100)) << "an expose only shows the frame again";

  CMapParams switched = m_params;
  switched.MapVor = !m_params.MapVor;
  m_engine->UpdateOverlays(switched, 200, 100, MapOverlayState{});
  ASSERT_TRUE(WaitFor([&] { return Shown(2); }));
  EXPECT_EQ(m_engine->PicturesDrawn(), 1);
  EXPECT_TRUE(m_engine->PaintWindow(switched, 200, 100));
  ASSERT_TRUE(WaitFor([&] { return Shown(3); }));
  EXPECT_FALSE(m_engine->PaintWindow(switched, 200, 100));
  EXPECT_TRUE(m_engine->PaintWindow(switched, 240, 100)) << "a new size";
  ASSERT_TRUE(WaitFor([&] { return Shown(4); }));
  std::lock_guard l(m_studio.lock);
  ASSERT_EQ(m_studio.pictures.size(), 3u);
  EXPECT_EQ(m_studio.pictures[1].vor, switched.MapVor);
  EXPECT_EQ(m_engine->FrontFrame()->Width(), 240);
}

TEST_F(MapEngineTest, HiddenViewDrawsNothingUntilShown) {
  m_engine->SetVisible(false);
  m_engine->RequestWholePicture(m_params, 200, 100);
  MapOverlayState overlays;
  m_engine->UpdateOverlays(m_params, 200, 100, overlays);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(m_engine->PicturesDrawn(), 0);
  EXPECT_TRUE(m_target.Messages().empty());
  m_engine->SetVisible(true);  // the dropped request comes back as a whole picture
  ASSERT_TRUE(WaitFor([&] { return Shown(1); }));
  EXPECT_EQ(Frames().front().wParam, 1u);
}

TEST_F(MapEngineTest, PositionUpdateRecomposesOverAnUnchangedPicture) {
  m_engine->RequestWholePicture(m_params, 200, 100);
  ASSERT_TRUE(WaitFor([&] { return Shown(1); }));
  const std::vector<unsigned char> before = m_engine->PictureBytes();
  const auto firstFrame = m_engine->FrontFrame();
  MapOverlayState overlays;
  overlays.sim.latitude = 47;
  overlays.sim.longitude = 8;
  overlays.sim.trueHeading = 45;
  m_engine->UpdateOverlays(m_params, 200, 100, overlays);
  ASSERT_TRUE(WaitFor([&] { return Shown(2); }));
  EXPECT_EQ(m_engine->PicturesDrawn(), 1);
  EXPECT_EQ(m_engine->PictureBytes(), before);
  EXPECT_EQ(Frames().back().wParam, 0u);
  const auto frame = m_engine->FrontFrame();
  ASSERT_NE(frame, firstFrame);
  cairo_surface_t* s = frame->Surface();
  const unsigned char* data = cairo_image_surface_get_data(s);
  const std::vector<unsigned char> composed(data, data + cairo_image_surface_get_stride(s) * frame->Height());
  EXPECT_NE(composed, before);  // the aircraft is over the picture, not in it
}

TEST_F(MapEngineTest, StopEndsAPictureInProgressPromptly) {
  m_studio.slowZoom = 8;
  m_engine->RequestWholePicture(m_params, 200, 100);
  m_studio.WaitStarted();
  const auto start = std::chrono::steady_clock::now();
  m_engine->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(m_engine->FramesComposed(), 0);
}

TEST_F(MapEngineTest, PrintsIntoAPdfWithoutAbortInPrintingColours) {
  const std::filesystem::path pdf = std::filesystem::temp_directory_path() /
                                    ("map-print-" + std::to_string(::getpid()) + ".pdf");
  CMapRenderer renderer = m_prototype;
  renderer = m_params;
  ASSERT_TRUE(PrintMapToPdf(pdf.string(), renderer, nullptr));
  std::ifstream in(pdf, std::ios::binary);
  std::string head(5, '\0');
  in.read(head.data(), 5);
  EXPECT_EQ(head, "%PDF-");
  std::filesystem::remove(pdf);
  std::lock_guard l(m_studio.lock);
  ASSERT_EQ(m_studio.pictures.size(), 1u);
  EXPECT_TRUE(m_studio.pictures[0].printing);
  EXPECT_FALSE(m_studio.pictures[0].abortable);
  // A4 less 2 cm on every side, scaled so the whole page's logical size fits.
  EXPECT_EQ(m_studio.pictures[0].clip.left, 0);
  EXPECT_NEAR(m_studio.pictures[0].clip.right, 595 * 20, 30);
}

}  // namespace
