#pragma once
// Small conversions between the simulator's formats and the session transports.

#include "platform/dplay/Types.h"
#include "platform/simapi/MpMessages.h"

inline dplay::Guid ToTransport(const mp::Guid& g) { return dplay::Guid{g.data1, g.data2, g.data3, g.data4}; }
