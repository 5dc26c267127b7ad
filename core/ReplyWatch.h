#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace tq37r {

// The answers the dialog is waiting for, each with the time by which it should have come.
class ReplyWatch {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    static constexpr std::chrono::milliseconds kPatience{1000};

    // answerCode: a reply code, or for an acknowledgement the code of the request it acknowledges.
    void expect(std::uint8_t answerCode, TimePoint now);
    // An answer came (late ones too); false when nobody was waiting for it.
    bool arrived(std::uint8_t answerCode);
    // Forgets the answers whose time is up; true when there were any.
    bool takeOverdue(TimePoint now);
    void clear() { waiting_.clear(); }

private:
    struct Waiting {
        std::uint8_t code;
        TimePoint due;
    };
    std::vector<Waiting> waiting_;
};

} // namespace tq37r
