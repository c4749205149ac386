// ONVIF Imaging for one camera channel: the fields of ONVIF 2.0 ImagingSettings20 and ImagingOptions20 mapped to
// the channel's parameter keys, and the focus moves of a motorised lens, all through the public operations of
// ISensorController. The mapping is the table of onvifImagingFields(); the README shows it with units and
// conversions.
//
// Options come from the channel's UI style (getUIStyleFile: a key the style hides or lacks is not offered) and
// from the live ranges (getSensorParamRange). Exposure times are offered only where the device states their unit:
// the shutter keys, whose choices are 1/N s; gains and the iris are not, their keys have no unit.
//
// Threads: an OnvifImaging object keeps no state between calls beyond the controller it names; the caller
// serialises the calls of one channel (a Set reads, then writes several keys). Each call takes the controller's
// mutex only through the operations it calls (one key at a time); the focus calls take none (the lens accessors
// take none). Before init and after uinit every call is safe: the style is then empty, so nothing is offered,
// reads give no field and every Set or move is refused with ONVIF_IMAGING_INVALID_ARG or
// ONVIF_IMAGING_NO_LENS.
#ifndef IMAGETUNE_ONVIFIMAGING_H
#define IMAGETUNE_ONVIFIMAGING_H

#include <stddef.h>

#include <string>
#include <vector>

#if defined(IMAGETUNE_ONVIF_BUILD)
#define IMAGETUNE_ONVIF_API __attribute__((visibility("default")))
#else
#define IMAGETUNE_ONVIF_API
#endif

class ISensorController;

// How a field's ONVIF value and its key's value convert.
enum OnvifFieldKind {
    ONVIF_FIELD_LEVEL,          // a number: the key's value itself
    ONVIF_FIELD_MODE,           // a word: one of the row's words, each standing for one or more key values
    ONVIF_FIELD_EXPOSURE_TIME,  // microseconds; the key holds N of a 1/N s shutter
};

// One word of a mode field. A read gives the word of the key's value; a write of a word keeps the key's value
// when that value already stands for the word, and otherwise writes nWrite.
struct OnvifModeWord {
    const char* szWord;
    int nWrite;
    int anAlso[3];  // further key values read as this word; -1 ends the list
};

// One field of ImagingSettings20.
struct OnvifImagingField {
    const char* szPath;         // in ImagingSettings20, "/" between elements: "Exposure/MinExposureTime"
    const char* szOptionsPath;  // where ImagingOptions20 states its options: "Exposure/MinExposureTime"
    int nKey;                   // the channel's parameter key
    OnvifFieldKind eKind;
    const OnvifModeWord* pWords;  // ONVIF_FIELD_MODE: the words, nWords of them
    size_t nWords;
};

/**
 * @brief The mapping table, in the schema's element order (so that a document written in table order is valid).
 * @param p_nFields receives the number of rows.
 * @return the first row.
 * @lock_none
 * @threads_any
 * @before_none
 */
IMAGETUNE_ONVIF_API const OnvifImagingField* onvifImagingFields(size_t& p_nFields);

// The options of one field.
struct OnvifFieldOptions {
    bool bOffered = false;
    double dMin = 0;  // ONVIF_FIELD_LEVEL and ONVIF_FIELD_EXPOSURE_TIME
    double dMax = 0;
    std::vector<std::string> vecWords;  // ONVIF_FIELD_MODE: the words the key's choices allow
    std::vector<int> vecValues;         // the key values allowed (choices), empty for a min..max key
};

// One value of a settings record.
struct OnvifFieldValue {
    bool bPresent = false;
    double dNumber = 0;   // ONVIF_FIELD_LEVEL, ONVIF_FIELD_EXPOSURE_TIME
    std::string strWord;  // ONVIF_FIELD_MODE
};

// Indexed like onvifImagingFields().
typedef std::vector<OnvifFieldOptions> OnvifImagingOptions;
typedef std::vector<OnvifFieldValue> OnvifImagingSettings;

struct OnvifFocusOptions {
    bool bMovable = false;  // a motorised lens: Absolute and Relative moves, Stop, status
    double dMin = 0;        // focus positions, in the lens's own steps
    double dMax = 0;
};

struct OnvifFocusStatus {
    double dPosition = 0;
    const char* szMoveStatus = "IDLE";  // IDLE, MOVING or UNKNOWN
};

enum OnvifImagingResult {
    ONVIF_IMAGING_OK = 0,
    ONVIF_IMAGING_INVALID_ARG = 1,  // a field not offered or outside its options: nothing changed
    ONVIF_IMAGING_REFUSED = 2,      // the IA library refused a key: the keys already written were put back
    ONVIF_IMAGING_NOT_SAVED = 3,    // flush failed: the keys written were put back
    ONVIF_IMAGING_NO_LENS = 4,      // focus moves need a motorised lens
};

class IMAGETUNE_ONVIF_API OnvifImaging {
public:
    /**
     * @brief The mapping of one channel.
     * @param p_objController the channel; not owned, it must outlive this object.
     * @lock_none
     * @threads_any
     * @before_none
     */
    explicit OnvifImaging(ISensorController& p_objController);

    /**
     * @brief What the channel offers now, from its UI style and the IA library's live ranges.
     * @return the options, one per table row; a field the style hides or lacks, or whose unit the device does
     * not state, has bOffered false.
     * @par Lock
     * Takes the controller's mutex through getUIStyleFile and getSensorParamRange, one call at a time.
     * @par Threads
     * Any application thread, one call per channel at a time.
     * @par Before init and after uinit
     * Nothing is offered.
     */
    OnvifImagingOptions options();

    /**
     * @brief The channel's current values of the offered fields (the current scheme's).
     * @param p_vecSettings receives one value per table row.
     * @return true; a field that is not offered, or whose key cannot be read, is not present.
     * @par Lock
     * Takes the controller's mutex through each getParameter, one key at a time.
     * @par Threads
     * Any application thread, one call per channel at a time.
     * @par Before init and after uinit
     * No field is present.
     */
    bool settings(OnvifImagingSettings& p_vecSettings);

    /**
     * @brief Writes the present fields into the current scheme, all or nothing: every field is checked against
     * options() first.
     * @param p_vecSettings the values, one per table row; absent rows are left as they are.
     * @param p_bPersist then save the current scheme (flush).
     * @param p_strError names the field or the key that failed.
     * @return ONVIF_IMAGING_OK; ONVIF_IMAGING_INVALID_ARG (a field not offered or outside its options: nothing
     * changed); ONVIF_IMAGING_REFUSED (the IA library refused a key: the keys already written were put back);
     * ONVIF_IMAGING_NOT_SAVED (the scheme could not be saved: the keys written were put back).
     * @par Lock
     * Takes the controller's mutex through each getParameter, setParameter and flush, one at a time: the caller
     * serialises the calls of a channel so that no other writer comes between them.
     * @par Threads
     * Any application thread, one call per channel at a time.
     * @par Before init and after uinit
     * ONVIF_IMAGING_INVALID_ARG for any present field; nothing is written.
     */
    OnvifImagingResult setSettings(const OnvifImagingSettings& p_vecSettings, bool p_bPersist, std::string& p_strError);

    /**
     * @brief The focus moves the lens allows: movable only where the channel's style shows the focus position
     * (a fixed-lens module's style has no lens controls).
     * @return the options; bMovable false without a motorised lens.
     * @par Lock
     * Takes the controller's mutex through getUIStyleFile.
     * @par Threads
     * Any application thread.
     * @par Before init and after uinit
     * Not movable.
     */
    OnvifFocusOptions focusOptions();
    /**
     * @brief Moves the focus to a position, through the lens accessors.
     * @param p_dPosition the position, in the lens's own steps.
     * @param p_strError says what was refused.
     * @return ONVIF_IMAGING_OK; ONVIF_IMAGING_NO_LENS; ONVIF_IMAGING_INVALID_ARG for a position outside
     * focusOptions(); ONVIF_IMAGING_REFUSED when the lens accessor fails.
     * @par Lock
     * The mutex through focusOptions; the lens accessors take none.
     * @par Threads
     * Any application thread, one call per channel at a time.
     * @par Before init and after uinit
     * ONVIF_IMAGING_NO_LENS.
     */
    OnvifImagingResult focusAbsolute(double p_dPosition, std::string& p_strError);
    /**
     * @brief Moves the focus by a distance, stopping at the ends of the range.
     * @param p_dDistance the distance, in the lens's own steps.
     * @param p_strError says what was refused.
     * @return as focusAbsolute; a distance larger than the whole range is ONVIF_IMAGING_INVALID_ARG.
     * @par Lock
     * The mutex through focusOptions; the lens accessors take none.
     * @par Threads
     * Any application thread, one call per channel at a time.
     * @par Before init and after uinit
     * ONVIF_IMAGING_NO_LENS.
     */
    OnvifImagingResult focusRelative(double p_dDistance, std::string& p_strError);
    /**
     * @brief Stops a focus move: the lens moves in single steps and is never left moving, so there is nothing
     * to stop.
     * @return ONVIF_IMAGING_OK, or ONVIF_IMAGING_NO_LENS.
     * @par Lock
     * The mutex through focusOptions.
     * @par Threads
     * Any application thread.
     * @par Before init and after uinit
     * ONVIF_IMAGING_NO_LENS.
     */
    OnvifImagingResult focusStop();
    /**
     * @brief The focus position and whether the lens moves.
     * @param p_stStatus receives the position and the move status.
     * @return ONVIF_IMAGING_OK with the position, ONVIF_IMAGING_NO_LENS, or ONVIF_IMAGING_REFUSED.
     * @par Lock
     * The mutex through focusOptions; the lens accessors take none.
     * @par Threads
     * Any application thread.
     * @par Before init and after uinit
     * ONVIF_IMAGING_NO_LENS.
     */
    OnvifImagingResult focusStatus(OnvifFocusStatus& p_stStatus);

private:
    ISensorController& m_objController;
};

#endif
