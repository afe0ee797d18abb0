#pragma once

// The modules' options dialog: a caption, an optional group box and a column of check boxes
// over OK and Cancel. Built only with the windows (wx is shared with the host).

#include <initializer_list>
#include <string>

struct FlpxCheckOption {
  int id;             // the control id
  const char* label;  // with its '&' mnemonic
  bool* value;        // in: the box's state; out after OK
};

// Runs the dialog modally over `parent` (a wxWindow*, may be null): 1 after OK with the values
// updated, 2 after Cancel with the values untouched.
int RunOptionsDialog(void* parent, const std::string& caption, const char* group,
                     std::initializer_list<FlpxCheckOption> options);
