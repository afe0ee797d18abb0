#pragma once

// Gives every record array of a database its growth step (elements) before anything is added,
// in the arrays' member order: areas, exclude boxes, file records, variation grids, tiles, the
// ten point arrays (NDB, ILS, VOR, airport, marker, runway end, COM, airspace, intersection,
// airway), tile keys, label points, object groups, objects, footprint vertices, airspace
// shapes, airspace vertices.

#include <array>

#include "navdb/SceneryDatabase.h"

inline void SetArrayGrowth(CSceneryDatabase& db, const std::array<int, 22>& step) {
  db.m_areas.SetSize(0, step[0]);
  db.m_excludeBoxes.SetSize(0, step[1]);
  db.m_files.SetSize(0, step[2]);
  db.m_magVarGrids.SetSize(0, step[3]);
  db.m_tiles.SetSize(0, step[4]);
  for (int i = 0; i < kPointArrayCount; ++i) db.Points(static_cast<PointArray>(i)).SetSize(0, step[5 + i]);
  db.m_tileKeys.SetSize(0, step[15]);
  db.m_labelPoints.SetSize(0, step[16]);
  db.m_objectGroups.SetSize(0, step[17]);
  db.m_objects.SetSize(0, step[18]);
  db.m_footprintVertices.SetSize(0, step[19]);
  db.m_airspaceShapes.SetSize(0, step[20]);
  db.m_airspaceVertices.SetSize(0, step[21]);
}
