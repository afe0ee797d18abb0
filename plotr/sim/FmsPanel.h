#pragma once

// The FMS panel without its window: 47 cells in a logical space of 226 x 241 units scaled to the
// window, their texts and button states from the snapshot's copies of the published FMS blocks,
// the hit test, the push buttons, the waypoint menus and their commands, the drag payload of a
// waypoint block and the painting through platform/gdi. It computes no navigation.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/gdi/Dc.h"
#include "plotr/plan/SimSnapshot.h"
#include "plotr/sim/FmsRecords.h"

class CSimBlock;

namespace fms {

inline constexpr int kCellCount = 47;
inline constexpr int kPanelWidth = 226;
inline constexpr int kPanelHeight = 241;

enum : uint32_t {
  kCellFramed = 0x1,
  kCellButton = 0x2,
  kCellCentred = 0x10,
  kCellRight = 0x20,
  kCellDisabled = 0x10000,
  kCellPressed = 0x20000,
  kCellLatched = 0x40000,
  kCellActive = 0x80000,
};

// Cells with a meaning of their own.
enum : int {
  kFlyPlanCell = 0,
  kNextCell = 1,
  kPrevCell = 2,
  kHoldingCell = 3,
  kMode1Cell = 4,
  kTimeCell = 5,
  kMode2Cell = 7,
  kLocalTimeCell = 11,
  kFirstBlockCell = 12,
  kLastBlockCell = 44,
  kArrivalTimeCell = 45,
  kArrivalCell = 46,
};

struct Cell {
  int tip = -1;  // string id of the tool tip, -1 none
  uint32_t flags = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::array<gdi::ColorRef, 3> colours{};  // by colour scheme
  std::string text;  // code page 1252
};

// The panel's place in a window of w x h pixels: the 226:241 panel scaled to fill one side and
// centred on the other; logical units run from -3 to 229 across and -3 to 244 down.
struct Mapping {
  int originX = 0, originY = 0, width = 0, height = 0;
  gdi::Rect ToDevice(const Cell& cell) const;
  static Mapping For(int w, int h);
};

// What the panel writes and sends.
class IFmsCommands {
 public:
  virtual ~IFmsCommands() = default;
  virtual void SetVariable(const char* name, int32_t value) = 0;
  virtual void SendEvent(uint32_t id, uint32_t value) = 0;
  virtual void TuneAdf(float khz) = 0;
  virtual void ToggleLocalTime() = 0;
  virtual void OpenSettings() = 0;
};

// The variables and events go to the simulator through its block, as a gauge's would; the
// rest belongs to whoever hosts the panel.
class SimBlockCommands : public IFmsCommands {
 public:
  explicit SimBlockCommands(CSimBlock& sim) : m_sim(sim) {}
  void SetVariable(const char* name, int32_t value) override;
  void SendEvent(uint32_t id, uint32_t value) override;

 private:
  CSimBlock& m_sim;
};

// A waypoint block's drag: "Plotr Heading" always, a frequency format when the row has one.
struct DragPayload {
  float heading = 0;
  enum class Frequency { kNone, kNav, kAdf } frequencyFormat = Frequency::kNone;
  float frequency = 0;
};

// The menu of a waypoint block or of M1/M2: 156 to 159, 0 for none.
struct MenuChoice {
  int menu = 0;
  int block = -1;
};

class CFmsPanel {
 public:
  CFmsPanel();

  const std::array<Cell, kCellCount>& Cells() const { return m_cells; }
  // New texts and states from the snapshot; true for every cell that changed.
  std::array<bool, kCellCount> Update(const SimSnapshot& sim, bool localTime);
  // The cell under a device point of a w x h window, -1 for none.
  int HitTest(int x, int y, int w, int h) const;

  // Left button down: true when a button cell took the press (the window captures the mouse).
  bool Press(int cell);
  // The pointer moved while a button is pressed: whether it shows pressed changed.
  bool Track(bool overPressedCell);
  // Left button up: the pressed cell's action runs when the pointer is still over it.
  void Release(bool overPressedCell, IFmsCommands& commands);
  int PressedCell() const { return m_pressed; }

  // The waypoint block of a cell, -1 for the other cells.
  static int BlockOfCell(int cell);
  // The row a block shows, when it is filled.
  std::optional<FmsRow> Row(int block) const;
  std::optional<DragPayload> Drag(int block) const;
  MenuChoice MenuFor(int cell) const;
  // Whether a menu command is enabled for the chosen block, and its action.
  bool CommandEnabled(int command, int block, const SimSnapshot& sim) const;
  void RunCommand(int command, int block, int simVer, IFmsCommands& commands) const;

  // Paints the whole panel for a w x h window in a colour scheme.
  void Paint(gdi::Dc& dc, int w, int h, int scheme) const;

 private:
  std::array<Cell, kCellCount> m_cells;
  std::array<unsigned char, 3 * sizeof(FmsRow)> m_rows{};
  int m_pressed = -1;
};

// Texts of the panel, empty for values that are not finite or out of range.
std::string TimeText(double minutes);
std::string ClockText(int hour, int minute, int second);
std::string DistanceText(double nm);
std::string CourseText(double degrees);
// The whole degrees a course is sent and dragged as, -1 when it is not finite.
int RoundedCourse(double degrees);
// The BCD code of a NAV frequency (113.90 MHz gives 0x1390); nothing outside 100.00-199.99.
std::optional<uint32_t> NavFrequencyCode(double mhz);

}  // namespace fms
