#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

namespace tq37r::sim {

// Probabilities, each from 0 to 1.
struct FaultSettings {
    double noise = 0;   // garbage bytes before a frame
    double corrupt = 0; // a frame with a wrong checksum or trailer
    double drop = 0;    // a request the controller never hears
};

// Spoils the line on purpose, reproducibly for a given seed.
class FaultInjector {
public:
    struct Outcome {
        std::size_t noiseBytes = 0;
        bool corrupted = false;
    };

    FaultInjector(FaultSettings settings, std::uint32_t seed) : settings_(settings), random_(seed) {}

    bool dropRequest() { return chance(settings_.drop); }

    // Appends frameBytes to line, perhaps after garbage and perhaps spoiled.
    // Garbage never holds the header pair A5 5A, so it cannot start a frame of its own.
    Outcome shape(std::span<const std::uint8_t> frameBytes, std::vector<std::uint8_t>& line);

    // Appends count bytes of garbage, what a receiver at another rate makes of a frame. None is
    // 0x5A, so whatever came before, garbage cannot complete a header.
    void garble(std::size_t count, std::vector<std::uint8_t>& line);

private:
    bool chance(double probability);

    FaultSettings settings_;
    std::mt19937 random_;
};

} // namespace tq37r::sim
