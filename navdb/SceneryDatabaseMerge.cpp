// Appending one area of another database: only what survived duplicate removal, with texts
// moved into this pool and intersection indexes re-based onto this database.

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "navdb/SceneryDatabase.h"

namespace {

// A child range of the source clamped to its array, so a source that is not consistent
// cannot make the merge read outside it.
IndexRange Clamp(IndexRange r, int size) {
  r.first = std::clamp(r.first, 0, size);
  r.end = std::clamp(r.end, r.first, size);
  return r;
}

uint32_t Rebase(uint32_t word, int delta) {
  return (word & ~kLabelIndexMask) | ((word + static_cast<uint32_t>(delta)) & kLabelIndexMask);
}

// Copies and adjusts the points of one tile of one array; a member of the merge so that it can
// reach both databases.
class CAreaMerge {
 public:
  CAreaMerge(CSceneryDatabase& dst, const CSceneryDatabase& src, int delta)
      : m_dst(dst), m_src(src), m_delta(delta) {
    m_textMap.reserve(20000);
  }

  void CopyPoints(int srcTile, int dstTile, PointArray k) {
    const CNavPointArray& from = m_src.Points(k);
    const IndexRange r = Clamp(m_src.PointRange(srcTile, k), from.GetSize());
    for (int i = r.first; i < r.end; ++i) {
      const NavPoint& p = from[i];
      if (k == kArrayIls && i + 1 < r.end) {
        // ILS come as a localizer and its back course; the first decides for both.
        if (p.IsKept()) {
          CopyPoint(from[i], dstTile, k);
          CopyPoint(from[i + 1], dstTile, k);
        }
        ++i;
        continue;
      }
      if (k == kArrayIntersection || p.IsKept()) CopyPoint(p, dstTile, k);
    }
  }

 private:
  int32_t MovedText(int32_t offset) { return m_dst.AddString(m_src.GetString(offset)); }

  int32_t SharedText(int32_t offset) {
    if (offset < 0) return -1;
    auto it = m_textMap.find(static_cast<uint32_t>(offset));
    if (it != m_textMap.end()) return it->second;
    const int32_t moved = MovedText(offset);
    m_textMap.emplace(static_cast<uint32_t>(offset), moved);
    return moved;
  }

  void CopyPoint(const NavPoint& srcPoint, int dstTile, PointArray k) {
    CNavPointArray& to = m_dst.Points(k);
    NavPoint p = srcPoint;
    p.SetPayloadOffset(-1);
    const int index = to.Add(p, nullptr);
    ++m_dst.m_tiles[dstTile].end[k];
    if (!srcPoint.HasPayload()) return;
    const int64_t offset = srcPoint.PayloadOffset();
    const size_t header = PayloadHeaderSize(srcPoint.kind);
    if (!m_src.PoolHolds(offset, header)) return;
    const uint8_t* payload = m_src.GetPoolData() + offset;
    const size_t size = PayloadSizeOf(srcPoint.kind, payload);
    if (!m_src.PoolHolds(offset, size)) return;
    m_buffer.assign(payload, payload + size);
    uint8_t* b = m_buffer.data();
    NavPoint& stored = to[index];
    switch (k) {
      case kArrayNdb: {
        auto* r = reinterpret_cast<NdbRecord*>(b);
        r->nameText = MovedText(r->nameText);
        break;
      }
      case kArrayVor: {
        auto* r = reinterpret_cast<VorRecord*>(b);
        r->nameText = MovedText(r->nameText);
        break;
      }
      case kArrayAirport: {
        auto* r = reinterpret_cast<AirportRecord*>(b);
        r->regionText = SharedText(r->regionText);
        r->countryText = SharedText(r->countryText);
        r->stateText = SharedText(r->stateText);
        r->cityText = SharedText(r->cityText);
        r->nameText = MovedText(r->nameText);
        break;
      }
      case kArrayRunway: {
        // Runway ends are bound to ILS again once all areas are in.
        reinterpret_cast<RunwayRecord*>(b)->ilsWord |= kRunwayIlsMask;
        break;
      }
      case kArrayAirspace: {
        auto* r = reinterpret_cast<AirspaceRecord*>(b);
        r->nameText = MovedText(r->nameText);
        r->callSignText = MovedText(r->callSignText);
        break;
      }
      case kArrayIntersection:
        m_dst.AddIntersection(stored, reinterpret_cast<const IntersectionRecord*>(b), m_delta);
        return;
      case kArrayAirway: {
        // Items index intersections of their own area, like the label points.
        const uint16_t count = reinterpret_cast<AirwayRecord*>(b)->count;
        for (int i = 0; i < count; ++i) {
          uint32_t item;
          std::memcpy(&item, b + sizeof(AirwayRecord) + 4 * i, sizeof item);
          item = Rebase(item, m_delta);
          std::memcpy(b + sizeof(AirwayRecord) + 4 * i, &item, sizeof item);
        }
        break;
      }
      default:
        break;
    }
    m_dst.AddPayload(stored, b);
  }

  CSceneryDatabase& m_dst;
  const CSceneryDatabase& m_src;
  int m_delta;
  std::unordered_map<uint32_t, int32_t> m_textMap;
  std::vector<uint8_t> m_buffer;
};

}  // namespace

void CSceneryDatabase::MergeArea(const CSceneryDatabase& source, int areaIndex) {
  if (&source == this || areaIndex < 0 || areaIndex >= source.m_areas.GetSize()) return;
  const IndexRange files = Clamp(source.FileRange(areaIndex), source.m_files.GetSize());

  // Intersections of earlier source areas do not come along: indexes move by the difference.
  const int firstTile = files.first > 0 ? source.m_files[files.first - 1].tileEnd : 0;
  const int before = firstTile > 0 && firstTile <= source.m_tiles.GetSize()
                         ? source.m_tiles[firstTile - 1].end[kArrayIntersection]
                         : 0;
  const int delta = m_intersections.GetSize() - before;

  const int area = m_areas.AddFromDatabase(source.m_areas[areaIndex], source);

  const IndexRange grids = Clamp(source.MagVarRange(areaIndex), source.m_magVarGrids.GetSize());
  for (int i = grids.first; i < grids.end; ++i) {
    m_magVarGrids.SetAtGrow(m_magVarGrids.GetSize(), source.m_magVarGrids[i]);
    ++m_areas[area].magVarEnd;
  }
  const IndexRange boxes = Clamp(source.ExcludeBoxRange(areaIndex), source.m_excludeBoxes.GetSize());
  for (int i = boxes.first; i < boxes.end; ++i) {
    m_excludeBoxes.Add(source.m_excludeBoxes[i]);
    ++m_areas[area].excludeBoxEnd;
  }

  const IndexRange keys = Clamp(source.TileKeyRange(areaIndex), source.m_tileKeys.GetSize());
  for (int k = keys.first; k < keys.end; ++k) {
    const int key = m_tileKeys.AddTileKey(source.m_tileKeys[k], &m_areas[area].tileKeyEnd);
    const IndexRange labels = Clamp(source.LabelRange(k), source.m_labelPoints.GetSize());
    for (int i = labels.first; i < labels.end; ++i) {
      LabelPoint l = source.m_labelPoints[i];
      l.word = Rebase(l.word, delta);
      m_labelPoints.Add(l);
      ++m_tileKeys[key].end;
    }
  }

  CAreaMerge merge(*this, source, delta);
  for (int f = files.first; f < files.end; ++f) {
    const int file = m_files.AddFromDatabase(source.m_files[f], source, &m_areas[area].fileEnd);

    const IndexRange tiles = Clamp(source.TileRange(f), source.m_tiles.GetSize());
    for (int t = tiles.first; t < tiles.end; ++t) {
      const int tile = m_tiles.AddTile(source.m_tiles[t], &m_files[file].tileEnd);
      for (int k = 0; k < kPointArrayCount; ++k) merge.CopyPoints(t, tile, static_cast<PointArray>(k));
    }

    const IndexRange groups = Clamp(source.ObjectGroupRange(f), source.m_objectGroups.GetSize());
    for (int g = groups.first; g < groups.end; ++g) {
      const int group = m_objectGroups.Add(source.m_objectGroups[g], &m_files[file].objectGroupEnd);
      const IndexRange objects = Clamp(source.ObjectRange(g), source.m_objects.GetSize());
      for (int o = objects.first; o < objects.end; ++o) {
        if (!source.m_objects[o].IsKept()) continue;
        const int object = m_objects.Add(source.m_objects[o], &m_objectGroups[group].objectEnd);
        const IndexRange vertices = Clamp(source.FootprintRange(o), source.m_footprintVertices.GetSize());
        for (int v = vertices.first; v < vertices.end; ++v) {
          m_footprintVertices.Add(source.m_footprintVertices[v]);
          ++m_objects[object].vertexEnd;
        }
      }
    }

    const IndexRange shapes = Clamp(source.AirspaceShapeRange(f), source.m_airspaceShapes.GetSize());
    for (int s = shapes.first; s < shapes.end; ++s) {
      const int shape = m_airspaceShapes.Add(source.m_airspaceShapes[s], &m_files[file].airspaceShapeEnd);
      const IndexRange vertices = Clamp(source.ShapeVertexRange(s), source.m_airspaceVertices.GetSize());
      for (int v = vertices.first; v < vertices.end; ++v) {
        AirspaceVertex vertex = source.m_airspaceVertices[v];
        vertex.extraOffset = -1;
        if (const VertexExtra* extra = source.GetVertexExtra(source.m_airspaceVertices[v])) {
          AddVertexExtra(vertex, *extra);
        }
        m_airspaceVertices.Add(vertex);
        ++m_airspaceShapes[shape].vertexEnd;
      }
    }
  }
}
