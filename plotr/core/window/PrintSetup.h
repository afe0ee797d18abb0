#pragma once
// The module's printer choice: one print data for the whole module, landscape unless the user
// chose otherwise, which the plan and map views print with.

#include <wx/cmndata.h>
#include <wx/window.h>

class wxPrintPreview;

// The print data every print job of the module uses; landscape at first.
wxPrintData& GetModulePrintData();
// The print setup dialog over the module's print data; true when the user accepted it.
bool RunPrintSetup(wxWindow* parent);

// What the Print Mode dialog chose to print.
enum class PrintChoice { Cancel, Plan, Map };
inline constexpr int kPrintModeFlightplan = 8192;
inline constexpr int kPrintModeMap = 8193;
PrintChoice RunPrintModeDialog(wxWindow* parent);

// Shows a preview over the planner's area, a window of the planner's own and not modal: the
// simulator keeps its menu, its keys and the planner's hot keys while it is open. Takes
// `preview`.
void ShowPrintPreview(wxPrintPreview* preview, wxWindow* pane);
// Closes every open preview, as when the planner hides.
void ClosePrintPreviews();
