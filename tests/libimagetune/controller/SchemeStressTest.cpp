// Application threads writing, reading, choosing schemes and saving while the background thread switches
// schemes every few milliseconds by the time schedule. No two of them may ever apply keys at the same time;
// afterwards every scheme, in memory and on flash, must be one that some order of the calls could give, and
// the values in force must be the current scheme's.
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "SchemeTestFixture.h"

namespace {

const int APP_THREADS = 3;
const auto TRAFFIC_TIME = std::chrono::seconds(3);
const double PASS_WAIT_SCALE = 0.002;  // a pass every 2 ms
const u32 KEY_WDR_MODE = 2368;         // its handler tells the video module, on the thread that applies it
const u32 TRAFFIC_KEYS[] = {KEY_BRIGHTNESS, KEY_SATURATION, KEY_WDR_MODE};

// Times of day and the scheme whose window holds each.
const int HOURS[] = {3, 9, 15, 20};

u32 writtenValue(int p_nThread, u32 p_nKeyIndex, u32 p_nStep) {
    return 1000u * (p_nKeyIndex + 1) + 100u * static_cast<u32>(p_nThread) + p_nStep % 100;
}

// Counts notifications that arrive while another is still being handled: two threads applying keys at once.
// Each one lingers a little, so that an overlap cannot slip through between two quick calls.
class OverlapVideoModule : public RecordingVideoModule {
public:
    int notifySensorParam(int, int, int) const override {
        if (m_nInside.fetch_add(1) != 0) m_nOverlaps.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::microseconds(20));
        m_nInside.fetch_sub(1);
        m_nNotes.fetch_add(1);
        return 0;
    }
    int overlaps() const { return m_nOverlaps.load(); }
    int notes() const { return m_nNotes.load(); }

private:
    mutable std::atomic<int> m_nInside{0};
    mutable std::atomic<int> m_nOverlaps{0};
    mutable std::atomic<int> m_nNotes{0};
};

class SchemeStress : public SchemeTest {
protected:
    void TearDown() override {
        iasim::setLogging(true);
        SchemeTest::TearDown();
    }

    // A value a scheme may hold for the key: its own, or, in a user scheme, one an application thread wrote.
    static bool possible(u32 p_nScheme, const KeyVal& p_stPair, const KeyVal& p_stOriginal) {
        if (p_stPair.key != p_stOriginal.key) return false;
        if (p_stPair.value == p_stOriginal.value) return true;
        if (p_nScheme >= 4) return false;  // the factory scheme is never written
        for (u32 k = 0; k < 3; ++k) {
            if (TRAFFIC_KEYS[k] != p_stPair.key) continue;
            for (int t = 0; t < APP_THREADS; ++t) {
                for (u32 i = 0; i < 100; ++i) {
                    if (p_stPair.value == writtenValue(t, k, i)) return true;
                }
            }
        }
        return false;
    }
};

TEST_F(SchemeStress, ThreadSwitchesAndApplicationCallsNeverInterleave) {
    auto c = makeSchemes();
    OverlapVideoModule objVideo;
    c->setVideoStreamModule(&objVideo);
    setSchemeMode(*c, 1);
    setWindow(*c, 1, 0, 0, 6, 0);
    setWindow(*c, 2, 6, 0, 12, 0);
    setWindow(*c, 3, 12, 0, 18, 0);
    setWindow(*c, 0, 18, 0, 24, 0);
    for (u32 s = 0; s <= 4; ++s) c->setKeyValToCache(s, KEY_WDR_MODE, s, true);
    const u32 n = TA::keyValSum(*c);
    std::vector<std::vector<KeyVal>> vecOriginal;
    for (u32 s = 0; s <= 4; ++s) vecOriginal.emplace_back(TA::scheme(*c, s), TA::scheme(*c, s) + n);

    qxsim::setLocalTime(20, 0);
    ASSERT_EQ(TA::switchTo(*c, 0, true), 0);  // the values in force are scheme 0's from here on
    iasim::setLogging(false);
    qxsim::setWaitScale(PASS_WAIT_SCALE);
    ASSERT_TRUE(TA::thread(*c).start());

    std::atomic<bool> bStop(false);
    std::atomic<int> nSchemeChanges(0);
    std::atomic<int> nTornStates(0);
    std::atomic<int> nCalls(0);
    // Moves the clock through the windows and, between operations (the controller's exclusion held), checks what is in
    // force.
    std::thread objClock([&] {
        int nLast = TA::curScheme(*c);
        for (size_t i = 0; !bStop.load(); ++i) {
            qxsim::setLocalTime(HOURS[i % 4], 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(1 + i % 5));
            int nNow = 0;
            {
                auto objLock = TA::lockController(*c);
                nNow = TA::curScheme(*c);
                for (u32 nKey : TRAFFIC_KEYS) {
                    if (iasim::value(0, static_cast<int>(nKey)) != cached(*c, static_cast<u32>(nNow), nKey)) {
                        nTornStates.fetch_add(1);
                    }
                }
            }
            if (nNow != nLast) nSchemeChanges.fetch_add(1);
            nLast = nNow;
        }
    });

    std::mutex objFailMutex;
    std::vector<std::string> vecFailures;
    auto fail = [&](const std::string& p_str) {
        std::lock_guard<std::mutex> lock(objFailMutex);
        if (vecFailures.size() < 20) vecFailures.push_back(p_str);
    };
    const auto tEnd = std::chrono::steady_clock::now() + TRAFFIC_TIME;
    std::vector<std::thread> vecApps;
    for (int t = 0; t < APP_THREADS; ++t) {
        vecApps.emplace_back([&, t] {
            std::mt19937 objRandom(static_cast<unsigned>(t + 1));
            for (u32 nStep = 0; std::chrono::steady_clock::now() < tEnd; ++nStep) {
                nCalls.fetch_add(1);
                const u32 nKeyIndex = objRandom() % 3;
                const int nKey = static_cast<int>(TRAFFIC_KEYS[nKeyIndex]);
                // Saving syncs the flash: rare, so that it does not throttle the rest.
                const u32 nOp = objRandom() % 128;
                if (nOp < 48) {
                    int nRet = c->setParameter(nKey, static_cast<int>(writtenValue(t, nKeyIndex, nStep)), true);
                    if (nRet != 0) fail("setParameter returned " + std::to_string(nRet));
                } else if (nOp < 88) {
                    int nVal = -1;
                    if (!c->getParameter(nKey, nVal)) fail("getParameter failed");
                    int nScheme = -1;
                    c->getParamScheme(nScheme);
                } else if (nOp < 127) {
                    if (!c->setParamScheme(static_cast<int>(objRandom() % 4))) fail("setParamScheme failed");
                } else {
                    int nRet = c->flush();
                    if (nRet != 0) fail("flush returned " + std::to_string(nRet));
                }
            }
        });
    }
    for (std::thread& objApp : vecApps) objApp.join();
    bStop.store(true);
    objClock.join();
    ASSERT_TRUE(TA::thread(*c).stop());
    qxsim::setWaitScale(0);
    printf("calls %d, scheme changes seen %d, notifications %d\n", nCalls.load(), nSchemeChanges.load(),
           objVideo.notes());

    for (const std::string& str : vecFailures) ADD_FAILURE() << str;
    EXPECT_EQ(objVideo.overlaps(), 0);
    EXPECT_EQ(nTornStates.load(), 0);
    EXPECT_GT(nSchemeChanges.load(), 0);

    const int nCur = TA::curScheme(*c);
    ASSERT_GE(nCur, 0);
    ASSERT_LE(nCur, 3);
    for (u32 nKey : TRAFFIC_KEYS) {
        EXPECT_EQ(iasim::value(0, static_cast<int>(nKey)), cached(*c, static_cast<u32>(nCur), nKey)) << nKey;
    }
    EXPECT_EQ(TA::status(*c), 0);

    for (u32 s = 0; s <= 4; ++s) {
        const KeyVal* a = TA::scheme(*c, s);
        for (u32 i = 0; i < n; ++i) {
            EXPECT_TRUE(possible(s, a[i], vecOriginal[s][i]))
                << "scheme " << s << " record " << i << ": (" << a[i].key << "," << a[i].value << ")";
        }
    }
    for (u32 s = 0; s < 4; ++s) {
        const std::string strFile = "/mnt/mtd/code/config_file/sensor1_" + std::to_string(s) + ".cfg";
        if (!m_root.exists(strFile)) continue;
        std::string strBytes = m_root.read(strFile);
        ASSERT_EQ(strBytes.size(), sizeof(KeyVal) * n) << strFile;
        std::vector<KeyVal> vecFile(n);
        memcpy(vecFile.data(), strBytes.data(), strBytes.size());
        for (u32 i = 0; i < n; ++i) {
            EXPECT_TRUE(possible(s, vecFile[i], vecOriginal[s][i]))
                << strFile << " record " << i << ": (" << vecFile[i].key << "," << vecFile[i].value << ")";
        }
    }
}

}  // namespace
