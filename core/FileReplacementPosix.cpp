#include "core/FileReplacement.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/FileErrorText.h"

namespace tq37r {
namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Unique among this process's own writers and, with the process id, among other processes.
std::string temporaryBeside(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    // Appended piece by piece: GCC 12 warns falsely on "." + a string.
    std::string name(1, '.');
    name.append(target.filename().string()).append(".tmp-").append(std::to_string(::getpid()));
    name.append(1, '-').append(std::to_string(counter++));
    return (folder / name).string();
}

bool writeStraightThrough(const std::string& path, std::string_view contents, std::string& why) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 || !writeAll(fd, contents)) {
        why = fileErrorText(errno);
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    ::close(fd);
    return true;
}

// Writes, flushes and closes the temporary file; its mode and owner are the target's when
// there is one, so replacing a file does not widen or narrow who may read it.
bool fillTemporary(const std::string& temporary, std::string_view contents, const struct stat* old,
                   std::string& why) {
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        why = fileErrorText(errno);
        return false;
    }
    if (old) {
        ::fchmod(fd, old->st_mode & 07777);
        // Only root may give a file away; anyone else keeps the new file as their own.
        [[maybe_unused]] const int ignored = ::fchown(fd, old->st_uid, old->st_gid);
    }
    bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    int error = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        why = fileErrorText(error);
        ::unlink(temporary.c_str());
    }
    return written;
}

} // namespace

bool replaceFile(const std::string& path, std::string_view contents, std::string& why) {
    std::string target = path;
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            why = "it is a folder";
            return false;
        }
        if (!S_ISREG(old.st_mode)) {
            return writeStraightThrough(path, contents, why);
        }
        // A file nobody may write is meant to stay as it is, even for root.
        if ((old.st_mode & 0222) == 0) {
            why = "the file is read-only";
            return false;
        }
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const std::string temporary = temporaryBeside(target);
    if (!fillTemporary(temporary, contents, exists ? &old : nullptr, why)) {
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        why = fileErrorText(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk with its folder.
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    if (const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace tq37r
