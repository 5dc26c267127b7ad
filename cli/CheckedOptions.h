#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tq37r::cli {

// Options checked as CLI11 parses them, so a bad one is a usage error that names the option.

// A whole decimal number from min to max; false leaves out as it was.
bool parseDecimal(const std::string& text, std::uint32_t min, std::uint32_t max, std::uint32_t& out);
// What a number outside min..max is told.
std::string range(std::uint32_t min, std::uint32_t max);

// A number option; its help ends with the default, target's value when added.
void addNumber(CLI::App& app, const std::string& name, std::uint32_t& target, std::uint32_t min,
               std::uint32_t max, const std::string& help);
// A command's optional number argument.
void addValue(CLI::App& command, const std::string& name, std::optional<std::uint32_t>& target,
              std::uint32_t min, std::uint32_t max, const std::string& help);
// A command's one word, one of `words`.
void addWord(CLI::App& command, std::string& target, const std::vector<std::string>& words,
             const std::string& help);

} // namespace tq37r::cli
