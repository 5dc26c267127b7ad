// Receiver throughput on a session-like stream fed in the drain's chunks, against a naive
// byte-at-a-time frame parser and against a plain byte sum, all built with the same flags and
// run interleaved in one process; prints each figure as "ours / baseline = ratio".
//
// A variant of the receiver path is a consumer struct, one BENCHMARK line and one row in
// kComparisons.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <map>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "core/BaudRate.h"
#include "core/LineLog.h"
#include "device/Codes.h"
#include "device/GainTable.h"
#include "device/Reply.h"
#include "protocol/Frame.h"
#include "protocol/FrameIo.h"
#include "protocol/FrameReceiver.h"
#include "protocol/LineTime.h"

namespace {

namespace frame = tq37r::frame;
using Bytes = std::vector<std::uint8_t>;
using Chunk = std::span<const std::uint8_t>;

void appendFrame(Bytes& out, std::uint8_t code, Chunk payload) {
    Bytes frameBytes(frame::totalSize(frame::lengthForPayload(payload.size())));
    frameBytes.resize(frame::assemble(frameBytes, code, payload));
    out.insert(out.end(), frameBytes.begin(), frameBytes.end());
}

// What a controller sends during a session: read-backs, acknowledgements and a steady run
// of state reports, with a little line noise between frames.
const Bytes& stream() {
    static const Bytes bytes = [] {
        using namespace tq37r;
        const Gains gains = defaultGains();
        const auto block1 = readBackPayload<GainBlock::First>(gains);
        const auto block2 = readBackPayload<GainBlock::Second>(gains);
        const std::array<std::uint8_t, 1> acknowledged{rowOf(GainGroup::Pitch).setCode};
        std::mt19937 rng(7);
        Bytes out;
        while (out.size() < (1u << 20)) {
            switch (rng() % 4) {
            case 0:
                appendFrame(out, code::kGainBlock1, block1);
                break;
            case 1:
                appendFrame(out, code::kGainBlock2, block2);
                break;
            case 2:
                appendFrame(out, code::kAcknowledgement, acknowledged);
                break;
            default: {
                const std::array<std::uint8_t, 3> report{0x00, static_cast<std::uint8_t>(rng() % 3), 0x08};
                appendFrame(out, code::kStateReport, report);
                break;
            }
            }
            for (unsigned n = rng() % 3; n > 0; --n) {
                out.push_back(static_cast<std::uint8_t>(rng()));
            }
        }
        return out;
    }();
    return bytes;
}

// The yardstick: a frame parser as one would first write it, a byte at a time through
// header, length, body, then the trailer and checksum check; no replay of a failed frame.
class NaiveParser {
public:
    template <typename Handler> void feed(Chunk bytes, Handler& handler) {
        for (const std::uint8_t b : bytes) {
            switch (state_) {
            case State::Header1:
                if (b == frame::kHeader1) {
                    frame_[0] = b;
                    state_ = State::Header2;
                }
                break;
            case State::Header2:
                if (b == frame::kHeader2) {
                    frame_[1] = b;
                    state_ = State::Length;
                } else if (b != frame::kHeader1) {
                    state_ = State::Header1;
                }
                break;
            case State::Length:
                if (b < frame::kMinLength) {
                    state_ = State::Header1;
                    break;
                }
                frame_[frame::kLengthOffset] = b;
                size_ = frame::totalSize(b);
                pos_ = frame::kLengthOffset + 1;
                state_ = State::Body;
                break;
            case State::Body:
                frame_[pos_++] = b;
                if (pos_ == size_) {
                    state_ = State::Header1;
                    const Chunk frameBytes{frame_.data(), size_};
                    if (b == frame::kTrailer &&
                        frame::checksum(frameBytes) == frame_[frame_[frame::kLengthOffset]]) {
                        handler(frameBytes);
                    }
                }
                break;
            }
        }
    }

private:
    enum class State { Header1, Header2, Length, Body };
    State state_ = State::Header1;
    std::array<std::uint8_t, frame::totalSize(255)> frame_{};
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
};

// A parser with each good frame counted and, with kDecode, decoded as the tool does.
template <typename Parser, bool kDecode> struct ParserPath {
    Parser parser;
    std::size_t frames = 0;

    void feed(Chunk chunk) {
        auto handler = [this](Chunk frameBytes) {
            if constexpr (kDecode) {
                benchmark::DoNotOptimize(tq37r::decodeReply(frameBytes));
            }
            ++frames;
        };
        parser.feed(chunk, handler);
    }
};

// The receiver and decoder with the line log on, as the controller link runs them: every good
// frame, bad frame and skipped run recorded, stamped with the drain's time. The link reads the
// clock once per drain whether or not it logs (the quiet gap needs it), so that read is no
// cost of logging and is left out here as it is from the path without it.
struct LoggedPath : tq37r::ReceiverObserver {
    tq37r::FrameReceiver receiver;
    tq37r::LineLog log;
    const tq37r::LineLog::TimePoint now = std::chrono::steady_clock::now();
    std::size_t frames = 0;

    LoggedPath() { receiver.setObserver(this); }
    void skipped(Chunk bytes) override { log.skipped(bytes, now); }
    void badFrame(Chunk bytes, tq37r::BadFrame why) override { log.dropped(bytes, why, now); }
    void feed(Chunk chunk) {
        auto handler = [this](Chunk frameBytes) {
            log.received(frameBytes, now);
            benchmark::DoNotOptimize(tq37r::decodeReply(frameBytes));
            ++frames;
        };
        receiver.feed(chunk, handler);
    }
};

// The floor: look at every byte once, as plainly as the compiler makes it with these flags.
struct ByteSum {
    std::uint32_t sum = 0;
    std::size_t frames = 0;

    void feed(Chunk chunk) {
        for (const std::uint8_t b : chunk) {
            sum += b;
        }
        benchmark::DoNotOptimize(sum);
    }
};

template <typename Consumer> void throughput(benchmark::State& state) {
    const Bytes& bytes = stream();
    Consumer consumer;
    for (auto _ : state) {
        for (std::size_t pos = 0; pos < bytes.size(); pos += tq37r::kDrainChunk) {
            consumer.feed({bytes.data() + pos, std::min(tq37r::kDrainChunk, bytes.size() - pos)});
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.counters["frames_per_pass"] =
        static_cast<double>(consumer.frames) / static_cast<double>(state.iterations());
}

BENCHMARK(throughput<ParserPath<tq37r::FrameReceiver, true>>)->Name("receiver+decoder");
BENCHMARK(throughput<ParserPath<NaiveParser, true>>)->Name("naive parser+decoder");
BENCHMARK(throughput<ParserPath<tq37r::FrameReceiver, false>>)->Name("receiver alone");
BENCHMARK(throughput<ParserPath<NaiveParser, false>>)->Name("naive parser alone");
BENCHMARK(throughput<ByteSum>)->Name("byte sum");
BENCHMARK(throughput<LoggedPath>)->Name("receiver+decoder, logging");

struct Comparison {
    const char* ours;
    const char* baseline;
    const char* direction;
};

constexpr std::array<Comparison, 4> kComparisons{{
    {"receiver+decoder, logging", "receiver+decoder",
     "higher is faster; at least 0.9 keeps logging within 10% of logging off"},
    {"receiver+decoder", "naive parser+decoder", "higher: the receiver is faster"},
    {"receiver alone", "naive parser alone", "higher: the receiver is faster; frames counted, not decoded"},
    {"receiver+decoder", "byte sum", "higher is faster; 1 would be as fast as only summing the bytes"},
}};

// Keeps each benchmark's median rate over the repetitions.
class RateCollector : public benchmark::ConsoleReporter {
public:
    RateCollector() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                rates[run.run_name.function_name] = run.counters.at("bytes_per_second");
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

} // namespace

int main(int argc, char** argv) {
    // Repetitions in random order, so that every benchmark sees the same spells of load; the
    // figures are medians. Flags given on the command line come after these and win.
    std::vector<char*> args{argv[0]};
    std::string repetitions = "--benchmark_repetitions=9";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregatesOnly = "--benchmark_report_aggregates_only=true";
    std::string minTime = "--benchmark_min_time=0.2";
    args.insert(args.end(), {repetitions.data(), interleave.data(), aggregatesOnly.data(), minTime.data()});
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RateCollector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto rate = [&](const char* name) { return reporter.rates[name] / 1e6; };
    for (const Comparison& c : kComparisons) {
        if (rate(c.ours) > 0 && rate(c.baseline) > 0) {
            std::printf("%s %.1f MB/s / %s %.1f MB/s = %.2f (%s)\n", c.ours, rate(c.ours), c.baseline,
                        rate(c.baseline), rate(c.ours) / rate(c.baseline), c.direction);
        }
    }
    const std::uint32_t fastest = tq37r::kBaudTable.front();
    const double lineBytesPerSecond = static_cast<double>(fastest) / tq37r::kLineBitsPerByte;
    for (const char* name : {"receiver+decoder"}) {
        std::printf("%s %.1f MB/s / line at %u baud %.4f MB/s = %.0f times %u baud (higher: how many "
                    "such lines it could keep up with)\n",
                    name, rate(name), fastest, lineBytesPerSecond / 1e6,
                    rate(name) * 1e6 / lineBytesPerSecond, fastest);
    }
    return 0;
}
