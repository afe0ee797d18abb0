#pragma once

// The export flow of Simplanc and Simplanb: the departure position asked before the save
// dialog, then the file under the default name made of the airport names.

#include <functional>
#include <string>

#include "planexport/common/ModuleFrame.h"
#include "planexport/simpln/StartPositionModel.h"

// Shows the departure-position dialog over the loaded model (a window over `parent`, with
// `caption`); 1 after OK, with the model's stored key chosen. Any other result cancels.
using StartPositionDialog = std::function<int(StartPositionModel& model, void* parent, const std::string& caption)>;

// Where a module's save dialog starts.
struct SimPlnFolder {
  std::string initialDir;  // the default when the module reads "InitialDir", else the folder
  bool remembered;         // read from "InitialDir" and the chosen folder stored back
};

// 0 without the start-position service or without both airports; 1 when the file was written
// or a dialog was cancelled.
int ExportSimPln(const FlpxCall& call, const SimPlnFolder& folder, const StartPositionDialog& dialog);

// The save dialog under the default name, with the "pln" filter.
FlpxAsked AskSimPlnTarget(const FlpxCall& call, const SimPlnFolder& folder, const FlpxPlanInfo& info,
                          std::string& path);
