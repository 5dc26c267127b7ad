// Receiver throughput against a loop that only sums the same bytes; prints both
// rates and their ratio from one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "device/Reply.h"
#include "protocol/Frame.h"
#include "protocol/FrameReceiver.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void appendFrame(Bytes& out, std::uint8_t code, const Bytes& payload) {
    Bytes frameBytes(payload.size() + 6);
    frameBytes.resize(tq37r::frame::assemble(frameBytes, code, payload));
    out.insert(out.end(), frameBytes.begin(), frameBytes.end());
}

// What a controller sends during a session: read-backs, acknowledgements and a
// steady run of state reports, with a little line noise between frames.
const Bytes& stream() {
    static const Bytes bytes = [] {
        std::mt19937 rng(7);
        Bytes out;
        while (out.size() < (1u << 20)) {
            switch (rng() % 4) {
            case 0:
                appendFrame(out, 0xEB, {5, 5, 0, 15, 1, 10, 0, 0, 0, 15, 45, 60, 35, 0, 30, 35, 0, 30});
                break;
            case 1:
                appendFrame(out, 0xED, {15, 1, 8, 15, 1, 8});
                break;
            case 2:
                appendFrame(out, 0xFA, {0xE4});
                break;
            default:
                appendFrame(out, 0xF1, {0x00, static_cast<std::uint8_t>(rng() % 3), 0x08});
                break;
            }
            for (unsigned n = rng() % 3; n > 0; --n) {
                out.push_back(static_cast<std::uint8_t>(rng()));
            }
        }
        return out;
    }();
    return bytes;
}

void receiverWithDecoder(benchmark::State& state) {
    const Bytes& bytes = stream();
    tq37r::FrameReceiver receiver;
    std::size_t frames = 0;
    auto handler = [&](std::span<const std::uint8_t> frameBytes) {
        benchmark::DoNotOptimize(tq37r::decodeReply(frameBytes));
        ++frames;
    };
    constexpr std::size_t kChunk = 255; // what one drain hands over
    for (auto _ : state) {
        for (std::size_t pos = 0; pos < bytes.size(); pos += kChunk) {
            receiver.feed({bytes.data() + pos, std::min(kChunk, bytes.size() - pos)}, handler);
        }
    }
    benchmark::DoNotOptimize(frames);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void receiverOnly(benchmark::State& state) {
    const Bytes& bytes = stream();
    tq37r::FrameReceiver receiver;
    std::size_t frames = 0;
    auto handler = [&](std::span<const std::uint8_t>) { ++frames; };
    for (auto _ : state) {
        receiver.feed(bytes, handler);
    }
    benchmark::DoNotOptimize(frames);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

std::uint32_t vectorisedSum(const Bytes& bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    return sum;
}

// The same sum one byte at a time, as the receiver has to look at bytes.
__attribute__((optimize("no-tree-vectorize"))) std::uint32_t scalarSum(const Bytes& bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    return sum;
}

template <std::uint32_t (*Sum)(const Bytes&)> void summing(benchmark::State& state) {
    const Bytes& bytes = stream();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Sum(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void summingBaseline(benchmark::State& state) {
    summing<vectorisedSum>(state);
}
void scalarSummingBaseline(benchmark::State& state) {
    summing<scalarSum>(state);
}

BENCHMARK(summingBaseline);
BENCHMARK(scalarSummingBaseline);
BENCHMARK(receiverOnly);
BENCHMARK(receiverWithDecoder);

class RateCollector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            rates[run.benchmark_name()] = run.counters.at("bytes_per_second");
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RateCollector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* baselineName : {"summingBaseline", "scalarSummingBaseline"}) {
        const double baseline = reporter.rates[baselineName];
        for (const char* name : {"receiverOnly", "receiverWithDecoder"}) {
            const double rate = reporter.rates[name];
            if (baseline > 0 && rate > 0) {
                std::printf("%-20s %8.1f MB/s against %-22s %8.1f MB/s: ratio %.1f\n", name, rate / 1e6,
                            baselineName, baseline / 1e6, baseline / rate);
            }
        }
    }
    benchmark::Shutdown();
    return 0;
}
