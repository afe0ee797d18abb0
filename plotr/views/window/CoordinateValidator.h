#pragma once

// Binds a position field to a latitude or longitude in degrees. Loading shows the value as
// "N47 30.00"; checking reads the typed text with unit marks allowed and, when it is no
// coordinate, says "Wrong Latitude/Longitude." and puts the focus back on the field.

#include <wx/validate.h>

#include <string>

class CoordinateValidator : public wxValidator {
 public:
  CoordinateValidator(double* value, bool latitude);
  CoordinateValidator(const CoordinateValidator& other);

  wxObject* Clone() const override { return new CoordinateValidator(*this); }
  bool Validate(wxWindow* parent) override;
  bool TransferToWindow() override;
  bool TransferFromWindow() override;

 private:
  // The field's text in code page 1252; characters outside it become '?', which no
  // coordinate holds, so the text fails where they stand.
  std::string FieldText() const;

  double* m_value;
  bool m_latitude;
  std::string m_loaded;  // the text the value was last shown as
};

// The message of a refused coordinate.
inline constexpr unsigned kIdsWrongLatLon = 6412;
