#include "core/HistoryBrowser.h"

#include "core/DialogTexts.h"
#include "core/DialogView.h"
#include "core/GainFileIo.h"
#include "core/ParamDialog.h"

namespace tq37r {
namespace {

constexpr std::size_t kShownIdLength = 8;

std::string shownId(const std::string& id) {
    return id.substr(0, kShownIdLength);
}

} // namespace

std::string historyCell(const HistoryBrowser::Row& row, std::size_t column) {
    const std::string* texts[] = {&row.id, &row.time, &row.port, &row.firmware, &row.kind, &row.label};
    return column < std::size(texts) ? *texts[column] : std::to_string(row.differFromGrid);
}

void HistoryBrowser::reload() {
    snapshots_ = readSnapshots(journal_.path());
}

Gains HistoryBrowser::gainsOf(std::size_t index) const {
    Gains gains{};
    const JournalGains& given = *snapshots_.at(index).record.entry.gains;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        gains[i] = given[i].value_or(0);
    }
    return gains;
}

HistoryBrowser::Row HistoryBrowser::row(std::size_t index) const {
    const Snapshot& s = snapshots_.at(index);
    Row row{shownId(s.record.id),
            s.record.time.substr(0, 19),
            s.record.entry.port,
            s.record.entry.firmware,
            s.record.kindName,
            s.label,
            0};
    if (row.time.size() > 10) {
        row.time[10] = ' ';
    }
    const Gains gains = gainsOf(index);
    const auto grid = dialog_.gridGains();
    for (std::size_t i = 0; i < kGainCount; ++i) {
        row.differFromGrid += grid[i] != gains[i] ? 1 : 0;
    }
    return row;
}

std::string HistoryBrowser::differences(std::span<const std::size_t> selected, bool withDefaults) const {
    if (selected.empty() || selected.size() > 2) {
        return "Select one snapshot to compare with the grid, or two to compare with each other.";
    }
    const Gains first = gainsOf(selected[0]);
    std::array<std::optional<std::uint8_t>, kGainCount> other;
    std::string otherName;
    if (selected.size() == 2) {
        const Gains second = gainsOf(selected[1]);
        std::copy(second.begin(), second.end(), other.begin());
        otherName = shownId(snapshots_.at(selected[1]).record.id);
    } else if (withDefaults) {
        for (std::size_t i = 0; i < kGainCount; ++i) {
            other[i] = kGains[i].defaultValue;
        }
        otherName = "the defaults";
    } else {
        other = dialog_.gridGains();
        otherName = "the grid";
    }
    const std::string name = shownId(snapshots_.at(selected[0]).record.id);
    std::string text;
    std::size_t count = 0;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (other[i] != first[i]) {
            ++count;
            text += "\n" + std::string(kGains[i].label) + ": " + std::to_string(first[i]) + " in " + name +
                    ", " + (other[i] ? std::to_string(*other[i]) : std::string("no value")) + " in " +
                    otherName;
        }
    }
    return count == 0 ? name + " and " + otherName + " are the same."
                      : name + " and " + otherName + " differ in " + gainCount(count) + ":" + text;
}

void HistoryBrowser::loadIntoGrid(std::size_t index) {
    dialog_.loadSnapshot(gainsOf(index), shownId(snapshots_.at(index).record.id));
}

void HistoryBrowser::label(std::size_t index) {
    const Snapshot& s = snapshots_.at(index);
    view_.askText({"Label snapshot " + shownId(s.record.id), "A few words to find it by", s.label},
                  [this, id = s.record.id](const std::optional<std::string>& entered) {
                      if (!entered) {
                          return;
                      }
                      if (const std::string problem = labelProblem(*entered); !problem.empty()) {
                          view_.messageBox({std::string(text::kParamDialogTitle), "The label was not kept.",
                                            problem, MessageBoxRequest::Icon::Warning});
                          return;
                      }
                      JournalEntry entry;
                      entry.kind = JournalEntry::Kind::Label;
                      entry.snapshot = id;
                      entry.label = *entered;
                      journal_.record(entry);
                      reload();
                  });
}

void HistoryBrowser::saveAsGainFile(std::size_t index) {
    dialog_.askGainFile(true,
                        [this, gains = gainsOf(index), firmware = snapshots_.at(index).record.entry.firmware](
                            const std::string& path) { dialog_.writeGains(path, gains, firmware); });
}

} // namespace tq37r
