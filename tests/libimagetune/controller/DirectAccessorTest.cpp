// The direct IA commands of the named accessors, each against its own row: the command, the option, the
// channel it addresses and the value it sends or returns, as the IA library receives them. Nothing is cached.
#include <string.h>

#include <functional>

#include "ControllerFixture.h"

namespace {

typedef ISensorController C;

enum Check {
    SENDS_ARGUMENT,   // a set: the argument goes out as the value
    SENDS_ONE,        // a set of the fixed step 1
    RETURNS_VALUE,    // a get: the IA library's current value comes back
    RETURNS_NONZERO,  // a get read as a flag: nonzero is 1
    RECORD,           // a record of its own (its content: AccessorTest)
};

struct DirectCase {
    const char* szOperation;
    int nCmd;
    int nOpt;
    Check eCheck;
    // Calls the accessor: a set sends p_nVal, a get writes what it read into p_nVal.
    std::function<bool(C&, u32& p_nVal)> fnCall;
};

// Out-parameters of the getters, as 32-bit values.
template <typename T>
std::function<bool(C&, u32&)> getter(bool (C::*pfnGet)(T&)) {
    return [pfnGet](C& c, u32& v) {
        T nOut = T();
        bool bOk = (c.*pfnGet)(nOut);
        v = static_cast<u32>(nOut);
        return bOk;
    };
}
std::function<bool(C&, u32&)> setter(bool (C::*pfnSet)(int)) {
    return [pfnSet](C& c, u32& v) { return (c.*pfnSet)(static_cast<int>(v)); };
}

const int CMD_EXEC_STATUS_OF = 1539;  // any command: getCmdExecStatus asks about the command it is given

const std::vector<DirectCase>& directCases() {
    static const std::vector<DirectCase> s_vecCases = {
        {"zoomIn", 1569, IA_CMD_OPT_SET, SENDS_ONE, [](C& c, u32&) { return c.zoomIn(); }},
        {"zoomOut", 1570, IA_CMD_OPT_SET, SENDS_ONE, [](C& c, u32&) { return c.zoomOut(); }},
        {"setZoomValue", 1568, IA_CMD_OPT_SET, SENDS_ARGUMENT, setter(&C::setZoomValue)},
        {"getZoomValue", 1568, IA_CMD_OPT_GET, RETURNS_VALUE,
         [](C& c, u32& v) {
             int nPos = 0;
             int nRatio = 0;
             bool bOk = c.getZoomValue(nPos, nRatio);
             v = static_cast<u32>(nPos);
             return bOk;
         }},
        {"setPTZRunState", 1632, IA_CMD_OPT_SET, SENDS_ARGUMENT, setter(&C::setPTZRunState)},
        {"setFocusValue", 1552, IA_CMD_OPT_SET, SENDS_ARGUMENT, setter(&C::setFocusValue)},
        {"getFocusValue", 1552, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getFocusValue)},
        {"setFocusMode", 1536, IA_CMD_OPT_SET, SENDS_ARGUMENT, setter(&C::setFocusMode)},
        {"getFocusMode", 1536, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getFocusMode)},
        {"getFocus", 1603, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getFocus)},
        {"getAFStatistic", 1648, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getAFStatistic)},
        {"setDNState", 153, IA_CMD_OPT_SET, SENDS_ARGUMENT, setter(&C::setDNState)},
        {"getDNState", 153, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getDNState)},
        {"getWDR", 2368, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getWDR)},
        {"setExposureStrategy", 225, IA_CMD_OPT_SET, SENDS_ARGUMENT,
         [](C& c, u32& v) {
             int nVal = static_cast<int>(v);
             return c.setExposureStrategy(nVal);
         }},
        {"getCmdExecStatus", CMD_EXEC_STATUS_OF, IA_CMD_OPT_GET_EXEC_STATUS, RECORD,
         [](C& c, u32& v) {
             int nStatus = -1;
             bool bOk = c.getCmdExecStatus(CMD_EXEC_STATUS_OF, nStatus);
             v = static_cast<u32>(nStatus);
             return bOk;
         }},
        {"getCameraVerInf", 2496, IA_CMD_OPT_GET, RECORD,
         [](C& c, u32&) {
             std::string strVersion;
             return c.getCameraVerInf(strVersion);
         }},
        {"getIRSwitch", 160, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getIRSwitch)},
        {"getWhiteSwitch", 168, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getWhiteSwitch)},
        {"getWhiteMode", 169, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getWhiteMode)},
        {"getLightType", 224, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getLightType)},
        {"getIrisValue", 82, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getIrisValue)},
        {"getHeatStatus", 1606, IA_CMD_OPT_GET, RETURNS_NONZERO, getter(&C::getHeatStatus)},
        {"getTempValue", 1607, IA_CMD_OPT_GET, RETURNS_VALUE, getter(&C::getTempValue)},
        {"setIrLedInfo", 178, IA_CMD_OPT_SET, RECORD,
         [](C& c, u32&) {
             ia_ir_led_info_st stLeds = {2, 940, 1000, {0, 0, 0, 0, 0}};
             return c.setIrLedInfo(&stLeds);
         }},
        {"getAutoExposureInfo", 17, IA_CMD_OPT_GET, RECORD,
         [](C& c, u32&) {
             int nA = 0, nB = 0, nC = 0;
             return c.getAutoExposureInfo(nA, nB, nC);
         }},
    };
    return s_vecCases;
}

const int CHANNEL = 3;  // the IA library counts from 0: channel 3 is its 2

TEST_F(ControllerTest, DirectAccessorsSendTheirOwnCommandAndOption) {
    auto c = make();
    c->setChannelID(CHANNEL);
    const std::vector<KeyVal> vecScheme = smallScheme();
    for (const DirectCase& t : directCases()) {
        SCOPED_TRACE(t.szOperation);
        // A value of its own per command, unlike any default.
        const u32 nValue = 7000 + static_cast<u32>(t.nCmd);
        if (t.eCheck == RETURNS_VALUE || t.eCheck == RETURNS_NONZERO) iasim::setValue(CHANNEL - 1, t.nCmd, nValue);
        iasim::clearCalls();

        u32 nVal = nValue;
        EXPECT_TRUE(t.fnCall(*c, nVal));
        const std::vector<iasim::IaCall> vecCalls = iasim::calls();
        ASSERT_EQ(vecCalls.size(), 1u);
        EXPECT_EQ(vecCalls[0].nChannel, CHANNEL - 1);
        EXPECT_EQ(vecCalls[0].nCmd, t.nCmd);
        EXPECT_EQ(vecCalls[0].nOpt, t.nOpt);
        switch (t.eCheck) {
            case SENDS_ARGUMENT:
                EXPECT_EQ(vecCalls[0].value(), nValue);
                break;
            case SENDS_ONE:
                EXPECT_EQ(vecCalls[0].value(), 1u);
                break;
            case RETURNS_VALUE:
                EXPECT_EQ(nVal, nValue);
                break;
            case RETURNS_NONZERO:
                EXPECT_EQ(nVal, 1u);
                break;
            case RECORD:
                break;
        }
        // Nothing of it reaches the schemes.
        for (u32 s = 0; s <= 4; ++s) {
            EXPECT_EQ(memcmp(TA::scheme(*c, s), vecScheme.data(), sizeof(KeyVal) * vecScheme.size()), 0) << s;
        }

        // A refused command is a false result.
        iasim::failCommand(t.nCmd, t.nOpt, -1);
        EXPECT_FALSE(t.fnCall(*c, nVal));
        iasim::clearFailures();
    }
}

}  // namespace
