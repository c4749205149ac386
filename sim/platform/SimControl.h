// Test control of the simulated platform: the clock, the wait scale, and file-system faults for power-loss
// tests. Everything here is process-wide and safe to call from any thread.
#ifndef IMAGETUNE_SIM_SIMCONTROL_H
#define IMAGETUNE_SIM_SIMCONTROL_H

#include <string>
#include <vector>

namespace qxsim {

// ---- Clock -------------------------------------------------------------------------------------------------

// From now on QxDeviceTime::getCurrentTime reports this local time, frozen (seconds and milliseconds 0; the date
// stays today's). Minutes past 59 or below 0 carry into the hour and the hour wraps at 24, like a clock:
// setLocalTime(23, 61) is 00:01, setLocalTime(0, -1) is 23:59.
void setLocalTime(int hour, int minute);
// QxDeviceTime::getCurrentTime follows the real clock again.
void useRealTime();
// A QuorixTime::wait of d lasts d * scale; 0 returns at once. The default scale is 1, or the value of the
// environment variable IMAGETUNE_WAIT_SCALE read at the first use of the scale. Negative values count as 0;
// NaN and infinities are ignored. A change also applies to waits already in progress (what remains of them is
// rescaled), so setWaitScale(0) releases every waiting thread at once.
void setWaitScale(double scale);
double getWaitScale();

// ---- File-system faults ------------------------------------------------------------------------------------
// Only QxFile is affected; QxLogger is not, so an error report written while a fault is armed does not use it
// up. A fault acts as a power cut at that point would: nothing else breaks, so code that ignores a failed step
// goes on and its damage shows.

// The next QxFile::write calls together write at most nBytes more bytes; the call that reaches the limit writes
// the bytes up to it and returns the short count, and every later call writes nothing and returns 0.
// -1 disables the limit; 0 makes every write fail.
void failWriteAfter(long long nBytes);
// The next QxFile::renamePath fails with -1 and errno EIO, changing nothing.
void failNextRename();
// The next fsync (QxFile::flush(true) or QxFile::syncDir) fails with errno EIO. flush(true) still hands the
// buffered data to the kernel first, as a real failed fsync would.
void failNextSync();
// Until cleared, every QxFile::open that writes (modeWrite or modeAppend) a device path containing the text
// fails with errno EROFS; "" clears it. Reading stays possible, like a flash partition turned read-only.
void failOpenForWrite(const std::string& devicePathSubstring);
// Clears every fault above and below, the counts and the write-step log.
void resetFaults();

// What the file layer was asked to do since the last resetFaults(), failed calls included: for tests that
// prove a file is replaced whole (temporary file, write, flush + fsync, rename, fsync of the folder).
struct FileOpCounts {
    long long nBytesWritten;  // bytes QxFile::write actually wrote
    int nFileSyncs;           // QxFile::flush(true)
    int nDirSyncs;            // QxFile::syncDir
    int nRenames;             // QxFile::renamePath
    int nRemoves;             // QxFile::removePath
};
FileOpCounts fileOpCounts();

// ---- Write steps: power cuts at a chosen point -----------------------------------------------------------
// Every QxFile call that changes the file system is one write step, numbered from 1 since the last
// resetFaults(): an open for writing, a write, a flush(true), a syncDir, a renamePath, a removePath. A test
// counts the steps of an operation once, then cuts the power at each of them in turn.

enum WriteStepKind { STEP_OPEN, STEP_WRITE, STEP_FILE_SYNC, STEP_DIR_SYNC, STEP_RENAME, STEP_REMOVE };
struct WriteStep {
    long long nNumber;
    WriteStepKind eKind;
    std::string strPath;  // the device path (for a write or a file sync: the path the file was opened with)
};
// The steps since the last resetFaults(), oldest first (the first 10000 of them; later ones are numbered
// and act, but are not logged).
std::vector<WriteStep> writeSteps();
// A power cut just before step n: step n and every later step fail and change nothing (an open or a sync,
// rename or remove fails with EIO, a write writes nothing) until resetFaults(). Reading stays possible, as
// the flash is read after the restart. 0 disables it.
void cutPowerAtStep(long long nStep);
// Step n alone fails, and the operation goes on: a write puts down only the first half of its bytes (a short
// write), any other step fails with EIO and changes nothing. 0 disables it.
void failWriteStep(long long nStep);

// ---- Build facts -------------------------------------------------------------------------------------------

// True when QxMutex is an error-checking mutex in this build (every build but Release): a thread that locks
// it twice, or unlocks it without holding it, gets a report on stderr and the process aborts.
bool mutexErrorCheck();

// ---- Thread stepping ---------------------------------------------------------------------------------------
// For tools and tests that run a background thread's passes themselves, at points of their choosing, on the
// simulated clock. While stepping is on, a started GThread does not run its body by itself: after its "before"
// callable it waits, and each stepThreads call runs one pass of its body on its own thread. start(), stop()
// and the destructor work as ever (a waiting thread stops at once). A pass under way when stepping is switched
// on still finishes by itself; switching it off lets every waiting thread run freely again. Off by default.

void setThreadStepping(bool on);
bool threadStepping();
// Runs one pass of the body of every started GThread, or only of those named p_strName, one thread after
// another in the order the GThreads were constructed; each pass runs on its thread's own thread, and the call
// returns when the last of them is done. Returns the number of passes run (a thread stopped before its pass
// ran counts none); 0 while stepping is off.
int stepThreads(const std::string& p_strName = "");

}  // namespace qxsim

#endif
