#pragma once
// Numbered texts (code page 1252), as the program's string resources held them. Each library
// adds its own entries once at start-up; LoadString answers from every table added so far.

#include <initializer_list>
#include <string>

namespace ui {

struct StringEntry {
  unsigned id;
  const char* text;
};

// Adds entries; a later entry with an id already present replaces its text.
void AddStrings(std::initializer_list<StringEntry> entries);
// The text of `id`, or empty when no table has it.
std::string LoadString(unsigned id);
// False when no table has `id`.
bool HasString(unsigned id);

}  // namespace ui
