#include "platform/TerminationSignals.h"

#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

// However held up the program is (here: its one thread never comes back to
// any event loop), SIGTERM, SIGINT and SIGHUP end it with status 0.
TEST(TerminationSignalsDeathTest, EachEndsTheProgramWithStatusZeroWhileItsThreadIsHeldUp) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        EXPECT_EXIT(
            {
                quarn::platform::EndOnTerminationSignals(200);
                ::raise(signal);
                for (;;) {
                    ::pause();
                }
            },
            ::testing::ExitedWithCode(0), "")
            << signal;
    }
}
