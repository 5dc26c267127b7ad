// The end-to-end suite runs the real dialog in this process and the real simulator as a
// child, joined by a pty that the simulator links as COM1 in a private port folder.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "SimDialogFixture.h"

namespace tq37r::e2e {
namespace {
std::filesystem::path theDir;
}

std::filesystem::path portDir() {
    return theDir;
}

} // namespace tq37r::e2e

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    tq37r::e2e::theDir = fs::temp_directory_path() / ("tq37r-e2e-" + std::to_string(std::random_device{}()));
    fs::create_directories(tq37r::e2e::theDir);
    setenv("TQ37R_PORT_DIR", tq37r::e2e::theDir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    fs::remove_all(tq37r::e2e::theDir);
    return result;
}

// Qt is not built with ThreadSanitizer: races inside its own thread pools would be reported
// against uninstrumented code. Only this project's code is checked.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}
