#pragma once
// The main frame's panes come from a table: each place of the layout has a factory that the
// view's own library registers. Places without one get a blank placeholder, so the frame and
// its layout work before every view exists.

#include <wx/docview.h>
#include <wx/window.h>

#include <functional>
#include <string>

#include "plotr/core/UpdateHints.h"

class CPlotrDoc;

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
using PaneFactory = std::function<wxWindow*(wxWindow* parent, CPlotrDoc& document)>;

void RegisterPane(PaneSlot slot, PaneFactory factory);

// Prints or previews what a pane shows; false when the job could not start or was cancelled.
using PanePrinter = std::function<bool(wxWindow* pane, CPlotrDoc& document, bool preview)>;
void RegisterPanePrinter(PaneSlot slot, PanePrinter printer);
// False when no printer is registered for the slot.
bool PrintPane(PaneSlot slot, wxWindow* pane, CPlotrDoc& document, bool preview);
const char* PaneName(PaneSlot slot);

// The hint as the framework's views receive it.
class CUpdateHintObject : public wxObject {
 public:
  explicit CUpdateHintObject(const UpdateHint& hint) : m_hint(hint) {}
  const UpdateHint& Get() const { return m_hint; }

 private:
  UpdateHint m_hint;
};

// A view of the document that owns one pane window.
class CPaneView : public wxView {
 public:
  CPaneView(PaneSlot slot, CPlotrDoc& document, wxWindow* parent);
  ~CPaneView() override;

  PaneSlot GetSlot() const { return m_slot; }
  wxWindow* GetWindow() const { return m_window; }
  IPaneWindow* GetPane() const { return dynamic_cast<IPaneWindow*>(m_window); }

  void OnDraw(wxDC*) override {}
  void OnUpdate(wxView* sender, wxObject* hint) override;
  // Destroys the window; the view leaves the document.
  bool OnClose(bool deleteWindow) override;

 protected:
  // Commands and their update events routed to the view reach the pane window's own handlers
  // first, so a pane binds them like any other event; then the document.
  bool TryBefore(wxEvent& event) override;

 private:
  PaneSlot m_slot;
  wxWindow* m_window = nullptr;
};
