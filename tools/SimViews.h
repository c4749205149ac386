// The camera's data as JSON: the documents of the command line's --json output and of the server's API are
// built here, so that a script reads the same fields from both.
#ifndef IMAGETUNE_TOOLS_SIMVIEWS_H
#define IMAGETUNE_TOOLS_SIMVIEWS_H

#include <string>
#include <vector>

#include "IaSimControl.h"
#include "SimCamera.h"
#include "SimKeys.h"
#include "SimOutput.h"
#include "SimSchedule.h"

// [{"key", "name", "value"}, ...]
SimJson pairsJson(const SimKeyCatalogue& p_objKeys, const std::vector<KeyVal>& p_vecPairs);
// {"source", "values": [...] or "min"/"max", "default"}; null when no range is known.
SimJson rangeJson(const SimRange& p_stRange);
// {"channel", "current_scheme", "factory_scheme", "parameter_mode", "scheme_mode", "lpr", "day_night_state",
//  "clock", "schemes": [{"scheme", "window": {...}}]}
SimJson stateJson(int p_nChannel, const SimSchemeState& p_stState, const std::string& p_strClock);
// [{"from", "to", "scheme", "why"}, ...]
SimJson segmentsJson(const SimSchedule& p_stSchedule);
// [{"time", "channel", "from", "to"}, ...]
SimJson switchesJson(const std::vector<SimSwitch>& p_vecSwitches);
// {"ia_channel", "option", "command", "name", "value", "result"}
SimJson iaCallJson(const SimKeyCatalogue& p_objKeys, const iasim::IaCall& p_stCall);
// "set", "get", "range", "correct", "status" or "?".
const char* iaOptionName(int p_nOpt);

#endif
