#pragma once

// Every change of the flight plan, each one undo step: the current route is copied, the copy
// changed, and under a DatabaseLease the copy is pushed and the rows rebuilt. Operations on
// marked waypoints clear the marks of the current route first, so the snapshot left behind in
// the history carries none, and visit the marked waypoints last to first so a removal never
// shifts one still to visit. The wait cursor and the messages go through IPlanUi.

#include <cstdint>
#include <string_view>

#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/Route.h"

namespace archive { class File; }

namespace planedit {

// The step every edit ends with: the changed copy pushed as one undo step, the rows rebuilt.
void Commit(CFlightPlanCore& plan, const CRoute& route);

// A new, empty plan (format 105); the history starts over.
void NewPlan(CFlightPlanCore& plan, uint16_t& format);
// Replaces the plan with the file's; the history starts over. Returns the number of waypoints
// the database no longer holds (they are dropped and reported). A damaged file throws
// archive::ArchiveException before the plan or its history change.
int LoadPlan(CFlightPlanCore& plan, uint16_t& format, archive::File& file);
// Writes the current route with a title from its plan information.
void SavePlan(CFlightPlanCore& plan, archive::File& file, uint16_t format);

// The aircraft and cruise dialogs on a copy; -1 when cancelled, else 1 when the plan has
// waypoints and 0 when it is empty.
int SelectAircraft(CFlightPlanCore& plan);
int SetCruise(CFlightPlanCore& plan);

// Rebuilds the rows under the lock (after undo, redo and changed plan options).
void Refresh(CFlightPlanCore& plan);

// Removes the bearing points and the route finder's points; true when any was removed.
bool RemoveAutoRoute(CFlightPlanCore& plan);
// Inserts copies of `points`, in their order, before the waypoint of the first row at or after
// `row` that has one (at the end when none has), with their new-point byte set and their mark
// byte cleared, so a later DeleteMarked never takes an inserted copy. A database point that no
// longer resolves is skipped. With `removeMarked` the marked waypoints go first.
void InsertPoints(CFlightPlanCore& plan, int row, const CRoute& points, bool removeMarked);
void AppendPoints(CFlightPlanCore& plan, const CRoute& points, bool removeMarked);

// The waypoint-settings dialog's values onto every marked waypoint (the position onto marked
// user points only). Always one undo step.
void SetPointSettings(CFlightPlanCore& plan, int32_t altitudeAtSet, int32_t altitudeAt, int32_t speedSet,
                      int32_t speed, int32_t altitudeAfterSet, int32_t altitudeAfter, int32_t flyOver,
                      int32_t altitudeEnds, int32_t speedEnds, double latitude, double longitude);
// Makes the marked waypoints bearing points (dropping their constraints) or flown points again;
// true when any was marked.
bool SetBearingPoint(CFlightPlanCore& plan, bool set);
bool DeleteMarked(CFlightPlanCore& plan);
// The first five characters become the name of every marked user point. Always one undo step.
void RenamePoint(CFlightPlanCore& plan, std::string_view name);
// Moves every marked user point. Always one undo step.
void MovePoint(CFlightPlanCore& plan, double latitude, double longitude);

// The holding dialog for a fix: it reopens with the defined holding's values when the fix lies
// within one nautical mile of it, else starts from the dialog's defaults and, in flight, from
// the aircraft's track made magnetic at the fix. On OK the holding is defined there. Refused
// (false) while a holding is flown, and false when cancelled.
bool DefineHolding(CFlightPlanCore& plan, double latitude, double longitude);

// Undo and redo of the plan object under a DatabaseLease, for the views that offer them; the
// modified flag of the snapshot current afterwards (0 only back at the history's first entry).
// The caller rebuilds the rows (Refresh) and tells the views.
uint8_t UndoLocked(CFlightPlanCore& plan);
uint8_t RedoLocked(CFlightPlanCore& plan);

// Clear the mark bytes, or the new-point bytes, of the current route under the lock; no undo step.
void ClearMarks(CFlightPlanCore& plan);
void ClearNewFlags(CFlightPlanCore& plan);

}  // namespace planedit
