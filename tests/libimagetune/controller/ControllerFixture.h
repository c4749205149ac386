// What the controller tests share: a temporary device root, a clean IA simulator, a video module that records
// what it is told, and a controller with a small installed scheme set.
#ifndef IMAGETUNE_TESTS_CONTROLLERFIXTURE_H
#define IMAGETUNE_TESTS_CONTROLLERFIXTURE_H

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ControllerTestAccess.h"
#include "ISensorController.h"
#include "IaSimControl.h"
#include "TestSupport.h"
#include "ia_ctrl.h"

// One notification, with the number of IA calls made before it (to check the order of the two).
struct Notification {
    int nChannel;
    int nKey;
    int nValue;
    size_t nIaCallsBefore;
    bool operator==(const Notification& o) const {
        return nChannel == o.nChannel && nKey == o.nKey && nValue == o.nValue;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Notification& n) {
    return os << "{ch " << n.nChannel << ", key " << n.nKey << ", val " << n.nValue << "}";
}

class RecordingVideoModule : public VideoStreamModule {
public:
    int notifySensorParam(int nChannel, int nKey, int nValue) const override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_vecNotes.push_back({nChannel, nKey, nValue, iasim::calls().size()});
        auto it = m_mapResults.find(nKey);
        return it == m_mapResults.end() ? 0 : it->second;
    }
    int isBusy() const override { return 0; }
    int getFisheyeRotate(int, int* pnValue) const override {
        if (pnValue) *pnValue = 0;
        return 0;
    }
    int getAVStreamParams(std::vector<AVStreamParam>&) const override { return 0; }
    int getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam&) const override { return 0; }

    // Notifications of this key answer p_nResult from now on.
    void failKey(int p_nKey, int p_nResult) { m_mapResults[p_nKey] = p_nResult; }
    std::vector<Notification> notes() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_vecNotes;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_vecNotes.clear();
    }

private:
    mutable std::mutex m_mutex;
    mutable std::vector<Notification> m_vecNotes;
    std::map<int, int> m_mapResults;
};

typedef ISensorControllerTestAccess TA;

// The keys the write-path and handler tests touch, with the scheme header in front as init lays it out.
inline std::vector<KeyVal> smallScheme() {
    return {
        {8000, 0}, {8001, 0},   {8002, 0}, {8003, 24}, {8004, 0},  // scheme header
        {34, 50},  {2337, 128}, {224, 0},                          // brightness, saturation, light type
        {161, 1},  {168, 1},    {171, 1},  {175, 1},               // IR / white mode and twins
        {163, 10}, {200, 10},   {165, 10}, {201, 10},  {167, 10}, {202, 10}, {144, 0}, {145, 20}, {146, 60},
        {154, 3},                                      // day/night mode and thresholds
        {149, 18}, {150, 0},    {151, 6},  {152, 30},  // day/night times
        {2368, 0}, {2385, 0},   {2384, 0}, {2416, 0},  {8201, 0}, {8217, 0}, {10, 0},  {11, 0},   {13, 0},
    };
}

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        iasim::reset();
        setshowBeawayFalg(true);
        setshowFisheyeRotateFlag(true);
    }
    void TearDown() override { iasim::reset(); }

    // A controller of the given device type (0: no machine information) with smallScheme() installed.
    std::unique_ptr<ISensorController> make(int p_nDeviceType = 1, u32 p_nSchemeSum = 4) {
        if (p_nDeviceType != 0) {
            m_root.write("/mnt/mtd/code/factory_setting/machineinfo.ini",
                         "deviceType=" + std::to_string(p_nDeviceType) + "\nhardwareModel=X\nhardwareCode=Y\n");
        }
        std::unique_ptr<ISensorController> c(new ISensorController());
        c->setVideoStreamModule(&m_video);
        TA::install(*c, p_nSchemeSum, smallScheme());
        iasim::clearCalls();
        return c;
    }

    u32 cached(ISensorController& c, u32 p_nScheme, u32 p_nKey) {
        u32 v = 0xDEADBEEF;
        c.getKeyValFromCache(p_nScheme, p_nKey, v);
        return v;
    }

    testsupport::TempDeviceRoot m_root;
    RecordingVideoModule m_video;
};

#endif
