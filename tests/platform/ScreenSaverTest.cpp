#include "platform/ScreenSaver.h"
#include "support/PrivateBus.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;
using platform::ScreenSaver;

// Each case runs in a process of its own, so each gets a fresh bus.
class ScreenSaverTest : public ::testing::Test {
protected:
    void SetUp() override { bus.becomeSessionBus(); }
    void TearDown() override { saver.SetActive(true); }

    test::PrivateBus bus;
    ScreenSaver saver;
};

namespace {

bool holds(const test::ScreenSaverStandIn& service, int count) {
    return QTest::qWaitFor([&] { return service.inhibitions() == count; }, 3000);
}

// Holding off and switching on again, as the player does, must never wait
// for the bus.
void expectQuick(ScreenSaver& saver, bool active) {
    QElapsedTimer timer;
    timer.start();
    saver.SetActive(active);
    EXPECT_LT(timer.elapsed(), 50) << (active ? "on" : "off");
}

} // namespace

TEST_F(ScreenSaverTest, HoldingOffInhibitsOnceAndSwitchingOnReleases) {
    test::ScreenSaverStandIn service(bus.address());
    saver.SetActive(false);
    EXPECT_TRUE(saver.IsHeldOff());
    EXPECT_TRUE(holds(service, 1));
    saver.SetActive(false);
    saver.SetActive(false);
    QTest::qWait(200);
    EXPECT_EQ(service.inhibitions(), 1); // one hold, not a stack of them
    saver.SetActive(true);
    EXPECT_FALSE(saver.IsHeldOff());
    EXPECT_TRUE(holds(service, 0));
    saver.SetActive(true);
    saver.SetActive(false);
    EXPECT_TRUE(holds(service, 1));
    // Switched on again before the service answered: the hold it gives is let go.
    saver.SetActive(true);
    saver.SetActive(false);
    saver.SetActive(true);
    EXPECT_TRUE(holds(service, 0));
    QTest::qWait(300);
    EXPECT_EQ(service.inhibitions(), 0);
}

TEST_F(ScreenSaverTest, AServiceThatNeverAnswersOrAFrozenBusCostsNothing) {
    test::ScreenSaverStandIn silent(bus.address(), false);
    for (int i = 0; i < 3; ++i) {
        expectQuick(saver, false);
        expectQuick(saver, true);
    }
    bus.freeze(true);
    for (int i = 0; i < 3; ++i) {
        expectQuick(saver, false);
        expectQuick(saver, true);
    }
    bus.freeze(false);
}

TEST_F(ScreenSaverTest, WithoutAServiceNothingHappensAndNothingFails) {
    saver.SetActive(false);
    EXPECT_TRUE(saver.IsHeldOff());
    saver.SetActive(true);
    EXPECT_FALSE(saver.IsHeldOff());
}

TEST(ScreenSaverWithoutBus, NothingHappensAndNothingFails) {
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quarn-test-bus");
    ScreenSaver saver;
    saver.SetActive(false);
    saver.SetActive(true);
    EXPECT_FALSE(saver.IsHeldOff());
}
