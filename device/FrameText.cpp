#include "device/FrameText.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "device/Codes.h"
#include "device/HexText.h"
#include "protocol/Frame.h"

namespace tq37r {
namespace {

constexpr std::array<const char*, 3> kFlightModeNames{"remote", "stabilised", "auto"};

std::string taskName(std::uint8_t task) {
    constexpr std::array<const char*, 3> kNames{"return", "circle", "take-off"};
    if (task < kNames.size()) {
        return kNames[task];
    }
    return task == static_cast<std::uint8_t>(Task::Cancel) ? "cancel" : std::to_string(task);
}

std::string word(const Request& r) {
    return std::to_string(r.payloadSize >= 2 ? r.payloadBytes[0] * 256 + r.payloadBytes[1] : 0);
}

} // namespace

std::string describeRequest(const Request& r) {
    const std::uint8_t first = r.payloadSize > 0 ? r.payloadBytes[0] : 0;
    if (const std::optional<GainGroup> group = groupOfSetCode(r.code)) {
        std::string text = "set ";
        text += rowOf(*group).name;
        for (const std::uint8_t value : r.payload()) {
            text += ' ';
            text += std::to_string(value); // appended apart: GCC 12 misreads the joined form as overlapping
        }
        return text;
    }
    switch (r.code) {
    case code::kReadGainBlock1:
        return "read gains, first block";
    case code::kReadGainBlock2:
        return "read gains, second block";
    case code::kReadFlightParams:
        return "read flight settings";
    case code::kReadMixingMode:
        return "read mixing mode";
    case code::kSetMixingMode:
        return "set mixing mode " + std::to_string(mixingModeItem(first) + 1);
    case code::kSetTargetAltitude:
        return "set target altitude " + word(r);
    case code::kSetCirclingRadius:
        return "set circling radius " + word(r);
    case code::kSaveConfiguration:
        return "save to flash";
    case code::kSetFlightMode:
        return "set flight mode " +
               std::string(first < kFlightModeNames.size() ? kFlightModeNames[first] : std::to_string(first));
    case code::kSetTask:
        return "set task " + taskName(first);
    case code::kGyroSelfTest:
        return "gyro self-test";
    case code::kAutoReturn:
        return first == 1 ? "automatic return on" : "automatic return off, firmware version";
    default:
        break;
    }
    return "request " + hexByte(r.code);
}

std::string describeRequestFrame(std::span<const std::uint8_t> frameBytes) {
    Request r;
    if (frameBytes.size() < frame::kOverhead) {
        return "too short for a request";
    }
    r.code = frameBytes[frame::kCodeOffset];
    const std::size_t payload = std::min(frame::payloadSize(frameBytes.size()), r.payloadBytes.size());
    for (std::size_t i = 0; i < payload; ++i) {
        r.payloadBytes[i] = frameBytes[frame::kPayloadOffset + i];
    }
    r.payloadSize = static_cast<std::uint8_t>(payload);
    return describeRequest(r);
}

std::string describeReplyFrame(std::span<const std::uint8_t> frameBytes) {
    const Reply reply = decodeReply(frameBytes);
    const std::uint8_t code = frameBytes.size() > frame::kCodeOffset ? frameBytes[frame::kCodeOffset] : 0;
    char text[96];
    if (const auto* r = std::get_if<reply::GainReadBack>(&reply)) {
        return r->block == GainBlock::First ? "gains block 1" : "gains block 2";
    }
    if (const auto* r = std::get_if<reply::Acknowledgement>(&reply)) {
        return "ack " + acknowledgedName(r->acknowledgedCode);
    }
    if (const auto* r = std::get_if<reply::StateReport>(&reply)) {
        std::snprintf(text, sizeof text, "state flight-mode %d task %d", int(r->flightModeState),
                      int(r->taskState));
        return text;
    }
    if (const auto* r = std::get_if<reply::FirmwareVersion>(&reply)) {
        std::snprintf(text, sizeof text, "firmware TQ-%u %.2f", r->model, r->version);
        return text;
    }
    if (const auto* r = std::get_if<reply::GyroResult>(&reply)) {
        if (!r->passed) {
            return "gyro self-test failed";
        }
        std::snprintf(text, sizeof text, "gyro x %.1f y %.1f z %.1f", r->x, r->y, r->z);
        return text;
    }
    if (const auto* r = std::get_if<reply::FlightParams>(&reply)) {
        std::snprintf(text, sizeof text, "flight settings altitude %d radius %d", int(r->targetAltitude),
                      int(r->circlingRadius));
        return text;
    }
    if (const auto* r = std::get_if<reply::MixingMode>(&reply)) {
        return "mixing mode " + (r->item >= 0 ? std::to_string(r->item + 1) : "byte " + hexByte(r->modeByte));
    }
    if (code == code::kUnsolicitedF2 || code == code::kUnsolicitedF3) {
        return "telemetry " + hexByte(code);
    }
    // A code the decoder has a layout for that decoded to nothing: the frame was too short for it.
    const bool known = replyPayloadSize(code) > 0;
    return "code " + hexByte(code) + (known ? ", too short for its layout" : ", not one the tool reads");
}

} // namespace tq37r
