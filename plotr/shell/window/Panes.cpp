#include "plotr/shell/window/Panes.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "plotr/shell/window/PlotrDoc.h"

namespace {

// Stands in for a view that is not built into the module yet.
class CPlaceholderPane : public wxPanel, public IPaneWindow {
 public:
  CPlaceholderPane(wxWindow* parent, PaneSlot slot) : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(40, 40)) {
    SetName(PaneName(slot));
    auto* label = new wxStaticText(this, wxID_ANY, PaneName(slot));
    label->SetForegroundColour(wxColour(0x80, 0x80, 0x80));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->AddStretchSpacer();
    sizer->Add(label, 0, wxALIGN_CENTER);
    sizer->AddStretchSpacer();
    SetSizer(sizer);
    if (slot == PaneSlot::Search) m_form = wxSize(220, 120);
    if (slot == PaneSlot::Pilot1 || slot == PaneSlot::Pilot2) m_form = wxSize(180, 160);
  }
  void OnPlanUpdate(const UpdateHint&) override {}
  // Forms of the size the real views bring, so the layout keys keep their meaning.
  wxSize GetFormSize() const override { return m_form; }
  wxSize m_form;
};

}  // namespace

CPaneView::CPaneView(PaneSlot slot, CPlotrDoc& document, wxWindow* parent) : m_slot(slot) {
  const PaneFactory& factory = PaneFactoryOf(slot);
  if (factory) m_window = factory(parent, document);
  if (m_window == nullptr) m_window = new CPlaceholderPane(parent, slot);
  SetDocument(&document);
}

CPaneView::~CPaneView() = default;

void CPaneView::OnUpdate(wxView*, wxObject* hint) {
  IPaneWindow* pane = GetPane();
  if (pane == nullptr) return;
  if (const auto* h = dynamic_cast<CUpdateHintObject*>(hint))
    pane->OnPlanUpdate(h->Get());
  else
    pane->OnInitialUpdate();
}

bool CPaneView::TryBefore(wxEvent& event) {
  const wxEventType type = event.GetEventType();
  if (m_window != nullptr && (type == wxEVT_MENU || type == wxEVT_UPDATE_UI) &&
      m_window->GetEventHandler()->ProcessEventLocally(event))
    return true;
  return wxView::TryBefore(event);
}

bool CPaneView::OnClose(bool deleteWindow) {
  if (deleteWindow && m_window != nullptr) {
    m_window->Destroy();
    m_window = nullptr;
  }
  return true;
}
