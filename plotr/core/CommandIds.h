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
inline constexpr int kSidStarDownload = 32846;
inline constexpr int kSidStarUpload = 32847;

// Commands on a point, in the plan list's, the search pane's and the map's context menus.
inline constexpr int kManualSettings = 32787;
inline constexpr int kBearingPoint = 32788;
inline constexpr int kPlanCenterMap = 32789;
inline constexpr int kFlyTo = 32790;
inline constexpr int kFlyPlanFromHere = 32791;
inline constexpr int kMoveAircraft = 32792;
inline constexpr int kTowerView = 32793;
inline constexpr int kMapToPlan = 32794;
inline constexpr int kHolding = 32795;
inline constexpr int kMapCopy = 32796;
inline constexpr int kMapCenter = 32797;
inline constexpr int kSearchCenterMap = 32832;
inline constexpr int kSearchToPlan = 32833;

// The FMS page's menu.
inline constexpr int kFmsSetHeading = 32834;
inline constexpr int kFmsSetNav1Course = 32835;
inline constexpr int kFmsSetNav2Course = 32836;
inline constexpr int kFmsSetNav1Frequency = 32837;
inline constexpr int kFmsSetNav2Frequency = 32838;
inline constexpr int kFmsSetAdfFrequency = 32839;
inline constexpr int kFmsSettings = 32840;

// The SID/STAR trees' menus.
inline constexpr int kSidStarRunwayToPlan = 32841;
inline constexpr int kSidStarReplace = 32842;
inline constexpr int kSidStarDeleteOnServer = 32843;
inline constexpr int kSidStarProperties = 32844;
inline constexpr int kSidStarCenterMap = 32845;

// The map's own commands: zoom, the layer switches (kFirstMapCommand to kLastMapCommand, on the
// tool bar) and the aircraft. The map pane hands kFlyTo to kLastMapCommand to the map whichever
// of its pages shows.
inline constexpr int kZoomNormal = 32798;
inline constexpr int kZoomIn = 32799;
inline constexpr int kZoomOut = 32800;
inline constexpr int kFirstMapCommand = 32799;
// The sixteen keyed layer switches, in the order of their settings, and the route labels' switch.
inline constexpr int kLayerAirwaysLow = 32801;
inline constexpr int kLayerAirwaysHigh = 32802;
inline constexpr int kLayerAirwayIdent = 32803;
inline constexpr int kLayerIntersections = 32804;
inline constexpr int kLayerNdb = 32805;
inline constexpr int kLayerVor = 32806;
inline constexpr int kLayerIls = 32807;
inline constexpr int kLayerAtis = 32808;
inline constexpr int kLayerMarker = 32809;
inline constexpr int kLayerNavaidName = 32810;
inline constexpr int kLayerNavaidIdent = 32811;
inline constexpr int kLayerFrequency = 32812;
inline constexpr int kLayerAirport = 32813;
inline constexpr int kLayerAirportZone = 32814;
inline constexpr int kLayerAirportName = 32815;
inline constexpr int kLayerAirportIdent = 32816;
inline constexpr int kFirstLayerSwitch = kLayerAirwaysLow;
inline constexpr int kLastLayerSwitch = kLayerAirportIdent;
inline constexpr int kRouteLabelsSwitch = 32818;
inline constexpr int kRoundWorld = 32817;
inline constexpr int kPlanWaypointsOnly = 32819;
inline constexpr int kShowAircraft = 32820;
inline constexpr int kFollowAircraft = 32821;
inline constexpr int kShowMultiplayerAircraft = 32822;
inline constexpr int kLastMapCommand = 32822;

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
