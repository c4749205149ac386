// The tool's own grammar for the parameter texts of its commands. The library reads pair text leniently
// (blanks, missing values and trailing text all pass); the tool checks its arguments strictly first, so that
// what it sends is what was meant.
//
//   pairs       = pair { pair } | assignment { "," assignment }
//   pair        = "(" key "," value ")"
//   assignment  = key "=" value
//   key-list    = "(" key { "," key } ")" | key { "," key }
//   key         = number | name
//   number      = digit { digit }                   0 to 2147483647
//   value       = [ "-" ] digit { digit } | name    -2147483648 to 2147483647, or a choice of the key
//   name        = letter { letter | digit | "_" }   a key's name in the UI style or its KEY_ constant; as a
//                                                   value, the name of one of the key's choices (keys lists them)
//
// No blanks anywhere: (34,60)(2337,45), brightness=60,saturation=45, (34,2337), brightness,saturation.
#ifndef IMAGETUNE_TOOLS_SIMGRAMMAR_H
#define IMAGETUNE_TOOLS_SIMGRAMMAR_H

#include <stdint.h>

#include <string>
#include <vector>

// A key as written: a number, or a name still to be looked up.
struct SimKeyToken {
    std::string strText;
    bool bName = false;
    uint32_t nKey = 0;  // the number, when not a name
};

struct SimPairToken {
    SimKeyToken stKey;
    int32_t nValue = 0;
    std::string strChoice;  // a choice's name given for the value, still to be looked up
};

// The grammar in the words of the help texts.
extern const char* const SIM_GRAMMAR_HELP;

// False with p_strError naming the fault and where it is.
bool parsePairText(const std::string& p_strText, std::vector<SimPairToken>& p_vecPairs, std::string& p_strError);
bool parseKeyListText(const std::string& p_strText, std::vector<SimKeyToken>& p_vecKeys, std::string& p_strError);
// One key alone (range KEY).
bool parseKeyText(const std::string& p_strText, SimKeyToken& p_stKey, std::string& p_strError);

// " (did you mean X?)" for the candidate nearest to a misspelt word, by edit distance and ignoring case; empty
// when none is near enough to be a likely slip.
std::string didYouMean(const std::string& p_strWord, const std::vector<std::string>& p_vecCandidates);

#endif
