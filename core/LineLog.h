#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/LinkObserver.h"

namespace tq37r {

// What a line has carried since its port was opened: frames sent, good frames received, bad
// ones, bytes skipped while hunting for a header, requests whose answer did not come.
struct LineCounts {
    std::uint64_t sent = 0;
    std::uint64_t received = 0;
    std::uint64_t bad = 0;
    std::uint64_t skippedBytes = 0;
    std::uint64_t unanswered = 0;
    friend bool operator==(const LineCounts&, const LineCounts&) = default;
};

// The line log: one entry per event on the controller link, kept as the bytes were (the words
// are made only when an entry is shown), the last kCapacity of them. Recording costs a copy of
// a few dozen bytes, so it may stay on while the line runs at full rate.
class LineLog final : public LinkObserver {
public:
    static constexpr std::size_t kCapacity = 10'000;
    // Bytes kept of one frame or run; a longer one is shown cut, with its length.
    static constexpr std::size_t kBytesKept = 48;

    enum class Kind : std::uint8_t { Opened, Closed, HungUp, Sent, Received, Dropped, Skipped, Unanswered };

    struct Entry {
        Kind kind = Kind::Opened;
        BadFrame why = BadFrame::Checksum; // Dropped
        std::uint16_t size = 0;            // bytes of the frame, run, request or port name
        std::uint32_t baudRate = 0;        // Opened
        std::int64_t micros = 0;           // since the port was opened
        std::uint64_t sequence = 0;        // counts every entry ever made, cleared ones too
        std::array<std::uint8_t, kBytesKept> bytes{};
    };

    // LinkObserver
    void opened(std::string_view port, std::uint32_t baudRate, TimePoint at) override;
    void closed(TimePoint at) override;
    void hungUp(TimePoint at) override;
    void sent(std::span<const std::uint8_t> frameBytes, TimePoint at) override;
    void received(std::span<const std::uint8_t> frameBytes, TimePoint at) override;
    void dropped(std::span<const std::uint8_t> bytes, BadFrame why, TimePoint at) override;
    void skipped(std::span<const std::uint8_t> bytes, TimePoint at) override;
    void unanswered(const Request& request, TimePoint at) override;

    // Oldest first.
    std::size_t size() const { return count_; }
    const Entry& at(std::size_t index) const { return entries_[(first_ + index) % entries_.size()]; }
    // The entries made after the one with sequence `after` (0: all kept).
    std::vector<const Entry*> since(std::uint64_t after) const;
    void clear();
    const LineCounts& counts() const { return counts_; }

    // Hears each entry as it is made (the command line's --trace).
    std::function<void(const Entry&)> onEntry;

    // "312.345 -> A5 5A 04 EA EE AA  read gains, first block", milliseconds since the port was
    // opened; "->" sent, "<-" received,
    // "!!" bad, skipped or unanswered, "--" the line opened or closed.
    static std::string format(const Entry& entry);
    // The same as one JSON object: {"ms":312.345,"mark":"->","bytes":"A5 5A ...","what":"..."}.
    static std::string formatJson(const Entry& entry);
    // "Sent 3, received 2, bad 1, skipped 4 bytes, unanswered 0".
    static std::string countsText(const LineCounts& counts);

private:
    Entry& append(Kind kind, std::span<const std::uint8_t> bytes, TimePoint at);
    void made(const Entry& entry);

    std::vector<Entry> entries_ = std::vector<Entry>(kCapacity);
    std::size_t first_ = 0;
    std::size_t count_ = 0;
    std::uint64_t sequence_ = 0;
    TimePoint origin_{};
    LineCounts counts_;
};

// The log as plain text: its counts, then one line an entry. False when it could not be written.
bool writeLineLog(const LineLog& log, const std::string& path);

} // namespace tq37r
