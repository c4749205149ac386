// What every fuzz target shares: a private device root for the files the library reads and writes, standard
// output sent away (the library prints a line per call), and a way to stop on a broken invariant.
#ifndef IMAGETUNE_FUZZ_FUZZSUPPORT_H
#define IMAGETUNE_FUZZ_FUZZSUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzsupport {

// Creates a fresh temporary device root (removed at exit), points IMAGETUNE_ROOT at it, creates the folders a
// camera always has and silences standard output. p_nDebugLevel >= 0 writes that level to "/tmp/Debug.sign"
// (assertions off), so that the tagged lines that print fuzzed text are formatted too.
void setUp(int p_nDebugLevel = -1);

// The host path of a device path in the root made by setUp.
std::string hostPath(const std::string& p_strDevicePath);
void writeFile(const std::string& p_strDevicePath, const std::string& p_strContent);
// The file's content; false when it cannot be read.
bool readFile(const std::string& p_strDevicePath, std::string& p_strContent);
void removeFile(const std::string& p_strDevicePath);

// Reports a broken invariant on stderr and aborts, which libFuzzer records as a crash with the input.
[[noreturn]] void fail(const char* p_szWhat, const std::string& p_strDetail = std::string());

}  // namespace fuzzsupport

#define FUZZ_CHECK(cond, detail)                           \
    do {                                                   \
        if (!(cond)) ::fuzzsupport::fail(#cond, (detail)); \
    } while (0)

#endif
