#pragma once

// What the SID/STAR catalogue asks of the user: message boxes and the save dialog. The window
// layer implements ISidStarUi and hands it to the catalogue where the catalogue is made; tests
// hand in a scripted fake. Without one nothing is shown, boxes get their Escape answer and the
// dialog counts as cancelled.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/MessageBox.h"
#include "plotr/plan/SidStarRecords.h"

// The save dialog's values: filled by the catalogue, read back after OK.
struct SidStarSaveValues {
  bool saveMode = false;  // true: a plan is saved; false: a procedure's properties are edited
  bool isStar = false;
  std::string id;           // in and out
  std::string description;  // in and out
  std::string author;       // out
  int region = -1;          // in and out
  std::string country;      // in and out
  const std::vector<CSidStarRegion>* regions = nullptr;  // in
  std::vector<CSidStarProcedure> procedures;  // in: the procedures on the same runway
  int selected = -1;                          // in: the entry that stands for the edited procedure
};

class ISidStarUi {
 public:
  virtual ~ISidStarUi() = default;
  // A box of the ui::kMb* style; the ui::kId* answer.
  virtual int MessageBox(const std::string& text, uint32_t style) = 0;
  // True when the user accepted; the values then hold the choice.
  virtual bool RunSaveDialog(SidStarSaveValues& values) = 0;
};

// Texts of the catalogue's messages.
inline constexpr char kSidStarDeleteProcedureText[] = "Are you sure you want to delete this SID/STAR?";
inline constexpr char kSidStarNotChangedText[] = "Disk write Error. Airport SID/STARs not changed.";
inline constexpr char kSidStarLostText[] = "Disk write Error. Airport SID/STARs lost.";
inline constexpr char kSidStarWaypointsReplacedText[] =
    "waypoints in SID/STAR are not found in the scenery. These\n"
    "waypoints are removed (Bearing Points) or replaced with Fix Points.";
inline constexpr char kSidStarMissingWaypointsText[] = "Important waypoints in SID/STAR do not exist in the scenery.";
inline constexpr char kSidStarDeleteAirportText[] = "Are you sure you want to delete all SID/STARs from this Airport?";

// Adds the plan check's messages (the numbers CSidStarStore::CheckPlanAsSidStar gives) to the
// string table; once, whoever asks first.
void AddSidStarStrings();
