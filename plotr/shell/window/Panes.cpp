#include "plotr/shell/window/Panes.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <array>

#include "plotr/shell/window/PlotrDoc.h"

namespace {

std::array<PaneFactory, static_cast<size_t>(PaneSlot::Count)>& Factories() {
  static std::array<PaneFactory, static_cast<size_t>(PaneSlot::Count)> factories;
  return factories;
}

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

void RegisterPane(PaneSlot slot, PaneFactory factory) { Factories()[static_cast<size_t>(slot)] = std::move(factory); }

namespace {
std::array<PanePrinter, static_cast<size_t>(PaneSlot::Count)>& Printers() {
  static std::array<PanePrinter, static_cast<size_t>(PaneSlot::Count)> printers;
  return printers;
}
}  // namespace

void RegisterPanePrinter(PaneSlot slot, PanePrinter printer) { Printers()[static_cast<size_t>(slot)] = std::move(printer); }

bool PrintPane(PaneSlot slot, wxWindow* pane, CPlotrDoc& document, bool preview) {
  const PanePrinter& printer = Printers()[static_cast<size_t>(slot)];
  return printer && pane != nullptr && printer(pane, document, preview);
}

const char* PaneName(PaneSlot slot) {
  switch (slot) {
    case PaneSlot::Search: return "Search";
    case PaneSlot::PlanTable: return "Flightplan";
    case PaneSlot::Pilot1: return "Avionics 1";
    case PaneSlot::Pilot2: return "Avionics 2";
    case PaneSlot::Map: return "Map";
    case PaneSlot::Count: break;
  }
  return "";
}

CPaneView::CPaneView(PaneSlot slot, CPlotrDoc& document, wxWindow* parent) : m_slot(slot) {
  const PaneFactory& factory = Factories()[static_cast<size_t>(slot)];
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
