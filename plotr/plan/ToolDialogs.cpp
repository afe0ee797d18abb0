#include "plotr/plan/ToolDialogs.h"

namespace {
IToolDialogs* g_toolDialogs = nullptr;
}

void SetToolDialogs(IToolDialogs* dialogs) {
  g_toolDialogs = dialogs;
}

IToolDialogs* GetToolDialogs() {
  return g_toolDialogs;
}
