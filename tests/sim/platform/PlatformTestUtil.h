// Helpers for the platform tests.
#ifndef IMAGETUNE_TESTS_PLATFORMTESTUTIL_H
#define IMAGETUNE_TESTS_PLATFORMTESTUTIL_H

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "QxFile.h"

namespace platformtest {

// QxFile::write takes a non-const buffer, as the platform has it; the tests write texts.
inline unsigned put(QxFile& p_objFile, std::string p_strText) {
    return p_objFile.write(&p_strText[0], static_cast<unsigned>(p_strText.size()));
}

// Sets (or, with a null value, unsets) an environment variable for the object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* p_szName, const char* p_szValue) : m_strName(p_szName) {
        const char* szOld = std::getenv(p_szName);
        m_bHadOld = szOld != nullptr;
        if (m_bHadOld) m_strOld = szOld;
        if (p_szValue != nullptr)
            ::setenv(p_szName, p_szValue, 1);
        else
            ::unsetenv(p_szName);
    }
    ~ScopedEnv() {
        if (m_bHadOld)
            ::setenv(m_strName.c_str(), m_strOld.c_str(), 1);
        else
            ::unsetenv(m_strName.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_strName;
    std::string m_strOld;
    bool m_bHadOld;
};

// Polls p_fnCond until it holds; false when it still does not after a generous bound (a hang, not a timing).
template <typename F>
bool waitUntil(F p_fnCond) {
    auto tEnd = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!p_fnCond()) {
        if (std::chrono::steady_clock::now() > tEnd) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace platformtest

#endif
