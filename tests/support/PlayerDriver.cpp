#include "support/PlayerDriver.h"

#include <cstdio>
#include <functional>

namespace quarn::e2e {

namespace {

// A step of the player's that throws, as a test failure.
void step(const std::function<void()>& what) {
    try {
        what();
    } catch (const std::exception& error) {
        FAIL() << error.what();
    }
}

} // namespace

void PlayerDriver::TearDown() {
    if (HasFailure() && session) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const QString name =
            QString::fromUtf8(test->test_suite_name()) + '.' + QString::fromUtf8(test->name());
        std::printf("screenshot: %s\nplayer log: %s\n", qPrintable(session->saveScreenshot(name)),
                    qPrintable(player ? session->logFile(player) : QString()));
    }
}

void PlayerDriver::startSession(XSession::Options options) {
    session = std::make_unique<XSession>(options);
    desktop = session.get();
    screen = options.screen;
}

void PlayerDriver::launch(const QStringList& args, const QProcessEnvironment& env,
                          const QString& program) {
    step([&] { PlayerWindows::launch(args, env, program); });
}

void PlayerDriver::waitForPlayerWindows(int timeoutMs) {
    step([&] { PlayerWindows::waitForPlayerWindows(timeoutMs); });
}

void PlayerDriver::skipIntro(int timeoutMs) {
    step([&] { PlayerWindows::skipIntro(timeoutMs); });
}

void PlayerDriver::startPlayer(const QStringList& args, const QProcessEnvironment& env) {
    step([&] { PlayerWindows::start(args, env); });
}

void PlayerDriver::open(const QString& path) {
    step([&] { PlayerWindows::open(path); });
}

} // namespace quarn::e2e
