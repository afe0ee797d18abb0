#pragma once
// The host window's key tables without windows: hot keys from the settings and the module's
// edit keys, matched by key code and exact modifier state. Key codes are the virtual-key
// numbers the settings name ("0".."9" = 0x30..0x39, "F1".."F12" = 0x70..0x7B); the window
// layer translates its own key codes into them.

#include <string>
#include <vector>

#include "plotr/core/Settings.h"

namespace hotkey {

inline constexpr int kVkCancel = 0x03;
inline constexpr int kVkInsert = 0x2D;
inline constexpr int kVkDelete = 0x2E;
inline constexpr int kVkF1 = 0x70;
inline constexpr int kVkF9 = 0x78;
inline constexpr int kVkMultiply = 0x6A;  // numeric keypad
inline constexpr int kVkDivide = 0x6F;    // numeric keypad

// Accelerator flags.
inline constexpr int kVirtKey = 1;
inline constexpr int kShift = 4;
inline constexpr int kControl = 8;
inline constexpr int kAlt = 0x10;

struct Accelerator {
  int flags = kVirtKey;
  int key = 0;
  int command = 0;
  bool operator==(const Accelerator&) const = default;
};

// "1".."9", "0", "F1".."F12" by exact, case-sensitive match; anything else is F9.
int KeyCodeForName(const std::string& name);

// "Ctrl", "Alt", "Shift" and the key name joined by '+', in that order ("F9", "Shift+F9").
std::string KeyText(const HotKey& key);

// Switch, docking and fly-plan keys from the settings cache, then keypad * and /.
std::vector<Accelerator> BuildHotKeyTable(CSettings& settings);
// Delete, cut, context help, copy and paste on Del, Shift+Del, Shift+F1, Ctrl+Ins, Shift+Ins.
std::vector<Accelerator> EditKeyTable();

// The command of the first entry whose key and modifiers equal the pressed ones, or 0.
int Translate(const std::vector<Accelerator>& table, int key, bool alt, bool ctrl, bool shift);

}  // namespace hotkey
