#include "core/GainFile.h"

#include "core/Blanks.h"
#include "device/HexText.h"

#include <utility>

namespace tq37r {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Messages quote at most this much of a line, so a huge line gives a short message.
constexpr std::size_t kShownLength = 40;

// Cuts on a UTF-8 character boundary so the message stays valid UTF-8.
std::string shown(std::string_view text) {
    if (text.size() <= kShownLength) {
        return std::string(text);
    }
    std::size_t cut = kShownLength;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return std::string(text.substr(0, cut)) + "...";
}

// A NUL from a binary file or a stray carriage return would be cut or hidden wherever the
// message is shown, so the message says what the character is and where, not the text.
std::optional<std::string> controlCharacterIn(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            return std::string(c == '\r' ? "a stray carriage return" : "a control character") + " (0x" +
                   hexByte(c) + ") in column " + std::to_string(i + 1);
        }
    }
    return std::nullopt;
}

// Reads one line into `read`; gives the reason when the line refuses the file.
// firstLine[i] is the line gain i was given on, 0 while it has not been.
std::optional<std::string> readLine(std::string_view line, std::size_t lineNumber, GainFileRead& read,
                                    std::array<std::size_t, kGainCount>& firstLine) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    line = line.substr(0, line.find('#'));
    if (std::optional<std::string> control = controlCharacterIn(line)) {
        return control;
    }
    line = trimmedOfBlanks(line);
    if (line.empty()) {
        return std::nullopt;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return "expected \"name = value\"";
    }
    const std::string_view name = trimmedOfBlanks(line.substr(0, equals));
    if (name.empty() || name.find_first_of(" \t") != std::string_view::npos) {
        return "expected \"name = value\"";
    }
    // The value is checked before the name: a malformed line is malformed whoever's gain it is.
    const std::string_view text = trimmedOfBlanks(line.substr(equals + 1));
    if (text.empty()) {
        return "no value after \"=\"";
    }
    const std::optional<std::uint8_t> value = parseGainValue(text);
    if (!value) {
        return shown(text) + " is not a whole number from 0 to 255";
    }
    const std::optional<std::size_t> index = findGain(name);
    if (!index) {
        if (read.unknownNames.size() < kUnknownNamesKept) {
            read.unknownNames.push_back({std::string(name), lineNumber});
        } else {
            ++read.unknownNamesNotKept;
        }
        return std::nullopt;
    }
    if (firstLine[*index] != 0) {
        return std::string(name) + " is given twice, first on line " + std::to_string(firstLine[*index]);
    }
    firstLine[*index] = lineNumber;
    read.values[*index] = value;
    return std::nullopt;
}

// Header text comes from the device and the clock; a line break in it would end the comment.
std::string oneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

} // namespace

// Digits only: a sign, a fraction or a hex prefix is a typo here, not another spelling.
// Stops as soon as the value passes 255, so long runs of digits cannot overflow.
std::optional<std::uint8_t> parseGainValue(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 255) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint8_t>(value);
}

std::string writeGainFile(const Gains& gains, const GainFileHeader& header) {
    std::string file = "# TQ-37R gains\n";
    if (!header.firmware.empty()) {
        file += "# Firmware: " + oneLine(header.firmware) + "\n";
    }
    if (!header.date.empty()) {
        file += "# Saved: " + oneLine(header.date) + "\n";
    }
    file += "\n";
    for (std::size_t i = 0; i < kGainCount; ++i) {
        file += kGains[i].fileName;
        file += " = " + std::to_string(gains[i]) + "\n";
    }
    return file;
}

GainFileRead readGainFile(std::string_view text) {
    GainFileRead read;
    std::array<std::size_t, kGainCount> firstLine{};
    // Some Windows editors start UTF-8 files with a byte order mark.
    if (text.starts_with(kUtf8Bom)) {
        text.remove_prefix(kUtf8Bom.size());
    }
    std::size_t lineNumber = 0;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        ++lineNumber;
        if (std::optional<std::string> problem =
                readLine(text.substr(begin, end - begin), lineNumber, read, firstLine)) {
            GainFileRead refused;
            refused.error = GainFileError{lineNumber, std::move(*problem)};
            return refused;
        }
        begin = end + 1;
    }
    for (std::size_t i = 0; i < kGainCount; ++i) {
        if (!read.values[i]) {
            read.missingNames.push_back(kGains[i].fileName);
        }
    }
    return read;
}

std::vector<std::string> describeGainFileProblems(const GainFileRead& read) {
    std::vector<std::string> lines;
    if (read.error) {
        lines.push_back("line " + std::to_string(read.error->line) + ": " + read.error->message);
        return lines;
    }
    for (const UnknownGain& unknown : read.unknownNames) {
        lines.push_back("unknown gain \"" + shown(unknown.name) + "\" on line " +
                        std::to_string(unknown.line));
    }
    if (read.unknownNamesNotKept != 0) {
        lines.push_back("and " + std::to_string(read.unknownNamesNotKept) + " more unknown gains");
    }
    for (const std::string_view name : read.missingNames) {
        lines.push_back("no value for " + std::string(name));
    }
    return lines;
}

} // namespace tq37r
