// Main of the suites that drive the real dialog: a QApplication, offscreen unless told otherwise.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Qt is not built with ThreadSanitizer: its own threads (the image conversion pool) and its
// futex-based locks are invisible to it and would be reported as races inside Qt. Only the
// instrumented code (this project's) is checked; the watcher thread never calls into Qt.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}
