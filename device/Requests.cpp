#include "device/Requests.h"

#include "device/Codes.h"
#include "protocol/Frame.h"

namespace tq37r {

namespace {
std::uint8_t lowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t highByte(std::int32_t value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// Bit 0: elevator and aileron mixed; bit 7: navigation with aileron and rudder.
constexpr std::array<std::uint8_t, 4> kMixingModeBytes{0x00, 0x80, 0x01, 0x81};

Request make(std::uint8_t code, std::initializer_list<std::uint8_t> payload, Answer answer) {
    Request r;
    r.code = code;
    for (const std::uint8_t b : payload) {
        r.payloadBytes[r.payloadSize++] = b;
    }
    r.answer = answer;
    return r;
}

// Set requests are answered with an acknowledgement naming their code.
Request setting(std::uint8_t code, std::initializer_list<std::uint8_t> payload) {
    return make(code, payload, Answer::acknowledgement(code));
}
} // namespace

bool Answer::answeredBy(std::span<const std::uint8_t> frameBytes) const {
    if (kind == Kind::None || frameBytes.size() <= frame::kCodeOffset) {
        return false;
    }
    const std::uint8_t frameCode = frameBytes[frame::kCodeOffset];
    if (kind == Kind::Reply) {
        return frameCode == code;
    }
    // An acknowledgement carries the acknowledged code as its one payload byte.
    return frameCode == code::kAcknowledgement && frameBytes.size() > frame::kOverhead &&
           frameBytes[frame::kPayloadOffset] == code;
}

std::uint8_t mixingModeByte(int item) {
    // The list always has one of its four items selected; anything else is sent as the first.
    return item >= 0 && item < static_cast<int>(kMixingModeBytes.size()) ? kMixingModeBytes[item]
                                                                         : kMixingModeBytes[0];
}

int mixingModeItem(std::uint8_t modeByte) {
    for (std::size_t i = 0; i < kMixingModeBytes.size(); ++i) {
        if (kMixingModeBytes[i] == modeByte) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

namespace request {

Request setGainRow(GainGroup group, std::int32_t first, std::int32_t second, std::int32_t third) {
    return setting(rowOf(group).setCode, {lowByte(first), lowByte(second), lowByte(third)});
}
Request setTargetAltitude(std::int32_t targetAltitude) {
    return setting(code::kSetTargetAltitude, {highByte(targetAltitude), lowByte(targetAltitude)});
}
Request setCirclingRadius(std::int32_t circlingRadius) {
    return setting(code::kSetCirclingRadius, {highByte(circlingRadius), lowByte(circlingRadius)});
}
Request readFlightParams() {
    return make(code::kReadFlightParams, {}, Answer::reply(code::kFlightParams));
}
Request readMixingMode() {
    return make(code::kReadMixingMode, {}, Answer::reply(code::kMixingMode));
}
Request setMixingMode(int item) {
    return setting(code::kSetMixingMode, {mixingModeByte(item)});
}
Request saveConfiguration() {
    return setting(code::kSaveConfiguration, {});
}
Request setFlightMode(FlightMode mode) {
    return make(code::kSetFlightMode, {static_cast<std::uint8_t>(mode)}, Answer::reply(code::kStateReport));
}
Request setTask(Task task) {
    return make(code::kSetTask, {static_cast<std::uint8_t>(task)}, Answer::reply(code::kStateReport));
}
Request gyroSelfTest() {
    return make(code::kGyroSelfTest, {0x00}, Answer::reply(code::kGyroResult));
}
Request autoReturnOn() {
    return setting(code::kAutoReturn, {0x01});
}
Request autoReturnOff() {
    return setting(code::kAutoReturn, {0x00});
}
Request firmwareVersion() {
    return make(code::kAutoReturn, {0x00}, Answer::reply(code::kFirmwareVersion));
}
Request readGainBlock(GainBlock block) {
    return block == GainBlock::First ? make(code::kReadGainBlock1, {}, Answer::reply(code::kGainBlock1))
                                     : make(code::kReadGainBlock2, {}, Answer::reply(code::kGainBlock2));
}

} // namespace request
} // namespace tq37r
