#include <gtest/gtest.h>

#include "device/Requests.h"
#include "tests/support/FrameBytes.h"

namespace tq37r {
namespace {

using test::build;
using test::Bytes;

// Code and payload of each request; the framing around them is pinned by the protocol tests.
TEST(Requests, EachBuilderSendsItsCodeAndPayload) {
    const struct {
        test::Builder builder;
        std::uint8_t code;
        Bytes payload;
    } requests[] = {
        {build(request::readGainBlock1), 0xEA, {}},
        {build(request::readGainBlock2), 0xEC, {}},
        {build(request::readFlightParams), 0xBA, {}},
        {build(request::readMixingMode), 0xDC, {}},
        {build(request::saveConfiguration), 0x86, {}},
        {build(request::gyroSelfTest), 0x80, {0x00}},
        {build(request::autoReturnOn), 0x92, {0x01}},
        {build(request::firmwareVersion), 0x92, {0x00}},
        {build(request::setFlightMode, FlightMode::Remote), 0xD2, {0x00}},
        {build(request::setFlightMode, FlightMode::Stabilised), 0xD2, {0x01}},
        {build(request::setFlightMode, FlightMode::Auto), 0xD2, {0x02}},
        {build(request::setTask, Task::Return), 0xD4, {0x00}},
        {build(request::setTask, Task::Circle), 0xD4, {0x01}},
        {build(request::setTask, Task::TakeOff), 0xD4, {0x02}},
        {build(request::setTask, Task::Cancel), 0xD4, {0xFF}},
        // 16 bits, high byte first; bits 16 and up are dropped.
        {build(request::setTargetAltitude, 300), 0xB1, {0x01, 0x2C}},
        {build(request::setTargetAltitude, 70000), 0xB1, {0x11, 0x70}},
        {build(request::setCirclingRadius, 100), 0xB2, {0x00, 0x64}},
        // Gains go out as their low 8 bits, out-of-range ones without comment.
        {build(request::setGainGroup, GainGroup::Pitch, 35, 0, 30), 0xE4, {35, 0, 30}},
        {build(request::setGainGroup, GainGroup::Roll, 1, 2, 3), 0xE5, {1, 2, 3}},
        {build(request::setGainGroup, GainGroup::Heading, 300, -1, 256), 0xE3, {0x2C, 0xFF, 0x00}},
        {build(request::setGainGroup, GainGroup::Other, 4, 5, 6), 0xE0, {4, 5, 6}},
        {build(request::setGainGroup, GainGroup::X, 7, 8, 9), 0xE7, {7, 8, 9}},
        {build(request::setGainGroup, GainGroup::Y, 10, 11, 12), 0xE6, {10, 11, 12}},
        {build(request::setGainGroup, GainGroup::Height, 13, 14, 15), 0xE1, {13, 14, 15}},
        // The four items of the mixing-mode list.
        {build(request::setMixingMode, 0), 0xD1, {0x00}},
        {build(request::setMixingMode, 1), 0xD1, {0x80}},
        {build(request::setMixingMode, 2), 0xD1, {0x01}},
        {build(request::setMixingMode, 3), 0xD1, {0x81}},
    };
    TxFrame tx; // shared, as in the tool: each request must overwrite the last one whole
    for (const auto& r : requests) {
        const auto sent = tx.bytes(r.builder(tx));
        EXPECT_EQ(Bytes(sent.begin(), sent.end()), test::makeFrame(r.code, r.payload)) << int(r.code);
    }
}

} // namespace
} // namespace tq37r
