#include "device/Reply.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "device/Codes.h"
#include "device/HexText.h"
#include "device/Requests.h"
#include "protocol/Frame.h"

namespace tq37r {

namespace {

struct Acknowledged {
    std::uint8_t code;
    std::string_view name;       // for a person reading the line
    std::string_view statusText; // the controller's own words; "" shows nothing
};

// Beside the gain rows, which have both in the gain table.
constexpr std::array<Acknowledged, 7> kAcknowledged{{
    {code::kSaveConfiguration, "save", "Save configuration parameters success！"},
    {code::kAutoReturn, "automatic return", "设置是否自动返航成功！"},
    {code::kSetTargetAltitude, "target altitude", "设置目标高度成功！"},
    {code::kSetCirclingRadius, "circling radius", "设置盘旋半径成功！"},
    {code::kSetMixingMode, "mixing mode", "设置混控模式成功！"},
    {code::kSetFlightMode, "flight mode", ""},
    {code::kSetTask, "task", ""},
}};

const Acknowledged* acknowledgedEntry(std::uint8_t code) {
    const auto found = std::find_if(kAcknowledged.begin(), kAcknowledged.end(),
                                    [code](const Acknowledged& entry) { return entry.code == code; });
    return found == kAcknowledged.end() ? nullptr : &*found;
}

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

Reply decodeAcknowledgement(const Payload& p) {
    const auto acknowledged = static_cast<std::uint8_t>(p.u8(0));
    std::optional<StatusMessage> status;
    if (const std::optional<GainGroup> group = groupOfSetCode(acknowledged)) {
        status = StatusMessage(rowOf(*group).setOkText, kCountdownReply);
    } else if (const Acknowledged* entry = acknowledgedEntry(acknowledged); entry && !entry->statusText.empty()) {
        status = StatusMessage(entry->statusText, kCountdownReply);
    }
    return reply::Acknowledgement{acknowledged, status};
}

Reply decodeStateReport(const Payload& p) {
    reply::StateReport r;
    r.flightModeState = p.u8(1) & 3;
    const std::int32_t taskByte = p.u8(2);
    r.taskState = taskByte < 16 ? taskByte >> 2 : static_cast<std::int32_t>(Task::Cancel);
    return r;
}

Reply decodeFlightParams(const Payload& p) {
    return reply::FlightParams{p.u16(1), p.u16(3), StatusMessage(text::kReadFlightParamsOk, kCountdownReply)};
}

Reply decodeMixingMode(const Payload& p) {
    const auto modeByte = static_cast<std::uint8_t>(p.u8(0));
    return reply::MixingMode{mixingModeItem(modeByte), modeByte,
                             StatusMessage(text::kReadMixingModeOk, kCountdownReply)};
}

// Each reply the tool reads: the payload its layout needs, beside the code that reads it.
struct Decoder {
    std::uint8_t code;
    std::size_t payloadSize;
    Reply (*decode)(const Payload&);
};
constexpr std::array<Decoder, 8> kDecoders{{
    {code::kGyroResult, 4, decodeGyro},
    {code::kFirmwareVersion, 2, decodeFirmware},
    {code::kFlightParams, 5, decodeFlightParams},
    {code::kMixingMode, 1, decodeMixingMode},
    {code::kGainBlock1, readBackPayloadSize(GainBlock::First),
     [](const Payload& p) { return decodeGainReadBack(p, GainBlock::First); }},
    {code::kGainBlock2, readBackPayloadSize(GainBlock::Second),
     [](const Payload& p) { return decodeGainReadBack(p, GainBlock::Second); }},
    {code::kStateReport, 3, decodeStateReport},
    {code::kAcknowledgement, 1, decodeAcknowledgement},
}};

const Decoder* decoderOf(std::uint8_t replyCode) {
    const auto found = std::find_if(kDecoders.begin(), kDecoders.end(),
                                    [replyCode](const Decoder& d) { return d.code == replyCode; });
    return found == kDecoders.end() ? nullptr : &*found;
}

} // namespace

std::size_t replyPayloadSize(std::uint8_t replyCode) {
    const Decoder* decoder = decoderOf(replyCode);
    return decoder != nullptr ? decoder->payloadSize : 0;
}

std::string acknowledgedName(std::uint8_t requestCode) {
    if (const std::optional<GainGroup> group = groupOfSetCode(requestCode)) {
        return std::string(rowOf(*group).name) + " control";
    }
    if (const Acknowledged* entry = acknowledgedEntry(requestCode)) {
        return std::string(entry->name);
    }
    return hexByte(requestCode);
}

std::string firmwareText(const reply::FirmwareVersion& version) {
    char text[48];
    std::snprintf(text, sizeof text, "TQ-%u firmware %.2f", version.model, version.version);
    return text;
}

Reply decodeReply(std::span<const std::uint8_t> frameBytes) {
    if (frameBytes.size() < frame::kOverhead) {
        return reply::Ignored{};
    }
    // 0xF2, 0xF3 and unknown codes have no visible effect, nor a frame too short for its layout.
    const Decoder* decoder = decoderOf(frameBytes[frame::kCodeOffset]);
    if (decoder == nullptr || frame::payloadSize(frameBytes.size()) < decoder->payloadSize) {
        return reply::Ignored{};
    }
    return decoder->decode(Payload(frameBytes));
}

} // namespace tq37r
