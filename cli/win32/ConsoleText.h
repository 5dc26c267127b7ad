#pragma once

#include <iosfwd>
#include <memory>
#include <streambuf>

namespace tq37r::cli {

// While it lives, std::cout and std::cerr write to a console as UTF-16 (WriteConsoleW), so that
// the tool's UTF-8 shows as it is whatever the console's code page, a line at a time as on a
// terminal. Output redirected to a file or a pipe is left alone: it stays UTF-8 bytes.
class ConsoleText {
public:
    ConsoleText();
    // Flushes and gives the streams their own buffers back.
    ~ConsoleText();
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;

private:
    class Writer;
    struct Redirect {
        std::ostream* stream = nullptr;
        std::unique_ptr<Writer> writer;
        std::streambuf* own = nullptr;
    };
    static Redirect toConsole(std::ostream& stream, unsigned long stdHandle);

    Redirect out_;
    Redirect err_;
};

} // namespace tq37r::cli
