#include <QCoreApplication>
#include <gtest/gtest.h>

// End-to-end tests drive the real program in another process; they need Qt
// only for processes, files and images.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
