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

    test::PrivateBus bus;
    ScreenSaver saver;
};

TEST_F(ScreenSaverTest, HoldingOffInhibitsOnceAndSwitchingOnReleases) {
    test::ScreenSaverStandIn service(bus.address());
    saver.SetActive(false);
    EXPECT_TRUE(saver.IsHeldOff());
    EXPECT_EQ(service.inhibitions(), 1);
    saver.SetActive(false);
    saver.SetActive(false);
    EXPECT_EQ(service.inhibitions(), 1); // one hold, not a stack of them
    saver.SetActive(true);
    EXPECT_FALSE(saver.IsHeldOff());
    EXPECT_EQ(service.inhibitions(), 0);
    saver.SetActive(true);
    EXPECT_EQ(service.inhibitions(), 0);
    saver.SetActive(false);
    EXPECT_EQ(service.inhibitions(), 1);
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
