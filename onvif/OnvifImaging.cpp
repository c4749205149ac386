#include "OnvifImaging.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

#include "ISensorController.h"
#include "StyleScan.h"

namespace {

const int KEY_MF_POSITION = 1552;
const double MICROSECONDS = 1e6;

bool wordHasValue(const OnvifModeWord& p_stWord, int p_nValue) {
    if (p_stWord.nWrite == p_nValue) return true;
    for (int nAlso : p_stWord.anAlso) {
        if (nAlso == p_nValue) return true;
    }
    return false;
}

const OnvifModeWord* wordOfValue(const OnvifImagingField& p_stField, int p_nValue) {
    for (size_t i = 0; i < p_stField.nWords; ++i) {
        if (wordHasValue(p_stField.pWords[i], p_nValue)) return &p_stField.pWords[i];
    }
    return nullptr;
}

const OnvifModeWord* wordNamed(const OnvifImagingField& p_stField, const std::string& p_strWord) {
    for (size_t i = 0; i < p_stField.nWords; ++i) {
        if (p_strWord == p_stField.pWords[i].szWord) return &p_stField.pWords[i];
    }
    return nullptr;
}

// A shutter's choice names its unit when it reads "1/N" with N its value.
bool namesShutter(const std::pair<long, std::string>& p_choice) {
    return p_choice.first > 0 && p_choice.second == "1/" + std::to_string(p_choice.first);
}

// The shutter values of an exposure-time key: the IA library's live range where it lists the key, else the
// style's choices when every one of them names its unit. Empty when the unit is not stated.
std::vector<int> shutterValues(ISensorController& p_objController, int p_nKey, const onvifstyle::Control& p_stControl) {
    std::vector<int> vecValues;
    int nDefault = 0;
    std::string strRange;
    if (p_objController.getSensorParamRange(p_nKey, nDefault, strRange) && !strRange.empty()) {
        const char* p = strRange.c_str();
        char* pEnd = nullptr;
        for (long n = strtol(p, &pEnd, 10); pEnd != p; n = strtol(p, &pEnd, 10)) {
            if (n > 0 && n <= 1000000) vecValues.push_back(static_cast<int>(n));
            p = pEnd;
        }
        return vecValues;
    }
    if (p_stControl.vecChoices.empty() ||
        !std::all_of(p_stControl.vecChoices.begin(), p_stControl.vecChoices.end(), namesShutter)) {
        return vecValues;
    }
    for (const auto& choice : p_stControl.vecChoices) {
        if (choice.first <= 1000000) vecValues.push_back(static_cast<int>(choice.first));
    }
    return vecValues;
}

OnvifFieldOptions optionsOf(ISensorController& p_objController, const OnvifImagingField& p_stField,
                            const std::map<int, onvifstyle::Control>& p_mapStyle) {
    OnvifFieldOptions stOptions;
    auto it = p_mapStyle.find(p_stField.nKey);
    if (it == p_mapStyle.end() || it->second.strType == "hidden") return stOptions;
    const onvifstyle::Control& stControl = it->second;
    for (const auto& choice : stControl.vecChoices) stOptions.vecValues.push_back(static_cast<int>(choice.first));
    switch (p_stField.eKind) {
        case ONVIF_FIELD_MODE:
            for (size_t i = 0; i < p_stField.nWords; ++i) {
                const OnvifModeWord& stWord = p_stField.pWords[i];
                if (std::find(stOptions.vecValues.begin(), stOptions.vecValues.end(), stWord.nWrite) !=
                    stOptions.vecValues.end()) {
                    stOptions.vecWords.push_back(stWord.szWord);
                }
            }
            stOptions.bOffered = !stOptions.vecWords.empty();
            break;
        case ONVIF_FIELD_LEVEL:
            if (stControl.bHasRange && stControl.nMin <= stControl.nMax && stOptions.vecValues.empty()) {
                stOptions.dMin = static_cast<double>(stControl.nMin);
                stOptions.dMax = static_cast<double>(stControl.nMax);
                stOptions.bOffered = true;
            } else if (!stOptions.vecValues.empty()) {
                auto range = std::minmax_element(stOptions.vecValues.begin(), stOptions.vecValues.end());
                stOptions.dMin = *range.first;
                stOptions.dMax = *range.second;
                stOptions.bOffered = true;
            }
            break;
        case ONVIF_FIELD_EXPOSURE_TIME:
            stOptions.vecValues = shutterValues(p_objController, p_stField.nKey, stControl);
            if (!stOptions.vecValues.empty()) {
                auto range = std::minmax_element(stOptions.vecValues.begin(), stOptions.vecValues.end());
                stOptions.dMin = MICROSECONDS / *range.second;
                stOptions.dMax = MICROSECONDS / *range.first;
                stOptions.bOffered = true;
            }
            break;
    }
    return stOptions;
}

// The key value a present field asks for, checked against its options; false with the reason.
bool keyValueOf(const OnvifImagingField& p_stField, const OnvifFieldOptions& p_stOptions,
                const OnvifFieldValue& p_stValue, int p_nCurrent, bool p_bHasCurrent, int& p_nValue,
                std::string& p_strError) {
    if (!p_stOptions.bOffered) {
        p_strError = std::string(p_stField.szPath) + " is not offered by this channel";
        return false;
    }
    char szNumber[64];
    snprintf(szNumber, sizeof(szNumber), "%g", p_stValue.dNumber);
    if (p_stField.eKind == ONVIF_FIELD_MODE) {
        const OnvifModeWord* pWord = wordNamed(p_stField, p_stValue.strWord);
        if (pWord == nullptr || std::find(p_stOptions.vecWords.begin(), p_stOptions.vecWords.end(),
                                          p_stValue.strWord) == p_stOptions.vecWords.end()) {
            p_strError = std::string(p_stField.szPath) + " " + p_stValue.strWord + " is not among its options";
            return false;
        }
        p_nValue = p_bHasCurrent && wordHasValue(*pWord, p_nCurrent) ? p_nCurrent : pWord->nWrite;
        return true;
    }
    // Half a step of slack either way: clients send floats.
    const double dSlack = p_stField.eKind == ONVIF_FIELD_LEVEL ? 0.5 : p_stOptions.dMin * 0.01;
    if (!isfinite(p_stValue.dNumber) || p_stValue.dNumber < p_stOptions.dMin - dSlack ||
        p_stValue.dNumber > p_stOptions.dMax + dSlack) {
        p_strError = std::string(p_stField.szPath) + " " + szNumber + " is outside its options";
        return false;
    }
    if (p_stField.eKind == ONVIF_FIELD_LEVEL && p_stOptions.vecValues.empty()) {
        p_nValue = static_cast<int>(lround(std::min(std::max(p_stValue.dNumber, p_stOptions.dMin), p_stOptions.dMax)));
        return true;
    }
    // A choice key takes its nearest choice: in time for a shutter, in value otherwise.
    double dBest = 0;
    bool bFirst = true;
    for (int nChoice : p_stOptions.vecValues) {
        double dAt = p_stField.eKind == ONVIF_FIELD_EXPOSURE_TIME ? MICROSECONDS / nChoice : nChoice;
        double dOff = fabs(dAt - p_stValue.dNumber);
        if (bFirst || dOff < dBest) {
            dBest = dOff;
            p_nValue = nChoice;
            bFirst = false;
        }
    }
    return true;
}

bool lensStyle(ISensorController& p_objController, OnvifFocusOptions& p_stOptions) {
    std::map<int, onvifstyle::Control> mapStyle = onvifstyle::scan(p_objController.getUIStyleFile());
    auto it = mapStyle.find(KEY_MF_POSITION);
    p_stOptions = OnvifFocusOptions();
    if (it == mapStyle.end() || it->second.strType == "hidden" || !it->second.bHasRange ||
        it->second.nMin > it->second.nMax) {
        return false;
    }
    p_stOptions.bMovable = true;
    p_stOptions.dMin = static_cast<double>(it->second.nMin);
    p_stOptions.dMax = static_cast<double>(it->second.nMax);
    return true;
}

}  // namespace

OnvifImaging::OnvifImaging(ISensorController& p_objController) : m_objController(p_objController) {}

OnvifImagingOptions OnvifImaging::options() {
    size_t nFields = 0;
    const OnvifImagingField* pFields = onvifImagingFields(nFields);
    std::map<int, onvifstyle::Control> mapStyle = onvifstyle::scan(m_objController.getUIStyleFile());
    OnvifImagingOptions vecOptions;
    for (size_t i = 0; i < nFields; ++i) vecOptions.push_back(optionsOf(m_objController, pFields[i], mapStyle));
    return vecOptions;
}

bool OnvifImaging::settings(OnvifImagingSettings& p_vecSettings) {
    size_t nFields = 0;
    const OnvifImagingField* pFields = onvifImagingFields(nFields);
    OnvifImagingOptions vecOptions = options();
    p_vecSettings.assign(nFields, OnvifFieldValue());
    for (size_t i = 0; i < nFields; ++i) {
        int nValue = 0;
        if (!vecOptions[i].bOffered || !m_objController.getParameter(pFields[i].nKey, nValue)) continue;
        OnvifFieldValue& stValue = p_vecSettings[i];
        if (pFields[i].eKind == ONVIF_FIELD_MODE) {
            const OnvifModeWord* pWord = wordOfValue(pFields[i], nValue);
            if (pWord == nullptr) continue;
            stValue.strWord = pWord->szWord;
        } else if (pFields[i].eKind == ONVIF_FIELD_EXPOSURE_TIME) {
            if (nValue <= 0) continue;
            stValue.dNumber = MICROSECONDS / nValue;
        } else {
            stValue.dNumber = nValue;
        }
        stValue.bPresent = true;
    }
    return true;
}

OnvifImagingResult OnvifImaging::setSettings(const OnvifImagingSettings& p_vecSettings, bool p_bPersist,
                                             std::string& p_strError) {
    size_t nFields = 0;
    const OnvifImagingField* pFields = onvifImagingFields(nFields);
    OnvifImagingOptions vecOptions = options();
    // Every field is checked, and the values it replaces read, before the first key is written.
    struct Write {
        int nKey;
        int nValue;
        int nOld;
    };
    std::vector<Write> vecWrites;
    for (size_t i = 0; i < nFields && i < p_vecSettings.size(); ++i) {
        if (!p_vecSettings[i].bPresent) continue;
        int nOld = 0;
        bool bHasOld = vecOptions[i].bOffered && m_objController.getParameter(pFields[i].nKey, nOld);
        int nValue = 0;
        if (!keyValueOf(pFields[i], vecOptions[i], p_vecSettings[i], nOld, bHasOld, nValue, p_strError)) {
            return ONVIF_IMAGING_INVALID_ARG;
        }
        if (!bHasOld) {
            p_strError =
                std::string(pFields[i].szPath) + ": the channel cannot read its key " + std::to_string(pFields[i].nKey);
            return ONVIF_IMAGING_REFUSED;
        }
        vecWrites.push_back({pFields[i].nKey, nValue, nOld});
    }
    // A key the IA library refuses, or a save that fails, puts back the keys already written.
    auto putBack = [&](size_t p_nWritten) {
        for (size_t j = p_nWritten; j-- > 0;) m_objController.setParameter(vecWrites[j].nKey, vecWrites[j].nOld, true);
    };
    for (size_t i = 0; i < vecWrites.size(); ++i) {
        if (m_objController.setParameter(vecWrites[i].nKey, vecWrites[i].nValue, true) == 0) continue;
        p_strError = "the camera refused key " + std::to_string(vecWrites[i].nKey) + " = " +
                     std::to_string(vecWrites[i].nValue) + "; nothing was changed";
        putBack(i);
        return ONVIF_IMAGING_REFUSED;
    }
    if (p_bPersist && m_objController.flush() != 0) {
        p_strError = "the current scheme could not be saved; nothing was changed";
        putBack(vecWrites.size());
        return ONVIF_IMAGING_NOT_SAVED;
    }
    return ONVIF_IMAGING_OK;
}

OnvifFocusOptions OnvifImaging::focusOptions() {
    OnvifFocusOptions stOptions;
    lensStyle(m_objController, stOptions);
    return stOptions;
}

OnvifImagingResult OnvifImaging::focusAbsolute(double p_dPosition, std::string& p_strError) {
    OnvifFocusOptions stOptions;
    if (!lensStyle(m_objController, stOptions)) return ONVIF_IMAGING_NO_LENS;
    if (!isfinite(p_dPosition) || p_dPosition < stOptions.dMin || p_dPosition > stOptions.dMax) {
        char szText[128];
        snprintf(szText, sizeof(szText), "focus position %g is outside %g to %g", p_dPosition, stOptions.dMin,
                 stOptions.dMax);
        p_strError = szText;
        return ONVIF_IMAGING_INVALID_ARG;
    }
    if (!m_objController.setFocusValue(static_cast<int>(lround(p_dPosition)))) {
        p_strError = "the lens refused the position";
        return ONVIF_IMAGING_REFUSED;
    }
    return ONVIF_IMAGING_OK;
}

OnvifImagingResult OnvifImaging::focusRelative(double p_dDistance, std::string& p_strError) {
    OnvifFocusOptions stOptions;
    if (!lensStyle(m_objController, stOptions)) return ONVIF_IMAGING_NO_LENS;
    double dSpan = stOptions.dMax - stOptions.dMin;
    if (!isfinite(p_dDistance) || fabs(p_dDistance) > dSpan) {
        char szText[128];
        snprintf(szText, sizeof(szText), "focus distance %g is outside -%g to %g", p_dDistance, dSpan, dSpan);
        p_strError = szText;
        return ONVIF_IMAGING_INVALID_ARG;
    }
    int nNow = 0;
    if (!m_objController.getFocusValue(nNow)) {
        p_strError = "the lens position cannot be read";
        return ONVIF_IMAGING_REFUSED;
    }
    double dTarget = std::min(std::max(nNow + p_dDistance, stOptions.dMin), stOptions.dMax);
    return focusAbsolute(dTarget, p_strError);
}

OnvifImagingResult OnvifImaging::focusStop() {
    OnvifFocusOptions stOptions;
    return lensStyle(m_objController, stOptions) ? ONVIF_IMAGING_OK : ONVIF_IMAGING_NO_LENS;
}

OnvifImagingResult OnvifImaging::focusStatus(OnvifFocusStatus& p_stStatus) {
    OnvifFocusOptions stOptions;
    if (!lensStyle(m_objController, stOptions)) return ONVIF_IMAGING_NO_LENS;
    int nPosition = 0;
    if (!m_objController.getFocusValue(nPosition)) return ONVIF_IMAGING_REFUSED;
    p_stStatus.dPosition = nPosition;
    p_stStatus.szMoveStatus = "IDLE";
    return ONVIF_IMAGING_OK;
}
