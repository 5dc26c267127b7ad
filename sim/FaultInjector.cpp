#include "sim/FaultInjector.h"

#include "protocol/Frame.h"

namespace tq37r::sim {

bool FaultInjector::chance(double probability) {
    if (probability <= 0) {
        return false;
    }
    return std::uniform_real_distribution<double>(0, 1)(random_) < probability;
}

void FaultInjector::garble(std::size_t count, std::vector<std::uint8_t>& line) {
    std::uniform_int_distribution<int> byte(0, 254);
    for (std::size_t i = 0; i < count; ++i) {
        const int b = byte(random_);
        line.push_back(static_cast<std::uint8_t>(b >= frame::kHeader2 ? b + 1 : b));
    }
}

FaultInjector::Outcome FaultInjector::shape(std::span<const std::uint8_t> frameBytes,
                                            std::vector<std::uint8_t>& line) {
    Outcome outcome;
    if (chance(settings_.noise)) {
        std::uniform_int_distribution<int> count(1, 8);
        std::uniform_int_distribution<int> byte(0, 255);
        outcome.noiseBytes = static_cast<std::size_t>(count(random_));
        std::uint8_t previous = 0;
        for (std::size_t i = 0; i < outcome.noiseBytes; ++i) {
            auto b = static_cast<std::uint8_t>(byte(random_));
            while (previous == frame::kHeader1 && b == frame::kHeader2) {
                b = static_cast<std::uint8_t>(byte(random_));
            }
            line.push_back(b);
            previous = b;
        }
    }
    const std::size_t start = line.size();
    line.insert(line.end(), frameBytes.begin(), frameBytes.end());
    if (chance(settings_.corrupt)) {
        outcome.corrupted = true;
        const std::uint8_t flip =
            static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 255)(random_));
        const std::size_t length = frameBytes[frame::kLengthOffset];
        const bool spoilTrailer = std::uniform_int_distribution<int>(0, 1)(random_) == 1;
        line[start + (spoilTrailer ? length + 1 : length)] ^= flip;
    }
    return outcome;
}

} // namespace tq37r::sim
