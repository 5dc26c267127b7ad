#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "device/Requests.h"

namespace tq37r {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes sent(TxFrame& tx, std::size_t byteCount) {
    const auto bytes = tx.bytes(byteCount);
    return {bytes.begin(), bytes.end()};
}

struct FixedRequest {
    const char* name;
    std::function<std::size_t(TxFrame&)> build;
    Bytes frame;
};

TEST(Requests, EveryFixedRequestFrameByteForByte) {
    const std::vector<FixedRequest> requests{
        {"read flight params", request::readFlightParams, {0xA5, 0x5A, 0x04, 0xBA, 0xBE, 0xAA}},
        {"read mixing mode", request::readMixingMode, {0xA5, 0x5A, 0x04, 0xDC, 0xE0, 0xAA}},
        {"save configuration", request::saveConfiguration, {0xA5, 0x5A, 0x04, 0x86, 0x8A, 0xAA}},
        {"remote",
         [](TxFrame& tx) { return request::setFlightMode(tx, FlightMode::Remote); },
         {0xA5, 0x5A, 0x05, 0xD2, 0x00, 0xD7, 0xAA}},
        {"stabilised",
         [](TxFrame& tx) { return request::setFlightMode(tx, FlightMode::Stabilised); },
         {0xA5, 0x5A, 0x05, 0xD2, 0x01, 0xD8, 0xAA}},
        {"auto",
         [](TxFrame& tx) { return request::setFlightMode(tx, FlightMode::Auto); },
         {0xA5, 0x5A, 0x05, 0xD2, 0x02, 0xD9, 0xAA}},
        {"return",
         [](TxFrame& tx) { return request::setTask(tx, Task::Return); },
         {0xA5, 0x5A, 0x05, 0xD4, 0x00, 0xD9, 0xAA}},
        {"circle",
         [](TxFrame& tx) { return request::setTask(tx, Task::Circle); },
         {0xA5, 0x5A, 0x05, 0xD4, 0x01, 0xDA, 0xAA}},
        {"take off",
         [](TxFrame& tx) { return request::setTask(tx, Task::TakeOff); },
         {0xA5, 0x5A, 0x05, 0xD4, 0x02, 0xDB, 0xAA}},
        {"cancel",
         [](TxFrame& tx) { return request::setTask(tx, Task::Cancel); },
         {0xA5, 0x5A, 0x05, 0xD4, 0xFF, 0xD8, 0xAA}},
        {"gyro self-test", request::gyroSelfTest, {0xA5, 0x5A, 0x05, 0x80, 0x00, 0x85, 0xAA}},
        {"automatic return on", request::autoReturnOn, {0xA5, 0x5A, 0x05, 0x92, 0x01, 0x98, 0xAA}},
        {"firmware version", request::firmwareVersion, {0xA5, 0x5A, 0x05, 0x92, 0x00, 0x97, 0xAA}},
        {"read block 1", request::readGainBlock1, {0xA5, 0x5A, 0x04, 0xEA, 0xEE, 0xAA}},
        {"read block 2", request::readGainBlock2, {0xA5, 0x5A, 0x04, 0xEC, 0xF0, 0xAA}},
    };
    for (const auto& r : requests) {
        TxFrame tx;
        const std::size_t n = r.build(tx);
        EXPECT_EQ(sent(tx, n), r.frame) << r.name;
    }
}

TEST(Requests, GainRowsGoOutAsLowBytesUnderTheirOwnCodes) {
    TxFrame tx;
    std::size_t n = request::setGainGroup(tx, GainGroup::Pitch, 35, 0, 30);
    EXPECT_EQ(sent(tx, n), (Bytes{0xA5, 0x5A, 0x07, 0xE4, 0x23, 0x00, 0x1E, 0x2C, 0xAA}));

    // Out-of-range fields lose their high bits without comment: 300 -> 0x2C, -1 -> 0xFF.
    n = request::setGainGroup(tx, GainGroup::Heading, 300, -1, 256);
    EXPECT_EQ(sent(tx, n), (Bytes{0xA5, 0x5A, 0x07, 0xE3, 0x2C, 0xFF, 0x00, 0x15, 0xAA}));

    const std::pair<GainGroup, std::uint8_t> codes[] = {
        {GainGroup::Pitch, 0xE4},  {GainGroup::Roll, 0xE5}, {GainGroup::Heading, 0xE3},
        {GainGroup::Other, 0xE0},  {GainGroup::X, 0xE7},    {GainGroup::Y, 0xE6},
        {GainGroup::Height, 0xE1},
    };
    for (const auto& [group, code] : codes) {
        n = request::setGainGroup(tx, group, 1, 2, 3);
        const std::uint8_t sum = static_cast<std::uint8_t>(7 + code + 1 + 2 + 3);
        EXPECT_EQ(sent(tx, n), (Bytes{0xA5, 0x5A, 0x07, code, 1, 2, 3, sum, 0xAA})) << int(code);
    }
}

TEST(Requests, AltitudeAndRadiusGoOutAsSixteenBitsHighByteFirst) {
    TxFrame tx;
    std::size_t n = request::setTargetAltitude(tx, 300);
    EXPECT_EQ(sent(tx, n), (Bytes{0xA5, 0x5A, 0x06, 0xB1, 0x01, 0x2C, 0xE4, 0xAA}));
    n = request::setTargetAltitude(tx, 70000); // bits 16 and up are dropped
    EXPECT_EQ(sent(tx, n), (Bytes{0xA5, 0x5A, 0x06, 0xB1, 0x11, 0x70, 0x38, 0xAA}));
    n = request::setCirclingRadius(tx, 100);
    EXPECT_EQ(sent(tx, n), (Bytes{0xA5, 0x5A, 0x06, 0xB2, 0x00, 0x64, 0x1C, 0xAA}));
}

TEST(Requests, MixingModeItemsMapToTheirBytesAndBack) {
    const std::uint8_t bytes[] = {0x00, 0x80, 0x01, 0x81};
    for (int item = 0; item < 4; ++item) {
        TxFrame tx;
        const std::size_t n = request::setMixingMode(tx, item);
        const auto sum = static_cast<std::uint8_t>(5 + 0xD1 + bytes[item]);
        EXPECT_EQ(sent(tx, n), (Bytes{0xA5, 0x5A, 0x05, 0xD1, bytes[item], sum, 0xAA}));
        EXPECT_EQ(mixingModeItem(bytes[item]), item);
    }
    EXPECT_EQ(mixingModeItem(0x02), -1);
    EXPECT_EQ(mixingModeItem(0xFF), -1);
}

} // namespace
} // namespace tq37r
