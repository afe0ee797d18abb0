#include "plotr/shell/MenuResource.h"

#include "plotr/core/CommandIds.h"

const std::vector<MenuPopupDef>& ModuleMenu() {
  static const std::vector<MenuPopupDef> menu = {
      {"Plan",
       {{cmd::kFileNew, "&New"}, {cmd::kFileOpen, "&Open..."},
        {cmd::kOpenFromRemote, "Open &from remote Computer..."}, {cmd::kFileSave, "&Save"},
        {cmd::kFileSaveAs, "Save &As..."}, {cmd::kSaveAsSidStar, "Sa&ve as SID/STAR..."},
        {cmd::kSaveAsSid, "Sa&ve as SID..."}, {cmd::kSaveAsStar, "Sa&ve as STAR..."}, {0, ""},
        {cmd::kExport, "E&xport..."}, {0, ""}, {cmd::kAircraft, "Air&craft..."},
        {cmd::kCruise, "Cruise Altitu&de/Speed..."}, {cmd::kCalcAutoRoute, "Calc&ulate auto route..."},
        {cmd::kRemoveAutoRoute, "Re&move auto route"}, {0, ""}, {cmd::kPrint, "&Print..."},
        {cmd::kPrintPreview, "Print Pr&eview"}, {cmd::kFilePrintSetup, "P&rint Setup..."}, {0, ""},
        {cmd::kFileMru, "Recent File"}}},
      {"Edit",
       {{cmd::kEditUndo, "&Undo"}, {cmd::kEditRedo, "&Redo"}, {0, ""}, {cmd::kEditCut, "Cu&t\tShift+Del"},
        {cmd::kEditCopy, "&Copy\tCtrl+Ins"}, {cmd::kEditPaste, "&Paste\tShift+Ins"},
        {cmd::kEditDelete, "&Delete\tDel"}, {0, ""}, {cmd::kEditSelectAll, "&Select All"}}},
      {"Options",
       {{cmd::kMultiplayerConnect, "&Multiplayer connect..."},
        {cmd::kMultiplayerDisconnect, "&Multiplayer disconnect"}, {cmd::kPublicPlan, "&Public Flightplan"},
        {cmd::kHostSettings, "Multiplayer &Host Settings..."}, {0, ""},
        {cmd::kSidStarDownload, "SID/STARs Do&wnload..."}, {cmd::kSidStarUpload, "SID/STARs &Upload..."},
        {0, ""}, {cmd::kSettings, "&Settings..."}, {cmd::kSceneryOpen, "S&cenery Open..."}, {0, ""},
        {cmd::kToggleDocked, "&Docked Window"}, {cmd::kViewToolbar, "&Toolbar"},
        {cmd::kViewStatusBar, "St&atus Bar"}}},
      {"Help",
       {{cmd::kHelpFinder, "&Help Topics"}, {0, ""}, {cmd::kAppAbout, "&About Chartwright..."}}},
  };
  return menu;
}
