// The tuning history on disk: whole lines whatever happened before, what a reader makes of lines
// it cannot use, ids that stay, rotation that keeps what was labelled, and a failure said once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "core/Journal.h"

namespace tq37r {
namespace {

namespace fs = std::filesystem;

struct JournalFile : ::testing::Test {
    JournalFile() { fs::remove_all(folder); }
    ~JournalFile() override { fs::remove_all(folder); }
    static JournalEntry read(std::uint8_t pitchLevel) {
        JournalEntry entry;
        entry.port = "COM1";
        entry.baud = 19200;
        entry.gains.emplace();
        entry.gains->fill(1);
        (*entry.gains)[0] = pitchLevel;
        return entry;
    }
    void append(const std::string& text) const { std::ofstream(folder / "journal.jsonl", std::ios::app) << text; }
    // A snapshot's line as another writer may leave it: gains all 1 but the last.
    static std::string snapshotLine(const std::string& rest, int last) {
        std::string gains = "[1";
        for (std::size_t i = 1; i + 1 < kGainCount; ++i) {
            gains += ",1";
        }
        return R"({"kind":"read",)" + rest + R"("gains":)" + gains + "," + std::to_string(last) + "]}\n";
    }

    const fs::path folder = fs::temp_directory_path() / ("tq37r-journal-" + std::to_string(::getpid()));
};

TEST_F(JournalFile, ATornLineIsSkippedAndNeverGluesOntoTheNextAndNewerLinesAreReadForWhatTheyKnow) {
    Journal journal(folder, "tq37r-cli");
    journal.record(read(35));
    append("{\"v\":1,\"kind\":\"re"); // a writer killed mid-line
    journal.record(read(36));
    append("[1,2]\n" + snapshotLine("\"v\":9,\"id\":\"00000000aaaaaaaa\",\"new\":{\"x\":[1]},", 37) +
           "{\"v\":9,\"kind\":\"tune\"}\n");
    const JournalContents contents = readJournal(journal.path());
    EXPECT_EQ(contents.skipped, 2u);
    ASSERT_EQ(contents.records.size(), 4u);
    EXPECT_FALSE(contents.records[3].knownKind) << "a newer version's kind";
    const std::vector<Snapshot> snapshots = readSnapshots(journal.path());
    ASSERT_EQ(snapshots.size(), 3u);
    EXPECT_EQ((*snapshots[0].record.entry.gains)[20], 37);
    EXPECT_EQ((*snapshots[1].record.entry.gains)[0], 36);
    EXPECT_EQ(snapshots[1].record.program, "tq37r-cli");
    EXPECT_EQ(snapshots[1].record.entry.port, "COM1");
    EXPECT_EQ(snapshots[1].record.id, journal.lastSnapshotId());
    EXPECT_EQ(readSnapshots(journal.path(), 1, "COM1").size(), 1u);
    EXPECT_TRUE(readSnapshots(journal.path(), 0, "COM2").empty());
}

TEST_F(JournalFile, RotationDropsTheOldestButALabelledSnapshotAndIdsStay) {
    Journal journal(folder, "tq37r-params", JournalLimits{4000, 2000});
    journal.record(read(40));
    const std::string labelled = journal.lastSnapshotId();
    journal.record(read(41));
    const std::string unlabelled = journal.lastSnapshotId();
    JournalEntry label;
    label.kind = JournalEntry::Kind::Label;
    label.snapshot = labelled;
    label.label = "calm day, flew well";
    journal.record(label);
    for (int i = 0; i < 40; ++i) {
        journal.record(read(static_cast<std::uint8_t>(i)));
    }
    EXPECT_LE(fs::file_size(journal.path()), 4000u);
    const std::vector<Snapshot> snapshots = readSnapshots(journal.path());
    std::string why;
    const Snapshot* kept = findSnapshot(snapshots, labelled.substr(0, 6), why);
    ASSERT_NE(kept, nullptr) << why;
    EXPECT_EQ(kept->record.id, labelled);
    EXPECT_EQ(kept->label, "calm day, flew well");
    EXPECT_EQ(findSnapshot(snapshots, unlabelled, why), nullptr);
    EXPECT_EQ(why, "\"" + unlabelled + "\" names no snapshot");
    const std::string head = snapshots.front().record.id.substr(0, 4);
    append(snapshotLine("\"id\":\"" + head + "ffffffffffff\",", 1));
    EXPECT_EQ(findSnapshot(readSnapshots(journal.path()), head, why), nullptr);
    EXPECT_EQ(why, "\"" + head + "\" names 2 snapshots: give more characters");
}

TEST_F(JournalFile, AJournalThatCannotBeWrittenIsSaidOnceAndLabelsArePlainText) {
    fs::create_directories(folder);
    std::ofstream(folder / "file") << "not a folder";
    Journal journal(folder / "file" / "data", "tq37r-params");
    int told = 0;
    journal.onFailure([&told](const std::string& why) { told += why.empty() ? 100 : 1; });
    journal.record(read(35));
    journal.record(read(36));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(labelProblem("calm day, 风小"), "");
    EXPECT_NE(labelProblem("two\nlines"), "");
    EXPECT_NE(labelProblem(std::string(201, 'a')), "");
    EXPECT_EQ(labelProblem(std::string(200, 'a')), "");
}

} // namespace
} // namespace tq37r
