// The reliability suites run the real dialog offscreen against the simulator, which
// finds its COMn links in a directory made for this run.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "ReliabilityEnv.h"

namespace tq37r::test {
namespace {
std::filesystem::path theDir;
}

std::filesystem::path portDir() {
    return theDir;
}

} // namespace tq37r::test

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::random_device entropy;
    tq37r::test::theDir = fs::temp_directory_path() / ("tq37r-rel-" + std::to_string(entropy()));
    fs::create_directories(tq37r::test::theDir);
    setenv("TQ37R_PORT_DIR", tq37r::test::theDir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    fs::remove_all(tq37r::test::theDir);
    return result;
}

// Qt is not built with ThreadSanitizer, so races it would report inside Qt's own threads
// and locks are not this project's; only instrumented code is checked.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}
