#pragma once
// Plotr's one link to the running simulator: the named variables it shares with gauges, the
// host variables it reads, the snapshot everything else reads, and the events it sends.

#include <cstdint>

#include "platform/simapi/SimApi.h"
#include "platform/ui/Messages.h"

class CSettings;

// Posted to the main frame after an exchange.
inline constexpr uint32_t WM_APP_WIND_CHANGED = 0x8200;
inline constexpr uint32_t WM_APP_SIMDATA_CHANGED = 0x8201;

// The module's version, published to gauges as CHARTWRIGHT_VERSION.
inline constexpr const char* kModuleVersionText = "4.70";

// Storage of the named variables; the host hands these addresses to every gauge that looks the
// names up, so the layout must not move while the module is loaded.
struct NamedVariableStorage {
  double version;
  int32_t fmcMode2, flyToPossible, flyTo, flyPlanPossible, flyPlan, holdingPossible;
  int32_t holdingState;
  unsigned char fmsData[40];
  unsigned char fmsWaypoints[3][160];
  unsigned char hsiData[45];
  int32_t fmcMode1On, fmcMode2On, fmcModeToggle;
  double flyToLatitude, flyToLongitude;
  int32_t flyToOn, flyToOff, flyToToggle;
  int32_t flyPlanWaypoint;  // -1: the row nearest to the aircraft
  int32_t flyPlanOn, flyPlanOff, flyPlanToggle, nextWaypoint, prevWaypoint;
  int32_t holdingOn, holdingOff, holdingToggle;
};

// Everything Plotr knows about the simulator after an exchange. Value-initialise to zero.
struct SimSnapshot {
  bool fmcMode2, flyToPossible, flyTo, flyPlanPossible, flyPlan, holdingPossible;
  int32_t holdingState;
  unsigned char fmsData[40];
  unsigned char fmsWaypoints[3][160];
  unsigned char hsiData[45];
  bool fmcMode1On, fmcMode2On, fmcModeToggle;
  double flyToLatitude, flyToLongitude;
  bool flyToOn, flyToOff, flyToToggle;
  int32_t flyPlanWaypoint;
  bool flyPlanOn, flyPlanOff, flyPlanToggle, nextWaypoint, prevWaypoint;
  bool holdingOn, holdingOff, holdingToggle;

  double simulationRate;
  uint8_t localSecond, localMinute, localHour;
  uint8_t utcSecond, utcMinute, utcHour;
  uint16_t utcDay, utcYear;
  bool onGround;
  double magneticVariation;  // degrees; magnetic = true + this
  double airspeedRead, trueAirspeed, indicatedAirspeed, groundSpeed;  // knots
  double rate64;
  double verticalSpeed;      // feet per minute
  bool adfExtended;
  int32_t adf;               // tenths of kHz
  int32_t com, nav1, nav2;   // hundredths of MHz
  int32_t transponder;
  double latitude, longitude;  // degrees
  double altitude, indicatedAltitude;  // feet
  double pitch, bank;
  double trueHeading, track;
  bool autopilotAvailable, nav1Available, nav2Available, nav2CourseSettable;
  bool autopilotMaster, flag104, nav1Hold;
  double nav1Course, nav2Course;
  bool headingHold;
  double selectedHeading;
  bool altitudeHold;
  double selectedAltitude;   // feet
  bool flag110, approachHold, flag112, backCourseHold, flag114, airspeedHold;
  double selectedAirspeed;
  bool machHold;
  double selectedMach;
  double selectedVerticalSpeed;
  bool autothrottleArmed, flag124;
  double outsideTemperature;
  double windSpeed, windDirection;
  bool navSource;
  int32_t value317, value318;
};

// The eight least significant decimal digits of value as packed BCD.
uint32_t EncodeBcdFrequency(uint32_t value);

class CSimBlock {
 public:
  static constexpr int kHostVariableCount = 59;
  static constexpr int kNamedVariableCount = 30;

  // Settings are read on every exchange (simulator version, indicated airspeed).
  explicit CSimBlock(CSettings* settings = nullptr);
  virtual ~CSimBlock();
  CSimBlock(const CSimBlock&) = delete;
  CSimBlock& operator=(const CSimBlock&) = delete;

  // The module's ImportTable, whose services the host fills in after loading the module.
  void SetImportTable(const simapi::ImportTable* table) { m_importTable = table; }
  void SetSettings(CSettings* settings) { m_settings = settings; }
  // Where the change messages go (the main frame); none: they are dropped.
  void SetMessageTarget(ui::IMessageTarget* target) { m_messageTarget = target; }

  // Runs on ticks with tick mod 5 == 1.
  void Exchange(uint32_t tick);
  // True when the compared fields of both snapshots are equal.
  bool Compare(const SimSnapshot& other) const;
  static bool Compare(const SimSnapshot& a, const SimSnapshot& b);

  const SimSnapshot& GetSnapshot() const { return m_snapshot; }
  NamedVariableStorage& GetNamedStorage() { return m_named; }

  // Host services. Events below simapi::kFirstEvent are never sent; a non-zero result is a
  // refusal (also when no host is attached).
  int SendSimEvent(uint32_t id, uint32_t value);
  // Storage of a named variable or null when nobody registered it.
  void* LookupNamedVariable(const char* name);
  // Copies into the host's global block; false when there is no block or the range leaves it.
  bool WriteSimGlobal(int offset, uint16_t count, const void* source);

 private:
  const simapi::Services* Services() const;
  void RegisterAll(const simapi::Services& s);
  SimSnapshot BuildSnapshot() const;

  NamedVariableStorage m_named{};
  SimSnapshot m_snapshot{};
  bool m_firstExchange = true;
  simapi::HostVariable m_host[kHostVariableCount];

  const simapi::ImportTable* m_importTable = nullptr;
  CSettings* m_settings = nullptr;
  ui::IMessageTarget* m_messageTarget = nullptr;
};

extern CSimBlock g_SimBlock;
