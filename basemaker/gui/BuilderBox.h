#pragma once

// Basemaker's message boxes: every one carries the program's title as its caption.

#include <wx/window.h>

#include <string>

#include "basemaker/app/BuilderStrings.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/WxText.h"

inline int BuilderMessageBox(wxWindow* parent, const std::string& text, uint32_t style) {
  const char* caption = LoadBuilderString(IDS_APP_TITLE);
  return ui::ShowMessageBox(parent, text, caption ? caption : "", style);
}

inline int BuilderMessageBox(wxWindow* parent, int textId, uint32_t style) {
  const char* text = LoadBuilderString(textId);
  return BuilderMessageBox(parent, text ? text : "", style);
}

// A numbered text for a control; empty when there is none.
inline wxString BuilderText(int id) {
  const char* text = LoadBuilderString(id);
  return text ? ui::FromCp1252(text) : wxString();
}
