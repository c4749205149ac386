// Callers that take and release the controller's lock without pause do not starve the sensor thread: a pass
// that finds the lock taken posts its decision, the holder makes it before it releases the lock, and the
// switch has happened by the second pass. The passes are stepped, on the simulated clock.
#include <atomic>
#include <thread>
#include <vector>

#include "InitTestDevice.h"

namespace {

const u32 KEY_SCHEME_MODE = 8000;
const int KEY_BRIGHTNESS = 34;

struct PollCase {
    const char* szName;
    bool bDayNight;  // day/night scheme mode, else the time schedule
    int nPollers;
};

void PrintTo(const PollCase& p_stCase, std::ostream* p_pOut) {
    *p_pOut << p_stCase.szName;
}

class SensorThreadPolling : public InitTest, public ::testing::WithParamInterface<PollCase> {
protected:
    void SetUp() override {
        InitTest::SetUp();
        qxsim::setWaitScale(0);
        qxsim::setThreadStepping(true);
    }
    void TearDown() override {
        stopPollers();
        InitTest::TearDown();
        qxsim::setThreadStepping(false);
        qxsim::useRealTime();
    }

    void startPollers(ISensorController& p_objController, int p_nPollers) {
        for (int i = 0; i < p_nPollers; ++i) {
            m_vecPollers.emplace_back([this, &p_objController] {
                int nVal = 0;
                while (!m_bStop.load()) {
                    p_objController.getParameter(KEY_BRIGHTNESS, nVal);
                    m_nPolls.fetch_add(1);
                }
            });
        }
        // Every poller is under way before the first pass.
        while (m_nPolls.load() < 100 * p_nPollers) std::this_thread::yield();
    }
    void stopPollers() {
        m_bStop.store(true);
        for (std::thread& t : m_vecPollers) t.join();
        m_vecPollers.clear();
    }

    std::vector<std::thread> m_vecPollers;
    std::atomic<bool> m_bStop{false};
    std::atomic<long> m_nPolls{0};
};

TEST_P(SensorThreadPolling, TheSwitchHappensByTheSecondPass) {
    const PollCase& k = GetParam();
    int nWanted = 1;
    if (k.bDayNight) {
        iasim::setDayNight(0, 0);
    } else {
        // Scheme 2 rules from 10:00 to 11:00; the start is at 9:00, outside every window.
        qxsim::setLocalTime(9, 0);
        std::vector<KeyVal> vecWindow = with(with(smallStyleFactory(1), 8001, 10), 8003, 11);
        for (int s = 0; s < 4; ++s)
            writeScheme(schemePath(1, s), s == 2 ? vecWindow : with(smallStyleFactory(1), 8003, 0));
        const u32 nVersion = 8;
        m_root.write("/mnt/mtd/code/config_file/snsversion.cfg",
                     std::string(reinterpret_cast<const char*>(&nVersion), sizeof(nVersion)));
        nWanted = 2;
    }
    ISensorController& c = start();
    if (k.bDayNight) {
        ASSERT_EQ(0, c.setParameter(KEY_SCHEME_MODE, 2, true));
    }
    int nScheme = -1;
    ASSERT_TRUE(c.getParamScheme(nScheme));
    ASSERT_EQ(0, nScheme);

    startPollers(c, k.nPollers);
    if (k.bDayNight) {
        iasim::setDayNight(0, 1);
    } else {
        qxsim::setLocalTime(10, 30);
    }
    EXPECT_EQ(1, qxsim::stepThreads("SensorThread"));
    EXPECT_EQ(1, qxsim::stepThreads("SensorThread"));
    ASSERT_TRUE(c.getParamScheme(nScheme));
    EXPECT_EQ(nWanted, nScheme);
    stopPollers();
    EXPECT_GT(m_nPolls.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Callers, SensorThreadPolling,
                         ::testing::Values(PollCase{"DayNightOnePoller", true, 1},
                                           PollCase{"DayNightFourPollers", true, 4},
                                           PollCase{"TimeWindowOnePoller", false, 1},
                                           PollCase{"TimeWindowFourPollers", false, 4}),
                         [](const ::testing::TestParamInfo<PollCase>& p_info) {
                             return std::string(p_info.param.szName);
                         });

// A stop is never held up by a posted decision: uinit holds the lock while it stops the thread, and the pass
// that waits on its post gives up at once.
TEST_F(InitTest, UinitDuringAPostedPassEndsPromptly) {
    qxsim::setWaitScale(0);
    qxsim::setThreadStepping(true);
    ISensorController& c = start();
    ASSERT_EQ(0, c.setParameter(KEY_SCHEME_MODE, 2, true));
    iasim::setDayNight(0, 1);
    std::atomic<bool> bStop{false};
    std::thread objPoller([&] {
        int nVal = 0;
        while (!bStop.load()) c.getParameter(KEY_BRIGHTNESS, nVal);
    });
    std::thread objStepper([&] {
        for (int i = 0; i < 20; ++i) qxsim::stepThreads("SensorThread");
    });
    c.uinit();
    objStepper.join();
    bStop.store(true);
    objPoller.join();
    EXPECT_FALSE(c.getSensorStatus());
    qxsim::setThreadStepping(false);
}

}  // namespace
