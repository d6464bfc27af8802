#pragma once

#include <cstdint>

namespace kestrune {

// The status query a game server answers: four 0xFF bytes and "getStatus", no terminator.
// The array keeps the literal's closing zero; only the first kStatusQueryLength bytes are sent.
inline constexpr char kStatusQuery[14] =
    "\xFF\xFF\xFF\xFF"
    "getStatus";
inline constexpr std::int32_t kStatusQueryLength = 13;

// How long the probe waits for an answer after sending, in milliseconds.
inline constexpr int kProbeTimeoutMs = 750;

}  // namespace kestrune
