// What the route groups of the JSON API (SimApi*.cpp) share: a request as the dispatcher hands it over, the
// strict reading of its body's fields, and the answers that refuse it.
#ifndef IMAGETUNE_TOOLS_SIMAPIROUTES_H
#define IMAGETUNE_TOOLS_SIMAPIROUTES_H

#include <limits.h>

#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "SimApi.h"

struct SimApi::Call {
    int nChannel = 0;
    SimJson objBody = SimJson::object();
};

// Names of the route files alone, kept apart from the tool's other code.
namespace simapi {

inline SimApiResponse failure(int p_nStatus, const std::string& p_strError) {
    return {p_nStatus, {{"error", p_strError}}};
}

// Takes the locks of every channel, always in channel order.
inline std::vector<std::unique_lock<std::mutex>> lockEvery(std::vector<std::unique_ptr<std::mutex>>& p_vecLocks) {
    std::vector<std::unique_lock<std::mutex>> vecHeld;
    for (auto& pLock : p_vecLocks) vecHeld.emplace_back(*pLock);
    return vecHeld;
}

// The members of a request body, read strictly: the error names the first fault found.
class Fields {
public:
    Fields(const SimJson& p_objBody, const std::string& p_strWhere) : m_objBody(p_objBody), m_strWhere(p_strWhere) {}

    bool only(std::initializer_list<const char*> p_names) {
        for (auto it = m_objBody.begin(); it != m_objBody.end(); ++it) {
            bool bKnown = false;
            for (const char* szName : p_names) bKnown = bKnown || it.key() == szName;
            if (!bKnown) return fail("unknown field \"" + it.key() + "\"");
        }
        return true;
    }
    bool integer(const char* p_szName, long long p_nMin, long long p_nMax, long long& p_nValue) {
        auto it = m_objBody.find(p_szName);
        if (it == m_objBody.end()) return fail(std::string(p_szName) + " is missing");
        if (!it->is_number_integer()) return fail(std::string(p_szName) + " is not a whole number");
        bool bFits = !it->is_number_unsigned() || it->get<unsigned long long>() <= LLONG_MAX;
        long long nValue = bFits ? it->get<long long>() : 0;
        if (!bFits || nValue < p_nMin || nValue > p_nMax) {
            return fail(std::string(p_szName) + " " + it->dump() + " is outside " + std::to_string(p_nMin) + " to " +
                        std::to_string(p_nMax));
        }
        p_nValue = nValue;
        return true;
    }
    bool boolean(const char* p_szName, bool& p_bValue) {
        auto it = m_objBody.find(p_szName);
        if (it == m_objBody.end()) return true;
        if (!it->is_boolean()) return fail(std::string(p_szName) + " is not true or false");
        p_bValue = it->get<bool>();
        return true;
    }
    bool text(const char* p_szName, std::string& p_strValue) {
        auto it = m_objBody.find(p_szName);
        if (it == m_objBody.end()) return fail(std::string(p_szName) + " is missing");
        if (!it->is_string()) return fail(std::string(p_szName) + " is not a text");
        p_strValue = it->get<std::string>();
        return true;
    }
    bool array(const char* p_szName, size_t p_nMax, const SimJson*& p_pValue) {
        auto it = m_objBody.find(p_szName);
        if (it == m_objBody.end()) return fail(std::string(p_szName) + " is missing");
        if (!it->is_array() || it->empty()) return fail(std::string(p_szName) + " is not a list of one or more items");
        if (it->size() > p_nMax)
            return fail(std::string(p_szName) + " has more than " + std::to_string(p_nMax) + " items");
        p_pValue = &*it;
        return true;
    }
    bool fail(const std::string& p_strWhy) {
        if (m_strError.empty()) m_strError = m_strWhere + p_strWhy;
        return false;
    }
    SimApiResponse error() const { return failure(400, m_strError); }

private:
    const SimJson& m_objBody;
    std::string m_strWhere;
    std::string m_strError;
};

}  // namespace simapi

#endif
