#include "plotr/plan/Route.h"

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/PlanDialogForms.h"
#include "plotr/plan/ToolDialogs.h"

#include <algorithm>
#include <set>

namespace {

// Fixes without a name of the user's get "Fix01".."Fix99" in route order.
constexpr char kAutoNamePrefix[] = "Fix";
constexpr int kAutoNameCount = 99;

bool IsAutoName(std::string_view name) {
  return name.empty() || name.substr(0, 3) == kAutoNamePrefix;
}

// The mask a point searches its own object with. NDB, VOR and intersection kinds carry airway
// level bits (1 and 2) that other families share, so the literal kind would also accept a
// co-located object of another family; the family's base kind accepts only its own.
int32_t OwnFamilyMask(uint16_t kind) {
  if (kind >= kKindIntersection && kind <= kKindVor + kKindLevelMask) {
    return BaseKind(kind);
  }
  // A point keeps no airspace class: without every class bit no airspace would be found again.
  if (ArrayOfKind(kind) == kArrayAirspace) {
    return kind | kSearchAllAirspaceClasses;
  }
  return kind;
}

}  // namespace

CRoute::CRoute() : m_profile(CurrentAircraftProfile()) {
  SetCruiseFromProfile();
}

void CRoute::SetCruiseFromProfile() {
  m_cruise.speed = m_profile.cruiseSpeed;
  m_cruise.altitude1 = m_profile.cruiseAltitude;
  m_cruise.altitude2 = m_profile.cruiseAltitude;
}

int CRoute::MeanCruiseAltitude() const {
  return static_cast<int>((static_cast<int64_t>(m_cruise.altitude1) + m_cruise.altitude2) / 2);
}

void CRoute::Clear(uint16_t& format) {
  m_points.clear();
  m_userFixes.clear();
  m_fixNames.RemoveAll();
  SetCruiseFromProfile();
  format = kPlanFormatCurrent;
}

bool CRoute::Contains(const NavPoint& key) const {
  for (auto it = m_points.rbegin(); it != m_points.rend(); ++it) {
    if (it->ref.point == key) {
      return true;
    }
  }
  return false;
}

void CRoute::MakeUserPoint(NavPoint& key, double latitude, double longitude) {
  key.latitude = static_cast<float>(latitude);
  key.longitude = static_cast<float>(longitude);
  key.kind = kKindUserPoint;
  key.word = 0xFFFFFFFFu;
}

int CRoute::Revalidate() {
  int removed = 0;
  for (int i = GetCount() - 1; i >= 0; --i) {
    const NavPoint key = m_points[static_cast<size_t>(i)].ref.point;
    FullPoint found;
    double radius = kRevalidateRadius;
    if (FindObject(found, radius, key.latitude, key.longitude, OwnFamilyMask(key.kind), false)) {
      m_points[static_cast<size_t>(i)].ref = found;
    } else {
      RemovePoint(i);
      ++removed;
    }
  }
  return removed;
}

void CRoute::SetPoint(int index, const PlanPoint& value) {
  if (index < 0 || index >= GetCount()) {
    return;
  }
  if (value.IsUserPoint()) {
    const uint32_t id = value.FixId();
    for (NavPoint& fix : m_userFixes) {
      if ((fix.word & kPayloadMask) == id) {
        fix = value.ref.point;
        m_fixNames.SetAt(id, MakeFixName(value.UserName()));
        break;
      }
    }
    NameUserFixes();
  }
  m_points[static_cast<size_t>(index)] = value;
}

int CRoute::AddPoint(PlanPoint value) {
  InsertPoint(GetCount(), value);
  return GetCount() - 1;
}

void CRoute::InsertPoint(int index, PlanPoint value) {
  index = std::clamp(index, 0, GetCount());
  if (value.IsUserPoint()) {
    NavPoint& key = value.ref.point;
    const auto shared = std::find_if(m_userFixes.begin(), m_userFixes.end(), [&](const NavPoint& fix) {
      return fix.latitude == key.latitude && fix.longitude == key.longitude;
    });
    if (shared != m_userFixes.end()) {
      key.word = (key.word & ~kPayloadMask) | (shared->word & kPayloadMask);
    } else {
      if (m_fixNames.Add(key, MakeFixName(value.UserName())) < 0) {
        return;  // no free fix id: the list stays as it was
      }
      key.SyncFlagBits();
      m_userFixes.push_back(key);
    }
  }
  m_points.insert(m_points.begin() + index, value);
  if (value.IsUserPoint()) {
    NameUserFixes();
  }
}

bool CRoute::FixIdInUse(uint32_t id) const {
  return std::any_of(m_points.begin(), m_points.end(),
                     [id](const PlanPoint& p) { return p.IsUserPoint() && p.FixId() == id; });
}

void CRoute::RemovePoint(int index) {
  if (index < 0 || index >= GetCount()) {
    return;
  }
  const PlanPoint removed = m_points[static_cast<size_t>(index)];
  m_points.erase(m_points.begin() + index);
  if (removed.IsUserPoint() && !FixIdInUse(removed.FixId())) {
    const uint32_t id = removed.FixId();
    m_fixNames.RemoveKey(id);
    std::erase_if(m_userFixes, [id](const NavPoint& fix) { return (fix.word & kPayloadMask) == id; });
    NameUserFixes();
  }
}

double CRoute::GetLength() const {
  double length = 0.0;
  const PlanPoint* previous = nullptr;
  for (size_t i = 0; i < m_points.size(); ++i) {
    const PlanPoint& p = m_points[i];
    if (i != 0 && p.IsBearing()) {
      continue;
    }
    if (previous) {
      length += GreatCircleDistance(previous->ref.point.latitude, previous->ref.point.longitude, p.ref.point.latitude,
                                    p.ref.point.longitude);
    }
    previous = &p;
  }
  return length;
}

void CRoute::NameUserFixes() {
  int counter = 0;
  std::set<uint32_t> named;
  for (const PlanPoint& p : m_points) {
    if (!p.IsUserPoint()) continue;
    const uint32_t id = p.FixId();
    FixName name{};
    m_fixNames.LookupId(id, name);
    if (IsAutoName(FixNameText(name)) && named.insert(id).second) {
      char text[8];
      std::snprintf(text, sizeof text, "Fix%02d", counter % kAutoNameCount + 1);
      ++counter;
      m_fixNames.SetAt(id, MakeFixName(text));
    }
  }
  for (PlanPoint& p : m_points) {
    if (!p.IsUserPoint()) continue;
    const uint32_t id = p.FixId();
    FixName name{};
    m_fixNames.LookupId(id, name);
    std::memset(p.userName, 0, sizeof p.userName);
    if (!IsAutoName(FixNameText(name))) {
      std::memcpy(p.userName, name.data(), sizeof p.userName);
    }
    for (const NavPoint& fix : m_userFixes) {
      if ((fix.word & kPayloadMask) == id) {
        p.ref.point = fix;
        break;
      }
    }
  }
}

bool CRoute::SelectAircraft(IToolDialogs* dialogs) {
  if (!dialogs) {
    return false;
  }
  AircraftDialogValues v;
  v.name = std::string(m_profile.Name());
  v.withoutAsh = m_profile.WithoutAsh();
  for (const AircraftValueField& f : kAircraftValueFields) {
    v.*f.dialog = m_profile.*f.profile;
  }
  v.fuelUnit = m_profile.FuelUnit();
  v.applyCruiseAltitude = true;
  v.applyCruiseSpeed = true;
  v.routeEmpty = m_points.empty();
  if (!dialogs->RunAircraftDialog(v)) {
    return false;
  }
  m_profile.SetName(v.name);
  m_profile.SetWithoutAsh(v.withoutAsh);
  for (const AircraftValueField& f : kAircraftValueFields) {
    m_profile.*f.profile = v.*f.dialog;
  }
  m_profile.SetFuelUnit(v.fuelUnit);

  if (v.applyCruiseAltitude) {
    m_cruise.altitude1 = m_cruise.altitude2 = m_profile.cruiseAltitude;
  } else if (MeanCruiseAltitude() > CruiseAltitudeCap()) {
    m_cruise.altitude1 = m_cruise.altitude2 = CruiseAltitudeCap();
  }
  if (v.applyCruiseSpeed || m_cruise.speed > m_profile.cruiseSpeed) {
    m_cruise.speed = m_profile.cruiseSpeed;
  }
  g_Settings.WriteLastCraft(m_profile.Name());
  return true;
}

bool CRoute::SetCruise(IToolDialogs* dialogs) {
  if (!dialogs) {
    return false;
  }
  CruiseDialogValues v;
  v.altitude = MeanCruiseAltitude();
  v.profileCruiseAltitude = m_profile.cruiseAltitude;
  v.speed = m_cruise.speed;
  v.lowestSpeed = m_profile.descentSpeed;
  v.highestSpeed = m_profile.cruiseSpeed;
  if (!dialogs->RunCruiseDialog(v)) {
    return false;
  }
  for (auto it = m_points.rbegin(); it != m_points.rend(); ++it) {
    if (v.applyAltitudeToAll) {
      it->altitude1 = 0;
      it->altitude2 = 0;
      it->flags &= ~kPointAltitudeOption;
    }
    if (v.applySpeedToAll) {
      it->speed = 0;
      it->flags &= ~kPointSpeedOption;
    }
  }
  m_cruise = {v.speed, v.altitude, v.altitude};
  return true;
}
