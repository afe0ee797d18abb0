#pragma once

// Atcplan's export-options dialog over its model, and the runway list views it is made of.
// Built only with the windows (wx is shared with the host).

#include <string>

#include "planexport/atcplan/AtcDetailsModel.h"

class wxListCtrl;

// Control ids beside the lists' (AtcList).
inline constexpr int kAtcTitleId = 1012;
inline constexpr int kAtcDescriptionId = 1013;
inline constexpr int kAtcAircraftTypeId = 1014;
inline constexpr int kAtcMoveToOpenDepartureId = 1006;
inline constexpr int kAtcMoveToAvailableDepartureId = 1007;
inline constexpr int kAtcMoveToOpenArrivalId = 1010;
inline constexpr int kAtcMoveToAvailableArrivalId = 1011;

// Runs the dialog modally over `parent` (a wxWindow*, may be null): 1 after OK with the
// model's details set, 2 after Cancel.
int AtcDetailsDlgProc(AtcDetailsModel& model, void* parent, const std::string& caption);

// The list views: a report with full-row, multiple selection and the four columns.
void InitRunwayList(wxListCtrl& list);
// Column widths after the list's client width.
void FitRunwayColumns(wxListCtrl& list);
// One runway of the list's side at the top of the view, the runway's index as its item data.
void InsertRunwayItem(wxListCtrl& view, const AtcDetailsModel& model, AtcList list, int runway);
// The view's selected items moved in the model into the target list, both views refilled.
void MoveSelectedRunways(wxListCtrl& source, wxListCtrl& target, AtcDetailsModel& model);
