#include "platform/ui/MessageBox.h"

namespace ui {

std::vector<int> MessageBoxButtons(uint32_t style) {
  switch (style & kMbButtonMask) {
    case kMbOkCancel: return {kIdOk, kIdCancel};
    case kMbAbortRetryIgnore: return {kIdAbort, kIdRetry, kIdIgnore};
    case kMbYesNoCancel: return {kIdYes, kIdNo, kIdCancel};
    case kMbYesNo: return {kIdYes, kIdNo};
    case kMbRetryCancel: return {kIdRetry, kIdCancel};
    default: return {kIdOk};
  }
}

int MessageBoxDefaultAnswer(uint32_t style) {
  const std::vector<int> buttons = MessageBoxButtons(style);
  size_t index = 0;
  if ((style & kMbDefButtonMask) == kMbDefButton2) index = 1;
  if ((style & kMbDefButtonMask) == kMbDefButton3) index = 2;
  return index < buttons.size() ? buttons[index] : buttons.front();
}

int MessageBoxEscapeAnswer(uint32_t style) {
  switch (style & kMbButtonMask) {
    case kMbOkCancel:
    case kMbYesNoCancel:
    case kMbRetryCancel: return kIdCancel;
    case kMbAbortRetryIgnore: return kIdAbort;
    case kMbYesNo: return kIdNo;
    default: return kIdOk;
  }
}

const char* MessageBoxButtonLabel(int answer) {
  switch (answer) {
    case kIdOk: return "OK";
    case kIdCancel: return "Cancel";
    case kIdAbort: return "&Abort";
    case kIdRetry: return "&Retry";
    case kIdIgnore: return "&Ignore";
    case kIdYes: return "&Yes";
    case kIdNo: return "&No";
    default: return "?";
  }
}

}  // namespace ui
