#include "session/ControllerSession.h"

#include <algorithm>
#include <variant>

#include "device/Codes.h"

namespace tq37r {

ControllerSession::ControllerSession(SerialPort& port, LinkClock& clock, SerialEventSink& sink,
                                     SessionListener& listener, SessionOptions options,
                                     ControllerSearch::PortMaker makePort)
    : listener_(listener), clock_(clock), sink_(sink), options_(options), link_(port, clock, *this),
      search_(std::move(makePort), clock, sink) {}

OpenResult ControllerSession::open(std::string_view portName, std::uint32_t baudRate) {
    search_.cancel();
    const OpenResult opened = link_.open(portName, PortSettings{baudRate}, sink_);
    newConnection();
    if (!opened) {
        return opened;
    }
    portName_ = portName;
    devicePath_ = opened.devicePath;
    baudRate_ = baudRate;
    outbox_.opened(clock_.now());
    if (options_.readOnFirstOpen && !(blocksEverRead_[0] && blocksEverRead_[1])) {
        readPair(Outbox::Purpose::Plain, kFirstOpenReadPause);
        readPair(Outbox::Purpose::Repeat, kFirstOpenReadPause);
    }
    flush();
    return opened;
}

void ControllerSession::close() {
    search_.cancel();
    link_.close();
    newConnection();
}

void ControllerSession::newConnection() {
    gains_.forget();
    blocksRead_ = {};
    blocksThisRead_ = 0;
    lastSnapshot_.reset();
    unacknowledgedRows_ = {};
    saveCheck_.stop();
    outbox_.clear();
    inFlight_.clear();
    listener_.onKnowledgeChanged();
}

void ControllerSession::onRxReady(std::uint32_t tag) {
    const std::size_t tried = search_.tried();
    if (search_.onRxReady(tag)) {
        searchSettled(tried);
    } else if (link_.isCurrent(tag)) {
        link_.onRxReady();
        settle();
    }
}

void ControllerSession::onHangUp(std::uint32_t tag) {
    const std::size_t tried = search_.tried();
    if (search_.onHangUp(tag)) {
        searchSettled(tried);
        return;
    }
    if (!link_.isCurrent(tag)) {
        return; // a hang-up of a line the tool has left already
    }
    link_.hungUp();
    newConnection();
    listener_.onHungUp();
}

std::optional<ControllerSession::TimePoint> ControllerSession::nextDeadline() const {
    if (search_.running()) {
        return search_.nextDeadline();
    }
    std::optional<TimePoint> next = link_.nextDeadline();
    if (link_.isOpen() && !search_.running()) {
        if (const std::optional<TimePoint> due = outbox_.due(); due && (!next || *due < *next)) {
            next = due;
        }
    }
    return next;
}

void ControllerSession::poll() {
    if (search_.running()) {
        const std::size_t tried = search_.tried();
        search_.poll();
        searchSettled(tried);
        return;
    }
    link_.poll();
    settle();
}

void ControllerSession::searchSettled(std::size_t triedBefore) {
    if (!search_.running() || search_.tried() != triedBefore) {
        listener_.onSearchMoved();
    }
}

bool ControllerSession::send(const Request& request, Completion done) {
    if (!link_.isOpen() || search_.running()) {
        return false;
    }
    outbox_.push({request, Outbox::Purpose::Plain, 1 + options_.retries, {}, std::move(done)});
    flush();
    return true;
}

bool ControllerSession::readGains() {
    if (!link_.isOpen() || search_.running()) {
        return false;
    }
    // A read of the operator's own: its replies are shown as replies, whatever a check awaited.
    saveCheck_.stop();
    readPair(Outbox::Purpose::Plain, {});
    flush();
    return true;
}

void ControllerSession::readPair(Outbox::Purpose purpose, std::chrono::milliseconds firstAfter) {
    const int tries = 1 + options_.retries;
    outbox_.push({request::readGainBlock(GainBlock::First), purpose, tries, firstAfter, {}});
    outbox_.push({request::readGainBlock(GainBlock::Second), purpose, tries, {}, {}});
}

void ControllerSession::flush() {
    if (flushing_) {
        return; // a completion that queues more is served by the loop it runs in
    }
    flushing_ = true;
    while (link_.isOpen()) {
        std::optional<Outbox::Item> item = outbox_.takeDue(clock_.now());
        if (!item) {
            break;
        }
        // A write that timed out is a try too: the line may free up for the next one.
        if (!link_.send(item->request, options_.patience)) {
            missed(std::move(*item));
            continue;
        }
        outbox_.sent(item->request, clock_.now());
        if (item->request.code == code::kReadGainBlock1) {
            blocksThisRead_ = 0; // a read begins: the snapshot is of its two halves
        }
        if (const std::optional<GainGroup> group = groupOfSetCode(item->request.code)) {
            unacknowledgedRows_[static_cast<std::size_t>(*group)] = item->request;
        }
        inFlight_.push_back(std::move(*item));
    }
    flushing_ = false;
}

void ControllerSession::onFrame(const Reply& reply, std::optional<Answer> answer) {
    std::optional<Outbox::Item> awaited;
    if (answer) {
        const auto found = std::find_if(inFlight_.begin(), inFlight_.end(), [&](const Outbox::Item& item) {
            return item.request.answer == *answer;
        });
        if (found != inFlight_.end()) {
            awaited = std::move(*found);
            inFlight_.erase(found);
        }
    }
    // A frame of the awaited code too short for its layout decodes to nothing: no answer.
    if (awaited && std::holds_alternative<reply::Ignored>(reply)) {
        missed(std::move(*awaited));
        return;
    }
    learn(reply);
    if (awaited && awaited->done) {
        awaited->done(&reply);
    }
}

void ControllerSession::onUnanswered(const Answer& answer) {
    const auto found = std::find_if(inFlight_.begin(), inFlight_.end(),
                                    [&](const Outbox::Item& item) { return item.request.answer == answer; });
    if (found != inFlight_.end()) {
        Outbox::Item item = std::move(*found);
        inFlight_.erase(found);
        missed(std::move(item));
    }
}

void ControllerSession::missed(Outbox::Item item) {
    if (--item.triesLeft > 0) {
        outbox_.pushFront(std::move(item));
        return;
    }
    givenUp(item);
}

void ControllerSession::givenUp(const Outbox::Item& item) {
    const auto block = static_cast<std::size_t>(item.request.code == code::kReadGainBlock2);
    switch (item.purpose) {
    case Outbox::Purpose::SaveCheck:
        if (saveCheck_.running()) {
            saveCheck_.stop();
            listener_.onSaveChecked({SaveVerdict::Kind::NotVerified, {}});
        }
        break;
    case Outbox::Purpose::Repeat:
        if (!blocksRead_[block]) {
            listener_.onUnanswered(item.request);
        }
        break;
    case Outbox::Purpose::Plain:
        listener_.onUnanswered(item.request);
        break;
    }
    if (item.done) {
        item.done(nullptr);
    }
}

void ControllerSession::learn(const Reply& reply) {
    if (const auto* readBack = std::get_if<reply::GainReadBack>(&reply)) {
        takeReadBack(*readBack);
        return;
    }
    if (const auto* firmware = std::get_if<reply::FirmwareVersion>(&reply)) {
        firmware_ = *firmware;
    }
    if (const auto* ack = std::get_if<reply::Acknowledgement>(&reply)) {
        acknowledged(ack->acknowledgedCode);
    }
    listener_.onReply(reply);
}

void ControllerSession::takeReadBack(const reply::GainReadBack& readBack) {
    const auto block = static_cast<std::size_t>(readBack.block);
    blocksRead_[block] = blocksEverRead_[block] = true;
    const auto now = std::chrono::system_clock::now();
    if (!saveCheck_.running()) {
        for (std::size_t i = 0; i < kGainCount; ++i) {
            if (readBack.carries(i)) {
                gains_.reported(i, readBack.values[i], now);
            }
        }
        blocksThisRead_ |= 1u << block;
        // A complete read is a snapshot; one that found what the last one did adds nothing.
        if (const std::optional<JournalGains> all = knownGains();
            blocksThisRead_ == 3u && all && all != lastSnapshot_) {
            blocksThisRead_ = 0;
            lastSnapshot_ = all;
            JournalEntry entry;
            entry.gains = all;
            record(std::move(entry));
        }
        listener_.onGainsRead(readBack, false);
        return;
    }
    const std::optional<SaveVerdict> verdict = saveCheck_.take(readBack, gains_, now);
    listener_.onGainsRead(readBack, true);
    if (verdict) {
        JournalEntry entry;
        entry.kind = JournalEntry::Kind::Save;
        entry.verdict = verdict;
        if (verdict->kind == SaveVerdict::Kind::Verified) {
            entry.gains = knownGains();
            lastSnapshot_ = entry.gains;
        }
        record(std::move(entry));
        listener_.onSaveChecked(*verdict);
    }
}

std::optional<JournalGains> ControllerSession::knownGains() const {
    JournalGains all;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (!(all[i] = gains_.controllerValue(i))) {
            return std::nullopt;
        }
    }
    return all;
}

void ControllerSession::record(JournalEntry entry) {
    if (journal_ == nullptr) {
        return;
    }
    if (link_.isOpen()) {
        entry.port = portName_;
        entry.device = devicePath_;
        entry.baud = baudRate_;
    }
    if (firmware_) {
        entry.firmware = firmwareText(*firmware_);
    }
    journal_->record(entry);
}

void ControllerSession::acknowledged(std::uint8_t acknowledgedCode) {
    if (const std::optional<GainGroup> group = groupOfSetCode(acknowledgedCode)) {
        // A late acknowledgement still tells what the controller took; one of an earlier line never.
        std::optional<Request>& row = unacknowledgedRows_[static_cast<std::size_t>(*group)];
        if (row) {
            JournalEntry entry;
            entry.kind = JournalEntry::Kind::Set;
            entry.row = group;
            for (std::size_t k = 0; k < kGainsPerRow; ++k) {
                entry.before[k] = gains_.controllerValue(firstGainOf(*group) + k);
                entry.after[k] = row->payloadBytes[k];
                gains_.sent(firstGainOf(*group) + k, row->payloadBytes[k]);
            }
            row.reset();
            lastSnapshot_.reset();
            record(std::move(entry));
            listener_.onKnowledgeChanged();
        }
    }
    if (acknowledgedCode == code::kSaveConfiguration) {
        gains_.saved();
        lastSnapshot_.reset();
        listener_.onKnowledgeChanged();
        // Read both blocks back to see that what the controller now keeps is what it was given.
        saveCheck_.start();
        readPair(Outbox::Purpose::SaveCheck, {});
    }
}

void ControllerSession::startSearch(const std::vector<std::string>& ports, std::vector<std::uint32_t> rates,
                                    std::chrono::milliseconds patience, bool firstOnly) {
    link_.close();
    newConnection();
    search_.start(ports, std::move(rates), patience, firstOnly);
    listener_.onSearchMoved();
}

} // namespace tq37r
