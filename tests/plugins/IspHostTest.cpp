// The host stand-in's loader: clear failures, and no call through a record it does not hold.
#include "PluginFixture.h"

namespace plugintest {
namespace {

TEST(IspHostLoader, OperationsWithoutAPluginReturnMinusOne) {
    isphost::SensorPlugin plugin;
    unsigned g = 0;
    char text[16];
    EXPECT_FALSE(plugin.isOpen());
    EXPECT_EQ(plugin.ae(), nullptr);
    EXPECT_EQ(plugin.initAe(), -1);
    EXPECT_EQ(plugin.setFpsByPower(0), -1);
    EXPECT_EQ(plugin.reserved1(0), -1);
    EXPECT_EQ(plugin.reserved2(), -1);
    EXPECT_EQ(plugin.getInfo(text, text, text, text), -1);
    EXPECT_EQ(plugin.checkVersion("vt512ka", "b0024"), -1);
    EXPECT_EQ(plugin.setMode(0, 0, 25, 0), -1);
    EXPECT_EQ(plugin.splitGain(2048, &g, &g, &g), -1);
    plugin.close();
    plugin.close();
}

TEST(IspHostLoader, FailuresSayWhy) {
    isphost::SensorPlugin plugin;
    EXPECT_FALSE(plugin.open("/nonexistent/sensor_none.so"));
    EXPECT_NE(plugin.error().find("sensor_none.so"), std::string::npos) << plugin.error();

    // A loadable library that is not a plug-in.
    EXPECT_FALSE(plugin.open(ISP_HOST_LIBRARY_PATH));
    EXPECT_NE(plugin.error().find("no gst_sensor"), std::string::npos) << plugin.error();
    EXPECT_FALSE(plugin.isOpen());
    EXPECT_EQ(plugin.initAe(), -1);
}

TEST(IspHostLoader, OpeningAnotherPluginReplacesTheFirst) {
    isphost::SensorPlugin plugin;
    ASSERT_TRUE(plugin.open(kPlugins[0].szPath)) << plugin.error();
    ASSERT_TRUE(plugin.open(kPlugins[2].szPath)) << plugin.error();
    char platform[16], sensor[16], ident[16], build[32];
    ASSERT_EQ(plugin.getInfo(platform, sensor, ident, build), 0);
    EXPECT_STREQ(sensor, kPlugins[2].szName);
    EXPECT_TRUE(plugin.error().empty());
}

}  // namespace
}  // namespace plugintest
