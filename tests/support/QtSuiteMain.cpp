// Main of the suites that drive the real dialog: a QApplication, offscreen unless told
// otherwise, and a private folder of COMn links for the whole run.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <string>

#include "tests/support/SuitePortDir.h"

namespace tq37r::suite {
namespace {
std::filesystem::path theDir;
}

std::filesystem::path portDir() {
    return theDir;
}

} // namespace tq37r::suite

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    tq37r::suite::theDir =
        fs::temp_directory_path() / ("tq37r-suite-" + std::to_string(getpid()));
    fs::create_directories(tq37r::suite::theDir);
    setenv("TQ37R_PORT_DIR", tq37r::suite::theDir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    fs::remove_all(tq37r::suite::theDir);
    return result;
}

// Qt is not built with ThreadSanitizer: its own threads (the image conversion pool) and its
// futex-based locks are invisible to it and would be reported as races inside Qt. Only the
// instrumented code (this project's) is checked; the watcher thread never calls into Qt.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}
