#include "platform/Threads.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

// A background thread still gets its turn on a busy machine: it is niced,
// not put in the idle class, and the rest of the program keeps its priority.
TEST(ThreadsTest, ABackgroundThreadIsNicedNotIdleAndTheOthersStayAsTheyWere) {
    const int before = getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    int policy = -1;
    int nice = 0;
    std::thread worker([&] {
        quarn::platform::MakeCurrentThreadBackground();
        policy = sched_getscheduler(0);
        nice = getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    });
    worker.join();
    EXPECT_EQ(policy, SCHED_OTHER);
    EXPECT_GE(nice, 10);
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())), before);
}
