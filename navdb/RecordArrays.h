#pragma once

// The typed record arrays of the database. Arrays whose operations reach other arrays or the
// pool keep a non-owning pointer to their database. Chain appends seed the new record's end
// indexes from the record before it (so it starts with no children) and raise the parent's end
// index passed as `count`.

#include "navdb/RecordArray.h"
#include "navdb/Records.h"

class CSceneryDatabase;

class CAreaRecordArray : public CRecordArray<AreaRecord> {
 public:
  explicit CAreaRecordArray(CSceneryDatabase& db) : m_db(&db) {}
  // Appends an area with its ends seeded from the previous area; returns its index.
  int AddArea(const AreaRecord& area);
  // Appends an area of another database, adding its two texts anew to this pool.
  int AddFromDatabase(const AreaRecord& area, const CSceneryDatabase& source);

 private:
  CSceneryDatabase* m_db;
};

class CExcludeBoxArray : public CRecordArray<ExcludeBox> {};

class CBglFileRecordArray : public CRecordArray<BglFileRecord> {
 public:
  explicit CBglFileRecordArray(CSceneryDatabase& db) : m_db(&db) {}
  using CRecordArray::Add;
  int Add(const BglFileRecord& file, int* count);
  int AddFromDatabase(const BglFileRecord& file, const CSceneryDatabase& source, int* count);

 private:
  CSceneryDatabase* m_db;
};

class CMagVarGridArray : public CRecordArray<MagVarGrid> {};

class CTileRecordArray : public CRecordArray<TileRecord> {
 public:
  int AddTile(const TileRecord& tile, int* count);
};

class CNavPointArray : public CRecordArray<NavPoint> {
 public:
  CNavPointArray(CSceneryDatabase& db, PointArray slot) : m_db(&db), m_slot(slot) {}
  PointArray Slot() const { return m_slot; }

  // Inserts the point at the tile's end for this array, moving the tail up, and raises this
  // array's end index in that tile and every later one. The flag bits are stored as given.
  NavPoint& InsertAtTile(int tileIndex, const NavPoint& point);
  // Appends with shown := kept and raises *count when given.
  using CRecordArray::Add;
  int Add(const NavPoint& point, int* count);
  // Appends the point bytewise.
  int Append(const NavPoint& point) { return CRecordArray::Add(point); }

 private:
  CSceneryDatabase* m_db;
  PointArray m_slot;
};

class CTileKeyArray : public CRecordArray<TileKey> {
 public:
  int AddTileKey(const TileKey& key, int* count);
};

class CLabelPointArray : public CRecordArray<LabelPoint> {
 public:
  explicit CLabelPointArray(CSceneryDatabase& db) : m_db(&db) {}
  LabelPoint& InsertAtTileKey(int keyIndex, const LabelPoint& label);

 private:
  CSceneryDatabase* m_db;
};

class CObjectGroupArray : public CRecordArray<ObjectGroup> {
 public:
  using CRecordArray::Add;
  int Add(const ObjectGroup& group, int* count);
};

class CObjectRecordArray : public CRecordArray<ObjectRecord> {
 public:
  explicit CObjectRecordArray(CSceneryDatabase& db) : m_db(&db) {}
  // Appends with shown := kept, seeds the vertex end and raises *count (the group's end).
  using CRecordArray::Add;
  int Add(const ObjectRecord& object, int* count);
  // Box of the object's footprint; it always contains the reference point.
  void GetBounds(double& latMin, double& latMax, double& lonMin, double& lonMax, int index) const;

 private:
  CSceneryDatabase* m_db;
};

class CFootprintVertexArray : public CRecordArray<FootprintVertex> {};

class CAirspaceShapeArray : public CRecordArray<AirspaceShape> {
 public:
  explicit CAirspaceShapeArray(CSceneryDatabase& db) : m_db(&db) {}
  using CRecordArray::Add;
  int Add(const AirspaceShape& shape, int* count);
  // Box of the outline, circles and arcs included; lonMin > lonMax when it crosses 180 degrees.
  void GetBounds(double& latMin, double& latMax, double& lonMin, double& lonMax, int index) const;
  // Where the shape's name is drawn: the vertex mean averaged with the box centre.
  void GetLabelPosition(double& latitude, double& longitude, int index) const;

 private:
  CSceneryDatabase* m_db;
};

class CAirspaceVertexArray : public CRecordArray<AirspaceVertex> {};
