#pragma once

// Simplanb: the previous simulator version's flight-plan file, after the departure position
// was chosen, into the simulator's "flights/myflts" folder by default.

#include "planexport/simpln/SimPlnExport.h"

inline constexpr char kSimplanbName[] = "Simplanb";

int ExportSimplanb(const FlpxCall& call, const StartPositionDialog& dialog);
