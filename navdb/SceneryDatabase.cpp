#include "navdb/SceneryDatabase.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

CSceneryDatabase::CSceneryDatabase(int growBytes)
    : m_areas(*this),
      m_files(*this),
      m_ndbs(*this, kArrayNdb),
      m_ils(*this, kArrayIls),
      m_vors(*this, kArrayVor),
      m_airports(*this, kArrayAirport),
      m_markers(*this, kArrayMarker),
      m_runways(*this, kArrayRunway),
      m_coms(*this, kArrayCom),
      m_airspaces(*this, kArrayAirspace),
      m_intersections(*this, kArrayIntersection),
      m_airways(*this, kArrayAirway),
      m_labelPoints(*this),
      m_objects(*this),
      m_airspaceShapes(*this),
      m_pointArrays{&m_ndbs, &m_ils, &m_vors, &m_airports, &m_markers,
                    &m_runways, &m_coms, &m_airspaces, &m_intersections, &m_airways},
      m_growBytes(growBytes > 0 ? growBytes : 1024) {}

CSceneryDatabase::~CSceneryDatabase() = default;

void CSceneryDatabase::ClearDatabase() {
  m_areas.SetSize(0);
  m_excludeBoxes.SetSize(0);
  m_files.SetSize(0);
  m_magVarGrids.SetSize(0);
  m_tiles.SetSize(0);
  for (CNavPointArray* a : m_pointArrays) a->SetSize(0);
  m_tileKeys.SetSize(0);
  m_labelPoints.SetSize(0);
  m_objectGroups.SetSize(0);
  m_objects.SetSize(0);
  m_footprintVertices.SetSize(0);
  m_airspaceShapes.SetSize(0);
  m_airspaceVertices.SetSize(0);
  m_pool.reset();
  m_poolLength = 0;
  m_poolCapacity = 0;
  m_openFileCells.Reset();
  m_openAreaCells.Reset();
}

void CSceneryDatabase::SwapContents(CSceneryDatabase& other) noexcept {
  std::swap(m_name1, other.m_name1);
  std::swap(m_name2, other.m_name2);
  m_areas.SwapElements(other.m_areas);
  m_excludeBoxes.SwapElements(other.m_excludeBoxes);
  m_files.SwapElements(other.m_files);
  m_magVarGrids.SwapElements(other.m_magVarGrids);
  m_tiles.SwapElements(other.m_tiles);
  for (int i = 0; i < kPointArrayCount; ++i) m_pointArrays[i]->SwapElements(*other.m_pointArrays[i]);
  m_tileKeys.SwapElements(other.m_tileKeys);
  m_labelPoints.SwapElements(other.m_labelPoints);
  m_objectGroups.SwapElements(other.m_objectGroups);
  m_objects.SwapElements(other.m_objects);
  m_footprintVertices.SwapElements(other.m_footprintVertices);
  m_airspaceShapes.SwapElements(other.m_airspaceShapes);
  m_airspaceVertices.SwapElements(other.m_airspaceVertices);
  std::swap(m_pool, other.m_pool);
  std::swap(m_poolLength, other.m_poolLength);
  std::swap(m_poolCapacity, other.m_poolCapacity);
  std::swap(m_growBytes, other.m_growBytes);
  std::swap(m_lastError, other.m_lastError);
  m_openFileCells.Reset();
  m_openAreaCells.Reset();
  other.m_openFileCells.Reset();
  other.m_openAreaCells.Reset();
}

// ---- Pool ------------------------------------------------------------------------------------

void CSceneryDatabase::ReservePool(uint64_t length) {
  if (length + 1 <= m_poolCapacity) return;
  // The step grows with the pool so that filling a large pool copies it a few times only.
  const uint64_t step = std::max<uint64_t>(m_growBytes, m_poolCapacity / 2);
  const uint64_t capacity = std::max<uint64_t>(length + 1, m_poolCapacity + step);
  std::unique_ptr<uint8_t[]> block(new uint8_t[capacity]);
  if (m_poolLength > 0) std::memcpy(block.get(), m_pool.get(), m_poolLength);
  block[m_poolLength] = 0;
  m_pool = std::move(block);
  m_poolCapacity = capacity;
}

int32_t CSceneryDatabase::AppendPool(const void* data, size_t size) {
  if (size > static_cast<uint64_t>(kMaxPoolLength) - m_poolLength) return -1;
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::vector<uint8_t> copy;
  if (m_pool && bytes >= m_pool.get() && bytes < m_pool.get() + m_poolCapacity) {
    // The source lies in this pool, which may move while it grows.
    copy.assign(bytes, bytes + size);
    bytes = copy.data();
  }
  ReservePool(m_poolLength + size);
  const auto offset = static_cast<int32_t>(m_poolLength);
  if (size > 0) std::memcpy(m_pool.get() + m_poolLength, bytes, size);
  m_poolLength += size;
  m_pool[m_poolLength] = 0;
  return offset;
}

int32_t CSceneryDatabase::AddString(const char* text) {
  if (text == nullptr || *text == '\0') return -1;
  return AppendPool(text, std::strlen(text) + 1);
}

int32_t CSceneryDatabase::AddString(std::string_view text) {
  if (text.empty()) return -1;
  std::string copy(text);  // the view need not be NUL-terminated
  return AppendPool(copy.c_str(), copy.size() + 1);
}

const char* CSceneryDatabase::GetString(int32_t offset) const {
  if (offset < 0 || static_cast<uint64_t>(offset) >= m_poolLength) return "";
  return reinterpret_cast<const char*>(m_pool.get() + offset);
}

// ---- Payloads ----------------------------------------------------------------------------------

int32_t CSceneryDatabase::WritePayload(NavPoint& p, const void* data, size_t size) {
  const int32_t offset = AppendPool(data, size);
  if (offset >= 0) p.SetPayloadOffset(offset);
  return offset;
}

int32_t CSceneryDatabase::AddIntersection(NavPoint& p, const IntersectionRecord* r, int base) {
  const int32_t offset = WritePayload(p, r, r->PayloadSize());
  if (offset < 0 || base == 0) return offset;
  auto* copy = reinterpret_cast<IntersectionRecord*>(m_pool.get() + offset);
  auto* segments = reinterpret_cast<AirwaySegment*>(m_pool.get() + offset + sizeof(IntersectionRecord));
  for (int i = 0; i < copy->segmentCount; ++i) {
    for (SegmentHalf& h : segments[i].half) {
      if (h.neighbour >= 0) h.neighbour += base;
    }
  }
  return offset;
}

int32_t CSceneryDatabase::AddPayload(NavPoint& p, const void* payload) {
  if (ArrayOfKind(p.kind) == kArrayNone) return -1;
  return WritePayload(p, payload, PayloadSizeOf(p.kind, payload));
}

ParkingEntry* CSceneryDatabase::GetAirportParkings(const NavPoint& p) {
  AirportRecord* a = GetAirport(p);
  if (!a) return nullptr;
  return reinterpret_cast<ParkingEntry*>(reinterpret_cast<uint8_t*>(a) + sizeof(AirportRecord) +
                                         sizeof(FrequencyEntry) * a->FrequencyCount());
}

const ParkingEntry* CSceneryDatabase::GetAirportParkings(const NavPoint& p) const {
  return const_cast<CSceneryDatabase*>(this)->GetAirportParkings(p);
}

uint32_t CSceneryDatabase::ReadAirwayItem(const NavPoint& p, int i) const {
  uint32_t item = 0;
  if (const uint8_t* items = GetAirwayItems(p)) std::memcpy(&item, items + 4 * i, sizeof item);
  return item;
}

VertexExtra* CSceneryDatabase::GetVertexExtra(const AirspaceVertex& v) {
  if (!PoolHolds(v.extraOffset, sizeof(VertexExtra))) return nullptr;
  return reinterpret_cast<VertexExtra*>(m_pool.get() + v.extraOffset);
}

const VertexExtra* CSceneryDatabase::GetVertexExtra(const AirspaceVertex& v) const {
  return const_cast<CSceneryDatabase*>(this)->GetVertexExtra(v);
}

int32_t CSceneryDatabase::AddVertexExtra(AirspaceVertex& v, const VertexExtra& extra) {
  const int32_t offset = AppendPool(&extra, sizeof extra);
  if (offset >= 0) v.extraOffset = offset;
  return offset;
}

// ---- Building ----------------------------------------------------------------------------------

int CSceneryDatabase::AddArea(const char* path, const char* exclude) {
  AreaRecord r;
  r.pathText = AddString(path);
  r.excludeText = AddString(exclude);
  return m_areas.AddArea(r);
}

namespace {

// +180 belongs to the same meridian as -180, whose tile holds it under the containment test.
double FileLongitude(double longitude) { return longitude >= 180 ? longitude - 360 : longitude; }

double To360(double lon) { return lon < 0 ? lon + 360 : lon; }
double From360(double lon) { return lon > 180 ? lon - 360 : lon; }

}  // namespace

bool CSceneryDatabase::AddPoint(double latitude, double longitude, NavPoint& point,
                                const void* payload) {
  const int tile = PlacePoint(latitude, longitude, point, payload);
  if (tile < 0) return false;
  point.word = m_pointArrays[ArrayOfKind(point.kind)]->InsertAtTile(tile, point).word;
  return true;
}

void CSceneryDatabase::AddPoints(std::vector<PendingPoint>& points) {
  // Payloads, tiles and boxes in the given order, as one AddPoint after the other would leave
  // them; then the points tile by tile, each tile's in the given order.
  std::vector<std::pair<int, size_t>> byTile;
  byTile.reserve(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    PendingPoint& p = points[i];
    const int tile = PlacePoint(p.latitude, p.longitude, p.point, p.payload);
    p.added = tile >= 0;
    if (p.added) byTile.emplace_back(tile, i);
  }
  std::stable_sort(byTile.begin(), byTile.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [tile, i] : byTile) {
    NavPoint& point = points[i].point;
    point.word = m_pointArrays[ArrayOfKind(point.kind)]->InsertAtTile(tile, point).word;
  }
}

int CSceneryDatabase::PlacePoint(double latitude, double longitude, NavPoint& point,
                                 const void* payload) {
  const int fileCount = m_files.GetSize();
  const PointArray slot = ArrayOfKind(point.kind);
  if (fileCount == 0 || slot == kArrayNone) return -1;
  const size_t payloadSize = payload ? PayloadSizeOf(point.kind, payload) : 0;
  if (payloadSize > static_cast<uint64_t>(kMaxPoolLength) - m_poolLength) return -1;

  longitude = FileLongitude(longitude);
  BglFileRecord& file = m_files[fileCount - 1];
  const int first = fileCount > 1 ? m_files[fileCount - 2].tileEnd : 0;
  int tile = m_openFileCells.Find(m_tiles, first, file.tileEnd, latitude, longitude);
  if (tile < 0) tile = m_tiles.AddTile(TileRecord(latitude, longitude), &file.tileEnd);
  if (payload) WritePayload(point, payload, payloadSize);

  if (slot != kArrayIntersection && slot != kArrayAirway && slot != kArrayAirspace) {
    // Packed fields are copied out: std::min must not bind references to them.
    const float lat = point.latitude, latMin = file.latMin, latMax = file.latMax;
    file.latMin = std::min(latMin, lat);
    file.latMax = std::max(latMax, lat);
    const double lon = To360(point.longitude);
    file.lonMin = static_cast<float>(From360(std::min(To360(file.lonMin), lon)));
    file.lonMax = static_cast<float>(From360(std::max(To360(file.lonMax), lon)));
  }
  return tile;
}

LabelPoint* CSceneryDatabase::AddLabelPoint(double latitude, double longitude,
                                            const LabelPoint& label) {
  const int areaCount = m_areas.GetSize();
  if (areaCount == 0) return nullptr;
  longitude = FileLongitude(longitude);
  AreaRecord& area = m_areas[areaCount - 1];
  const int first = areaCount > 1 ? m_areas[areaCount - 2].tileKeyEnd : 0;
  int key = m_openAreaCells.Find(m_tileKeys, first, area.tileKeyEnd, latitude, longitude);
  if (key < 0) key = m_tileKeys.AddTileKey(TileKey(latitude, longitude), &area.tileKeyEnd);
  return &m_labelPoints.InsertAtTileKey(key, label);
}

// ---- Chains ------------------------------------------------------------------------------------

namespace {

// `endOf` reads the end field by value: the records are packed, so no reference or member
// pointer may reach their fields.
template <class Array, class EndOf>
IndexRange ChildRange(const Array& parents, int i, EndOf endOf) {
  if (i < 0 || i >= parents.GetSize()) return {};
  return {i > 0 ? endOf(parents[i - 1]) : 0, endOf(parents[i])};
}

}  // namespace

IndexRange CSceneryDatabase::MagVarRange(int area) const {
  return ChildRange(m_areas, area, [](const AreaRecord& r) { return r.magVarEnd; });
}
IndexRange CSceneryDatabase::ExcludeBoxRange(int area) const {
  return ChildRange(m_areas, area, [](const AreaRecord& r) { return r.excludeBoxEnd; });
}
const CPointGrid& CSceneryDatabase::Grid() const {
  std::lock_guard<std::mutex> lock(m_gridMutex);
  if (!m_grid) m_grid = std::make_unique<CPointGrid>();
  if (!m_grid->IsCurrentFor(*this)) m_grid->Build(*this);
  return *m_grid;
}

IndexRange CSceneryDatabase::FileRange(int area) const {
  return ChildRange(m_areas, area, [](const AreaRecord& r) { return r.fileEnd; });
}
IndexRange CSceneryDatabase::TileKeyRange(int area) const {
  return ChildRange(m_areas, area, [](const AreaRecord& r) { return r.tileKeyEnd; });
}
IndexRange CSceneryDatabase::TileRange(int file) const {
  return ChildRange(m_files, file, [](const BglFileRecord& r) { return r.tileEnd; });
}
IndexRange CSceneryDatabase::ObjectGroupRange(int file) const {
  return ChildRange(m_files, file, [](const BglFileRecord& r) { return r.objectGroupEnd; });
}
IndexRange CSceneryDatabase::AirspaceShapeRange(int file) const {
  return ChildRange(m_files, file, [](const BglFileRecord& r) { return r.airspaceShapeEnd; });
}
IndexRange CSceneryDatabase::PointRange(int tile, PointArray array) const {
  if (tile < 0 || tile >= m_tiles.GetSize() || array < 0 || array >= kPointArrayCount) return {};
  return {tile > 0 ? m_tiles[tile - 1].end[array] : 0, m_tiles[tile].end[array]};
}
IndexRange CSceneryDatabase::LabelRange(int tileKey) const {
  return ChildRange(m_tileKeys, tileKey, [](const TileKey& r) { return r.end; });
}
IndexRange CSceneryDatabase::ObjectRange(int group) const {
  return ChildRange(m_objectGroups, group, [](const ObjectGroup& r) { return r.objectEnd; });
}
IndexRange CSceneryDatabase::FootprintRange(int object) const {
  return ChildRange(m_objects, object, [](const ObjectRecord& r) { return r.vertexEnd; });
}
IndexRange CSceneryDatabase::ShapeVertexRange(int shape) const {
  return ChildRange(m_airspaceShapes, shape, [](const AirspaceShape& r) { return r.vertexEnd; });
}

bool CSceneryDatabase::Fail(std::string reason) {
  m_lastError = std::move(reason);
  return false;
}
