#include "cli/Output.h"

#include "core/JsonString.h"
#include "core/OpenFailureText.h"

#include <algorithm>
#include <cstdio>
#include <type_traits>

namespace tq37r::cli {

namespace {

std::string twoDecimals(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// A column of a text line: one word, "-" when blank.
std::string column(std::string_view text) {
    std::string word = text.empty() ? std::string("-") : std::string(text);
    std::replace(word.begin(), word.end(), ' ', '_');
    return word;
}

// Long enough to tell snapshots apart by eye, and a prefix every history command takes.
std::string_view shortId(std::string_view id) {
    return id.substr(0, 8);
}

template <typename Values> std::string rowValues(const Values& values) {
    std::string text;
    for (const auto& value : values) {
        text += text.empty() ? "" : ",";
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::optional<std::uint8_t>>) {
            text += value ? std::to_string(*value) : "-"; // not known when it was sent
        } else {
            text += std::to_string(value);
        }
    }
    return text;
}

// What sets an entry apart from others of its kind.
std::string details(const JournalRecord& record) {
    const JournalEntry& e = record.entry;
    switch (e.kind) {
    case JournalEntry::Kind::Read:
        return std::string(shortId(record.id));
    case JournalEntry::Kind::Set:
        return (e.row ? rowName(*e.row) : std::string("-")) + " " + rowValues(e.before) + " " +
               rowValues(e.after);
    case JournalEntry::Kind::Save: {
        std::string text = e.verdict ? std::string(verdictName(e.verdict->kind)) : std::string("-");
        if (!record.id.empty()) {
            text.append(1, ' ').append(shortId(record.id));
        }
        return text;
    }
    case JournalEntry::Kind::FileLoaded:
    case JournalEntry::Kind::FileSaved:
        return e.file;
    case JournalEntry::Kind::Defaults:
        return {};
    case JournalEntry::Kind::Label:
        return std::string(shortId(e.snapshot)) + " " + e.label;
    }
    return {};
}

} // namespace

Output::Output(bool json, std::ostream& results, std::ostream& messages)
    : json_(json), results_(results), messages_(messages) {}

void Output::member(std::string_view key) {
    if (inList_) {
        results_ << "]";
        inList_ = false;
    }
    results_ << (opened_ ? "," : "{") << jsonString(key) << ":";
    opened_ = true;
}

void Output::gains(const std::vector<GainValue>& values) {
    if (!json_) {
        for (const GainValue& v : values) {
            results_ << v.name << ' ' << v.value << '\n';
        }
        return;
    }
    member("gains");
    results_ << "{";
    for (std::size_t i = 0; i < values.size(); ++i) {
        results_ << (i == 0 ? "" : ",") << jsonString(values[i].name) << ":" << values[i].value;
    }
    results_ << "}";
}

void Output::pairs(std::string_view key, std::string_view firstLabel, std::string_view secondLabel,
                   const std::vector<GainPair>& values) {
    if (!json_) {
        for (const GainPair& v : values) {
            results_ << v.name << ' ' << v.first << ' ' << v.second << '\n';
        }
        return;
    }
    member(key);
    results_ << "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        results_ << (i == 0 ? "" : ",") << "{\"name\":" << jsonString(values[i].name) << ","
                 << jsonString(firstLabel) << ":" << values[i].first << "," << jsonString(secondLabel) << ":"
                 << values[i].second << "}";
    }
    results_ << "]";
}

void Output::firmware(unsigned model, double version) {
    if (!json_) {
        results_ << "model " << model << "\nversion " << twoDecimals(version) << '\n';
        return;
    }
    member("model");
    results_ << model;
    member("version");
    results_ << twoDecimals(version);
}

void Output::ports(const std::vector<PortEntry>& entries) {
    if (!json_) {
        for (const PortEntry& e : entries) {
            results_ << e.name << ' ' << (e.device.empty() ? "not-present" : e.device) << '\n';
        }
        return;
    }
    member("ports");
    results_ << "[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        results_ << (i == 0 ? "" : ",") << "{\"name\":" << jsonString(entries[i].name)
                 << ",\"device\":" << (entries[i].device.empty() ? "null" : jsonString(entries[i].device))
                 << "}";
    }
    results_ << "]";
}

void Output::saved(bool verified) {
    if (!json_) {
        if (verified) {
            results_ << "saved\n";
        }
        return;
    }
    member("saved");
    results_ << (verified ? "true" : "false");
}

void Output::field(std::string_view key, std::string_view shown, bool quoted) {
    if (!json_) {
        results_ << key << ' ' << shown << '\n';
        return;
    }
    std::string jsonKey(key);
    std::replace(jsonKey.begin(), jsonKey.end(), '-', '_');
    member(jsonKey);
    if (quoted) {
        results_ << jsonString(shown);
    } else {
        results_ << shown;
    }
}

void Output::field(std::string_view key, long value) {
    field(key, std::to_string(value), false);
}

void Output::field(std::string_view key, std::string_view text) {
    field(key, text, true);
}

void Output::gyro(double x, double y, double z) {
    char text[96];
    std::snprintf(text, sizeof text, json_ ? "{\"x\":%.1f,\"y\":%.1f,\"z\":%.1f}" : "x %.1f y %.1f z %.1f", x,
                  y, z);
    if (!json_) {
        results_ << text << '\n';
        return;
    }
    member("gyro");
    results_ << text;
}

void Output::controllersFound(const std::vector<ControllerSearch::Found>& found,
                              const std::vector<ControllerSearch::Silent>& silent) {
    if (!json_) {
        for (const ControllerSearch::Found& f : found) {
            results_ << f.port << ' ' << f.baudRate << '\n';
        }
        return;
    }
    member("found");
    results_ << "[";
    for (std::size_t i = 0; i < found.size(); ++i) {
        results_ << (i == 0 ? "" : ",") << "{\"port\":" << jsonString(found[i].port)
                 << ",\"baud\":" << found[i].baudRate << "}";
    }
    results_ << "]";
    // A silent port: the rates at which bytes came without an answer, or why it was not tried.
    member("silent");
    results_ << "[";
    for (std::size_t i = 0; i < silent.size(); ++i) {
        results_ << (i == 0 ? "" : ",") << "{\"port\":" << jsonString(silent[i].port) << ",\"heard_at\":[";
        for (std::size_t r = 0; r < silent[i].heardAt.size(); ++r) {
            results_ << (r == 0 ? "" : ",") << silent[i].heardAt[r];
        }
        results_ << "],\"failure\":";
        if (silent[i].failure == OpenFailure::None) {
            results_ << "null";
        } else {
            results_ << jsonString(openFailureDetail(silent[i].failure, silent[i].port, {}));
        }
        results_ << "}";
    }
    results_ << "]";
}

void Output::progress(std::string_view message) {
    messages_ << "tq37r-cli: " << message << '\n';
}

void Output::note(std::string_view key, std::string_view text) {
    if (json_) {
        member(key);
        results_ << jsonString(text);
    }
}

void Output::note(std::string_view key, long value) {
    if (json_) {
        member(key);
        results_ << value;
    }
}

void Output::snapshots(const std::vector<Snapshot>& list) {
    if (!json_) {
        for (const Snapshot& s : list) {
            const JournalEntry& e = s.record.entry;
            results_ << shortId(s.record.id) << ' ' << column(s.record.time) << ' ' << column(e.port) << ' '
                     << column(e.firmware) << ' ' << s.record.kindName << ' '
                     << (s.label.empty() ? "-" : s.label) << '\n';
        }
        return;
    }
    member("snapshots");
    results_ << "[";
    for (std::size_t i = 0; i < list.size(); ++i) {
        const JournalRecord& r = list[i].record;
        results_ << (i == 0 ? "" : ",") << "{\"id\":" << jsonString(r.id)
                 << ",\"time\":" << jsonString(r.time) << ",\"port\":" << jsonString(r.entry.port)
                 << ",\"device\":" << jsonString(r.entry.device) << ",\"baud\":" << r.entry.baud
                 << ",\"firmware\":" << jsonString(r.entry.firmware) << ",\"kind\":" << jsonString(r.kindName)
                 << ",\"label\":" << jsonString(list[i].label) << "}";
    }
    results_ << "]";
}

void Output::journalEntries(const std::vector<JournalRecord>& records) {
    if (!json_) {
        for (const JournalRecord& r : records) {
            const std::string told = details(r);
            results_ << column(r.time) << ' ' << column(r.program) << ' ' << r.kindName << ' '
                     << column(r.entry.port) << ' ' << (told.empty() ? "-" : told) << '\n';
        }
        return;
    }
    member("entries");
    results_ << "[";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const JournalRecord& r = records[i];
        results_ << (i == 0 ? "" : ",") << formatJournalLine(r.entry, r.time, r.program, r.id);
    }
    results_ << "]";
}

void Output::beginList(std::string_view key) {
    if (json_ && !inList_) {
        member(key);
        results_ << "[";
        inList_ = true;
        anyItem_ = false;
    }
}

void Output::listItem(std::string_view json) {
    results_ << (anyItem_ ? "," : "") << json;
    anyItem_ = true;
}

void Output::beginReports() {
    beginList("reports");
}

void Output::report(int flightMode, int task) {
    if (!json_) {
        results_ << "flight-mode " << flightMode << " task " << task << '\n';
    } else {
        beginReports();
        listItem("{\"flight_mode\":" + std::to_string(flightMode) + ",\"task\":" + std::to_string(task) +
                 "}");
    }
    // Whoever reads a monitor's output wants each report when it comes, not when a buffer fills.
    results_.flush();
}

void Output::beginFrames() {
    beginList("frames");
}

void Output::frame(std::string_view line, std::string_view json) {
    if (!json_) {
        results_ << line << '\n';
    } else {
        beginFrames();
        listItem(json);
    }
    results_.flush();
}

void Output::warning(std::string_view message) {
    messages_ << "tq37r-cli: warning: " << message << '\n';
}

void Output::error(std::string_view message, int exitStatus) {
    messages_ << "tq37r-cli: " << message << '\n';
    if (json_) {
        member("error");
        results_ << jsonString(message);
        member("exit");
        results_ << exitStatus;
    }
}

void Output::finish() {
    if (!json_) {
        results_.flush();
        return;
    }
    if (inList_) {
        results_ << "]";
        inList_ = false;
    }
    results_ << (opened_ ? "}" : "{}") << '\n';
    results_.flush();
}

} // namespace tq37r::cli
