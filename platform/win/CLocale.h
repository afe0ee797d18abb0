#pragma once
// The C locale for the formatting calls in a scope, restored afterwards: the host's GTK sets the
// process locale, and a comma decimal point would break every number that files, records and
// published texts carry.

#include <locale.h>

namespace win {

class CLocaleScope {
 public:
  CLocaleScope() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (c) m_previous = ::uselocale(c);
  }
  ~CLocaleScope() {
    if (m_previous) ::uselocale(m_previous);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t m_previous = static_cast<locale_t>(0);
};

}  // namespace win
