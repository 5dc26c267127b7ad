#include "core/JournalFile.h"

#include <windows.h>

#include "core/FileErrorText.h"

namespace tq37r::journalfile {
namespace {

// The lock lives in a file of its own, which is never replaced.
class Lock {
public:
    Lock(const std::filesystem::path& journal, bool exclusive) {
        std::filesystem::path lockPath = journal;
        lockPath += L".lock";
        file_ = ::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        OVERLAPPED whole{};
        if (file_ != INVALID_HANDLE_VALUE &&
            !::LockFileEx(file_, exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, MAXDWORD, MAXDWORD, &whole)) {
            ::CloseHandle(file_);
            file_ = INVALID_HANDLE_VALUE;
        }
    }
    ~Lock() {
        if (file_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file_); // releases the lock
        }
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    bool held() const { return file_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

bool endsTorn(HANDLE file, LARGE_INTEGER size) {
    if (size.QuadPart == 0) {
        return false;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(size.QuadPart - 1);
    at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
    char last = '\n';
    DWORD read = 0;
    return ::ReadFile(file, &last, 1, &read, &at) && read == 1 && last != '\n';
}

} // namespace

std::optional<std::uintmax_t> append(const std::filesystem::path& journal, std::string_view line,
                                     std::string& why) {
    const Lock lock(journal, false);
    if (!lock.held()) {
        why = fileErrorText(::GetLastError());
        return std::nullopt;
    }
    const HANDLE file = ::CreateFileW(journal.c_str(), GENERIC_READ | FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    if (file == INVALID_HANDLE_VALUE || !::GetFileSizeEx(file, &size)) {
        why = fileErrorText(::GetLastError());
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
        }
        return std::nullopt;
    }
    std::string text = endsTorn(file, size) ? "\n" : "";
    text.append(line);
    text += '\n';
    DWORD written = 0;
    // Appending writers serialise on the file's end; the lock keeps them off a rewrite.
    const bool whole = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                       written == text.size();
    const DWORD error = ::GetLastError();
    ::GetFileSizeEx(file, &size);
    ::CloseHandle(file);
    if (!whole) {
        why = fileErrorText(error);
        return std::nullopt;
    }
    return static_cast<std::uintmax_t>(size.QuadPart);
}

bool exclusively(const std::filesystem::path& journal, const std::function<void()>& rewrite) {
    const Lock lock(journal, true);
    if (!lock.held()) {
        return false;
    }
    rewrite();
    return true;
}

} // namespace tq37r::journalfile
