#pragma once

// Gpsplan: the plan as the GPS add-on's flight program. By default it goes to the add-on's one
// data file "Gpsplan.dat" in the simulator root, after which the running add-on is told to
// reload it through a flag in its shared memory; with "ToFile" on, to a file of the user's choice.

#include <string>
#include <string_view>

#include "planexport/common/ExportFile.h"
#include "planexport/common/ModuleFrame.h"
#include "planexport/common/PlanSource.h"

inline constexpr char kGpsplanName[] = "Gpsplan";
// The add-on's shared memory object and the offset of its reload flag (a u32).
inline constexpr char kGpsplanSharedMemory[] = "/GPSPLAN98_COM_IPC_11";
inline constexpr size_t kGpsplanReloadFlagOffset = 106;

// The name shortened until it has fewer than 14 characters: cut at its last blank while that
// blank stands at position 6 or later, else to 13 characters.
std::string GpsplanShortName(std::string_view name);

// Every waypoint but the climb and descent points, four lines and a blank line each.
int WriteGpsplanProgram(const FlpxPlanSource& plan, CExportFile& file);

// The shared memory object's name: kGpsplanSharedMemory, or the environment's
// CW_GPSPLAN_SHM when set (test runs side by side on one machine each play their own add-on).
std::string GpsplanSharedMemoryName();
// Sets the add-on's reload flag when its shared memory exists; silent otherwise. True when set.
bool SignalGpsplanReload();

// The export entry's flow.
int ExportGpsplan(const FlpxCall& call);
