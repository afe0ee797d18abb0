#include "basemaker/app/TextCase.h"

#include <algorithm>

#include "platform/win/Codepage.h"

char LowerCp1252(char c) { return win::Cp1252ToLower(c); }

std::string LowerCp1252(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerCp1252(c);
  return out;
}

int CompareNoCase(std::string_view a, std::string_view b) { return win::CompareNoCase(a, b); }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

bool MatchesWildcardNoCase(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  // Iterative matcher with one backtrack point: linear in practice, no recursion depth to
  // exhaust on long patterns.
  size_t p = 0, n = 0;
  size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || LowerCp1252(pattern[p]) == LowerCp1252(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}
