// The feature handlers: what each tells the video pipeline and the IA library, in which order, and what it
// returns; the hidden features; the day/night records.
#include <string.h>

#include "ControllerFixture.h"

namespace {

typedef ISensorController SC;

// IA calls and notifications merged in the order they happened: "ia:<cmd>=<value>", "video:<key>=<value>".
std::vector<std::string> events(const RecordingVideoModule& p_video) {
    std::vector<std::string> vec;
    auto notes = p_video.notes();
    auto calls = iasim::calls();
    size_t n = 0;
    for (size_t i = 0; i <= calls.size(); ++i) {
        for (; n < notes.size() && notes[n].nIaCallsBefore == i; ++n) {
            vec.push_back("video:" + std::to_string(notes[n].nKey) + "=" + std::to_string(notes[n].nValue));
        }
        if (i < calls.size())
            vec.push_back("ia:" + std::to_string(calls[i].nCmd) + "=" + std::to_string(calls[i].value()));
    }
    return vec;
}

struct HandlerCase {
    const char* szName;
    u32 nKey;
    u32 nValue;
    int nVideoFail;  // result of the key's own notification (0: accepted)
    int nIaFail;     // result of the IA set (0: accepted)
    std::vector<std::string> vecEvents;
    int nResult;
};

std::ostream& operator<<(std::ostream& os, const HandlerCase& c) {
    return os << c.szName;
}

class FeatureHandler : public ControllerTest, public ::testing::WithParamInterface<HandlerCase> {};

TEST_P(FeatureHandler, CallsInOrderAndResult) {
    const HandlerCase& tc = GetParam();
    auto c = make();
    if (tc.nVideoFail != 0) m_video.failKey(static_cast<int>(tc.nKey), tc.nVideoFail);
    if (tc.nIaFail != 0) iasim::failCommand(static_cast<int>(tc.nKey), IA_CMD_OPT_SET, tc.nIaFail);
    u32 v = tc.nValue;
    EXPECT_EQ(TA::dispatch(*c, tc.nKey, IA_CMD_OPT_SET, &v), tc.nResult);
    EXPECT_EQ(events(m_video), tc.vecEvents);
    EXPECT_EQ(v, tc.nValue);  // shown features leave the value as it was
    for (const Notification& n : m_video.notes()) EXPECT_EQ(n.nChannel, 1);
}

const std::vector<std::string> WDR_EVENTS = {"video:2370=0", "video:2368=2", "ia:2368=2", "video:2370=1"};

INSTANTIATE_TEST_SUITE_P(
    Table, FeatureHandler,
    ::testing::Values(HandlerCase{"wdr", 2368, 2, 0, 0, WDR_EVENTS, 0},
                      // The mode's notification decides the result, not the IA library.
                      HandlerCase{"wdr_ia_rejects", 2368, 2, 0, -1, WDR_EVENTS, 0},
                      HandlerCase{"wdr_video_rejects", 2368, 2, -7, 0, WDR_EVENTS, -7},
                      HandlerCase{"image_adjust", 2436, 5, 0, 0, {"ia:2436=5", "video:2436=5"}, 0},
                      HandlerCase{"image_adjust_ia_rejects", 2432, 1, 0, -1, {"ia:2432=1", "video:2432=1"}, 0},
                      HandlerCase{"image_adjust_video_rejects", 2439, 9, -3, 0, {"ia:2439=9", "video:2439=9"}, -3},
                      HandlerCase{"debug_param", 190, 4, 0, 0, {"video:190=4"}, 0},
                      HandlerCase{"debug_param_video_rejects", 193, 4, -2, 0, {"video:193=4"}, 0},
                      HandlerCase{"fisheye", 2386, 1, 0, 0, {"video:2386=1"}, 0},
                      HandlerCase{"fisheye_video_rejects", 2386, 1, -2, 0, {"video:2386=1"}, -2},
                      HandlerCase{"stabilisation", 2416, 1, 0, 0, {"video:2416=1", "ia:2416=1"}, 0},
                      HandlerCase{"stabilisation_ia_rejects", 2416, 1, 0, -4, {"video:2416=1", "ia:2416=1"}, -4},
                      HandlerCase{"stabilisation_video_rejects", 2416, 1, -2, 0, {"video:2416=1", "ia:2416=1"}, 0},
                      HandlerCase{"panorama", 9102, 30, 0, 0, {"video:9102=30"}, 0},
                      HandlerCase{"mixstream", 8105, 2, 0, 0, {"video:8105=2"}, 0},
                      HandlerCase{"panorama_video_rejects", 9001, 1, -2, 0, {"video:9001=1"}, 0},
                      HandlerCase{"mirror", 2384, 3, 0, 0, {"video:2384=3", "ia:2384=3"}, 0},
                      HandlerCase{"mirror_ia_rejects", 2384, 3, 0, -1, {"video:2384=3", "ia:2384=3"}, -1},
                      HandlerCase{"mirror_video_rejects", 2384, 3, -2, 0, {"video:2384=3", "ia:2384=3"}, 0},
                      HandlerCase{"beaway", 2385, 1, 0, 0, {"video:2385=1", "ia:2385=1"}, 0},
                      HandlerCase{"beaway_ia_rejects", 2385, 1, 0, -5, {"video:2385=1", "ia:2385=1"}, -5},
                      HandlerCase{"beaway_video_rejects", 2385, 1, -2, 0, {"video:2385=1", "ia:2385=1"}, 0}),
    [](const ::testing::TestParamInfo<HandlerCase>& info) { return std::string(info.param.szName); });

// The reports of a failed notification or IA call name the failed condition; the handler goes on.
struct ReportCase {
    u32 nKey;
    bool bFailVideo;
    const char* szCondition;
};

class HandlerReport : public ControllerTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(HandlerReport, NamesTheFailedCondition) {
    const ReportCase& tc = GetParam();
    auto c = make();
    if (tc.bFailVideo)
        m_video.failKey(static_cast<int>(tc.nKey), -2);
    else
        iasim::failCommand(static_cast<int>(tc.nKey), IA_CMD_OPT_SET, -1);
    testsupport::StdoutCapture cap;
    cap.start();
    u32 v = 1;
    TA::dispatch(*c, tc.nKey, IA_CMD_OPT_SET, &v);
    std::string out = cap.stop();
    EXPECT_NE(out.find(std::string(tc.szCondition) + "   ~~~Assertion failed."), std::string::npos) << out;
    size_t nReports = 0;
    for (size_t p = out.find("[sensor assert]"); p != std::string::npos; p = out.find("[sensor assert]", p + 1)) {
        ++nReports;
    }
    EXPECT_EQ(nReports, 1u) << out;
}

INSTANTIATE_TEST_SUITE_P(Table, HandlerReport,
                         ::testing::Values(ReportCase{2368, false, "SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)"},
                                           ReportCase{2436, false, "SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal)"},
                                           ReportCase{2416, true,
                                                      "SNS_SUCCESS == notifyToVideo(p_nKey, *(u32*)p_pVal)"},
                                           ReportCase{9000, true, "SNS_SUCCESS == notifyToVideo(nKey, nVal)"},
                                           ReportCase{2384, true, "SNS_SUCCESS == notifyToVideo(p_nKey, nMirror)"},
                                           ReportCase{2385, true, "SNS_SUCCESS == notifyToVideo(p_nKey, nBeaway)"}));

TEST_F(ControllerTest, HiddenWdrIsStoredAsOffWithoutAnyCall) {
    auto c = make();
    TA::setShowWDR(*c, false);
    EXPECT_EQ(c->setParameter(2368, 2, true), 0);
    EXPECT_TRUE(iasim::calls().empty());
    EXPECT_TRUE(m_video.notes().empty());
    EXPECT_EQ(cached(*c, 0, 2368), 0u);
}

// The beaway flag is process-wide: another channel's controller hiding it hides it here too.
TEST_F(ControllerTest, BeawayHiddenByAnyChannelIsStoredAsOff) {
    auto c = make();
    ISensorController other;
    setshowBeawayFalg(false);
    EXPECT_EQ(c->setParameter(2385, 1, true), 0);
    EXPECT_TRUE(iasim::calls().empty());
    EXPECT_TRUE(m_video.notes().empty());
    EXPECT_EQ(cached(*c, 0, 2385), 0u);
}

TEST_F(ControllerTest, NoVideoModuleMeansEveryNotificationSucceeds) {
    auto c = make();
    c->setVideoStreamModule(nullptr);
    u32 v = 1;
    EXPECT_EQ(TA::dispatch(*c, 2386, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(TA::dispatch(*c, 9004, IA_CMD_OPT_SET, &v), 0);
    EXPECT_TRUE(iasim::calls().empty());
    v = 2;
    EXPECT_EQ(TA::dispatch(*c, 2368, IA_CMD_OPT_SET, &v), 0);
    ASSERT_EQ(iasim::calls(2368).size(), 1u);
    EXPECT_EQ(iasim::calls(2368)[0].value(), 2u);
}

TEST_F(ControllerTest, NotificationsNameTheChannel) {
    auto c = make(1);
    c->setChannelID(3);
    EXPECT_EQ(TA::notifyToVideo(*c, 2384, 1), 0);
    // A thermal-only camera is channel 2 to the controller, channel 1 to the pipeline.
    auto t = make(13);
    t->setVideoStreamModule(&m_video);
    t->setChannelID(1);
    EXPECT_EQ(TA::cameraID(*t), 2);
    EXPECT_EQ(TA::notifyToVideo(*t, 2384, 1), 0);
    auto notes = m_video.notes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].nChannel, 3);
    EXPECT_EQ(notes[1].nChannel, 1);
}

struct DnThrCase {
    u32 nKey;
    u32 nValue;
    dn_thr_st stExpected;
};

class DayNightThresholds : public ControllerTest, public ::testing::WithParamInterface<DnThrCase> {};

// The current scheme stores 145 = 20, 146 = 60, 154 = 3.
TEST_P(DayNightThresholds, CombineTheStoredValues) {
    const DnThrCase& tc = GetParam();
    auto c = make();
    u32 v = tc.nValue;
    EXPECT_EQ(TA::dispatch(*c, tc.nKey, IA_CMD_OPT_SET, &v), 0);
    auto log = iasim::calls(static_cast<int>(tc.nKey));
    ASSERT_EQ(log.size(), 1u);
    dn_thr_st st;
    ASSERT_TRUE(log[0].record(st));
    EXPECT_EQ(st.d2n_thr, tc.stExpected.d2n_thr);
    EXPECT_EQ(st.n2d_thr, tc.stExpected.n2d_thr);
    EXPECT_EQ(st.dn_sensitivity, tc.stExpected.dn_sensitivity);
    EXPECT_TRUE(m_video.notes().empty());
}

INSTANTIATE_TEST_SUITE_P(Table, DayNightThresholds,
                         ::testing::Values(DnThrCase{145, 30, {30, 60, 0}}, DnThrCase{146, 70, {20, 70, 0}},
                                           DnThrCase{154, 5, {0, 0, 5}}));

struct DnTimeCase {
    u32 nKey;
    u32 nValue;
    dn_time_st stExpected;
};

class DayNightTimes : public ControllerTest, public ::testing::WithParamInterface<DnTimeCase> {};

// The current scheme stores 149..152 = 18, 0, 6, 30.
TEST_P(DayNightTimes, CombineTheStoredValues) {
    const DnTimeCase& tc = GetParam();
    auto c = make();
    u32 v = tc.nValue;
    EXPECT_EQ(TA::dispatch(*c, tc.nKey, IA_CMD_OPT_SET, &v), 0);
    auto log = iasim::calls(static_cast<int>(tc.nKey));
    ASSERT_EQ(log.size(), 1u);
    dn_time_st st;
    ASSERT_TRUE(log[0].record(st));
    EXPECT_EQ(memcmp(&st, &tc.stExpected, sizeof(st)), 0)
        << st.d2n_hour << " " << st.d2n_min << " " << st.n2d_hour << " " << st.n2d_min;
}

INSTANTIATE_TEST_SUITE_P(Table, DayNightTimes,
                         ::testing::Values(DnTimeCase{152, 15, {18, 0, 6, 15}}, DnTimeCase{149, 7, {7, 0, 6, 30}},
                                           DnTimeCase{150, 45, {18, 45, 6, 30}}, DnTimeCase{151, 5, {18, 0, 5, 30}}));

TEST_F(ControllerTest, DayNightRecordFieldsMissingFromTheSchemeAreZero) {
    ISensorController c;
    c.setVideoStreamModule(&m_video);
    TA::install(c, 4, {{8000, 0}, {8001, 0}, {8002, 0}, {8003, 24}, {8004, 0}, {149, 18}});
    iasim::clearCalls();
    u32 v = 30;
    EXPECT_EQ(TA::dispatch(c, 145, IA_CMD_OPT_SET, &v), 0);
    EXPECT_EQ(TA::dispatch(c, 152, IA_CMD_OPT_SET, &v), 0);
    dn_thr_st stThr;
    ASSERT_TRUE(iasim::calls(145).at(0).record(stThr));
    EXPECT_EQ(stThr.n2d_thr, 0u);
    EXPECT_EQ(stThr.dn_sensitivity, 0u);
    dn_time_st stTime;
    ASSERT_TRUE(iasim::calls(152).at(0).record(stTime));
    EXPECT_EQ(stTime.d2n_hour, 18u);
    EXPECT_EQ(stTime.d2n_min, 0u);
    EXPECT_EQ(stTime.n2d_hour, 0u);
    EXPECT_EQ(stTime.n2d_min, 30u);
}

TEST_F(ControllerTest, RejectedThresholdFailsExceptWhileRestoring) {
    auto c = make();
    iasim::failCommand(146, IA_CMD_OPT_SET, -1);
    u32 v = 50;
    EXPECT_EQ(TA::dispatch(*c, 146, IA_CMD_OPT_SET, &v), -1);
    TA::setStatus(*c, SC::STATUS_RESTORE);
    EXPECT_EQ(TA::dispatch(*c, 146, IA_CMD_OPT_SET, &v), 0);
    // The day/night times have no such exception.
    iasim::failCommand(150, IA_CMD_OPT_SET, -1);
    EXPECT_EQ(TA::dispatch(*c, 150, IA_CMD_OPT_SET, &v), -1);
}

TEST_F(ControllerTest, DayNightRecordLinesAtLevelSix) {
    auto c = make();
    testsupport::setDebugSign(m_root, "6");
    testsupport::StdoutCapture cap;
    cap.start();
    u32 v = 30;
    TA::dispatch(*c, 145, IA_CMD_OPT_SET, &v);
    v = 15;
    TA::dispatch(*c, 152, IA_CMD_OPT_SET, &v);
    std::string out = cap.stop();
    EXPECT_NE(out.find("m_nCurScheme(0) dn_thr_st.d2n_thr(30) dn_thr_st.n2d_thr(60)  dn_thr_st.dn_sensitivity(0)\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("m_nCurScheme(0) dn_time_st.d2n_hour(18) dn_time_st.d2n_min(0) dn_time_st.n2d_hour(6) "
                       "dn_time_st.n2d_min(15) \n"),
              std::string::npos)
        << out;
}

}  // namespace
