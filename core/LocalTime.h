#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace tq37r {

// A moment in the local time zone, as strftime writes it with `format` ("%H:%M:%S").
inline std::string localTimeText(std::chrono::system_clock::time_point at, const char* format) {
    const std::time_t time = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

} // namespace tq37r
