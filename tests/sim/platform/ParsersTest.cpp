// The machine-information file and the module configuration document.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "TestSupport.h"

namespace {

const char* const kMachineInfo = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char* const kModuleConfig = "/hd1/moduleConfig/moduleConfig.xml";

struct MachineCase {
    const char* szName;
    std::string strContent;
    bool bOk;
    int nType;
    const char* szModel;
    const char* szCode;
};

const MachineCase kMachineCases[] = {
    {"full file with comments, sections and blanks",
     "# factory data\n[machine]\n\n  deviceType = 13  \nhardwareModel=Hi3516AV200\nhardwareCode= Hi3516AV200Thermal\n",
     true, 13, "Hi3516AV200", "Hi3516AV200Thermal"},
    {"CRLF lines", "deviceType=4\r\nhardwareModel=M\r\nhardwareCode=C\r\n", true, 4, "M", "C"},
    {"no line end, model and code absent keep theirs", "deviceType=9", true, 9, "old-model", "old-code"},
    {"later line wins", "deviceType=1\ndeviceType=22\n", true, 22, "old-model", "old-code"},
    {"UTF-8 byte order mark",
     "\xEF\xBB\xBF"
     "deviceType=1\n",
     true, 1, "old-model", "old-code"},
    {"unknown keys and lines without '=' are ignored", "vendor=x\nnoise\ndeviceType=18\n", true, 18, "old-model",
     "old-code"},
    {"deviceType missing", "hardwareModel=M\nhardwareCode=C\n", false, 0, nullptr, nullptr},
    {"deviceType commented out", "#deviceType=1\nhardwareModel=M\n", false, 0, nullptr, nullptr},
    {"deviceType not a number", "deviceType=abc\nhardwareModel=M\n", false, 0, nullptr, nullptr},
    {"deviceType with trailing text", "deviceType=12abc\n", false, 0, nullptr, nullptr},
    {"deviceType empty", "deviceType=\n", false, 0, nullptr, nullptr},
    {"deviceType too large", "deviceType=99999999999\n", false, 0, nullptr, nullptr},
    {"a later bad deviceType wins too", "deviceType=1\ndeviceType=x\n", false, 0, nullptr, nullptr},
    {"empty file", "", false, 0, nullptr, nullptr},
    {"binary garbage", std::string("\x00\xff\x01=\x02\n\x7f", 7), false, 0, nullptr, nullptr},
};

TEST(MachineInfoParser, ReadsKeyValueLinesOrLeavesTheInfoAlone) {
    for (const MachineCase& c : kMachineCases) {
        SCOPED_TRACE(c.szName);
        testsupport::TempDeviceRoot root;
        root.write(kMachineInfo, c.strContent);
        MachineInfo info;
        info.setDeviceType(-7);
        info.setHardwareModel("old-model");
        info.setHardwareCode("old-code");
        EXPECT_EQ(c.bOk, SystemInfoParser::parseMachineInfo(kMachineInfo, info));
        EXPECT_EQ(c.bOk ? c.nType : -7, info.getDeviceType());
        EXPECT_EQ(c.bOk ? c.szModel : "old-model", info.getHardwareModel());
        EXPECT_EQ(c.bOk ? c.szCode : "old-code", info.getHardwareCode());
    }
}

TEST(MachineInfoParser, MissingFileOrFolderFails) {
    testsupport::TempDeviceRoot root;
    MachineInfo info;
    EXPECT_EQ(0, info.getDeviceType());
    EXPECT_FALSE(SystemInfoParser::parseMachineInfo(kMachineInfo, info));
    testsupport::makeDirs(root.host(kMachineInfo));
    EXPECT_FALSE(SystemInfoParser::parseMachineInfo(kMachineInfo, info)) << "a folder is no file";
    EXPECT_EQ(0, info.getDeviceType());
    EXPECT_EQ("", info.getHardwareModel());
}

const char* const kDocument = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<moduleConfig>
  <!-- two boards -->
  <hardware model="Hi3516AV200" code="Hi3516AV200Thermal">
    <module id="7" detail="(max_scheme=4)(isInfrared=17)" parameters="p7"/>
    <module id="3"/>
    <module detail="no id: skipped"/>
    <module id="x5" detail="bad id: skipped"/>
    <other id="9"/>
  </hardware>
  <hardware model="Hi3516AV200" code="Other">
    <module id="100" detail="wrong code"/>
  </hardware>
  <hardware model="Hi3516AV200" code="Hi3516AV200Thermal">
    <module id="8" detail="second block" parameters="p8"/>
  </hardware>
</moduleConfig>
)xml";

TEST(ModuleConfigureParser, AppendsTheMatchingHardwaresModulesInOrder) {
    testsupport::TempDeviceRoot root;
    root.write(kModuleConfig, kDocument);
    std::vector<ModuleConfigure> vecModules(1);  // appended to, not replaced
    vecModules[0].setModuleId(-1);
    ASSERT_TRUE(ModuleConfigureParser::parse(kModuleConfig, "Hi3516AV200", "Hi3516AV200Thermal", vecModules));
    ASSERT_EQ(4u, vecModules.size());
    EXPECT_EQ(-1, vecModules[0].getModuleId());
    EXPECT_EQ(7, vecModules[1].getModuleId());
    EXPECT_EQ("(max_scheme=4)(isInfrared=17)", vecModules[1].getDetail());
    EXPECT_EQ("p7", vecModules[1].getParameters());
    EXPECT_EQ(3, vecModules[2].getModuleId());
    EXPECT_EQ("", vecModules[2].getDetail());
    EXPECT_EQ("", vecModules[2].getParameters());
    EXPECT_EQ(8, vecModules[3].getModuleId());
    EXPECT_EQ("second block", vecModules[3].getDetail());

    std::vector<ModuleConfigure> vecNone;
    EXPECT_TRUE(ModuleConfigureParser::parse(kModuleConfig, "Hi3516AV200", "Nothing", vecNone));
    EXPECT_TRUE(vecNone.empty());
}

struct BadDocCase {
    const char* szName;
    const char* szContent;  // null: no file
};

TEST(ModuleConfigureParser, FailsOnMissingOrInvalidDocuments) {
    const BadDocCase kCases[] = {
        {"missing file", nullptr},
        {"empty file", ""},
        {"garbage", "this is not xml at all"},
        {"unclosed", "<moduleConfig><hardware model=\"M\" code=\"C\"><module id=\"1\"/>"},
        {"other root", "<config><hardware model=\"M\" code=\"C\"><module id=\"1\"/></hardware></config>"},
    };
    for (const BadDocCase& c : kCases) {
        SCOPED_TRACE(c.szName);
        testsupport::TempDeviceRoot root;
        if (c.szContent != nullptr) root.write(kModuleConfig, c.szContent);
        std::vector<ModuleConfigure> vecModules;
        EXPECT_FALSE(ModuleConfigureParser::parse(kModuleConfig, "M", "C", vecModules));
        EXPECT_TRUE(vecModules.empty());
    }
}

}  // namespace
