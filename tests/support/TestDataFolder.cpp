// Every suite, and every program it starts, keeps its tuning history and settings in the build
// folder, never in the user's own: set before any test runs.
#include <cstdlib>

namespace {

const bool kDataFolderSet = [] {
#ifdef _WIN32
    return _putenv_s("TQ37R_DATA_DIR", TQ37R_TEST_DATA_DIR) == 0;
#else
    return ::setenv("TQ37R_DATA_DIR", TQ37R_TEST_DATA_DIR, 1) == 0;
#endif
}();

} // namespace
