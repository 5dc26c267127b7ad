#pragma once

#include <array>
#include <string_view>

namespace tq37r {

// Display times of status messages, in 100 ms timer ticks.
inline constexpr int kCountdownReply = 20;
inline constexpr int kCountdownGyro = 30;
inline constexpr int kCountdownFirmware = 60;
// The tool's own notices: a button that could do nothing, an answer that never came.
inline constexpr int kCountdownNotice = 30;
// What a save's read-back showed, which may name a gain and a count: long enough to read.
inline constexpr int kCountdownSaveVerdict = 60;

// The controller's texts, UTF-8. "36R" in the read message is the controller's own wording.
namespace text {
inline constexpr std::string_view kReadGainsOk = "Read TQ-36R OK！";
inline constexpr std::string_view kReadFlightParamsOk = "读取飞行参数成功！";
inline constexpr std::string_view kReadMixingModeOk = "读取混控模式成功！";
inline constexpr const char* kGyroFormat = "X=%4.1f,Y=%4.1f,Z=%4.1f";
inline constexpr const char* kFirmwareFormat = "TQ-%d Firmware version: %.2f";

// The tool's own.
inline constexpr std::string_view kPortNotOpen = "The port is not open.";
inline constexpr std::string_view kNoReply = "No reply from the controller.";
} // namespace text

// A line for the status line and how many ticks it stays. Formatted texts are
// kept inline so decoding a reply never allocates.
class StatusMessage {
public:
    StatusMessage() = default;
    StatusMessage(std::string_view text, int countdown);

    std::string_view text() const { return {text_.data(), length_}; }
    int countdown() const { return countdown_; }

    static StatusMessage formatted(int countdown, const char* format, ...)
        __attribute__((format(printf, 2, 3)));

    friend bool operator==(const StatusMessage& a, const StatusMessage& b) {
        return a.text() == b.text() && a.countdown_ == b.countdown_;
    }

private:
    std::array<char, 96> text_{};
    std::size_t length_ = 0;
    int countdown_ = 0;
};

} // namespace tq37r
