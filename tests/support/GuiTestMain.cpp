#include <QApplication>
#include <gtest/gtest.h>

// Unit tests run with a QApplication on Qt's offscreen platform, so that
// widgets can be created and measured without a display (also when CTest
// lists the tests, before any test environment applies).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
