#include "sim/SimStats.h"

#include <cinttypes>

namespace tq37r::sim {

namespace {
void printByCode(std::FILE* out, const char* name, const std::array<std::uint64_t, 256>& counts) {
    for (std::size_t code = 0; code < counts.size(); ++code) {
        if (counts[code] != 0) {
            std::fprintf(out, "%s %02X %" PRIu64 "\n", name, static_cast<unsigned>(code), counts[code]);
        }
    }
}
} // namespace

void SimStats::print(std::FILE* out) const {
    printByCode(out, "requests-received", requestsReceived);
    printByCode(out, "frames-sent", framesSent);
    printByCode(out, "frames-corrupted", framesCorrupted);
    printByCode(out, "requests-wrong-rate", requestsWrongRate);
    printByCode(out, "frames-garbled", framesGarbled);
    std::fprintf(out, "requests-dropped %" PRIu64 "\n", requestsDropped);
    std::fprintf(out, "requests-ignored-gap %" PRIu64 "\n", requestsIgnoredGap);
    std::fprintf(out, "noise-bytes %" PRIu64 "\n", noiseBytes);
    std::fprintf(out, "reports-skipped %" PRIu64 "\n", reportsSkipped);
    std::fflush(out);
}

} // namespace tq37r::sim
