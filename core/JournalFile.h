#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tq37r::journalfile {

// The tuning history's file, which the window and any number of tq37r-cli processes write at
// once. Each append holds a lock shared with the other writers, opens the file, writes the
// line in one write at its end and closes it; a rewrite holds the lock alone, so no append goes
// to the file it replaces.

// Appends `line` and its line end; a line end goes first when the file ends in a torn line (a
// writer killed mid-write), so that line never glues onto this one. The file's size after, or
// nullopt with `why` set.
std::optional<std::uintmax_t> append(const std::filesystem::path& journal, std::string_view line,
                                     std::string& why);

// Runs `rewrite` while no other writer appends; false when the lock could not be had.
bool exclusively(const std::filesystem::path& journal, const std::function<void()>& rewrite);

} // namespace tq37r::journalfile
