#include "cli/win32/ConsoleText.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "serial/win32/Utf16.h"

namespace tq37r::cli {

namespace {

// How much of `bytes` ends on a whole UTF-8 sequence: one cut short at the end waits for its rest.
std::size_t wholeSequences(std::string_view bytes) {
    for (std::size_t back = 1; back <= std::min<std::size_t>(bytes.size(), 4); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80) {
            continue; // inside a sequence
        }
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size(); // no UTF-8 to wait for
}

} // namespace

class ConsoleText::Writer final : public std::streambuf {
public:
    explicit Writer(HANDLE console) : console_(console) {}

protected:
    // No put area: every character comes here, so that a line end is seen whichever way it came.
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof())) {
            return sync() == 0 ? traits_type::not_eof(ch) : traits_type::eof();
        }
        const char c = traits_type::to_char_type(ch);
        return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        if (std::memchr(text, '\n', static_cast<std::size_t>(count)) != nullptr && sync() != 0) {
            return 0;
        }
        return count;
    }
    int sync() override {
        const std::size_t whole = wholeSequences(pending_);
        const std::wstring text = toUtf16(std::string_view(pending_).substr(0, whole));
        pending_.erase(0, whole);
        for (std::size_t done = 0; done < text.size();) {
            // The console takes a bounded amount at once.
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
            DWORD written = 0;
            if (!::WriteConsoleW(console_, text.data() + done, chunk, &written, nullptr) || written == 0) {
                return -1;
            }
            done += written;
        }
        return 0;
    }

private:
    HANDLE console_;
    std::string pending_;
};

ConsoleText::Redirect ConsoleText::toConsole(std::ostream& stream, unsigned long stdHandle) {
    const HANDLE handle = ::GetStdHandle(stdHandle);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) {
        return {};
    }
    Redirect redirect{&stream, std::make_unique<Writer>(handle), nullptr};
    redirect.own = stream.rdbuf(redirect.writer.get());
    return redirect;
}

ConsoleText::ConsoleText()
    : out_(toConsole(std::cout, STD_OUTPUT_HANDLE)), err_(toConsole(std::cerr, STD_ERROR_HANDLE)) {}

ConsoleText::~ConsoleText() {
    for (Redirect* redirect : {&out_, &err_}) {
        if (redirect->stream != nullptr) {
            redirect->stream->flush();
            redirect->stream->rdbuf(redirect->own);
        }
    }
}

} // namespace tq37r::cli
