// GThread: before/body/after order, stop waits for the pass in progress, restart, stop from the body,
// destructor, thread name, concurrent start/stop; and the stepping mode of SimControl.h.
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "Function.h"
#include "GThread.h"
#include "PlatformTestUtil.h"
#include "SimControl.h"

namespace {

using platformtest::waitUntil;

class Probe {
public:
    std::atomic<int> nBefore{0}, nAfter{0}, nStarted{0}, nDone{0}, nViolations{0};
    std::atomic<bool> bGateOpen{true};  // a pass waits while it is closed
    std::atomic<int> nStopAtPass{-1};   // the body stops its own thread in this pass
    std::atomic<bool> bRestartAfterOwnStop{false};
    GThread* pThread = nullptr;
    std::string strThreadName;   // written by the first pass, read after stop()
    std::thread::id idLastPass;  // the thread of the latest pass

    int before() {
        if (nBefore.load() != nAfter.load()) ++nViolations;  // a run began before the last one ended
        ++nBefore;
        return 0;
    }
    int body() {
        if (nBefore.load() != nAfter.load() + 1) ++nViolations;
        int nPass = ++nStarted;
        idLastPass = std::this_thread::get_id();
        if (nPass == 1) {
            char szName[32] = {};
            pthread_getname_np(pthread_self(), szName, sizeof szName);
            strThreadName = szName;
        }
        if (nPass == nStopAtPass.load()) {
            EXPECT_TRUE(pThread->stop());
            if (bRestartAfterOwnStop.load()) {
                EXPECT_TRUE(pThread->start());
            }
        }
        while (!bGateOpen.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ++nDone;
        return 0;
    }
    int after() {
        if (nStarted.load() != nDone.load()) ++nViolations;  // "after" while a pass still runs
        ++nAfter;
        return 0;
    }
};

function<int> bind(Probe* p_pProbe, int (Probe::*p_pfn)()) {
    return function<int>(new function_obj<int, bind_funcobj0<int, Probe>>(bind_funcobj0<int, Probe>(p_pfn, p_pProbe)));
}

std::unique_ptr<GThread> makeThread(Probe& p_probe, const std::string& p_strName = "TestThread") {
    std::unique_ptr<GThread> pThread(new GThread(bind(&p_probe, &Probe::body), p_strName,
                                                 bind(&p_probe, &Probe::before), bind(&p_probe, &Probe::after)));
    p_probe.pThread = pThread.get();
    return pThread;
}

TEST(GThread, RunsBeforeOnceThenPassesThenAfterOnce) {
    Probe probe;
    std::unique_ptr<GThread> pThread = makeThread(probe);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(0, probe.nBefore.load()) << "construction does not start";
    EXPECT_FALSE(pThread->isRunning());

    ASSERT_TRUE(pThread->start());
    EXPECT_TRUE(pThread->isRunning());
    EXPECT_TRUE(pThread->start()) << "starting a started thread succeeds";
    ASSERT_TRUE(waitUntil([&] { return probe.nDone.load() >= 3; }));
    ASSERT_TRUE(pThread->stop());

    EXPECT_FALSE(pThread->isRunning());
    EXPECT_EQ(1, probe.nBefore.load());
    EXPECT_EQ(1, probe.nAfter.load());
    EXPECT_EQ(probe.nStarted.load(), probe.nDone.load());
    int nPasses = probe.nStarted.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(nPasses, probe.nStarted.load()) << "no pass after stop()";
    EXPECT_EQ(0, probe.nViolations.load());
}

TEST(GThread, StopReturnsOnlyAfterThePassInProgress) {
    Probe probe;
    std::unique_ptr<GThread> pThread = makeThread(probe);
    probe.bGateOpen = false;
    ASSERT_TRUE(pThread->start());
    ASSERT_TRUE(waitUntil([&] { return probe.nStarted.load() >= 1; }));

    std::atomic<bool> bStopped{false};
    std::thread stopper([&] {
        EXPECT_TRUE(pThread->stop());
        bStopped = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(bStopped.load()) << "stop() returned while the body was inside its pass";
    probe.bGateOpen = true;
    stopper.join();
    EXPECT_EQ(probe.nStarted.load(), probe.nDone.load());
    EXPECT_EQ(1, probe.nAfter.load());
    EXPECT_EQ(0, probe.nViolations.load());
}

TEST(GThread, StartsAgainAfterStop) {
    Probe probe;
    std::unique_ptr<GThread> pThread = makeThread(probe);
    EXPECT_TRUE(pThread->stop()) << "stopping a thread never started succeeds";
    for (int nRun = 1; nRun <= 3; ++nRun) {
        int nBeforeRun = probe.nDone.load();
        ASSERT_TRUE(pThread->start());
        ASSERT_TRUE(waitUntil([&] { return probe.nDone.load() > nBeforeRun; }));
        ASSERT_TRUE(pThread->stop());
        EXPECT_EQ(nRun, probe.nBefore.load());
        EXPECT_EQ(nRun, probe.nAfter.load());
    }
    EXPECT_EQ(0, probe.nViolations.load());
}

struct OwnStopCase {
    const char* szName;
    bool bRestart;  // the body calls start() right after its own stop()
};

TEST(GThread, StopFromTheBodyEndsAfterThatPassWithoutDeadlock) {
    for (const OwnStopCase& c : {OwnStopCase{"stop", false}, OwnStopCase{"stop then start", true}}) {
        SCOPED_TRACE(c.szName);
        Probe probe;
        std::unique_ptr<GThread> pThread = makeThread(probe);
        probe.nStopAtPass = 3;
        probe.bRestartAfterOwnStop = c.bRestart;
        ASSERT_TRUE(pThread->start());
        ASSERT_TRUE(waitUntil([&] { return !pThread->isRunning(); }));
        EXPECT_EQ(3, probe.nStarted.load());
        EXPECT_EQ(1, probe.nAfter.load());
        EXPECT_TRUE(pThread->stop());

        probe.nStopAtPass = -1;
        ASSERT_TRUE(pThread->start()) << "a thread that stopped itself starts again";
        ASSERT_TRUE(waitUntil([&] { return probe.nDone.load() > 3; }));
        EXPECT_TRUE(pThread->stop());
        EXPECT_EQ(2, probe.nAfter.load());
        EXPECT_EQ(0, probe.nViolations.load());
    }
}

TEST(GThread, DestructorStopsAndWaits) {
    Probe probe;
    std::unique_ptr<GThread> pThread = makeThread(probe);
    ASSERT_TRUE(pThread->start());
    ASSERT_TRUE(waitUntil([&] { return probe.nDone.load() >= 1; }));
    pThread.reset();
    EXPECT_EQ(1, probe.nAfter.load());
    EXPECT_EQ(probe.nStarted.load(), probe.nDone.load());
}

TEST(GThread, ThreadCarriesTheFirstFifteenCharactersOfItsName) {
    Probe probe;
    std::unique_ptr<GThread> pThread = makeThread(probe, "SensorThreadWithALongName");
    ASSERT_TRUE(pThread->start());
    ASSERT_TRUE(waitUntil([&] { return probe.nDone.load() >= 1; }));
    ASSERT_TRUE(pThread->stop());
    EXPECT_EQ("SensorThreadWit", probe.strThreadName);
    EXPECT_EQ("SensorThreadWithALongName", pThread->getName());
}

TEST(GThread, ConcurrentStartAndStopKeepRunsPaired) {
    Probe probe;
    std::unique_ptr<GThread> pThread = makeThread(probe);
    std::vector<std::thread> vecCallers;
    for (int t = 0; t < 4; ++t) {
        vecCallers.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                if ((i + t) % 2 == 0)
                    EXPECT_TRUE(pThread->start());
                else
                    EXPECT_TRUE(pThread->stop());
            }
        });
    }
    for (std::thread& th : vecCallers) th.join();
    EXPECT_TRUE(pThread->stop());
    EXPECT_EQ(probe.nBefore.load(), probe.nAfter.load());
    EXPECT_EQ(probe.nStarted.load(), probe.nDone.load());
    EXPECT_EQ(0, probe.nViolations.load());
}

TEST(GThread, EmptyFunIsAUsableCallable) {
    EXPECT_EQ(0, GThread::emptyFun());
    function<int> fnEmpty(&GThread::emptyFun);
    GThread thread(fnEmpty, "Empty", fnEmpty, fnEmpty);
    EXPECT_TRUE(thread.start());
    EXPECT_TRUE(thread.stop());
}

// Stepping is process-wide: every test that turns it on turns it off again, whatever happens.
class Stepping : public ::testing::Test {
protected:
    void SetUp() override { qxsim::setThreadStepping(true); }
    void TearDown() override { qxsim::setThreadStepping(false); }
};

TEST_F(Stepping, AStartedThreadRunsOnePassPerStepOnItsOwnThread) {
    Probe probeA, probeB, probeIdle;
    std::unique_ptr<GThread> pA = makeThread(probeA, "StepA");
    std::unique_ptr<GThread> pB = makeThread(probeB, "StepB");
    std::unique_ptr<GThread> pIdle = makeThread(probeIdle, "StepIdle");  // never started: never stepped
    ASSERT_TRUE(pA->start());
    ASSERT_TRUE(pB->start());
    ASSERT_TRUE(waitUntil([&] { return probeA.nBefore.load() == 1 && probeB.nBefore.load() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(0, probeA.nStarted.load()) << "a pass ran without a step";

    for (int nStep = 1; nStep <= 3; ++nStep) {
        EXPECT_EQ(2, qxsim::stepThreads());
        // Done when the call returns, and exactly one pass each.
        EXPECT_EQ(nStep, probeA.nDone.load());
        EXPECT_EQ(nStep, probeB.nDone.load());
    }
    EXPECT_EQ(0, probeIdle.nStarted.load());
    EXPECT_NE(std::this_thread::get_id(), probeA.idLastPass);

    EXPECT_EQ(1, qxsim::stepThreads("StepB")) << "a named step runs that thread alone";
    EXPECT_EQ(3, probeA.nDone.load());
    EXPECT_EQ(4, probeB.nDone.load());
    EXPECT_EQ(0, qxsim::stepThreads("NoSuchThread"));

    ASSERT_TRUE(pA->stop()) << "a thread waiting for its step stops at once";
    EXPECT_EQ(1, probeA.nAfter.load());
    EXPECT_EQ(1, qxsim::stepThreads());
    EXPECT_EQ(3, probeA.nDone.load());
    ASSERT_TRUE(pA->start()) << "and starts again, still stepped";
    EXPECT_EQ(2, qxsim::stepThreads());
    EXPECT_EQ(4, probeA.nDone.load());
    EXPECT_EQ(0, probeA.nViolations.load());
    EXPECT_EQ(0, probeB.nViolations.load());
}

TEST_F(Stepping, SwitchedOffTheThreadsRunFreelyAgainAndStepsDoNothing) {
    Probe probe;
    std::unique_ptr<GThread> pThread = makeThread(probe);
    ASSERT_TRUE(pThread->start());
    EXPECT_EQ(1, qxsim::stepThreads());
    EXPECT_EQ(1, probe.nDone.load());
    qxsim::setThreadStepping(false);
    EXPECT_FALSE(qxsim::threadStepping());
    ASSERT_TRUE(waitUntil([&] { return probe.nDone.load() >= 4; }));
    EXPECT_EQ(0, qxsim::stepThreads());
    ASSERT_TRUE(pThread->stop());
    EXPECT_EQ(0, probe.nViolations.load());
}

TEST_F(Stepping, AStepWaitsForAPassThatStopsItsOwnThread) {
    Probe probe;
    std::unique_ptr<GThread> pThread = makeThread(probe);
    probe.nStopAtPass = 2;
    ASSERT_TRUE(pThread->start());
    EXPECT_EQ(1, qxsim::stepThreads());
    EXPECT_EQ(1, qxsim::stepThreads()) << "the pass that stops its thread still counts";
    ASSERT_TRUE(waitUntil([&] { return !pThread->isRunning(); }));
    EXPECT_EQ(0, qxsim::stepThreads());
    EXPECT_EQ(2, probe.nDone.load());
    EXPECT_EQ(1, probe.nAfter.load());
}

}  // namespace
