#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/Journal.h"
#include "session/ControllerSearch.h"

namespace tq37r::cli {

struct GainValue {
    std::string_view name;
    int value = 0;
};

// One gain seen two ways: before and after, controller and file, controller and expected.
struct GainPair {
    std::string_view name;
    int first = 0;
    int second = 0;
};

struct PortEntry {
    std::string name;
    std::string device; // empty: not present
};

// Results on one stream, messages on another. Text is "name value" lines; JSON is one object
// written as results come, so a monitor's reports still appear as they arrive and a failure
// part-way leaves a whole document ending in "error" and "exit".
class Output {
public:
    Output(bool json, std::ostream& results, std::ostream& messages);

    void gains(const std::vector<GainValue>& values);
    // Text: "name first second" lines; JSON: key: [{"name", firstLabel, secondLabel}].
    void pairs(std::string_view key, std::string_view firstLabel, std::string_view secondLabel,
               const std::vector<GainPair>& values);
    void firmware(unsigned model, double version);
    void ports(const std::vector<PortEntry>& entries);
    void saved(bool verified);
    // One named result: text "key value"; JSON "key": value, a number or a string (a "-" in
    // the key becomes "_" there).
    void field(std::string_view key, long value);
    void field(std::string_view key, std::string_view text);
    // Text: "x 0.5 y -1.0 z 12.7"; JSON: "gyro": {"x", "y", "z"}.
    void gyro(double x, double y, double z);
    // Text: "PORT BAUD" lines; JSON: "found": [{"port", "baud"}].
    // Where the controller answered, a line each; --json adds the ports that stayed silent.
    void controllersFound(const std::vector<ControllerSearch::Found>& found,
                          const std::vector<ControllerSearch::Silent>& silent);
    // A JSON member only: text output keeps quiet about it.
    void note(std::string_view key, std::string_view text);
    void note(std::string_view key, long value);
    // Text: "ID TIME PORT FIRMWARE KIND LABEL" lines, the id's first 8 characters, a blank
    // column as "-"; JSON: "snapshots": [{"id", "time", "port", ..., "label"}].
    void snapshots(const std::vector<Snapshot>& list);
    // Text: "TIME PROGRAM KIND PORT DETAILS" lines; JSON: "entries": [each as the journal keeps it].
    void journalEntries(const std::vector<JournalRecord>& records);
    // Opens the JSON list of state reports, so a run that saw none still has it.
    void beginReports();
    void report(int flightMode, int task);
    // The same for every frame (monitor --raw): text is the line log's line, JSON its object.
    void beginFrames();
    void frame(std::string_view line, std::string_view json);

    void warning(std::string_view message);
    // What a long command is doing, on the messages stream.
    void progress(std::string_view message);
    void error(std::string_view message, int exitStatus);
    // Closes the JSON document; call once at the end.
    void finish();

private:
    // Starts a JSON member: the comma, the key and the colon.
    void member(std::string_view key);
    void field(std::string_view key, std::string_view shown, bool quoted);

    bool json_;
    std::ostream& results_;
    std::ostream& messages_;
    bool opened_ = false; // "{" written
    // Opens a JSON array member that stays open while items come; the next member closes it.
    void beginList(std::string_view key);
    void listItem(std::string_view json);

    bool inList_ = false; // a JSON array member is open
    bool anyItem_ = false;
};

} // namespace tq37r::cli
