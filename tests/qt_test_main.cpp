#include <QApplication>
#include <gtest/gtest.h>

#include "platform/process_end.h"

namespace {

// One QApplication serves every Qt-side test; the offscreen platform keeps them headless
// unless the caller chose a display.
int run_tests(int& argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    kelvor::platform::end_process(run_tests(argc, argv));
}
