#pragma once

// Comparisons that ignore letter case the way the simulator's files expect: texts are cp1252
// bytes, so the accented capitals of that code page fold as well as A-Z.

#include <string>
#include <string_view>

char LowerCp1252(char c);
std::string LowerCp1252(std::string_view text);

bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// <0, 0, >0 like strcmpi, comparing the lower-case forms byte by byte as unsigned.
int CompareNoCase(std::string_view a, std::string_view b);

// File-name pattern match with * (any run) and ? (one character), ignoring case. "*.*" matches
// every name, also one without a dot, as the Windows file search does.
bool MatchesWildcardNoCase(std::string_view pattern, std::string_view name);
