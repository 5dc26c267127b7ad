#include "cli/Commands.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "cli/CommandError.h"
#include "core/GainFileIo.h"
#include "core/OpenFailureText.h"
#include "core/Utf8Path.h"
#include "serial/OsErrorText.h"
#include "serial/PortName.h"

namespace tq37r::cli::command {

namespace {

std::vector<GainValue> valuesOf(const Gains& gains, const std::vector<std::size_t>& indices) {
    std::vector<GainValue> values;
    for (const std::size_t i : indices) {
        values.push_back({kGains[i].fileName, gains[i]});
    }
    return values;
}

// Sends each row in which wanted differs from held; the other rows are left alone. A failure
// part-way still tells the rows the controller took: it holds them now.
void sendChangedRows(Controller& controller, const Gains& held, const Gains& wanted, Output& out) {
    Gains taken = held;
    try {
        for (const GainRow& row : kGainRows) {
            const auto first = static_cast<std::ptrdiff_t>(firstGainOf(row.group));
            const auto last = first + static_cast<std::ptrdiff_t>(kGainsPerRow);
            if (!std::equal(held.begin() + first, held.begin() + last, wanted.begin() + first)) {
                controller.sendRow(row.group, wanted);
                std::copy(wanted.begin() + first, wanted.begin() + last, taken.begin() + first);
            }
        }
    } catch (const CommandError&) {
        out.pairs("changed", "before", "after", differences(held, taken));
        throw;
    }
    out.pairs("changed", "before", "after", differences(held, wanted));
}

// The session reads the gains back after the controller acknowledges the save, and checks
// them against what it read and sent.
int saveVerified(Controller& controller, Output& out) {
    const SaveVerdict verdict = controller.save();
    out.saved(verdict.kind == SaveVerdict::Kind::Verified);
    if (verdict.kind == SaveVerdict::Kind::NotVerified) {
        out.error("saved, but the read-back got no answer: not verified", kExitNoAnswer);
        return kExitNoAnswer;
    }
    if (verdict.kind == SaveVerdict::Kind::Verified) {
        return kExitDone;
    }
    std::vector<GainPair> mismatches;
    for (const SaveVerdict::Mismatch& m : verdict.mismatches) {
        mismatches.push_back({kGains[m.gain].fileName, m.reads, m.saved});
    }
    out.pairs("mismatches", "controller", "expected", mismatches);
    out.error("the save did not verify: " + gainCount(mismatches.size()) + " read back " +
                  (mismatches.size() == 1 ? "differs" : "differ"),
              kExitDifferent);
    return kExitDifferent;
}

} // namespace

std::vector<GainValue> allValues(const Gains& gains) {
    std::vector<GainValue> values;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        values.push_back({kGains[i].fileName, gains[i]});
    }
    return values;
}

std::vector<GainPair> differences(const Gains& first, const Gains& second) {
    std::vector<GainPair> pairs;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (first[i] != second[i]) {
            pairs.push_back({kGains[i].fileName, first[i], second[i]});
        }
    }
    return pairs;
}

void ports(const SerialPort& port, Output& out) {
    std::vector<PortEntry> entries;
    for (const ComPort& listed : ComPort::listed()) {
        entries.push_back({listed.name(), port.resolve(listed.name())});
    }
    out.ports(entries);
}

void open(Controller& controller, const std::string& portName, std::uint32_t baudRate) {
    const OpenResult opened = controller.open(portName, baudRate);
    if (!opened) {
        // A device path stands for itself; repeating it would say nothing.
        const std::string device = opened.devicePath == portName ? std::string() : opened.devicePath;
        std::string cause = openFailureDetail(opened.failure, portName, device);
        if (opened.failure == OpenFailure::Other && opened.osError != 0) {
            cause += ": " + osErrorText(opened.osError);
        }
        throw CommandError(kExitCannotOpen, "cannot open " + portName + ": " + cause);
    }
}

int version(Controller& controller, Output& out) {
    const reply::FirmwareVersion version = controller.readFirmware();
    out.firmware(version.model, version.version);
    return kExitDone;
}

int read(Controller& controller, Output& out) {
    out.gains(allValues(controller.readGains()));
    return kExitDone;
}

int get(Controller& controller, const std::vector<std::size_t>& gainIndices, Output& out) {
    out.gains(valuesOf(controller.readGains(), gainIndices));
    return kExitDone;
}

int set(Controller& controller, const std::vector<GainAssignment>& assignments, Output& out) {
    // A row goes out whole, so its other gains must be the ones the controller holds: the
    // blocks that carry the changed rows are read, and only those.
    std::array<bool, 2> needed{};
    for (const GainAssignment& a : assignments) {
        needed[static_cast<std::size_t>(rowOfGain(a.index).block)] = true;
    }
    const Gains held = controller.readBlocks(needed[0], needed[1]);
    Gains wanted = held;
    for (const GainAssignment& a : assignments) {
        wanted[a.index] = a.value;
    }
    sendChangedRows(controller, held, wanted, out);
    return kExitDone;
}

int save(Controller& controller, Output& out) {
    // What the controller holds is known before the save, so the read-back has something to check.
    controller.readGains();
    return saveVerified(controller, out);
}

int backup(Controller& controller, const std::string& path, Output& out) {
    const std::string firmware = firmwareText(controller.readFirmware());
    const Gains gains = controller.readGains();
    if (std::string why; !writeGainFileAt(path, gains, firmware, why)) {
        throw CommandError(kExitBadFile, "cannot write " + path + ": " + why);
    }
    JournalEntry written;
    written.kind = JournalEntry::Kind::FileSaved;
    // Whole, so the history still finds the file from another folder.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(pathFromUtf8(path), error);
    written.file = error ? path : utf8Of(absolute);
    written.gains.emplace();
    std::copy(gains.begin(), gains.end(), written.gains->begin());
    controller.record(std::move(written));
    out.note("file", path);
    out.note("firmware", firmware);
    return kExitDone;
}

int restore(Controller& controller, const GainFileRead& file, bool thenSave, Output& out) {
    const Gains held = controller.readGains();
    Gains wanted = held;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        wanted[i] = file.values[i].value_or(held[i]);
    }
    sendChangedRows(controller, held, wanted, out);
    return thenSave ? saveVerified(controller, out) : kExitDone;
}

int diff(Controller& controller, const GainFileRead& file, std::string_view against, Output& out) {
    const Gains held = controller.readGains();
    std::vector<GainPair> differing;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (file.values[i] && *file.values[i] != held[i]) {
            differing.push_back({kGains[i].fileName, held[i], *file.values[i]});
        }
    }
    out.pairs("differences", "controller", against, differing);
    return differing.empty() ? kExitDone : kExitDifferent;
}

int monitor(Controller& controller, std::optional<std::chrono::milliseconds> duration, LineLog* raw,
            Output& out) {
    if (raw != nullptr) {
        out.beginFrames();
        raw->onEntry = [&out, trace = raw->onEntry](const LineLog::Entry& entry) {
            if (trace) {
                trace(entry);
            }
            if (entry.kind == LineLog::Kind::Received) {
                out.frame(LineLog::format(entry), LineLog::formatJson(entry));
            }
        };
    } else {
        out.beginReports();
    }
    controller.watchReports(duration, [&out, raw](const reply::StateReport& report) {
        if (raw == nullptr) {
            out.report(report.flightModeState, report.taskState);
        }
    });
    return kExitDone;
}

GainFileRead loadGainFile(const std::string& path, Output& out) {
    std::string why;
    const std::optional<std::string> text = readGainFileText(path, why);
    if (!text) {
        throw CommandError(kExitBadFile, path + " " + why);
    }
    GainFileRead read = readGainFile(*text);
    const std::vector<std::string> problems = describeGainFileProblems(read);
    if (!read.accepted()) {
        throw CommandError(kExitBadFile, path + ": " + problems.front());
    }
    for (const std::string& problem : problems) {
        out.warning(path + ": " + problem);
    }
    return read;
}

} // namespace tq37r::cli::command
