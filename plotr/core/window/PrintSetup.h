#pragma once
// The module's printer choice: one print data for the whole module, landscape unless the user
// chose otherwise, which the plan and map views print with.

#include <wx/cmndata.h>
#include <wx/window.h>

// The print data every print job of the module uses; landscape at first.
wxPrintData& GetModulePrintData();
// The print setup dialog over the module's print data; true when the user accepted it.
bool RunPrintSetup(wxWindow* parent);

// What the Print Mode dialog chose to print.
enum class PrintChoice { Cancel, Plan, Map };
inline constexpr int kPrintModeFlightplan = 8192;
inline constexpr int kPrintModeMap = 8193;
PrintChoice RunPrintModeDialog(wxWindow* parent);
