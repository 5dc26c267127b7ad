// Every test program, and every program it starts, keeps its tuning history and settings in a
// folder of its own under the build folder, never in the user's: one test's remembered port or
// journal must not reach another running beside it. Set, empty, before any test runs.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

const bool kDataFolderSet = [] {
#ifdef _WIN32
    const auto process = std::to_string(_getpid());
#else
    const auto process = std::to_string(::getpid());
#endif
    const std::filesystem::path folder = std::filesystem::path(TQ37R_TEST_DATA_DIR) / process;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
#ifdef _WIN32
    return _putenv_s("TQ37R_DATA_DIR", folder.string().c_str()) == 0;
#else
    return ::setenv("TQ37R_DATA_DIR", folder.c_str(), 1) == 0;
#endif
}();

} // namespace
