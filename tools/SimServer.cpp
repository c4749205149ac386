// The web server of "imagetune-sim serve" over GNU libmicrohttpd: the HTTP transport of the site
// (SimServerSite.h), bounded against hostile clients, the library's own output, and an orderly stop on SIGINT or
// SIGTERM.
//
// Each of a few workers waits on its connections in an event loop, so a slow client holds a connection and
// never a worker; a request runs its handler once it is whole, on the worker that read it.
#include "SimServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <limits.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "OnvifService.h"
#include "SimApi.h"
#include "SimServerSite.h"

namespace {

const unsigned WORKERS = 4;
// On every answer.
const std::pair<const char*, const char*> FIXED_HEADERS[] = {{"Cache-Control", "no-store"},
                                                             {"X-Content-Type-Options", "nosniff"}};
// Per connection: the request line and headers, and the read buffer, live in this much memory.
const size_t CONNECTION_MEMORY = 32 * 1024;

// One line at a time on standard error, whichever thread writes it.
class ServerLog {
public:
    ServerLog(SimOutput& p_objOut, bool p_bVerbose) : m_objOut(p_objOut), m_bVerbose(p_bVerbose) {}
    void note(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3))) {
        std::lock_guard<std::mutex> lock(m_mutex);
        va_list args;
        va_start(args, p_szFormat);
        m_objOut.vnote(p_szFormat, args);
        va_end(args);
    }
    void warn(const char* p_szFormat, ...) __attribute__((format(printf, 2, 3))) {
        std::lock_guard<std::mutex> lock(m_mutex);
        va_list args;
        va_start(args, p_szFormat);
        m_objOut.vwarn(p_szFormat, args);
        va_end(args);
    }
    bool verbose() const { return m_bVerbose; }

private:
    std::mutex m_mutex;
    SimOutput& m_objOut;
    bool m_bVerbose;
};

// While the server runs, the library's standard output goes into a pipe; a thread shows its tagged lines (every
// line when verbose) on standard error, as the command line shows what it captures.
class LibraryOutputPipe {
public:
    explicit LibraryOutputPipe(ServerLog& p_objLog) : m_objLog(p_objLog) {}
    ~LibraryOutputPipe() { end(); }
    bool begin() {
        int anFds[2];
        if (pipe2(anFds, O_CLOEXEC) != 0) return false;
        fflush(stdout);
        m_nSaved = dup(1);
        dup2(anFds[1], 1);
        close(anFds[1]);
        m_nRead = anFds[0];
        m_reader = std::thread([this] { readLines(); });
        return true;
    }
    void end() {
        if (m_nSaved < 0) return;
        fflush(stdout);
        dup2(m_nSaved, 1);  // the pipe's last writer is gone: the reader sees its end
        close(m_nSaved);
        m_nSaved = -1;
        m_reader.join();
        close(m_nRead);
    }

private:
    void readLines() {
        std::string strPending;
        char szBuf[4096];
        ssize_t n;
        while ((n = read(m_nRead, szBuf, sizeof(szBuf))) != 0) {
            if (n < 0) {
                if (errno == EINTR) continue;
                break;
            }
            strPending.append(szBuf, static_cast<size_t>(n));
            size_t nEnd;
            while ((nEnd = strPending.find('\n')) != std::string::npos) {
                show(strPending.substr(0, nEnd));
                strPending.erase(0, nEnd + 1);
            }
        }
        show(strPending);
    }
    void show(const std::string& p_strLine) {
        std::string strShown = SimCamera::shownLibraryLine(p_strLine, m_objLog.verbose());
        if (!strShown.empty()) m_objLog.warn("    | %s", strShown.c_str());
    }

    ServerLog& m_objLog;
    int m_nSaved = -1;
    int m_nRead = -1;
    std::thread m_reader;
};

// Connections whose request is not whole within SERVE_REQUEST_SECONDS of their start, or of the end of their
// previous answer, are shut down from here: the transport's own timeout starts again with every byte, so a client
// that trickles its bytes would otherwise keep its connection for ever.
class RequestDeadlines {
public:
    void opened(MHD_Connection* p_pConnection) {
        const MHD_ConnectionInfo* pInfo = MHD_get_connection_info(p_pConnection, MHD_CONNECTION_INFO_CONNECTION_FD);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_mapDue[p_pConnection] = {pInfo != nullptr ? pInfo->connect_fd : -1, dueNow(), true};
    }
    // Before the transport closes the socket, so that a shutdown here never reaches another connection's socket.
    void closed(MHD_Connection* p_pConnection) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_mapDue.erase(p_pConnection);
    }
    size_t open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_mapDue.size();
    }
    void arm(MHD_Connection* p_pConnection, bool p_bArmed) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_mapDue.find(p_pConnection);
        if (it == m_mapDue.end()) return;
        it->second.tDue = dueNow();
        it->second.bArmed = p_bArmed;
    }
    void run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_bStopping) {
            m_cvStop.wait_for(lock, std::chrono::milliseconds(250));
            auto tNow = std::chrono::steady_clock::now();
            for (auto& entry : m_mapDue) {
                if (!entry.second.bArmed || entry.second.tDue > tNow || entry.second.nFd < 0) continue;
                entry.second.bArmed = false;
                shutdown(entry.second.nFd, SHUT_RDWR);  // the worker sees the end and closes the connection
            }
        }
    }
    void stop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
        m_cvStop.notify_all();
    }

private:
    struct Due {
        int nFd;
        std::chrono::steady_clock::time_point tDue;
        bool bArmed;
    };
    static std::chrono::steady_clock::time_point dueNow() {
        return std::chrono::steady_clock::now() + std::chrono::seconds(SERVE_REQUEST_SECONDS);
    }

    std::mutex m_mutex;  // everything below: written by the workers and the thread of run
    std::condition_variable m_cvStop;
    std::map<MHD_Connection*, Due> m_mapDue;
    bool m_bStopping = false;
};

// One request while it arrives: its headers, then its body piece by piece.
struct Exchange {
    SimHttpRequest stRequest;
    size_t nMaxBody = 0;
    bool bAnswered = false;
};

class Transport {
public:
    Transport(const SimServerSite& p_objSite, ServerLog& p_objLog) : m_objSite(p_objSite), m_objLog(p_objLog) {}

    RequestDeadlines& deadlines() { return m_objDeadlines; }

    static MHD_Result onRequest(void* p_pSelf, MHD_Connection* p_pConnection, const char* p_szUrl,
                                const char* p_szMethod, const char*, const char* p_pUpload, size_t* p_pnUpload,
                                void** p_ppExchange) {
        Transport& self = *static_cast<Transport*>(p_pSelf);
        Exchange* pExchange = static_cast<Exchange*>(*p_ppExchange);
        if (pExchange == nullptr) {
            pExchange = new Exchange;
            *p_ppExchange = pExchange;
            return self.headersIn(p_pConnection, p_szUrl, p_szMethod, *pExchange);
        }
        if (pExchange->bAnswered) {
            *p_pnUpload = 0;
            return MHD_YES;
        }
        if (*p_pnUpload > 0) {
            size_t nPiece = *p_pnUpload;
            *p_pnUpload = 0;
            std::string& strBody = pExchange->stRequest.strBody;
            if (nPiece > pExchange->nMaxBody - strBody.size()) {
                self.refuseMidBody(p_pConnection, *pExchange);
                return MHD_NO;  // the transport closes the connection
            }
            strBody.append(p_pUpload, nPiece);
            return MHD_YES;
        }
        self.m_objDeadlines.arm(p_pConnection, false);
        return self.send(p_pConnection, *pExchange, self.answer(pExchange->stRequest));
    }

    static void onCompleted(void* p_pSelf, MHD_Connection* p_pConnection, void** p_ppExchange,
                            MHD_RequestTerminationCode) {
        delete static_cast<Exchange*>(*p_ppExchange);
        *p_ppExchange = nullptr;
        static_cast<Transport*>(p_pSelf)->m_objDeadlines.arm(p_pConnection, true);
    }

    static void onConnection(void* p_pSelf, MHD_Connection* p_pConnection, void**,
                             MHD_ConnectionNotificationCode p_eWhat) {
        RequestDeadlines& objDeadlines = static_cast<Transport*>(p_pSelf)->m_objDeadlines;
        if (p_eWhat == MHD_CONNECTION_NOTIFY_STARTED) {
            objDeadlines.opened(p_pConnection);
        } else {
            objDeadlines.closed(p_pConnection);
        }
    }

    // Past the cap a connection is closed at once: the transport's own limit would leave it waiting unanswered in
    // the listening socket's queue.
    static MHD_Result onAccept(void* p_pSelf, const sockaddr*, socklen_t) {
        return static_cast<Transport*>(p_pSelf)->m_objDeadlines.open() < SERVE_MAX_CONNECTIONS ? MHD_YES : MHD_NO;
    }

    static void onLog(void* p_pSelf, const char* p_szFormat, va_list p_args) {
        char szLine[512];
        vsnprintf(szLine, sizeof(szLine), p_szFormat, p_args);
        size_t nLength = strlen(szLine);
        while (nLength > 0 && szLine[nLength - 1] == '\n') szLine[--nLength] = '\0';
        static_cast<Transport*>(p_pSelf)->m_objLog.note("http: %s", szLine);
    }

private:
    static MHD_Result addField(void* p_pFields, MHD_ValueKind, const char* p_szName, const char* p_szValue) {
        static_cast<SimHttpFields*>(p_pFields)->emplace_back(p_szName, p_szValue != nullptr ? p_szValue : "");
        return MHD_YES;
    }

    MHD_Result headersIn(MHD_Connection* p_pConnection, const char* p_szUrl, const char* p_szMethod,
                         Exchange& p_exchange) {
        SimHttpRequest& stRequest = p_exchange.stRequest;
        stRequest.strMethod = p_szMethod;
        stRequest.strPath = p_szUrl;
        MHD_get_connection_values(p_pConnection, MHD_HEADER_KIND, addField, &stRequest.vecHeaders);
        MHD_get_connection_values(p_pConnection, MHD_GET_ARGUMENT_KIND, addField, &stRequest.vecArgs);
        long long nDeclared = -1;
        const std::string* pLength = stRequest.header("Content-Length");
        if (pLength != nullptr && stRequest.header("Transfer-Encoding") == nullptr) {
            nDeclared = pLength->size() <= 18 ? atoll(pLength->c_str()) : LLONG_MAX;
        }
        SimHttpReply stRefusal;
        if (!m_objSite.admit(stRequest, nDeclared, stRefusal)) return send(p_pConnection, p_exchange, stRefusal);
        p_exchange.nMaxBody = m_objSite.maxBody(stRequest.strPath);
        return MHD_YES;
    }

    // The transport takes an answer only before the body or after all of it; a chunked body that passes the
    // bound is answered here, on the socket, before the transport closes it.
    void refuseMidBody(MHD_Connection* p_pConnection, Exchange& p_exchange) {
        p_exchange.bAnswered = true;
        SimHttpReply stReply =
            jsonReply(413, {{"error", "the body is larger than " + std::to_string(p_exchange.nMaxBody) + " bytes"}});
        m_objLog.note("%s %s -> 413", p_exchange.stRequest.strMethod.c_str(), p_exchange.stRequest.strPath.c_str());
        std::string strBytes =
            "HTTP/1.1 413 Content Too Large\r\nConnection: close\r\nContent-Type: " + stReply.strType;
        for (const auto& header : FIXED_HEADERS) strBytes += std::string("\r\n") + header.first + ": " + header.second;
        strBytes += "\r\nContent-Length: " + std::to_string(stReply.strBody.size()) + "\r\n\r\n" + stReply.strBody;
        const MHD_ConnectionInfo* pInfo = MHD_get_connection_info(p_pConnection, MHD_CONNECTION_INFO_CONNECTION_FD);
        if (pInfo == nullptr) return;
        // A few hundred bytes into a socket that has sent nothing since the headers: the buffer takes them whole.
        if (::send(pInfo->connect_fd, strBytes.data(), strBytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) > 0) {
            shutdown(pInfo->connect_fd, SHUT_WR);
        }
    }

    SimHttpReply answer(const SimHttpRequest& p_stRequest) {
        try {
            return m_objSite.handle(p_stRequest);
        } catch (const std::exception& e) {
            m_objLog.warn("%s %s failed: %s", p_stRequest.strMethod.c_str(), p_stRequest.strPath.c_str(), e.what());
            return jsonReply(500, {{"error", std::string("the server failed on this request: ") + e.what()}});
        }
    }

    MHD_Result send(MHD_Connection* p_pConnection, Exchange& p_exchange, const SimHttpReply& p_stReply) {
        p_exchange.bAnswered = true;
        m_objLog.note("%s %s -> %d", p_exchange.stRequest.strMethod.c_str(), p_exchange.stRequest.strPath.c_str(),
                      p_stReply.nStatus);
        MHD_Response* pResponse = MHD_create_response_from_buffer(
            p_stReply.strBody.size(), const_cast<char*>(p_stReply.strBody.data()), MHD_RESPMEM_MUST_COPY);
        if (pResponse == nullptr) return MHD_NO;
        MHD_add_response_header(pResponse, "Content-Type", p_stReply.strType.c_str());
        for (const auto& header : FIXED_HEADERS) MHD_add_response_header(pResponse, header.first, header.second);
        for (const auto& header : p_stReply.vecHeaders)
            MHD_add_response_header(pResponse, header.first.c_str(), header.second.c_str());
        MHD_Result eQueued = MHD_queue_response(p_pConnection, static_cast<unsigned>(p_stReply.nStatus), pResponse);
        MHD_destroy_response(pResponse);
        return eQueued;
    }

    const SimServerSite& m_objSite;
    ServerLog& m_objLog;
    RequestDeadlines m_objDeadlines;
};

// A listening socket of our own: no SO_REUSEPORT, so a port that another server holds is an error here.
int listenOn(const std::string& p_strBind, int p_nPort, int& p_nBound, bool& p_bIpv6, std::string& p_strError) {
    sockaddr_storage stAddr{};
    socklen_t nAddrLen = 0;
    auto* pAddr4 = reinterpret_cast<sockaddr_in*>(&stAddr);
    auto* pAddr6 = reinterpret_cast<sockaddr_in6*>(&stAddr);
    p_bIpv6 = inet_pton(AF_INET, p_strBind.c_str(), &pAddr4->sin_addr) != 1;
    if (!p_bIpv6) {
        pAddr4->sin_family = AF_INET;
        pAddr4->sin_port = htons(static_cast<uint16_t>(p_nPort));
        nAddrLen = sizeof(*pAddr4);
    } else {
        inet_pton(AF_INET6, p_strBind.c_str(), &pAddr6->sin6_addr);
        pAddr6->sin6_family = AF_INET6;
        pAddr6->sin6_port = htons(static_cast<uint16_t>(p_nPort));
        nAddrLen = sizeof(*pAddr6);
    }
    int nFd = socket(stAddr.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int nOn = 1;
    // SO_REUSEADDR only lets a restarted server past its old connections' TIME_WAIT.
    if (nFd < 0 || setsockopt(nFd, SOL_SOCKET, SO_REUSEADDR, &nOn, sizeof(nOn)) != 0 ||
        bind(nFd, reinterpret_cast<sockaddr*>(&stAddr), nAddrLen) != 0 || listen(nFd, 128) != 0 ||
        getsockname(nFd, reinterpret_cast<sockaddr*>(&stAddr), &nAddrLen) != 0) {
        p_strError = "cannot listen on " + p_strBind + " port " + std::to_string(p_nPort) + ": " + strerror(errno);
        if (errno == EADDRINUSE) p_strError += " (another program holds the port: try --port 0)";
        if (nFd >= 0) close(nFd);
        return -1;
    }
    p_nBound = ntohs(p_bIpv6 ? pAddr6->sin6_port : pAddr4->sin_port);
    return nFd;
}

}  // namespace

bool serveCamera(SimCamera& p_objCamera, SimOutput& p_objOut, bool p_bVerbose, const SimServeOptions& p_stOptions,
                 const std::string& p_strWebDir, std::string& p_strError) {
    if (p_strWebDir.empty()) {
        p_strError =
            "cannot serve: the page's files (web/index.html) were found neither in share/imagetune/web nor "
            "next to the program";
        return false;
    }
    SimPageFiles mapPage;
    if (!readPageFiles(p_strWebDir, mapPage, p_strError)) return false;

    int nPort = 0;
    bool bIpv6 = false;
    int nListen = listenOn(p_stOptions.strBind, p_stOptions.nPort, nPort, bIpv6, p_strError);
    if (nListen < 0) return false;
    bool bToken = p_stOptions.bRequireToken || !loopbackAddress(p_stOptions.strBind);
    std::string strToken = bToken ? newToken() : "";
    if (bToken && strToken.empty()) {
        close(nListen);
        p_strError = "cannot serve: no random token could be made (/dev/urandom cannot be read)";
        return false;
    }

    // ONVIF clients authenticate beyond loopback; without a configured user they get no further than the clock.
    bool bOnvifAuth = p_stOptions.bRequireAuth || !loopbackAddress(p_stOptions.strBind);
    OnvifCredentials stOnvifUser;
    std::string strOnvifWhy;
    if (bOnvifAuth && !loadOnvifCredentials(p_stOptions.strOnvifCredentials, stOnvifUser, strOnvifWhy) &&
        (p_stOptions.bRequireAuth || !p_stOptions.strOnvifCredentials.empty())) {
        close(nListen);
        p_strError = "cannot serve: " + strOnvifWhy;
        return false;
    }

    ServerLog objLog(p_objOut, p_bVerbose);
    SimApi objApi(p_objCamera);
    SimServerSite objSite(siteAccess(p_stOptions.strBind, nPort, p_stOptions.vecAllowHosts, strToken));
    mountServeRoutes(objSite, objApi, mapPage);
    OnvifAuth objOnvifAuth(stOnvifUser);
    OnvifService objOnvif(
        p_objCamera, [&objApi](int p_nChannel) -> std::mutex& { return objApi.channelLock(p_nChannel); },
        bOnvifAuth ? &objOnvifAuth : nullptr);
    mountOnvifRoutes(objSite, objOnvif);
    if (bOnvifAuth && stOnvifUser.strUser.empty()) {
        objLog.warn("imagetune-sim: ONVIF refuses every client: %s", strOnvifWhy.c_str());
    }

    LibraryOutputPipe objLibraryOutput(objLog);
    p_objCamera.setCaptureEachCall(false);
    if (!objLibraryOutput.begin()) p_objCamera.setCaptureEachCall(true);

    Transport objTransport(objSite, objLog);
    MHD_Daemon* pDaemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ERROR_LOG | (bIpv6 ? MHD_USE_IPv6 : 0), 0,
        &Transport::onAccept, &objTransport, &Transport::onRequest, &objTransport, MHD_OPTION_EXTERNAL_LOGGER,
        &Transport::onLog, &objTransport, MHD_OPTION_LISTEN_SOCKET, nListen, MHD_OPTION_THREAD_POOL_SIZE, WORKERS,
        MHD_OPTION_CONNECTION_LIMIT, 2 * SERVE_MAX_CONNECTIONS, MHD_OPTION_CONNECTION_TIMEOUT, SERVE_REQUEST_SECONDS,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, CONNECTION_MEMORY, MHD_OPTION_STRICT_FOR_CLIENT, 1,
        MHD_OPTION_NOTIFY_COMPLETED, &Transport::onCompleted, &objTransport, MHD_OPTION_NOTIFY_CONNECTION,
        &Transport::onConnection, &objTransport, MHD_OPTION_END);
    if (pDaemon == nullptr) {
        close(nListen);
        objLibraryOutput.end();
        p_objCamera.setCaptureEachCall(true);
        p_strError = "cannot serve on " + p_stOptions.strBind + " port " + std::to_string(nPort) +
                     ": the HTTP server did not start";
        return false;
    }
    std::thread reaper([&] { objTransport.deadlines().run(); });

    std::string strHost =
        p_stOptions.strBind.find(':') != std::string::npos ? "[" + p_stOptions.strBind + "]" : p_stOptions.strBind;
    objLog.warn("imagetune-sim: serving %d channel%s on http://%s:%d/%s (Ctrl-C stops)", p_objCamera.channels(),
                p_objCamera.channels() == 1 ? "" : "s", strHost.c_str(), nPort,
                strToken.empty() ? "" : ("?token=" + strToken).c_str());
    if (!loopbackAddress(p_stOptions.strBind)) {
        objLog.warn(
            "imagetune-sim: every client that reaches %s can read and change the camera with the token "
            "above, which plain HTTP carries in clear",
            strHost.c_str());
    }
    sigset_t set = serverSignals();
    int nSignal = 0;
    sigwait(&set, &nSignal);
    MHD_stop_daemon(pDaemon);
    objTransport.deadlines().stop();
    reaper.join();
    objLibraryOutput.end();
    p_objCamera.setCaptureEachCall(true);
    objLog.note("imagetune-sim: the server stopped");
    return true;
}
