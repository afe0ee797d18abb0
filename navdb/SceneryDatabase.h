#pragma once

// The navigation database shared by the database builder and the planner: a pool of texts and
// point payloads reached by byte offsets, and 22 record arrays linked by cumulative end indexes
// (the children of parent i run from end(i-1), 0 for the first parent, to end(i)).
//
// The object holds no lock; the planner guards its global instance. It is not copyable: its
// arrays point back to it.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "navdb/NavPoint.h"
#include "navdb/Payloads.h"
#include "navdb/PointGrid.h"
#include "navdb/RecordArrays.h"
#include "navdb/Records.h"
#include "navdb/Tiles.h"

// Pool offsets are stored in 30 bits and 0x3FFFFFFF means "none": the pool never grows to it.
inline constexpr int64_t kMaxPoolLength = 0x3FFFFFFF;

// Half-open index range of a parent's children.
struct IndexRange {
  int first = 0;
  int end = 0;
  int Count() const { return end - first; }
  bool Empty() const { return end <= first; }
};

class CSceneryDatabase {
 public:
  explicit CSceneryDatabase(int growBytes = 1 << 20);
  ~CSceneryDatabase();
  CSceneryDatabase(const CSceneryDatabase&) = delete;
  CSceneryDatabase& operator=(const CSceneryDatabase&) = delete;

  // Empties every array (freeing its block) and the pool; the names stay.
  void ClearDatabase();

  // Exchanges names, records and pool with another database. The arrays keep pointing at their
  // own database, so a database loaded on the side can replace the one in use without copying.
  void SwapContents(CSceneryDatabase& other) noexcept;

  // ---- Pool ----------------------------------------------------------------------------------
  // Appends the text and its NUL; -1 for null or empty text, or when the pool is full.
  int32_t AddString(const char* text);
  int32_t AddString(std::string_view text);
  // The text at offset, or "" for an offset outside the pool. A text never runs past the pool's
  // end: the pool keeps a NUL after its last byte.
  const char* GetString(int32_t offset) const;
  // Appends raw bytes; returns their offset, or -1 when the pool would pass kMaxPoolLength.
  int32_t AppendPool(const void* data, size_t size);
  int32_t GetPoolLength() const { return static_cast<int32_t>(m_poolLength); }
  const uint8_t* GetPoolData() const { return m_pool.get(); }
  uint8_t* GetPoolData() { return m_pool.get(); }
  // True when [offset, offset + size) lies inside the pool.
  bool PoolHolds(int64_t offset, int64_t size) const {
    return offset >= 0 && size >= 0 && offset + size <= static_cast<int64_t>(m_poolLength);
  }

  // ---- Building --------------------------------------------------------------------------------
  // Appends an area with the two texts (either may be null); returns its index.
  int AddArea(const char* path, const char* exclude);
  // Files the point under the tile of (latitude, longitude) within the last file record and
  // writes its payload (its size taken from the kind and the payload's counts). The point's
  // own coordinates stay as they are; the arguments choose the tile. Refused (false, nothing
  // changed) before any file record exists, for a kind that is not stored, or when the pool is
  // full. Longitude +180 is filed as -180.
  bool AddPoint(double latitude, double longitude, NavPoint& point, const void* payload);
  // A point waiting to be filed by AddPoints; `point` receives its stored word.
  struct PendingPoint {
    double latitude;
    double longitude;
    NavPoint point;
    const void* payload;
    bool added = false;
  };
  // Files the points as AddPoint would one after the other, with the same records, pool and
  // tiles, but moves each array's tail once per point of an earlier tile instead of once per
  // point: for the text files whose points are spread over the whole globe in no order.
  void AddPoints(std::vector<PendingPoint>& points);
  // Files an airway label under the tile key of the position within the last area; nullptr
  // when no area exists.
  LabelPoint* AddLabelPoint(double latitude, double longitude, const LabelPoint& label);
  // Appends area `areaIndex` of `source` (kept points only, intersections all) with its texts,
  // payloads and re-based intersection indexes. Call once per area, in area order, on a
  // database built only by merges.
  void MergeArea(const CSceneryDatabase& source, int areaIndex);

  // ---- Payloads --------------------------------------------------------------------------------
  // Getters return the payload in the pool, nullptr for a point without one.
  NdbRecord* GetNdb(const NavPoint& p) { return Payload<NdbRecord>(p); }
  const NdbRecord* GetNdb(const NavPoint& p) const { return Payload<NdbRecord>(p); }
  IlsRecord* GetIls(const NavPoint& p) { return Payload<IlsRecord>(p); }
  const IlsRecord* GetIls(const NavPoint& p) const { return Payload<IlsRecord>(p); }
  VorRecord* GetVor(const NavPoint& p) { return Payload<VorRecord>(p); }
  const VorRecord* GetVor(const NavPoint& p) const { return Payload<VorRecord>(p); }
  MarkerRecord* GetMarker(const NavPoint& p) { return Payload<MarkerRecord>(p); }
  const MarkerRecord* GetMarker(const NavPoint& p) const { return Payload<MarkerRecord>(p); }
  RunwayRecord* GetRunway(const NavPoint& p) { return Payload<RunwayRecord>(p); }
  const RunwayRecord* GetRunway(const NavPoint& p) const { return Payload<RunwayRecord>(p); }
  ComRecord* GetCom(const NavPoint& p) { return Payload<ComRecord>(p); }
  const ComRecord* GetCom(const NavPoint& p) const { return Payload<ComRecord>(p); }
  AirportRecord* GetAirport(const NavPoint& p) { return Payload<AirportRecord>(p); }
  const AirportRecord* GetAirport(const NavPoint& p) const { return Payload<AirportRecord>(p); }
  AirspaceRecord* GetAirspace(const NavPoint& p) { return Payload<AirspaceRecord>(p); }
  const AirspaceRecord* GetAirspace(const NavPoint& p) const { return Payload<AirspaceRecord>(p); }
  IntersectionRecord* GetIntersection(const NavPoint& p) { return Payload<IntersectionRecord>(p); }
  const IntersectionRecord* GetIntersection(const NavPoint& p) const {
    return Payload<IntersectionRecord>(p);
  }
  AirwayRecord* GetAirway(const NavPoint& p) { return Payload<AirwayRecord>(p); }
  const AirwayRecord* GetAirway(const NavPoint& p) const { return Payload<AirwayRecord>(p); }

  FrequencyEntry* GetAirportFrequencies(const NavPoint& p) {
    return PayloadList<FrequencyEntry>(p, sizeof(AirportRecord));
  }
  const FrequencyEntry* GetAirportFrequencies(const NavPoint& p) const {
    return PayloadList<FrequencyEntry>(p, sizeof(AirportRecord));
  }
  ParkingEntry* GetAirportParkings(const NavPoint& p);
  const ParkingEntry* GetAirportParkings(const NavPoint& p) const;
  FrequencyEntry* GetAirspaceFrequencies(const NavPoint& p) {
    return PayloadList<FrequencyEntry>(p, sizeof(AirspaceRecord));
  }
  const FrequencyEntry* GetAirspaceFrequencies(const NavPoint& p) const {
    return PayloadList<FrequencyEntry>(p, sizeof(AirspaceRecord));
  }
  AirwaySegment* GetIntersectionSegments(const NavPoint& p) {
    return PayloadList<AirwaySegment>(p, sizeof(IntersectionRecord));
  }
  const AirwaySegment* GetIntersectionSegments(const NavPoint& p) const {
    return PayloadList<AirwaySegment>(p, sizeof(IntersectionRecord));
  }
  // Items in the label-point word layout (bits 0-23 intersection, 24-31 slot). The pool is
  // not aligned: read them with memcpy or ReadAirwayItem.
  uint8_t* GetAirwayItems(const NavPoint& p) { return PayloadList<uint8_t>(p, sizeof(AirwayRecord)); }
  const uint8_t* GetAirwayItems(const NavPoint& p) const {
    return PayloadList<uint8_t>(p, sizeof(AirwayRecord));
  }
  uint32_t ReadAirwayItem(const NavPoint& p, int i) const;

  const VertexExtra* GetVertexExtra(const AirspaceVertex& v) const;
  VertexExtra* GetVertexExtra(const AirspaceVertex& v);

  // Writers append the payload (its size from its own counts for the variable kinds), store
  // the offset in the point's low 30 bits keeping its flags, and return the offset (-1 and the
  // point unchanged when the pool is full).
  int32_t AddNdb(NavPoint& p, const NdbRecord& r) { return WritePayload(p, &r, sizeof r); }
  int32_t AddIls(NavPoint& p, const IlsRecord& r) { return WritePayload(p, &r, sizeof r); }
  int32_t AddVor(NavPoint& p, const VorRecord& r) { return WritePayload(p, &r, sizeof r); }
  int32_t AddMarker(NavPoint& p, const MarkerRecord& r) { return WritePayload(p, &r, sizeof r); }
  int32_t AddRunway(NavPoint& p, const RunwayRecord& r) { return WritePayload(p, &r, sizeof r); }
  int32_t AddCom(NavPoint& p, const ComRecord& r) { return WritePayload(p, &r, sizeof r); }
  // `r` must be followed in memory by its frequency and parking lists.
  int32_t AddAirport(NavPoint& p, const AirportRecord* r) {
    return WritePayload(p, r, r->PayloadSize());
  }
  // `r` must be followed in memory by its frequencies.
  int32_t AddAirspace(NavPoint& p, const AirspaceRecord* r) {
    return WritePayload(p, r, r->PayloadSize());
  }
  // `r` must be followed by its segment entries; a non-zero `base` is added to every
  // non-negative neighbour index of the written copy.
  int32_t AddIntersection(NavPoint& p, const IntersectionRecord* r, int base = 0);
  // `r` must be followed by its items.
  int32_t AddAirway(NavPoint& p, const AirwayRecord* r) {
    return WritePayload(p, r, r->PayloadSize());
  }
  // Writes the payload of any stored kind; what AddPoint uses.
  int32_t AddPayload(NavPoint& p, const void* payload);
  int32_t AddVertexExtra(AirspaceVertex& v, const VertexExtra& extra);

  // ---- Chains ----------------------------------------------------------------------------------
  IndexRange MagVarRange(int area) const;
  IndexRange ExcludeBoxRange(int area) const;
  IndexRange FileRange(int area) const;
  IndexRange TileKeyRange(int area) const;
  IndexRange TileRange(int file) const;
  IndexRange ObjectGroupRange(int file) const;
  IndexRange AirspaceShapeRange(int file) const;
  IndexRange PointRange(int tile, PointArray array) const;
  IndexRange LabelRange(int tileKey) const;
  IndexRange ObjectRange(int group) const;
  IndexRange FootprintRange(int object) const;
  IndexRange ShapeVertexRange(int shape) const;

  CNavPointArray& Points(PointArray array) { return *m_pointArrays[array]; }
  const CNavPointArray& Points(PointArray array) const { return *m_pointArrays[array]; }
  // The points by cell, built on first use and again after points were added, dropped or
  // loaded. Positions changed in place are not noticed.
  const CPointGrid& Grid() const;

  // ---- Files -----------------------------------------------------------------------------------
  // Loads a record file (".000") and its string file (".001"). The files are checked before
  // anything in them is trusted; on any failure the database is left empty, false returned and
  // the reason kept for GetLastError.
  bool LoadDatabaseFiles(const std::string& recordPath, const std::string& stringPath);
  // Writes both files under temporary names beside the targets and renames them into place,
  // so a failure leaves the previous pair as it was.
  bool SaveDatabaseFiles(const std::string& recordPath, const std::string& stringPath);
  bool LoadRecords(const std::string& path);
  bool LoadStrings(const std::string& path);
  bool SaveRecords(const std::string& path);
  bool SaveStrings(const std::string& path);
  // Reads the two names from a record file's header alone.
  static bool ReadHeaderNames(const std::string& recordPath, std::string& name1,
                              std::string& name2);
  // Checks every chain, pool offset and payload against the arrays and the pool; on failure
  // returns false with the reason in GetLastError.
  bool Validate();
  const std::string& GetLastError() const { return m_lastError; }

  // ---- Members (in clearing order) --------------------------------------------------------------
  std::string m_name1;
  std::string m_name2;
  CAreaRecordArray m_areas;
  CExcludeBoxArray m_excludeBoxes;
  CBglFileRecordArray m_files;
  CMagVarGridArray m_magVarGrids;
  CTileRecordArray m_tiles;
  CNavPointArray m_ndbs;
  CNavPointArray m_ils;
  CNavPointArray m_vors;
  CNavPointArray m_airports;
  CNavPointArray m_markers;
  CNavPointArray m_runways;
  CNavPointArray m_coms;
  CNavPointArray m_airspaces;
  CNavPointArray m_intersections;
  CNavPointArray m_airways;
  CTileKeyArray m_tileKeys;
  CLabelPointArray m_labelPoints;
  CObjectGroupArray m_objectGroups;
  CObjectRecordArray m_objects;
  CFootprintVertexArray m_footprintVertices;
  CAirspaceShapeArray m_airspaceShapes;
  CAirspaceVertexArray m_airspaceVertices;

 private:
  template <class T>
  T* Payload(const NavPoint& p) const {
    const int32_t offset = p.PayloadOffset();
    if (offset < 0 || static_cast<uint64_t>(offset) >= m_poolLength) return nullptr;
    return reinterpret_cast<T*>(m_pool.get() + offset);
  }
  template <class T>
  T* PayloadList(const NavPoint& p, size_t headerSize) const {
    uint8_t* base = Payload<uint8_t>(p);
    return base ? reinterpret_cast<T*>(base + headerSize) : nullptr;
  }
  int32_t WritePayload(NavPoint& p, const void* data, size_t size);
  // The tile of AddPoint, with the point's payload written and the file's box widened; -1 when
  // the point is refused.
  int PlacePoint(double latitude, double longitude, NavPoint& point, const void* payload);
  // Makes room for `length` pool bytes plus the trailing NUL; throws std::bad_alloc.
  void ReservePool(uint64_t length);
  bool Fail(std::string reason);

  CNavPointArray* m_pointArrays[kPointArrayCount];
  std::unique_ptr<uint8_t[]> m_pool;
  uint64_t m_poolLength = 0;
  uint64_t m_poolCapacity = 0;
  int m_growBytes;
  std::string m_lastError;
  // Where AddPoint and AddLabelPoint look for the tile of a position.
  TileCellIndex m_openFileCells;
  TileCellIndex m_openAreaCells;
  mutable std::mutex m_gridMutex;
  mutable std::unique_ptr<CPointGrid> m_grid;

  friend class CDatabaseFileIo;
};
