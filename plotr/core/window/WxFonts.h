#pragma once
// The map font as the settings store it and as wx draws it and the font dialog shows it.

#include <wx/font.h>

#include "plotr/core/Settings.h"

wxFont LogFontToWx(const LogFont& font);
LogFont WxToLogFont(const wxFont& font);
