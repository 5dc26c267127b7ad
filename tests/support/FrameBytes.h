#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "device/Reply.h"
#include "protocol/Frame.h"

namespace tq37r::test {

using Bytes = std::vector<std::uint8_t>;

// A whole frame for code and payload, as either side puts it on the line.
inline Bytes makeFrame(std::uint8_t code, const Bytes& payload) {
    Bytes out(payload.size() + 6);
    out.resize(frame::assemble(out, code, payload));
    return out;
}

// Writes a decoded reply as one line, any status text last with its countdown, so a single string
// in a table pins everything the tool takes from a reply.
struct ReplyText {
    std::ostringstream& out;
    template <typename... V> void put(const V&... v) const { ((out << ' ' << v), ...); }
    static std::string shown(const StatusMessage& s) {
        return std::string(s.text()) + " /" + std::to_string(s.countdown());
    }
    void operator()(const reply::Ignored&) const { put("ignored"); }
    // The firmware reply: the tool shows its text and nothing else.
    template <typename R> void operator()(const R& r) const { put(shown(r.status)); }
    void operator()(const reply::GyroResult& r) const { put(r.passed ? shown(r.status) : "failed"); }
    void operator()(const reply::FlightParams& r) const {
        put(r.targetAltitude, r.circlingRadius, shown(r.status));
    }
    void operator()(const reply::MixingMode& r) const { put("item", r.item, shown(r.status)); }
    // The gains a read-back carries, in grid order.
    void operator()(const reply::GainReadBack& r) const {
        for (std::size_t i = 0; i < kGainCount; ++i) {
            if (r.carries(i)) {
                put(int(r.values[i]));
            }
        }
        put(shown(r.status));
    }
    void operator()(const reply::StateReport& r) const {
        put("mode", r.flightModeState, "task", r.taskState);
    }
    void operator()(const reply::Acknowledgement& r) const {
        const char* digits = "0123456789ABCDEF";
        put("ack", std::string{digits[r.acknowledgedCode >> 4], digits[r.acknowledgedCode & 15]});
        put(r.status ? shown(*r.status) : "none");
    }
};

inline std::string describe(const Reply& reply) {
    std::ostringstream out;
    std::visit(ReplyText{out}, reply);
    return out.str().substr(1);
}

} // namespace tq37r::test
