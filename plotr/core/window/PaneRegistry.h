#pragma once
// The main frame's panes come from a table: each place of the layout has a factory that the
// view's own library registers, and a printer where the pane can be printed. The table stands
// below every view, so a view knows the document only by its interface and the frame not at all.

#include <wx/gdicmn.h>

#include <functional>

#include "plotr/core/PlotrDocument.h"
#include "plotr/core/UpdateHints.h"

class wxWindow;

enum class PaneSlot { Search, PlanTable, Pilot1, Pilot2, Map, Count };

// A pane window may implement this to hear from the document.
class IPaneWindow {
 public:
  virtual ~IPaneWindow() = default;
  virtual void OnInitialUpdate() {}
  virtual void OnPlanUpdate(const UpdateHint& hint) = 0;
  // The size the pane's form needs (the frame's default widths); zero when it has no form.
  virtual wxSize GetFormSize() const { return wxSize(0, 0); }
  // The map pane's zoom for the status line; 0 for every other pane.
  virtual int GetMapZoom() const { return 0; }
  // The map pane keeps its SID/STAR description height per window mode: the frame saves it with
  // the layout of the mode it leaves and loads it for the mode it enters.
  virtual void SaveSidStarDescHeight(bool /*docked*/) {}
  virtual void LoadSidStarDescHeight(bool /*docked*/) {}
};

// Creates the pane's window as a child of `parent`.
using PaneFactory = std::function<wxWindow*(wxWindow* parent, IPlotrDocument& document)>;

void RegisterPane(PaneSlot slot, PaneFactory factory);
// The factory registered for the slot, or an empty one.
const PaneFactory& PaneFactoryOf(PaneSlot slot);

// Prints or previews what a pane shows; false when the job could not start or was cancelled.
using PanePrinter = std::function<bool(wxWindow* pane, IPlotrDocument& document, bool preview)>;
void RegisterPanePrinter(PaneSlot slot, PanePrinter printer);
// False when no printer is registered for the slot.
bool PrintPane(PaneSlot slot, wxWindow* pane, IPlotrDocument& document, bool preview);
const char* PaneName(PaneSlot slot);
