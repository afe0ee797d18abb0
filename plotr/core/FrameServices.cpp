#include "plotr/core/FrameServices.h"

namespace {
IFrameServices* g_frameServices = nullptr;
}  // namespace

IFrameServices* GetFrameServices() { return g_frameServices; }

void SetFrameServices(IFrameServices* frame) { g_frameServices = frame; }
