#pragma once
// The shell's numbered texts (code page 1252) and its message boxes.

#include <cstdint>
#include <string>

namespace shellstr {

inline constexpr unsigned kDocTemplate = 128;
inline constexpr unsigned kPaneTitleWidth = 6064;
inline constexpr unsigned kPaneAircraftWidth = 6065;
inline constexpr unsigned kPaneZoomWidth = 6066;
inline constexpr unsigned kMenuVisible = 6067;
inline constexpr unsigned kMenuFlyPlan = 6068;
inline constexpr unsigned kMenuTitle = 6069;
inline constexpr unsigned kSettingsCaption = 6070;
inline constexpr unsigned kOleFailed = 6400;
inline constexpr unsigned kCloseSession = 6426;
inline constexpr unsigned kSwitchKeyPrompt = 6998;
inline constexpr unsigned kAppTitle = 0xE000;
inline constexpr unsigned kIdlePrompt = 0xE001;
inline constexpr unsigned kUntitled = 0xF000;
inline constexpr unsigned kSaveTitle = 0xF001;
inline constexpr unsigned kSaveCopyTitle = 0xF004;
inline constexpr unsigned kFailedToOpen = 0xF101;
inline constexpr unsigned kFailedToSave = 0xF103;
inline constexpr unsigned kFolderUp = 36864;
inline constexpr unsigned kWorkplace = 36865;
inline constexpr unsigned kDelete = 36866;
inline constexpr unsigned kSaveAsCaption = 36867;
inline constexpr unsigned kOpenCaption = 36868;
inline constexpr unsigned kSaveButton = 36869;
inline constexpr unsigned kOpenButton = 36870;
inline constexpr unsigned kAllFiles = 61442;
inline constexpr unsigned kCommandFailed = 61705;

}  // namespace shellstr

// A command's texts in the string table, "status line\ntip": the status-line text and the tip,
// each empty when the table has none.
std::string StatusPrompt(unsigned command);
std::string TipPrompt(unsigned command);

// Adds the shell's texts to the string table (once; later calls do nothing).
void AddShellStrings();

// A message box captioned with the application's title; `style` and the answer as in
// platform/ui/MessageBox.h.
int ShowShellMessage(const std::string& text, uint32_t style);
