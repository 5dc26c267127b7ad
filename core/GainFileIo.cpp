#include "core/GainFileIo.h"

#include <fstream>

#include "core/FileReplacement.h"
#include "core/GainFile.h"
#include "core/LocalTime.h"
#include "core/Utf8Path.h"

namespace tq37r {

std::optional<std::string> readGainFileText(const std::string& path, std::string& why) {
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    if (!in) {
        why = "cannot be read";
        return std::nullopt;
    }
    // One byte more than the limit tells a file at the limit from one beyond it.
    std::string text(kMaxGainFileSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        why = "cannot be read";
        return std::nullopt;
    }
    if (static_cast<std::size_t>(in.gcount()) > kMaxGainFileSize) {
        why = "is far too large to be a gain file";
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

bool writeGainFileAt(const std::string& path, const Gains& gains, std::string_view firmware,
                     std::string& why) {
    return replaceFile(path, writeGainFile(gains, {std::string(firmware), localDate()}), why);
}

std::string localDate() {
    return localTimeText(std::chrono::system_clock::now(), "%Y-%m-%d");
}

} // namespace tq37r
