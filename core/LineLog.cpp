#include "core/LineLog.h"

#include <algorithm>
#include <cstdio>

#include "core/FileReplacement.h"
#include "core/JsonString.h"
#include "device/FrameText.h"
#include "device/HexText.h"
#include "protocol/Frame.h"

namespace tq37r {
namespace {

const char* markOf(LineLog::Kind kind) {
    switch (kind) {
    case LineLog::Kind::Sent:
        return "->";
    case LineLog::Kind::Received:
        return "<-";
    case LineLog::Kind::Opened:
    case LineLog::Kind::Closed:
        return "--";
    default:
        return "!!";
    }
}

std::string hexOf(const LineLog::Entry& e) {
    if (e.kind == LineLog::Kind::Opened || e.kind == LineLog::Kind::Closed ||
        e.kind == LineLog::Kind::HungUp) {
        return {};
    }
    const std::size_t shown = std::min<std::size_t>(e.size, LineLog::kBytesKept);
    std::string hex;
    for (std::size_t i = 0; i < shown; ++i) {
        hex.append(i == 0 ? "" : " ").append(hexByte(e.bytes[i]));
    }
    if (e.size > shown) {
        hex += " …";
    }
    return hex;
}

const char* whyText(BadFrame why) {
    switch (why) {
    case BadFrame::Checksum:
        return "bad checksum";
    case BadFrame::Trailer:
        return "bad trailer";
    case BadFrame::Length:
        return "a length that leaves no room for a code";
    case BadFrame::GivenUp:
        return "given up after the quiet gap";
    }
    return "bad";
}

std::string whatOf(const LineLog::Entry& e) {
    const std::span<const std::uint8_t> bytes(e.bytes.data(),
                                              std::min<std::size_t>(e.size, LineLog::kBytesKept));
    switch (e.kind) {
    case LineLog::Kind::Opened:
        return "opened " + std::string(bytes.begin(), bytes.end()) + (e.size > bytes.size() ? "…" : "");
    case LineLog::Kind::Closed:
        return "closed";
    case LineLog::Kind::HungUp:
        return "the device went away";
    case LineLog::Kind::Sent:
        return describeRequestFrame(bytes);
    case LineLog::Kind::Received:
        return e.size > LineLog::kBytesKept ? std::to_string(e.size) + "-byte frame"
                                            : describeReplyFrame(bytes);
    case LineLog::Kind::Dropped:
        return whyText(e.why);
    case LineLog::Kind::Skipped:
        return std::to_string(e.size) + (e.size == 1 ? " byte" : " bytes") + " skipped";
    case LineLog::Kind::Unanswered:
        return "no answer to " + describeRequestFrame(bytes);
    }
    return {};
}

} // namespace

void LineLog::opened(std::string_view port, std::uint32_t baudRate, TimePoint at) {
    origin_ = at;
    counts_ = {};
    const std::string text = std::string(port) + " at " + std::to_string(baudRate);
    made(append(Kind::Opened, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, at));
}

void LineLog::closed(TimePoint at) {
    made(append(Kind::Closed, {}, at));
}

void LineLog::hungUp(TimePoint at) {
    made(append(Kind::HungUp, {}, at));
}

void LineLog::sent(std::span<const std::uint8_t> frameBytes, TimePoint at) {
    ++counts_.sent;
    made(append(Kind::Sent, frameBytes, at));
}

void LineLog::dropped(std::span<const std::uint8_t> bytes, BadFrame why, TimePoint at) {
    ++counts_.bad;
    Entry& e = append(Kind::Dropped, bytes, at);
    e.why = why;
    made(e);
}

void LineLog::unanswered(const Request& request, TimePoint at) {
    ++counts_.unanswered;
    std::array<std::uint8_t, 16> frameBytes{};
    const std::size_t size = frame::assemble(frameBytes, request.code, request.payload());
    made(append(Kind::Unanswered, {frameBytes.data(), size}, at));
}

std::vector<const LineLog::Entry*> LineLog::since(std::uint64_t seen) const {
    const std::uint64_t firstKept = total_ - size();
    std::vector<const Entry*> entries;
    for (std::uint64_t n = std::max(seen, firstKept); n < total_; ++n) {
        entries.push_back(&at(static_cast<std::size_t>(n - firstKept)));
    }
    return entries;
}

void LineLog::clear() {
    cleared_ = total_;
}

std::string LineLog::format(const Entry& entry) {
    char time[32];
    const long long micros = entry.nanos / 1000;
    std::snprintf(time, sizeof time, "%lld.%03lld", micros / 1000, micros % 1000);
    const std::string hex = hexOf(entry);
    return std::string(time) + " " + markOf(entry.kind) + " " + (hex.empty() ? "" : hex + "  ") +
           whatOf(entry);
}

std::string LineLog::formatJson(const Entry& entry) {
    char time[32];
    const long long micros = entry.nanos / 1000;
    std::snprintf(time, sizeof time, "%lld.%03lld", micros / 1000, micros % 1000);
    return std::string("{\"ms\":") + time + ",\"mark\":\"" + markOf(entry.kind) + "\",\"bytes\":\"" +
           hexOf(entry) + "\",\"what\":" + jsonString(whatOf(entry)) + "}";
}

std::string LineLog::countsText(const LineCounts& c) {
    return "Sent " + std::to_string(c.sent) + ", received " + std::to_string(c.received) + ", bad " +
           std::to_string(c.bad) + ", skipped " + std::to_string(c.skippedBytes) +
           (c.skippedBytes == 1 ? " byte" : " bytes") + ", unanswered " + std::to_string(c.unanswered);
}

bool writeLineLog(const LineLog& log, const std::string& path, std::string& why) {
    std::string text = LineLog::countsText(log.counts()) + "\n";
    for (std::size_t i = 0; i < log.size(); ++i) {
        text += LineLog::format(log.at(i)) + "\n";
    }
    return replaceFile(path, text, why);
}

} // namespace tq37r
