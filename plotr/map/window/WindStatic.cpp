#include "plotr/map/window/WindStatic.h"

#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/core/window/WxFonts.h"
#include "plotr/map/MapWind.h"

bool CWindStatic::Create(wxWindow* parent) {
  if (!wxStaticText::Create(parent, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                            wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE | wxBORDER_STATIC)) {
    return false;
  }
  Hide();
  return true;
}

void CWindStatic::Update() {
  SetFont(LogFontToWx(g_Settings.GetMapFont(false)));
  const wxFont font = GetFont();
  const auto extent = [&](std::string_view text) {
    const wxSize size = GetTextExtent(wxString::FromUTF8(win::Cp1252ToUtf8(std::string(text))));
    return gdi::Size{size.x, size.y};
  };
  const gdi::Size size = WindIndicatorSize(extent, GetCharWidth());
  SetSize(size.cx, size.cy);
  Lower();
  wxStaticText::Update();
}

void CWindStatic::FormatWind(double speed, double direction) {
  SetLabel(wxString::FromUTF8(win::Cp1252ToUtf8(FormatWindText(speed, direction))));
  Show(speed > 0);
}
