#include "core/FileReplacement.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <vector>

#include "core/FileErrorText.h"
#include "core/Utf8Path.h"

namespace tq37r {
namespace {

std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path name = target.filename();
    name += L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) + L".tmp";
    return target.has_parent_path() ? target.parent_path() / name : name;
}

// Writes, flushes and closes the temporary file.
bool fillTemporary(const std::filesystem::path& temporary, std::string_view contents, std::string& why) {
    const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = fileErrorText(::GetLastError());
        return false;
    }
    bool written = true;
    while (written && !contents.empty()) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1u << 20));
        written = ::WriteFile(file, contents.data(), chunk, &done, nullptr) != FALSE;
        contents.remove_prefix(done);
    }
    written = written && ::FlushFileBuffers(file) != FALSE;
    const DWORD error = written ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(file);
    if (!written) {
        why = fileErrorText(error);
        ::DeleteFileW(temporary.c_str());
    }
    return written;
}

// A file whose permissions are its own rather than its folder's hands them on to the file that
// replaces it; one that inherits them lets the new file inherit them too.
void keepOwnPermissions(const std::filesystem::path& from, const std::filesystem::path& to) {
    DWORD size = 0;
    ::GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    const auto descriptor = static_cast<PSECURITY_DESCRIPTOR>(buffer.data());
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (size == 0 || !::GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, descriptor, size, &size) ||
        !::GetSecurityDescriptorControl(descriptor, &control, &revision) ||
        (control & SE_DACL_PROTECTED) == 0) {
        return;
    }
    ::SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, descriptor);
}

// A file another program holds open refuses the rename as "access denied"; the operator is
// better told who is in the way.
DWORD whyNotReplaceable(const std::filesystem::path& target, DWORD error) {
    if (error != ERROR_ACCESS_DENIED) {
        return error;
    }
    const HANDLE probe =
        ::CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return ::GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION : error;
    }
    ::CloseHandle(probe);
    return error;
}

} // namespace

bool replaceFile(const std::string& path, std::string_view contents, std::string& why) {
    const std::filesystem::path target = pathFromUtf8(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        why = "it is a folder";
        return false;
    }
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        why = "the file is read-only";
        return false;
    }
    const std::filesystem::path temporary = temporaryBeside(target);
    if (!fillTemporary(temporary, contents, why)) {
        return false;
    }
    if (exists) {
        keepOwnPermissions(target, temporary);
    }
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        why = fileErrorText(exists ? whyNotReplaceable(target, ::GetLastError()) : ::GetLastError());
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace tq37r
