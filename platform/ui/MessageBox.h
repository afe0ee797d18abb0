#pragma once
// Message box styles and answers as the model asks for them, and the rules a box follows:
// which buttons a style shows, which one is the default, what Escape and the close box answer.
// No windows here: model code includes this; the wx layer shows the boxes (ModalHook.h).

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// Styles: one button set, optionally an icon and a default button. The values are the ones
// stored in posted messages and pending-message fields, so they must not change.
inline constexpr uint32_t kMbOk = 0x00;
inline constexpr uint32_t kMbOkCancel = 0x01;
inline constexpr uint32_t kMbAbortRetryIgnore = 0x02;
inline constexpr uint32_t kMbYesNoCancel = 0x03;
inline constexpr uint32_t kMbYesNo = 0x04;
inline constexpr uint32_t kMbRetryCancel = 0x05;
inline constexpr uint32_t kMbButtonMask = 0x0F;
inline constexpr uint32_t kMbIconStop = 0x10;
inline constexpr uint32_t kMbIconQuestion = 0x20;
inline constexpr uint32_t kMbIconExclamation = 0x30;
inline constexpr uint32_t kMbIconInformation = 0x40;
inline constexpr uint32_t kMbIconMask = 0xF0;
inline constexpr uint32_t kMbDefButton2 = 0x100;
inline constexpr uint32_t kMbDefButton3 = 0x200;
inline constexpr uint32_t kMbDefButtonMask = 0xF00;

// Answers (the button pressed).
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// One box to show: texts in code page 1252.
struct MessageBoxRequest {
  std::string text;
  std::string caption;
  uint32_t style = kMbOk;
};

// The buttons of a style, left to right; an unknown button set shows OK alone.
std::vector<int> MessageBoxButtons(uint32_t style);

// The answer of the button that has the focus first.
int MessageBoxDefaultAnswer(uint32_t style);

// What Escape and the close box answer. Never Ignore or Retry: leaving a box must not carry on
// with a skipped or repeated step the user did not choose.
int MessageBoxEscapeAnswer(uint32_t style);

// The button's label with its mnemonic ("&Retry").
const char* MessageBoxButtonLabel(int answer);

}  // namespace ui
