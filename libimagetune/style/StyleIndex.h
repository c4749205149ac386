// Every element of a parsed style in document order, indexed by "id", so that the dynamic style finds the
// elements of each command without walking the whole document again. A match keeps the meaning of the
// element searches: an element whose "id" reads as the number and that lies inside no other element with
// that number. Removals go through the index, so that no later search finds an element an earlier step
// deleted.
#ifndef IMAGETUNE_STYLE_STYLEINDEX_H
#define IMAGETUNE_STYLE_STYLEINDEX_H

#include <tinyxml.h>

#include <cstdint>
#include <utility>
#include <vector>

class StyleIndex {
public:
    typedef uint32_t Pos;  // an element's place in document order

    // Indexes p_pFirst, its following siblings and all their descendants; null indexes nothing.
    explicit StyleIndex(TiXmlElement* p_pFirst);

    // Calls p_fnVisit(Pos) for each element still in the document that matches p_nId, in document order,
    // while it returns true. False when a visit stopped the walk.
    template <typename Visit>
    bool forEachMatch(int p_nId, Visit p_fnVisit) const {
        const std::pair<const Match*, const Match*> stRange = matches(p_nId);
        for (const Match* p = stRange.first; p != stRange.second; ++p)
            if (m_vecNodes[p->nPos].bAlive && !p_fnVisit(p->nPos)) return false;
        return true;
    }
    // The last element still in the document that matches p_nId; false when there is none.
    bool lastMatch(int p_nId, Pos& p_nPos) const;

    TiXmlElement* element(Pos p_nPos) const { return m_vecNodes[p_nPos].pElem; }
    // The element's child elements still in the document, in order: p_fnVisit(Pos) for each. A visit may
    // remove the child it is given.
    template <typename Visit>
    void forEachChild(Pos p_nPos, Visit p_fnVisit) {
        for (Pos c = p_nPos + 1; c < m_vecNodes[p_nPos].nEnd;) {
            const Pos nNext = m_vecNodes[c].nEnd;
            if (m_vecNodes[c].bAlive) p_fnVisit(c);
            c = nNext;
        }
    }
    // Removes the element from its parent element and deletes it, with its subtree. An element whose parent
    // is no element (a root element, whose parent is the document) stays: false.
    bool remove(Pos p_nPos);

private:
    static const Pos kNoParent = UINT32_MAX;
    struct Node {
        TiXmlElement* pElem;
        Pos nParent;
        Pos nEnd;  // one past the last element of its subtree
        int nId;
        bool bHasId;
        bool bAlive;
    };
    struct Match {
        int nId;
        Pos nPos;
    };

    std::pair<const Match*, const Match*> matches(int p_nId) const;

    std::vector<Node> m_vecNodes;
    std::vector<Match> m_vecMatches;  // by id, then in document order
};

#endif
