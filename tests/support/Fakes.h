#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/DialogClock.h"
#include "core/DialogView.h"
#include "serial/SerialPort.h"

namespace tq37r::test {

using Bytes = std::vector<std::uint8_t>;

// The window as plain data: texts and selections by control id, the boxes shown, the focus.
class FakeView : public DialogView {
public:
    FakeView();

    std::string text(int id) const override;
    void setText(int id, std::string_view text) override { texts[id] = text; }
    int selection(int id) const override;
    void setSelection(int id, int index) override;
    void focus(int id) override { focused = id; }
    void setToolTip(int id, std::string_view text) override { toolTips[id] = text; }
    void setTint(int id, GainTint tint) override { tints[id] = tint; }
    void messageBox(const MessageBoxRequest& request,
                    std::function<void(MessageBoxAnswer)> answered) override;
    void askFilePath(const FileChoice&, bool, const std::string& folder,
                     std::function<void(const std::string&)> chosen) override {
        startedIn = folder;
        chosen(chosenFile);
    }
    void askText(const TextRequest& request,
                 std::function<void(const std::optional<std::string>&)> entered) override {
        textRequests.push_back(request);
        entered(textAnswer);
    }
    void showProgress(const ProgressRequest& request, std::function<void()> cancelled) override;
    void setProgress(int step, std::string_view text) override {
        progressSteps.push_back({step, std::string(text)});
    }
    void closeProgress() override { progressUp = false; }
    void showLineLog() override { ++lineLogShown; }
    void showHistory() override { ++historyShown; }
    void showFlightSettings() override { ++flightSettingsShown; }
    void flightSettingsChanged() override { ++flightSettingsChanges; }
    void endDialog() override { ended = true; }

    // The operator types into an edit or a list's text field (a list then has no selection).
    void type(int id, std::string text);

    std::map<int, std::string> texts;
    std::map<int, std::string> toolTips;
    std::map<int, GainTint> tints;
    std::vector<MessageBoxRequest> boxes;
    MessageBoxAnswer answer = MessageBoxAnswer::Ok; // given at once, as a modal box would
    std::function<void()> whileBoxIsUp;             // runs before the answer, as events would
    std::string chosenFile;                         // what the file dialog answers; "" is Cancel
    // Runs while the progress box is up, as events would, until it returns true: the operator
    // pressed Cancel.
    std::function<bool()> whileProgressIsUp;
    std::vector<ProgressRequest> progressBoxes;
    std::vector<std::pair<int, std::string>> progressSteps;
    bool progressUp = false;
    int lineLogShown = 0;
    int historyShown = 0;
    int flightSettingsShown = 0;
    int flightSettingsChanges = 0;
    std::string startedIn; // the folder the last file dialog started in
    std::vector<TextRequest> textRequests;
    std::optional<std::string> textAnswer; // what the text box answers; nullopt is Cancel
    int focused = 0;
    bool ended = false;

private:
    std::map<int, std::vector<std::string>> items_;
    std::map<int, int> selections_;
};

// Time that moves only when a test moves it.
class FakeClock : public DialogClock {
public:
    TimePoint now() const override { return now_; }
    void setTimer(int timerId, std::chrono::milliseconds period) override;
    void killTimer(int timerId) override { timers_.erase(timerId); }

    // Moves time on, ticking every due timer into onTick in time order.
    void advance(std::chrono::milliseconds duration, const std::function<void(int)>& onTick);
    bool timerRunning(int timerId) const { return timers_.count(timerId) != 0; }

private:
    struct Timer {
        std::chrono::milliseconds period;
        TimePoint next;
    };
    TimePoint now_{};
    std::map<int, Timer> timers_;
};

// A port whose peer is the test: frames written are kept (and handed to `peer`, which may
// queue an answer, announced to the sink as a watcher would), bytes queued in `input` are what
// read() returns.
class FakePort : public SerialPort {
public:
    OpenResult open(std::string_view portName, const PortSettings& settings) override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    std::optional<std::size_t> queuedInput() const override { return input.size(); }
    bool takeLineErrors() override { return false; }
    void purgeInput() override { input.clear(); }
    void purgeOutput() override {}
    void setNotifySink(SerialEventSink* sink, std::uint32_t tag) override {
        sink_ = sink;
        sinkTag = tag;
    }
    void rxDrained() override {}
    std::string resolve(std::string_view portName) const override;

    // A port of its own for each port a search tries at once: the same ports present, its opens
    // and writes logged here too, answered by siblingPeer.
    std::unique_ptr<SerialPort> sibling();
    std::function<void(FakePort& sibling, const Bytes& request)> siblingPeer;

    // When set, each write's time is kept in writtenAt.
    const LinkClock* clock = nullptr;
    std::set<std::string> present{"COM1"};
    OpenFailure failure = OpenFailure::None; // what open() reports for a present port
    std::vector<Bytes> written;
    std::vector<LinkClock::TimePoint> writtenAt;
    std::function<void(const Bytes&)> peer;
    std::deque<std::uint8_t> input;
    std::string openedName;
    PortSettings openedWith;
    std::vector<std::string> opens; // "COM1 19200" for each open tried
    std::uint32_t sinkTag = 0;

private:
    bool open_ = false;
    SerialEventSink* sink_ = nullptr;
    FakePort* parent_ = nullptr; // the port a sibling logs to
};

// Keeps what the dialog posts to itself, to be delivered when the test says.
class FakeSink : public SerialEventSink {
public:
    void postSerialEvent(SerialEvent event, std::uint32_t tag) override { posted.push_back({event, tag}); }
    std::vector<std::pair<SerialEvent, std::uint32_t>> posted;
};

} // namespace tq37r::test
