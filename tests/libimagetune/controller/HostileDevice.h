// A camera whose user has saved every scheme, for starts on a hostile flash and RAM disk: a box-family device
// whose style-diversity document adds a tab for its module (a start without it has another layout) and a dome
// family of another layout (which a start without machine information takes).
#ifndef IMAGETUNE_TESTS_HOSTILEDEVICE_H
#define IMAGETUNE_TESTS_HOSTILEDEVICE_H

#include <string>
#include <vector>

#include "HangWatchdog.h"
#include "InitTestDevice.h"

inline const char* const kStyle = "/hd1/moduleConfig/sensorConfig/style/Style.xml";
inline const char* const kDiversity = "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml";
inline const char* const kMachineInfo = "/mnt/mtd/code/factory_setting/machineinfo.ini";
inline const char* const kMergedStyle = "/tmp/merge_style_ch1.xml";
inline const int KEY_BRIGHTNESS = 34;

// The dome family's style: another layout, with brightness among its keys.
inline std::string domeStyle() {
    return "<Style>\n"
           " <tab key=\"scheme\">\n"
           "  <p id=\"8000\" value=\"0\"/><p id=\"8001\" value=\"0\"/><p id=\"8002\" value=\"0\"/>"
           "<p id=\"8003\" value=\"24\"/><p id=\"8004\" value=\"0\"/>\n"
           " </tab>\n"
           " <tab key=\"image\"><p id=\"34\" value=\"45\"/><p id=\"96\" value=\"0\"/></tab>\n"
           "</Style>\n";
}

// An edit for the module of start(): one more tab, so that a start without it has another layout.
inline const char* const kDiversityAddingATab =
    "<s lensId=\"3\"><AddAfter tab_key=\"image\"><tab key=\"extra\"><p id=\"2416\" "
    "value=\"0\"/></tab></AddAfter></s>\n";
inline const u32 KEY_ADDED = 2416;

class HostileStart : public InitTest {
protected:
    void SetUp() override {
        InitTest::SetUp();
        repair();
        m_root.write("/hd1/moduleConfig/sensorConfig/style/Style_dome.xml", domeStyle());
        m_root.write("/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_dome.xml", "<StyleDiversity/>\n");
    }

    // A normal start in which the user saves every scheme with a brightness of its own; the files as saved.
    std::vector<std::string> saveUserSchemes() {
        ISensorController& c = start();
        for (int s = 0; s < 4; ++s) {
            EXPECT_TRUE(c.setParamScheme(s));
            EXPECT_EQ(0, c.setParameter(KEY_BRIGHTNESS, userBrightness(s), true));
            EXPECT_EQ(0, c.flush());
        }
        c.setParamScheme(0);
        c.uinit();
        return storedSchemes();
    }
    std::vector<std::string> storedSchemes() const {
        std::vector<std::string> vecFiles;
        for (int s = 0; s < 4; ++s)
            vecFiles.push_back(m_root.exists(schemePath(1, s)) ? m_root.read(schemePath(1, s)) : "");
        return vecFiles;
    }
    static int userBrightness(int p_nScheme) { return 70 + p_nScheme; }

    // The documents of a normal start again, whatever stood in their place.
    void repair() {
        for (const char* szPath : {kStyle, kDiversity, kMachineInfo}) testsupport::removeTree(m_root.host(szPath));
        seed(1);
        m_root.write(kDiversity, kDiversityAddingATab);
    }

    // A normal start must find every scheme as the user saved it.
    void expectUserSchemes() {
        ISensorController& c = start();
        for (int s = 0; s < 4; ++s) {
            ASSERT_TRUE(c.setParamScheme(s));
            int nVal = -1;
            ASSERT_TRUE(c.getParameter(KEY_BRIGHTNESS, nVal));
            EXPECT_EQ(userBrightness(s), nVal) << "scheme " << s;
        }
        c.uinit();
    }

    HangWatchdog m_objWatchdog;
};

#endif
