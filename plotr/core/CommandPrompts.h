#pragma once
// The texts behind the module's commands, in the string table under each command's id as
// "status line\ntip": what the status line says while a menu item is highlighted or the
// pointer rests on a tool button, and the tool button's tip. Menus of every pane and both tool
// bars key on these ids.

// Adds the texts (once; later calls do nothing).
void AddCommandPrompts();
