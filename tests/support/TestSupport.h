// Helpers shared by the tests: a temporary device root, file helpers and stdout capture.
#ifndef IMAGETUNE_TESTS_TESTSUPPORT_H
#define IMAGETUNE_TESTS_TESTSUPPORT_H

#include <string>
#include <vector>

namespace testsupport {

// Creates a fresh folder, points IMAGETUNE_ROOT at it for the object's lifetime and removes it afterwards.
class TempDeviceRoot {
public:
    TempDeviceRoot();
    ~TempDeviceRoot();
    TempDeviceRoot(const TempDeviceRoot&) = delete;
    TempDeviceRoot& operator=(const TempDeviceRoot&) = delete;

    const std::string& path() const { return m_strRoot; }
    // The host path of a device path ("/tmp/Debug.sign" -> "<root>/tmp/Debug.sign").
    std::string host(const std::string& p_strDevicePath) const { return m_strRoot + p_strDevicePath; }
    // Writes a file at a device path, creating its folders.
    void write(const std::string& p_strDevicePath, const std::string& p_strContent) const;
    bool exists(const std::string& p_strDevicePath) const;
    std::string read(const std::string& p_strDevicePath) const;
    void remove(const std::string& p_strDevicePath) const;

private:
    std::string m_strRoot;
    std::string m_strOldRoot;
    bool m_bHadOldRoot;
};

void writeHostFile(const std::string& p_strPath, const std::string& p_strContent);
std::string readHostFile(const std::string& p_strPath);
void makeDirs(const std::string& p_strPath);
void removeTree(const std::string& p_strPath);

// Captures what the process writes to standard output (fd 1) between start() and stop().
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    void start();
    std::string stop();

private:
    int m_nSavedFd;
    std::string m_strFile;
};

// Sets the debug settings file of the current device root ("/tmp/Debug.sign"); an empty level removes it.
void setDebugSign(const TempDeviceRoot& p_objRoot, const std::string& p_strLevelLine,
                  const std::string& p_strAssertLine = "0");

// Death tests normally re-run the test binary ("threadsafe" style). Under a user-mode emulator the binary
// cannot be started again by exec, so there they fork in place ("fast").
void useReexecDeathTestStyle();
// False under a user-mode emulator: a test that needs a fresh process per case must skip there.
bool canReexecTestBinary();

}  // namespace testsupport

#endif
