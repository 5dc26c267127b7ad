#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

namespace tq37r::sim {

// Counters for both sides of the line, so tests can match what was sent with
// what arrived.
struct SimStats {
    std::array<std::uint64_t, 256> requestsReceived{}; // by request code
    std::array<std::uint64_t, 256> framesSent{};       // intact frames, by reply code
    std::array<std::uint64_t, 256> framesCorrupted{};  // spoiled on purpose, by reply code
    std::uint64_t requestsDropped = 0;
    std::uint64_t noiseBytes = 0;
    std::uint64_t reportsSkipped = 0; // state reports not queued because nobody read the line

    // One counter per line: "requests-received EA 2", "frames-sent F1 10", "noise-bytes 31".
    void print(std::FILE* out) const;
};

} // namespace tq37r::sim
