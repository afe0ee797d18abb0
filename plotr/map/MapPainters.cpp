#include <type_traits>

#include "plotr/map/MapRenderer.h"

namespace {

// A layer drawn by one member of the renderer.
template <auto Draw>
class MemberPainter : public MapLayerPainter {
 public:
  bool Paint(CMapRenderer& renderer, MapDrawContext& ctx) override {
    if constexpr (std::is_void_v<decltype((renderer.*Draw)(ctx))>) {
      (renderer.*Draw)(ctx);
      return true;
    } else {
      return (renderer.*Draw)(ctx);
    }
  }
};

template <auto Draw>
void Set(MapPainterSet& painters, MapLayer layer) {
  painters[static_cast<int>(layer)] = std::make_shared<MemberPainter<Draw>>();
}

}  // namespace

// One line per layer painter: the layer and the painter object that draws it.
MapPainterSet DefaultMapPainters() {
  MapPainterSet painters;
  Set<&CMapRenderer::DrawBackground>(painters, MapLayer::Background);
  Set<&CMapRenderer::DrawGlobeOutline>(painters, MapLayer::GlobeOutline);
  Set<&CMapRenderer::DrawGrid>(painters, MapLayer::Grid);
  Set<&CMapRenderer::DrawContinents>(painters, MapLayer::Continents);
  Set<&CMapRenderer::DrawRivers>(painters, MapLayer::Rivers);
  Set<&CMapRenderer::DrawMountains>(painters, MapLayer::Mountains);
  Set<&CMapRenderer::DrawNdbs>(painters, MapLayer::Ndbs);
  Set<&CMapRenderer::DrawVors>(painters, MapLayer::Vors);
  Set<&CMapRenderer::DrawIntersections>(painters, MapLayer::Intersections);
  Set<&CMapRenderer::DrawMarkers>(painters, MapLayer::Markers);
  Set<&CMapRenderer::DrawUserFixes>(painters, MapLayer::UserFixes);
  Set<&CMapRenderer::DrawAirways>(painters, MapLayer::Airways);
  Set<&CMapRenderer::DrawAirwayIds>(painters, MapLayer::AirwayIds);
  Set<&CMapRenderer::DrawPlanTrack>(painters, MapLayer::PlanTrack);
  Set<&CMapRenderer::DrawRouteLabels>(painters, MapLayer::RouteLabels);
  Set<&CMapRenderer::DrawAirportSymbols>(painters, MapLayer::AirportSymbols);
  Set<&CMapRenderer::DrawTaxiways>(painters, MapLayer::Taxiways);
  Set<&CMapRenderer::DrawAirportDetails>(painters, MapLayer::AirportDetails);
  Set<&CMapRenderer::DrawFuelAreas>(painters, MapLayer::FuelAreas);
  Set<&CMapRenderer::DrawIls>(painters, MapLayer::Ils);
  Set<&CMapRenderer::DrawIlsRunways>(painters, MapLayer::IlsRunways);
  Set<&CMapRenderer::DrawRunways>(painters, MapLayer::Runways);
  Set<&CMapRenderer::DrawAirportLabels>(painters, MapLayer::AirportLabels);
  Set<&CMapRenderer::DrawComFrequencies>(painters, MapLayer::ComFrequencies);
  Set<&CMapRenderer::DrawAirspaces>(painters, MapLayer::Airspaces);
  Set<&CMapRenderer::DrawAirspaceLabels>(painters, MapLayer::AirspaceLabels);
  return painters;
}
