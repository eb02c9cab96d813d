#include <QApplication>
#include <gtest/gtest.h>

// Unit tests run with a QApplication on Qt's offscreen platform, so that
// widgets can be created and measured without a display.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
