// Runs the window's tests inside a QApplication on the offscreen platform, so that they need no
// display and draw exactly the same pixels on every machine.

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef ONDULIX_TEST_SCALE_FACTOR
    qputenv("QT_SCALE_FACTOR", ONDULIX_TEST_SCALE_FACTOR);
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
