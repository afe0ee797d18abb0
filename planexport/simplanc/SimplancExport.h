#pragma once

// Simplanc: the newest simulator's flight-plan file, after the departure position was chosen,
// into the user's "Flight Simulator Files" folder.

#include <string>

#include "planexport/simpln/SimPlnExport.h"

inline constexpr char kSimplancName[] = "Simplanc";

// `documentsFolder`: the user's documents folder, empty when it cannot be determined (the save
// dialog then starts without a folder). The folder is never stored.
int ExportSimplanc(const FlpxCall& call, const std::string& documentsFolder, const StartPositionDialog& dialog);
