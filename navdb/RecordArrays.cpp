#include "navdb/RecordArrays.h"

#include <algorithm>
#include <cmath>

#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

// Longitude moved by 180 degrees into -180..180, which turns a range across the 180-degree
// meridian into a plain one; applying it twice gives the input back.
double Shift180(double lon) { return lon + (lon > 0 ? -180.0 : 180.0); }

}  // namespace

int CAreaRecordArray::AddArea(const AreaRecord& area) {
  AreaRecord r = area;
  if (GetSize() > 0) {
    const AreaRecord& prev = (*this)[GetSize() - 1];
    r.magVarEnd = prev.magVarEnd;
    r.excludeBoxEnd = prev.excludeBoxEnd;
    r.fileEnd = prev.fileEnd;
    r.tileKeyEnd = prev.tileKeyEnd;
  } else {
    r.magVarEnd = r.excludeBoxEnd = r.fileEnd = r.tileKeyEnd = 0;
  }
  return Add(r);
}

int CAreaRecordArray::AddFromDatabase(const AreaRecord& area, const CSceneryDatabase& source) {
  AreaRecord r = area;
  r.pathText = area.pathText < 0 ? -1 : m_db->AddString(source.GetString(area.pathText));
  r.excludeText = area.excludeText < 0 ? -1 : m_db->AddString(source.GetString(area.excludeText));
  return AddArea(r);
}

int CBglFileRecordArray::Add(const BglFileRecord& file, int* count) {
  BglFileRecord r = file;
  if (GetSize() > 0) {
    const BglFileRecord& prev = (*this)[GetSize() - 1];
    r.tileEnd = prev.tileEnd;
    r.objectGroupEnd = prev.objectGroupEnd;
    r.airspaceShapeEnd = prev.airspaceShapeEnd;
  } else {
    r.tileEnd = r.objectGroupEnd = r.airspaceShapeEnd = 0;
  }
  const int i = CRecordArray::Add(r);
  if (count) ++*count;
  return i;
}

int CBglFileRecordArray::AddFromDatabase(const BglFileRecord& file, const CSceneryDatabase& source,
                                         int* count) {
  BglFileRecord r = file;
  r.subfolderText = file.subfolderText < 0 ? -1 : m_db->AddString(source.GetString(file.subfolderText));
  r.fileNameText = file.fileNameText < 0 ? -1 : m_db->AddString(source.GetString(file.fileNameText));
  return Add(r, count);
}

int CTileRecordArray::AddTile(const TileRecord& tile, int* count) {
  TileRecord r = tile;
  for (int k = 0; k < kPointArrayCount; ++k) {
    r.end[k] = GetSize() > 0 ? (*this)[GetSize() - 1].end[k] : 0;
  }
  const int i = Add(r);
  if (count) ++*count;
  return i;
}

NavPoint& CNavPointArray::InsertAtTile(int tileIndex, const NavPoint& point) {
  CTileRecordArray& tiles = m_db->m_tiles;
  const int pos = tiles[tileIndex].end[m_slot];
  InsertAt(pos, point);
  TileRecord* t = tiles.GetData();
  for (int i = tileIndex, n = tiles.GetSize(); i < n; ++i) ++t[i].end[m_slot];
  return (*this)[pos];
}

int CNavPointArray::Add(const NavPoint& point, int* count) {
  const int i = CRecordArray::Add(point);
  (*this)[i].SyncFlagBits();
  if (count) ++*count;
  return i;
}

int CTileKeyArray::AddTileKey(const TileKey& key, int* count) {
  TileKey r = key;
  r.end = GetSize() > 0 ? (*this)[GetSize() - 1].end : 0;
  const int i = Add(r);
  if (count) ++*count;
  return i;
}

LabelPoint& CLabelPointArray::InsertAtTileKey(int keyIndex, const LabelPoint& label) {
  CTileKeyArray& keys = m_db->m_tileKeys;
  const int pos = keys[keyIndex].end;
  InsertAt(pos, label);
  TileKey* k = keys.GetData();
  for (int i = keyIndex, n = keys.GetSize(); i < n; ++i) ++k[i].end;
  return (*this)[pos];
}

int CObjectGroupArray::Add(const ObjectGroup& group, int* count) {
  ObjectGroup r = group;
  r.objectEnd = GetSize() > 0 ? (*this)[GetSize() - 1].objectEnd : 0;
  const int i = CRecordArray::Add(r);
  if (count) ++*count;
  return i;
}

int CObjectRecordArray::Add(const ObjectRecord& object, int* count) {
  ObjectRecord r = object;
  r.flags = static_cast<uint8_t>((r.flags & ~kObjectShown) | ((r.flags & kObjectKept) >> 1));
  r.vertexEnd = GetSize() > 0 ? (*this)[GetSize() - 1].vertexEnd : 0;
  const int i = CRecordArray::Add(r);
  if (count) ++*count;
  return i;
}

void CObjectRecordArray::GetBounds(double& latMin, double& latMax, double& lonMin, double& lonMax,
                                   int index) const {
  const ObjectRecord& o = (*this)[index];
  int north0 = 0, north1 = 0, east0 = 0, east1 = 0;
  const IndexRange range = m_db->FootprintRange(index);
  const CFootprintVertexArray& vertices = m_db->m_footprintVertices;
  for (int i = std::max(range.first, 0); i < range.end && i < vertices.GetSize(); ++i) {
    north0 = std::min<int>(north0, vertices[i].north);
    north1 = std::max<int>(north1, vertices[i].north);
    east0 = std::min<int>(east0, vertices[i].east);
    east1 = std::max<int>(east1, vertices[i].east);
  }
  // A zero scale would turn every offset into infinity; such an object is its reference point.
  const double perUnit = o.scale != 0 ? kDegPerMetre / o.scale : 0.0;
  const double cosLat = std::cos(o.latitude * kDegToRad);
  const double lonPerUnit = cosLat > 1e-9 ? perUnit / cosLat : 0.0;
  latMin = o.latitude + perUnit * north0;
  latMax = o.latitude + perUnit * north1;
  lonMin = o.longitude + lonPerUnit * east0;
  lonMax = o.longitude + lonPerUnit * east1;
}

int CAirspaceShapeArray::Add(const AirspaceShape& shape, int* count) {
  AirspaceShape r = shape;
  r.vertexEnd = GetSize() > 0 ? (*this)[GetSize() - 1].vertexEnd : 0;
  const int i = CRecordArray::Add(r);
  if (count) ++*count;
  return i;
}

namespace {

// Minimum and maximum of longitudes taken both as they are and shifted by 180 degrees, so a
// range across the 180-degree meridian can be told from a wide one.
struct LonSpan {
  double min = 1e9, max = -1e9, shiftedMin = 1e9, shiftedMax = -1e9;
  void Add(double lon) {
    min = std::min(min, lon);
    max = std::max(max, lon);
    const double s = Shift180(lon);
    shiftedMin = std::min(shiftedMin, s);
    shiftedMax = std::max(shiftedMax, s);
  }
  bool CrossesDateLine() const { return max - min >= 180; }
};

}  // namespace

void CAirspaceShapeArray::GetBounds(double& latMin, double& latMax, double& lonMin,
                                    double& lonMax, int index) const {
  latMin = latMax = lonMin = lonMax = 0;
  const IndexRange range = m_db->ShapeVertexRange(index);
  const CAirspaceVertexArray& vertices = m_db->m_airspaceVertices;
  double lat0 = 1e9, lat1 = -1e9;
  LonSpan lons;
  bool any = false;
  auto take = [&](double lat, double lon) {
    lat0 = std::min(lat0, lat);
    lat1 = std::max(lat1, lat);
    lons.Add(lon);
    any = true;
  };
  for (int i = std::max(range.first, 0); i < range.end && i < vertices.GetSize(); ++i) {
    const AirspaceVertex& v = vertices[i];
    if (const VertexExtra* e = m_db->GetVertexExtra(v)) {
      // The circle's box corners, on its diagonal.
      const double d = e->radiusNm * 1.414 * kMetresPerNm;
      double la, lo;
      DestinationPoint(la, lo, e->centreLatitude, e->centreLongitude, 225, d);
      take(la, lo);
      DestinationPoint(la, lo, e->centreLatitude, e->centreLongitude, 45, d);
      take(la, lo);
    } else {
      take(v.latitude, v.longitude);
    }
  }
  if (!any) return;
  latMin = lat0;
  latMax = lat1;
  if (lons.CrossesDateLine()) {
    lonMin = Shift180(lons.shiftedMin);
    lonMax = Shift180(lons.shiftedMax);
  } else {
    lonMin = lons.min;
    lonMax = lons.max;
  }
}

void CAirspaceShapeArray::GetLabelPosition(double& latitude, double& longitude, int index) const {
  latitude = longitude = 0;
  const IndexRange range = m_db->ShapeVertexRange(index);
  const CAirspaceVertexArray& vertices = m_db->m_airspaceVertices;
  double sumLat = 0, sumLon = 0, sumShifted = 0;
  int n = 0;
  LonSpan lons;
  for (int i = std::max(range.first, 0); i < range.end && i < vertices.GetSize(); ++i) {
    const AirspaceVertex& v = vertices[i];
    double lat = v.latitude, lon = v.longitude;
    if (const VertexExtra* e = m_db->GetVertexExtra(v)) {
      lat = e->centreLatitude;
      lon = e->centreLongitude;
    }
    sumLat += lat;
    sumLon += lon;
    sumShifted += Shift180(lon);
    lons.Add(lon);
    ++n;
  }
  if (n == 0) return;
  const double meanLat = sumLat / n;
  const double meanLon = lons.CrossesDateLine() ? Shift180(sumShifted / n) : sumLon / n;

  double latMin, latMax, lonMin, lonMax;
  GetBounds(latMin, latMax, lonMin, lonMax, index);
  const double centreLat = (latMin + latMax) / 2;
  const double centreLon = lonMin > lonMax ? Shift180((Shift180(lonMin) + Shift180(lonMax)) / 2)
                                           : (lonMin + lonMax) / 2;
  latitude = (meanLat + centreLat) / 2;
  longitude = (meanLon + centreLon) / 2;
  if (std::fabs(meanLon - centreLon) >= 180) longitude = Shift180(longitude);
}
