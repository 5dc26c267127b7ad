#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
// are made only when an entry is shown), the last `capacity` of them. Recording costs a copy of
// a few dozen bytes, so it may stay on while the line runs at full rate.
class LineLog final : public LinkObserver {
public:
    // What a window keeps to show. A log whose entries are only heard (onEntry) keeps none: it
    // still counts and tells each entry as it is made.
    static constexpr std::size_t kCapacity = 10'000;
    // Bytes kept of one frame or run, so that an entry fills one cache line; a longer one is
    // shown cut, with its length. The controller's replies all fit.
    static constexpr std::size_t kBytesKept = 44;

    enum class Kind : std::uint8_t { Opened, Closed, HungUp, Sent, Received, Dropped, Skipped, Unanswered };

    struct alignas(64) Entry {
        std::int64_t nanos = 0; // since the port was opened
        std::uint16_t size = 0; // bytes of the frame, run or request; Opened: of its text
        Kind kind = Kind::Opened;
        BadFrame why = BadFrame::Checksum;            // Dropped
        std::array<std::uint8_t, kBytesKept> bytes{}; // Opened: "COM1 at 19200"
    };

    explicit LineLog(std::size_t capacity = kCapacity) : entries_(capacity), capacity_(capacity) {}

    // LinkObserver
    void opened(std::string_view port, std::uint32_t baudRate, TimePoint at) override;
    void closed(TimePoint at) override;
    void hungUp(TimePoint at) override;
    void sent(std::span<const std::uint8_t> frameBytes, TimePoint at) override;
    void received(std::span<const std::uint8_t> frameBytes, TimePoint at) override {
        ++counts_.received;
        made(append(Kind::Received, frameBytes, at));
    }
    void dropped(std::span<const std::uint8_t> bytes, BadFrame why, TimePoint at) override;
    void skipped(std::span<const std::uint8_t> bytes, TimePoint at) override {
        counts_.skippedBytes += bytes.size();
        made(append(Kind::Skipped, bytes, at));
    }
    void unanswered(const Request& request, TimePoint at) override;

    // Oldest first.
    std::size_t size() const {
        return static_cast<std::size_t>(std::min<std::uint64_t>(total_ - cleared_, capacity_));
    }
    const Entry& at(std::size_t index) const {
        return entries_[(next_ + capacity_ - size() + index) % capacity_];
    }
    // How many entries were ever made, cleared and dropped ones too; and those made after the
    // first `seen` of them that are still kept, oldest first.
    std::uint64_t total() const { return total_; }
    std::vector<const Entry*> since(std::uint64_t seen) const;
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
    // Inline: the receiver's every frame comes through here while the line runs.
    Entry& append(Kind kind, std::span<const std::uint8_t> bytes, TimePoint at) {
        Entry& e = capacity_ == 0 ? told_ : entries_[next_];
        next_ = next_ + 1 >= capacity_ ? 0 : next_ + 1; // over the oldest, once full
        e.kind = kind;
        e.size = static_cast<std::uint16_t>(bytes.size()); // a frame or a drain's run: far below 64 Ki
        e.nanos = (at - origin_).count();
        ++total_;
        copyKept(e.bytes.data(), bytes.data(), std::min(bytes.size(), kBytesKept));
        return e;
    }
    // A few dozen bytes in words: for sizes this small a call to memcpy costs more than the copy.
    static void copyKept(std::uint8_t* to, const std::uint8_t* from, std::size_t size) {
        if (size < 8) {
            for (std::size_t i = 0; i < size; ++i) {
                to[i] = from[i];
            }
            return;
        }
        for (std::size_t i = 0; i + 8 <= size; i += 8) {
            std::memcpy(to + i, from + i, 8);
        }
        std::memcpy(to + size - 8, from + size - 8, 8); // the tail, overlapping the last word
    }
    void made(const Entry& entry) {
        if (onEntry) {
            onEntry(entry);
        }
    }

    std::vector<Entry> entries_;
    std::size_t capacity_;
    Entry told_;                // the entry being told, when none are kept
    std::size_t next_ = 0;      // where the next one goes
    std::uint64_t total_ = 0;   // made so far
    std::uint64_t cleared_ = 0; // total_ when last cleared
    TimePoint origin_{};
    LineCounts counts_;
};

// The log as plain text: its counts, then one line an entry, replacing the file whole. False
// with `why` set when the file was left as it was.
bool writeLineLog(const LineLog& log, const std::string& path, std::string& why);

} // namespace tq37r
