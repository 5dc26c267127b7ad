#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/ControllerLink.h"
#include "session/ControllerSearch.h"
#include "session/GainKnowledge.h"
#include "session/JournalEntry.h"
#include "session/Outbox.h"
#include "session/SaveCheck.h"
#include "session/SessionListener.h"

namespace tq37r {

struct SessionOptions {
    // How long each request waits for its answer.
    std::chrono::milliseconds patience = ControllerLink::kPatience;
    // Times a request that went unanswered is sent again.
    int retries = 0;
    // Until both gain blocks have come back once, every open reads them, twice, after pauses.
    bool readOnFirstOpen = false;
};

// One session with the controller, the same under every face: the line (through the controller
// link, whose only listener it is), the requests waiting their turn and the controller's pacing
// between them, each request's answer with its retries, what is known of the controller's gains
// on this connection, the check that follows a save, and the search for the controller.
//
// Nothing here waits. The face turns its port's notifications into onRxReady and onHangUp and
// calls poll() once nextDeadline() has come: a window from a timer, a command-line tool from its
// own wait. What happens is told to the listener.
class ControllerSession : private LinkListener {
public:
    using TimePoint = LinkClock::TimePoint;
    using Completion = Outbox::Completion;

    // The first open's reads go this long after the open, and the repeat as long after the first.
    static constexpr std::chrono::milliseconds kFirstOpenReadPause{300};

    // `makePort` gives the search a port of the face's kind for each port it tries at once.
    ControllerSession(SerialPort& port, LinkClock& clock, SerialEventSink& sink, SessionListener& listener,
                      SessionOptions options = {}, ControllerSearch::PortMaker makePort = {});
    ControllerSession(const ControllerSession&) = delete;
    ControllerSession& operator=(const ControllerSession&) = delete;

    // A new connection: whatever was known of a controller is forgotten.
    OpenResult open(std::string_view portName, std::uint32_t baudRate);
    void close();
    bool isOpen() const { return link_.isOpen(); }
    // Tells this open's port notifications from those an earlier one's watcher still posted.
    bool isCurrent(std::uint32_t tag) const { return link_.isCurrent(tag); }
    std::uint32_t tag() const { return link_.tag(); }
    void onRxReady(std::uint32_t tag);
    void onHangUp(std::uint32_t tag);
    std::optional<TimePoint> nextDeadline() const;
    void poll();
    // Who hears of every frame and every problem on the line and the search's (a line log).
    void setObserver(LinkObserver* observer) {
        link_.setObserver(observer);
        search_.setObserver(observer);
    }
    // Where complete reads, acknowledged rows and saves are recorded; nullptr for nowhere.
    void setJournal(JournalSink* journal) { journal_ = journal; }
    // An entry about the grid (a file, the defaults, a label), with this line's details.
    void record(JournalEntry entry);

    // Queues a request behind whatever waits (a read pair is never split); `done` hears of its
    // answer. False, queueing nothing, when the port is closed.
    bool send(const Request& request, Completion done = {});
    // Both gain blocks; a save check still waiting for its read-back ends without a verdict.
    bool readGains();
    // Asked once, as the first open does: the read pair is not read again.
    void skipFirstOpenRead() { blocksEverRead_ = {true, true}; }

    // Tries `ports` at once, each at `rates` (fastest first) for `patience` each, the line closed.
    void startSearch(const std::vector<std::string>& ports, std::vector<std::uint32_t> rates,
                     std::chrono::milliseconds patience, bool firstOnly);
    void cancelSearch() { search_.cancel(); }
    const ControllerSearch& search() const { return search_; }

    const GainKnowledge& gains() const { return gains_; }
    // The firmware the controller last told, on any connection.
    const std::optional<reply::FirmwareVersion>& firmware() const { return firmware_; }
    bool checkingSave() const { return saveCheck_.running(); }
    // Nothing queued, nothing awaited.
    bool idle() const { return outbox_.empty() && inFlight_.empty(); }

private:
    // LinkListener
    void onFrame(const Reply& reply, std::optional<Answer> answered) override;
    void onUnanswered(const Answer& answer) override;

    // After the link's calls: what is due goes out.
    void settle() { flush(); }
    // After the search's: the listener hears when it has moved on.
    void searchSettled(std::size_t triedBefore);
    void flush();
    void readPair(Outbox::Purpose purpose, std::chrono::milliseconds firstAfter);
    // A try that brought nothing: sent again while tries are left, else given up.
    void missed(Outbox::Item item);
    void givenUp(const Outbox::Item& item);
    void learn(const Reply& reply);
    void takeReadBack(const reply::GainReadBack& readBack);
    void acknowledged(std::uint8_t code);
    void newConnection();
    // All 21 gains as this connection knows them, when it knows them all.
    std::optional<JournalGains> knownGains() const;

    SessionListener& listener_;
    LinkClock& clock_;
    SerialEventSink& sink_;
    SessionOptions options_;
    ControllerLink link_;
    ControllerSearch search_;
    Outbox outbox_;
    std::vector<Outbox::Item> inFlight_; // written, their answers awaited, oldest first
    bool flushing_ = false;
    GainKnowledge gains_;
    SaveCheck saveCheck_;
    std::optional<reply::FirmwareVersion> firmware_;
    std::array<bool, 2> blocksEverRead_{}; // by GainBlock, on any connection
    std::array<bool, 2> blocksRead_{};     // on this connection
    std::array<std::optional<Request>, kGainRows.size()> unacknowledgedRows_; // by GainGroup
    JournalSink* journal_ = nullptr;
    std::string portName_;
    std::string devicePath_;
    std::uint32_t baudRate_ = 0;
    unsigned blocksThisRead_ = 0;              // bit per GainBlock, since the last first-block request
    std::optional<JournalGains> lastSnapshot_; // on this connection, with nothing sent or saved since
};

} // namespace tq37r
