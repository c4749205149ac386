// The callable and its safe pointer: shared ownership, deletion by the last owner, the null reports; and the
// lock guard and the exception type they rely on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "Function.h"
#include "QxMutexManager.h"
#include "QxRuntimeError.h"
#include "SafePointer.h"
#include "TestSupport.h"

namespace {

// A target that counts its own deletions.
class CountedTarget : public function_obj_base<int> {
public:
    explicit CountedTarget(int p_nValue) : m_nValue(p_nValue) {}
    ~CountedTarget() override { ++s_nDeleted; }
    int operator()() override { return m_nValue; }
    static std::atomic<int> s_nDeleted;

private:
    int m_nValue;
};
std::atomic<int> CountedTarget::s_nDeleted{0};

int fortyTwo() {
    return 42;
}

class Counter {
public:
    virtual ~Counter() {}
    int next() { return ++m_nCalls; }
    virtual int twice() { return 2 * next(); }
    int m_nCalls = 0;
};

class Doubler : public Counter {
public:
    int twice() override { return -1; }
};

class SafePointerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CountedTarget::s_nDeleted = 0;
        m_nLiveBefore = RefCountManager::getInstance()->liveCount();
    }
    void TearDown() override { EXPECT_EQ(m_nLiveBefore, RefCountManager::getInstance()->liveCount()); }

    size_t m_nLiveBefore = 0;
};

// The report names the type as the runtime type information does.
std::string reportOf(const char* p_szText) {
    return std::string("SafePointer Report:") + typeid(function_obj_base<int>).name() + " " + p_szText;
}

TEST_F(SafePointerTest, CopiesShareOneTargetAndTheLastOwnerDeletesItOnce) {
    auto* pFirst = new function<int>(new CountedTarget(7));
    {
        function<int> objSecond(*pFirst);
        EXPECT_EQ(m_nLiveBefore + 1, RefCountManager::getInstance()->liveCount());
        delete pFirst;
        EXPECT_EQ(0, CountedTarget::s_nDeleted);
        EXPECT_EQ(7, objSecond());  // still alive through the copy
    }
    EXPECT_EQ(1, CountedTarget::s_nDeleted);
}

TEST_F(SafePointerTest, PlainFunctionAndBoundMember) {
    function<int> objPlain(&fortyTwo);
    EXPECT_EQ(42, objPlain());

    Counter objCounter;
    function<int> objBound(
        new function_obj<int, bind_funcobj0<int, Counter>>(bind_funcobj0<int, Counter>(&Counter::next, &objCounter)));
    function<int> objCopy(objBound);
    EXPECT_EQ(1, objBound());
    EXPECT_EQ(2, objCopy());  // the same bound object
    EXPECT_EQ(2, objCounter.m_nCalls);

    Doubler objDoubler;
    function<int> objVirtual(
        new function_obj<int, bind_funcobj0<int, Counter>>(bind_funcobj0<int, Counter>(&Counter::twice, &objDoubler)));
    EXPECT_EQ(-1, objVirtual());  // virtual members dispatch through the object
}

TEST_F(SafePointerTest, NullTargetsPrintTheReportAndThrow) {
    struct Row {
        const char* szWhat;
        void (*pfnRun)();
        const char* szText;
    } const aRows[] = {
        {"safe pointer from null", [] { SafePointer<function_obj_base<int>> p(nullptr); },
         "Construct from NULL original pointer"},
        {"callable from a null object", [] { function<int> f(static_cast<function_obj_base<int>*>(nullptr)); },
         "Construct from NULL <T>pointer"},
        {"callable from a null function", [] { function<int> f(static_cast<int (*)()>(nullptr)); },
         "Construct from NULL <T>pointer"},
    };
    for (const Row& stRow : aRows) {
        testsupport::StdoutCapture objCapture;
        objCapture.start();
        std::string strWhat;
        try {
            stRow.pfnRun();
        } catch (const QxRuntimeError& e) {
            strWhat = e.what();
        }
        EXPECT_EQ(reportOf(stRow.szText) + "\n", objCapture.stop()) << stRow.szWhat;
        EXPECT_EQ(reportOf(stRow.szText), strWhat) << stRow.szWhat;
    }
    // TearDown checks that nothing was registered with the manager.
}

TEST_F(SafePointerTest, CopiesMadeAndDroppedOnManyThreads) {
    {
        function<int> objShared(new CountedTarget(3));
        std::vector<std::thread> vecThreads;
        std::atomic<int> nSum{0};
        for (int t = 0; t < 4; ++t) {
            vecThreads.emplace_back([&] {
                for (int i = 0; i < 1000; ++i) {
                    function<int> objCopy(objShared);
                    nSum += objCopy();
                }
            });
        }
        for (std::thread& objThread : vecThreads) objThread.join();
        EXPECT_EQ(4 * 1000 * 3, nSum.load());
        EXPECT_EQ(0, CountedTarget::s_nDeleted);
    }
    EXPECT_EQ(1, CountedTarget::s_nDeleted);
}

TEST(QxRuntimeErrorTest, KeepsItsMessage) {
    const char* szNull = nullptr;
    EXPECT_STREQ("", QxRuntimeError(szNull).what());
    const char* szText = "boom";
    EXPECT_STREQ("boom", QxRuntimeError(szText).what());
    EXPECT_STREQ("bang", QxRuntimeError(std::string("bang")).what());
    const std::exception& e = QxRuntimeError(std::string("base"));
    EXPECT_STREQ("base", e.what());
}

TEST(QxMutexManagerTest, HoldsTheMutexForItsScope) {
    QxMutex objMutex;
    std::atomic<bool> bOtherHolds{false};
    std::thread objOther;
    {
        QX_LOCK_SCOPE(objMutex);
        objOther = std::thread([&] {
            objMutex.Lock(__FILE__, __LINE__);
            bOtherHolds = true;
            objMutex.Unlock(__FILE__, __LINE__);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(bOtherHolds.load()) << "the other thread got in while the guard held the mutex";
    }
    objOther.join();
    EXPECT_TRUE(bOtherHolds.load()) << "the guard released the mutex at the end of its scope";
}

}  // namespace
