#include "plotr/sim/SimBlock.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/Units.h"

CSimBlock g_SimBlock(&g_Settings);

namespace {

using namespace simapi;

constexpr double kPi = 3.14159265358979323846;

// Read on every exchange in this order; 119 is read and not used.
constexpr uint32_t kReadOrder[CSimBlock::kHostVariableCount] = {
    336, 3, 4, 5, 6, 7, 8, 9, 64, 60, 82, 61, 65, 17, 16, 18, 23, 24, 27, 38,
    71, 72, 73, 74, 77, 79, 86, 87, 97, 98, 101, 103, 104, 105, 45, 54, 106, 107, 108, 109,
    110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 123, 124, 341, 343, 344, 848, 317, 318};

struct NamedVariableDef {
  const char* name;
  uint32_t type;
  size_t offset;
};

#define CW_NAMED(name, type, member) {name, type, offsetof(NamedVariableStorage, member)}
// Registered in this order; gauges written against the module know these names.
const NamedVariableDef kNamedVariables[CSimBlock::kNamedVariableCount] = {
    CW_NAMED("CHARTWRIGHT_VERSION", kTypeFloat64, version),
    CW_NAMED("CHARTWRIGHT_FMC_MODE2", kTypeFlag, fmcMode2),
    CW_NAMED("CHARTWRIGHT_FLY_TO_POSSIBLE", kTypeFlag, flyToPossible),
    CW_NAMED("CHARTWRIGHT_FLY_TO", kTypeFlag, flyTo),
    CW_NAMED("CHARTWRIGHT_FLY_FP_POSSIBLE", kTypeFlag, flyPlanPossible),
    CW_NAMED("CHARTWRIGHT_FLY_FP", kTypeFlag, flyPlan),
    CW_NAMED("CHARTWRIGHT_FLY_HOLDING_POSSIBLE", kTypeFlag, holdingPossible),
    CW_NAMED("CHARTWRIGHT_FLY_HOLDING", kTypeInt32, holdingState),
    CW_NAMED("CHARTWRIGHT_FMS_DATA", kTypeBlock, fmsData),
    CW_NAMED("CHARTWRIGHT_FMS_WAYPOINT1", kTypeBlock, fmsWaypoints[0]),
    CW_NAMED("CHARTWRIGHT_FMS_WAYPOINT2", kTypeBlock, fmsWaypoints[1]),
    CW_NAMED("CHARTWRIGHT_FMS_WAYPOINT3", kTypeBlock, fmsWaypoints[2]),
    CW_NAMED("CHARTWRIGHT_HSI_DATA", kTypeBlock, hsiData),
    CW_NAMED("CHARTWRIGHT_FMC_MODE1_ON", kTypeFlag, fmcMode1On),
    CW_NAMED("CHARTWRIGHT_FMC_MODE2_ON", kTypeFlag, fmcMode2On),
    CW_NAMED("CHARTWRIGHT_FMC_MODE_TOGGLE", kTypeFlag, fmcModeToggle),
    CW_NAMED("CHARTWRIGHT_FLY_TO_LATITUDE", kTypeFloat64, flyToLatitude),
    CW_NAMED("CHARTWRIGHT_FLY_TO_LONGITUDE", kTypeFloat64, flyToLongitude),
    CW_NAMED("CHARTWRIGHT_FLY_TO_ON", kTypeFlag, flyToOn),
    CW_NAMED("CHARTWRIGHT_FLY_TO_OFF", kTypeFlag, flyToOff),
    CW_NAMED("CHARTWRIGHT_FLY_TO_TOGGLE", kTypeFlag, flyToToggle),
    CW_NAMED("CHARTWRIGHT_FLY_FP_WP", kTypeSignedInt32, flyPlanWaypoint),
    CW_NAMED("CHARTWRIGHT_FLY_FP_ON", kTypeFlag, flyPlanOn),
    CW_NAMED("CHARTWRIGHT_FLY_FP_OFF", kTypeFlag, flyPlanOff),
    CW_NAMED("CHARTWRIGHT_FLY_FP_TOGGLE", kTypeFlag, flyPlanToggle),
    CW_NAMED("CHARTWRIGHT_NEXT_WAYPOINT", kTypeFlag, nextWaypoint),
    CW_NAMED("CHARTWRIGHT_PREV_WAYPOINT", kTypeFlag, prevWaypoint),
    CW_NAMED("CHARTWRIGHT_FLY_HOLDING_ON", kTypeFlag, holdingOn),
    CW_NAMED("CHARTWRIGHT_FLY_HOLDING_OFF", kTypeFlag, holdingOff),
    CW_NAMED("CHARTWRIGHT_FLY_HOLDING_TOGGLE", kTypeFlag, holdingToggle),
};
#undef CW_NAMED

double ParseVersion(const char* text) {
  double v = 0;
  std::from_chars(text, text + std::strlen(text), v);
  return v;
}

}  // namespace

uint32_t EncodeBcdFrequency(uint32_t value) { return simapi::PackBcd(value); }

CSimBlock::CSimBlock(CSettings* settings) : m_settings(settings) {}

CSimBlock::~CSimBlock() = default;

const simapi::Services* CSimBlock::Services() const {
  return m_importTable != nullptr ? m_importTable->services : nullptr;
}

int CSimBlock::SendSimEvent(uint32_t id, uint32_t value) {
  const simapi::Services* s = Services();
  if (id < simapi::kFirstEvent || s == nullptr || s->sendEvent == nullptr) return -1;
  return s->sendEvent(s->context, id, value);
}

void* CSimBlock::LookupNamedVariable(const char* name) {
  const simapi::Services* s = Services();
  if (s == nullptr || s->lookupNamedVariable == nullptr) return nullptr;
  simapi::HostVariable record;
  s->lookupNamedVariable(s->context, &record, name);
  return record.storage;
}

bool CSimBlock::WriteSimGlobal(int offset, uint16_t count, const void* source) {
  const simapi::Services* s = Services();
  if (offset < 0 || source == nullptr || s == nullptr || s->initVariable == nullptr ||
      s->writeGlobal == nullptr)
    return false;
  simapi::HostVariable block;
  block.id = simapi::kVarGlobalBlock;
  s->initVariable(s->context, &block);
  void* base = block.storage;
  if (base == simapi::kStorageByRead) base = s->readVariable ? s->readVariable(s->context, &block) : nullptr;
  if (base == nullptr) return false;
  // The host knows where its block ends, so it does the copy and checks the range.
  return s->writeGlobal(s->context, static_cast<uint32_t>(offset), count, source);
}

void CSimBlock::RegisterAll(const simapi::Services& s) {
  auto* base = reinterpret_cast<unsigned char*>(&m_named);
  for (const NamedVariableDef& def : kNamedVariables)
    s.registerNamedVariable(s.context, base + def.offset, def.type, def.name);
}

void CSimBlock::Exchange(uint32_t tick) {
  if (tick % 5 != 1) return;
  const simapi::Services* s = Services();
  if (s == nullptr || !s->registerNamedVariable || !s->initVariable || !s->lookupNamedVariable ||
      !s->readVariable)
    return;

  if (m_firstExchange) m_named.version = ParseVersion(kModuleVersionText);

  simapi::HostVariable lookup;
  s->lookupNamedVariable(s->context, &lookup, kNamedVariables[0].name);
  if (lookup.storage == nullptr) RegisterAll(*s);

  for (int i = 0; i < kHostVariableCount; ++i) {
    if (m_firstExchange) {
      m_host[i] = simapi::HostVariable{};
      m_host[i].id = kReadOrder[i];
      s->initVariable(s->context, &m_host[i]);
    }
    s->readVariable(s->context, &m_host[i]);
  }
  m_firstExchange = false;

  const SimSnapshot next = BuildSnapshot();
  if (m_messageTarget != nullptr) {
    if (next.windSpeed != m_snapshot.windSpeed || next.windDirection != m_snapshot.windDirection)
      m_messageTarget->Post({WM_APP_WIND_CHANGED, 0, 0});
    if (!Compare(next)) m_messageTarget->Post({WM_APP_SIMDATA_CHANGED, 0, 0});
  }
  m_snapshot = next;
}

SimSnapshot CSimBlock::BuildSnapshot() const {
  const auto record = [this](uint32_t id) -> const simapi::HostVariable& {
    for (int i = 0; i < kHostVariableCount; ++i)
      if (kReadOrder[i] == id) return m_host[i];
    return m_host[0];  // every id asked for below is in the read order
  };
  const auto value = [&](uint32_t id) { return record(id).AsDouble(); };
  const auto flag = [&](uint32_t id) { return value(id) != 0; };
  const auto bcd = [&](uint32_t id) { return record(id).AsU32(); };

  const int simVer = m_settings != nullptr ? m_settings->GetSimVer() : 61;
  const bool hostIsIndicated = m_settings != nullptr && m_settings->GetUseIndicatedAirSpeed(false);

  SimSnapshot n{};
  const NamedVariableStorage& v = m_named;
  n.fmcMode2 = v.fmcMode2 != 0;
  n.flyToPossible = v.flyToPossible != 0;
  n.flyTo = v.flyTo != 0;
  n.flyPlanPossible = v.flyPlanPossible != 0;
  n.flyPlan = v.flyPlan != 0;
  n.holdingPossible = v.holdingPossible != 0;
  n.holdingState = v.holdingState;
  std::memcpy(n.fmsData, v.fmsData, sizeof n.fmsData);
  std::memcpy(n.fmsWaypoints, v.fmsWaypoints, sizeof n.fmsWaypoints);
  std::memcpy(n.hsiData, v.hsiData, sizeof n.hsiData);
  n.fmcMode1On = v.fmcMode1On != 0;
  n.fmcMode2On = v.fmcMode2On != 0;
  n.fmcModeToggle = v.fmcModeToggle != 0;
  n.flyToLatitude = v.flyToLatitude;
  n.flyToLongitude = v.flyToLongitude;
  n.flyToOn = v.flyToOn != 0;
  n.flyToOff = v.flyToOff != 0;
  n.flyToToggle = v.flyToToggle != 0;
  n.flyPlanWaypoint = v.flyPlanWaypoint;
  n.flyPlanOn = v.flyPlanOn != 0;
  n.flyPlanOff = v.flyPlanOff != 0;
  n.flyPlanToggle = v.flyPlanToggle != 0;
  n.nextWaypoint = v.nextWaypoint != 0;
  n.prevWaypoint = v.prevWaypoint != 0;
  n.holdingOn = v.holdingOn != 0;
  n.holdingOff = v.holdingOff != 0;
  n.holdingToggle = v.holdingToggle != 0;

  n.simulationRate = value(kVarSimulationRate);
  n.localSecond = static_cast<uint8_t>(value(kVarSecond));
  n.localMinute = static_cast<uint8_t>(value(kVarLocalMinute));
  n.localHour = static_cast<uint8_t>(value(kVarLocalHour));
  n.utcSecond = n.localSecond;
  n.utcMinute = static_cast<uint8_t>(value(kVarUtcMinute));
  n.utcHour = static_cast<uint8_t>(value(kVarUtcHour));
  n.utcDay = static_cast<uint16_t>(value(kVarUtcDay));
  n.utcYear = static_cast<uint16_t>(value(kVarUtcYear));
  n.onGround = flag(kVarOnGround);
  double variation = value(kVarMagneticVariation);
  if (variation > 180) variation -= 360;
  n.magneticVariation = -variation;
  n.airspeedRead = value(kVarAirspeed);
  n.rate64 = value(kVarRate64) * 3.2 / 65536;
  n.verticalSpeed = value(kVarVerticalSpeed) / 256 * 60 * kFeetPerMetre;

  n.adfExtended = flag(kVarAdfExtended);
  uint32_t adf = bcd(kVarAdf) << 4;
  if (n.adfExtended) {
    const uint32_t extra = bcd(kVarAdfExtra);
    adf |= (extra & 0xF) | ((extra & 0xF00) << 8);
  }
  n.adf = DecodeBcd8(adf);
  n.com = DecodeBcd8(bcd(kVarCom)) + 10000;
  n.nav1 = DecodeBcd8(bcd(kVarNav1)) + 10000;
  n.nav2 = DecodeBcd8(bcd(kVarNav2)) + 10000;
  n.transponder = DecodeBcd8(bcd(kVarTransponder));

  n.latitude = value(kVarLatitude) / kEarthCircumferenceMetres * 360;
  n.longitude = value(kVarLongitude) / kLongitudeUnitsPerTurn * 360;
  if (n.longitude > 180) n.longitude -= 360;
  n.altitude = value(kVarAltitude) * kFeetPerMetre;
  n.indicatedAltitude = value(kVarIndicatedAltitude);
  n.pitch = value(kVarPitch);
  n.bank = value(kVarBank);
  n.trueHeading = value(kVarTrueHeading);

  if (hostIsIndicated) {
    n.trueAirspeed = IasToTas(n.airspeedRead, n.altitude);
    n.indicatedAirspeed = n.airspeedRead;
  } else {
    n.trueAirspeed = n.airspeedRead;
    n.indicatedAirspeed = TasToIas(n.airspeedRead, n.altitude);
  }

  n.autopilotAvailable = flag(kVarAutopilotAvailable);
  n.nav1Available = flag(kVarNav1Available);
  n.nav2Available = flag(kVarNav2Available);
  n.nav2CourseSettable = flag(kVarNav2CourseSettable);
  n.autopilotMaster = flag(kVarAutopilotMaster);
  n.flag104 = flag(kVarFlag104);
  n.nav1Hold = flag(kVarNav1Hold);
  n.nav1Course = value(kVarNav1Course);
  n.nav2Course = value(kVarNav2Course);
  n.headingHold = flag(kVarHeadingHold);
  n.selectedHeading = value(kVarSelectedHeading);
  n.altitudeHold = flag(kVarAltitudeHold);
  n.selectedAltitude = value(kVarSelectedAltitude);
  n.flag110 = flag(kVarFlag110);
  n.approachHold = flag(kVarApproachHold);
  n.flag112 = flag(kVarFlag112);
  n.backCourseHold = flag(kVarBackCourseHold);
  n.flag114 = flag(kVarFlag114);
  n.airspeedHold = flag(kVarAirspeedHold);
  n.selectedAirspeed = value(kVarSelectedAirspeed);
  n.machHold = flag(kVarMachHold);
  n.selectedMach = value(kVarSelectedMach);
  n.selectedVerticalSpeed = value(kVarSelectedVerticalSpeed);
  n.autothrottleArmed = flag(kVarAutothrottleArmed);
  n.flag124 = flag(kVarFlag124);
  n.outsideTemperature = value(kVarOutsideTemperature);
  // That host generation reports half the wind speed.
  n.windSpeed = value(kVarWindSpeed) * (simVer == 70 ? 2 : 1);
  n.windDirection = std::fmod(value(kVarWindDirection) + 360, 360);
  n.navSource = flag(kVarNavSource);
  n.value317 = static_cast<int32_t>(-value(kVarValue317));
  n.value318 = static_cast<int32_t>(value(kVarValue318));

  // Ground vector: the air vector plus the wind, which blows towards its direction + 180.
  const double h = n.trueHeading * kPi / 180;
  const double d = std::fmod(value(kVarWindDirection) + 180, 360) * kPi / 180;
  const double east = std::sin(h) * n.trueAirspeed + std::sin(d) * n.windSpeed;
  const double north = std::cos(h) * n.trueAirspeed + std::cos(d) * n.windSpeed;
  n.groundSpeed = std::sqrt(east * east + north * north);
  n.track = n.groundSpeed < std::sqrt(1e-10) ? n.trueHeading
                                             : std::fmod(std::atan2(east, north) * 180 / kPi + 360, 360);
  return n;
}

bool CSimBlock::Compare(const SimSnapshot& other) const { return Compare(m_snapshot, other); }

bool CSimBlock::Compare(const SimSnapshot& a, const SimSnapshot& b) {
  return a.adfExtended == b.adfExtended && a.adf == b.adf && a.com == b.com && a.nav1 == b.nav1 &&
         a.nav2 == b.nav2 && a.transponder == b.transponder &&
         a.magneticVariation == b.magneticVariation && a.airspeedRead == b.airspeedRead &&
         a.trueAirspeed == b.trueAirspeed && a.indicatedAirspeed == b.indicatedAirspeed &&
         a.groundSpeed == b.groundSpeed && a.rate64 == b.rate64 &&
         a.verticalSpeed == b.verticalSpeed && a.track == b.track && a.trueHeading == b.trueHeading &&
         a.indicatedAltitude == b.indicatedAltitude &&
         a.autopilotAvailable == b.autopilotAvailable && a.nav1Available == b.nav1Available &&
         a.nav2Available == b.nav2Available && a.nav2CourseSettable == b.nav2CourseSettable &&
         a.autopilotMaster == b.autopilotMaster && a.flag104 == b.flag104 &&
         a.nav1Hold == b.nav1Hold && a.nav1Course == b.nav1Course && a.nav2Course == b.nav2Course &&
         a.headingHold == b.headingHold && a.selectedHeading == b.selectedHeading &&
         a.altitudeHold == b.altitudeHold && a.selectedAltitude == b.selectedAltitude &&
         a.flag110 == b.flag110 && a.approachHold == b.approachHold && a.flag112 == b.flag112 &&
         a.backCourseHold == b.backCourseHold && a.flag114 == b.flag114 &&
         a.airspeedHold == b.airspeedHold && a.selectedAirspeed == b.selectedAirspeed &&
         a.machHold == b.machHold && a.selectedMach == b.selectedMach &&
         a.selectedVerticalSpeed == b.selectedVerticalSpeed &&
         a.autothrottleArmed == b.autothrottleArmed && a.flag124 == b.flag124 &&
         a.outsideTemperature == b.outsideTemperature;
}
