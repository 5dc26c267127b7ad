#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tq37r {

// The window's port list offers COM1 to this; the command line and a search take any COMn.
inline constexpr int kListedPorts = 9;

// A port named as Windows names them, "COMn", the one way every face names a port. Each
// platform's backend says which device a name stands for.
class ComPort {
public:
    // "COM" and decimal digits; nullopt for anything else (a device path). A number that is 0 or
    // too large to hold is a name of no port: it parses, and stands for nothing.
    static std::optional<ComPort> parse(std::string_view name);
    // The port list's entry at `index`, from 0 for COM1; nullopt for no selection (-1) or past it.
    static std::optional<ComPort> ofListIndex(int index);
    // COM1 to COM9, the list's entries in order.
    static std::vector<ComPort> listed();

    explicit ComPort(int number) : number_(number) {}
    int number() const { return number_; }
    int listIndex() const { return number_ - 1; }
    std::string name() const { return "COM" + std::to_string(number_); }

private:
    int number_;
};

} // namespace tq37r
