#pragma once

// Where a disc area may be on this machine: drives stand in for the CD drive letters, and a
// disc is recognised by its volume label.

#include <filesystem>
#include <vector>

#include "basemaker/app/AreaEntry.h"
#include "platform/win/Drives.h"

// Roots to search for `area`'s folder, in search order: every CD-ROM drive first, then every
// other drive that is not a network drive. Drives whose label differs (ignoring case) from the
// area's are left out; an area without a label takes any drive.
std::vector<std::filesystem::path> CdAreaSearchRoots(const AreaEntry& area,
                                                     const win::DriveTable& drives);
