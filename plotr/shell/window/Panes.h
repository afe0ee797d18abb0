#pragma once
// The main frame's panes as views of the document: each place of the layout gets its window from
// the factory registered for it (core/window/PaneRegistry.h), or a blank placeholder, so the
// frame and its layout work before every view exists.

#include <wx/docview.h>
#include <wx/window.h>

#include "plotr/core/UpdateHints.h"
#include "plotr/core/window/PaneRegistry.h"

class CPlotrDoc;

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
