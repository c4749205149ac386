// What the scheme and sensor-thread tests share: a controller whose four user schemes differ in a few values
// and windows, a frozen clock with waits that return at once, and readers of the IA call log.
#ifndef IMAGETUNE_TESTS_SCHEMETESTFIXTURE_H
#define IMAGETUNE_TESTS_SCHEMETESTFIXTURE_H

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ControllerFixture.h"
#include "SimControl.h"
#include "ia_ctrl.h"

const u32 KEY_BRIGHTNESS = 34;
const u32 KEY_SATURATION = 2337;
const u32 KEY_DN_MODE = 144;
const u32 CMD_ZOOM_VALUE = 1568;

// Brightness and the day/night mode of each user scheme (and the factory slot, index 4); everything else is
// the same in every scheme.
const u32 SCHEME_BRIGHTNESS[] = {50, 51, 52, 53, 54};
const u32 SCHEME_DN_MODE[] = {0, 2, 1, 1, 0};

class SchemeTest : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        qxsim::setWaitScale(0);
        qxsim::setLocalTime(12, 0);
        ISensorController::m_nPassKeycmd = -1;
        ISensorController::m_nChanneldDosomething = -1;
    }
    void TearDown() override {
        ISensorController::m_nPassKeycmd = -1;
        ISensorController::m_nChanneldDosomething = -1;
        qxsim::useRealTime();
        qxsim::setWaitScale(1);
        ControllerTest::TearDown();
    }

    // smallScheme() in every slot, then the per-scheme values above; no window matches anywhere.
    std::unique_ptr<ISensorController> makeSchemes(int p_nDeviceType = 1) {
        auto c = make(p_nDeviceType, 4);
        for (u32 s = 0; s <= 4; ++s) {
            c->setKeyValToCache(s, KEY_BRIGHTNESS, SCHEME_BRIGHTNESS[s], true);
            c->setKeyValToCache(s, KEY_DN_MODE, SCHEME_DN_MODE[s], true);
            setWindow(*c, s, 0, 0, 0, 0);
        }
        TA::installLprScratch(*c);
        // Every config folder exists on a camera.
        testsupport::makeDirs(m_root.host("/mnt/mtd/code/config_file"));
        iasim::clearCalls();
        return c;
    }

    // The scheme mode as init would find it: stored in every user scheme, and the flags set from scheme 0.
    static void setSchemeMode(ISensorController& c, u32 p_nMode) {
        for (u32 s = 0; s < 4; ++s) c.setKeyValToCache(s, 8000, p_nMode, true);
        TA::setSchemeModes(c, p_nMode == 1, p_nMode == 2);
    }

    static void setWindow(ISensorController& c, u32 s, u32 p_nStartH, u32 p_nStartM, u32 p_nEndH, u32 p_nEndM) {
        KeyVal* a = TA::scheme(c, s);
        a[1].value = p_nStartH;
        a[2].value = p_nStartM;
        a[3].value = p_nEndH;
        a[4].value = p_nEndM;
    }

    // The values sent with a set of the command, oldest first.
    static std::vector<u32> sent(int p_nCmd) {
        std::vector<u32> vec;
        for (const iasim::IaCall& call : iasim::calls(p_nCmd)) {
            if (call.nOpt == IA_CMD_OPT_SET) vec.push_back(call.value());
        }
        return vec;
    }
    // Every command that received a set.
    static std::set<int> setCommands() {
        std::set<int> set;
        for (const iasim::IaCall& call : iasim::calls()) {
            if (call.nOpt == IA_CMD_OPT_SET) set.insert(call.nCmd);
        }
        return set;
    }
    static size_t setCount() {
        size_t n = 0;
        for (const iasim::IaCall& call : iasim::calls()) n += call.nOpt == IA_CMD_OPT_SET ? 1 : 0;
        return n;
    }
};

#endif
