// The controllable clock: frozen local time, wait scale (also for waits in progress), the environment default.
#include <gtest/gtest.h>
#include <time.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <thread>

#include "QuorixTime.h"
#include "QxDeviceTime.h"
#include "SimControl.h"
#include "TestSupport.h"

namespace {

class SimClock : public ::testing::Test {
protected:
    void TearDown() override {
        qxsim::useRealTime();
        qxsim::setWaitScale(1.0);
    }
    static struct tm realNow() {
        time_t t = time(nullptr);
        struct tm tmNow;
        localtime_r(&t, &tmNow);
        return tmNow;
    }
};

struct TimeCase {
    int nHour, nMinute;
    int nExpectHour, nExpectMinute;
};

const TimeCase kTimeCases[] = {
    {8, 0, 8, 0},     {17, 59, 17, 59}, {0, 0, 0, 0},
    {23, 59, 23, 59}, {23, 61, 0, 1},  // minutes carry, hours wrap like a clock
    {0, -1, 23, 59},  {25, 0, 1, 0},    {-1, 30, 23, 30},
};

TEST_F(SimClock, SetLocalTimeFreezesHourAndMinuteOnToday) {
    for (const TimeCase& c : kTimeCases) {
        qxsim::setLocalTime(c.nHour, c.nMinute);
        struct tm tmBefore = realNow();
        QxLocalTime stTime = QxDeviceTime::getCurrentTime();
        struct tm tmAfter = realNow();
        EXPECT_EQ(c.nExpectHour, stTime.hour) << c.nHour << ":" << c.nMinute;
        EXPECT_EQ(c.nExpectMinute, stTime.minute) << c.nHour << ":" << c.nMinute;
        EXPECT_EQ(0, stTime.second);
        bool bToday = (stTime.day == tmBefore.tm_mday || stTime.day == tmAfter.tm_mday) &&
                      stTime.year == tmAfter.tm_year + 1900 && stTime.month >= 1 && stTime.month <= 12;
        EXPECT_TRUE(bToday);
    }
}

TEST_F(SimClock, RealTimeFollowsTheSystemClock) {
    qxsim::setLocalTime(3, 3);
    qxsim::useRealTime();
    struct tm tmBefore = realNow();
    QxLocalTime stTime = QxDeviceTime::getCurrentTime();
    struct tm tmAfter = realNow();
    int nMinute = stTime.hour * 60 + stTime.minute;
    EXPECT_TRUE(nMinute == tmBefore.tm_hour * 60 + tmBefore.tm_min || nMinute == tmAfter.tm_hour * 60 + tmAfter.tm_min);
    EXPECT_EQ(tmAfter.tm_wday, stTime.dayOfWeek);
    EXPECT_LT(stTime.milliseconds, 1000);
}

TEST_F(SimClock, ScaleZeroReturnsAtOnce) {
    qxsim::setWaitScale(0);
    QuorixTime::wait(QuorixTime(3600, 0));  // would hang the test otherwise
    QuorixTime::wait(QuorixTime(-5, -5));
    SUCCEED();
}

TEST_F(SimClock, ChangingTheScaleReleasesAWaitInProgress) {
    qxsim::setWaitScale(1.0);
    std::thread waiter([] { QuorixTime::wait(QuorixTime(3600, 0)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    qxsim::setWaitScale(0);
    waiter.join();  // an hour's wait ends as soon as the scale is 0
}

struct ScaleCase {
    double dSet;
    double dExpect;
};

TEST_F(SimClock, ScaleClampsNegativeAndIgnoresNonFinite) {
    const double kInf = std::numeric_limits<double>::infinity();
    const ScaleCase kCases[] = {
        {0.5, 0.5}, {0, 0}, {-3, 0}, {2.5, 2.5}, {std::nan(""), 2.5}, {kInf, 2.5}, {-kInf, 2.5},
    };
    for (const ScaleCase& c : kCases) {
        qxsim::setWaitScale(c.dSet);
        EXPECT_EQ(c.dExpect, qxsim::getWaitScale()) << "after setting " << c.dSet;
    }
}

struct EnvCase {
    const char* szValue;
    double dExpect;
};

// The environment is read at the first use of the scale: each row runs in a fresh process.
TEST(SimClockEnvironment, InitialScaleComesFromTheEnvironment) {
    if (!testsupport::canReexecTestBinary()) GTEST_SKIP() << "needs a fresh process per case";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const EnvCase kCases[] = {{"0.25", 0.25}, {"0", 0}, {"-2", 0}, {"abc", 1}, {"1e-3", 1e-3}, {"", 1}, {"2x", 1}};
    for (const EnvCase& c : kCases) {
        ::setenv("IMAGETUNE_WAIT_SCALE", c.szValue, 1);
        EXPECT_EXIT(std::exit(qxsim::getWaitScale() == c.dExpect ? 0 : 1), ::testing::ExitedWithCode(0), "")
            << "IMAGETUNE_WAIT_SCALE=" << c.szValue;
    }
    ::unsetenv("IMAGETUNE_WAIT_SCALE");
}

}  // namespace
