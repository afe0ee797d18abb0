#pragma once

// The waypoint list of a plan as the user placed it, with the user's own fixes and their
// names, the cruise settings and the aircraft profile. Every undo snapshot is one CRoute; every
// plan edit copies the current one, changes the copy and pushes it.

#include <cstdint>
#include <string>
#include <vector>

#include "navdb/NavPoint.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/FixNameMap.h"
#include "plotr/plan/PlanPoint.h"
#include "plotr/plan/SimSnapshot.h"

namespace archive { class File; }
struct FlpxPlanInfo;
class IToolDialogs;

#pragma pack(push, 1)
// Cruise speed (knots) and two cruise altitudes (feet); stored as it stands in plan files.
struct RouteCruise {
  int32_t speed = 0;
  int32_t altitude1 = 0;
  int32_t altitude2 = 0;
};
#pragma pack(pop)
static_assert(sizeof(RouteCruise) == 12);

// Format numbers of plan files.
inline constexpr uint16_t kPlanFormatCurrent = 105;

// Kind masks of the position searches: the low 16 bits select kinds (and tables), the high
// 16 bits filter airspace classes, and this bit asks for airport parking positions.
inline constexpr int32_t kSearchParkings = 0x10000000;
// Every airspace class in the high 16 bits (one of them shares kSearchParkings's bit, which
// matters only where the mask also selects airports).
inline constexpr int32_t kSearchAllAirspaceClasses = 0x3FFF0000;

// Radius within which a plan point finds its object again after a database change.
inline constexpr double kRevalidateRadius = 20000.0;
// Radius of the search for the airport an object belongs to.
inline constexpr double kAirportOfRadius = 9260.0;

class CRoute {
 public:
  // Empty, with the process's current aircraft profile and its cruise speed and altitude
  // (the first route of a process seeds "Aircraft.ini").
  CRoute();

  int GetCount() const { return static_cast<int>(m_points.size()); }
  PlanPoint& operator[](int i) { return m_points[static_cast<size_t>(i)]; }
  const PlanPoint& operator[](int i) const { return m_points[static_cast<size_t>(i)]; }

  void Clear(uint16_t& format);
  bool Contains(const NavPoint& key) const;
  static void MakeUserPoint(NavPoint& key, double latitude, double longitude);
  int Revalidate();
  void SetPoint(int index, const PlanPoint& value);
  int AddPoint(PlanPoint value);
  void InsertPoint(int index, PlanPoint value);
  void RemovePoint(int index);
  double GetLength() const;
  void NameUserFixes();
  bool LookupUserFixName(uint32_t fixId, FixName& name) const { return m_fixNames.LookupId(fixId, name); }

  // The aircraft and cruise dialogs on this route; false when cancelled.
  bool SelectAircraft(IToolDialogs* dialogs);
  bool SetCruise(IToolDialogs* dialogs);
  int MeanCruiseAltitude() const;

  // Performance on the route's profile (feet, knots, feet per minute, nautical miles).
  double ClimbSpeedAt(double altitude, int speed) const;
  double DescentSpeedAt(double altitude, int speed, double distance) const;
  double ApproachSpeedAt(double altitude, int speed, double distance) const;
  double ClimbRateAt(double altitude, bool halve) const;
  double DescentRateAt(double altitude, double distance) const;
  double IntegrateClimb(double altitude, double distance, int speed) const;
  double IntegrateDescent(double altitude, double distance, int speed, double distanceToGo) const;

  // Database access (the caller holds a DatabaseLease).
  bool Resolve(FullPoint& out, const NavPoint& key) const;
  bool FindObjects(std::vector<FullPoint>& out, double& radius, double latitude, double longitude, int32_t kinds,
                   bool sorted, bool onlyInRoute) const;
  bool FindObject(FullPoint& out, double& radius, double latitude, double longitude, int32_t kinds, bool sorted,
                  bool onlyInRoute = false) const;
  bool FindAirportOf(FullPoint& out, const NavPoint& key) const;
  double MagneticVariation(double latitude, double longitude) const;
  // The object's description (PointInfoText.h): empties `out`, fills it and returns true; false
  // with an empty text for an object without one. The fly-to lines measure from `sim`'s aircraft.
  bool AirportInfoText(std::string& out, const FullPoint& object, const SimSnapshot& sim) const;

  // The plan file image ("*.cwp"). Save writes version 103 when `format` is 103, else 105; the
  // title names the departure, arrival and aircraft of `info`. Load fills this route from any
  // version 100 to 105 and returns the number of waypoints the database no longer holds (they
  // are dropped); a damaged file throws archive::ArchiveException (badIndex, the file's name)
  // before the route is touched. Load takes a DatabaseLease for its lookups.
  void Save(archive::File& file, const FlpxPlanInfo& info, uint16_t format) const;
  int Load(uint16_t& format, archive::File& file);

  // The embedded profile's cap (AircraftProfile.h).
  int CruiseAltitudeCap() const { return ::CruiseAltitudeCap(m_profile); }

  std::vector<PlanPoint> m_points;
  std::vector<NavPoint> m_userFixes;
  CFixNameMap m_fixNames;
  RouteCruise m_cruise;
  AircraftProfile m_profile;

 private:
  bool FixIdInUse(uint32_t id) const;
  void SetCruiseFromProfile();
};
