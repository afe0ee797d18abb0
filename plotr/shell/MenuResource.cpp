#include "plotr/shell/MenuResource.h"

const std::vector<MenuPopupDef>& ModuleMenu() {
  static const std::vector<MenuPopupDef> menu = {
      {"Plan",
       {{57600, "&New"}, {57601, "&Open..."}, {32768, "Open &from remote Computer..."}, {57603, "&Save"},
        {57604, "Save &As..."}, {32769, "Sa&ve as SID/STAR..."}, {32770, "Sa&ve as SID..."},
        {32771, "Sa&ve as STAR..."}, {0, ""}, {32772, "E&xport..."}, {0, ""}, {32773, "Air&craft..."},
        {32774, "Cruise Altitu&de/Speed..."}, {32775, "Calc&ulate auto route..."}, {32776, "Re&move auto route"},
        {0, ""}, {32777, "&Print..."}, {32778, "Print Pr&eview"}, {57606, "P&rint Setup..."}, {0, ""},
        {57616, "Recent File"}}},
      {"Edit",
       {{57643, "&Undo"}, {57644, "&Redo"}, {0, ""}, {57635, "Cu&t\tShift+Del"}, {57634, "&Copy\tCtrl+Ins"},
        {57637, "&Paste\tShift+Ins"}, {57632, "&Delete\tDel"}, {0, ""}, {57642, "&Select All"}}},
      {"Options",
       {{32780, "&Multiplayer connect..."}, {32781, "&Multiplayer disconnect"}, {32782, "&Public Flightplan"},
        {32783, "Multiplayer &Host Settings..."}, {0, ""}, {32846, "SID/STARs Do&wnload..."},
        {32847, "SID/STARs &Upload..."}, {0, ""}, {32784, "&Settings..."}, {32785, "S&cenery Open..."}, {0, ""},
        {32786, "&Docked Window"}, {59392, "&Toolbar"}, {59393, "St&atus Bar"}}},
      {"Help", {{57667, "&Help Topics"}, {0, ""}, {57664, "&About Chartwright..."}}},
  };
  return menu;
}
