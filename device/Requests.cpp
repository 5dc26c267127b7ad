#include "device/Requests.h"

#include <array>

#include "device/Codes.h"

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
} // namespace

std::uint8_t gainGroupCode(GainGroup group) {
    switch (group) {
    case GainGroup::Pitch:
        return code::kSetPitchGains;
    case GainGroup::Roll:
        return code::kSetRollGains;
    case GainGroup::Heading:
        return code::kSetHeadingGains;
    case GainGroup::Other:
        return code::kSetOtherGains;
    case GainGroup::X:
        return code::kSetXGains;
    case GainGroup::Y:
        return code::kSetYGains;
    case GainGroup::Height:
        return code::kSetHeightGains;
    }
    return code::kSetOtherGains;
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

std::size_t setGainGroup(TxFrame& tx, GainGroup group, std::int32_t first, std::int32_t second,
                         std::int32_t third) {
    return tx.assemble(gainGroupCode(group), {lowByte(first), lowByte(second), lowByte(third)});
}

std::size_t setTargetAltitude(TxFrame& tx, std::int32_t targetAltitude) {
    return tx.assemble(code::kSetTargetAltitude, {highByte(targetAltitude), lowByte(targetAltitude)});
}

std::size_t setCirclingRadius(TxFrame& tx, std::int32_t circlingRadius) {
    return tx.assemble(code::kSetCirclingRadius, {highByte(circlingRadius), lowByte(circlingRadius)});
}

std::size_t readFlightParams(TxFrame& tx) {
    return tx.assemble(code::kReadFlightParams, {});
}
std::size_t readMixingMode(TxFrame& tx) {
    return tx.assemble(code::kReadMixingMode, {});
}
std::size_t setMixingMode(TxFrame& tx, int item) {
    return tx.assemble(code::kSetMixingMode, {mixingModeByte(item)});
}
std::size_t saveConfiguration(TxFrame& tx) {
    return tx.assemble(code::kSaveConfiguration, {});
}

std::size_t setFlightMode(TxFrame& tx, FlightMode mode) {
    return tx.assemble(code::kSetFlightMode, {static_cast<std::uint8_t>(mode)});
}

std::size_t setTask(TxFrame& tx, Task task) {
    return tx.assemble(code::kSetTask, {static_cast<std::uint8_t>(task)});
}
std::size_t gyroSelfTest(TxFrame& tx) {
    return tx.assemble(code::kGyroSelfTest, {0x00});
}
std::size_t autoReturnOn(TxFrame& tx) {
    return tx.assemble(code::kAutoReturn, {0x01});
}
std::size_t firmwareVersion(TxFrame& tx) {
    return tx.assemble(code::kAutoReturn, {0x00});
}
std::size_t readGainBlock1(TxFrame& tx) {
    return tx.assemble(code::kReadGainBlock1, {});
}
std::size_t readGainBlock2(TxFrame& tx) {
    return tx.assemble(code::kReadGainBlock2, {});
}

} // namespace request
} // namespace tq37r
