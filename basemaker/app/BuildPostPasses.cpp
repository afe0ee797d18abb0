// The passes over the whole database once every area is in: exclusion rectangles of higher
// areas, points a later area repeats, ILS to runway ends, official airport idents and names,
// and navaids merged with the intersections of the same name. They change flags, links,
// intersection and back-course positions and airport idents and names; nothing is removed.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "basemaker/app/BuildWorker.h"
#include "basemaker/app/TextCase.h"
#include "basemaker/compiler/AirportList.h"
#include "basemaker/compiler/DuplicateRules.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"
#include "platform/win/Sync.h"

namespace {

constexpr double kMetresPerFoot = 1.0 / kFeetPerMetre;

using duplicates::AngleDifference;
using duplicates::Near;

double Distance(const NavPoint& a, const NavPoint& b) {
  return GreatCircleDistance(a.latitude, a.longitude, b.latitude, b.longitude);
}

// Ranges clipped to the arrays, so a chain that a loaded file got wrong cannot reach past them.
IndexRange Clip(IndexRange r, int size) {
  r.first = std::max(r.first, 0);
  r.end = std::min(r.end, size);
  return r;
}

IndexRange Files(const CSceneryDatabase& db, int area) {
  return Clip(db.FileRange(area), db.m_files.GetSize());
}
IndexRange Tiles(const CSceneryDatabase& db, int file) {
  return Clip(db.TileRange(file), db.m_tiles.GetSize());
}
IndexRange Points(const CSceneryDatabase& db, int tile, PointArray array) {
  return Clip(db.PointRange(tile, array), db.Points(array).GetSize());
}

bool TileOverlapsBox(const TileRecord& tile, const ExcludeBox& box) {
  const TileBounds cell = tile.Bounds();
  return BoxesOverlap(cell.latMin, cell.latMax, cell.lonMin, cell.lonMax, box.latMin, box.latMax,
                      box.lonMin, box.lonMax);
}

bool NavPointInBox(const NavPoint& p, const ExcludeBox& box) {
  return PointInBox(box.latMin, box.latMax, box.lonMin, box.lonMax, p.latitude, p.longitude);
}

void ObjectCentre(const CSceneryDatabase& db, int object, double& lat, double& lon) {
  double latMin, latMax, lonMin, lonMax;
  db.m_objects.GetBounds(latMin, latMax, lonMin, lonMax, object);
  lat = (latMin + latMax) / 2;
  lon = (lonMin + lonMax) / 2;
}

void HideObject(ObjectRecord& o) { o.flags &= static_cast<uint8_t>(~kObjectShown); }

// Calls f(object index) for every object of the file.
template <class F>
void ForObjects(const CSceneryDatabase& db, int file, F f) {
  const IndexRange groups = Clip(db.ObjectGroupRange(file), db.m_objectGroups.GetSize());
  for (int g = groups.first; g < groups.end; ++g) {
    const IndexRange objects = Clip(db.ObjectRange(g), db.m_objects.GetSize());
    for (int o = objects.first; o < objects.end; ++o) f(o);
  }
}

bool Polled(win::AutoResetEvent& abortEvent) { return abortEvent.Wait(0); }

}  // namespace

// ---- Exclusion rectangles ---------------------------------------------------------------------

bool CBuildWorker::CheckExcludeAreas(CSceneryDatabase& db, win::AutoResetEvent& abortEvent,
                                     int simVer) {
  const int areas = db.m_areas.GetSize();
  for (int a = 0; a + 1 < areas; ++a) {
    const IndexRange boxes = Clip(db.ExcludeBoxRange(a), db.m_excludeBoxes.GetSize());
    for (int x = boxes.first; x < boxes.end; ++x) {
      const ExcludeBox box = db.m_excludeBoxes[x];
      for (int b = a + 1; b < areas; ++b) {
        const IndexRange files = Files(db, b);
        for (int f = files.first; f < files.end; ++f) {
          const IndexRange tiles = Tiles(db, f);
          for (int t = tiles.first; t < tiles.end; ++t) {
            if (!TileOverlapsBox(db.m_tiles[t], box)) continue;
            auto hideInside = [&](PointArray array, auto extra) {
              const IndexRange r = Points(db, t, array);
              for (int i = r.first; i < r.end; ++i) {
                NavPoint& p = db.Points(array)[i];
                if (p.IsShown() && NavPointInBox(p, box) && extra(p)) p.SetShown(false);
              }
            };
            auto always = [](const NavPoint&) { return true; };
            if ((box.flags & kExcludeNdbs) && simVer < 90) hideInside(kArrayNdb, always);
            if ((box.flags & kExcludeVors) && simVer < 90) {
              hideInside(kArrayVor, always);
              const IndexRange r = Points(db, t, kArrayIls);
              for (int i = r.first; i + 1 < r.end; i += 2) {
                NavPoint& p = db.m_ils[i];
                if (p.IsShown() && NavPointInBox(p, box)) p.SetShown(false);
              }
            }
            if ((box.flags & kExcludeComs) && simVer < 70) {
              hideInside(kArrayCom, [&](const NavPoint& p) {
                const ComRecord* c = db.GetCom(p);
                return c != nullptr && (c->type & 0x8000) == 0 && c->Type() != kComPilotLighting;
              });
            }
            if ((box.flags & kExcludeObjects) && !(box.flags & kExcludeAreaWithoutRunways)) {
              hideInside(kArrayCom, [&](const NavPoint& p) {
                const ComRecord* c = db.GetCom(p);
                return c != nullptr && c->Type() == kComPilotLighting;
              });
              const IndexRange r = Points(db, t, kArrayRunway);
              for (int i = r.first; i + 1 < r.end; i += 2) {
                NavPoint& p1 = db.m_runways[i];
                NavPoint& p2 = db.m_runways[i + 1];
                if ((p1.IsShown() && NavPointInBox(p1, box)) || (p2.IsShown() && NavPointInBox(p2, box))) {
                  p1.SetShown(false);
                  p2.SetShown(false);
                }
              }
            }
          }
          const BglFileRecord& file = db.m_files[f];
          if ((box.flags & kExcludeObjects) &&
              BoxesOverlap(file.latMin, file.latMax, file.lonMin, file.lonMax, box.latMin,
                           box.latMax, box.lonMin, box.lonMax)) {
            ForObjects(db, f, [&](int o) {
              ObjectRecord& object = db.m_objects[o];
              if (!duplicates::IsAirportGroundObject(object)) return;
              double lat, lon;
              ObjectCentre(db, o, lat, lon);
              if (PointInBox(box.latMin, box.latMax, box.lonMin, box.lonMax, lat, lon)) HideObject(object);
            });
          }
        }
      }
      if (Polled(abortEvent)) return false;
    }
  }
  return true;
}

// ---- Points a later area repeats ----------------------------------------------------------------

namespace {

template <class Payload>
void CrossCheckBeacons(CSceneryDatabase& db, PointArray array, int t, int u,
                       Payload* (CSceneryDatabase::*get)(const NavPoint&)) {
  const IndexRange rp = Points(db, t, array), rq = Points(db, u, array);
  CNavPointArray& points = db.Points(array);
  for (int i = rp.first; i < rp.end; ++i) {
    const NavPoint& p = points[i];
    const Payload* a = (db.*get)(p);
    if (!p.IsShown() || a == nullptr) continue;
    for (int k = rq.first; k < rq.end; ++k) {
      NavPoint& q = points[k];
      const Payload* b = (db.*get)(q);
      if (q.IsShown() && b != nullptr && duplicates::SameBeacon(p, *a, q, *b)) q.SetShown(false);
    }
  }
}

void CrossCheckIls(CSceneryDatabase& db, int t, int u) {
  const IndexRange rp = Points(db, t, kArrayIls), rq = Points(db, u, kArrayIls);
  for (int i = rp.first; i + 1 < rp.end; i += 2) {
    const NavPoint& p = db.m_ils[i];
    const IlsRecord* a = db.GetIls(p);
    if (!p.IsShown() || a == nullptr) continue;
    for (int k = rq.first; k + 1 < rq.end; k += 2) {
      NavPoint& q = db.m_ils[k];
      const IlsRecord* b = db.GetIls(q);
      if (q.IsShown() && b != nullptr && duplicates::SameIls(p, *a, q, *b)) q.SetShown(false);
    }
  }
}

void CrossCheckComs(CSceneryDatabase& db, int t, int u) {
  const IndexRange rp = Points(db, t, kArrayCom), rq = Points(db, u, kArrayCom);
  for (int i = rp.first; i < rp.end; ++i) {
    const NavPoint& p = db.m_coms[i];
    const ComRecord* a = db.GetCom(p);
    if (!p.IsShown() || a == nullptr) continue;
    for (int k = rq.first; k < rq.end; ++k) {
      NavPoint& q = db.m_coms[k];
      const ComRecord* b = db.GetCom(q);
      if (q.IsShown() && b != nullptr && duplicates::SameCom(p, *a, q, *b)) q.SetShown(false);
    }
  }
}

void CrossCheckRunways(CSceneryDatabase& db, int t, int u) {
  const IndexRange rp = Points(db, t, kArrayRunway), rq = Points(db, u, kArrayRunway);
  for (int i = rp.first; i + 1 < rp.end; i += 2) {
    const NavPoint& p1 = db.m_runways[i];
    const NavPoint& p2 = db.m_runways[i + 1];
    const RunwayRecord* a1 = db.GetRunway(p1);
    const RunwayRecord* a2 = db.GetRunway(p2);
    if (!p1.IsShown() || !p2.IsShown() || !a1 || !a2) continue;
    for (int k = rq.first; k + 1 < rq.end; k += 2) {
      NavPoint& q1 = db.m_runways[k];
      NavPoint& q2 = db.m_runways[k + 1];
      const RunwayRecord* b1 = db.GetRunway(q1);
      const RunwayRecord* b2 = db.GetRunway(q2);
      if (!q1.IsShown() || !q2.IsShown() || !b1 || !b2) continue;
      if (duplicates::SameRunway({p1, p2, *a1, *a2}, {q1, q2, *b1, *b2})) {
        q1.SetShown(false);
        q2.SetShown(false);
      }
    }
  }
}

void CrossCheckAirports(CSceneryDatabase& db, int t, int u) {
  const IndexRange rp = Points(db, t, kArrayAirport), rq = Points(db, u, kArrayAirport);
  for (int i = rp.first; i < rp.end; ++i) {
    NavPoint& p = db.m_airports[i];
    const AirportRecord* a = db.GetAirport(p);
    if (a == nullptr) continue;
    // Hiding p ends its comparisons.
    for (int k = rq.first; k < rq.end && p.IsShown(); ++k) {
      NavPoint& q = db.m_airports[k];
      const AirportRecord* b = db.GetAirport(q);
      if (!q.IsShown() || b == nullptr) continue;
      switch (duplicates::RepeatedAirport(db, p, *a, q, *b)) {
        case duplicates::Loser::kFirst: p.SetShown(false); break;
        case duplicates::Loser::kSecond: q.SetShown(false); break;
        case duplicates::Loser::kNone: break;
      }
    }
  }
}

void CrossCheckTiles(CSceneryDatabase& db, int t, int u) {
  CrossCheckBeacons(db, kArrayNdb, t, u, &CSceneryDatabase::GetNdb);
  CrossCheckBeacons(db, kArrayVor, t, u, &CSceneryDatabase::GetVor);
  CrossCheckIls(db, t, u);
  CrossCheckComs(db, t, u);
  CrossCheckRunways(db, t, u);
  CrossCheckAirports(db, t, u);
}

}  // namespace

bool CBuildWorker::CrossCheckWaypoints(CSceneryDatabase& db, win::AutoResetEvent& abortEvent) {
  const int areas = db.m_areas.GetSize();
  // Later tiles by cell, so each tile meets only the later tiles of its own cell.
  struct LaterTile {
    int cell;
    int area;
    int tile;
  };
  std::vector<LaterTile> byCell;
  for (int b = 1; b < areas; ++b) {
    const IndexRange files = Files(db, b);
    for (int g = files.first; g < files.end; ++g) {
      const IndexRange tiles = Tiles(db, g);
      for (int u = tiles.first; u < tiles.end; ++u) {
        byCell.push_back({db.m_tiles[u].row * 256 + db.m_tiles[u].column, b, u});
      }
    }
  }
  // Area order first, then tile order: the order in which the areas and files were walked.
  std::stable_sort(byCell.begin(), byCell.end(),
                   [](const LaterTile& x, const LaterTile& y) { return x.cell < y.cell; });

  for (int a = 0; a + 1 < areas; ++a) {
    const IndexRange files = Files(db, a);
    for (int f = files.first; f < files.end; ++f) {
      const IndexRange tiles = Tiles(db, f);
      for (int t = tiles.first; t < tiles.end; ++t) {
        const int cell = db.m_tiles[t].row * 256 + db.m_tiles[t].column;
        auto it = std::lower_bound(byCell.begin(), byCell.end(), cell,
                                   [](const LaterTile& x, int c) { return x.cell < c; });
        for (; it != byCell.end() && it->cell == cell; ++it) {
          if (it->area > a) CrossCheckTiles(db, t, it->tile);
        }
      }
      if (Polled(abortEvent)) return false;
    }
  }
  return true;
}

// ---- ILS to runway ends ---------------------------------------------------------------------------

bool CBuildWorker::BindIlsToRunway(CSceneryDatabase& db, win::AutoResetEvent& abortEvent) {
  const int areas = db.m_areas.GetSize();
  // Files of every area but the last, the ones whose runway ends may take an ILS.
  std::vector<int> candidateFiles;
  for (int a = 0; a + 1 < areas; ++a) {
    const IndexRange files = Files(db, a);
    for (int g = files.first; g < files.end; ++g) candidateFiles.push_back(g);
  }
  std::vector<int> meeting;
  for (int a = 0; a + 1 < areas; ++a) {
    const IndexRange files = Files(db, a);
    for (int f = files.first; f < files.end; ++f) {
      // Found for the files that hold an ILS only: comparing every file with every other one
      // would cost more than the whole pass on an installation of tens of thousands of files.
      bool meetingFound = false;
      const IndexRange tiles = Tiles(db, f);
      for (int t = tiles.first; t < tiles.end; ++t) {
        const IndexRange ils = Points(db, t, kArrayIls);
        for (int l = ils.first; l + 1 < ils.end; l += 2) {
          NavPoint& lp = db.m_ils[l];
          const IlsRecord* lr = db.GetIls(lp);
          if (!lp.IsShown() || lr == nullptr) continue;
          if (!meetingFound) {
            meeting.clear();
            for (int g : candidateFiles) {
              if (g == f || db.m_files[g].Overlaps(db.m_files[f])) meeting.push_back(g);
            }
            meetingFound = true;
          }
          const double course = BinaryAngleToDegrees(lr->course);
          double best = 150;
          int choice = -1;
          for (int g : meeting) {
            const IndexRange gt = Tiles(db, g);
            for (int u = gt.first; u < gt.end; ++u) {
              const IndexRange rw = Points(db, u, kArrayRunway);
              for (int r = rw.first; r < rw.end; ++r) {
                const NavPoint& rp = db.m_runways[r];
                const RunwayRecord* rr = db.GetRunway(rp);
                if (!rp.IsShown() || rr == nullptr || rr->IlsIndex() >= 0) continue;
                if (std::fabs(rp.latitude - lp.latitude) > 1 || std::fabs(rp.longitude - lp.longitude) > 1) continue;
                if (AngleDifference(course, BinaryAngleToDegrees(rr->heading)) > 10) continue;
                const double e = Distance(rp, lp);
                if (e > 5000) continue;
                const double c = InitialCourse(rp.latitude, rp.longitude, lp.latitude, lp.longitude);
                const double lateral = std::sin(AngleDifference(course, c) * kDegToRad) * e;
                const int r0 = r & ~1;
                if (r0 + 1 >= db.m_runways.GetSize()) continue;
                const NavPoint& e0 = db.m_runways[r0];
                const NavPoint& e1 = db.m_runways[r0 + 1];
                const double centre = GreatCircleDistance((e0.latitude + e1.latitude) / 2.0,
                                                          (e0.longitude + e1.longitude) / 2.0,
                                                          lp.latitude, lp.longitude);
                if (0.5 * rr->length * kMetresPerFoot + 600 > centre && lateral < best) {
                  best = lateral;
                  choice = r;
                }
              }
            }
          }
          if (choice >= 0) {
            lp.SetShown(false);
            db.GetRunway(db.m_runways[choice])->SetIlsIndex(l);
          }
        }
      }
      if (Polled(abortEvent)) return false;
    }
  }

  // The back course of a bound ILS serves the opposite end when it points along that end.
  for (int a = 0; a + 1 < areas; ++a) {
    const IndexRange files = Files(db, a);
    for (int f = files.first; f < files.end; ++f) {
      const IndexRange tiles = Tiles(db, f);
      for (int t = tiles.first; t < tiles.end; ++t) {
        const IndexRange rw = Points(db, t, kArrayRunway);
        for (int r = rw.first; r + 1 < rw.end; r += 2) {
          NavPoint* ends[2] = {&db.m_runways[r], &db.m_runways[r + 1]};
          if (!ends[0]->IsShown() || !ends[1]->IsShown()) continue;
          RunwayRecord* recs[2] = {db.GetRunway(*ends[0]), db.GetRunway(*ends[1])};
          if (!recs[0] || !recs[1]) continue;
          for (int side = 0; side < 2; ++side) {
            RunwayRecord* bound = recs[side];
            RunwayRecord* other = recs[1 - side];
            if (bound->IlsIndex() < 0 || other->IlsIndex() >= 0) continue;
            const int k = bound->IlsIndex() + 1;
            if (k >= db.m_ils.GetSize()) continue;
            NavPoint& kp = db.m_ils[k];
            const IlsRecord* kr = db.GetIls(kp);
            if (kr == nullptr) continue;
            if (AngleDifference(BinaryAngleToDegrees(kr->course), BinaryAngleToDegrees(other->heading)) < 2) {
              other->SetIlsIndex(k);
              kp.latitude = ends[1 - side]->latitude;
              kp.longitude = ends[1 - side]->longitude;
            }
          }
        }
      }
      if (Polled(abortEvent)) return false;
    }
  }
  return true;
}

// ---- Airport idents and names ---------------------------------------------------------------------

void MatchAirport(CAirportList& list, int airportIndex, double lat, double lon) {
  double best = 7000;
  AirportListEntry* winner = nullptr;
  for (AirportListEntry& entry : list) {
    if (!Near(entry.lat, entry.lon, lat, lon)) continue;
    const double d = GreatCircleDistance(entry.lat, entry.lon, lat, lon);
    if (d < entry.distance && d < best) {
      best = d;
      winner = &entry;
    }
  }
  if (winner != nullptr) {
    winner->point = airportIndex;
    winner->distance = best;
  }
}

bool CBuildWorker::SetAirportData(CSceneryDatabase& db, win::AutoResetEvent& abortEvent,
                                  const std::string& icaoPath) {
  CAirportList list;
  list.Read(icaoPath);  // a missing file is an empty list
  const int areas = db.m_areas.GetSize();
  for (int a = 0; a < areas; ++a) {
    const IndexRange files = Files(db, a);
    for (int f = files.first; f < files.end; ++f) {
      ForObjects(db, f, [&](int o) {
        ObjectRecord& object = db.m_objects[o];
        if (!duplicates::IsAirportGroundObject(object)) return;
        double lat, lon;
        ObjectCentre(db, o, lat, lon);
        for (int h = files.first; h < files.end; ++h) {
          if (h != f && !db.m_files[h].Overlaps(db.m_files[f])) continue;
          const IndexRange tiles = Tiles(db, h);
          for (int t = tiles.first; t < tiles.end; ++t) {
            const IndexRange rw = Points(db, t, kArrayRunway);
            for (int r = rw.first; r < rw.end; ++r) {
              const NavPoint& rp = db.m_runways[r];
              if (!rp.IsShown() || std::fabs(rp.latitude - object.latitude) >= 1 ||
                  std::fabs(rp.longitude - object.longitude) >= 1) {
                continue;
              }
              if (GreatCircleDistance(rp.latitude, rp.longitude, lat, lon) <= duplicates::kGroundObjectReach) return;
            }
          }
        }
        HideObject(object);
      });
      const IndexRange tiles = Tiles(db, f);
      for (int t = tiles.first; t < tiles.end; ++t) {
        const IndexRange ap = Points(db, t, kArrayAirport);
        for (int i = ap.first; i < ap.end; ++i) {
          const NavPoint& p = db.m_airports[i];
          const AirportRecord* r = db.GetAirport(p);
          if (p.IsShown() && r != nullptr && !r->HasFacilityData()) {
            MatchAirport(list, i, p.latitude, p.longitude);
          }
        }
      }
      if (Polled(abortEvent)) return false;
    }
  }
  for (int e = list.GetSize() - 1; e >= 0; --e) {
    const AirportListEntry& entry = list[e];
    if (entry.point < 0 || entry.point >= db.m_airports.GetSize()) continue;
    AirportRecord* airport = db.GetAirport(db.m_airports[entry.point]);
    if (airport == nullptr) continue;
    SetFixedText(airport->ident, sizeof airport->ident, FixedText(entry.ident, sizeof entry.ident));
    if (entry.name[0] != '\0') {
      const int32_t name = db.AddString(FixedText(entry.name, sizeof entry.name));
      // The pool may have moved.
      airport = db.GetAirport(db.m_airports[entry.point]);
      if (airport != nullptr && name >= 0) airport->nameText = name;
    }
  }
  return true;
}

// ---- Navaids to intersections ---------------------------------------------------------------------

namespace {

struct IdentKey {
  char ident[6];
  int32_t index;
};

int CompareIdents(std::string_view a, std::string_view b) { return CompareNoCase(a, b); }

// Sorted by ident ignoring case, equal idents by index, so every build binds the same way.
void SortKeys(std::vector<IdentKey>& keys) {
  std::sort(keys.begin(), keys.end(), [](const IdentKey& x, const IdentKey& y) {
    const int c = CompareIdents(FixedText(x.ident, 6), FixedText(y.ident, 6));
    return c != 0 ? c < 0 : x.index < y.index;
  });
}

// The run of keys whose ident equals `ident` ignoring case.
std::pair<const IdentKey*, const IdentKey*> KeysNamed(const std::vector<IdentKey>& keys,
                                                      std::string_view ident) {
  auto first = std::lower_bound(keys.begin(), keys.end(), ident, [](const IdentKey& k, std::string_view id) {
    return CompareIdents(FixedText(k.ident, 6), id) < 0;
  });
  auto last = first;
  while (last != keys.end() && CompareIdents(FixedText(last->ident, 6), ident) == 0) ++last;
  return {keys.data() + (first - keys.begin()), keys.data() + (last - keys.begin())};
}

struct NavaidBinder {
  CSceneryDatabase& db;

  // Binds the first shown intersection of `keys` named `ident` within 27780 m of the navaid.
  bool Bind(PointArray navArray, int v, const std::vector<IdentKey>& keys, std::string_view ident,
            int navKind, bool copyKindBits) {
    NavPoint& nav = db.Points(navArray)[v];
    auto [first, last] = KeysNamed(keys, ident);
    for (const IdentKey* k = first; k != last; ++k) {
      NavPoint& isec = db.m_intersections[k->index];
      if (!isec.IsShown() || !Near(nav.latitude, nav.longitude, isec.latitude, isec.longitude)) continue;
      if (Distance(nav, isec) >= 27780) continue;
      IntersectionRecord* ir = db.GetIntersection(isec);
      if (ir == nullptr) continue;
      isec.SetShown(false);
      isec.latitude = nav.latitude;
      isec.longitude = nav.longitude;
      ir->navaid = v;
      ir->type = static_cast<uint8_t>((ir->type & 0xF0) | (navKind & 0x0F));
      if (navArray == kArrayVor) {
        if (VorRecord* r = db.GetVor(nav)) r->intersection = k->index;
      } else if (NdbRecord* r = db.GetNdb(nav)) {
        r->intersection = k->index;
      }
      if (copyKindBits) nav.kind = static_cast<uint16_t>(nav.kind | (isec.kind & kKindLevelMask));
      return true;
    }
    return false;
  }
};

}  // namespace

bool CBuildWorker::BindNavaidsToIntersections(CSceneryDatabase& db, win::AutoResetEvent& abortEvent) {
  for (NavPoint& p : db.m_vors) {
    p.kind = static_cast<uint16_t>(p.kind & ~kKindLevelMask);
    if (VorRecord* r = db.GetVor(p)) r->intersection = -1;
  }
  for (NavPoint& p : db.m_ndbs) {
    p.kind = static_cast<uint16_t>(p.kind & ~kKindLevelMask);
    if (NdbRecord* r = db.GetNdb(p)) r->intersection = -1;
  }

  std::vector<IdentKey> airway, plain;
  airway.reserve(static_cast<size_t>(db.m_intersections.GetSize()));
  plain.reserve(static_cast<size_t>(db.m_intersections.GetSize()));
  for (int i = 0; i < db.m_intersections.GetSize(); ++i) {
    IntersectionRecord* r = db.GetIntersection(db.m_intersections[i]);
    if (r == nullptr) continue;
    r->type = static_cast<uint8_t>((r->type & 0xF0) | (r->type >> 4));
    r->navaid = -1;
    IdentKey key;
    std::memcpy(key.ident, r->ident, sizeof key.ident);
    key.ident[5] = '\0';
    key.index = i;
    (r->segmentCount >= 1 ? airway : plain).push_back(key);
  }
  SortKeys(airway);
  SortKeys(plain);

  // A plain intersection on top of an airway waypoint of the same name is the same fix.
  for (const IdentKey& w : airway) {
    const NavPoint& wp = db.m_intersections[w.index];
    auto [first, last] = KeysNamed(plain, FixedText(w.ident, 6));
    for (const IdentKey* k = first; k != last; ++k) {
      NavPoint& q = db.m_intersections[k->index];
      if (q.IsShown() && Near(wp.latitude, wp.longitude, q.latitude, q.longitude) && Distance(wp, q) < 1852) {
        q.SetShown(false);
      }
    }
  }

  NavaidBinder binder{db};
  auto vorIdent = [&](int v) { const VorRecord* r = db.GetVor(db.m_vors[v]); return r ? r->Ident() : std::string_view(); };
  auto ndbIdent = [&](int v) { const NdbRecord* r = db.GetNdb(db.m_ndbs[v]); return r ? r->Ident() : std::string_view(); };
  auto vorColocated = [&](int v) { const VorRecord* r = db.GetVor(db.m_vors[v]); return r ? r->intersection : 0; };
  auto ndbColocated = [&](int v) { const NdbRecord* r = db.GetNdb(db.m_ndbs[v]); return r ? r->intersection : 0; };
  auto dmeOnly = [&](int v) { const VorRecord* r = db.GetVor(db.m_vors[v]); return r && (r->flags & 9) == 9; };
  auto ndbWithSuffix = [&](int v, const std::vector<IdentKey>& keys, bool bitsFirst, bool bitsSuffix) {
    const std::string_view ident = ndbIdent(v);
    if (binder.Bind(kArrayNdb, v, keys, ident, 4, bitsFirst)) return;
    if (ident.size() == 2 || ident.size() == 3) {
      binder.Bind(kArrayNdb, v, keys, std::string(ident) + "NB", 4, bitsSuffix);
    }
  };

  for (int v = 0; v < db.m_vors.GetSize(); ++v) {
    if (!db.m_vors[v].IsShown() || db.GetVor(db.m_vors[v]) == nullptr || dmeOnly(v)) continue;
    binder.Bind(kArrayVor, v, airway, vorIdent(v), 3, true);
    if (Polled(abortEvent)) return false;
  }
  for (int v = 0; v < db.m_ndbs.GetSize(); ++v) {
    if (!db.m_ndbs[v].IsShown() || db.GetNdb(db.m_ndbs[v]) == nullptr) continue;
    ndbWithSuffix(v, airway, true, true);
    if (Polled(abortEvent)) return false;
  }
  for (int v = 0; v < db.m_vors.GetSize(); ++v) {
    if (!db.m_vors[v].IsShown() || db.GetVor(db.m_vors[v]) == nullptr || vorColocated(v) != -1 || !dmeOnly(v)) continue;
    binder.Bind(kArrayVor, v, airway, vorIdent(v), 3, true);
    if (Polled(abortEvent)) return false;
  }
  for (int v = 0; v < db.m_vors.GetSize(); ++v) {
    if (!db.m_vors[v].IsShown() || db.GetVor(db.m_vors[v]) == nullptr || vorColocated(v) != -1) continue;
    binder.Bind(kArrayVor, v, plain, vorIdent(v), 3, false);
    if (Polled(abortEvent)) return false;
  }
  for (int v = 0; v < db.m_ndbs.GetSize(); ++v) {
    if (!db.m_ndbs[v].IsShown() || db.GetNdb(db.m_ndbs[v]) == nullptr || ndbColocated(v) != -1) continue;
    ndbWithSuffix(v, plain, false, true);
    if (Polled(abortEvent)) return false;
  }
  return true;
}
