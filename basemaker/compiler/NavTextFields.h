#pragma once

// Field, number and coordinate syntax shared by the navigation text files of the program folder
// and by the area exclude texts.

#include <cstdint>

// Separators of the navigation text files: every field ends at a tab or at the line end.
inline constexpr const char* kNavTextSeparators = "\t\r\n";

// Cuts the next field off the text at `cursor`: the separator that ends it is overwritten with
// NUL and the cursor moves behind it (at the text's end the cursor stays there). Two separators
// in a row give an empty field. Blanks and tabs at both ends of the field are removed. Returns
// nullptr when the cursor is already at the end of the text.
char* SplitNextField(char*& cursor, const char* separators);

// The same operation under the name older callers use.
inline char* NextToken(char*& cursor, const char* separators) {
  return SplitNextField(cursor, separators);
}

// Field splitting of TRACK.txt and ICAO.txt: a run of separators counts as one, leading
// separators are skipped and nothing is trimmed. Returns nullptr when no field is left.
char* NextRunField(char*& cursor, const char* separators);

// A field is unusable where a value is required when it is absent (the line ended) or when it
// starts a comment.
inline bool IsMissingField(const char* field) { return field == nullptr || *field == ';'; }

// C-locale number reading as the text files have always been read: leading white space skipped,
// an optional sign, and reading stops at the first character that is not part of the number.
// No number at all reads as 0. `end`, when given, receives the first character not consumed.
double ReadDouble(const char* text, const char** end = nullptr);
// Decimal integer; values beyond the int range saturate.
int ReadInt(const char* text);

// Hemisphere letter, degrees, optional minutes and seconds (see the exclude texts). Returns -1 on
// success and stores the value; otherwise the position in `text` where parsing failed (0 for a
// null text or one that does not begin with the hemisphere letter). `lenient` accepts the
// degree sign or '*' after the degrees, an apostrophe after the minutes and a double quote after
// the seconds.
int ParseCoordinate(float& value, const char* text, bool latitude, bool lenient);

// The 16-bit code that tells same-named waypoints apart: the low byte is a longitude cell, the
// high byte a latitude cell, both 1..255. The longitude is rounded to float first, as the
// waypoint positions have always been. Positions off the globe are clamped onto it so that the
// code always fits its two bytes.
uint16_t CellCode(double latitude, double longitude);

// Copies at most `maxChars` characters of `text` and a NUL into `out` (which holds maxChars + 1).
void CopyTruncated(char* out, const char* text, unsigned maxChars);
