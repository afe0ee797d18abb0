#pragma once
// The module's command and control ids. They keep their numbers: menus, tool bars, string
// texts and the status line all key on them.

namespace cmd {

// Host-window hot keys.
inline constexpr int kZoomInKey = 6995;
inline constexpr int kZoomOutKey = 6996;
inline constexpr int kFlyPlanKey = 6997;
inline constexpr int kSwitchKey = 6998;
inline constexpr int kDockingKey = 6999;

// Framework commands.
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFileMru = 57616;
inline constexpr int kEditDelete = 57632;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditSelectAll = 57642;
inline constexpr int kEditUndo = 57643;
inline constexpr int kEditRedo = 57644;
inline constexpr int kAppAbout = 57664;
inline constexpr int kHelpFinder = 57667;
inline constexpr int kContextHelp = 57669;
inline constexpr int kHelp = 57670;
inline constexpr int kHelpIndex = 57671;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;

// Document and frame commands.
inline constexpr int kOpenFromRemote = 32768;
inline constexpr int kSaveAsSidStar = 32769;
inline constexpr int kSaveAsSid = 32770;
inline constexpr int kSaveAsStar = 32771;
inline constexpr int kExport = 32772;
inline constexpr int kAircraft = 32773;
inline constexpr int kCruise = 32774;
inline constexpr int kCalcAutoRoute = 32775;
inline constexpr int kRemoveAutoRoute = 32776;
inline constexpr int kPrint = 32777;
inline constexpr int kPrintPreview = 32778;
inline constexpr int kMultiplayerConnect = 32780;
inline constexpr int kMultiplayerDisconnect = 32781;
inline constexpr int kPublicPlan = 32782;
inline constexpr int kHostSettings = 32783;
inline constexpr int kSettings = 32784;
inline constexpr int kSceneryOpen = 32785;
inline constexpr int kToggleDocked = 32786;
inline constexpr int kZoomIn = 32799;
inline constexpr int kZoomOut = 32800;
inline constexpr int kFirstMapCommand = 32799;
inline constexpr int kLastMapCommand = 32822;
inline constexpr int kPlanWaypointsOnly = 32819;
inline constexpr int kShowMultiplayerAircraft = 32822;
inline constexpr int kSidStarDownload = 32846;
inline constexpr int kSidStarUpload = 32847;

// Status panes.
inline constexpr int kPaneTitle = 6064;
inline constexpr int kPaneAircraft = 6065;
inline constexpr int kPaneZoom = 6066;

// Module popup in the simulator's first menu.
inline constexpr int kMenuVisibleText = 6067;
inline constexpr int kMenuFlyPlanText = 6068;
inline constexpr int kMenuTitleText = 6069;

// Window ids.
inline constexpr int kMainFrameId = 0xE900;
inline constexpr int kMenuResource = 152;
inline constexpr int kPlanViewId = 153;
inline constexpr int kEditAccelerators = 150;
inline constexpr int kMainTimer = 7777;

}  // namespace cmd
