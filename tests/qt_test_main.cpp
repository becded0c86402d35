#include <QApplication>
#include <gtest/gtest.h>

// One QApplication serves every Qt-side test; the offscreen platform keeps them headless
// unless the caller chose a display.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
