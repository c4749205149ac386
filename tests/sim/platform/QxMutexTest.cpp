// QxMutex: exclusion, and the loud failure of a self-deadlock in error-checking builds.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "QxMutex.h"
#include "SimControl.h"
#include "TestSupport.h"

namespace {

TEST(QxMutex, ExcludesOtherThreads) {
    QxMutex mutex;
    long nCounter = 0;  // plain on purpose: only the mutex protects it (TSan checks)
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < 4; ++t) {
        vecThreads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                mutex.Lock(__FILE__, __LINE__);
                ++nCounter;
                mutex.Unlock(__FILE__, __LINE__);
            }
        });
    }
    for (std::thread& th : vecThreads) th.join();
    EXPECT_EQ(20000, nCounter);
}

class QxMutexDeath : public ::testing::Test {
protected:
    void SetUp() override {
        if (!qxsim::mutexErrorCheck()) GTEST_SKIP() << "release build: plain mutex";
        testsupport::useReexecDeathTestStyle();
    }
};

TEST_F(QxMutexDeath, SelfRelockAbortsNamingBothPlaces) {
    EXPECT_DEATH(
        {
            QxMutex mutex;
            mutex.Lock("first.cpp", 11);
            mutex.Lock("second.cpp", 22);
        },
        "self-deadlock: second.cpp:22 .* took at first.cpp:11");
}

TEST_F(QxMutexDeath, UnlockWithoutHoldingAborts) {
    EXPECT_DEATH(
        {
            QxMutex mutex;
            mutex.Unlock("here.cpp", 7);
        },
        "Unlock .*here.cpp:7");
}

}  // namespace
