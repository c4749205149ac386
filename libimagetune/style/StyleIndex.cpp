#include "StyleIndex.h"

#include <algorithm>

#include "StyleNumber.h"

StyleIndex::StyleIndex(TiXmlElement* p_pFirst) {
    std::vector<Pos> vecPath;  // the open ancestors of the element being visited
    TiXmlElement* pElem = p_pFirst;
    while (pElem != nullptr) {
        const Pos nPos = static_cast<Pos>(m_vecNodes.size());
        const char* szId = pElem->Attribute("id");
        Node stNode = {pElem, vecPath.empty() ? kNoParent : vecPath.back(), 0, 0, szId != nullptr, true};
        if (stNode.bHasId) {
            stNode.nId = styleAtoi(szId);
            // Inside an element of the same id it is never reached: the search handles the outer one.
            bool bNested = false;
            for (Pos nAncestor : vecPath)
                bNested = bNested || (m_vecNodes[nAncestor].bHasId && m_vecNodes[nAncestor].nId == stNode.nId);
            if (!bNested) m_vecMatches.push_back({stNode.nId, nPos});
        }
        m_vecNodes.push_back(stNode);

        TiXmlElement* pChild = pElem->FirstChildElement();
        if (pChild != nullptr) {
            vecPath.push_back(nPos);
            pElem = pChild;
            continue;
        }
        m_vecNodes[nPos].nEnd = nPos + 1;
        for (;;) {
            TiXmlElement* pNext = pElem->NextSiblingElement();
            if (pNext != nullptr) {
                pElem = pNext;
                break;
            }
            if (vecPath.empty()) {
                pElem = nullptr;
                break;
            }
            const Pos nParent = vecPath.back();
            vecPath.pop_back();
            m_vecNodes[nParent].nEnd = static_cast<Pos>(m_vecNodes.size());
            pElem = m_vecNodes[nParent].pElem;
        }
    }
    std::stable_sort(m_vecMatches.begin(), m_vecMatches.end(),
                     [](const Match& a, const Match& b) { return a.nId < b.nId; });
}

std::pair<const StyleIndex::Match*, const StyleIndex::Match*> StyleIndex::matches(int p_nId) const {
    const Match* pBegin = m_vecMatches.data();
    const Match* pEnd = pBegin + m_vecMatches.size();
    const Match* pFirst = std::lower_bound(pBegin, pEnd, p_nId, [](const Match& m, int n) { return m.nId < n; });
    const Match* pLast = pFirst;
    while (pLast != pEnd && pLast->nId == p_nId) ++pLast;
    return {pFirst, pLast};
}

bool StyleIndex::lastMatch(int p_nId, Pos& p_nPos) const {
    const std::pair<const Match*, const Match*> stRange = matches(p_nId);
    for (const Match* p = stRange.second; p != stRange.first;) {
        --p;
        if (m_vecNodes[p->nPos].bAlive) {
            p_nPos = p->nPos;
            return true;
        }
    }
    return false;
}

bool StyleIndex::remove(Pos p_nPos) {
    const Node& stNode = m_vecNodes[p_nPos];
    TiXmlNode* pParent = stNode.nParent != kNoParent ? m_vecNodes[stNode.nParent].pElem : stNode.pElem->Parent();
    TiXmlElement* pParentElem = pParent != nullptr ? pParent->ToElement() : nullptr;
    if (pParentElem == nullptr) return false;
    // Deleting the element deletes its subtree: none of it may be found again.
    for (Pos p = p_nPos; p < stNode.nEnd; ++p) m_vecNodes[p].bAlive = false;
    pParentElem->RemoveChild(stNode.pElem);
    return true;
}
