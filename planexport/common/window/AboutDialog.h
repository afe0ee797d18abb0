#pragma once

// The information dialog of the modules whose format carries only part of a flight plan: it
// lists what the file holds, so the user knows what is left for the target program's own
// flight-plan form. Built only with the windows (wx is shared with the host).

#include <string>

// The dialog's caption after the display name and a blank.
inline constexpr char kAboutDialogCaption[] = "Export Informations";
// The id of the dialog's one text.
inline constexpr int kAboutTextId = 1000;

// Runs the dialog modally over `parent` (a wxWindow*, may be null) with the caption
// "<displayName> Export Informations" and `text` (code page 1252): 1 after OK, 2 after Cancel
// or the Escape key.
int ShowAboutDialog(void* parent, const std::string& displayName, const std::string& text);
