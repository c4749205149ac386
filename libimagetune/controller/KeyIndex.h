// Positions by parameter key, open-addressed: the key-command map's rows by key, and a scheme's positions by
// key for a whole-scheme write. The first position added for a key wins, as in a scan from the start.
#ifndef IMAGETUNE_CONTROLLER_KEYINDEX_H
#define IMAGETUNE_CONTROLLER_KEYINDEX_H

#include "SensorKeyVal.h"

class KeyIndex {
public:
    // Keys it holds at the most: the table is then at most half full.
    static const u32 MAX_KEYS = 256;

    KeyIndex() { clear(); }
    void clear() {
        for (Slot& stSlot : m_astSlots) stSlot.nPos = EMPTY;
    }
    void add(u32 p_nKey, u32 p_nPos) {
        Slot& stSlot = m_astSlots[slotOf(p_nKey)];
        if (stSlot.nPos != EMPTY) return;
        stSlot.nKey = p_nKey;
        stSlot.nPos = p_nPos;
    }
    // The key's position, or -1.
    int find(u32 p_nKey) const {
        const Slot& stSlot = m_astSlots[slotOf(p_nKey)];
        return stSlot.nPos == EMPTY ? -1 : static_cast<int>(stSlot.nPos);
    }

private:
    struct Slot {
        u32 nKey;
        u32 nPos;
    };
    static const u32 SLOTS = 2 * MAX_KEYS;  // a power of two
    static const u32 EMPTY = 0xFFFFFFFFu;

    // The slot holding the key, or the empty slot where it would go.
    u32 slotOf(u32 p_nKey) const {
        u32 nSlot = (p_nKey * 2654435761u) & (SLOTS - 1);
        while (m_astSlots[nSlot].nPos != EMPTY && m_astSlots[nSlot].nKey != p_nKey) nSlot = (nSlot + 1) & (SLOTS - 1);
        return nSlot;
    }

    Slot m_astSlots[SLOTS];
};

#endif
