#pragma once

// The list under the plan table and the SID/STAR leg list: a virtual report list whose lines
// come from a row cache filled at refill time, so painting never reads the live plan. It shows
// one composed image per line, triangles as column images, the drop target line highlighted,
// and routes its keys so the simulator keeps those the list does not use.

#include <wx/listctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class wxImageList;

struct PlanListLine {
  std::vector<std::string> texts;  // code page 1252, one per column
  int image = -1;                  // index in the plan image strip, -1 none
  uint32_t triangleColumns = 0;    // bit c: a manual-setting triangle at the left of column c
};

class PlanListCtrl : public wxListCtrl {
 public:
  PlanListCtrl(wxWindow* parent, wxWindowID id);
  ~PlanListCtrl() override;

  // Replaces every line; the selection and focus are gone afterwards.
  void SetLines(std::vector<PlanListLine> lines);
  const std::vector<PlanListLine>& Lines() const { return m_lines; }
  // Redraws one line after its image changed.
  void SetLineImage(int line, int image);

  // Lines with the selection state, ascending; the line with the focus state, -1 none.
  std::vector<int> SelectedLines() const;
  int FocusedLine() const;
  void SelectLine(int line, bool select);
  void SelectNone();
  void FocusLine(int line);

  // The window that holds the lines (below the header): mouse, drag and drop events of the
  // lines arrive there.
  wxWindow* Inner() const;
  bool ListHasFocus() const;
  // The line under a point of the inner window: past the last line it is the line count,
  // meaning "append".
  int LineAt(const wxPoint& point) const;
  // Highlights the drop target line (-1: none).
  void SetDropLine(int line);
  int DropLine() const { return m_dropLine; }

  // Text and background colours of the list and its triangles.
  void SetColours(const wxColour& text, const wxColour& back);

 protected:
  wxString OnGetItemText(long item, long column) const override;
  int OnGetItemImage(long item) const override;
  int OnGetItemColumnImage(long item, long column) const override;
  wxListItemAttr* OnGetItemAttr(long item) const override;

 private:
  void OnKeyDown(wxKeyEvent& event);
  void OnKeyUp(wxKeyEvent& event);
  void OnChar(wxKeyEvent& event);
  void OnFocus(wxFocusEvent& event);

  std::vector<PlanListLine> m_lines;
  std::unique_ptr<wxImageList> m_images;
  int m_dropLine = -1;
  mutable wxListItemAttr m_dropAttr;
};
