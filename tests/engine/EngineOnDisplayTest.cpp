// The engine with the video output it ships with, on a real X display of the
// test's own.
#include "engine/MpvEngine.h"
#include "platform/DisplayLoss.h"
#include "support/MediaFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <xcb/xcb.h>

using namespace quarn;
namespace media = quarn::test::media;

namespace {

// The process's connections to local sockets, but the toolkit's own: in this
// test (no session bus, no sound server) those are the engine's to the display.
std::vector<int> engineSockets() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const int toolkit = xcb_get_file_descriptor(x11->connection());
    std::vector<int> found;
    for (const QFileInfo& entry :
         QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        const int fd = entry.fileName().toInt();
        struct stat info {};
        if (fd != toolkit && ::fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode)) {
            found.push_back(fd);
        }
    }
    return found;
}

} // namespace

TEST(EngineOnDisplay, AConnectionOfTheEngineThatBreaksIsReportedAndTheEngineStartsAfresh) {
    QWidget window;
    window.resize(400, 300);
    QWidget display(&window);
    display.setGeometry(8, 8, 320, 240);
    display.setAttribute(Qt::WA_NativeWindow);
    window.show();
    MpvEngine engine(display.winId(), {{"ao", "null"}});
    platform::HandleBrokenXConnections([&] { engine.RestartAfterOutputLoss(); });
    QSignalSpy opened(&engine, &MediaEngine::Opened);
    QSignalSpy failed(&engine, &MediaEngine::Failed);

    engine.SetFileName(media::Pattern(320, 240, 25, 30));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.CurrentPosition() > 0.5; }));
    const std::vector<int> sockets = engineSockets();
    ASSERT_FALSE(sockets.empty());
    for (int fd : sockets) {
        ::shutdown(fd, SHUT_RDWR);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() == 1; }));
    EXPECT_FALSE(failed.at(0).at(0).toString().isEmpty());
    EXPECT_EQ(engine.FileName(), "");

    // The engine plays on afresh.
    engine.SetFileName(media::Pattern(320, 240, 25, 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.count() == 2; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.CurrentPosition() > 0.3; }));
}
