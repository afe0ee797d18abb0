#include "plotr/views/window/PlanListView.h"

#include <wx/clipbrd.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <memory>
#include <mutex>

#include "platform/ui/MenuStates.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/FrameServices.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FixNameMap.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/views/window/ManualWaypointDlg.h"
#include "plotr/views/window/TowerViewDlg.h"
#include "plotr/views/window/WxClip.h"
#include "plotr/views/window/WxKeys.h"

namespace {

constexpr int kCommands[] = {cmd::kManualSettings, cmd::kBearingPoint,   cmd::kHolding,    cmd::kFlyPlanFromHere,
                             cmd::kFlyTo,          cmd::kMoveAircraft,   cmd::kTowerView,  cmd::kEditCut,
                             cmd::kEditCopy,       cmd::kEditPaste,      cmd::kEditDelete, cmd::kPlanCenterMap,
                             cmd::kEditUndo,       cmd::kEditRedo,       cmd::kEditSelectAll};

// Pixels along the edges where a resting drag scrolls the list, and its pace.
constexpr int kScrollBand = 11;
constexpr int kFirstScrollMs = 50;
constexpr int kNextScrollMs = 100;
constexpr int kScrollPixels = 20;

constexpr unsigned kIdsUnusableFixName = 6414;
constexpr unsigned kIdsFixNameTooLong = 6415;

void AddPlanListStrings() {
  static const bool added = [] {
    ui::AddStrings({{kIdsUnusableFixName, "A waypoint name cannot hold ':' or control characters, nor be only blanks."},
                    {kIdsFixNameTooLong, "A waypoint name has at most 5 characters."},
                    {6032, "Move/Copy Waypoint."},
                    {6033, "Move/Copy Waypoint or drag Heading to Avionics bar."},
                    {6034, "Move/Copy Waypoint or drag Frequency/Heading to Avionics bar."}});
    return true;
  }();
  (void)added;
}


// The user's edit text as at most five code page 1252 bytes; nullopt when it has more.
std::optional<std::string> FixNameBytes(const wxString& text) {
  const std::string bytes = win::Utf8ToCp1252(text.ToStdString(wxConvUTF8));
  if (bytes.size() > kUserNameSize - 1) return std::nullopt;
  return bytes;
}

}  // namespace

CPlanListView::CPlanListView(wxWindow* parent, wxWindowID id, IPlotrDocument& document)
    : PlanListCtrl(parent, id), m_document(document), m_scrollTimer(this) {
  AddPlanListStrings();
  SetDropTarget(new CPlanListDropTarget(*this));
  for (int command : kCommands) {
    Bind(wxEVT_MENU, &CPlanListView::OnCommand, this, command);
    Bind(wxEVT_UPDATE_UI, &CPlanListView::OnUpdateCommand, this, command);
  }
  Bind(wxEVT_CONTEXT_MENU, &CPlanListView::OnContextMenu, this);
  Bind(wxEVT_LIST_BEGIN_DRAG, &CPlanListView::OnBeginDrag, this);
  Bind(wxEVT_LIST_BEGIN_LABEL_EDIT, &CPlanListView::OnBeginLabelEdit, this);
  Bind(wxEVT_LIST_END_LABEL_EDIT, &CPlanListView::OnEndLabelEdit, this);
  // Ahead of the base's key routing: Return centres the map first.
  Bind(wxEVT_KEY_DOWN, &CPlanListView::OnKeyDown, this);
  Bind(wxEVT_TIMER, &CPlanListView::OnScrollTimer, this);
  Inner()->Bind(wxEVT_LEFT_DCLICK, &CPlanListView::OnDoubleClick, this);
}

CPlanListView::~CPlanListView() { m_scrollTimer.Stop(); }

planlist::Selection CPlanListView::CurrentSelection() const { return {SelectedLines(), FocusedLine()}; }

planlist::CommandStates CPlanListView::CommandStates(bool withClipboard) const {
  bool clipboardHasPoints = false;
  if (withClipboard && wxTheClipboard->Open()) {
    clipboardHasPoints = wxTheClipboard->IsSupported(wxDataFormat(clip::kPlanPointArray));
    wxTheClipboard->Close();
  }
  // Only this thread changes the plan and the database, so reading them needs no lock; taking it
  // here would make every idle update wait for the map's picture.
  return planlist::ListCommandStates(m_document.GetPlan(), CurrentSelection(), GetItemCount(),
                                     m_document.GetPlan().Simulator(), g_Settings.GetSimVer(), clipboardHasPoints);
}

wxMenu* CPlanListView::BuildContextMenu() {
  auto* menu = new wxMenu;
  menu->Append(cmd::kManualSettings, "Man&ual Settings...");
  menu->AppendCheckItem(cmd::kBearingPoint, "&Bearing Point");
  menu->Append(cmd::kHolding, "Holding Pattern...");
  menu->AppendSeparator();
  menu->Append(cmd::kFlyPlanFromHere, "F&ly Flightplan from here");
  menu->Append(cmd::kFlyTo, "&Fly to here");
  menu->Append(cmd::kMoveAircraft, "&Move Aircraft to here");
  // The simulator from version 90 on places its tower view itself.
  if (g_Settings.GetSimVer() < 90) menu->Append(cmd::kTowerView, "&Set Tower view to here");
  menu->AppendSeparator();
  menu->Append(cmd::kEditCut, "Cu&t\tShift+Del");
  menu->Append(cmd::kEditCopy, "&Copy\tCtrl+Ins");
  menu->Append(cmd::kEditPaste, "&Paste\tShift+Ins");
  menu->Append(cmd::kEditDelete, "&Delete\tDel");
  menu->AppendSeparator();
  menu->Append(cmd::kPlanCenterMap, "C&enter Map\tReturn");
  ui::ApplyMenuStates(*menu, this, [this](wxUpdateUIEvent& update) { OnUpdateCommand(update); });
  return menu;
}

void CPlanListView::OnContextMenu(wxContextMenuEvent& event) {
  std::unique_ptr<wxMenu> menu(BuildContextMenu());
  wxPoint at = event.GetPosition();
  at = at == wxDefaultPosition ? wxPoint(0, 0) : ScreenToClient(at);
  PopupMenu(menu.get(), at.x, at.y - wxSystemSettings::GetMetric(wxSYS_MENU_Y) / 2);
}

void CPlanListView::OnUpdateCommand(wxUpdateUIEvent& event) {
  // Asking the clipboard waits for its owner: only Paste does.
  const planlist::CommandStates s = CommandStates(event.GetId() == cmd::kEditPaste);
  switch (event.GetId()) {
    case cmd::kManualSettings: event.Enable(s.manualSettings); return;
    case cmd::kBearingPoint:
      event.Enable(s.bearingPoint);
      // GTK menus have no third check state: a mixed selection shows unchecked.
      event.Check(s.bearingCheck == 1);
      return;
    case cmd::kHolding: event.Enable(s.holding); return;
    case cmd::kFlyPlanFromHere: event.Enable(s.flyPlanFromHere); return;
    case cmd::kFlyTo: event.Enable(s.flyTo); return;
    case cmd::kMoveAircraft: event.Enable(s.moveAircraft && m_document.GetPlan().SimLink().InSimulator()); return;
    case cmd::kTowerView: event.Enable(s.towerView && m_document.GetPlan().SimLink().InSimulator()); return;
    case cmd::kEditCut:
    case cmd::kEditCopy:
    case cmd::kEditDelete: event.Enable(s.editSelection); return;
    case cmd::kEditPaste: event.Enable(s.paste); return;
    case cmd::kPlanCenterMap: event.Enable(s.centerMap); return;
    case cmd::kEditUndo: event.Enable(s.undo); return;
    case cmd::kEditRedo: event.Enable(s.redo); return;
    case cmd::kEditSelectAll: event.Enable(s.selectAll); return;
    default: event.Enable(false); return;
  }
}

void CPlanListView::OnCommand(wxCommandEvent& event) { RunCommand(event.GetId()); }

bool CPlanListView::RunCommand(int id) {
  wxUpdateUIEvent update(id);
  OnUpdateCommand(update);
  if (update.GetSetEnabled() && !update.GetEnabled()) return false;
  switch (id) {
    case cmd::kManualSettings: {
      // The dialog tells the views and marks the document itself.
      EditWaypointSettings(this, m_document, CommandStates().manualSettingsRow);
      break;
    }
    case cmd::kBearingPoint:
      if (planlist::ToggleBearingPoints(m_document.GetPlan(), CurrentSelection())) {
        m_document.SetPlanModified(true);
        m_document.UpdatePlanViews(nullptr, kHintPlanChanged);
      }
      planedit::ClearNewFlags(m_document.GetPlan());
      break;
    case cmd::kHolding: Holding(); break;
    case cmd::kFlyPlanFromHere: FlyPlanFromHere(); break;
    case cmd::kFlyTo: FlyTo(); break;
    case cmd::kMoveAircraft: MoveAircraft(); break;
    case cmd::kTowerView: TowerView(); break;
    case cmd::kEditCut:
      Copy();
      Delete();
      break;
    case cmd::kEditCopy: Copy(); break;
    case cmd::kEditPaste: Paste(); break;
    case cmd::kEditDelete: Delete(); break;
    case cmd::kPlanCenterMap: CenterMap(); break;
    case cmd::kEditUndo: UndoRedo(true); break;
    case cmd::kEditRedo: UndoRedo(false); break;
    case cmd::kEditSelectAll: SelectAll(); break;
    default: return false;
  }
  return true;
}

void CPlanListView::PlanChanged(uint32_t hint) {
  m_document.SetPlanModified(true);
  m_document.UpdatePlanViews(nullptr, hint);
  planedit::ClearNewFlags(m_document.GetPlan());
}

void CPlanListView::CenterMap() {
  double lat = 0, lon = 0;
  {
    DatabaseLease lease;
    if (!planlist::RowPosition(m_document.GetPlan(), FocusedLine(), lat, lon)) return;
  }
  CCenterHint hint{lat, lon, 1};
  m_document.UpdatePlanViews(nullptr, kHintCenter, &hint);
}

void CPlanListView::Copy() {
  clip::ClipData data;
  {
    DatabaseLease lease;
    data = planlist::CopySelection(m_document.GetPlan(), CurrentSelection(), m_document.GetPlan().Simulator());
  }
  clip::PutOnClipboard(data);
}

void CPlanListView::Paste() {
  const std::optional<std::string> bytes = clip::ClipboardBytes(clip::kPlanPointArray);
  if (!bytes) return;
  if (planlist::Paste(m_document.GetPlan(), *bytes, CurrentSelection(), GetItemCount())) {
    PlanChanged(kHintPlanChanged);
  }
}

void CPlanListView::Delete() {
  if (planlist::DeleteSelection(m_document.GetPlan(), CurrentSelection())) {
    m_document.SetPlanModified(true);
    m_document.UpdatePlanViews(nullptr, kHintPlanChanged);
  }
  planedit::ClearNewFlags(m_document.GetPlan());
}

void CPlanListView::UndoRedo(bool undo) {
  CFlightPlanCore& plan = m_document.GetPlan();
  if (undo ? !plan.CanUndo() : !plan.CanRedo()) return;
  const uint8_t modified = undo ? planedit::UndoLocked(plan) : planedit::RedoLocked(plan);
  m_document.SetPlanModified(modified != 0);
  planedit::Refresh(plan);
  m_document.UpdatePlanViews(nullptr, kHintPlanChanged);
}

void CPlanListView::FlyTo() {
  double lat = 0, lon = 0;
  {
    DatabaseLease lease;
    if (!planlist::RowPosition(m_document.GetPlan(), FocusedLine(), lat, lon)) return;
  }
  m_document.GetPlan().SimLink().RequestFlyTo(lat, lon);
}

void CPlanListView::FlyPlanFromHere() {
  const int row = FocusedLine();
  // The guidance takes a plan row: the list line, not the waypoint's index in the route.
  m_document.GetPlan().SimLink().RequestFlyPlanFrom(row);
}

void CPlanListView::MoveAircraft() {
  CFlightPlanCore& plan = m_document.GetPlan();
  IPlanSimLink& sim = plan.SimLink();
  if (!sim.InSimulator()) return;
  search::MoveTarget target;
  {
    DatabaseLease lease;
    target = planlist::MoveAircraftTarget(plan, FocusedLine(), sim.Snapshot().onGround, lease.Database());
  }
  if (target.act) sim.MoveAircraft(target.latitude, target.longitude, target.altitude, target.heading);
}

void CPlanListView::TowerView() {
  CFlightPlanCore& plan = m_document.GetPlan();
  IPlanSimLink& sim = plan.SimLink();
  if (!sim.InSimulator()) return;
  search::TowerTarget target;
  {
    DatabaseLease lease;
    target = planlist::TowerViewTarget(plan, FocusedLine(), sim.Snapshot(), lease.Database());
  }
  double metres = target.altitude;
  if (target.askAltitude) {
    const std::optional<int> feet = AskTowerViewAltitude(this, target.seedFeet);
    if (!feet) return;
    metres = search::TowerFeetToMetres(*feet);
  }
  sim.SetTowerViewPosition(target.latitude, target.longitude, metres);
}

void CPlanListView::Holding() {
  const planlist::CommandStates s = CommandStates();
  double lat = 0, lon = 0;
  {
    DatabaseLease lease;
    const PlanPoint* point = planlist::RowPoint(m_document.GetPlan(), s.holdingRow);
    if (point == nullptr) return;
    lat = point->ref.point.latitude;
    lon = point->ref.point.longitude;
  }
  planedit::DefineHolding(m_document.GetPlan(), lat, lon);
}

void CPlanListView::SelectAll() {
  const int rows = static_cast<int>(m_document.GetPlan().m_rows.size());
  for (int line = 0; line < rows && line < GetItemCount(); ++line) SelectLine(line, true);
}

void CPlanListView::ShowStatus(unsigned id) {
  IFrameServices* main = GetFrameServices();
  if (main == nullptr) return;
  if (id == 0) {
    main->ShowIdleStatus();
    return;
  }
  const std::string text = ui::LoadString(id);
  main->ShowStatusText(text);
}

void CPlanListView::OnBeginDrag(wxListEvent&) {
  CFlightPlanCore& plan = m_document.GetPlan();
  const planlist::DragStart start =
      planlist::BeginDrag(plan, CurrentSelection(), m_document.GetPlan().Simulator(), g_Settings.GetMapBcIls(false));
  if (start.data.empty()) return;
  ShowStatus(start.statusId);
  const wxDragResult result = clip::RunDrag(this, start.data, true);
  ShowStatus(0);
  if (planlist::EndDrag(plan, result == wxDragMove)) {
    m_document.SetPlanModified(true);
    m_document.UpdatePlanViews(nullptr, kHintPlanChanged);
  }
}

void CPlanListView::OnBeginLabelEdit(wxListEvent& event) {
  bool allowed = false;
  {
    DatabaseLease lease;
    allowed = planlist::CanRenameRow(m_document.GetPlan(), static_cast<int>(event.GetIndex()));
  }
  if (!allowed) {
    event.Veto();
    return;
  }
  // The list makes its edit box only after this event has been answered: limit it once it exists.
  CallAfter([this] {
    if (wxTextCtrl* edit = GetEditControl()) edit->SetMaxLength(kUserNameSize - 1);
  });
}

void CPlanListView::OnEndLabelEdit(wxListEvent& event) {
  // The list never keeps its own label: the refill shows the name the plan took.
  event.Veto();
  const int row = static_cast<int>(event.GetIndex());
  if (row < 0 || event.IsEditCancelled()) return;
  const std::optional<std::string> name = FixNameBytes(event.GetLabel());
  if (!name) {
    ui::ShowMessageBox(this, ui::LoadString(kIdsFixNameTooLong), "Chartwright", ui::kMbOk | ui::kMbIconExclamation);
    return;
  }
  if (!IsUsableFixName(*name)) {
    ui::ShowMessageBox(this, ui::LoadString(kIdsUnusableFixName), "Chartwright", ui::kMbOk | ui::kMbIconExclamation);
    return;
  }
  if (planlist::RenameRow(m_document.GetPlan(), row, *name)) {
    m_document.UpdatePlanViews(nullptr, kHintPlanChangedKeepSelection);
    planedit::ClearNewFlags(m_document.GetPlan());
    m_document.SetPlanModified(true);
  }
}

void CPlanListView::OnKeyDown(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.ShiftDown()) CenterMap();
  event.Skip();
}

void CPlanListView::OnDoubleClick(wxMouseEvent& event) {
  event.Skip();
  CallAfter([this] { CenterMap(); });
}

// ---- Drop target ------------------------------------------------------------------------------------

int CPlanListView::ScrollDirection(const wxPoint& point) const {
  const wxSize size = Inner()->GetClientSize();
  if (point.x < 0 || point.y < 0 || point.x >= size.x || point.y >= size.y) return 0xFFFF;
  int horizontal = 0xFF, vertical = 0xFF;
  if (point.x < kScrollBand) horizontal = 0;
  if (point.x >= size.x - kScrollBand) horizontal = 1;
  if (point.y < kScrollBand) vertical = 0;
  if (point.y >= size.y - kScrollBand) vertical = 1;
  return horizontal | (vertical << 8);
}

void CPlanListView::ScrollOnce(int direction) {
  const int vertical = (direction >> 8) & 0xFF;
  const int horizontal = direction & 0xFF;
  const long top = GetTopItem();
  if (vertical == 0 && top > 0) EnsureVisible(top - 1);
  if (vertical == 1 && top + GetCountPerPage() < GetItemCount()) EnsureVisible(top + GetCountPerPage());
  if (horizontal == 0) ScrollList(-kScrollPixels, 0);
  if (horizontal == 1) ScrollList(kScrollPixels, 0);
  Refresh();
}

// GTK reports drag motion only when the pointer moves, so a pointer resting in the band keeps
// scrolling on the timer.
void CPlanListView::OnScrollTimer(wxTimerEvent&) {
  if (m_scrollDirection == 0xFFFF) {
    m_scrollTimer.Stop();
    return;
  }
  ScrollOnce(m_scrollDirection);
  m_scrollTimer.Start(kNextScrollMs, wxTIMER_ONE_SHOT);
}

wxDragResult CPlanListView::DragOver(const wxPoint& point, wxDragResult suggested, const clip::ClipData& offered) {
  const int direction = ScrollDirection(point);
  if (direction != m_scrollDirection) {
    m_scrollDirection = direction;
    m_scrollTimer.Stop();
    if (direction != 0xFFFF) m_scrollTimer.Start(kFirstScrollMs, wxTIMER_ONE_SHOT);
  }
  const int line = LineAt(point);
  const bool ctrl = wxGetKeyState(WXK_CONTROL);
  planlist::DropJudgement judged;
  {
    DatabaseLease lease;
    CFlightPlanCore& plan = m_document.GetPlan();
    judged = planlist::JudgeDrop(offered, plan, SidStarStoreOf(plan), line, ctrl);
  }
  if (judged.kind == planlist::DropKind::kNone) {
    SetDropLine(-1);
    return wxDragNone;
  }
  SetDropLine(line);
  (void)suggested;
  return judged.copy ? wxDragCopy : wxDragMove;
}

wxDragResult CPlanListView::DropData(const wxPoint& point, wxDragResult suggested, const clip::ClipData& offered) {
  DragLeave();
  const int line = LineAt(point);
  const bool ctrl = wxGetKeyState(WXK_CONTROL) || suggested == wxDragCopy;
  CFlightPlanCore& plan = m_document.GetPlan();
  const uint32_t hint = planlist::Drop(plan, SidStarStoreOf(plan), offered, line, ctrl, ctrl);
  if (hint == 0) return wxDragNone;
  PlanChanged(hint);
  return suggested;
}

void CPlanListView::DragLeave() {
  m_scrollDirection = 0xFFFF;
  m_scrollTimer.Stop();
  SetDropLine(-1);
}

CPlanListDropTarget::CPlanListDropTarget(CPlanListView& list) : m_list(list), m_composite(new wxDataObjectComposite) {
  for (const char* format : {clip::kSidStar, clip::kPlanPointArray, clip::kFullPoint}) {
    m_composite->Add(new wxCustomDataObject(wxDataFormat(format)));
  }
  SetDataObject(m_composite);
  SetDefaultAction(wxDragMove);
}

clip::ClipData CPlanListDropTarget::Offered() {
  if (const clip::ClipData* current = clip::DragSession::Current()) return *current;
  // From outside only the offered format is known: let it in, the drop reads and judges it.
  const wxDataFormat format = GetMatchingPair();
  for (const char* name : {clip::kSidStar, clip::kPlanPointArray, clip::kFullPoint}) {
    if (format == wxDataFormat(name)) return {{name, std::string()}};
  }
  return {};
}

wxDragResult CPlanListDropTarget::OnDragOver(wxCoord x, wxCoord y, wxDragResult suggested) {
  const clip::ClipData offered = Offered();
  if (clip::DragSession::Current() == nullptr && !offered.empty()) {
    // Bytes unknown before the drop: points move or copy, the others copy.
    const int line = m_list.LineAt({x, y});
    m_list.SetDropLine(line);
    if (offered[0].first == clip::kPlanPointArray) return wxGetKeyState(WXK_CONTROL) ? wxDragCopy : wxDragMove;
    return wxDragCopy;
  }
  return m_list.DragOver({x, y}, suggested, offered);
}

bool CPlanListDropTarget::OnDrop(wxCoord, wxCoord) { return true; }

wxDragResult CPlanListDropTarget::OnData(wxCoord x, wxCoord y, wxDragResult suggested) {
  if (!GetData()) {
    m_list.DragLeave();
    return wxDragNone;
  }
  return m_list.DropData({x, y}, suggested, OfferedIn(*m_composite));
}

clip::ClipData CPlanListDropTarget::OfferedIn(wxDataObjectComposite& object) {
  clip::ClipData offered;
  for (const char* format : {clip::kSidStar, clip::kPlanPointArray, clip::kFullPoint}) {
    if (auto bytes = clip::DroppedBytes(object, format)) offered.emplace_back(format, std::move(*bytes));
  }
  return offered;
}

void CPlanListDropTarget::OnLeave() { m_list.DragLeave(); }
