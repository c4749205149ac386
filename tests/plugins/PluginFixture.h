// The three plug-ins as test parameters, a fixture that loads one fresh through the ISP host stand-in, and
// raw access to the plug-in's blocks by their byte offsets in the camera's 32-bit layout.
#ifndef IMAGETUNE_TESTS_PLUGINS_PLUGINFIXTURE_H
#define IMAGETUNE_TESTS_PLUGINS_PLUGINFIXTURE_H

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "IspHost.h"

namespace plugintest {

struct PluginCase {
    const char* szName;  // sensor text, and the test name suffix
    const char* szPath;
    bool bColumnF;  // AE defaults of column F (else H)
    const char* szVersion;
    const char* szBuild;
    bool bFpsByPower;
};

// Which plug-in's data applies, and where it is built.
inline const PluginCase kPlugins[] = {
    {"sc533hai", SENSOR_SC533HAI_PATH, true, "b0024", "May 14 2025_16:56:58", true},
    {"sc835hai", SENSOR_SC835HAI_PATH, false, "b0024", "May 14 2025_16:56:57", false},
    {"sc835ai", SENSOR_SC835AI_PATH, false, "b0023", "Mar  3 2025_01:04:33", false},
};

inline std::string pluginName(const testing::TestParamInfo<PluginCase>& p_info) {
    return p_info.param.szName;
}

constexpr bool kCamera32 = sizeof(void*) == 4;

// Where a word at a 32-bit-layout offset of gst_sensor_ae lives in this build: the same place on the camera;
// on a 64-bit workstation the three table pointers are wider and shift what follows.
inline size_t aeOffset(size_t p_nOffset32) {
    if (kCamera32 || p_nOffset32 < 116) return p_nOffset32;
    if (p_nOffset32 < 128) return offsetof(sensor_ae_attr_st, expo_table) + (p_nOffset32 - 116) / 4 * sizeof(void*);
    return offsetof(sensor_ae_attr_st, word_128) + (p_nOffset32 - 128);
}

// A little-endian 32-bit word, assembled byte by byte.
inline uint32_t leWord(const void* p_pBase, size_t p_nOffset) {
    const unsigned char* b = static_cast<const unsigned char*>(p_pBase) + p_nOffset;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

inline uint32_t aeWord(const void* p_pAe, size_t p_nOffset32) {
    return leWord(p_pAe, aeOffset(p_nOffset32));
}

// A pointer-sized field of gst_sensor_ae (offsets 116, 120, 124).
inline uintptr_t aePointer(const void* p_pAe, size_t p_nOffset32) {
    if (kCamera32) return leWord(p_pAe, p_nOffset32);
    uintptr_t v = 0;
    __builtin_memcpy(&v, static_cast<const char*>(p_pAe) + aeOffset(p_nOffset32), sizeof v);
    return v;
}

// Word n (0..10) of gst_sensor: raw at 4n on the camera; the same field in natural layout elsewhere.
inline uintptr_t recordWord(const sensor_module_st* p_pRecord, int p_nWord) {
    if (kCamera32) return leWord(p_pRecord, size_t(p_nWord) * 4);
    if (p_nWord == 0) return p_pRecord->id;
    if (p_nWord == 10) return p_pRecord->reserved;
    uintptr_t v = 0;
    const char* at = reinterpret_cast<const char*>(&p_pRecord->ae_attr) + size_t(p_nWord - 1) * sizeof(void*);
    __builtin_memcpy(&v, at, sizeof v);
    return v;
}

// Loads the plug-in afresh (its static data as shipped) against a reset host.
class PluginTest : public testing::TestWithParam<PluginCase> {
protected:
    void SetUp() override {
        isphost::reset();
        ASSERT_TRUE(m_objPlugin.open(GetParam().szPath)) << m_objPlugin.error();
    }
    void TearDown() override { m_objPlugin.close(); }

    const sensor_ae_attr_st* ae() const { return m_objPlugin.ae(); }
    uint32_t word(size_t p_nOffset32) const { return aeWord(ae(), p_nOffset32); }
    uintptr_t pointer(size_t p_nOffset32) const { return aePointer(ae(), p_nOffset32); }
    // Address of exposure table n inside the block, from its 32-bit offset.
    uintptr_t tableAddress(int p_nTable) const {
        return reinterpret_cast<uintptr_t>(ae()) + aeOffset(908 + size_t(p_nTable) * 260);
    }

    isphost::SensorPlugin m_objPlugin;
};

}  // namespace plugintest

#endif
