#include "tools/sample-simroot/tests/support/SwissSample.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>

#include "basemaker/app/BuilderStrings.h"
#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"
#include "tools/sample-simroot/SampleSimRoot.h"
#include "tools/sample-simroot/SimRootBuild.h"

namespace fs = std::filesystem;

namespace sampletest {
namespace {

// Removes the sample root when the test program ends.
struct SampleRoot {
  fs::path root;
  bool loaded = false;
  std::string error;
  ~SampleRoot() {
    std::error_code ignored;
    if (!root.empty()) fs::remove_all(root, ignored);
  }
};

SampleRoot& Sample() {
  static SampleRoot sample;
  return sample;
}

}  // namespace

bool LoadSwissSample(std::string& error) {
  SampleRoot& s = Sample();
  if (s.root.empty()) {
    s.root = fs::temp_directory_path() / ("cw-swiss-sample-" + std::to_string(::getpid()));
    fs::remove_all(s.root);
    if (!sampleroot::WriteSampleSimRoot(s.root, s.error)) {
      error = s.error;
      return false;
    }
    const int result = sampleroot::BuildSimRoot(s.root);
    if (result != IDS_BUILD_READY) {
      s.error = "the sample database was not built";
    } else {
      DatabaseLease lease;
      const fs::path folder = sampleroot::DatabaseFolder(s.root);
      s.loaded =
          lease.Database().LoadDatabaseFiles((folder / "Scenery.000").string(), (folder / "Scenery.001").string());
      if (!s.loaded) s.error = "the sample database did not load: " + lease.Database().GetLastError();
    }
  }
  error = s.error;
  return s.loaded;
}

fs::path SwissSampleRoot() { return Sample().root; }

namespace {

std::string_view IdentOf(const CSceneryDatabase& db, const NavPoint& p) {
  switch (p.Kind()) {
    case kKindNdb: return db.GetNdb(p) ? db.GetNdb(p)->Ident() : std::string_view();
    case kKindVor: return db.GetVor(p) ? db.GetVor(p)->Ident() : std::string_view();
    case kKindIls: return db.GetIls(p) ? db.GetIls(p)->Ident() : std::string_view();
    case kKindAirport: return db.GetAirport(p) ? db.GetAirport(p)->Ident() : std::string_view();
    case kKindIntersection: return db.GetIntersection(p) ? db.GetIntersection(p)->Ident() : std::string_view();
    default: return {};
  }
}

template <typename Match>
PlanPoint FindPoint(uint16_t kind, Match match) {
  DatabaseLease lease;
  const CSceneryDatabase& db = lease.Database();
  const CNavPointArray* array = kind == kKindNdb             ? &db.m_ndbs
                                : kind == kKindVor           ? &db.m_vors
                                : kind == kKindIls           ? &db.m_ils
                                : kind == kKindAirport       ? &db.m_airports
                                : kind == kKindRunway        ? &db.m_runways
                                : kind == kKindIntersection ? &db.m_intersections
                                                             : nullptr;
  PlanPoint p;
  CRoute route;
  for (int i = 0; array && i < array->GetSize(); ++i) {
    const NavPoint& point = (*array)[i];
    if (point.IsShown() && match(point) && route.Resolve(p.ref, point)) return p;
  }
  ADD_FAILURE() << "no object of kind " << kind << " in the sample";
  return p;
}

}  // namespace

PlanPoint SamplePoint(const char* ident, uint16_t kind) {
  return FindPoint(kind, [&](const NavPoint& p) { return IdentOf(DatabaseLease::HeldDatabase(), p) == ident; });
}

PlanPoint SampleRunway(const char* airport, const char* designator) {
  const PlanPoint field = SamplePoint(airport, kKindAirport);
  return FindPoint(kKindRunway, [&](const NavPoint& p) {
    const RunwayRecord* r = DatabaseLease::HeldDatabase().GetRunway(p);
    return r && r->Designator() == designator &&
           GreatCircleDistance(p.latitude, p.longitude, field.ref.point.latitude, field.ref.point.longitude) < 5000;
  });
}

}  // namespace sampletest
