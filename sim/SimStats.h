#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

namespace tq37r::sim {

// Counters for both sides of the line, so tests can match what was sent with
// what arrived.
struct SimStats {
    std::array<std::uint64_t, 256> requestsReceived{};  // by request code
    std::array<std::uint64_t, 256> framesSent{};        // intact frames, by reply code
    std::array<std::uint64_t, 256> framesCorrupted{};   // spoiled on purpose, by reply code
    std::array<std::uint64_t, 256> requestsWrongRate{}; // sent at another rate: garbage to the controller
    std::array<std::uint64_t, 256> framesGarbled{};     // sent while the tool's rate differed: garbage to it
    std::uint64_t requestsDropped = 0;
    std::uint64_t requestsIgnoredGap = 0; // second gain reads that came too soon after the first
    std::uint64_t noiseBytes = 0;
    std::uint64_t reportsSkipped = 0; // state reports not queued because nobody read the line

    // One counter per line: "requests-received EA 2", "frames-sent F1 10", "noise-bytes 31".
    void print(std::FILE* out) const;
};

} // namespace tq37r::sim
