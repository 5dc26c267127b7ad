#include <gtest/gtest.h>

#include "device/Codes.h"
#include "device/Requests.h"
#include "tests/support/FrameBytes.h"

namespace tq37r {
namespace {

using test::Bytes;

// Code, payload and awaited answer of each request; the framing around them is pinned by the
// protocol tests, the gain rows' codes by the gain table's.
TEST(Requests, EachRequestCarriesItsCodePayloadAndTheAnswerItBrings) {
    const Answer state = Answer::reply(code::kStateReport);
    const struct {
        Request request;
        std::uint8_t code;
        Bytes payload;
        Answer answer;
    } requests[] = {
        {request::readGainBlock(GainBlock::First), 0xEA, {}, Answer::reply(0xEB)},
        {request::readGainBlock(GainBlock::Second), 0xEC, {}, Answer::reply(0xED)},
        {request::readFlightParams(), 0xBA, {}, Answer::reply(0xBB)},
        {request::readMixingMode(), 0xDC, {}, Answer::reply(0xDD)},
        {request::saveConfiguration(), 0x86, {}, Answer::acknowledgement(0x86)},
        {request::gyroSelfTest(), 0x80, {0x00}, Answer::reply(0x81)},
        {request::autoReturnOn(), 0x92, {0x01}, Answer::acknowledgement(0x92)},
        {request::autoReturnOff(), 0x92, {0x00}, Answer::acknowledgement(0x92)},
        {request::firmwareVersion(), 0x92, {0x00}, Answer::reply(0x93)},
        {request::setFlightMode(FlightMode::Remote), 0xD2, {0x00}, state},
        {request::setFlightMode(FlightMode::Auto), 0xD2, {0x02}, state},
        {request::setTask(Task::TakeOff), 0xD4, {0x02}, state},
        {request::setTask(Task::Cancel), 0xD4, {0xFF}, state},
        // 16 bits, high byte first; bits 16 and up are dropped.
        {request::setTargetAltitude(300), 0xB1, {0x01, 0x2C}, Answer::acknowledgement(0xB1)},
        {request::setTargetAltitude(70000), 0xB1, {0x11, 0x70}, Answer::acknowledgement(0xB1)},
        {request::setCirclingRadius(100), 0xB2, {0x00, 0x64}, Answer::acknowledgement(0xB2)},
        // Gains go out as their low 8 bits, out-of-range ones without comment.
        {request::setGainRow(GainGroup::Heading, 300, -1, 256),
         0xE3,
         {0x2C, 0xFF, 0x00},
         Answer::acknowledgement(0xE3)},
        // The four items of the mixing-mode list.
        {request::setMixingMode(0), 0xD1, {0x00}, Answer::acknowledgement(0xD1)},
        {request::setMixingMode(1), 0xD1, {0x80}, Answer::acknowledgement(0xD1)},
        {request::setMixingMode(2), 0xD1, {0x01}, Answer::acknowledgement(0xD1)},
        {request::setMixingMode(3), 0xD1, {0x81}, Answer::acknowledgement(0xD1)},
    };
    for (const auto& r : requests) {
        EXPECT_EQ(r.request.code, r.code);
        EXPECT_EQ(Bytes(r.request.payload().begin(), r.request.payload().end()), r.payload) << int(r.code);
        EXPECT_EQ(r.request.answer, r.answer) << int(r.code);
    }
}

TEST(Requests, AnAcknowledgementAnswersOnlyTheRequestItNames) {
    const Answer pitch = Answer::acknowledgement(0xE4);
    EXPECT_TRUE(pitch.answeredBy(test::makeFrame(0xFA, {0xE4})));
    EXPECT_FALSE(pitch.answeredBy(test::makeFrame(0xFA, {0xE5})));
    EXPECT_FALSE(pitch.answeredBy(test::makeFrame(0xFA, {}))) << "no code to name";
    EXPECT_FALSE(pitch.answeredBy(test::makeFrame(0xE4, {0xE4})));
    EXPECT_TRUE(Answer::reply(0xEB).answeredBy(test::makeFrame(0xEB, {})));
    EXPECT_FALSE(Answer::none().answeredBy(test::makeFrame(0xFA, {0x00})));
}

} // namespace
} // namespace tq37r
