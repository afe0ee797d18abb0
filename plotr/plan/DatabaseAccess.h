#pragma once

// Plotr's one navigation database and the lock that guards it together with the plan. Every
// plan edit, database load or switch, map drawing pass and multiplayer serialisation of the plan
// holds a DatabaseLease for its whole operation; the searches on CRoute expect one held.

#include <mutex>

#include "navdb/SceneryDatabase.h"
#include "platform/win/Sync.h"

// Holds the database lock for its lifetime and is the one way in to Plotr's database; the plan,
// which the lock guards too, is changed only while one is held. Leases nest on one thread: the
// lock is recursive.
class DatabaseLease {
 public:
  DatabaseLease() : m_lock(Lock()) {}
  DatabaseLease(const DatabaseLease&) = delete;
  DatabaseLease& operator=(const DatabaseLease&) = delete;

  CSceneryDatabase& Database() const { return HeldDatabase(); }

  // The database for code whose caller holds a lease (the searches on CRoute, the info texts,
  // guidance targets): it takes none itself, so the caller's one covers the whole operation.
  static CSceneryDatabase& HeldDatabase();

  // True when no thread but the caller could take a lease now; asked from a second thread, it
  // tells whether the first one holds a lease.
  static bool IsFree();

 private:
  static win::RecursiveLock& Lock();

  std::lock_guard<win::RecursiveLock> m_lock;
};

// Degrees from the database's first variation grid at the nearest whole degree; 0 without a
// grid. Positions outside the grid (|latitude| > 90, NaN) are held at its edges.
double MagneticVariation(const CSceneryDatabase& db, double latitude, double longitude);

// The ILS a runway end leads to; null for a runway without one and for an ILS index outside
// the ILS array (a damaged database).
const IlsRecord* RunwayIls(const CSceneryDatabase& db, const RunwayRecord& runway);
