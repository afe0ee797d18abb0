#include "plotr/shell/HotKeys.h"

#include "plotr/core/CommandIds.h"

namespace hotkey {

int KeyCodeForName(const std::string& name) {
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return name[0];
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
    int n = 0;
    for (size_t i = 1; i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9') return kVkF9;
      n = n * 10 + (name[i] - '0');
    }
    // "F01" is not a key name.
    if (name[1] != '0' && n >= 1 && n <= 12) return kVkF1 + n - 1;
  }
  return kVkF9;
}

std::string KeyText(const HotKey& key) {
  std::string text;
  auto add = [&text](const std::string& part) {
    if (!text.empty()) text += '+';
    text += part;
  };
  if (key.ctrl) add("Ctrl");
  if (key.alt) add("Alt");
  if (key.shift) add("Shift");
  add(key.name);
  return text;
}

namespace {

Accelerator FromHotKey(const HotKey& key, int command) {
  Accelerator a;
  a.flags = kVirtKey | (key.alt ? kAlt : 0) | (key.ctrl ? kControl : 0) | (key.shift ? kShift : 0);
  a.key = KeyCodeForName(key.name);
  a.command = command;
  return a;
}

}  // namespace

std::vector<Accelerator> BuildHotKeyTable(CSettings& settings) {
  return {FromHotKey(settings.GetSwitchKey(false), cmd::kSwitchKey),
          FromHotKey(settings.GetDockingKey(false), cmd::kDockingKey),
          FromHotKey(settings.GetFlyPlanKey(false), cmd::kFlyPlanKey),
          {kVirtKey, kVkMultiply, cmd::kZoomInKey},
          {kVirtKey, kVkDivide, cmd::kZoomOutKey}};
}

std::vector<Accelerator> EditKeyTable() {
  return {{kVirtKey, kVkDelete, cmd::kEditDelete},
          {kVirtKey | kShift, kVkDelete, cmd::kEditCut},
          {kVirtKey | kShift, kVkF1, cmd::kContextHelp},
          {kVirtKey | kControl, kVkInsert, cmd::kEditCopy},
          {kVirtKey | kShift, kVkInsert, cmd::kEditPaste}};
}

int Translate(const std::vector<Accelerator>& table, int key, bool alt, bool ctrl, bool shift) {
  const int modifiers = (alt ? kAlt : 0) | (ctrl ? kControl : 0) | (shift ? kShift : 0);
  for (const Accelerator& a : table)
    if (a.key == key && (a.flags & (kAlt | kControl | kShift)) == modifiers) return a.command;
  return 0;
}

}  // namespace hotkey
