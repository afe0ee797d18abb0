#pragma once
#include "platform/dplay/Types.h"

namespace dplaytest {

// The application the transport tests search for and join.
inline constexpr dplay::Guid kTestApp{0x0A0B0C0D, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

}  // namespace dplaytest
