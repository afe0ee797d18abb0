#include "plotr/plan/DatabaseAccess.h"

#include <algorithm>
#include <cmath>

namespace {

// The pool grows in small steps in Plotr: it is filled by whole-file loads, never point by point.
CSceneryDatabase g_SceneryDatabase(1024);
win::RecursiveLock g_DatabaseLock;

}  // namespace

CSceneryDatabase& DatabaseLease::HeldDatabase() { return g_SceneryDatabase; }

bool DatabaseLease::IsFree() {
  if (!g_DatabaseLock.try_lock()) return false;
  g_DatabaseLock.unlock();
  return true;
}

win::RecursiveLock& DatabaseLease::Lock() { return g_DatabaseLock; }

double MagneticVariation(const CSceneryDatabase& db, double latitude, double longitude) {
  if (db.m_magVarGrids.IsEmpty()) {
    return 0.0;
  }
  const double lat = std::isfinite(latitude) ? std::clamp(std::floor(latitude + 0.5), -90.0, 90.0) : 0.0;
  const double lon = std::isfinite(longitude) ? std::floor(longitude + 0.5) : 0.0;
  const int i = static_cast<int>(lat);
  const int j = static_cast<int>(std::fmod(std::fmod(lon, 360.0) + 360.0, 360.0));
  const int16_t raw = db.m_magVarGrids[0].value[j * kMagVarLatitudes + i + 90];
  // Negated in 16 bits, as the stored sign convention has always been turned.
  const auto negated = static_cast<int16_t>(-raw);
  return BinaryAngleToDegrees(negated);
}

const IlsRecord* RunwayIls(const CSceneryDatabase& db, const RunwayRecord& runway) {
  if (!runway.HasIls()) return nullptr;
  const int32_t index = runway.IlsIndex();
  if (index < 0 || index >= db.m_ils.GetSize()) return nullptr;
  return db.GetIls(db.m_ils[index]);
}
