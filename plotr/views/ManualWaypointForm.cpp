#include "plotr/views/ManualWaypointForm.h"

#include <mutex>

#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Units.h"

namespace {

// "%u" of a stored value's low 31 bits.
std::string Shown(uint32_t stored) { return std::to_string(stored & ~kManualValueGiven); }
std::string Unsigned(int32_t value) { return std::to_string(static_cast<uint32_t>(value)); }

constexpr const char* kDigitsMessage = "Please enter a positive integer.";

// Digits only, at most `length` of them; empty reads as not set.
std::optional<FieldError> ReadField(int id, std::string_view text, size_t length, int32_t& set, int32_t& value) {
  set = 0;
  value = 0;
  if (text.size() > length) return FieldError{id, "Please enter no more than " + std::to_string(length) + " characters."};
  for (const char c : text) {
    if (c < '0' || c > '9') return FieldError{id, kDigitsMessage};
    value = value * 10 + (c - '0');
  }
  set = text.empty() ? 0 : 1;
  return std::nullopt;
}

}  // namespace

ManualWaypointForm::ManualWaypointForm(int32_t rowKind, const PlanPoint& point, const AircraftProfile& profile,
                                       bool indicated)
    : m_indicated(indicated),
      m_userPoint(point.IsUserPoint()),
      m_departure(rowKind == kRowDeparture),
      m_destination(rowKind == kRowDestination),
      m_cruiseAltitude(profile.cruiseAltitude) {
  m_altitudeHint = "(<= " + Unsigned(CruiseAltitudeCap(profile)) + ")";
  int32_t lowest = profile.descentSpeed, highest = profile.cruiseSpeed;
  if (!m_indicated) {
    lowest = static_cast<int32_t>(IasToTas(lowest, m_cruiseAltitude));
    highest = static_cast<int32_t>(IasToTas(highest, m_cruiseAltitude));
  }
  m_speedHint = "(" + Unsigned(lowest) + " - " + Unsigned(highest) + ")";

  flyOver = (point.flags & kPointFlyOver) != 0;
  disableAltitudes = (point.flags & kPointAltitudeOption) != 0;
  disableSpeeds = (point.flags & kPointSpeedOption) != 0;
  m_afterEnabled = !m_destination && !disableAltitudes;
  m_speedEnabled = !disableSpeeds;

  if (Enabled(kIdCrossing) && IsManualValueGiven(point.altitude1)) crossingText = Shown(point.altitude1);
  if (!disableAltitudes && m_afterEnabled && IsManualValueGiven(point.altitude2)) afterText = Shown(point.altitude2);
  if (!disableSpeeds && IsManualValueGiven(point.speed)) {
    const uint32_t speed = point.speed & ~kManualValueGiven;
    speedText = m_indicated ? std::to_string(speed) : std::to_string(IasToTas(speed, m_cruiseAltitude));
  }
  latitude = point.ref.point.latitude;
  longitude = point.ref.point.longitude;
}

bool ManualWaypointForm::Enabled(int id) const {
  switch (id) {
    case kIdDisableAltitudes:
    case kIdCrossing:
    case kIdDisableSpeeds:
    case kIdFlyOver:
      return !m_departure && !m_destination;
    case kIdAfter:
      return m_afterEnabled;
    case kIdSpeed:
      return m_speedEnabled;
    default:
      return true;
  }
}

void ManualWaypointForm::SetDisableAltitudes(bool checked) {
  disableAltitudes = checked;
  m_afterEnabled = !checked && !m_destination;
  if (checked) afterText.clear();
}

void ManualWaypointForm::SetDisableSpeeds(bool checked) {
  disableSpeeds = checked;
  m_speedEnabled = !checked;
  if (checked) speedText.clear();
}

std::variant<WaypointSettings, FieldError> ManualWaypointForm::Accept() const {
  WaypointSettings s;
  if (auto e = ReadField(kIdCrossing, crossingText, kAltitudeLength, s.altitudeAtSet, s.altitudeAt)) return *e;
  int32_t afterSet = 0, after = 0, speedSet = 0, speed = 0;
  if (auto e = ReadField(kIdAfter, afterText, kAltitudeLength, afterSet, after)) return *e;
  if (auto e = ReadField(kIdSpeed, speedText, kSpeedLength, speedSet, speed)) return *e;
  if (!disableAltitudes) {
    s.altitudeAfterSet = afterSet;
    s.altitudeAfter = after;
  }
  if (!disableSpeeds && speedSet) {
    s.speedSet = 1;
    s.speed = m_indicated ? speed : static_cast<int32_t>(TasToIas(speed, m_cruiseAltitude));
  }
  s.flyOver = flyOver ? 1 : 0;
  s.altitudeEnds = disableAltitudes ? 1 : 0;
  s.speedEnds = disableSpeeds ? 1 : 0;
  s.latitude = latitude;
  s.longitude = longitude;
  return s;
}

bool ApplyWaypointSettings(CFlightPlanCore& plan, int row, const WaypointSettings& settings) {
  {
    DatabaseLease lease;
    PlanPoint* point = plan.GetRowPoint(row);
    if (point == nullptr) return false;
    // Marks left by another operation would take the settings too; this dialog edits one point.
    planedit::ClearMarks(plan);
    point->marked = 1;
    point->isNew = 1;
  }
  planedit::SetPointSettings(plan, settings.altitudeAtSet, settings.altitudeAt, settings.speedSet, settings.speed,
                             settings.altitudeAfterSet, settings.altitudeAfter, settings.flyOver,
                             settings.altitudeEnds, settings.speedEnds, settings.latitude, settings.longitude);
  return true;
}

std::optional<ManualWaypointForm> ManualWaypointFormFor(const CFlightPlanCore& plan, int row, bool indicated) {
  DatabaseLease lease;
  const PlanPoint* point = plan.GetRowPoint(row);
  const CRoute* route = plan.GetCurrent();
  if (point == nullptr || route == nullptr) return std::nullopt;
  return ManualWaypointForm(plan.m_rows[static_cast<size_t>(row)].rowKind, *point, route->m_profile, indicated);
}
