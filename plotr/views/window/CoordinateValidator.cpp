#include "plotr/views/window/CoordinateValidator.h"

#include <wx/textctrl.h>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/ui/WxText.h"
#include "plotr/views/CoordinateText.h"

CoordinateValidator::CoordinateValidator(double* value, bool latitude) : m_value(value), m_latitude(latitude) {
  ui::AddStrings({{kIdsWrongLatLon, "Wrong Latitude/Longitude."}});
}

CoordinateValidator::CoordinateValidator(const CoordinateValidator& other)
    : wxValidator(), m_value(other.m_value), m_latitude(other.m_latitude), m_loaded(other.m_loaded) {
  Copy(other);
}

std::string CoordinateValidator::FieldText() const {
  const auto* field = dynamic_cast<const wxTextCtrl*>(GetWindow());
  return field ? ui::ToCp1252(field->GetValue()) : std::string();
}

bool CoordinateValidator::Validate(wxWindow* parent) {
  if (ParseCoordinateText(FieldText(), m_latitude, true).Valid()) return true;
  ui::ShowMessageBox(parent, ui::LoadString(kIdsWrongLatLon), "Chartwright", ui::kMbOk | ui::kMbIconExclamation);
  if (wxWindow* field = GetWindow()) field->SetFocus();
  return false;
}

bool CoordinateValidator::TransferToWindow() {
  auto* field = dynamic_cast<wxTextCtrl*>(GetWindow());
  if (!field || !m_value) return false;
  m_loaded = CoordinateFieldText(*m_value, m_latitude);
  const wxString text = ui::FromCp1252(m_loaded);
  if (field->GetValue() != text) field->ChangeValue(text);
  return true;
}

bool CoordinateValidator::TransferFromWindow() {
  if (!m_value) return false;
  const std::string text = FieldText();
  // Untouched, the field shows the value rounded to hundredths of a minute; reading that back
  // would move the point by up to nine metres each time the dialog is confirmed.
  if (text == m_loaded) return true;
  const CoordinateParse parsed = ParseCoordinateText(text, m_latitude, true);
  if (!parsed.Valid()) return false;
  *m_value = parsed.value;
  m_loaded = text;
  return true;
}
