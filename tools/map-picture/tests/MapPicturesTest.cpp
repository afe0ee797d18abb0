// The moving map over the Swiss sample, drawn headless as the map window shows it, with a plan
// from Zurich to Geneva: Switzerland flat in the white scheme, Zurich close up in the black
// scheme and the whole globe. The PNGs are kept in the build's artifacts folder for a look; the
// test itself asks only that each is a picture, not one colour.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <string>

#include "plotr/map/MapEngine.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/tools/AutoRoute.h"
#include "tools/sample-simroot/tests/support/SwissSample.h"

namespace fs = std::filesystem;

namespace {

struct Picture {
  const char* name;
  int zoom;
  double latitude, longitude;
  int scheme;
  bool globe;
};

const Picture kPictures[] = {
    {"switzerland-flat-white", 48, 46.8, 8.2, kSchemeWhite, false},
    {"zurich-128-black", 128, 47.46, 8.55, kSchemeBlack, true},
    {"globe-1", 1, 46.8, 8.2, kSchemeBlue, true},
};

// Distinct colours of a PNG, counted up to `enough`; 0 when it does not read.
int Colours(const fs::path& png, int enough) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  std::set<uint32_t> seen;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < cairo_image_surface_get_height(s) && static_cast<int>(seen.size()) < enough; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < cairo_image_surface_get_width(s); ++x) seen.insert(row[x] & 0xFFFFFF);
    }
  }
  cairo_surface_destroy(s);
  return static_cast<int>(seen.size());
}

class SwissPictures : public testing::TestWithParam<Picture> {
 protected:
  static void SetUpTestSuite() {
    scratch = fs::temp_directory_path() / ("map-pictures-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    g_Settings.SetProfileFile(scratch / "Program.cfg");
    SetAircraftProfileFolder(scratch);
    // The installation's world map, when the build laid one out.
    SetWorldMapFolder(CW_WORLD_MAP_DIR);
    loaded = sampletest::LoadSwissSample(error);
    if (!loaded) return;
    plan = new CFlightPlanCore;
    DatabaseLease lease;
    CRoute& route = *plan->GetCurrent();
    route.AddPoint(sampletest::SamplePoint("LSZH", kKindAirport));
    route.AddPoint(sampletest::SamplePoint("LSGG", kKindAirport));
    AutoRouteDialogValues values;
    values.routeType = kAutoRouteLowAirways;
    if (!RunAutoRouteSearch(route, values, nullptr)) {
      values.routeType = kAutoRouteNavaids;
      RunAutoRouteSearch(route, values, nullptr);
    }
    plan->Rebuild();
  }
  static void TearDownTestSuite() {
    delete plan;
    plan = nullptr;
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
  }

  static inline fs::path scratch;
  static inline bool loaded = false;
  static inline std::string error;
  static inline CFlightPlanCore* plan = nullptr;
};

TEST_P(SwissPictures, AreDrawnAsPictures) {
  ASSERT_TRUE(loaded) << error;
  const Picture& p = GetParam();
  {
    DatabaseLease lease;
    // Departure, destination and what the route finder put between them.
    ASSERT_GE(plan->GetCurrent()->GetCount(), 3);
  }
  CMapRenderer renderer;
  renderer.MapRoundWorld = p.globe ? 1 : 0;
  renderer.ColorScheme = p.scheme;
  renderer.MapAirwayL = renderer.MapAirwayH = renderer.MapIsec = renderer.MapMarker = 1;
  renderer.MapIls = renderer.MapCom = renderer.MapName = 1;
  // The sample's TMAs and restricted area reach above the transition level only.
  renderer.MapAirspaceAboveTransition = 1;
  renderer.PushZoom(p.zoom, p.latitude, p.longitude);
  // The own aircraft on its way out of Zurich.
  MapOverlayState overlays;
  overlays.sim.latitude = 47.40;
  overlays.sim.longitude = 8.45;
  overlays.sim.trueHeading = 240;
  overlays.sim.trueAirspeed = 220;
  const std::shared_ptr<const MapFrame> frame = DrawMapFrameOnce(renderer, plan, 1280, 800, overlays);
  ASSERT_TRUE(frame);

  const fs::path folder = CW_MAP_ARTIFACTS_DIR;
  fs::create_directories(folder);
  const fs::path png = folder / (std::string(p.name) + ".png");
  ASSERT_TRUE(frame->WritePng(png.string())) << png;
  EXPECT_GE(Colours(png, 3), 3) << png << " is one colour or does not read";
}

INSTANTIATE_TEST_SUITE_P(Sample, SwissPictures, testing::ValuesIn(kPictures),
                         [](const testing::TestParamInfo<Picture>& info) {
                           std::string name = info.param.name;
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

}  // namespace
