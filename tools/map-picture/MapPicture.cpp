// Renders a map picture of a navigation database with a plan across it, through the map
// engine's drawing thread, into a PNG, and prints the same map into a PDF.
//
//   map-picture <database.000> <database.001> <output.png> [<output.pdf>]
//
// The plan runs from the airport nearest to one corner of the database's airports to the airport
// nearest to the opposite corner over the VORs nearest to the line between them; the own aircraft
// flies its second leg, holds at its second waypoint and two players fly alongside.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "navdb/Geodesy.h"
#include "platform/gdi/CairoDc.h"
#include "plotr/map/MapEngine.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

bool Nearest(CRoute& route, double lat, double lon, int32_t kinds, FullPoint& out) {
  double radius = 500000;
  return route.FindObject(out, radius, lat, lon, kinds, true);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: map-picture <database.000> <database.001> <output.png> [<output.pdf>]\n");
    return 2;
  }
  const fs::path scratch = fs::temp_directory_path() / ("map-picture-" + std::to_string(::getpid()));
  fs::create_directories(scratch);
  g_Settings.SetProfileFile(scratch / "Program.cfg");
  SetAircraftProfileFolder(scratch);

  std::optional<DatabaseLease> lease(std::in_place);
  if (!lease->Database().LoadDatabaseFiles(argv[1], argv[2])) {
    std::fprintf(stderr, "map-picture: %s\n", lease->Database().GetLastError().c_str());
    fs::remove_all(scratch);
    return 1;
  }
  // The box of every airport.
  double latMin = 90, latMax = -90, lonMin = 180, lonMax = -180;
  const CNavPointArray& airports = lease->Database().m_airports;
  for (int i = 0; i < airports.GetSize(); ++i) {
    const double lat = airports[i].latitude, lon = airports[i].longitude;
    latMin = std::min(latMin, lat);
    latMax = std::max(latMax, lat);
    lonMin = std::min(lonMin, lon);
    lonMax = std::max(lonMax, lon);
  }
  if (latMin > latMax) latMin = latMax = lonMin = lonMax = 0;
  const double centreLat = (latMin + latMax) / 2, centreLon = (lonMin + lonMax) / 2;

  // The world map of an installation lies in the Bin folder beside its databases.
  SetWorldMapFolder(fs::path(argv[1]).parent_path() / "Bin");
  CFlightPlanCore plan;
  CRoute& route = *plan.GetCurrent();
  FullPoint from, to;
  if (Nearest(route, latMin, lonMin, kKindAirport, from) && Nearest(route, latMax, lonMax, kKindAirport, to)) {
    auto add = [&](const FullPoint& p) {
      PlanPoint point;
      point.ref = p;
      route.AddPoint(point);
    };
    add(from);
    const double lat1 = from.point.latitude, lon1 = from.point.longitude;
    const double lat2 = to.point.latitude, lon2 = to.point.longitude;
    for (double f : {0.3, 0.6}) {
      FullPoint vor;
      double lat = 0, lon = 0;
      PointAlongSegment(lat, lon, lat1, lon1, lat2, lon2, f);
      if (Nearest(route, lat, lon, kKindVor | 1 | 2 | 3, vor) && !route.Contains(vor.point)) add(vor);
    }
    add(to);
    plan.Rebuild();
  }
  std::printf("map-picture: %d waypoints over %.2f..%.2f, %.2f..%.2f\n", route.GetCount(), latMin, latMax, lonMin, lonMax);
  lease.reset();

  CMapRenderer renderer;
  renderer.MapRoundWorld = 1;
  renderer.ColorScheme = kSchemeBlue;
  // The picture shows every layer the sample has.
  renderer.MapAirwayL = renderer.MapAirwayH = renderer.MapIsec = renderer.MapMarker = 1;
  const double spanDegrees = std::max({latMax - latMin, (lonMax - lonMin) * std::cos(centreLat * kDegToRad), 0.5});
  // The globe's disc (radius zoom * height / 2) spans 90 degrees at zoom 1.
  renderer.PushZoom(static_cast<int>(std::clamp(90 / spanDegrees * 1.6, 1.0, 9999.0)), centreLat, centreLon);

  MapOverlayState overlays;
  const std::vector<PlanRow>& rows = plan.m_rows;
  if (rows.size() >= 3) {
    double lat = 0, lon = 0;
    PointAlongSegment(lat, lon, rows[1].latitude, rows[1].longitude, rows[2].latitude, rows[2].longitude, 0.4);
    overlays.sim.latitude = lat;
    overlays.sim.longitude = lon;
    overlays.sim.trueHeading = InitialCourse(lat, lon, rows[2].latitude, rows[2].longitude);
    overlays.sim.trueAirspeed = 250;
    overlays.holding.defined = 1;
    overlays.holding.latitude = static_cast<float>(rows[1].latitude);
    overlays.holding.longitude = static_cast<float>(rows[1].longitude);
    overlays.holding.heading = 270;
    overlays.holding.segmentLength = 1;
    overlays.guidance.guidanceFlags = kGuidanceFlyTo;
    overlays.guidance.targetLatitude = rows[2].latitude;
    overlays.guidance.targetLongitude = rows[2].longitude;
    overlays.guidance.levelOffValid = 1;
    PointAlongSegment(lat, lon, rows[1].latitude, rows[1].longitude, rows[2].latitude, rows[2].longitude, 0.7);
    overlays.guidance.levelOffLatitude = lat;
    overlays.guidance.levelOffLongitude = lon;
    overlays.guidance.levelOffCourse = overlays.sim.trueHeading;
    for (int i = 0; i < 2; ++i) {
      MpPlayerEntry p{};
      p.playerId = i + 1;
      std::snprintf(p.callSign, sizeof p.callSign, i ? "HB-JVA" : "SWR123");
      p.hasPosition = 1;
      p.latitude = static_cast<float>(overlays.sim.latitude + 0.15 * (i + 1));
      p.longitude = static_cast<float>(overlays.sim.longitude - 0.1 * (i + 1));
      p.speed = 180 + 60 * i;
      p.heading = static_cast<float>(overlays.sim.trueHeading);
      p.altitude = 8000 + 4000 * i;
      overlays.players.push_back(p);
    }
  }

  const std::shared_ptr<const MapFrame> frame = DrawMapFrameOnce(renderer, &plan, kWidth, kHeight, overlays);
  if (!frame) {
    std::fprintf(stderr, "map-picture: no frame was drawn\n");
    fs::remove_all(scratch);
    return 1;
  }

  // Over the frame, as the window draws drag feedback: every leg of the plan with its label.
  MapFrame shown(frame->Width(), frame->Height());
  cairo_t* cr = cairo_create(shown.Surface());
  cairo_set_source_surface(cr, frame->Surface(), 0, 0);
  cairo_paint(cr);
  {
    gdi::CairoDc dc(cr, gdi::Size{kWidth, kHeight});
    CRoute marked = route;
    for (int i = 0; i < marked.GetCount(); ++i) marked[i].marked = 1;
    const int cx = dc.DeviceToLogicalX(kWidth), cy = dc.DeviceToLogicalY(kHeight);
    DatabaseLease lease;
    renderer.DrawDragLegs(dc, cx, cy, rows, marked);
    renderer.DrawLegLabelsOverlay(dc, cx, cy, rows, marked);
  }
  cairo_destroy(cr);
  bool ok = shown.WritePng(argv[3]);
  if (ok && argc > 4) ok = PrintMapToPdf(argv[4], renderer, &plan);
  std::printf("map-picture: %s%s%s (%zu plan rows)\n", argv[3], argc > 4 ? " and " : "", argc > 4 ? argv[4] : "",
              rows.size());
  fs::remove_all(scratch);
  return ok ? 0 : 1;
}
