#include "simhost/HostCore.h"

#include "simhost/MultiplayerHost.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace simhost {
namespace {

constexpr double kFeetPerMetre = 3.28083989501312;
constexpr double kTwoPow32 = 4294967296.0;
constexpr double kLongitudeUnitsPerDegree = 1073741824.0 / 90.0;  // 2^30 per 90 degrees

std::array<unsigned char, 8> FromDouble(double d) {
  std::array<unsigned char, 8> v{};
  std::memcpy(v.data(), &d, sizeof d);
  return v;
}

std::array<unsigned char, 8> FromU32(uint32_t u) {
  std::array<unsigned char, 8> v{};
  std::memcpy(v.data(), &u, sizeof u);
  return v;
}

uint32_t UnpackBcd(uint32_t bcd) {
  uint32_t value = 0;
  for (int shift = 28; shift >= 0; shift -= 4) value = value * 10 + ((bcd >> shift) & 0xF) % 10;
  return value;
}

double Wrap360(double d) {
  d = std::fmod(d, 360.0);
  return d < 0 ? d + 360.0 : d;
}

// 64-bit fixed point in two 32-bit halves: whole units high, 2^-32 fractions low.
void PutFixed(unsigned char* at, double v) {
  const double whole = std::floor(v);
  const auto high = static_cast<int32_t>(static_cast<int64_t>(whole));
  const auto low = static_cast<uint32_t>((v - whole) * kTwoPow32);
  std::memcpy(at, &low, 4);
  std::memcpy(at + 4, &high, 4);
}

double GetFixed(const unsigned char* at) {
  uint32_t low;
  int32_t high;
  std::memcpy(&low, at, 4);
  std::memcpy(&high, at + 4, 4);
  return high + low / kTwoPow32;
}

template <auto Method, typename R, typename... A>
R Thunk(void* context, A... args) {
  return (static_cast<HostCore*>(context)->*Method)(args...);
}

}  // namespace

void HostCore::GlobalBlockDeleter::operator()(unsigned char* p) const {
  ::operator delete[](p, std::align_val_t{simapi::kGlobalBlockAlignment});
}

HostCore::HostCore(int simVersion, const AircraftStart& start, double timeScale)
    : m_simVersion(simVersion),
      m_aircraft(start),
      m_global(static_cast<unsigned char*>(
          ::operator new[](simapi::kGlobalBlockSize, std::align_val_t{simapi::kGlobalBlockAlignment}))) {
  m_aircraft.simulationRate = timeScale;
  std::memset(m_global.get(), 0, simapi::kGlobalBlockSize);
  m_services.context = this;
  m_services.sendEvent = &Thunk<&HostCore::SendEvent, int, uint32_t, uint32_t>;
  m_services.registerNamedVariable =
      &Thunk<&HostCore::RegisterNamedVariable, void, void*, uint32_t, const char*>;
  m_services.initVariable = &Thunk<&HostCore::InitVariable, void, simapi::HostVariable*>;
  m_services.lookupNamedVariable =
      &Thunk<&HostCore::LookupNamedVariable, void, simapi::HostVariable*, const char*>;
  m_services.readVariable = &Thunk<&HostCore::ReadVariable, void*, simapi::HostVariable*>;
  m_services.writeGlobal = &Thunk<&HostCore::WriteGlobal, bool, uint32_t, uint16_t, const void*>;
  SyncGlobalPosition();
}

HostCore::~HostCore() = default;

void HostCore::Step(double seconds) {
  m_aircraft.Advance(seconds);
  SyncGlobalPosition();
  if (m_multiplayer != nullptr) m_multiplayer->Step(m_aircraft, seconds);
}

void* HostCore::FindNamedVariable(const std::string& name) const {
  const auto it = m_named.find(name);
  return it == m_named.end() ? nullptr : it->second.storage;
}

void HostCore::RegisterNamedVariable(void* storage, uint32_t type, const char* name) {
  if (storage == nullptr || name == nullptr || *name == '\0') return;
  // The first registration keeps the name: gauges already hold its storage address.
  const auto [it, added] = m_named.emplace(name, NamedVariable{storage, type});
  if (added) m_namedOrder.push_back(it->first);
}

void HostCore::LookupNamedVariable(simapi::HostVariable* variable, const char* name) const {
  if (variable == nullptr) return;
  variable->storage = name == nullptr ? nullptr : FindNamedVariable(name);
  variable->hostData = 0;
}

bool HostCore::IsKnownVariable(uint32_t id) const {
  using namespace simapi;
  switch (id) {
    case kVarGlobalBlock:
    case kVarLocalHour: case kVarLocalMinute: case kVarSecond: case kVarUtcHour: case kVarUtcMinute:
    case kVarUtcDay: case kVarUtcYear: case kVarAdf: case kVarAdfExtended: case kVarAdfExtra:
    case kVarCom: case kVarNav1: case kVarNav2: case kVarTransponder: case kVarNav1Course:
    case kVarNav2Course: case kVarOnGround: case kVarAirspeed: case kVarRate64:
    case kVarVerticalSpeed: case kVarLatitude: case kVarLongitude: case kVarAltitude:
    case kVarIndicatedAltitude: case kVarPitch: case kVarBank: case kVarMagneticVariation:
    case kVarTrueHeading: case kVarAutopilotAvailable: case kVarNav1Available:
    case kVarNav2Available: case kVarNav2CourseSettable: case kVarAutopilotMaster:
    case kVarFlag104: case kVarNav1Hold: case kVarHeadingHold: case kVarSelectedHeading:
    case kVarAltitudeHold: case kVarSelectedAltitude: case kVarFlag110: case kVarApproachHold:
    case kVarFlag112: case kVarBackCourseHold: case kVarFlag114: case kVarAirspeedHold:
    case kVarSelectedAirspeed: case kVarMachHold: case kVarSelectedMach: case kVarVar119:
    case kVarSelectedVerticalSpeed: case kVarAutothrottleArmed: case kVarFlag124:
    case kVarValue317: case kVarValue318: case kVarSimulationRate: case kVarOutsideTemperature:
    case kVarWindSpeed: case kVarWindDirection: case kVarNavSource:
      return true;
    default:
      return false;
  }
}

void HostCore::InitVariable(simapi::HostVariable* variable) {
  if (variable == nullptr) return;
  const uint32_t id = variable->id;
  variable->hostData = 0;
  variable->hostExtra = 0;
  std::memset(variable->value, 0, sizeof variable->value);
  if (id == simapi::kVarGlobalBlock) {
    variable->storage = m_global.get();
    variable->hostData = simapi::kGlobalBlockSize;
    return;
  }
  if (!IsKnownVariable(id)) {
    variable->storage = nullptr;
    return;
  }
  auto& slot = m_slots[id];
  slot = ValueOf(id);
  variable->storage = slot.data();
  std::memcpy(variable->value, slot.data(), slot.size());
}

void* HostCore::ReadVariable(simapi::HostVariable* variable) {
  if (variable == nullptr || variable->storage == nullptr) return nullptr;
  if (variable->id == simapi::kVarGlobalBlock) return m_global.get();
  const auto it = m_slots.find(variable->id);
  if (it == m_slots.end()) return nullptr;
  it->second = ValueOf(variable->id);
  std::memcpy(variable->value, it->second.data(), it->second.size());
  return it->second.data();
}

std::array<unsigned char, 8> HostCore::ValueOf(uint32_t id) const {
  using namespace simapi;
  const Aircraft& a = m_aircraft;
  const AutopilotState& ap = a.autopilot;
  const Radios& r = a.radios;
  const auto utcSeconds = static_cast<int>(a.secondsOfDay);
  const int localSeconds = ((utcSeconds + a.utcOffsetHours * 3600) % 86400 + 86400) % 86400;
  const auto flag = [](bool b) { return FromDouble(b ? 1.0 : 0.0); };
  switch (id) {
    case kVarLocalHour: return FromDouble(localSeconds / 3600);
    case kVarLocalMinute: return FromDouble(localSeconds / 60 % 60);
    case kVarSecond: return FromDouble(localSeconds % 60);
    case kVarUtcHour: return FromDouble(utcSeconds / 3600);
    case kVarUtcMinute: return FromDouble(utcSeconds / 60 % 60);
    case kVarUtcDay: return FromDouble(a.utcDay);
    case kVarUtcYear: return FromDouble(a.utcYear);
    case kVarAdf: return FromU32(simapi::PackBcd(static_cast<uint32_t>(r.adf / 10 % 1000)));
    case kVarAdfExtended: return flag(true);
    case kVarAdfExtra:
      return FromU32(static_cast<uint32_t>(r.adf % 10) | (static_cast<uint32_t>(r.adf / 10000 % 10) << 8));
    case kVarCom: return FromU32(simapi::PackBcd(static_cast<uint32_t>(r.com - 10000)));
    case kVarNav1: return FromU32(simapi::PackBcd(static_cast<uint32_t>(r.nav1 - 10000)));
    case kVarNav2: return FromU32(simapi::PackBcd(static_cast<uint32_t>(r.nav2 - 10000)));
    case kVarTransponder: return FromU32(simapi::PackBcd(static_cast<uint32_t>(r.transponder)));
    case kVarNav1Course: return FromDouble(r.nav1Course);
    case kVarNav2Course: return FromDouble(r.nav2Course);
    case kVarOnGround: return flag(a.onGround);
    case kVarAirspeed: return FromDouble(a.airspeed);
    case kVarVerticalSpeed: return FromDouble(a.verticalSpeed / 60.0 / kFeetPerMetre * 256.0);
    case kVarLatitude: return FromDouble(a.latitude / 360.0 * kEarthCircumferenceMetres);
    case kVarLongitude: {
      const double lon = a.longitude < 0 ? a.longitude + 360.0 : a.longitude;
      return FromDouble(lon / 360.0 * kLongitudeUnitsPerTurn);
    }
    case kVarAltitude: return FromDouble(a.altitude);
    case kVarIndicatedAltitude: return FromDouble(a.altitude * kFeetPerMetre);
    case kVarPitch: return FromDouble(a.pitch);
    case kVarBank: return FromDouble(a.bank);
    case kVarMagneticVariation: return FromDouble(Wrap360(a.magneticVariation));
    case kVarTrueHeading: return FromDouble(a.heading);
    case kVarAutopilotAvailable: return flag(ap.available);
    case kVarNav1Available: case kVarNav2Available: case kVarNav2CourseSettable: return flag(true);
    case kVarAutopilotMaster: return flag(ap.master);
    case kVarNav1Hold: return flag(ap.nav1Hold);
    case kVarHeadingHold: return flag(ap.headingHold);
    case kVarSelectedHeading: return FromDouble(ap.selectedHeading);
    case kVarAltitudeHold: return flag(ap.altitudeHold);
    case kVarSelectedAltitude: return FromDouble(ap.selectedAltitude);
    case kVarApproachHold: return flag(ap.approachHold);
    case kVarBackCourseHold: return flag(ap.backCourseHold);
    case kVarAirspeedHold: return flag(ap.airspeedHold);
    case kVarSelectedAirspeed: return FromDouble(ap.selectedAirspeed);
    case kVarMachHold: return flag(ap.machHold);
    case kVarSelectedMach: return FromDouble(ap.selectedMach);
    case kVarSelectedVerticalSpeed: return FromDouble(ap.selectedVerticalSpeed);
    case kVarAutothrottleArmed: return flag(ap.autothrottleArmed);
    case kVarSimulationRate: return FromDouble(a.simulationRate);
    case kVarOutsideTemperature: return FromDouble(a.outsideTemperature);
    // The oldest host generation but one reports half the wind speed.
    case kVarWindSpeed: return FromDouble(m_simVersion == 70 ? a.windSpeed / 2 : a.windSpeed);
    case kVarWindDirection: return FromDouble(a.windDirection);
    case kVarNavSource: return flag(ap.navSource);
    default: return FromDouble(0);
  }
}

void HostCore::StepAdfDigit(int divisor) {
  int& adf = m_aircraft.radios.adf;
  const int digit = adf / divisor % 10;
  adf += (digit == 9 ? -9 : 1) * divisor;
}

int HostCore::SendEvent(uint32_t id, uint32_t value) {
  using namespace simapi;
  if (id < kFirstEvent) return 1;
  m_events.push_back({id, value});
  if (const auto answer = m_answers.find(id); answer != m_answers.end() && answer->second != EventAnswer::kApply)
    return answer->second == EventAnswer::kRefuse ? 1 : 0;
  AutopilotState& ap = m_aircraft.autopilot;
  Radios& r = m_aircraft.radios;
  const auto signedValue = static_cast<int32_t>(value);
  switch (id) {
    case kEventAutopilotMaster: ap.master = !ap.master; break;
    case kEventHeadingHold: ap.headingHold = !ap.headingHold; break;
    case kEventAltitudeHold: ap.altitudeHold = !ap.altitudeHold; break;
    case kEventAutothrottleArm: ap.autothrottleArmed = !ap.autothrottleArmed; break;
    case kEventAirspeedHold: ap.airspeedHold = !ap.airspeedHold; break;
    case kEventMachHold: ap.machHold = !ap.machHold; break;
    case kEventNav1Hold: ap.nav1Hold = !ap.nav1Hold; break;
    case kEventApproachHold: ap.approachHold = !ap.approachHold; break;
    case kEventBackCourseHold: ap.backCourseHold = !ap.backCourseHold; break;
    case kEventNavSourceOff: ap.navSource = false; break;
    case kEventSelectHeading: ap.selectedHeading = Wrap360(signedValue); break;
    case kEventSelectAltitude: ap.selectedAltitude = signedValue; break;
    case kEventSelectVerticalSpeed: ap.selectedVerticalSpeed = signedValue; break;
    case kEventSelectAirspeed: ap.selectedAirspeed = signedValue; break;
    case kEventSelectMach: ap.selectedMach = signedValue / 100.0; break;
    case kEventCom: r.com = static_cast<int>(UnpackBcd(value)) + 10000; break;
    case kEventNav1: r.nav1 = static_cast<int>(UnpackBcd(value & 0xFFFF)) + 10000; break;
    case kEventNav2: r.nav2 = static_cast<int>(UnpackBcd(value & 0xFFFF)) + 10000; break;
    case kEventNav1Course: r.nav1Course = Wrap360(signedValue); break;
    case kEventNav2Course: r.nav2Course = Wrap360(signedValue); break;
    case kEventTransponder: r.transponder = static_cast<int>(UnpackBcd(value & 0xFFFF)); break;
    case kEventAdfExtra:
      r.adf = r.adf / 10 % 1000 * 10 + static_cast<int>(value & 0xF) % 10 +
              static_cast<int>((value >> 8) & 0xF) % 10 * 10000;
      break;
    case kEventAdf:
      r.adf = r.adf / 10000 * 10000 + static_cast<int>(UnpackBcd(value & 0xFFF)) * 10 + r.adf % 10;
      break;
    case kEventAdfReset: r.adf = 10000; break;
    case kEventAdfHundredsDown: if (r.adf >= 2000) r.adf -= 1000; break;
    case kEventAdfHundredsUp: if (r.adf < 17000) r.adf += 1000; break;
    case kEventAdfTensUp: StepAdfDigit(100); break;
    case kEventAdfUnitsUp: StepAdfDigit(10); break;
    case kEventAdfTenthsUp: StepAdfDigit(1); break;
    // The move sequence turns the aircraft in steps of 1/40 degree, towards lower headings
    // for positive values.
    case kEventTurn: m_aircraft.heading = Wrap360(m_aircraft.heading - signedValue / 40.0); break;
    case kEventClockHour:
    case kEventClockMinute: {
      Aircraft& a = m_aircraft;
      const int local = ((static_cast<int>(a.secondsOfDay) + a.utcOffsetHours * 3600) % 86400 + 86400) % 86400;
      int hour = local / 3600, minute = local / 60 % 60;
      if (id == kEventClockHour) hour = static_cast<int>(value % 24);
      else minute = static_cast<int>(value % 60);
      const int utc = hour * 3600 + minute * 60 + local % 60 - a.utcOffsetHours * 3600;
      a.secondsOfDay = (utc % 86400 + 86400) % 86400;
      break;
    }
    // The move sequences pause the aircraft while they place it, and release it when done.
    case kEventPause1:
    case kEventPause2: m_aircraft.frozen = true; break;
    case kEventMoveDone: m_aircraft.frozen = false; break;
    default: break;  // accepted and logged: the bar's events
  }
  return 0;
}

void HostCore::SetEventAnswer(uint32_t id, EventAnswer answer) { m_answers[id] = answer; }

bool HostCore::WriteGlobal(uint32_t offset, uint16_t count, const void* source) {
  if (source == nullptr || uint64_t{offset} + count > simapi::kGlobalBlockSize) return false;
  std::memcpy(m_global.get() + offset, source, count);
  ReadGlobalPosition(offset, offset + count);
  return true;
}

void HostCore::SyncGlobalPosition() {
  unsigned char* g = m_global.get();
  PutFixed(g + simapi::kGlobalLatitude, m_aircraft.latitude / 360.0 * simapi::kEarthCircumferenceMetres);
  PutFixed(g + simapi::kGlobalLongitude, m_aircraft.longitude * kLongitudeUnitsPerDegree);
  PutFixed(g + simapi::kGlobalAltitude, m_aircraft.altitude);
}

void HostCore::ReadGlobalPosition(uint32_t offset, uint32_t end) {
  const auto touches = [&](uint32_t at, uint32_t size) { return offset < at + size && end > at; };
  const unsigned char* g = m_global.get();
  if (touches(simapi::kGlobalLatitude, 8))
    m_aircraft.latitude = GetFixed(g + simapi::kGlobalLatitude) * 360.0 / simapi::kEarthCircumferenceMetres;
  if (touches(simapi::kGlobalLongitude, 8)) {
    double lon = GetFixed(g + simapi::kGlobalLongitude) / kLongitudeUnitsPerDegree;
    if (lon > 180) lon -= 360;
    m_aircraft.longitude = lon;
  }
  if (touches(simapi::kGlobalAltitude, 8)) m_aircraft.altitude = GetFixed(g + simapi::kGlobalAltitude);
  // The oldest hosts take the autopilot altitude through the block, as metres in 16.16.
  const uint32_t apOffset = m_simVersion <= 61 ? simapi::kGlobalApAltitude61
                            : m_simVersion == 70 ? simapi::kGlobalApAltitude70
                                                 : 0;
  if (apOffset != 0 && touches(apOffset, 4)) {
    int32_t fixed;
    std::memcpy(&fixed, g + apOffset, 4);
    m_aircraft.autopilot.selectedAltitude = fixed / 65536.0 * kFeetPerMetre;
  }
}

std::optional<MoveTarget> HostCore::ReceiveMoveBlock(uint32_t tag, const void* data, size_t size) {
  if (tag != simapi::kMoveCopyDataTag) return std::nullopt;
  const auto announcement = ParsePipeAnnouncement(data, size);
  // The handle is a descriptor of the sending process; only modules inside this process send.
  if (!announcement || announcement->processId != static_cast<uint32_t>(getpid()) ||
      announcement->readHandle > 0x7FFFFFFF)
    return std::nullopt;
  const int fd = static_cast<int>(announcement->readHandle);
  // Only a pipe: any other descriptor of the process is none of the sender's business.
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode)) return std::nullopt;
  unsigned char block[simapi::kMoveBlockSize];
  size_t got = 0;
  while (got < sizeof block) {
    pollfd p{fd, POLLIN, 0};
    // The sender writes the whole block before it announces it; a short wait covers a slow pipe.
    if (poll(&p, 1, 1000) <= 0 || (p.revents & (POLLERR | POLLNVAL))) return std::nullopt;
    const ssize_t n = read(fd, block + got, sizeof block - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    got += static_cast<size_t>(n);
  }
  return ParseMoveBlock(block, got);
}

void HostCore::ApplyMove(const MoveTarget& target) {
  m_aircraft.latitude = target.latitude;
  m_aircraft.longitude = target.longitude > 180 ? target.longitude - 360 : target.longitude;
  m_aircraft.altitude = target.altitudeFeet / kFeetPerMetre;
  m_aircraft.pitch = target.pitch;
  m_aircraft.bank = target.bank;
  m_aircraft.heading = Wrap360(target.heading);
  SyncGlobalPosition();
}

}  // namespace simhost
