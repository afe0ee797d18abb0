#include "plotr/core/window/WxFonts.h"

#include <cstring>
#include <string>

wxFont LogFontToWx(const LogFont& f) {
  wxFontInfo info(wxSize(0, f.height < 0 ? -f.height : f.height));
  info.FaceName(wxString::FromUTF8(std::string(f.faceName, strnlen(f.faceName, sizeof f.faceName))));
  info.Weight(f.weight).Italic(f.italic != 0).Underlined(f.underline != 0).Strikethrough(f.strikeOut != 0);
  return wxFont(info);
}

LogFont WxToLogFont(const wxFont& font) {
  LogFont f;
  f.height = -font.GetPixelSize().y;
  f.weight = font.GetNumericWeight();
  f.italic = font.GetStyle() == wxFONTSTYLE_ITALIC ? 1 : 0;
  f.underline = font.GetUnderlined() ? 1 : 0;
  f.strikeOut = font.GetStrikethrough() ? 1 : 0;
  const std::string face = font.GetFaceName().utf8_string().substr(0, sizeof f.faceName - 1);
  std::memset(f.faceName, 0, sizeof f.faceName);
  std::memcpy(f.faceName, face.data(), face.size());
  return f;
}
