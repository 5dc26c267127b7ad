#include "cli/CheckedOptions.h"

#include <charconv>

namespace tq37r::cli {

bool parseDecimal(const std::string& text, std::uint32_t min, std::uint32_t max, std::uint32_t& out) {
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < min || value > max) {
        return false;
    }
    out = value;
    return true;
}

std::string range(std::uint32_t min, std::uint32_t max) {
    return "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max);
}

// Decimal only: CLI11's own conversion reads "010" as octal.
void addNumber(CLI::App& app, const std::string& name, std::uint32_t& target, std::uint32_t min,
               std::uint32_t max, const std::string& help) {
    app.add_option_function<std::string>(
           name,
           [name, &target, min, max](const std::string& text) {
               if (!parseDecimal(text, min, max, target)) {
                   throw CLI::ValidationError(name, range(min, max));
               }
           },
           help + " (default " + std::to_string(target) + ")")
        ->type_name("N");
}

void addValue(CLI::App& command, const std::string& name, std::optional<std::uint32_t>& target,
              std::uint32_t min, std::uint32_t max, const std::string& help) {
    command.add_option_function<std::string>(
        name,
        [name, &target, min, max](const std::string& text) {
            std::uint32_t value = 0;
            if (!parseDecimal(text, min, max, value)) {
                throw CLI::ValidationError(name, range(min, max));
            }
            target = value;
        },
        help);
}

void addWord(CLI::App& command, std::string& target, const std::vector<std::string>& words,
             const std::string& help) {
    command.add_option("WORD", target, help)
        ->required()
        ->check(CLI::IsMember(words))
        ->type_name(words.front() + "|...");
}

} // namespace tq37r::cli
