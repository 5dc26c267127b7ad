// The tuning history at 100 000 entries: `tq37r-cli history --limit 20`, spawn to exit, against a
// process that reads the same file and splits its lines; and the history window's load (every
// snapshot of the journal) against reading and splitting it in the same process.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "bench/ProcessTiming.h"
#include "core/Journal.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kEntries = 100'000;
constexpr int kRuns = 11;
constexpr const char* kSplitOnly = "--split-only";
// What the timed work found, kept so that none of it is optimised away.
volatile std::size_t found = 0;

tq37r::JournalEntry entryNumber(std::size_t n) {
    using tq37r::JournalEntry;
    JournalEntry entry;
    entry.port = n % 7 == 0 ? "COM4" : "COM3";
    entry.device = "/dev/ttyUSB0";
    entry.baud = 57600;
    entry.firmware = "3.2.1";
    // A tuning session's rhythm: a read, three rows sent, a checked save.
    switch (n % 5) {
    case 0:
        entry.kind = JournalEntry::Kind::Read;
        break;
    case 4:
        entry.kind = JournalEntry::Kind::Save;
        entry.verdict = tq37r::SaveVerdict{tq37r::SaveVerdict::Kind::Verified, {}};
        break;
    default:
        entry.kind = JournalEntry::Kind::Set;
        entry.row = tq37r::GainGroup::Pitch;
        entry.before = {10, 20, 30};
        entry.after = {11, 21, 31};
        return entry;
    }
    entry.gains.emplace();
    for (std::size_t i = 0; i < tq37r::kGainCount; ++i) {
        (*entry.gains)[i] = static_cast<std::uint8_t>((n + i) % 256);
    }
    return entry;
}

void writeJournal(const fs::path& path) {
    std::ofstream out(path, std::ios::binary);
    char id[17];
    for (std::size_t n = 0; n < kEntries; ++n) {
        std::snprintf(id, sizeof id, "%016zx", n * 2654435761u);
        out << tq37r::formatJournalLine(entryNumber(n), "2026-12-07T17:10:00.123+01:00", "tq37r-cli", id)
            << '\n';
    }
}

// What any reader of the journal must do at least: the file into memory, cut into lines.
std::size_t splitLines(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(fs::file_size(path), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find('\n', begin);
        end = end == std::string::npos ? text.size() : end;
        lines.emplace_back(text.data() + begin, end - begin);
        begin = end + 1;
    }
    return lines.size();
}

template <typename Work> double msOf(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The window's load and the floor in turn, so that each sees the same load; medians.
std::pair<double, double> windowLoadMs(const fs::path& path) {
    std::vector<double> load;
    std::vector<double> floor;
    for (int i = 0; i < kRuns; ++i) {
        load.push_back(msOf([&] { found = tq37r::readSnapshots(path).size(); }));
        floor.push_back(msOf([&] { found = splitLines(path); }));
    }
    return {tq37r::bench::median(std::move(load)), tq37r::bench::median(std::move(floor))};
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == kSplitOnly) {
        return splitLines(argv[2]) == kEntries ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TQ37R-CLI\n", argv[0]);
        return 2;
    }
    const fs::path folder = fs::temp_directory_path() / ("tq37r-history-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path journal = folder / "journal.jsonl";
    writeJournal(journal);
    setenv("TQ37R_DATA_DIR", folder.c_str(), 1);
    using tq37r::bench::fixed;
    const std::vector<double> ms =
        tq37r::bench::medianMs(kRuns, {fixed({argv[1], "history", "--limit", "20"}),
                                       fixed({argv[0], kSplitOnly, journal.string()})});
    const auto [loadMs, floorMs] = windowLoadMs(journal);
    const double mebibytes = static_cast<double>(fs::file_size(journal)) / (1 << 20);
    if (!getenv("KEEP"))
        fs::remove_all(folder);
    if (ms.empty()) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf(
        "history --limit 20 of %zu entries (%.1f MiB) %.1f ms / a process reading and splitting the file "
        "%.1f ms = %.2f (lower is better)\n",
        kEntries, mebibytes, ms[0], ms[1], ms[0] / ms[1]);
    std::printf(
        "the history window's load of every snapshot %.1f ms / reading and splitting the file %.1f ms = "
        "%.2f (lower is better)\n",
        loadMs, floorMs, loadMs / floorMs);
    return 0;
}
