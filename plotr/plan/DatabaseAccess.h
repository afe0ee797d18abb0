#pragma once

// Plotr's one navigation database and the lock that guards it together with the plan. Every
// plan edit, database load or switch, map drawing pass and multiplayer serialisation of the plan
// holds g_DatabaseLock for its whole operation; the searches on CRoute expect it held.

#include "navdb/SceneryDatabase.h"
#include "platform/win/Sync.h"

extern CSceneryDatabase g_SceneryDatabase;
extern win::RecursiveLock g_DatabaseLock;

// Degrees from the database's first variation grid at the nearest whole degree; 0 without a
// grid. Positions outside the grid (|latitude| > 90, NaN) are held at its edges.
double MagneticVariation(const CSceneryDatabase& db, double latitude, double longitude);

// The ILS a runway end leads to; null for a runway without one and for an ILS index outside
// the ILS array (a damaged database).
const IlsRecord* RunwayIls(const CSceneryDatabase& db, const RunwayRecord& runway);
