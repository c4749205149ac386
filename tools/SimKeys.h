// What the tool knows about parameter keys: the library's key-command table (generated from the library's
// source at build time), and per channel the keys of its schemes with their names and valid values, taken
// from the IA library where it lists the command and from the channel's UI style otherwise.
#ifndef IMAGETUNE_TOOLS_SIMKEYS_H
#define IMAGETUNE_TOOLS_SIMKEYS_H

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "SensorKeyVal.h"
#include "SimGrammar.h"

class ISensorController;

// Pair text as the library writes it, read with the library's own codec.
std::vector<KeyVal> pairsOfText(const std::string& p_strPairs);

// One row of the key-command table: the key, the IA command it is sent as, and its handler (null: the
// write path settles the key itself and sends nothing).
struct SimKeyRow {
    const char* szConstant;
    uint32_t nKey;
    uint32_t nCmd;
    const char* szHandler;
};

const std::vector<SimKeyRow>& keyCmdRows();
const SimKeyRow* findKeyRow(uint32_t p_nKey);
// The table as Markdown, by key number: the README's key table.
std::string keyTableMarkdown();

struct SimChoice {
    int32_t nValue;
    std::string strName;  // the style's name of the choice; empty for the IA library's items
};

// The valid values of a key as far as they are known.
struct SimRange {
    enum Source { NONE, IA, STYLE };
    Source eSource = NONE;
    bool bList = false;  // the values in vecChoices, else nMin to nMax
    int32_t nMin = 0;
    int32_t nMax = 0;
    std::vector<SimChoice> vecChoices;
    bool bDefault = false;  // the IA library's default for the sensor
    int32_t nDefault = 0;

    bool known() const { return eSource != NONE; }
    bool allows(int32_t p_nValue) const;
    // "0 to 100", "25 30 50", "0 normal, 1 horizontal, ..."; "not known" when there is none.
    std::string text() const;
    const char* sourceName() const { return eSource == IA ? "ia" : eSource == STYLE ? "style" : "none"; }
};

struct SimKeyInfo {
    uint32_t nKey = 0;
    std::string strName;              // the UI style's name; empty when the style has none
    const SimKeyRow* pRow = nullptr;  // null: not in the key-command table
    bool bInScheme = false;           // one of the channel's scheme keys
    SimRange stRange;
};

// The keys of one channel.
class SimKeyCatalogue {
public:
    // Reads the channel's keys, its merged UI style and the IA library's dynamic parameters of the IA channel
    // the controller addresses. Calls the IA library directly (the range of every listed command), so build it
    // before the IA call log is read. A merged style that cannot be read leaves the keys without names, with
    // p_strError saying why.
    void build(ISensorController& p_objChannel, int p_nIaChannel, std::string& p_strError);

    // Scheme keys in scheme order, then the table's other rows by key.
    const std::vector<SimKeyInfo>& keys() const { return m_vecKeys; }
    size_t schemeKeyCount() const { return m_nSchemeKeys; }
    const SimKeyInfo* find(uint32_t p_nKey) const;
    // The style's name, else the constant, else "?".
    std::string name(uint32_t p_nKey) const;
    // The name of an IA command: the key that is sent as it, else the IA library's own name, else "?".
    std::string commandName(int32_t p_nCmd) const;
    // A number or a name to a key of this channel; false with a message for an unknown one, unless
    // p_bForce lets an unknown number through.
    bool resolve(const SimKeyToken& p_stToken, bool p_bForce, uint32_t& p_nKey, std::string& p_strError) const;
    // The value of the key's choice with that name (in any case), as keys lists it; false with a message when
    // the key has no such choice, or more than one of that name.
    bool choice(uint32_t p_nKey, const std::string& p_strName, int32_t& p_nValue, std::string& p_strError) const;

private:
    std::vector<SimKeyInfo> m_vecKeys;
    size_t m_nSchemeKeys = 0;
    std::map<uint32_t, size_t> m_mapIndex;
};

#endif
