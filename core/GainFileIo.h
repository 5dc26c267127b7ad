#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "device/GainTable.h"

namespace tq37r {

// Gain files on disk, the same for the window and the command line. Paths are UTF-8 and reach
// the file system in its own encoding (UTF-16 on Windows).

// A gain file is a page of text; anything far larger is not one, and is not read into memory.
inline constexpr std::size_t kMaxGainFileSize = std::size_t{1} << 20;

// The file's text; nullopt with `why` set ("cannot be read", "is far too large to be a gain
// file") when there is none to give.
std::optional<std::string> readGainFileText(const std::string& path, std::string& why);

// Writes the gains with a header naming the firmware ("" when unknown) and today's local date,
// replacing the file whole. False with `why` set when the file was left as it was.
bool writeGainFileAt(const std::string& path, const Gains& gains, std::string_view firmware,
                     std::string& why);

// Today in the local time zone, as a gain file's header gives it: "2026-12-07".
std::string localDate();

} // namespace tq37r
