// The simulated camera that the command line and the server drive: one controller per channel on the
// simulated IA library and platform, the channels' keys, the simulated clock and the sensor threads' passes.
// Everything goes through the controllers' public operations and the stand-ins' controls. The sensor threads
// run in the platform's stepping mode: a started thread waits, and runPasses runs its passes, one per
// simulated second, so that the same commands give the same results every time.
//
// Not thread-safe: the command line is one thread, and the server serialises its requests per channel and
// takes every channel for the operations on the whole camera (the clock and the passes).
#ifndef IMAGETUNE_TOOLS_SIMCAMERA_H
#define IMAGETUNE_TOOLS_SIMCAMERA_H

#include <memory>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "SimKeys.h"
#include "SimOutput.h"
#include "SimSchedule.h"

class SimVideoModule;
class SimLibraryOutput;

// A scheme switch that a sensor-thread pass made.
struct SimSwitch {
    std::string strTime;  // the simulated clock, "08:00:00"
    int nChannel;
    int nFrom;
    int nTo;
};

// What flush did.
struct SimFlushResult {
    int nScheme;         // the scheme that was current
    int nStatus;         // the library's answer
    bool bHasFile;       // false: the factory scheme (or none) is current, nothing to save
    bool bSaved;         // the scheme's file now holds it
    bool bBadWindow;     // not saved because the scheme's time window is invalid (505, 506, 507)
    std::string strWhy;  // when not saved: why, in words
};

class SimCamera {
public:
    SimCamera(int p_nChannels, bool p_bVerbose, SimOutput& p_objOut);
    ~SimCamera();
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    // Starts every channel with the module detail text; false when a channel came up without any parameter
    // (its UI style could not be read), with p_strError naming the missing document.
    bool start(const std::string& p_strDetail, std::string& p_strError);
    void stop();

    int channels() const { return static_cast<int>(m_vecChannels.size()); }
    // Channels are numbered from 1.
    ISensorController& channel(int p_nChannel) { return *m_vecChannels[p_nChannel - 1]->pController; }
    const SimKeyCatalogue& keys(int p_nChannel) const { return m_vecChannels[p_nChannel - 1]->objKeys; }
    // The IA library's channel that the controller addresses (the platform may give a channel another number).
    int iaChannel(int p_nChannel) const { return m_vecChannels[p_nChannel - 1]->nIaChannel; }
    // The number of user schemes; the factory scheme has this index.
    u32 schemeSum(int p_nChannel) const { return m_vecChannels[p_nChannel - 1]->nSchemeSum; }
    // "0 (day)", "1 (night)", "2 (time window)", "4 (factory)", "none".
    std::string schemeName(int p_nChannel, int p_nScheme) const;
    // p_bReadDayNight: ask the library for the day/night state (an IA read that the IA log shows); otherwise
    // the state is the one the simulated sensor holds.
    SimSchemeState schemeState(int p_nChannel, bool p_bReadDayNight);
    // The values of the channel's scheme keys, in scheme order, as getParameters answers them.
    std::vector<KeyVal> schemeValues(int p_nChannel);

    // The device path of a user scheme's file; "" for the factory scheme, which has none.
    std::string schemeFile(int p_nChannel, int p_nScheme) const;

    SimFlushResult flush(int p_nChannel);
    // The factory reset. False, with p_strWhy, when the user scheme files were not written anew.
    bool reset(int p_nChannel, std::string& p_strWhy);

    // The day/night state that the sensor of the channel reports.
    void setDayNight(int p_nChannel, int p_nState);
    std::string clockText() const;
    long clockSeconds() const { return m_nClockSeconds; }
    void setClock(long p_nSeconds);
    // p_nSeconds passes of every sensor thread, one per simulated second, with the clock moving on before each.
    std::vector<SimSwitch> runPasses(long p_nSeconds);

    // Runs p_fnCall with the library's standard output captured, then shows its tagged lines on standard
    // error (every line when verbose). Without capture (the server reads the library's output itself), only
    // runs it.
    template <typename F>
    auto quietly(F p_fnCall) -> decltype(p_fnCall()) {
        captureLibraryOutput();
        auto result = p_fnCall();
        releaseLibraryOutput();
        return result;
    }
    // What the library printed during the last quietly() call.
    const std::string& libraryOutput() const { return m_strLibraryOutput; }
    void setCaptureEachCall(bool p_bCapture) { m_bCaptureEachCall = p_bCapture; }
    // A line the library printed, as the tool shows it (without colours); empty when it is not shown.
    static std::string shownLibraryLine(const std::string& p_strLine, bool p_bVerbose);

private:
    struct Channel {
        std::unique_ptr<ISensorController> pController;
        SimKeyCatalogue objKeys;
        int nIaChannel = 0;
        u32 nSchemeSum = 0;
        bool bThermal = false;  // its scheme files are the thermal channel's
    };
    void captureLibraryOutput();
    void releaseLibraryOutput();
    // The number of user schemes, as setKeyValToCache tells it: the first scheme index it refuses.
    u32 probeSchemeSum(int p_nChannel);

    bool m_bVerbose;
    SimOutput& m_objOut;
    int m_nChannelsWanted;
    long m_nClockSeconds;     // seconds since midnight on the simulated clock
    bool m_bLprCamera = false;  // device type 8 without an infrared marker in the module detail
    std::unique_ptr<SimVideoModule> m_pVideo;
    std::vector<std::unique_ptr<Channel>> m_vecChannels;
    std::unique_ptr<SimLibraryOutput> m_pCapture;
    bool m_bCaptureEachCall = true;
    std::string m_strLibraryOutput;
};

#endif
