#include "plotr/views/ClipFormats.h"

#include <cmath>
#include <cstring>

#include "navdb/SceneryDatabase.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/SimSnapshot.h"

namespace clip {
namespace {

constexpr uint16_t kPlanKinds = 0x84FC;

template <class T>
void Append(std::string& out, const T& value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <class T>
bool ReadAt(std::string_view bytes, size_t offset, T& out) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof out) return false;
  std::memcpy(&out, bytes.data() + offset, sizeof out);
  return true;
}

// Entries of a record's frequency list, copied out of the pool.
std::vector<FrequencyEntry> EntriesAt(const uint8_t* first, int count) {
  std::vector<FrequencyEntry> out(count > 0 ? static_cast<size_t>(count) : 0);
  if (!out.empty()) std::memcpy(out.data(), first, out.size() * sizeof(FrequencyEntry));
  return out;
}

// A position no database object or user point can have: nothing in the plan, the map's
// projection or the guidance is ready for it, so the data carrying it is refused whole.
bool IsPosition(float latitude, float longitude) {
  return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90.0f &&
         std::fabs(longitude) <= 180.0f;
}

std::pair<std::string, std::string> Offer(const char* format, float value) { return {format, WriteFloat(value)}; }

}  // namespace

const std::string* Find(const ClipData& data, std::string_view format) {
  for (const auto& [name, bytes] : data) {
    if (name == format) return &bytes;
  }
  return nullptr;
}

bool IsValidComFrequency(float mhz) {
  const double f = mhz;
  if (!(f >= 118.0 && f < 137.0)) return false;
  const double r = std::floor(f * 100 + 0.5) / 100;
  const double tenths = r * 10;
  const int d = static_cast<int>(std::floor((tenths - std::floor(tenths)) * 10 + 0.5));
  return d == 0 || d == 2 || d == 5 || d == 7;
}

std::vector<FrequencyEntry> ValidComFrequencies(std::span<const FrequencyEntry> entries) {
  std::vector<FrequencyEntry> out;
  for (const FrequencyEntry& e : entries) {
    float f = 0;
    std::memcpy(&f, reinterpret_cast<const uint8_t*>(&e) + offsetof(FrequencyEntry, frequency), sizeof f);
    if (IsValidComFrequency(f)) out.push_back(e);
  }
  return out;
}

float HeadingOfCourse(double course) {
  if (!std::isfinite(course)) return 0;
  const double r = std::fmod(std::floor(course + 0.5), 360.0);
  return static_cast<float>(r < 0 ? r + 360 : r);
}

std::string WritePlanPoints(std::span<const PlanPoint> points) {
  std::string out;
  Append(out, static_cast<int32_t>(points.size()));
  out.append(reinterpret_cast<const char*>(points.data()), points.size_bytes());
  return out;
}

std::string WriteFullPoint(const FullPoint& point) {
  std::string out;
  Append(out, point);
  return out;
}

std::string WriteSidStar(const SidStarRefClip& ref) {
  std::string out;
  Append(out, ref);
  return out;
}

std::string WriteComArray(std::span<const FrequencyEntry> entries) {
  std::string out;
  Append(out, static_cast<int32_t>(entries.size()));
  out.append(reinterpret_cast<const char*>(entries.data()), entries.size_bytes());
  return out;
}

std::string WriteFloat(float value) {
  std::string out;
  Append(out, value);
  return out;
}

std::string WriteText(std::span<const std::string> descriptions, std::string_view separator) {
  std::string out;
  for (const std::string& d : descriptions) {
    out += d;
    out += separator;
  }
  out.push_back('\0');
  return out;
}

std::optional<std::vector<PlanPoint>> ReadPlanPoints(std::string_view bytes) {
  int32_t count = 0;
  if (!ReadAt(bytes, 0, count)) return std::nullopt;
  if (count <= 0) return std::vector<PlanPoint>{};
  // The count is outside data: compare in 64 bits before reserving anything.
  if (static_cast<uint64_t>(count) * sizeof(PlanPoint) > bytes.size() - sizeof count) return std::nullopt;
  std::vector<PlanPoint> points(static_cast<size_t>(count));
  std::memcpy(points.data(), bytes.data() + sizeof count, points.size() * sizeof(PlanPoint));
  for (const PlanPoint& p : points) {
    if (!IsPosition(p.ref.point.latitude, p.ref.point.longitude)) return std::nullopt;
  }
  return points;
}

std::optional<FullPoint> ReadFullPoint(std::string_view bytes) {
  FullPoint point;
  if (!ReadAt(bytes, 0, point) || !IsPosition(point.point.latitude, point.point.longitude)) return std::nullopt;
  return point;
}

std::optional<SidStarRefClip> ReadSidStar(std::string_view bytes) {
  SidStarRefClip ref;
  if (!ReadAt(bytes, 0, ref) || !ref.IsProcedure() || ref.isStar > 1) return std::nullopt;
  return ref;
}

std::optional<std::vector<FrequencyEntry>> ReadComArray(std::string_view bytes) {
  int32_t count = 0;
  if (!ReadAt(bytes, 0, count)) return std::nullopt;
  if (count <= 0) return std::vector<FrequencyEntry>{};
  if (static_cast<uint64_t>(count) * sizeof(FrequencyEntry) > bytes.size() - sizeof count) return std::nullopt;
  std::vector<FrequencyEntry> entries(static_cast<size_t>(count));
  std::memcpy(entries.data(), bytes.data() + sizeof count, entries.size() * sizeof(FrequencyEntry));
  return entries;
}

std::optional<float> ReadFloat(std::string_view bytes) {
  float value = 0;
  if (!ReadAt(bytes, 0, value) || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::pair<std::string, std::string>> FrequencyFormat(const FullPoint& object, const CSceneryDatabase& db,
                                                                   bool mapBcIls, bool fromPlanList) {
  const NavPoint& p = object.point;
  switch (BaseKind(p.kind)) {
    case kKindAirport:
      if (const AirportRecord* a = db.GetAirport(p)) {
        const auto* first = reinterpret_cast<const uint8_t*>(a) + sizeof(AirportRecord);
        const std::vector<FrequencyEntry> all = EntriesAt(first, a->FrequencyCount());
        const std::vector<FrequencyEntry> valid = ValidComFrequencies(all);
        if (!valid.empty() || (fromPlanList && !all.empty())) return std::pair{kComFrequencyArray, WriteComArray(valid)};
      }
      return std::nullopt;
    case kKindAirspaceLow:
    case kKindAirspaceMid:
    case kKindAirspaceHigh:
      if (const AirspaceRecord* s = db.GetAirspace(p)) {
        const auto* first = reinterpret_cast<const uint8_t*>(s) + sizeof(AirspaceRecord);
        const std::vector<FrequencyEntry> valid = ValidComFrequencies(EntriesAt(first, s->frequencyCount));
        if (!valid.empty()) return std::pair{kComFrequencyArray, WriteComArray(valid)};
      }
      return std::nullopt;
    case kKindCom:
      if (const ComRecord* c = db.GetCom(p)) return Offer(kComFrequency, c->frequency);
      return std::nullopt;
    case kKindRunway:
      if (const RunwayRecord* r = db.GetRunway(p)) {
        const IlsRecord* ils = RunwayIls(db, *r);
        if (ils != nullptr && (mapBcIls || ils->glideSlope >= 0)) return Offer(kNavFrequency, ils->frequency);
      }
      return std::nullopt;
    case kKindIls:
      if (const IlsRecord* i = db.GetIls(p)) return Offer(kNavFrequency, i->frequency);
      return std::nullopt;
    case kKindVor:
      if (const VorRecord* v = db.GetVor(p)) return Offer(kNavFrequency, v->frequency);
      return std::nullopt;
    case kKindNdb:
      if (const NdbRecord* n = db.GetNdb(p)) return Offer(kAdfFrequency, n->frequency);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

ClipData ObjectDrag(const FullPoint& object, const CRoute& route, const SimSnapshot& sim, bool mapBcIls) {
  ClipData data;
  FullPoint resolved;
  if ((object.point.kind & kPlanKinds) != 0 && route.Resolve(resolved, object.point)) {
    data.emplace_back(kFullPoint, WriteFullPoint(object));
  }
  std::string text;
  if (route.AirportInfoText(text, object, sim)) {
    const std::string one[] = {text};
    data.emplace_back(kText, WriteText(one, "\r\n"));
  }
  if (auto frequency = FrequencyFormat(object, DatabaseLease::HeldDatabase(), mapBcIls, false))
    data.push_back(*frequency);
  return data;
}

ClipData ObjectCopy(const FullPoint& object, const CRoute& route, const SimSnapshot& sim, std::string_view separator) {
  ClipData data;
  PlanPoint point;
  if ((object.point.kind & kPlanKinds) != 0 && route.Resolve(point.ref, object.point)) {
    const PlanPoint one[] = {point};
    data.emplace_back(kPlanPointArray, WritePlanPoints(one));
  }
  std::string text;
  if (route.AirportInfoText(text, object, sim)) {
    const std::string one[] = {text};
    data.emplace_back(kText, WriteText(one, separator));
  }
  return data;
}

unsigned DragStatusId(const FullPoint& object, bool newFix, const CRoute& route, bool mapBcIls) {
  if (newFix) return 6039;
  const uint16_t kind = object.point.kind;
  if (kind == kKindUserPoint) return 6038;
  const bool frequency = FrequencyFormat(object, DatabaseLease::HeldDatabase(), mapBcIls, false).has_value();
  switch (BaseKind(kind)) {
    case kKindAirport: {
      FullPoint found;
      if (route.Resolve(found, object.point)) return frequency ? 6036 : 6035;
      return frequency ? 6037 : 0;
    }
    case kKindAirspaceLow:
    case kKindAirspaceMid:
    case kKindAirspaceHigh: return frequency ? 6037 : 0;
    case kKindCom: return 6037;
    case kKindRunway: return frequency ? 6036 : 6035;
    case kKindNdb:
    case kKindVor:
    case kKindIls: return 6036;
    default: return 6035;
  }
}

namespace {
const ClipData* g_current = nullptr;
}

DragSession::DragSession(ClipData data) : m_data(std::move(data)), m_previous(g_current) { g_current = &m_data; }

DragSession::~DragSession() { g_current = m_previous; }

const ClipData* DragSession::Current() { return g_current; }

}  // namespace clip
