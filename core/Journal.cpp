#include "core/Journal.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <set>
#include <unordered_map>

#include "core/FileReplacement.h"
#include "core/JournalFile.h"
#include "core/LocalTime.h"
#include "core/Utf8Path.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace tq37r {
namespace {

constexpr std::string_view kFileName = "journal.jsonl";

// Local time to the millisecond, with its offset: "2026-12-07T17:10:00.123+01:00".
std::string timeText(std::chrono::system_clock::time_point at) {
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count() % 1000;
    const std::string offset = localTimeText(at, "%z"); // "+0100"; empty where the zone is unknown
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(millis));
    const std::string time = localTimeText(at, "%Y-%m-%dT%H:%M:%S") + fraction;
    return offset.size() == 5 ? time + offset.substr(0, 3) + ":" + offset.substr(3) : time;
}

// Unique among writers that run at once: the moment, the process and a count go into it, and it
// is written with its snapshot, so it never changes.
std::string newId(std::string_view line) {
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const auto process = static_cast<std::uint64_t>(_getpid());
#else
    const auto process = static_cast<std::uint64_t>(::getpid());
#endif
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](std::uint64_t value) {
        for (int i = 0; i < 8; ++i, value >>= 8) {
            hash = (hash ^ (value & 0xFF)) * 1099511628211ull;
        }
    };
    mix(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    mix(process);
    mix(counter++);
    for (const char c : line) {
        mix(static_cast<unsigned char>(c));
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// The last `bytes` of a file, all of it when it is shorter (then `whole`); "" for no file.
std::string readTail(const std::filesystem::path& path, std::uintmax_t bytes, bool& whole) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    const std::streamoff from =
        bytes >= static_cast<std::uintmax_t>(size) ? 0 : size - static_cast<std::streamoff>(bytes);
    whole = from == 0;
    std::string text(static_cast<std::size_t>(size - from), '\0');
    in.seekg(from);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    // A writer may have rotated the file meanwhile: what was read is what there is.
    text.resize(in ? text.size() : static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount())));
    return text;
}

std::string readAll(const std::filesystem::path& path) {
    bool whole = true;
    return readTail(path, std::numeric_limits<std::uintmax_t>::max(), whole);
}

// A text's lines, without their line ends; a last line without one is a line too.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;
}

// The kind a line names, without reading the line: "" when it names none where the journal puts it.
std::string_view kindOf(std::string_view line) {
    constexpr std::string_view kKey = "\"kind\":\"";
    const std::size_t at = line.find(kKey);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::size_t begin = at + kKey.size();
    const std::size_t end = line.find('"', begin);
    return end == std::string_view::npos ? std::string_view() : line.substr(begin, end - begin);
}

} // namespace

std::filesystem::path dataFolder() {
    if (const char* dir = std::getenv("TQ37R_DATA_DIR"); dir != nullptr && *dir != '\0') {
        return pathFromUtf8(dir);
    }
#ifdef _WIN32
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    return std::filesystem::path(local != nullptr ? local : L".") / "tq37r-params";
#else
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
        return std::filesystem::path(xdg) / "tq37r-params";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".local" / "share" / "tq37r-params";
#endif
}

Journal::Journal(std::filesystem::path folder, std::string program, JournalLimits limits)
    : folder_(std::move(folder)), path_(folder_ / kFileName), program_(std::move(program)), limits_(limits) {}

void Journal::failed(const std::string& why) {
    if (!failureTold_ && onFailure_) {
        failureTold_ = true;
        onFailure_(why);
    }
}

void Journal::record(const JournalEntry& entry) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const std::string time = timeText(std::chrono::system_clock::now());
    std::string id;
    if (entry.isSnapshot()) {
        id = newId(formatJournalLine(entry, time, program_, ""));
    }
    std::string why;
    const std::optional<std::uintmax_t> size =
        journalfile::append(path_, formatJournalLine(entry, time, program_, id), why);
    if (!size) {
        failed(path_.string() + ": " + why);
        return;
    }
    if (!id.empty()) {
        lastSnapshotId_ = id;
    }
    // Labelled snapshots alone may outgrow the limit: then the file is not rewritten at every entry.
    if (*size > limits_.limit && *size > rotatedTo_ + (limits_.limit - limits_.kept)) {
        journalfile::exclusively(path_, [this] { rotate(); });
    }
}

// The newest entries up to what is kept, and every labelled snapshot with its labels however old.
void Journal::rotate() {
    const std::string text = readAll(path_);
    if (text.size() <= limits_.limit) {
        return; // another writer has just done it
    }
    std::vector<std::string_view> lines;
    std::set<std::string> labelled;
    for (const std::string_view line : linesOf(text)) {
        if (const auto record = parseJournalLine(line)) {
            lines.push_back(line);
            if (record->knownKind && record->entry.kind == JournalEntry::Kind::Label) {
                labelled.insert(record->entry.snapshot);
            }
        }
    }
    // The newest lines that fit, without a gap; of the older ones only what was labelled.
    std::vector<bool> keep(lines.size());
    std::uintmax_t kept = 0;
    bool full = false;
    for (std::size_t i = lines.size(); i-- > 0;) {
        full = full || kept + lines[i].size() + 1 > limits_.kept;
        keep[i] = !full || kindOf(lines[i]) == "label" || labelled.count(parseJournalLine(lines[i])->id) != 0;
        kept += keep[i] ? lines[i].size() + 1 : 0;
    }
    std::string rotated;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (keep[i]) {
            rotated.append(lines[i]) += '\n';
        }
    }
    rotatedTo_ = rotated.size();
    if (std::string why; !replaceFile(path_.string(), rotated, why)) {
        failed(path_.string() + ": " + why);
    }
}

JournalContents readJournal(const std::filesystem::path& path) {
    JournalContents contents;
    const std::string text = readAll(path);
    for (const std::string_view line : linesOf(text)) {
        if (std::optional<JournalRecord> record = parseJournalLine(line)) {
            contents.records.push_back(std::move(*record));
        } else if (!line.empty()) {
            ++contents.skipped;
        }
    }
    return contents;
}

namespace {

// The snapshots of a journal's text, newest first; its first line is left out when the text
// may begin within one.
std::vector<Snapshot> snapshotsIn(std::string_view text, bool fromStart, std::size_t limit,
                                  std::string_view port) {
    std::vector<Snapshot> snapshots;
    std::unordered_map<std::string, std::string> labels; // newest first: the first seen wins
    const std::vector<std::string_view> lines = linesOf(text);
    const std::size_t first = fromStart ? 0 : 1;
    for (std::size_t i = lines.size(); i-- > first && (limit == 0 || snapshots.size() < limit);) {
        const std::string_view line = lines[i];
        const std::string_view kind = kindOf(line);
        if (kind != "read" && kind != "save" && kind != "label") {
            continue;
        }
        std::optional<JournalRecord> record = parseJournalLine(line);
        if (!record) {
            continue;
        }
        if (kind == "label") {
            labels.try_emplace(record->entry.snapshot, record->entry.label);
        } else if (record->isSnapshot() && (port.empty() || record->entry.port == port)) {
            const auto label = labels.find(record->id);
            snapshots.push_back({std::move(*record), label != labels.end() ? label->second : std::string()});
        }
    }
    return snapshots;
}

} // namespace

std::vector<Snapshot> readSnapshots(const std::filesystem::path& path, std::size_t limit,
                                    std::string_view port) {
    // A short list needs the journal's end only: read from there, further back while too few.
    // A label comes after its snapshot, so every label of a listed snapshot is read too.
    constexpr std::uintmax_t kFirstTail = std::uintmax_t{64} << 10;
    for (std::uintmax_t tail = limit == 0 ? std::numeric_limits<std::uintmax_t>::max() : kFirstTail;;
         tail *= 4) {
        bool whole = false;
        const std::string text = readTail(path, tail, whole);
        std::vector<Snapshot> snapshots = snapshotsIn(text, whole, limit, port);
        if (whole || snapshots.size() >= limit) {
            return snapshots;
        }
    }
}

const Snapshot* findSnapshot(const std::vector<Snapshot>& snapshots, std::string_view id, std::string& why) {
    std::vector<const Snapshot*> matches;
    for (const Snapshot& s : snapshots) {
        if (s.record.id == id) {
            return &s;
        }
        if (id.size() >= 4 && s.record.id.starts_with(id)) {
            matches.push_back(&s);
        }
    }
    if (matches.size() == 1) {
        return matches.front();
    }
    // Appended piece by piece: GCC 12 warns falsely on a chain of + here.
    why.assign(1, '"').append(id).append("\" names ");
    if (matches.empty()) {
        why.append("no snapshot").append(id.size() < 4 ? " (give at least 4 characters)" : "");
    } else {
        why.append(std::to_string(matches.size())).append(" snapshots: give more characters");
    }
    return nullptr;
}

std::string labelProblem(std::string_view label) {
    std::size_t characters = 0;
    for (const char c : label) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return "a label is one line of plain text, without control characters";
        }
        characters += (byte & 0xC0) != 0x80 ? 1 : 0;
    }
    if (characters > kMaxLabelLength) {
        return "a label has at most " + std::to_string(kMaxLabelLength) + " characters";
    }
    return {};
}

} // namespace tq37r
