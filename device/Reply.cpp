#include "device/Reply.h"

#include <array>
#include <cstdio>
#include <utility>

#include "device/Codes.h"
#include "device/Requests.h"
#include "protocol/Frame.h"

namespace tq37r {

namespace {

struct AcknowledgementText {
    std::uint8_t code;
    std::string_view text;
};

// Beside the gain rows' own texts; other codes (a flight mode, a task) show nothing.
constexpr std::array<AcknowledgementText, 5> kAcknowledgementTexts{{
    {code::kSaveConfiguration, "Save configuration parameters success！"},
    {code::kAutoReturn, "设置是否自动返航成功！"},
    {code::kSetTargetAltitude, "设置目标高度成功！"},
    {code::kSetCirclingRadius, "设置盘旋半径成功！"},
    {code::kSetMixingMode, "设置混控模式成功！"},
}};

class Payload {
public:
    explicit Payload(std::span<const std::uint8_t> frameBytes)
        : bytes_(frameBytes.subspan(frame::kPayloadOffset)) {}
    std::int32_t u8(std::size_t n) const { return bytes_[n]; }
    std::int32_t s8(std::size_t n) const { return static_cast<std::int8_t>(bytes_[n]); }
    std::int32_t u16(std::size_t n) const { return bytes_[n] * 256 + bytes_[n + 1]; }

private:
    std::span<const std::uint8_t> bytes_;
};

Reply decodeGyro(const Payload& p) {
    reply::GyroResult result;
    if (p.u8(0) != 0) {
        return result; // the first byte says the test failed
    }
    result.passed = true;
    result.x = static_cast<double>(p.s8(1)) * 0.1;
    result.y = static_cast<double>(p.s8(2)) * 0.1;
    result.z = static_cast<double>(p.s8(3)) * 0.1;
    result.status = StatusMessage::formatted(kCountdownGyro, text::kGyroFormat, result.x, result.y, result.z);
    return result;
}

Reply decodeFirmware(const Payload& p) {
    reply::FirmwareVersion result;
    result.model = static_cast<unsigned>(p.u8(0));
    result.version = static_cast<double>(p.u8(1)) * 0.01;
    result.status = StatusMessage::formatted(kCountdownFirmware, text::kFirmwareFormat,
                                             static_cast<int>(result.model), result.version);
    return result;
}

// Where the gains a read-back carries sit in its payload, worked out once from the gain table.
struct Place {
    std::uint8_t gain;
    std::uint8_t offset;
};
struct Places {
    std::array<Place, kGainCount> places{};
    std::size_t count = 0;
};
constexpr Places placesIn(GainBlock block) {
    Places p;
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (rowOfGain(i).block == block) {
            p.places[p.count++] = {static_cast<std::uint8_t>(i),
                                   static_cast<std::uint8_t>(readBackOffset(i))};
        }
    }
    return p;
}
constexpr std::array<Places, 2> kPlaces{placesIn(GainBlock::First), placesIn(GainBlock::Second)};

Reply decodeGainReadBack(const Payload& p, GainBlock block) {
    static const StatusMessage kReadOk(text::kReadGainsOk, kCountdownReply);
    reply::GainReadBack r;
    r.block = block;
    // Bytes no row is read from (P6..P8 of the first block) carry a group the tool does not use.
    const Places& places = kPlaces[static_cast<std::size_t>(block)];
    for (std::size_t i = 0; i < places.count; ++i) {
        r.values[places.places[i].gain] = static_cast<std::uint8_t>(p.u8(places.places[i].offset));
    }
    r.status = kReadOk;
    return r;
}

std::optional<StatusMessage> acknowledgementStatus(std::uint8_t acknowledgedCode) {
    if (const std::optional<GainGroup> group = groupOfSetCode(acknowledgedCode)) {
        return StatusMessage(rowOf(*group).setOkText, kCountdownReply);
    }
    for (const auto& entry : kAcknowledgementTexts) {
        if (entry.code == acknowledgedCode) {
            return StatusMessage(entry.text, kCountdownReply);
        }
    }
    return std::nullopt;
}

Reply decodeStateReport(const Payload& p) {
    reply::StateReport r;
    r.flightModeState = p.u8(1) & 3;
    const std::int32_t taskByte = p.u8(2);
    r.taskState = taskByte < 16 ? taskByte >> 2 : 255;
    return r;
}

} // namespace

std::size_t replyPayloadSize(std::uint8_t replyCode) {
    switch (replyCode) {
    case code::kGyroResult:
        return 4;
    case code::kFirmwareVersion:
        return 2;
    case code::kFlightParams:
        return 5;
    case code::kMixingMode:
        return 1;
    case code::kGainBlock1:
        return readBackPayloadSize(GainBlock::First);
    case code::kGainBlock2:
        return readBackPayloadSize(GainBlock::Second);
    case code::kStateReport:
        return 3;
    case code::kAcknowledgement:
        return 1;
    default:
        return 0;
    }
}

std::string firmwareText(const reply::FirmwareVersion& version) {
    char text[48];
    std::snprintf(text, sizeof text, "TQ-%u firmware %.2f", version.model, version.version);
    return text;
}

Reply decodeReply(std::span<const std::uint8_t> frameBytes) {
    if (frameBytes.size() < frame::kPayloadOffset + 2) {
        return reply::Ignored{};
    }
    const std::uint8_t replyCode = frameBytes[frame::kCodeOffset];
    const std::size_t payloadSize = frameBytes.size() - frame::kPayloadOffset - 2;
    if (payloadSize < replyPayloadSize(replyCode)) {
        return reply::Ignored{};
    }
    const Payload p(frameBytes);
    switch (replyCode) {
    case code::kGyroResult:
        return decodeGyro(p);
    case code::kFirmwareVersion:
        return decodeFirmware(p);
    case code::kFlightParams:
        return reply::FlightParams{p.u16(1), p.u16(3),
                                   StatusMessage(text::kReadFlightParamsOk, kCountdownReply)};
    case code::kMixingMode:
        return reply::MixingMode{mixingModeItem(static_cast<std::uint8_t>(p.u8(0))),
                                 static_cast<std::uint8_t>(p.u8(0)),
                                 StatusMessage(text::kReadMixingModeOk, kCountdownReply)};
    case code::kGainBlock1:
        return decodeGainReadBack(p, GainBlock::First);
    case code::kGainBlock2:
        return decodeGainReadBack(p, GainBlock::Second);
    case code::kStateReport:
        return decodeStateReport(p);
    case code::kAcknowledgement: {
        const auto acknowledged = static_cast<std::uint8_t>(p.u8(0));
        return reply::Acknowledgement{acknowledged, acknowledgementStatus(acknowledged)};
    }
    default:
        return reply::Ignored{}; // 0xF2, 0xF3 and unknown codes have no visible effect
    }
}

} // namespace tq37r
