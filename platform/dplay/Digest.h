#pragma once
// SHA-256, for the members' rejoin secrets: every member learns the digest of every other
// member's secret, so whoever becomes host can check a rejoining member without being able to
// pose as one.
#include <array>
#include <cstdint>
#include <span>

namespace dplay {

using Digest = std::array<uint8_t, 32>;

Digest Sha256(std::span<const uint8_t> bytes);

}  // namespace dplay
