#pragma once
// The options sheet: the four pages of the Settings command, or the FMS page alone.

#include "plotr/core/Settings.h"

class CPlotrDoc;
class wxWindow;

// Runs the sheet modally; pages write only the groups the user changed and tell the views.
void RunOptionsSheet(wxWindow* parent, CPlotrDoc* document, bool fmsPageOnly);
