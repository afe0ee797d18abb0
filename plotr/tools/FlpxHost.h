#pragma once

// The host side of the export plug-ins: lists the plug-ins of a folder and calls one entry of
// one plug-in. A plug-in is loaded for one listing, options call or export and unloaded right
// after it, so nothing of it stays mapped between calls and a plug-in replaced on disk is
// picked up at the next call.

#include <string>
#include <vector>

#include "plotr/tools/FlpxServices.h"

struct FlpxModuleInfo {
  std::string path;         // full path of the library
  std::string displayName;  // copied before the library is unloaded
  bool hasConfigure = false;
  bool hasExport = false;
};

// Every "*.so" regular file of the folder that exports a valid `FlpxExportTable` (at least the
// table's size, a non-empty display name), in file-name order. No entry is called.
std::vector<FlpxModuleInfo> ListFlpxModules(const std::string& folder);

enum class FlpxCallResult {
  NotCalled,  // the library did not load, or a table is missing, too small or without the entry
  Failed,     // the entry returned 0
  Done,
};

// Loads the library, fills its import table with `services` and calls its export entry with
// the plan handle and the parent window (a wxWindow*), under `ui`'s wait cursor.
FlpxCallResult CallFlpxExport(const std::string& path, const FlpxServiceSet& services, void* plan, void* parent,
                              IPlanUi* ui = nullptr);
// The same for the options entry; its result carries no meaning beyond NotCalled.
FlpxCallResult CallFlpxConfigure(const std::string& path, const FlpxServiceSet& services, void* hostContext,
                                 void* parent);
