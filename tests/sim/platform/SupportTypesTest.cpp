// StringHandler, the reference-count registry (also under SafePointer across threads), DeviceType.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "DeviceType.h"
#include "Function.h"
#include "RefCount.h"
#include "SafePointer.h"
#include "StringHandler.h"

namespace {

struct SplitCase {
    const char* szText;
    const char* szSep;
    std::vector<std::string> vecPieces;
};

const SplitCase kSplitCases[] = {
    {"34,2337,16", ",", {"34", "2337", "16"}},
    {"", ",", {}},
    {"abc", ",", {"abc"}},
    {"a,,b", ",", {"a", "", "b"}},  // empty pieces keep their place
    {",a,", ",", {"", "a", ""}},
    {",", ",", {"", ""}},
    {"a::b::", "::", {"a", "b", ""}},
    {"a:b", "::", {"a:b"}},
    {"abc", "", {"abc"}},
};

TEST(StringHandler, SplitGivesThePiecesBetweenSeparators) {
    for (const SplitCase& c : kSplitCases) {
        std::vector<std::string> vecPieces = {"stale"};
        StringHandler::split(c.szText, vecPieces, c.szSep);
        EXPECT_EQ(c.vecPieces, vecPieces) << "'" << c.szText << "' by '" << c.szSep << "'";
    }
}

TEST(StringHandler, Str2TypeReadsAnIntOrFails) {
    int n = -1;
    EXPECT_TRUE(StringHandler::str2type<int>("42", n));
    EXPECT_EQ(42, n);
    EXPECT_TRUE(StringHandler::str2type<int>(" -7 rest", n));
    EXPECT_EQ(-7, n);
    EXPECT_FALSE(StringHandler::str2type<int>("x1", n));
    EXPECT_FALSE(StringHandler::str2type<int>("", n));
}

TEST(DeviceType, HoldsWhatWasSet) {
    DeviceType type;
    EXPECT_EQ(0, type.getDeviceTypeId());
    type.setDeviceTypeId(DeviceType::THERMAL_DEVICE);
    EXPECT_EQ(13, type.getDeviceTypeId());
}

class RefCountTest : public ::testing::Test {
protected:
    RefCountManager* m_pManager = RefCountManager::getInstance();
    size_t m_nBaseline = 0;
    void SetUp() override { m_nBaseline = m_pManager->liveCount(); }
    void TearDown() override { EXPECT_EQ(m_nBaseline, m_pManager->liveCount()) << "a count was not handed back"; }

    // What SafePointer's destructor does for the last owner.
    void release(ref_count* p_pCount) {
        p_pCount->lock();
        if (p_pCount->dec_reference() == 0) m_pManager->returnbackRefCount(p_pCount, "T");
        p_pCount->unLock();
    }
};

TEST_F(RefCountTest, SamePointerSharesOneCountAndFreedCountsAreReused) {
    int nA = 0, nB = 0;
    ref_count* pA = m_pManager->retrieveRefCount(&nA, "T");
    ASSERT_NE(nullptr, pA);
    pA->lock();
    EXPECT_EQ(&nA, pA->getPointer());
    EXPECT_EQ(1, pA->getCount());
    pA->unLock();
    EXPECT_EQ(pA, m_pManager->retrieveRefCount(&nA, "T")) << "a live count is raised, not duplicated";
    pA->lock();
    EXPECT_EQ(2, pA->getCount());
    pA->unLock();
    EXPECT_EQ(m_nBaseline + 1, m_pManager->liveCount());

    release(pA);
    release(pA);
    EXPECT_EQ(m_nBaseline, m_pManager->liveCount());
    pA->lock();  // handed back, still valid memory
    EXPECT_EQ(nullptr, pA->getPointer());
    EXPECT_EQ(0, pA->inc_reference()) << "a count at 0 is not revived";
    pA->unLock();

    ref_count* pB = m_pManager->retrieveRefCount(&nB, "T");
    EXPECT_EQ(pA, pB) << "the returned count is reused";
    pB->lock();
    EXPECT_EQ(&nB, pB->getPointer());
    EXPECT_EQ(1, pB->getCount());
    pB->unLock();
    release(pB);

    EXPECT_EQ(nullptr, m_pManager->retrieveRefCount(nullptr, "T"));
}

TEST_F(RefCountTest, HandingBackTwiceDoesNotHandOutOneCountTwice) {
    int nA = 0, nB = 0, nC = 0;
    ref_count* pA = m_pManager->retrieveRefCount(&nA, "T");
    release(pA);
    pA->lock();
    m_pManager->returnbackRefCount(pA, "T");  // a second hand-back is ignored
    pA->unLock();
    ref_count* pB = m_pManager->retrieveRefCount(&nB, "T");
    ref_count* pC = m_pManager->retrieveRefCount(&nC, "T");
    EXPECT_NE(pB, pC);
    release(pB);
    release(pC);
}

// A target that counts its destructions.
std::atomic<int> g_nDeleted{0};
struct CountedTarget : function_obj_base<int> {
    ~CountedTarget() override { ++g_nDeleted; }
    int operator()() override { return 5; }
};

TEST_F(RefCountTest, CopiesOnManyThreadsDeleteTheTargetExactlyOnce) {
    g_nDeleted = 0;
    {
        function<int> fnShared(new CountedTarget);
        std::vector<std::thread> vecThreads;
        std::atomic<int> nCalls{0};
        for (int t = 0; t < 4; ++t) {
            vecThreads.emplace_back([&] {
                for (int i = 0; i < 2000; ++i) {
                    function<int> fnCopy(fnShared);
                    function<int> fnCopy2(fnCopy);
                    nCalls += fnCopy2() == 5 ? 1 : 0;
                }
            });
        }
        for (std::thread& th : vecThreads) th.join();
        EXPECT_EQ(8000, nCalls.load());
        EXPECT_EQ(0, g_nDeleted.load());
    }
    EXPECT_EQ(1, g_nDeleted.load());
}

TEST_F(RefCountTest, ReusedAddressesGetFreshCountsAcrossThreads) {
    // Short-lived pointers on several threads: the allocator hands the same addresses out again at once, so a
    // count must never be revived for a deleted object nor shared between two live ones.
    std::atomic<int> nBad{0};
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < 4; ++t) {
        vecThreads.emplace_back([&, t] {
            for (int i = 0; i < 3000; ++i) {
                SafePointer<int> ptr(new int(t * 100000 + i));
                SafePointer<int> copy(ptr);
                if (*copy != t * 100000 + i) ++nBad;
            }
        });
    }
    for (std::thread& th : vecThreads) th.join();
    EXPECT_EQ(0, nBad.load());
}

}  // namespace
