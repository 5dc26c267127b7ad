#include "core/JournalFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/FileErrorText.h"

namespace tq37r::journalfile {
namespace {

// The lock lives in a file of its own, which is never replaced.
class Lock {
public:
    Lock(const std::filesystem::path& journal, int how) {
        const std::filesystem::path lockPath = journal.string() + ".lock";
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        error_ = fd_ < 0 ? errno : 0;
        while (fd_ >= 0 && ::flock(fd_, how) != 0) {
            if (errno != EINTR) {
                error_ = errno; // before close may change it
                ::close(fd_);
                fd_ = -1;
            }
        }
    }
    ~Lock() {
        if (fd_ >= 0) {
            ::close(fd_); // releases the lock
        }
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    bool held() const { return fd_ >= 0; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

bool endsTorn(int fd, off_t size) {
    char last = '\n';
    return size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n';
}

} // namespace

std::optional<std::uintmax_t> append(const std::filesystem::path& journal, std::string_view line,
                                     std::string& why) {
    const Lock lock(journal, LOCK_SH);
    if (!lock.held()) {
        why = fileErrorText(lock.error());
        return std::nullopt;
    }
    const int fd = ::open(journal.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    struct stat before {};
    if (fd < 0 || ::fstat(fd, &before) != 0) {
        why = fileErrorText(errno);
        if (fd >= 0) {
            ::close(fd);
        }
        return std::nullopt;
    }
    std::string text = endsTorn(fd, before.st_size) ? "\n" : "";
    text.append(line);
    text += '\n';
    // One write: O_APPEND puts each writer's whole line at the end, never inside another's.
    const ssize_t written = ::write(fd, text.data(), text.size());
    const int error = errno;
    struct stat after {};
    ::fstat(fd, &after);
    ::close(fd);
    if (written != static_cast<ssize_t>(text.size())) {
        why = written < 0 ? fileErrorText(error) : "the disk is full";
        return std::nullopt;
    }
    return static_cast<std::uintmax_t>(after.st_size);
}

bool exclusively(const std::filesystem::path& journal, const std::function<void()>& rewrite) {
    const Lock lock(journal, LOCK_EX);
    if (!lock.held()) {
        return false;
    }
    rewrite();
    return true;
}

} // namespace tq37r::journalfile
