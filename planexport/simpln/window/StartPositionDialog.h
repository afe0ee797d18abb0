#pragma once

// The departure-position dialog of Simplanc and Simplanb over its model. Built only with the
// windows (wx is shared with the host).

#include <string>

#include "planexport/simpln/StartPositionModel.h"

// Control id of the list of start positions.
inline constexpr int kStartPositionListId = 1001;

// Runs the dialog modally over `parent` (a wxWindow*, may be null) with the model's entries and
// preselection: 1 after OK, the model's stored key then the chosen entry's; 2 after Cancel.
int StartPositionDlgProc(StartPositionModel& model, void* parent, const std::string& caption);
