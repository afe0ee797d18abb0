// Which buttons a box shows and what leaving it without a choice answers.
#include "platform/ui/MessageBox.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(MessageBoxTest, ButtonsDefaultAndEscapeFollowTheStyle) {
  struct Case {
    const char* name;
    uint32_t style;
    std::vector<int> buttons;
    int defaultAnswer;
    int escape;
  };
  const Case cases[] = {
      {"Ok", kMbOk | kMbIconInformation, {kIdOk}, kIdOk, kIdOk},
      {"OkCancel", kMbOkCancel | kMbIconQuestion, {kIdOk, kIdCancel}, kIdOk, kIdCancel},
      // Leaving must abort: Ignore would skip a scenery area without the user choosing it.
      {"AbortRetryIgnore", kMbAbortRetryIgnore, {kIdAbort, kIdRetry, kIdIgnore}, kIdAbort, kIdAbort},
      {"AbortRetryIgnoreDefault3", kMbAbortRetryIgnore | kMbDefButton3, {kIdAbort, kIdRetry, kIdIgnore},
       kIdIgnore, kIdAbort},
      {"YesNoCancelDefault2", kMbYesNoCancel | kMbDefButton2, {kIdYes, kIdNo, kIdCancel}, kIdNo, kIdCancel},
      {"YesNo", kMbYesNo | kMbIconExclamation, {kIdYes, kIdNo}, kIdYes, kIdNo},
      {"YesNoDefault3IsFirst", kMbYesNo | kMbDefButton3, {kIdYes, kIdNo}, kIdYes, kIdNo},
      {"RetryCancel", kMbRetryCancel | kMbIconStop, {kIdRetry, kIdCancel}, kIdRetry, kIdCancel},
      {"UnknownSetIsOk", 0x0E, {kIdOk}, kIdOk, kIdOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.buttons, MessageBoxButtons(c.style));
    EXPECT_EQ(c.defaultAnswer, MessageBoxDefaultAnswer(c.style));
    EXPECT_EQ(c.escape, MessageBoxEscapeAnswer(c.style));
  }
}

}  // namespace
}  // namespace ui
