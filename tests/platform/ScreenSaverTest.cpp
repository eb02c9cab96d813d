#include "platform/ScreenSaver.h"
#include "support/PrivateBus.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;
using platform::ScreenSaver;

// Each case runs in a process of its own, so each gets a fresh bus.
class ScreenSaverTest : public ::testing::Test {
protected:
    void SetUp() override { bus.becomeSessionBus(); }
    void TearDown() override { saver.SetActive(true); }

    bool holds(const test::ScreenSaverStandIn& service, int count) {
        return QTest::qWaitFor([&] { return service.inhibitions() == count; }, 3000);
    }

    test::PrivateBus bus;
    ScreenSaver saver;
};

TEST_F(ScreenSaverTest, HoldingOffInhibitsOnceAndASwitchBackBeforeTheAnswerLetsTheHoldGo) {
    test::ScreenSaverStandIn service(bus.address());
    saver.SetActive(false);
    saver.SetActive(false);
    EXPECT_TRUE(saver.IsHeldOff());
    EXPECT_TRUE(holds(service, 1));
    QTest::qWait(200);
    EXPECT_EQ(service.inhibitions(), 1); // one hold, not a stack of them
    // Switched on again before the service answered: the hold it gives is let go.
    saver.SetActive(true);
    saver.SetActive(false);
    saver.SetActive(true);
    EXPECT_FALSE(saver.IsHeldOff());
    EXPECT_TRUE(holds(service, 0));
    QTest::qWait(300);
    EXPECT_EQ(service.inhibitions(), 0);
}

TEST_F(ScreenSaverTest, WithoutAServiceTheAskingEndsAndAServiceThatComesLaterIsAsked) {
    saver.SetActive(false); // refused on both of the service's paths
    QTest::qWait(500);
    saver.SetActive(true);
    test::ScreenSaverStandIn service(bus.address());
    saver.SetActive(false);
    EXPECT_TRUE(holds(service, 1));
}
