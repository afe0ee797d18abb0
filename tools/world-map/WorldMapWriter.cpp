#include "tools/world-map/WorldMapWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

#include <nlohmann/json.hpp>

#include "navdb/Geodesy.h"
#include "platform/win/AtomicFile.h"

namespace worldmap {
namespace {

using nlohmann::json;

// Steps of 0.01 degree of latitude (about a kilometre): finer than the 1:50 million data, coarse
// enough that a step byte covers several kilometres.
constexpr uint16_t kLatitudeDivisor = 100;
// A longitude unit is 1 / (divisor x cos(start latitude)) degrees, so the latitude divisor alone
// gives steps of equal ground length at the start; near the poles that unit would grow past the
// data's precision, so the divisor rises to keep it at most this many degrees.
constexpr double kLongestLongitudeUnit = 0.02;
constexpr int kLargestStep = 7;  // a nibble holds -8..7; both directions use 7
// Long lines are cut into shapes of about this many steps: the map tests each shape's box
// against its view, and a shape of this length still passes the smallest-shape rule of the
// whole-world zoom.
constexpr size_t kShapeSteps = 2048;
// The renderer skips shapes that start on a pole.
constexpr double kHighestStartLatitude = 89.9;
// Geometry collections nest; deeper than this is not a map.
constexpr int kDeepestCollection = 8;
// Quantized coordinates may land a hair beyond the globe's edges.
constexpr double kEdgeTolerance = 1e-3;
constexpr double kFeetPerMetre = 1 / 0.3048;

constexpr char kBanner[] = "Coastlines and rivers: Natural Earth, public domain data";
static_assert(sizeof kBanner - 1 == 56);

// The topology's arcs decoded to degrees.
class Topology {
 public:
  bool Load(const json& root, std::string& error) {
    const json* arcs = Find(root, "arcs");
    if (!arcs || !arcs->is_array()) return Fail(error, "no arcs");
    bool quantized = false;
    double scale[2] = {1, 1}, translate[2] = {0, 0};
    if (const json* transform = Find(root, "transform")) {
      quantized = true;
      if (!Pair(Find(*transform, "scale"), scale) || !Pair(Find(*transform, "translate"), translate)) {
        return Fail(error, "a transform without scale and translate");
      }
    }
    m_arcs.reserve(arcs->size());
    for (const json& arc : *arcs) {
      if (!arc.is_array()) return Fail(error, "an arc that is not a list of positions");
      Line& points = m_arcs.emplace_back();
      points.reserve(arc.size());
      double x = 0, y = 0;
      for (const json& position : arc) {
        double p[2];
        if (!Pair(&position, p)) return Fail(error, "a position without two numbers");
        if (quantized) {
          x += p[0];
          y += p[1];
          p[0] = x * scale[0] + translate[0];
          p[1] = y * scale[1] + translate[1];
        }
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || std::fabs(p[0]) > 180 + kEdgeTolerance ||
            std::fabs(p[1]) > 90 + kEdgeTolerance) {
          return Fail(error, "a position off the globe");
        }
        points.push_back({std::clamp(p[0], -180.0, 180.0), std::clamp(p[1], -90.0, 90.0)});
      }
    }
    return true;
  }

  // Appends the geometry's lines.
  bool AddGeometry(const json& geometry, std::vector<Line>& lines, int depth, std::string& error) const {
    const json* type = Find(geometry, "type");
    if (!type || !type->is_string()) return Fail(error, "a geometry without a type");
    const std::string& kind = type->get_ref<const std::string&>();
    if (kind == "GeometryCollection") {
      const json* members = Find(geometry, "geometries");
      if (!members || !members->is_array()) return Fail(error, "a collection without geometries");
      if (depth >= kDeepestCollection) return Fail(error, "collections nested too deep");
      for (const json& member : *members) {
        if (!AddGeometry(member, lines, depth + 1, error)) return false;
      }
      return true;
    }
    // Points carry no line; a null geometry is an empty feature.
    if (kind == "Point" || kind == "MultiPoint" || kind == "null") return true;
    // How deep the arc lists nest: a line is a list of arc indexes.
    int nesting = 0;
    if (kind == "LineString") {
      nesting = 0;
    } else if (kind == "MultiLineString" || kind == "Polygon") {
      nesting = 1;
    } else if (kind == "MultiPolygon") {
      nesting = 2;
    } else {
      return Fail(error, "an unknown geometry type \"" + kind + "\"");
    }
    const json* arcs = Find(geometry, "arcs");
    if (!arcs) return Fail(error, "a " + kind + " without arcs");
    return AddArcLists(*arcs, nesting, lines, error);
  }

 private:
  static bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
  }

  static const json* Find(const json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
  }

  static bool Pair(const json* value, double out[2]) {
    if (!value || !value->is_array() || value->size() < 2 || !(*value)[0].is_number() || !(*value)[1].is_number()) {
      return false;
    }
    out[0] = (*value)[0].get<double>();
    out[1] = (*value)[1].get<double>();
    return true;
  }

  bool AddArcLists(const json& list, int nesting, std::vector<Line>& lines, std::string& error) const {
    if (!list.is_array()) return Fail(error, "arcs that are not a list");
    if (nesting > 0) {
      for (const json& inner : list) {
        if (!AddArcLists(inner, nesting - 1, lines, error)) return false;
      }
      return true;
    }
    Line line;
    for (const json& index : list) {
      if (!index.is_number_integer()) return Fail(error, "an arc index that is not a whole number");
      // A negative index names arc ~i, walked backwards.
      const int64_t i = index.get<int64_t>();
      const int64_t arc = i < 0 ? ~i : i;
      if (arc >= static_cast<int64_t>(m_arcs.size())) return Fail(error, "an arc index outside the arcs");
      const Line& points = m_arcs[static_cast<size_t>(arc)];
      // Joined arcs share their meeting point.
      const size_t skip = line.empty() ? 0 : 1;
      if (i < 0) {
        line.insert(line.end(), points.rbegin() + static_cast<ptrdiff_t>(std::min(skip, points.size())), points.rend());
      } else {
        line.insert(line.end(), points.begin() + static_cast<ptrdiff_t>(std::min(skip, points.size())), points.end());
      }
    }
    if (line.size() >= 2) lines.push_back(std::move(line));
    return true;
  }

  std::vector<Line> m_arcs;
};

// Walks one shape's steps from its start, in the units the renderer decodes.
class ShapeEncoder {
 public:
  ShapeEncoder(LonLat start, std::vector<uint8_t>* steps) : m_steps(steps) {
    m_shape.startLatitude = static_cast<float>(std::clamp(start.lat, -kHighestStartLatitude, kHighestStartLatitude));
    m_shape.startLongitude = static_cast<float>(start.lon);
    m_cos = std::cos(m_shape.startLatitude * kDegToRad);
    m_shape.latitudeDivisor = kLatitudeDivisor;
    const double divisor = std::ceil(1 / (kLongestLongitudeUnit * m_cos));
    m_shape.longitudeDivisor = static_cast<uint16_t>(std::clamp(divisor, double{kLatitudeDivisor}, 65535.0));
    m_south = m_north = m_shape.startLatitude;
    m_west = m_east = m_shape.startLongitude;
  }

  // Steps towards the point in a straight run of steps, none longer than a nibble holds. The
  // target is kept in whole units from the start, so rounding never drifts along a line.
  void MoveTo(LonLat p) {
    const int64_t toLat = std::llround((p.lat - m_shape.startLatitude) * m_shape.latitudeDivisor);
    const int64_t toLon = std::llround((p.lon - m_shape.startLongitude) * m_shape.longitudeDivisor * m_cos);
    const int64_t dLat = toLat - m_lat, dLon = toLon - m_lon;
    const int64_t n = std::max((std::llabs(dLat) + kLargestStep - 1) / kLargestStep,
                               (std::llabs(dLon) + kLargestStep - 1) / kLargestStep);
    const int64_t fromLat = m_lat, fromLon = m_lon;
    for (int64_t k = 1; k <= n; ++k) {
      const int64_t lat = fromLat + static_cast<int64_t>(std::llround(static_cast<double>(dLat) * k / n));
      const int64_t lon = fromLon + static_cast<int64_t>(std::llround(static_cast<double>(dLon) * k / n));
      const int stepLat = static_cast<int>(lat - m_lat), stepLon = static_cast<int>(lon - m_lon);
      if (m_steps) m_steps->push_back(static_cast<uint8_t>((stepLat & 15) | ((stepLon & 15) << 4)));
      ++m_count;
      m_lat = lat;
      m_lon = lon;
      const LonLat at = Position();
      m_south = std::min(m_south, at.lat);
      m_north = std::max(m_north, at.lat);
      m_west = std::min(m_west, at.lon);
      m_east = std::max(m_east, at.lon);
    }
  }

  LonLat Position() const {
    return {m_shape.startLongitude + static_cast<double>(m_lon) / (m_shape.longitudeDivisor * m_cos),
            m_shape.startLatitude + static_cast<double>(m_lat) / m_shape.latitudeDivisor};
  }

  size_t Count() const { return m_count; }

  WorldShape Finish(int32_t endIndex) {
    m_shape.south = static_cast<float>(std::max(-90.0, m_south));
    m_shape.north = static_cast<float>(std::min(90.0, m_north));
    m_shape.west = static_cast<float>(std::max(-180.0, m_west));
    m_shape.east = static_cast<float>(std::min(180.0, m_east));
    m_shape.endIndex = endIndex;
    return m_shape;
  }

 private:
  std::vector<uint8_t>* m_steps;
  WorldShape m_shape{};
  double m_cos = 1;
  int64_t m_lat = 0, m_lon = 0;
  size_t m_count = 0;
  double m_south, m_north, m_west, m_east;
};

// Encodes one piece that does not cross the date line, cut into shapes of similar length.
void AppendPiece(const LonLat* begin, const LonLat* end, std::vector<WorldShape>& shapes, std::vector<uint8_t>& steps) {
  ShapeEncoder whole(*begin, nullptr);
  for (const LonLat* p = begin + 1; p != end; ++p) whole.MoveTo(*p);
  if (whole.Count() == 0) return;
  const size_t parts = (whole.Count() + kShapeSteps - 1) / kShapeSteps;
  const size_t length = (whole.Count() + parts - 1) / parts;

  ShapeEncoder shape(*begin, &steps);
  for (const LonLat* p = begin + 1; p != end; ++p) {
    shape.MoveTo(*p);
    if (shape.Count() >= length && p + 1 != end) {
      shapes.push_back(shape.Finish(static_cast<int32_t>(steps.size())));
      shape = ShapeEncoder(shape.Position(), &steps);
    }
  }
  if (shape.Count() > 0) shapes.push_back(shape.Finish(static_cast<int32_t>(steps.size())));
}

template <class T>
void AppendBytes(std::string& out, const std::vector<T>& records) {
  out.append(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(T));
}

}  // namespace

bool ReadTopoJsonLines(std::string_view text, std::string_view object, std::vector<Line>& lines, std::string& error) {
  lines.clear();
  const json root = json::parse(text.begin(), text.end(), nullptr, false);
  if (root.is_discarded()) {
    error = "not JSON";
    return false;
  }
  if (!root.is_object() || root.value("type", json()) != "Topology") {
    error = "not a TopoJSON topology";
    return false;
  }
  Topology topology;
  if (!topology.Load(root, error)) return false;
  const auto objects = root.find("objects");
  if (objects == root.end() || !objects->is_object() || !objects->contains(object)) {
    error = "no object \"" + std::string(object) + "\"";
    return false;
  }
  if (!topology.AddGeometry((*objects)[std::string(object)], lines, 0, error)) {
    lines.clear();
    error = "object \"" + std::string(object) + "\": " + error;
    return false;
  }
  return true;
}

void AppendShapes(const Line& line, std::vector<WorldShape>& shapes, std::vector<uint8_t>& steps) {
  // A line that runs off one edge of the flat world and on at the other is two lines; the data
  // normally cuts them there itself.
  size_t first = 0;
  for (size_t i = 1; i <= line.size(); ++i) {
    if (i == line.size() || std::fabs(line[i].lon - line[i - 1].lon) > 180) {
      if (i - first >= 2) AppendPiece(line.data() + first, line.data() + i, shapes, steps);
      first = i;
    }
  }
}

void AppendPeaks(std::span<const Peak> peaks, std::vector<MountainGroup>& groups, std::vector<MountainPeak>& out) {
  std::vector<std::string> ranges;
  for (const Peak& peak : peaks) {
    if (std::find(ranges.begin(), ranges.end(), peak.range) == ranges.end()) ranges.push_back(peak.range);
  }
  for (const std::string& range : ranges) {
    MountainGroup group{90, -90, 180, -180, 0};
    for (const Peak& peak : peaks) {
      if (range != peak.range) continue;
      MountainPeak record;
      record.latitude = static_cast<float>(peak.latitude);
      record.longitude = static_cast<float>(peak.longitude);
      record.elevation = static_cast<uint16_t>(std::clamp(std::lround(peak.metres * kFeetPerMetre), 0L, 65535L));
      out.push_back(record);
      group.south = std::min(group.south, record.latitude);
      group.north = std::max(group.north, record.latitude);
      group.west = std::min(group.west, record.longitude);
      group.east = std::max(group.east, record.longitude);
    }
    group.endIndex = static_cast<int32_t>(out.size());
    groups.push_back(group);
  }
}

std::string WorldMapImage(const CWorldMap& map) {
  WorldMapHeader header{};
  header.magic[0] = 'W';
  header.magic[1] = 'M';
  header.version = kWorldMapVersion;
  std::memcpy(header.banner, kBanner, sizeof kBanner - 1);
  const uint64_t sizes[kWorldMapArrayCount] = {
      map.m_coastShapes.size() * sizeof(WorldShape),      map.m_coastSteps.size(),
      map.m_riverShapes.size() * sizeof(WorldShape),      map.m_riverSteps.size(),
      map.m_mountainGroups.size() * sizeof(MountainGroup), map.m_peaks.size() * sizeof(MountainPeak)};
  uint64_t offset = sizeof header;
  for (int i = 0; i < kWorldMapArrayCount; ++i) {
    header.sections[i] = {static_cast<uint32_t>(offset), static_cast<uint32_t>(sizes[i])};
    offset += sizes[i];
  }
  header.length = static_cast<uint32_t>(offset);
  if (offset > std::numeric_limits<uint32_t>::max()) return {};
  std::string image(reinterpret_cast<const char*>(&header), sizeof header);
  image.reserve(static_cast<size_t>(offset));
  AppendBytes(image, map.m_coastShapes);
  AppendBytes(image, map.m_coastSteps);
  AppendBytes(image, map.m_riverShapes);
  AppendBytes(image, map.m_riverSteps);
  AppendBytes(image, map.m_mountainGroups);
  AppendBytes(image, map.m_peaks);
  return image;
}

bool MakeWorldMap(const std::filesystem::path& topojson, const std::filesystem::path& target, std::string& error) {
  std::ifstream in(topojson, std::ios::binary);
  if (!in) {
    error = "cannot read " + topojson.string();
    return false;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + topojson.string();
    return false;
  }
  CWorldMap map;
  map.ClearWorldMap();
  // Lake shores are drawn as coastlines: the big lakes are landmarks from the air.
  for (const char* object : {"coastlines", "lakes", "rivers"}) {
    std::vector<Line> lines;
    if (!ReadTopoJsonLines(text, object, lines, error)) {
      error = topojson.string() + ": " + error;
      return false;
    }
    const bool coast = std::strcmp(object, "rivers") != 0;
    for (const Line& line : lines) {
      AppendShapes(line, coast ? map.m_coastShapes : map.m_riverShapes, coast ? map.m_coastSteps : map.m_riverSteps);
    }
  }
  AppendPeaks(WellKnownPeaks(), map.m_mountainGroups, map.m_peaks);
  const std::string image = WorldMapImage(map);
  if (image.empty()) {
    error = "the map does not fit a world map file";
    return false;
  }
  std::error_code written;
  if (!win::WriteFileAtomically(target, image, &written)) {
    error = "cannot write " + target.string() + ": " + written.message();
    return false;
  }
  return true;
}

}  // namespace worldmap
