// The JSON API of "imagetune-sim serve", apart from HTTP: a method, a path and a body in, a status and a JSON
// document out. The page uses it, and so can scripts (README.md lists the routes).
//
// Every request is checked before anything reaches the library: an unknown route is 404 (405 for a known path
// with another method), a body that is not a JSON object of the expected fields is 400, a key or value that is
// not a whole number of the right range is 400, a channel that does not exist is 404. Errors are
// {"error": "..."} naming the fault.
//
// Requests of one channel run one at a time, as the application serialises its calls into a controller; the
// clock and the sensor-thread passes act on the whole camera and take every channel.
#ifndef IMAGETUNE_TOOLS_SIMAPI_H
#define IMAGETUNE_TOOLS_SIMAPI_H

#include <deque>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "IaSimControl.h"
#include "SimCamera.h"
#include "SimOutput.h"

struct SimApiResponse {
    int nStatus;
    SimJson objBody;
};

class SimApi {
public:
    // Bodies larger than this are refused (by the HTTP layer too, which never reads past it).
    static const size_t MAX_BODY_BYTES = 65536;

    explicit SimApi(SimCamera& p_objCamera);

    // p_strPath without the query (the API takes no query parameters).
    SimApiResponse handle(const std::string& p_strMethod, const std::string& p_strPath, const std::string& p_strBody);
    // The lock that serialises a channel's requests, for other endpoints that drive the channel.
    std::mutex& channelLock(int p_nChannel) { return *m_vecChannelLocks[p_nChannel - 1]; }

private:
    struct Call;
    typedef SimApiResponse (SimApi::*Handler)(Call&);
    struct Route {
        const char* szMethod;
        const char* szPattern;  // "{c}" stands for a channel number
        Handler pfnHandler;
    };
    // Each group of routes (a file SimApi<Group>.cpp) registers its own; a request takes the first route that
    // matches.
    void addRoutes(std::initializer_list<Route> p_routes);
    void addCameraRoutes();
    void addChannelRoutes();
    void addSchemeRoutes();
    std::vector<Route> m_vecRoutes;  // filled by the constructor only

    // Camera.
    SimApiResponse getCamera(Call& p_call);
    SimApiResponse setClock(Call& p_call);
    SimApiResponse runPasses(Call& p_call);
    // A channel's UI, values and writes.
    SimApiResponse getUi(Call& p_call);
    SimApiResponse getValues(Call& p_call);
    SimApiResponse setParameters(Call& p_call);
    SimApiResponse getIaLog(Call& p_call);
    // A channel's schemes and its sensor.
    SimApiResponse getState(Call& p_call);
    SimApiResponse switchScheme(Call& p_call);
    SimApiResponse setMode(Call& p_call);
    SimApiResponse flush(Call& p_call);
    SimApiResponse restore(Call& p_call);
    SimApiResponse reset(Call& p_call);
    SimApiResponse setDayNight(Call& p_call);
    SimApiResponse getSchedule(Call& p_call);

    // The scheme state and the values the channel now holds, after an operation that may change them.
    SimJson stateAndValues(int p_nChannel);
    SimJson stateOf(int p_nChannel, bool p_bReadDayNight);

    // The IA library's call log is one for the process, while requests of different channels run at once:
    // an operation holds the gate shared while it marks and reads the log; the log is moved into per-channel
    // buffers (for ia-log) and emptied only while no operation holds it.
    size_t markIaLog();
    std::vector<iasim::IaCall> iaCallsSince(size_t p_nMark, int p_nChannel);
    void tidyIaLog(bool p_bWait);
    void moveIaLogLocked();

    SimCamera& m_objCamera;
    std::vector<std::unique_ptr<std::mutex>> m_vecChannelLocks;
    std::shared_mutex m_objLogGate;
    std::mutex m_objBufferLock;  // m_vecUnread, m_vecDropped
    std::vector<std::deque<iasim::IaCall>> m_vecUnread;
    std::vector<size_t> m_vecDropped;
};

#endif
