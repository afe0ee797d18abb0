#include "plotr/views/window/SearchView.h"

#include <wx/dc.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include <cfloat>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/ui/MenuStates.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/FrameServices.h"
#include "plotr/core/Settings.h"
#include "plotr/core/UpdateHints.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/TowerViewDlg.h"
#include "plotr/views/window/WxClip.h"
#include "plotr/views/window/WxKeys.h"

namespace {

constexpr int kIdButton = 8180;
constexpr int kEditId = 8181;
constexpr int kListId = 8182;
using cmd::kEditCopy;
using cmd::kEditCut;
using cmd::kEditDelete;
using cmd::kEditPaste;
using cmd::kEditRedo;
using cmd::kEditSelectAll;
using cmd::kEditUndo;

constexpr unsigned kIdsInputLine = 6071;
constexpr unsigned kIdsTooManyWaypoints = 6409;

void AddSearchStrings() {
  static bool added = false;
  if (added) return;
  added = true;
  ui::AddStrings({{kIdsInputLine, "Inputline"}, {kIdsTooManyWaypoints, "Too many Waypoints Found."}});
}

wxString Wx(const std::string& cp1252) { return wxString::FromUTF8(win::Cp1252ToUtf8(cp1252)); }

// Colour schemes: text and background of the edit and the list.
void SchemeColours(int scheme, wxColour& text, wxColour& back) {
  switch (scheme) {
    case 1: text = wxColour(0xC0, 0xC0, 0xC0); back = wxColour(0, 0, 0x40); break;
    case 2: text = wxColour(0xC0, 0xC0, 0xC0); back = wxColour(0, 0, 0); break;
    default: text = wxColour(0, 0, 0); back = wxColour(255, 255, 255); break;
  }
}


}  // namespace

// ---- Controls ----------------------------------------------------------------------------------------

CNavButton::CNavButton(wxWindow* parent, wxWindowID id, const wxString& label)
    : wxCheckBox(parent, id, label, wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT) {
  const auto route = [this](wxKeyEvent& event) { keys::RouteKeyEvent(this, event, keys::Control::kNavButton); };
  Bind(wxEVT_KEY_DOWN, route);
  Bind(wxEVT_KEY_UP, route);
  Bind(wxEVT_CHAR, route);
}

CNavEdit::CNavEdit(wxWindow* parent, wxWindowID id, NavNotifier notify)
    : wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER),
      m_notify(std::move(notify)) {
  SetEditable(false);
  Bind(wxEVT_LEFT_UP, &CNavEdit::OnLeftUp, this);
  Bind(wxEVT_KEY_DOWN, &CNavEdit::OnKeyDown, this);
  Bind(wxEVT_KEY_UP, [this](wxKeyEvent& e) { keys::RouteKeyEvent(this, e, keys::Control::kNavEdit, IsPassive()); });
  Bind(wxEVT_CHAR, &CNavEdit::OnChar, this);
  Bind(wxEVT_KILL_FOCUS, &CNavEdit::OnKillFocus, this);
}

void CNavEdit::BecomeEditable() {
  SetEditable(true);
  // GTK keeps the caret in view by itself; moving it would drop the selection.
  SelectAll();
}

void CNavEdit::BecomePassive() {
  SetEditable(false);
  // Leaving the editing state forgets what could be undone.
  DiscardEdits();
}

void CNavEdit::OnLeftUp(wxMouseEvent& event) {
  event.Skip();
  if (IsPassive()) CallAfter([this] { BecomeEditable(); });
}

void CNavEdit::OnKeyDown(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
    const IFrameServices* main = GetFrameServices();
    const bool floating = main != nullptr && !main->IsDocked();
    if (IsPassive()) {
      if (event.ShiftDown()) {
        if (floating) keys::RouteKeyEvent(this, event, keys::Control::kNavEdit, true);
        return;
      }
      BecomeEditable();
      return;
    }
    BecomePassive();
    if (!m_notify || !m_notify(NavNotify::kReturn)) BecomeEditable();
    return;
  }
  if (key == WXK_ESCAPE && !IsPassive()) {
    BecomePassive();
    return;
  }
  keys::RouteKeyEvent(this, event, keys::Control::kNavEdit, IsPassive());
}

void CNavEdit::OnChar(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (IsPassive()) {
    // The passive field types nothing; its keys go on to the simulator.
    keys::RouteKeyEvent(this, event, keys::Control::kNavEdit, true);
    return;
  }
  // Printable characters and Backspace are typed; other control characters are dropped.
  if (key == WXK_BACK || key >= 32 || event.GetUnicodeKey() >= 32) event.Skip();
}

void CNavEdit::OnKillFocus(wxFocusEvent& event) {
  event.Skip();
  if (!IsPassive()) BecomePassive();
}

CNavListBox::CNavListBox(wxWindow* parent, wxWindowID id, NavNotifier notify)
    : wxVListBox(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_STATIC | wxHSCROLL | wxWANTS_CHARS),
      m_notify(std::move(notify)) {
  Bind(wxEVT_KEY_DOWN, &CNavListBox::OnKeyDown, this);
  Bind(wxEVT_KEY_UP, [this](wxKeyEvent& e) { keys::RouteKeyEvent(this, e, keys::Control::kNavListBox); });
  Bind(wxEVT_CHAR, &CNavListBox::OnChar, this);
  Bind(wxEVT_LEFT_DOWN, &CNavListBox::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &CNavListBox::OnLeftDouble, this);
  Bind(wxEVT_RIGHT_DOWN, &CNavListBox::OnRightDown, this);
}

void CNavListBox::SetRows(std::vector<std::string> rows) {
  m_rows = std::move(rows);
  SetItemCount(m_rows.size());
  SetSelection(wxNOT_FOUND);
  Refresh();
}

void CNavListBox::SetScheme(const wxColour& text, const wxColour& back) {
  m_text = text;
  SetBackgroundColour(back);
  Refresh();
}

void CNavListBox::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
  if (n >= m_rows.size()) return;
  dc.SetTextForeground(IsSelected(n) ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT) : m_text);
  // GTK list boxes expand no tabs: the fields stand at 45 and 80 dialog units.
  const int stops[2] = {ConvertDialogToPixels(wxPoint(45, 0)).x, ConvertDialogToPixels(wxPoint(80, 0)).x};
  const std::string& row = m_rows[n];
  size_t start = 0;
  for (int field = 0; field < 3; ++field) {
    const size_t tab = field < 2 ? row.find('\t', start) : std::string::npos;
    const std::string text = row.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    dc.DrawText(Wx(text), rect.x + 2 + (field == 0 ? 0 : stops[field - 1]), rect.y + 1);
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
}

wxCoord CNavListBox::OnMeasureItem(size_t) const { return GetCharHeight() + 2; }

void CNavListBox::OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const {
  if (IsSelected(n)) {
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(rect);
  }
}

void CNavListBox::OnKeyDown(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.ShiftDown() && m_notify) m_notify(NavNotify::kReturn);
  keys::RouteKeyEvent(this, event, keys::Control::kNavListBox);
}

void CNavListBox::OnChar(wxKeyEvent& event) { keys::RouteKeyEvent(this, event, keys::Control::kNavListBox); }

void CNavListBox::OnLeftDown(wxMouseEvent& event) {
  // The click selects its row first, then the form hears of it (it may start a drag).
  const int row = VirtualHitTest(event.GetY());
  if (row != wxNOT_FOUND) SetSelection(row);
  SetFocus();
  if (m_notify) m_notify(NavNotify::kClick);
}

void CNavListBox::OnLeftDouble(wxMouseEvent& event) {
  event.Skip();
  if (m_notify) m_notify(NavNotify::kDoubleClick);
}

void CNavListBox::OnRightDown(wxMouseEvent& event) {
  SetFocus();
  // A click on an empty part keeps the selection.
  const int row = VirtualHitTest(event.GetY());
  if (row != wxNOT_FOUND) SetSelection(row);
  event.Skip();
}

// ---- The form -----------------------------------------------------------------------------------------

CSearchView::CSearchView(wxWindow* parent, IPlotrDocument& document)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(40, 40), wxCLIP_CHILDREN), m_document(document) {
  AddSearchStrings();
  clip::AddDragStatusStrings();
  SetName("Search");
  m_id = new CNavButton(this, kIdButton, "Id:");
  m_edit = new CNavEdit(this, kEditId, [this](NavNotify code) { return OnEditNotify(code); });
  m_list = new CNavListBox(this, kListId, [this](NavNotify code) { return OnListNotify(code); });
  auto* line = new wxBoxSizer(wxHORIZONTAL);
  line->Add(m_id, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  line->Add(m_edit, 1, wxEXPAND);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(line, 0, wxEXPAND);
  column->Add(m_list, 1, wxEXPAND);
  SetSizer(column);
  SetMinSize(ConvertDialogToPixels(wxSize(66, 33)));

  m_list->Bind(wxEVT_MOTION, &CSearchView::OnListMotion, this);
  Bind(wxEVT_CONTEXT_MENU, &CSearchView::OnContextMenu, this);
  for (int id : {cmd::kSearchCenterMap, cmd::kFlyTo, cmd::kMoveAircraft, cmd::kTowerView, cmd::kHolding,
                 cmd::kSearchToPlan, kEditDelete, kEditCopy, kEditCut, kEditPaste, kEditSelectAll, kEditUndo,
                 kEditRedo}) {
    Bind(wxEVT_MENU, &CSearchView::OnCommand, this, id);
    Bind(wxEVT_UPDATE_UI, &CSearchView::OnUpdateCommand, this, id);
  }
}

wxSize CSearchView::GetFormSize() const { return ConvertDialogToPixels(wxSize(132, 33)); }

void CSearchView::OnInitialUpdate() {
  m_edit->ChangeValue(Wx(ui::LoadString(kIdsInputLine)));
  OnPlanUpdate(UpdateHint{0, nullptr});
}

void CSearchView::OnPlanUpdate(const UpdateHint& hint) {
  if (hint.bits == 0 || (hint.bits & kHintPeriodic) != 0) {
    const int scheme = g_Settings.GetColorScheme(false);
    if (scheme != m_scheme) {
      m_scheme = scheme;
      ApplyScheme();
    }
  }
  if (hint.bits & kHintDatabaseReloaded) m_list->SetRows({});
}

void CSearchView::ApplyScheme() {
  wxColour text, back;
  SchemeColours(m_scheme, text, back);
  m_edit->SetForegroundColour(text);
  m_edit->SetBackgroundColour(back);
  m_list->SetScheme(text, back);
  Refresh();
}

void CSearchView::FillSearchResults() {
  const bool identifiers = m_id->GetValue();
  const std::string text = win::Utf8ToCp1252(m_edit->GetValue().utf8_string());
  m_results.clear();
  m_list->SetRows({});
  if (text.empty()) return;
  search::Result result;
  {
    wxBusyCursor wait;
    DatabaseLease lease;
    const CRoute* route = m_document.GetPlan().GetCurrent();
    if (route == nullptr) return;
    result = search::SearchDatabase(text, identifiers, lease.Database(), *route, g_Settings.GetMapBcIls(false));
  }
  std::vector<std::string> rows;
  for (search::Row& row : result.rows) {
    rows.push_back(std::move(row.text));
    m_results.push_back(row.point);
  }
  m_list->SetRows(std::move(rows));
  // The lock is released before the message waits for the user.
  if (result.tooMany) {
    ui::ShowMessageBox(this, ui::LoadString(kIdsTooManyWaypoints), "Chartwright", ui::kMbOk | ui::kMbIconInformation);
  }
}

std::optional<FullPoint> CSearchView::SelectedPoint() const {
  const int row = m_list->GetSelection();
  if (row == wxNOT_FOUND || static_cast<size_t>(row) >= m_results.size()) return std::nullopt;
  return m_results[static_cast<size_t>(row)];
}

bool CSearchView::OnEditNotify(NavNotify code) {
  if (code != NavNotify::kReturn) return false;
  FillSearchResults();
  return true;
}

bool CSearchView::OnListNotify(NavNotify code) {
  switch (code) {
    case NavNotify::kReturn:
    case NavNotify::kDoubleClick:
      m_pressPoint.reset();
      CenterMap();
      return true;
    case NavNotify::kClick:
      m_pressPoint = m_list->ScreenToClient(wxGetMousePosition());
      return true;
  }
  return false;
}

// A drag of the selected row starts when the pointer leaves the drag threshold with the button
// held: a drag on the bare click would swallow the double click.
void CSearchView::OnListMotion(wxMouseEvent& event) {
  event.Skip();
  if (!m_pressPoint || !event.LeftIsDown()) {
    m_pressPoint.reset();
    return;
  }
  const wxPoint d = event.GetPosition() - *m_pressPoint;
  if (std::abs(d.x) <= std::max(1, wxSystemSettings::GetMetric(wxSYS_DRAG_X)) &&
      std::abs(d.y) <= std::max(1, wxSystemSettings::GetMetric(wxSYS_DRAG_Y))) {
    return;
  }
  m_pressPoint.reset();
  StartDrag();
}

void CSearchView::StartDrag() {
  const std::optional<FullPoint> point = SelectedPoint();
  if (!point) return;
  clip::ClipData data;
  unsigned status = 0;
  {
    DatabaseLease lease;
    const CRoute* route = m_document.GetPlan().GetCurrent();
    if (route == nullptr) return;
    const bool bcIls = g_Settings.GetMapBcIls(false);
    data = clip::ObjectDrag(*point, *route, m_document.GetPlan().Simulator(), bcIls);
    status = clip::DragStatusId(*point, false, *route, bcIls);
  }
  IFrameServices* main = GetFrameServices();
  if (status != 0 && main != nullptr) {
    const std::string text = ui::LoadString(status);
    main->ShowStatusText(text);
  }
  clip::RunDrag(this, data, true);
  if (main != nullptr) main->ShowIdleStatus();
}

wxMenu* CSearchView::BuildContextMenu() {
  auto* menu = new wxMenu;
  menu->Append(cmd::kSearchToPlan, "&To Flightplan");
  menu->Append(cmd::kHolding, "Holding Pattern...");
  menu->AppendSeparator();
  menu->Append(cmd::kFlyTo, "&Fly to here");
  menu->Append(cmd::kMoveAircraft, "&Move Aircraft to here");
  if (g_Settings.GetSimVer() <= 89) menu->Append(cmd::kTowerView, "&Set Tower view to here");
  menu->AppendSeparator();
  menu->Append(kEditCopy, "&Copy\tCtrl+Ins");
  menu->AppendSeparator();
  menu->Append(cmd::kSearchCenterMap, "C&enter Map\tReturn");
  const bool wasListMenu = std::exchange(m_listMenu, true);
  ui::ApplyMenuStates(*menu, this, [this](wxUpdateUIEvent& update) { OnUpdateCommand(update); });
  m_listMenu = wasListMenu;
  return menu;
}

void CSearchView::OnContextMenu(wxContextMenuEvent& event) {
  if (event.GetEventObject() != m_list) return;
  std::unique_ptr<wxMenu> menu(BuildContextMenu());
  wxPoint at = event.GetPosition();
  at = at == wxDefaultPosition ? wxPoint(0, 0) : ScreenToClient(at);
  // A right click leaves the focus where it was and the popup takes it while it is up: the
  // menu's edit commands are the list's whatever holds the focus.
  m_listMenu = true;
  PopupMenu(menu.get(), at.x, at.y - wxSystemSettings::GetMetric(wxSYS_MENU_Y) / 2);
  m_listMenu = false;
}

void CSearchView::OnUpdateCommand(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  const bool inEdit = !m_listMenu && FindFocus() == m_edit;
  const bool inList = m_listMenu || FindFocus() == m_list;
  const bool editable = inEdit && !m_edit->IsPassive();
  long from = 0, to = 0;
  m_edit->GetSelection(&from, &to);
  const std::optional<FullPoint> row = SelectedPoint();
  switch (id) {
    case kEditCopy: event.Enable((inEdit && from != to) || (inList && row)); return;
    case kEditCut: event.Enable(editable && from != to); return;
    case kEditPaste: event.Enable(editable && m_edit->CanPaste()); return;
    case kEditDelete: event.Enable(editable); return;
    case kEditSelectAll: event.Enable(inEdit); return;
    case kEditUndo: event.Enable(editable && m_edit->CanUndo()); return;
    case kEditRedo: event.Enable(false); return;
    default: break;
  }
  bool resolves = false;
  if (row && id == cmd::kSearchToPlan) {
    DatabaseLease lease;
    FullPoint found;
    if (const CRoute* route = m_document.GetPlan().GetCurrent()) resolves = route->Resolve(found, row->point);
  }
  const search::CommandStates s = search::SearchCommandStates(row ? &*row : nullptr, resolves,
                                                              m_document.GetPlan().Simulator(), g_Settings.GetSimVer());
  switch (id) {
    case cmd::kSearchCenterMap: event.Enable(s.centerMap); return;
    case cmd::kFlyTo: event.Enable(s.flyTo); return;
    case cmd::kMoveAircraft: event.Enable(s.moveAircraft && m_document.GetPlan().SimLink().InSimulator()); return;
    case cmd::kTowerView: event.Enable(s.towerView && m_document.GetPlan().SimLink().InSimulator()); return;
    case cmd::kHolding: event.Enable(s.holding); return;
    case cmd::kSearchToPlan: event.Enable(s.addToPlan); return;
    default: event.Enable(false); return;
  }
}

void CSearchView::OnCommand(wxCommandEvent& event) {
  wxUpdateUIEvent update(event.GetId());
  OnUpdateCommand(update);
  if (update.GetSetEnabled() && !update.GetEnabled()) return;
  switch (event.GetId()) {
    case cmd::kSearchCenterMap: CenterMap(); break;
    case cmd::kFlyTo:
      if (const auto row = SelectedPoint()) {
        m_document.GetPlan().SimLink().RequestFlyTo(row->point.latitude, row->point.longitude);
      }
      break;
    case cmd::kMoveAircraft: MoveAircraft(); break;
    case cmd::kTowerView: TowerView(); break;
    case cmd::kSearchToPlan: AddToPlan(); break;
    case cmd::kHolding:
      if (const auto row = SelectedPoint(); row && (m_document.GetPlan().Simulator().holdingState & 1) == 0) {
        planedit::DefineHolding(m_document.GetPlan(), row->point.latitude, row->point.longitude);
      }
      break;
    case kEditCopy:
      if (!m_listMenu && FindFocus() == m_edit) {
        m_edit->Copy();
      } else {
        CopySelection();
      }
      break;
    case kEditCut: m_edit->Cut(); break;
    case kEditPaste: m_edit->Paste(); break;
    case kEditDelete: {
      long from = 0, to = 0;
      m_edit->GetSelection(&from, &to);
      if (from == to) {
        to = std::min(from + 1, m_edit->GetLastPosition());
        m_edit->ShowPosition(to);
      }
      m_edit->Remove(from, to);
      break;
    }
    case kEditSelectAll:
      m_edit->SelectAll();
      m_edit->ShowPosition(m_edit->GetInsertionPoint());
      break;
    case kEditUndo: m_edit->Undo(); break;
    default: break;
  }
}

void CSearchView::CenterMap() {
  const std::optional<FullPoint> row = SelectedPoint();
  if (!row) return;
  CCenterHint hint{row->point.latitude, row->point.longitude, 1};
  m_document.UpdatePlanViews(nullptr, kHintCenter, &hint);
}

void CSearchView::CopySelection() {
  const std::optional<FullPoint> row = SelectedPoint();
  if (!row) return;
  clip::ClipData data;
  {
    DatabaseLease lease;
    const CRoute* route = m_document.GetPlan().GetCurrent();
    if (route == nullptr) return;
    data = clip::ObjectCopy(*row, *route, m_document.GetPlan().Simulator(), "\r\n\r\n");
  }
  clip::PutOnClipboard(data);
}

void CSearchView::MoveAircraft() {
  CFlightPlanCore& plan = m_document.GetPlan();
  IPlanSimLink& sim = plan.SimLink();
  const std::optional<FullPoint> row = SelectedPoint();
  if (!sim.InSimulator() || !row) return;
  search::MoveTarget target;
  {
    DatabaseLease lease;
    const CRoute* route = plan.GetCurrent();
    if (route == nullptr) return;
    target = search::MoveAircraftTarget(*row, sim.Snapshot().onGround, lease.Database(), *route);
  }
  if (target.act) sim.MoveAircraft(target.latitude, target.longitude, target.altitude, target.heading);
}

void CSearchView::TowerView() {
  CFlightPlanCore& plan = m_document.GetPlan();
  IPlanSimLink& sim = plan.SimLink();
  const std::optional<FullPoint> row = SelectedPoint();
  if (!sim.InSimulator() || !row) return;
  const SimSnapshot& snapshot = sim.Snapshot();
  search::TowerTarget target;
  {
    DatabaseLease lease;
    const CRoute* route = plan.GetCurrent();
    if (route == nullptr) return;
    target = search::TowerViewTarget(*row, snapshot, lease.Database(), *route);
  }
  if (!target.askAltitude) {
    sim.SetTowerViewPosition(target.latitude, target.longitude, target.altitude);
    return;
  }
  const std::optional<int> feet = AskTowerViewAltitude(this, target.seedFeet);
  if (feet) sim.SetTowerViewPosition(target.latitude, target.longitude, search::TowerFeetToMetres(*feet));
}

void CSearchView::AddToPlan() {
  const std::optional<FullPoint> row = SelectedPoint();
  if (!row) return;
  CFlightPlanCore& plan = m_document.GetPlan();
  bool added = false;
  {
    DatabaseLease lease;
    added = search::AddRowToPlan(plan, *row);
  }
  if (!added) return;
  m_document.SetPlanModified(true);
  m_document.UpdatePlanViews(nullptr, kHintPlanChanged);
  planedit::ClearNewFlags(plan);
}

void RegisterSearchPane() {
  RegisterPane(PaneSlot::Search, [](wxWindow* parent, IPlotrDocument& document) -> wxWindow* {
    return new CSearchView(parent, document);
  });
}
