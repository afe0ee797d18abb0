#pragma once
// The main frame's tool bar: flat buttons drawn by the bar itself, a gripper on its leading
// edge, wrapping to the room it gets, commands sent through the frame's route and their states
// taken from it. Dragged by the gripper it shows an outline of where it would go and docks at an
// edge of the frame when dropped on that edge's strip; dropped anywhere else it stays where it
// was. It never floats.

#include <wx/bmpbndl.h>
#include <wx/window.h>

#include <memory>
#include <string>
#include <vector>

#include "plotr/shell/ToolBarLayout.h"

class CToolBarEx : public wxWindow {
 public:
  static constexpr int kGripper = 8;
  enum Edge { kTop, kBottom, kLeft, kRight };

  // `commands` in order, 0 for a separator; images are `imageWidth` x `imageHeight`.
  CToolBarEx(wxWindow* parent, const std::vector<int>& commands, int imageWidth, int imageHeight);
  ~CToolBarEx() override;

  Edge GetEdge() const { return m_edge; }
  void SetEdge(Edge edge);
  bool IsHorizontal() const { return m_edge == kTop || m_edge == kBottom; }
  // The size the bar needs along `length` pixels of its edge.
  wxSize LayoutFor(int length);
  // Enabled and checked states through the frame's route.
  void UpdateStates();
  // The command under a point of the bar, 0 for none.
  int CommandAt(const wxPoint& p) const;
  const std::vector<ToolItem>& Items() const { return m_items; }
  // The image of an item, empty for a separator.
  const wxBitmapBundle& ImageOf(size_t item) const { return m_images[item]; }

  // The edge whose docking strip, `depth` pixels deep along the frame's edge, holds a point of
  // the frame's client area; -1 for a point over none of them.
  static int EdgeForDrop(const wxPoint& p, const wxSize& frame, int depth);
  // The outline shown while the bar is dragged, in screen coordinates; empty when not dragging.
  wxRect DragRect() const;

 protected:
  // A bar without a gripper stays where its owner puts it; standing on an edge it wraps its
  // buttons into as many columns as the edge's length needs.
  void SetFixed() { m_gripper = 0; }
  // Short texts of the commands, shown as tips over the buttons the string table has no tip for.
  void SetTips(std::vector<std::string> tips);

 private:
  void OnPaint(wxPaintEvent& event);
  void OnMouse(wxMouseEvent& event);
  // Where the bar would go for the pointer at `screen`: the outline and the edge (-1 none).
  int DropTarget(const wxPoint& screen, wxRect& outline) const;
  void EndDrag();
  std::vector<wxRect> ButtonRects() const;
  // The status line tells what the item under the pointer does (-1: none).
  void ShowPrompt(int item);

  std::vector<ToolItem> m_items;
  std::vector<bool> m_enabled;
  std::vector<bool> m_checked;
  ToolBarSize m_button;
  Edge m_edge = kTop;
  int m_pressed = -1;
  bool m_dragging = false;
  wxPoint m_dragOffset;  // the press, from the bar's top left
  std::unique_ptr<class CToolBarDragOutline> m_outline;
  int m_gripper = kGripper;
  std::vector<wxBitmapBundle> m_images;
  std::vector<std::string> m_tips;
  int m_promptCommand = 0;
  int m_tipItem = -1;
};

// The map view's own bar: zoom and layer commands standing at the map's right edge.
class CToolBarScen : public CToolBarEx {
 public:
  CToolBarScen(wxWindow* parent, const std::vector<int>& commands, std::vector<std::string> tips);
};

// The bar's buttons: New, Open, Save, Aircraft, Cruise, auto route, Print, Undo, Redo, Cut,
// Copy, Paste, Delete, Settings, Docked window, Help topics, Context help, About.
const std::vector<int>& MainToolBarCommands();
