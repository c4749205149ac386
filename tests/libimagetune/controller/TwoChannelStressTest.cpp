// Two channels of one process under traffic at once: application threads on each write, read, ask for the
// UI style, flip the process-wide display flags and send field-of-view requests (the request pair that
// channel 1's thread serves), while both background threads switch schemes by the day/night state, channel
// 1 is reset to the factory values and channel 2 is shut down and started again. Built for ThreadSanitizer:
// it must report nothing, nothing may deadlock, and afterwards each channel must be running with the values
// in force that its current scheme holds. Every scheme file on the flash, whenever it is looked at during the
// traffic and afterwards, must be whole: the channel's keys in order, each value the factory's or one that
// some caller of that channel wrote.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ControllerTestAccess.h"
#include "InitTestDevice.h"

namespace {

using TA = ISensorControllerTestAccess;

const auto kTrafficTime = std::chrono::seconds(3);
const auto kDeadlockLimit = std::chrono::seconds(120);
const int kAppThreadsPerChannel = 2;
const int kLifecycleCycles = 6;
const double kPassWaitScale = 0.002;  // a thread pass every 2 ms
const int KEY_BRIGHTNESS = 34;
const int KEY_SATURATION = 2337;
const int KEY_SYNC_FOV = 8104;
const u32 KEY_SCHEME_MODE = 8000;

// Values each channel writes: a channel's IA values must never show the other's.
int writtenValue(int p_nChannel, unsigned p_nStep) {
    return p_nChannel * 1000 + static_cast<int>(p_nStep % 100);
}
bool writtenBy(int p_nChannel, u32 p_nValue) {
    return p_nValue >= static_cast<u32>(p_nChannel * 1000) && p_nValue < static_cast<u32>(p_nChannel * 1000 + 100);
}

// The whole file as one open sees it; false when there is none.
bool readIfPresent(const std::string& p_strHostPath, std::string& p_strBytes) {
    std::ifstream objIn(p_strHostPath, std::ios::binary);
    if (!objIn.is_open()) return false;
    std::ostringstream objOut;
    objOut << objIn.rdbuf();
    p_strBytes = objOut.str();
    return true;
}

class TwoChannelStress : public InitTest {
protected:
    void TearDown() override {
        iasim::setLogging(true);
        InitTest::TearDown();
    }

    // Fails the test and ends the process when the traffic has not finished in time: a deadlock.
    void watchdog(std::atomic<bool>& p_bDone) {
        const auto tLimit = std::chrono::steady_clock::now() + kDeadlockLimit;
        while (!p_bDone.load()) {
            if (std::chrono::steady_clock::now() > tLimit) {
                std::fprintf(stderr, "two-channel traffic still running after %lld s: deadlock\n",
                             static_cast<long long>(kDeadlockLimit.count()));
                std::abort();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // What is wrong with a channel's scheme file as read now; empty when it is whole and holds only values
    // some caller could have put there. A file missing during a reset is not wrong.
    std::string wrongInSchemeFile(int p_nChannel, int p_nScheme, bool p_bMustExist) const {
        const std::string strFile = schemePath(p_nChannel, p_nScheme);
        std::string strBytes;
        if (!readIfPresent(m_root.host(strFile), strBytes))
            return p_bMustExist ? strFile + " is missing" : std::string();
        const std::vector<KeyVal> vecLayout = smallStyleFactory(2);
        if (strBytes.size() != sizeof(KeyVal) * vecLayout.size())
            return strFile + " holds " + std::to_string(strBytes.size()) + " bytes";
        for (size_t i = 0; i < vecLayout.size(); ++i) {
            KeyVal stRecord;
            std::memcpy(&stRecord, strBytes.data() + i * sizeof(KeyVal), sizeof(KeyVal));
            const u32 nKey = vecLayout[i].key;
            const bool bWritten =
                (nKey == KEY_BRIGHTNESS || nKey == KEY_SATURATION) && writtenBy(p_nChannel, stRecord.value);
            // Every file init creates starts in the fixed scheme mode.
            const bool bSchemeMode = nKey == KEY_SCHEME_MODE && stRecord.value == 0;
            if (stRecord.key != nKey || (stRecord.value != vecLayout[i].value && !bWritten && !bSchemeMode))
                return strFile + " record " + std::to_string(i) + ": (" + std::to_string(stRecord.key) + "," +
                       std::to_string(stRecord.value) + ")";
        }
        return std::string();
    }
};

TEST_F(TwoChannelStress, TrafficResetAndRestartOnTwoChannelsAtOnce) {
    seed(1, smallStyle(2));  // scheme mode 2: both threads follow the day/night state
    ISensorController& c1 = start("(lensId=3)", 1);
    ISensorController& c2 = start("(lensId=3)", 2);
    ISensorController* apChannels[] = {&c1, &c2};
    const ModuleConfigure objModule2 = [] {
        ModuleConfigure objModule;
        objModule.setModuleId(533);
        objModule.setDetail("(lensId=3)");
        return objModule;
    }();
    iasim::setLogging(false);
    qxsim::setWaitScale(kPassWaitScale);

    std::atomic<bool> bStop(false);
    std::atomic<bool> bDone(false);
    std::atomic<int> nCalls(0);
    std::atomic<int> nRequestsServed(0);
    std::mutex objFailMutex;
    std::vector<std::string> vecFailures;
    auto fail = [&](const std::string& p_str) {
        std::lock_guard<std::mutex> lock(objFailMutex);
        if (vecFailures.size() < 20) vecFailures.push_back(p_str);
    };
    std::thread objWatchdog([&] { watchdog(bDone); });

    // Day and night by turns, on both sensors, so that both threads keep switching schemes.
    std::thread objDayNight([&] {
        for (int i = 0; !bStop.load(); ++i) {
            iasim::setDayNight(0, i % 2);
            iasim::setDayNight(1, (i / 2) % 2);
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });

    // The flash as another process would see it at any moment.
    std::atomic<int> nFileLooks(0);
    std::thread objFlashReader([&] {
        while (!bStop.load()) {
            for (int nChannel = 1; nChannel <= 2; ++nChannel) {
                for (int s = 0; s < 4; ++s) {
                    const std::string strWrong = wrongInSchemeFile(nChannel, s, false);
                    if (!strWrong.empty()) fail(strWrong);
                    nFileLooks.fetch_add(1);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    // Channel 1 goes back to the factory values; channel 2 is shut down and started again.
    std::thread objLifecycle([&] {
        for (int i = 0; i < kLifecycleCycles && !bStop.load(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            if (i % 2 == 0) {
                if (!c1.resetParameters()) fail("resetParameters returned false");
            } else {
                c2.uinit();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                if (!c2.init(objModule2)) fail("init returned false");
            }
        }
    });

    const auto tEnd = std::chrono::steady_clock::now() + kTrafficTime;
    std::vector<std::thread> vecApps;
    for (int nChannel = 1; nChannel <= 2; ++nChannel) {
        for (int t = 0; t < kAppThreadsPerChannel; ++t) {
            vecApps.emplace_back([&, nChannel, t] {
                ISensorController& c = *apChannels[nChannel - 1];
                std::mt19937 objRandom(static_cast<unsigned>(nChannel * 10 + t));
                for (unsigned nStep = 0; std::chrono::steady_clock::now() < tEnd; ++nStep) {
                    nCalls.fetch_add(1);
                    const unsigned nOp = objRandom() % 100;
                    if (nOp < 35) {
                        c.setParameter(KEY_BRIGHTNESS, writtenValue(nChannel, nStep), true);
                    } else if (nOp < 55) {
                        int nVal = -1;
                        c.getParameter(KEY_BRIGHTNESS, nVal);
                        std::string strOut;
                        c.getParameters("(34,2337)", strOut);
                    } else if (nOp < 65) {
                        std::string strStyle = c.getUIStyleFile();
                        std::string strAll;
                        c.getAllParameters(strAll);
                    } else if (nOp < 75) {
                        c.setShowBeawayFalg(objRandom() % 2 == 0);
                        setshowFisheyeRotateFlag(objRandom() % 2 == 0);
                        bool bShow = false;
                        c.getShowBeawayFalg(bShow);
                    } else if (nOp < 85) {
                        // Either channel may ask; channel 1's thread serves it.
                        c.setParameter(KEY_SYNC_FOV, 1, false);
                        if (ISensorController::m_nChanneldDosomething.load() == -1) nRequestsServed.fetch_add(1);
                    } else if (nOp < 95) {
                        int nScheme = -1;
                        c.getParamScheme(nScheme);
                        c.setParameter(KEY_SATURATION, writtenValue(nChannel, nStep), true);
                    } else {
                        c.flush();
                    }
                }
            });
        }
    }
    for (std::thread& objApp : vecApps) objApp.join();
    bStop.store(true);
    objLifecycle.join();
    objDayNight.join();
    objFlashReader.join();

    // Quiet: the request pair settles once channel 1's thread has served the last request.
    for (int i = 0; i < 2000 && ISensorController::m_nChanneldDosomething.load() != -1; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), -1) << "a field-of-view request was never served";
    EXPECT_EQ(ISensorController::m_nPassKeycmd.load(), -1);
    ASSERT_TRUE(TA::thread(c1).stop());
    ASSERT_TRUE(TA::thread(c2).stop());
    bDone.store(true);
    objWatchdog.join();
    qxsim::setWaitScale(0);
    std::printf("calls %d, scheme files looked at %d\n", nCalls.load(), nFileLooks.load());
    EXPECT_GT(nFileLooks.load(), 0);

    for (const std::string& str : vecFailures) ADD_FAILURE() << str;
    for (int nChannel = 1; nChannel <= 2; ++nChannel) {
        ISensorController& c = *apChannels[nChannel - 1];
        SCOPED_TRACE("channel " + std::to_string(nChannel));
        EXPECT_TRUE(c.getSensorStatus());
        const int nCur = TA::curScheme(c);
        ASSERT_GE(nCur, 0);
        ASSERT_LE(nCur, 4);
        EXPECT_EQ(TA::status(c) & ISensorController::STATUS_BUSY_OR_INIT_MASK, 0);
        // What the sensor holds is what the current scheme says, and no value of the other channel.
        for (int nKey : {KEY_BRIGHTNESS, KEY_SATURATION}) {
            u32 nCached = 0;
            ASSERT_GE(c.getKeyValFromCache(static_cast<u32>(nCur), static_cast<u32>(nKey), nCached), 0);
            const u32 nSensor = iasim::value(nChannel - 1, nKey);
            EXPECT_EQ(nSensor, nCached) << "key " << nKey;
            EXPECT_FALSE(writtenBy(3 - nChannel, nSensor)) << "key " << nKey << " holds the other channel's value";
        }
        ASSERT_EQ(smallStyleFactory(2).size(), TA::keyValSum(c));
        for (int s = 0; s < 4; ++s) EXPECT_EQ("", wrongInSchemeFile(nChannel, s, true));
    }
}

}  // namespace
