#include "plotr/sim/FlightPlanSim.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "navdb/Geodesy.h"
#include "platform/simapi/SimApi.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/sim/SoundPlayer.h"

namespace {

using namespace simapi;

constexpr double kTwoPow32 = 4294967296.0;
constexpr double kLongitudeUnitsPerDegree = 1073741824.0 / 90.0;  // 2^30 per 90 degrees
// The host's whole units fit 32 bits; the clamp only keeps a wild value out of undefined casts.
constexpr double kFixedLimit = 4.0e18;

// Move states: the sequence with an altitude runs 1..36 at one step per fifth tick, the one
// without 101..104 at one step per tick.
constexpr int32_t kMoveFirstStep = 1;
constexpr int32_t kMoveTowerStep = 3;
constexpr int32_t kMoveAltitudeStep = 4;
constexpr int32_t kMoveFirstTurnStep = 5;
constexpr int32_t kMoveLastTurnStep = 34;
constexpr int32_t kMoveSecondAltitudeStep = 35;
constexpr int32_t kMoveLastStep = 36;
constexpr int32_t kMoveShortFirst = 101;
constexpr int32_t kMoveShortLast = 104;

// Degrees per turn-event unit, the largest unit count of one step, and below which a quartered
// step ends the turn.
constexpr double kTurnUnitsPerDegree = 40;
constexpr int32_t kMaxTurnMagnitude = 400;
constexpr int32_t kMinTurnMagnitude = 4;

// The tower view is placed this far from the target, behind it to the left, and this much above.
constexpr double kTowerDistance = 600;
constexpr double kTowerBearingOffset = 315;
constexpr int32_t kTowerHeightAbove = 30;

// How long the worker keeps the pipe open for the host to read it.
constexpr auto kPipeHoldTime = std::chrono::milliseconds(5000);

double Fold180(double d) {
  d = std::fmod(d, 360.0);
  if (d > 180) d -= 360;
  if (d <= -180) d += 360;
  return d;
}

class BlockWriter {
 public:
  explicit BlockWriter(unsigned char* out) : m_out(out) {}
  void Tag(const char (&tag)[5]) { Bytes(tag, 4); }
  void U16(uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    Bytes(b, 2);
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) m_out[m_at++] = static_cast<unsigned char>(v >> (8 * i));
  }
  void F64(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    for (int i = 0; i < 8; ++i) m_out[m_at++] = static_cast<unsigned char>(bits >> (8 * i));
  }
  void Text(const char* text) { Bytes(text, std::strlen(text)); }
  void Zero(size_t n) {
    std::memset(m_out + m_at, 0, n);
    m_at += n;
  }
  size_t At() const { return m_at; }

 private:
  void Bytes(const void* p, size_t n) {
    std::memcpy(m_out + m_at, p, n);
    m_at += n;
  }
  unsigned char* m_out;
  size_t m_at = 0;
};

constexpr uint16_t kItemTag = 4096;
constexpr uint16_t kFloatKind = 2;

}  // namespace

void SplitFixedPoint(double v, uint32_t& low, int32_t& high) {
  if (!std::isfinite(v)) v = 0;
  v = std::clamp(v, -kFixedLimit, kFixedLimit);
  const double whole = std::floor(v);
  // Whole units wrap like the host's 32-bit half, so 180 degrees east reads as 180 west.
  high = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(whole)));
  low = static_cast<uint32_t>(std::min((v - whole) * kTwoPow32, kTwoPow32 - 1));
}

void BuildMoveBlock(unsigned char (&block)[kMoveBlockBytes], double latitude, double longitude,
                    double altitudeMetres, double pitch, double bank, double heading) {
  struct Definition {
    const char* name;
    const char* unit;
  };
  static constexpr Definition kDefinitions[6] = {
      {"PLANE LATITUDE", "degrees"},       {"PLANE LONGITUDE", "degrees"},
      {"PLANE ALTITUDE", "ft"},            {"PLANE PITCH DEGREES", "degrees"},
      {"PLANE BANK DEGREES", "degrees"},   {"PLANE HEADING DEGREES TRUE", "degrees"}};
  const double values[6] = {latitude, longitude, altitudeMetres * kFeetPerMetre, pitch, bank, heading};

  BlockWriter w(block);
  w.Tag("FSIB");
  w.U16(8);
  w.U16(2048);
  w.Tag("BFIB");
  w.U32(359);
  w.Tag("ODIB");
  w.U32(24);
  w.U16(kItemTag);
  w.U16(12);
  w.Text("UserAircraft");
  w.Tag("PDIB");
  w.U32(211);
  for (uint16_t i = 0; i < 6; ++i) {
    w.U16(kItemTag);
    w.U16(static_cast<uint16_t>(i + 1));
    w.U16(kFloatKind);
    w.U16(static_cast<uint16_t>(std::strlen(kDefinitions[i].name)));
    w.U16(static_cast<uint16_t>(std::strlen(kDefinitions[i].unit)));
    w.Text(kDefinitions[i].name);
    w.Text(kDefinitions[i].unit);
  }
  w.Tag("FRIB");
  w.U32(108);
  w.Zero(16);
  for (uint16_t i = 0; i < 6; ++i) {
    w.U16(kItemTag);
    w.U16(static_cast<uint16_t>(i + 1));
    w.U16(kFloatKind);
    w.F64(values[i]);
  }
  w.U32(0);
  w.U32(359);
  w.Tag("TAIB");
  w.U32(24);
  w.U16(1);
  w.U16(0);
  w.U16(2);
  w.U16(0);
  w.Tag("TAIB");
  w.U32(24);
}

CFlightPlanSim::CFlightPlanSim(const PlanSimServices& services)
    : CFlightPlanCore(services.ui),
      m_sim(services.sim != nullptr ? services.sim : &g_SimBlock),
      m_clock(services.clock != nullptr ? services.clock : &win::SystemClock()),
      m_settings(services.settings != nullptr ? services.settings : &g_Settings),
      m_frame(services.frame),
      m_playCue(services.playCue),
      m_moveChannel(services.moveChannel) {
  SetSimLink(this);
}

CFlightPlanSim::~CFlightPlanSim() {
  {
    std::lock_guard lock(m_stopLock);
    m_stopWorker = true;
  }
  m_stopSignal.notify_all();
  if (m_worker.joinable()) m_worker.join();
  SetSimLink(nullptr);
}

const SimSnapshot& CFlightPlanSim::Snapshot() const { return m_sim->GetSnapshot(); }

void CFlightPlanSim::PlayCue(int id) {
  if (m_playCue) {
    m_playCue(id);
  } else if (CSoundBuffer* sound = g_SoundPlayer.GetSound(id)) {
    sound->Play(false);
  }
}

void CFlightPlanSim::OnTick(uint32_t tick) {
  m_sim->Exchange(tick);
  if (m_settings->GetSimVer() >= 90) return;
  if (m_moveState >= kMoveShortFirst && m_moveState <= kMoveShortLast) {
    switch (m_moveState) {
      case kMoveShortFirst: m_sim->SendSimEvent(kEventPause1, 0); break;
      case kMoveShortFirst + 1: m_sim->SendSimEvent(kEventPause2, 0); break;
      case kMoveShortFirst + 2:
        m_sim->SendSimEvent(kEventPause1, 0);
        m_sim->SendSimEvent(kEventPause2, 0);
        WritePosition();
        break;
      default: m_sim->SendSimEvent(kEventMoveDone, 0); break;
    }
    m_moveState = m_moveState == kMoveShortLast ? 0 : m_moveState + 1;
    return;
  }
  if (tick % 5 == 3 && m_moveState >= kMoveFirstStep && m_moveState <= kMoveLastStep) MoveStep();
}

void CFlightPlanSim::MoveStep() {
  const SimSnapshot& sim = m_sim->GetSnapshot();
  const int32_t state = m_moveState;
  if (state == kMoveLastStep) {
    m_sim->SendSimEvent(kEventMoveDone, 0);
    m_moveState = 0;
    return;
  }
  if (state != kMoveFirstStep + 1) m_sim->SendSimEvent(kEventPause1, 0);
  if (state != kMoveFirstStep) m_sim->SendSimEvent(kEventPause2, 0);
  if (state == kMoveTowerStep) {
    WritePosition();
    m_sim->SendSimEvent(kEventClockHour, sim.localHour);
    m_sim->SendSimEvent(kEventClockMinute, sim.localMinute);
    const double facing = m_targetHeading != DBL_MAX ? m_targetHeading : sim.trueHeading;
    double towerLat = m_targetLatitude, towerLon = m_targetLongitude;
    if (std::isfinite(facing))
      DestinationPoint(towerLat, towerLon, m_targetLatitude, m_targetLongitude,
                       std::fmod(facing + kTowerBearingOffset, 360.0), kTowerDistance);
    const double height = std::clamp(std::trunc(m_targetAltitude), -1e9, 1e9);
    PlaceTowerView(towerLat, towerLon, static_cast<int32_t>(height) + kTowerHeightAbove);
  } else if (state == kMoveAltitudeStep || state == kMoveSecondAltitudeStep) {
    WriteAltitude();
  } else if (state >= kMoveFirstTurnStep && state <= kMoveLastTurnStep && m_targetHeading != DBL_MAX) {
    TurnStep();
  }
  if (state == kMoveLastTurnStep && m_targetHeading != DBL_MAX) return;  // held until the heading is reached
  m_moveState = state + 1;
}

void CFlightPlanSim::TurnStep() {
  const double d = Fold180(m_sim->GetSnapshot().trueHeading - m_targetHeading);
  if (m_moveState == kMoveLastTurnStep && ++m_turnSteps > kMaxTurnSteps) {
    // A host that ignores the turn event would hold the sequence, and every command, forever.
    m_targetHeading = DBL_MAX;
    return;
  }
  if (!std::isfinite(d)) return;
  const int32_t direction = d >= 0 ? 1 : -1;
  if (m_turnDirection == 0) {
    m_turnMagnitude = static_cast<int32_t>(std::min<double>(kMaxTurnMagnitude, std::trunc(std::fabs(d) * kTurnUnitsPerDegree)));
  } else if (direction != m_turnDirection) {
    m_turnMagnitude /= 4;
    if (m_turnMagnitude < kMinTurnMagnitude) m_turnMagnitude = 0;
  }
  m_turnDirection = direction;
  m_sim->SendSimEvent(kEventTurn, static_cast<uint32_t>(direction * m_turnMagnitude));
  if (m_turnMagnitude == 0) m_targetHeading = DBL_MAX;
}

void CFlightPlanSim::WriteFixed(int offset, double value) {
  uint32_t low;
  int32_t high;
  SplitFixedPoint(value, low, high);
  m_sim->WriteSimGlobal(offset, 4, &low);
  m_sim->WriteSimGlobal(offset + 4, 4, &high);
}

void CFlightPlanSim::WritePosition() {
  WriteFixed(kGlobalLatitude, m_targetLatitude / 360.0 * kEarthCircumferenceMetres);
  WriteFixed(kGlobalLongitude, m_targetLongitude * kLongitudeUnitsPerDegree);
}

void CFlightPlanSim::WriteAltitude() { WriteFixed(kGlobalAltitude, m_targetAltitude); }

void CFlightPlanSim::PlaceTowerView(double latitude, double longitude, int32_t height) {
  WriteFixed(kGlobalTowerLatitude, latitude / 360.0 * kEarthCircumferenceMetres);
  WriteFixed(kGlobalTowerLongitude, longitude * kLongitudeUnitsPerDegree);
  m_sim->WriteSimGlobal(kGlobalTowerHeight, 4, &height);
}

void CFlightPlanSim::RequestFlyTo(double latitude, double longitude) {
  if (auto* on = static_cast<int32_t*>(m_sim->LookupNamedVariable("CHARTWRIGHT_FLY_TO_ON"))) *on = 1;
  if (auto* v = static_cast<double*>(m_sim->LookupNamedVariable("CHARTWRIGHT_FLY_TO_LATITUDE"))) *v = latitude;
  if (auto* v = static_cast<double*>(m_sim->LookupNamedVariable("CHARTWRIGHT_FLY_TO_LONGITUDE"))) *v = longitude;
}

void CFlightPlanSim::RequestFlyPlanFrom(int row) {
  if (auto* on = static_cast<int32_t*>(m_sim->LookupNamedVariable("CHARTWRIGHT_FLY_FP_ON"))) *on = 1;
  if (auto* wp = static_cast<int32_t*>(m_sim->LookupNamedVariable("CHARTWRIGHT_FLY_FP_WP"))) *wp = row;
}

void CFlightPlanSim::SetTowerViewPosition(double latitude, double longitude, double height) {
  if (!std::isfinite(latitude) || !std::isfinite(longitude) || !std::isfinite(height)) return;
  PlaceTowerView(latitude, longitude, static_cast<int32_t>(std::clamp(std::trunc(height), -1e9, 1e9)));
}

void CFlightPlanSim::MoveAircraft(double latitude, double longitude, double altitude, double heading) {
  if (IsMoving()) return;
  // Views hand over positions they picked; anything else never reaches the host.
  if (!(latitude >= -90 && latitude <= 90) || !(longitude >= -180 && longitude <= 180)) return;
  if (altitude != DBL_MAX && !std::isfinite(altitude)) return;
  if (heading != DBL_MAX && !std::isfinite(heading)) heading = DBL_MAX;
  const SimSnapshot& sim = m_sim->GetSnapshot();
  const int version = m_settings->GetSimVer();
  m_targetLatitude = latitude;
  m_targetLongitude = longitude;
  if (version >= 90) {
    m_targetAltitude = sim.altitude / kFeetPerMetre;
    m_pitch = sim.pitch;
    m_bank = sim.bank;
    m_targetHeading = sim.trueHeading;
    StartWorker();
  } else if (altitude != DBL_MAX) {
    m_targetAltitude = altitude;
    m_targetHeading = heading == DBL_MAX ? DBL_MAX : std::fmod(std::fmod(heading, 360.0) + 360.0, 360.0);
    m_turnDirection = 0;
    m_turnMagnitude = 0;
    m_turnSteps = 0;
    m_moveState = kMoveFirstStep;
  } else if (version < 80) {
    WritePosition();
  } else {
    m_moveState = kMoveShortFirst;
  }
}

void CFlightPlanSim::StartWorker() {
  if (m_moveChannel == nullptr || !m_moveChannel->FindHost()) return;
  if (m_worker.joinable()) m_worker.join();  // the last worker has ended: it cleared the flag
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  {
    std::lock_guard lock(m_stopLock);
    m_stopWorker = false;
  }
  m_workerRunning = true;
  try {
    m_worker = std::thread(&CFlightPlanSim::RunWorker, this, fds[0], fds[1]);
  } catch (...) {
    close(fds[0]);
    close(fds[1]);
    m_workerRunning = false;
  }
}

void CFlightPlanSim::RunWorker(int readFd, int writeFd) {
  unsigned char block[kMoveBlockBytes];
  BuildMoveBlock(block, m_targetLatitude, m_targetLongitude, m_targetAltitude, m_pitch, m_bank, m_targetHeading);
  size_t written = 0;
  while (written < sizeof block) {
    const ssize_t n = write(writeFd, block + written, sizeof block - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  if (written == sizeof block) {
    char text[32];
    std::snprintf(text, sizeof text, "<HA>%08X%08X", static_cast<unsigned>(readFd),
                  static_cast<unsigned>(getpid()));
    m_moveChannel->SendCopyData(kMoveCopyDataTag, text, std::strlen(text) + 1);
    std::unique_lock lock(m_stopLock);
    m_stopSignal.wait_for(lock, kPipeHoldTime, [this] { return m_stopWorker; });
  }
  close(readFd);
  close(writeFd);
  m_workerRunning = false;
}
