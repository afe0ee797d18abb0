// Thinning out what the files of one area describe twice, before the area is merged into the
// build's database: repeated navaids, frequencies and runways, ground objects of no airport,
// airports without facility data, and airports described by several files. Whether two points
// are one is decided by the duplicate rules; these passes walk the pairs worth asking about.

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "basemaker/compiler/AreaScanner.h"
#include "basemaker/compiler/DuplicateRules.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

// An airport without facility data is moved onto the runway whose end lies nearest within this.
constexpr double kRunwayOfAirportReach = 1000;

void Drop(NavPoint& p) { p.word &= ~(kPointShown | kPointKept); }

bool FilesMeet(const CSceneryDatabase& db, int j, int k) {
  return j == k || db.m_files[j].Overlaps(db.m_files[k]);
}

template <class Payload>
void DropBeaconPairs(CSceneryDatabase& db, CNavPointArray& points, IndexRange ru, IndexRange rv,
                     bool sameTile, Payload* (CSceneryDatabase::*get)(const NavPoint&)) {
  for (int u = ru.first; u < ru.end; ++u) {
    const NavPoint& pu = points[u];
    const Payload* a = (db.*get)(pu);
    if (!pu.IsShown() || a == nullptr) continue;
    for (int v = sameTile ? u + 1 : rv.first; v < rv.end; ++v) {
      NavPoint& pv = points[v];
      const Payload* b = (db.*get)(pv);
      if (pv.IsShown() && b != nullptr && duplicates::SameBeacon(pu, *a, pv, *b)) Drop(pv);
    }
  }
}

void DropIlsPairs(CSceneryDatabase& db, IndexRange ru, IndexRange rv, bool sameTile) {
  CNavPointArray& ils = db.m_ils;
  for (int u = ru.first; u + 1 < ru.end; u += 2) {
    const NavPoint& pu = ils[u];
    const IlsRecord* a = db.GetIls(pu);
    if (!pu.IsShown() || a == nullptr) continue;
    for (int v = sameTile ? u + 2 : rv.first; v + 1 < rv.end; v += 2) {
      NavPoint& pv = ils[v];
      const IlsRecord* b = db.GetIls(pv);
      if (pv.IsShown() && b != nullptr && duplicates::SameIls(pu, *a, pv, *b)) Drop(pv);
    }
  }
}

void DropComPairs(CSceneryDatabase& db, IndexRange ru, IndexRange rv, bool sameTile) {
  CNavPointArray& coms = db.m_coms;
  for (int u = ru.first; u < ru.end; ++u) {
    const NavPoint& pu = coms[u];
    const ComRecord* a = db.GetCom(pu);
    if (!pu.IsShown() || a == nullptr) continue;
    for (int v = sameTile ? u + 1 : rv.first; v < rv.end; ++v) {
      NavPoint& pv = coms[v];
      const ComRecord* b = db.GetCom(pv);
      if (pv.IsShown() && b != nullptr && duplicates::SameCom(pu, *a, pv, *b)) Drop(pv);
    }
  }
}

void DropRunwayPairs(CSceneryDatabase& db, IndexRange ru, IndexRange rv, bool sameTile) {
  CNavPointArray& rw = db.m_runways;
  for (int u = ru.first; u + 1 < ru.end; u += 2) {
    NavPoint& pu = rw[u];
    NavPoint& pw = rw[u + 1];
    const RunwayRecord* ru0 = db.GetRunway(pu);
    const RunwayRecord* rw0 = db.GetRunway(pw);
    if (!ru0 || !rw0) continue;
    for (int v = sameTile ? u + 2 : rv.first; v + 1 < rv.end; v += 2) {
      if (!pu.IsShown() || !pw.IsShown()) break;
      NavPoint& pe = rw[v];
      NavPoint& pf = rw[v + 1];
      if (!pe.IsShown() || !pf.IsShown()) continue;
      const RunwayRecord* re = db.GetRunway(pe);
      const RunwayRecord* rf = db.GetRunway(pf);
      if (!re || !rf) continue;
      const duplicates::Loser loser =
          duplicates::OverlappingRunways({pu, pw, *ru0, *rw0}, {pe, pf, *re, *rf});
      if (loser == duplicates::Loser::kFirst) {
        Drop(pu);
        Drop(pw);
        break;
      }
      if (loser == duplicates::Loser::kSecond) {
        Drop(pe);
        Drop(pf);
      }
    }
  }
}

// The box around one tile's points of one array. Tiles whose boxes lie a degree or more apart
// hold no pair of points that are Near, so their pairs need not be looked at: an area with a
// few thousand runways otherwise compares every runway with every other one.
struct PointBox {
  double latMin = std::numeric_limits<double>::infinity();
  double latMax = -std::numeric_limits<double>::infinity();
  double lonMin = std::numeric_limits<double>::infinity();
  double lonMax = -std::numeric_limits<double>::infinity();
  bool Empty() const { return !(latMin <= latMax); }
};

PointBox BoxOf(const CNavPointArray& points, IndexRange r) {
  PointBox box;
  for (int i = std::max(r.first, 0); i < r.end && i < points.GetSize(); ++i) {
    const double lat = points[i].latitude, lon = points[i].longitude;
    box.latMin = std::min(box.latMin, lat);
    box.latMax = std::max(box.latMax, lat);
    box.lonMin = std::min(box.lonMin, lon);
    box.lonMax = std::max(box.lonMax, lon);
  }
  return box;
}

// False only when no point of one box is Near a point of the other. A runway's midpoint lies
// within its ends' box, so this holds for the runway comparison too.
bool BoxesMayMeet(const PointBox& a, const PointBox& b) {
  using duplicates::kNearDegrees;
  return !a.Empty() && !b.Empty() && a.latMin - b.latMax < kNearDegrees && b.latMin - a.latMax < kNearDegrees &&
         a.lonMin - b.lonMax < kNearDegrees && b.lonMin - a.lonMax < kNearDegrees;
}

// Shown runway ends near (lat, lon) in the files that meet file j: calls f(index, distance)
// for each.
template <class F>
void ForRunwayEndsNear(CSceneryDatabase& db, IndexRange files, int j, double lat, double lon, F f) {
  for (int k = files.first; k < files.end; ++k) {
    if (!FilesMeet(db, j, k)) continue;
    const IndexRange tiles = db.TileRange(k);
    for (int t = tiles.first; t < tiles.end; ++t) {
      const IndexRange r = db.PointRange(t, kArrayRunway);
      for (int i = r.first; i < r.end; ++i) {
        const NavPoint& p = db.m_runways[i];
        if (!p.IsShown() || !duplicates::Near(p.latitude, p.longitude, lat, lon)) continue;
        f(i, GreatCircleDistance(p.latitude, p.longitude, lat, lon));
      }
    }
  }
}

}  // namespace

bool CAreaScanner::RemoveDuplicates(CSceneryDatabase& db, win::AutoResetEvent* abortEvent) {
  if (db.m_areas.GetSize() == 0) return true;
  const IndexRange fileRange = db.FileRange(0);
  const IndexRange files{std::max(fileRange.first, 0), std::min(fileRange.end, db.m_files.GetSize())};

  if (db.m_runways.GetSize() == 0) {
    const IndexRange boxes = db.ExcludeBoxRange(0);
    for (int b = std::max(boxes.first, 0); b < boxes.end && b < db.m_excludeBoxes.GetSize(); ++b) {
      db.m_excludeBoxes[b].flags |= kExcludeAreaWithoutRunways;
    }
  }
  return DropRepeatedNavaids(db, files, abortEvent) && DropStrayGroundObjects(db, files, abortEvent) &&
         PlaceAirportsOnRunways(db, files, abortEvent) && MergeRepeatedAirports(db, files, abortEvent);
}

bool CAreaScanner::DropRepeatedNavaids(CSceneryDatabase& db, const IndexRange& files,
                                       win::AutoResetEvent* abortEvent) {
  enum { kNdbBox, kVorBox, kIlsBox, kComBox, kRunwayBox, kBoxCount };
  std::vector<std::array<PointBox, kBoxCount>> boxes(static_cast<size_t>(std::max(db.m_tiles.GetSize(), 0)));
  for (int t = 0; t < db.m_tiles.GetSize(); ++t) {
    auto& b = boxes[static_cast<size_t>(t)];
    b[kNdbBox] = BoxOf(db.m_ndbs, db.PointRange(t, kArrayNdb));
    b[kVorBox] = BoxOf(db.m_vors, db.PointRange(t, kArrayVor));
    b[kIlsBox] = BoxOf(db.m_ils, db.PointRange(t, kArrayIls));
    b[kComBox] = BoxOf(db.m_coms, db.PointRange(t, kArrayCom));
    b[kRunwayBox] = BoxOf(db.m_runways, db.PointRange(t, kArrayRunway));
  }
  const auto meet = [&boxes](int l, int m, int which) {
    return l >= 0 && m >= 0 && static_cast<size_t>(std::max(l, m)) < boxes.size() &&
           BoxesMayMeet(boxes[static_cast<size_t>(l)][which], boxes[static_cast<size_t>(m)][which]);
  };
  for (int j = files.first; j < files.end; ++j) {
    for (int k = j; k < files.end; ++k) {
      if (!FilesMeet(db, j, k)) continue;
      const IndexRange tj = db.TileRange(j), tk = db.TileRange(k);
      for (int l = tj.first; l < tj.end; ++l) {
        for (int m = (k == j ? l : tk.first); m < tk.end; ++m) {
          const bool same = m == l;
          if (meet(l, m, kNdbBox)) {
            DropBeaconPairs(db, db.m_ndbs, db.PointRange(l, kArrayNdb), db.PointRange(m, kArrayNdb),
                            same, &CSceneryDatabase::GetNdb);
          }
          if (meet(l, m, kVorBox)) {
            DropBeaconPairs(db, db.m_vors, db.PointRange(l, kArrayVor), db.PointRange(m, kArrayVor),
                            same, &CSceneryDatabase::GetVor);
          }
          if (meet(l, m, kIlsBox)) DropIlsPairs(db, db.PointRange(l, kArrayIls), db.PointRange(m, kArrayIls), same);
          if (meet(l, m, kComBox)) DropComPairs(db, db.PointRange(l, kArrayCom), db.PointRange(m, kArrayCom), same);
          if (meet(l, m, kRunwayBox)) {
            DropRunwayPairs(db, db.PointRange(l, kArrayRunway), db.PointRange(m, kArrayRunway), same);
          }
        }
      }
    }
    if (AbortSignalled(abortEvent)) return false;
  }
  return true;
}

// Airport ground objects far from every runway belong to no airport of this area.
bool CAreaScanner::DropStrayGroundObjects(CSceneryDatabase& db, const IndexRange& files,
                                          win::AutoResetEvent* abortEvent) {
  for (int j = files.first; j < files.end; ++j) {
    const IndexRange groups = db.ObjectGroupRange(j);
    for (int g = groups.first; g < groups.end; ++g) {
      const IndexRange objects = db.ObjectRange(g);
      for (int o = objects.first; o < objects.end; ++o) {
        ObjectRecord& object = db.m_objects[o];
        if (!duplicates::IsAirportGroundObject(object)) continue;
        double latMin, latMax, lonMin, lonMax;
        db.m_objects.GetBounds(latMin, latMax, lonMin, lonMax, o);
        const double lat = (latMin + latMax) / 2, lon = (lonMin + lonMax) / 2;
        bool close = false;
        ForRunwayEndsNear(db, files, j, lat, lon,
                          [&](int, double d) { close |= d <= duplicates::kGroundObjectReach; });
        if (!close) object.flags &= static_cast<uint8_t>(~(kObjectKept | kObjectShown));
      }
    }
    if (AbortSignalled(abortEvent)) return false;
  }
  return true;
}

// Airports without facility data sit on the middle of their nearest runway.
bool CAreaScanner::PlaceAirportsOnRunways(CSceneryDatabase& db, const IndexRange& files,
                                          win::AutoResetEvent* abortEvent) {
  for (int j = files.first; j < files.end; ++j) {
    const IndexRange tiles = db.TileRange(j);
    for (int t = tiles.first; t < tiles.end; ++t) {
      const IndexRange r = db.PointRange(t, kArrayAirport);
      for (int a = r.first; a < r.end; ++a) {
        NavPoint& p = db.m_airports[a];
        const AirportRecord* rec = db.GetAirport(p);
        if (!p.IsShown() || rec == nullptr || rec->HasFacilityData()) continue;
        double best = kRunwayOfAirportReach;
        int choice = -1;
        ForRunwayEndsNear(db, files, j, p.latitude, p.longitude, [&](int i, double d) {
          if (d < best) {
            best = d;
            choice = i;
          }
        });
        if (choice < 0) continue;
        const int e0 = choice & ~1;
        const int e1 = choice | 1;
        if (e1 >= db.m_runways.GetSize()) continue;
        p.latitude = static_cast<float>((db.m_runways[e0].latitude + db.m_runways[e1].latitude) / 2.0);
        p.longitude = static_cast<float>((db.m_runways[e0].longitude + db.m_runways[e1].longitude) / 2.0);
      }
    }
    if (AbortSignalled(abortEvent)) return false;
  }
  return true;
}

// One airport described by several files (or twice by one) becomes one at the mean position.
bool CAreaScanner::MergeRepeatedAirports(CSceneryDatabase& db, const IndexRange& files,
                                         win::AutoResetEvent* abortEvent) {
  for (int j = files.first; j < files.end; ++j) {
    const IndexRange tj = db.TileRange(j);
    for (int l = tj.first; l < tj.end; ++l) {
      const IndexRange rl = db.PointRange(l, kArrayAirport);
      for (int a = rl.first; a < rl.end; ++a) {
        NavPoint& m = db.m_airports[a];
        const AirportRecord* mr = db.GetAirport(m);
        if (!m.IsShown() || mr == nullptr) continue;
        double sumLat = m.latitude, sumLon = m.longitude;
        int n = 1;
        NavPoint* survivor = &m;
        bool ended = false;
        for (int k = j; k < files.end && !ended; ++k) {
          if (!FilesMeet(db, j, k)) continue;
          const IndexRange tk = db.TileRange(k);
          for (int t = (k == j ? l : tk.first); t < tk.end && !ended; ++t) {
            const IndexRange rt = db.PointRange(t, kArrayAirport);
            for (int b = (t == l ? a + 1 : rt.first); b < rt.end; ++b) {
              NavPoint& f = db.m_airports[b];
              const AirportRecord* fr = db.GetAirport(f);
              if (!f.IsShown() || fr == nullptr || !duplicates::SameAirport(db, m, *mr, f, *fr)) continue;
              sumLat += f.latitude;
              sumLon += f.longitude;
              ++n;
              // A description with facility data takes the place of one without.
              if (!mr->HasFacilityData() && fr->HasFacilityData()) {
                Drop(m);
                survivor = &f;
                ended = true;
                break;
              }
              Drop(f);
            }
          }
        }
        survivor->latitude = static_cast<float>(sumLat / n);
        survivor->longitude = static_cast<float>(sumLon / n);
      }
    }
    if (AbortSignalled(abortEvent)) return false;
  }
  return true;
}
