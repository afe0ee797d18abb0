#pragma once

// The Manual Waypoint Settings dialog without its window: what it shows for one plan row (texts,
// hints, which controls are hidden, disabled or read-only), what its two disable boxes do, and
// what its fields give the plan on OK. The wx dialog only moves texts in and out.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanDialogForms.h"
#include "plotr/plan/PlanPoint.h"

// The values planedit::SetPointSettings takes, in its order.
struct WaypointSettings {
  int32_t altitudeAtSet = 0;
  int32_t altitudeAt = 0;
  int32_t speedSet = 0;
  int32_t speed = 0;  // knots indicated
  int32_t altitudeAfterSet = 0;
  int32_t altitudeAfter = 0;
  int32_t flyOver = 0;
  int32_t altitudeEnds = 0;
  int32_t speedEnds = 0;
  double latitude = 0;
  double longitude = 0;
};

class ManualWaypointForm {
 public:
  // Control ids the rules name.
  enum : int {
    kIdIndicatedCaption = 8140, kIdTrueCaption = 8141, kIdDisableAltitudes = 8142, kIdCrossing = 8143,
    kIdCrossingHint = 8144, kIdDisableSpeeds = 8145, kIdSpeed = 8146, kIdSpeedHint = 8147, kIdAfter = 8148,
    kIdAfterHint = 8149, kIdFlyOver = 8150, kIdLatitude = 8151, kIdLongitude = 8152,
  };
  // Longest texts the fields take.
  static constexpr size_t kAltitudeLength = 5;
  static constexpr size_t kSpeedLength = 3;

  // `rowKind` is the row's PlanRowKind; `profile` the current route's aircraft; `indicated` the
  // airspeed setting. With indicated airspeeds off, speeds are shown and typed as true
  // airspeeds at the profile's cruise altitude.
  ManualWaypointForm(int32_t rowKind, const PlanPoint& point, const AircraftProfile& profile, bool indicated);

  // Shown once, never changed by the user.
  bool ShowsIndicatedCaption() const { return m_indicated; }
  const std::string& CrossingHint() const { return m_altitudeHint; }
  const std::string& AfterHint() const { return m_altitudeHint; }
  const std::string& SpeedHint() const { return m_speedHint; }
  bool PositionReadOnly() const { return !m_userPoint; }
  // Whether a control with an id above takes input now.
  bool Enabled(int id) const;

  // What the fields hold; the dialog moves them in before the rules below run.
  std::string crossingText;
  std::string afterText;
  std::string speedText;
  bool flyOver = false;
  bool disableAltitudes = false;
  bool disableSpeeds = false;
  double latitude = 0;
  double longitude = 0;

  // The two boxes: a checked one empties and disables its field; unchecking enables it again
  // (the after-altitude never on the destination row).
  void SetDisableAltitudes(bool checked);
  void SetDisableSpeeds(bool checked);

  // For OK: the settings, or the field to go back to with its message. Fields take digits only
  // and at most their length; an empty field is a value not set.
  std::variant<WaypointSettings, FieldError> Accept() const;

 private:
  bool m_indicated;
  bool m_userPoint;
  bool m_departure;
  bool m_destination;
  bool m_afterEnabled;
  bool m_speedEnabled;
  int32_t m_cruiseAltitude;
  std::string m_altitudeHint;
  std::string m_speedHint;
};

// The form for `row` of the plan with the current route's aircraft; nothing when the row has no
// waypoint.
std::optional<ManualWaypointForm> ManualWaypointFormFor(const CFlightPlanCore& plan, int row, bool indicated);

// OK on the dialog, without the window: `row`'s waypoint alone is marked (with its new-point
// byte) and takes the settings as one undo step. False, with the plan unchanged, when the row
// has no waypoint.
bool ApplyWaypointSettings(CFlightPlanCore& plan, int row, const WaypointSettings& settings);
