#pragma once
// Text in files, records and the database stays in code page 1252; these convert at the points
// where text meets the outside world (widgets, file names on disk).
#include <string>
#include <string_view>

namespace win {

// The five bytes that code page 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the
// C1 controls of the same value, so every byte string survives a round trip.
std::string Cp1252ToUtf8(std::string_view text);

// Characters outside code page 1252 and malformed UTF-8 each become `replacement`.
std::string Utf8ToCp1252(std::string_view text, char replacement = '?');

// UTF-16 code units (as Windows stores wide text); unpaired surrogates and characters outside
// code page 1252 each become `replacement`.
std::string Utf16ToCp1252(std::u16string_view text, char replacement = '?');

// UTF-16 code units of code page 1252 text; every byte has one (see Cp1252ToUtf8).
std::u16string Cp1252ToUtf16(std::string_view text);

// Upper case of a code page 1252 byte (ASCII and the Latin letters of the upper half).
char Cp1252ToUpper(char c);

// Lower case of a code page 1252 byte, the inverse of Cp1252ToUpper.
char Cp1252ToLower(char c);

// Case-insensitive equality as profile names and file names on Windows compare.
bool EqualsNoCase(std::string_view a, std::string_view b);

// <0, 0, >0 like strcmpi: the lower-case forms compared byte by byte as unsigned, a shorter
// text before a longer one it starts.
int CompareNoCase(std::string_view a, std::string_view b);

}  // namespace win
