#include "sim/SimController.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "device/Codes.h"
#include "device/GainTable.h"
#include "protocol/Frame.h"

namespace tq37r::sim {

namespace {

WireFrame makeFrame(std::uint8_t code, std::span<const std::uint8_t> payload) {
    WireFrame out(frame::sizeForPayload(payload.size()));
    out.resize(frame::assemble(out, code, payload));
    return out;
}

WireFrame makeFrame(std::uint8_t code, std::initializer_list<std::uint8_t> payload) {
    return makeFrame(code, std::span<const std::uint8_t>(payload.begin(), payload.size()));
}

std::uint8_t highByte(std::uint16_t v) {
    return static_cast<std::uint8_t>(v >> 8);
}
std::uint8_t lowByte(std::uint16_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

} // namespace

SimController::SimController(std::optional<FlashFile> flash, FirmwareInfo firmware, std::uint32_t seed)
    : flashFile_(std::move(flash)), firmware_(firmware), random_(seed) {
    if (flashFile_) {
        if (const auto stored = flashFile_->load()) {
            flashImage_ = *stored;
        }
    }
    working_ = flashImage_;
}

void SimController::handleRequest(std::span<const std::uint8_t> frameBytes, std::vector<WireFrame>& replies) {
    const std::uint8_t code = frameBytes[frame::kCodeOffset];
    const std::size_t payloadSize = frameBytes[frame::kLengthOffset] - frame::kMinLength;
    const auto payload = frameBytes.subspan(frame::kPayloadOffset, payloadSize);
    const ControllerSettings& s = working_;
    switch (code) {
    case code::kReadGainBlock1:
        replies.push_back(makeFrame(code::kGainBlock1, s.gainBlock1));
        return;
    case code::kReadGainBlock2:
        replies.push_back(makeFrame(code::kGainBlock2, s.gainBlock2));
        return;
    case code::kReadFlightParams:
        replies.push_back(
            makeFrame(code::kFlightParams, {0, highByte(s.targetAltitude), lowByte(s.targetAltitude),
                                            highByte(s.circlingRadius), lowByte(s.circlingRadius)}));
        return;
    case code::kReadMixingMode:
        replies.push_back(makeFrame(code::kMixingMode, {s.mixingMode}));
        return;
    case code::kGyroSelfTest:
        answerGyro(replies);
        return;
    case code::kSaveConfiguration:
        // A save that did not reach the file is not acknowledged.
        if (save()) {
            replies.push_back(makeFrame(code::kAcknowledgement, {code}));
        }
        return;
    case code::kAutoReturn:
        // 92 00 switches automatic return off and also makes the controller tell its firmware.
        // The version goes out after the acknowledgement: the tool shows the last message it
        // gets, and the version text is what the operator asked for.
        if (payload.empty() || payload[0] > 1) {
            return;
        }
        working_.autoReturn = payload[0] == 1;
        replies.push_back(makeFrame(code::kAcknowledgement, {code}));
        if (payload[0] == 0) {
            replies.push_back(
                makeFrame(code::kFirmwareVersion, {firmware_.model, firmware_.versionHundredths}));
        }
        return;
    case code::kSetFlightMode:
        if (payload.empty() || payload[0] > static_cast<std::uint8_t>(FlightMode::Auto)) {
            return;
        }
        flightMode_ = payload[0];
        replies.push_back(makeFrame(code::kAcknowledgement, {code}));
        return;
    case code::kSetTask:
        if (payload.empty() ||
            (payload[0] > static_cast<std::uint8_t>(Task::TakeOff) && payload[0] != kTaskCancel)) {
            return;
        }
        task_ = payload[0];
        replies.push_back(makeFrame(code::kAcknowledgement, {code}));
        return;
    default:
        if (applySetting(code, payload)) {
            replies.push_back(makeFrame(code::kAcknowledgement, {code}));
        }
        return;
    }
}

bool SimController::applySetting(std::uint8_t code, std::span<const std::uint8_t> payload) {
    switch (code) {
    case code::kSetTargetAltitude:
    case code::kSetCirclingRadius: {
        if (payload.size() < 2) {
            return false;
        }
        const auto value = static_cast<std::uint16_t>(payload[0] << 8 | payload[1]);
        (code == code::kSetTargetAltitude ? working_.targetAltitude : working_.circlingRadius) = value;
        return true;
    }
    case code::kSetMixingMode:
        if (payload.empty() || mixingModeItem(payload[0]) < 0) {
            return false;
        }
        working_.mixingMode = payload[0];
        return true;
    default:
        break;
    }
    const std::optional<GainGroup> group = groupOfSetCode(code);
    if (!group || payload.size() < kGainsPerRow) {
        return false;
    }
    // The row's three bytes are kept where its read-back carries them.
    const GainRow& row = rowOf(*group);
    std::uint8_t* target =
        (row.block == GainBlock::Second ? working_.gainBlock2.data() : working_.gainBlock1.data()) +
        row.offset;
    std::copy_n(payload.begin(), kGainsPerRow, target);
    return true;
}

bool SimController::save() {
    if (flashFile_ && !flashFile_->store(working_)) {
        std::fprintf(stderr, "tq37r-sim: cannot write flash file %s\n", flashFile_->path().c_str());
        return false;
    }
    flashImage_ = working_;
    return true;
}

void SimController::answerGyro(std::vector<WireFrame>& replies) {
    // A controller at rest on the bench: small offsets plus a little noise.
    std::uniform_int_distribution<int> jitter(-3, 3);
    lastGyro_ = {static_cast<std::int8_t>(4 + jitter(random_)),
                 static_cast<std::int8_t>(-6 + jitter(random_)),
                 static_cast<std::int8_t>(2 + jitter(random_))};
    // The first byte is 0 for a passed test; a failed one still carries the readings.
    const std::uint8_t failed = gyroFails_ ? 1 : 0;
    replies.push_back(makeFrame(code::kGyroResult, {failed, static_cast<std::uint8_t>(lastGyro_.x),
                                                    static_cast<std::uint8_t>(lastGyro_.y),
                                                    static_cast<std::uint8_t>(lastGyro_.z)}));
}

WireFrame SimController::stateReport() const {
    // The task sits in bits 2-3; any value of 16 or more stands for "cancel".
    const std::uint8_t taskByte = task_ == kTaskCancel ? 0x40 : static_cast<std::uint8_t>(task_ << 2);
    return makeFrame(code::kStateReport, {0, flightMode_, taskByte});
}

WireFrame SimController::telemetryF2() {
    // Barometric altitude in decimetres around the target, and airspeed in km/h.
    std::uniform_int_distribution<int> wobble(-20, 20);
    const auto altitude =
        static_cast<std::uint16_t>(std::clamp(working_.targetAltitude * 10 + wobble(random_), 0, 0xFFFF));
    return makeFrame(code::kUnsolicitedF2, {highByte(altitude), lowByte(altitude),
                                            static_cast<std::uint8_t>(60 + wobble(random_) / 4)});
}

WireFrame SimController::telemetryF3() {
    // Battery voltage in centivolts of a three-cell pack.
    std::uniform_int_distribution<int> wobble(-15, 15);
    const auto voltage = static_cast<std::uint16_t>(1190 + wobble(random_));
    return makeFrame(code::kUnsolicitedF3, {highByte(voltage), lowByte(voltage)});
}

} // namespace tq37r::sim
