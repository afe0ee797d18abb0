#pragma once
// Our text is code page 1252 bytes; wx text is Unicode. These are the only crossings: wxCSConv
// would empty a text it cannot convert.

#include <wx/string.h>

#include <string>
#include <string_view>

#include "platform/win/Codepage.h"

namespace ui {

inline wxString FromCp1252(std::string_view text) {
  return wxString::FromUTF8(win::Cp1252ToUtf8(text));
}

// Characters outside the code page become '?'.
inline std::string ToCp1252(const wxString& text) {
  return win::Utf8ToCp1252(text.utf8_string());
}

}  // namespace ui
