#include "plotr/sim/window/FmsView.h"

#include <wx/dcclient.h>
#include <wx/graphics.h>
#include <wx/menu.h>

#include "platform/gdi/CairoDc.h"
#include "platform/ui/KeyForward.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/FrameServices.h"
#include "plotr/core/Settings.h"
#include "plotr/sim/FlightPlanGuidance.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/MapPages.h"
#include "plotr/views/window/WxClip.h"
#include "plotr/views/window/WxKeys.h"

namespace {

// The status line while a frequency or heading is dragged off the panel.
constexpr unsigned kIdsDragHint = 6040;

void AddFmsStrings() {
  static bool added = false;
  if (added) return;
  added = true;
  ui::AddStrings({
      {6080, "UTC / Local Time"},
      {6081, "Set Avionics using Flightplan - Mode 1"},
      {6082, "Set Avionics using Flightplan - Mode 2"},
      {6083, "Time"},
      {6084, "expected crossing Time"},
      {6085, "Waypoint Type"},
      {6086, "Waypoint Identification"},
      {6087, "Waypoint Frequency"},
      {6088, "Course to Waypoint"},
      {6089, "Course"},
      {6090, "Distance to Waypoint"},
      {6091, "expected Time to Waypoint"},
      {6092, "Distance to Destination"},
      {6093, "expected Time to Destination"},
      {6094, "expected Arrival Time"},
      {kIdsDragHint, "Drag Frequency/Heading to Avionics bar."},
  });
}

// What the panel's buttons and commands do to the simulator and the settings.
class Commands : public fms::SimBlockCommands {
 public:
  Commands(IPlotrDocument& document, wxWindow* parent)
      : SimBlockCommands(g_SimBlock), m_document(document), m_parent(parent) {}
  void TuneAdf(float khz) override {
    if (auto* guidance = dynamic_cast<CFlightPlanGuidance*>(&m_document.GetPlan())) guidance->TuneAdf(khz);
  }
  void ToggleLocalTime() override { g_Settings.SetFMCUsesLocalTime(!g_Settings.GetFMCUsesLocalTime(false)); }
  void OpenSettings() override {
    if (IFrameServices* frame = GetFrameServices()) frame->RunFmsSettings(m_parent);
  }

 private:
  IPlotrDocument& m_document;
  wxWindow* m_parent;
};

struct MenuItem {
  int id;
  const char* text;
};
constexpr MenuItem kSeparator{0, nullptr};

std::vector<MenuItem> MenuItems(int menu) {
  const MenuItem fly{cmd::kFlyPlanFromHere, "F&ly Flightplan from here"}, heading{cmd::kFmsSetHeading, "Set Autopilot &Heading"};
  switch (menu) {
    case 156: return {fly, heading};
    case 157:
      return {fly, heading, kSeparator, {cmd::kFmsSetNav1Course, "Set NAV1 &Course"}, {cmd::kFmsSetNav1Frequency, "Set NAV1 &Frequency"}, kSeparator,
              {cmd::kFmsSetNav2Course, "Set NAV2 C&ourse"}, {cmd::kFmsSetNav2Frequency, "Set NAV2 F&requency"}};
    case 158: return {fly, heading, kSeparator, {cmd::kFmsSetAdfFrequency, "Set &ADF Frequency"}};
    case 159: return {{cmd::kFmsSettings, "&Settings"}};
    default: return {};
  }
}

}  // namespace

CFMSView::CFMSView(wxWindow* parent, IPlotrDocument& document)
    : wxWindow(parent, 156, wxDefaultPosition, wxSize(40, 40), wxBORDER_STATIC | wxWANTS_CHARS | wxCLIP_CHILDREN),
      m_document(document) {
  AddFmsStrings();
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CFMSView::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CFMSView::OnLeftDown, this);
  Bind(wxEVT_MOTION, &CFMSView::OnMotion, this);
  Bind(wxEVT_LEFT_UP, &CFMSView::OnLeftUp, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CFMSView::OnCaptureLost, this);
  Bind(wxEVT_CONTEXT_MENU, &CFMSView::OnContextMenu, this);
  Bind(wxEVT_KEY_DOWN, &CFMSView::OnKey, this);
  Bind(wxEVT_KEY_UP, &CFMSView::OnKey, this);
  Bind(wxEVT_CHAR, &CFMSView::OnKey, this);
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& event) {
    event.Skip();
    if (m_linked != nullptr) m_linked->Refresh();
  });
}

void CFMSView::OnPlanUpdate(const UpdateHint& hint) {
  if (!(hint.bits == 0 || ((hint.bits & kHintPeriodic) != 0 && GetCapture() == nullptr))) return;
  m_panel.Update(g_SimBlock.GetSnapshot(), g_Settings.GetFMCUsesLocalTime(false));
  const int scheme = g_Settings.GetColorScheme(false);
  if (IsShownOnScreen() || scheme != m_scheme) Refresh(false);
  m_scheme = scheme;
}

void CFMSView::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const wxSize size = GetClientSize();
  wxGraphicsContext* gc = dc.GetGraphicsContext();
  auto* cr = gc != nullptr ? static_cast<cairo_t*>(gc->GetNativeContext()) : nullptr;
  if (cr == nullptr || size.x <= 0 || size.y <= 0) return;
  // Drawn into an image of the window's size and put on the paint context as a whole, so the
  // panel's device coordinates need nothing of the window's place in its frame.
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.x, size.y);
  cairo_t* ic = cairo_create(image);
  {
    gdi::CairoDc picture(ic, gdi::Size{size.x, size.y});
    m_panel.Paint(picture, size.x, size.y, g_Settings.GetColorScheme(false));
  }
  cairo_destroy(ic);
  cairo_save(cr);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(image);
}

int CFMSView::CellAt(const wxPoint& p) const {
  const wxSize size = GetClientSize();
  return m_panel.HitTest(p.x, p.y, size.x, size.y);
}

void CFMSView::OnLeftDown(wxMouseEvent& event) {
  SetFocus();
  const int cell = CellAt(event.GetPosition());
  if (m_panel.Press(cell)) {
    UnsetToolTip();
    CaptureMouse();
    Refresh(false);
    Update();
    return;
  }
  // A waypoint block drags its heading and, when it has one, its frequency.
  const std::optional<fms::DragPayload> drag = m_panel.Drag(fms::CFmsPanel::BlockOfCell(cell));
  if (!drag) return;
  clip::ClipData data = {{clip::kHeading, clip::WriteFloat(drag->heading)}};
  if (drag->frequencyFormat == fms::DragPayload::Frequency::kNav) {
    data.emplace_back(clip::kNavFrequency, clip::WriteFloat(drag->frequency));
  } else if (drag->frequencyFormat == fms::DragPayload::Frequency::kAdf) {
    data.emplace_back(clip::kAdfFrequency, clip::WriteFloat(drag->frequency));
  }
  IFrameServices* main = GetFrameServices();
  if (main != nullptr) {
    const std::string text = ui::LoadString(kIdsDragHint);
    main->ShowStatusText(text);
  }
  clip::RunDrag(this, data, false);
  if (main != nullptr) main->ShowIdleStatus();
}

void CFMSView::OnMotion(wxMouseEvent& event) {
  const int cell = CellAt(event.GetPosition());
  if (m_panel.PressedCell() >= 0) {
    if (m_panel.Track(cell == m_panel.PressedCell())) {
      Refresh(false);
      Update();
    }
    return;
  }
  if (cell == m_tipCell) return;
  m_tipCell = cell;
  const int tip = cell >= 0 ? m_panel.Cells()[static_cast<size_t>(cell)].tip : -1;
  if (tip < 0) {
    UnsetToolTip();
  } else {
    SetToolTip(wxString::FromUTF8(win::Cp1252ToUtf8(ui::LoadString(static_cast<unsigned>(tip)))));
  }
}

void CFMSView::OnLeftUp(wxMouseEvent& event) {
  if (m_panel.PressedCell() < 0) return;
  const bool over = CellAt(event.GetPosition()) == m_panel.PressedCell();
  Commands commands(m_document, this);
  m_panel.Release(over, commands);
  if (HasCapture()) ReleaseMouse();
  Refresh(false);
}

void CFMSView::OnCaptureLost(wxMouseCaptureLostEvent&) {
  Commands commands(m_document, this);
  m_panel.Release(false, commands);
  Refresh(false);
}

void CFMSView::RunCommand(int command, int block) {
  if (!m_panel.CommandEnabled(command, block, g_SimBlock.GetSnapshot())) return;
  Commands commands(m_document, this);
  m_panel.RunCommand(command, block, g_Settings.GetSimVer(), commands);
}

void CFMSView::OnContextMenu(wxContextMenuEvent& event) {
  wxPoint p = event.GetPosition();
  p = p == wxDefaultPosition ? wxPoint(GetClientSize().x / 2, GetClientSize().y / 2) : ScreenToClient(p);
  const fms::MenuChoice choice = m_panel.MenuFor(CellAt(p));
  if (choice.menu == 0) return;
  wxMenu menu;
  const SimSnapshot& sim = g_SimBlock.GetSnapshot();
  for (const MenuItem& item : MenuItems(choice.menu)) {
    if (item.text == nullptr) {
      menu.AppendSeparator();
      continue;
    }
    menu.Append(item.id, item.text)->Enable(m_panel.CommandEnabled(item.id, choice.block, sim));
  }
  const int chosen = GetPopupMenuSelectionFromUser(menu, p);
  if (chosen != wxID_NONE) RunCommand(chosen, choice.block);
}

void CFMSView::OnKey(wxKeyEvent& event) { keys::RouteKeyEvent(this, event, keys::Control::kView); }

void RegisterFmsPage() {
  RegisterMapPage(2, [](wxWindow* parent, IPlotrDocument& document, wxWindow* tabs) -> wxWindow* {
    auto* view = new CFMSView(parent, document);
    view->SetLinkedWindow(tabs);
    return view;
  });
}
