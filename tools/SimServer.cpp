// The web server of "imagetune-sim serve" over Debian's cpp-httplib: the page's files, the API (SimApi.cpp),
// JSON errors for whatever HTTP itself refuses, the library's own output, and an orderly stop on SIGINT or
// SIGTERM.
#include "SimServer.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "SimApi.h"
#include "SimFiles.h"

namespace {

const size_t MAX_PAGE_FILE_BYTES = 1u << 20;

// The page's files, served from memory.
const struct {
    const char* szPath;
    const char* szFile;
    const char* szType;
} PAGE_FILES[] = {
    {"/", "index.html", "text/html; charset=utf-8"},
    {"/index.html", "index.html", "text/html; charset=utf-8"},
    {"/app.js", "app.js", "text/javascript; charset=utf-8"},
    {"/style.css", "style.css", "text/css; charset=utf-8"},
};

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

void sendJson(httplib::Response& p_res, int p_nStatus, const SimJson& p_objBody) {
    p_res.status = p_nStatus;
    p_res.set_content(p_objBody.dump(-1, ' ', false, SimJson::error_handler_t::replace) + "\n", "application/json");
}

// What HTTP itself refused, before any handler ran.
std::string httpRefusal(int p_nStatus) {
    switch (p_nStatus) {
        case 400:
            return "the request is not valid HTTP";
        case 413:
            return "the body is larger than " + std::to_string(SimApi::MAX_BODY_BYTES) + " bytes";
        case 414:
            return "the address is too long";
        case 431:
            return "the request's headers are too large";
        default:
            return "the request was refused (HTTP " + std::to_string(p_nStatus) + ")";
    }
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
    std::map<std::string, std::pair<std::string, const char*>> mapPage;
    for (const auto& stFile : PAGE_FILES) {
        std::string strText;
        std::string strPath = p_strWebDir + "/" + stFile.szFile;
        SimReadResult eRead = readGuardedFile(strPath, MAX_PAGE_FILE_BYTES, strText, p_strError);
        if (eRead == SIM_READ_MISSING) p_strError = "cannot serve: " + strPath + " is missing";
        if (eRead != SIM_READ_OK) return false;
        mapPage[stFile.szPath] = {strText, stFile.szType};
    }

    ServerLog objLog(p_objOut, p_bVerbose);
    SimApi objApi(p_objCamera);
    httplib::Server objServer;
    objServer.set_payload_max_length(SimApi::MAX_BODY_BYTES);
    objServer.set_read_timeout(5, 0);
    objServer.set_write_timeout(5, 0);
    objServer.set_default_headers({{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}});
    auto dispatch = [&](const httplib::Request& p_req, httplib::Response& p_res) {
        if (p_req.path == "/api" || p_req.path.compare(0, 5, "/api/") == 0) {
            SimApiResponse stResponse = objApi.handle(p_req.method, p_req.path, p_req.body);
            sendJson(p_res, stResponse.nStatus, stResponse.objBody);
            return;
        }
        auto it = mapPage.find(p_req.path);
        if (it == mapPage.end()) {
            sendJson(p_res, 404, {{"error", "no such page: " + p_req.path}});
        } else if (p_req.method != "GET" && p_req.method != "HEAD") {
            sendJson(p_res, 405, {{"error", p_req.method + " is not allowed on " + p_req.path}});
        } else {
            p_res.set_content(it->second.first, it->second.second);
        }
    };
    objServer.Get(".*", dispatch);
    objServer.Post(".*", dispatch);
    objServer.Put(".*", dispatch);
    objServer.Patch(".*", dispatch);
    objServer.Delete(".*", dispatch);
    objServer.Options(".*", dispatch);
    objServer.set_error_handler([](const httplib::Request&, httplib::Response& p_res) {
        if (p_res.body.empty()) sendJson(p_res, p_res.status, {{"error", httpRefusal(p_res.status)}});
    });
    objServer.set_exception_handler(
        [&](const httplib::Request& p_req, httplib::Response& p_res, std::exception_ptr p_ex) {
            std::string strWhat = "unknown";
            try {
                std::rethrow_exception(p_ex);
            } catch (const std::exception& e) {
                strWhat = e.what();
            } catch (...) {
            }
            objLog.warn("%s %s failed: %s", p_req.method.c_str(), p_req.path.c_str(), strWhat.c_str());
            sendJson(p_res, 500, {{"error", "the server failed on this request: " + strWhat}});
        });
    objServer.set_logger([&](const httplib::Request& p_req, const httplib::Response& p_res) {
        objLog.note("%s %s -> %d", p_req.method.c_str(), p_req.path.c_str(), p_res.status);
    });

    int nPort = p_stOptions.nPort;
    if (nPort == 0) {
        nPort = objServer.bind_to_any_port(p_stOptions.strBind);
        if (nPort <= 0) {
            p_strError = "cannot listen on " + p_stOptions.strBind + ": " + strerror(errno);
            return false;
        }
    } else if (!objServer.bind_to_port(p_stOptions.strBind, nPort)) {
        p_strError = "cannot listen on " + p_stOptions.strBind + " port " + std::to_string(nPort) + ": " +
                     strerror(errno) + " (another program may use the port: try --port 0)";
        return false;
    }

    LibraryOutputPipe objLibraryOutput(objLog);
    p_objCamera.setCaptureEachCall(false);
    if (!objLibraryOutput.begin()) p_objCamera.setCaptureEachCall(true);

    std::atomic<bool> bStopping(false);
    std::thread waiter([&] {
        sigset_t set = serverSignals();
        int nSignal = 0;
        sigwait(&set, &nSignal);
        bStopping.store(true);
        objServer.stop();
    });
    std::string strHost =
        p_stOptions.strBind.find(':') != std::string::npos ? "[" + p_stOptions.strBind + "]" : p_stOptions.strBind;
    objLog.warn("imagetune-sim: serving %d channel%s on http://%s:%d/ (Ctrl-C stops)", p_objCamera.channels(),
                p_objCamera.channels() == 1 ? "" : "s", strHost.c_str(), nPort);
    if (!bStopping.load()) objServer.listen_after_bind();
    // Wake the waiter if the server ended for another reason.
    if (!bStopping.load()) pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    objLibraryOutput.end();
    p_objCamera.setCaptureEachCall(true);
    objLog.note("imagetune-sim: the server stopped");
    return true;
}
