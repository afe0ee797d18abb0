#pragma once

// Basemaker's start-up with windows: the main dialog the simulator version calls for, run
// modally, or the installation error.

#include "basemaker/app/BuildWorker.h"
#include "basemaker/app/BuilderStartup.h"
#include "platform/win/Drives.h"

// Returns the program's exit code. Without a step the real database build runs.
int RunBuilder(const BuilderStartup& startup, const win::DriveTable& drives, BuildStep step = {});
