#pragma once

// The wind at the aircraft in the map view's lower left corner: a centred text with a static
// edge, hidden in calm air, of a fixed size that fits the widest wind in the map font.

#include <wx/stattext.h>

class CWindStatic : public wxStaticText {
 public:
  CWindStatic() = default;
  // A hidden, empty child of `parent`; the view places it.
  bool Create(wxWindow* parent);
  // Takes the map font of the settings again and sizes the control for it; then repaints what
  // is pending, as wxWindow::Update does.
  void Update() override;
  // Shows the wind, or hides the control when the speed is 0.
  void FormatWind(double speed, double direction);
};
