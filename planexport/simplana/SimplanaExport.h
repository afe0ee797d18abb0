#pragma once

// Simplana: the flight-plan file of the oldest simulator version, written without asking for a
// departure position, into the simulator's "Pilots" folder by default.

#include "planexport/common/ModuleFrame.h"

inline constexpr char kSimplanaName[] = "Simplana";

// 0 without both airports or when a write failed; 1 when written or cancelled.
int ExportSimplana(const FlpxCall& call);
