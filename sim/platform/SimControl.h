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
// Only QxFile's opens for writing and writes are affected, and, in a test program (which loads the fault layer
// of faults/), fsync, rename and unlink under the device root; QxLogger is not, so an error report written
// while a fault is armed does not use it up. A fault acts as a power cut at that point would: nothing else
// breaks, so code that ignores a failed step goes on and its damage shows.

// The next QxFile::write calls together write at most nBytes more bytes; the call that reaches the limit writes
// the bytes up to it and returns the short count, and every later call writes nothing and returns 0.
// -1 disables the limit; 0 makes every write fail.
void failWriteAfter(long long nBytes);
// The next rename fails with -1 and errno EIO, changing nothing.
void failNextRename();
// The next fsync, of a file or a folder, fails with errno EIO. What was written stays with the kernel, as after
// a real failed fsync, and is not made durable.
void failNextSync();
// Until cleared, every QxFile::open that writes (modeWrite or modeAppend) a device path containing the text
// fails with errno EROFS; "" clears it. Reading stays possible, like a flash partition turned read-only.
void failOpenForWrite(const std::string& devicePathSubstring);
// Clears every fault above and below, the counts and the write-step log, and takes the device tree as it is now
// for what the flash durably holds (see "Power cuts" below).
void resetFaults();

// What the file layer was asked to do since the last resetFaults(), failed calls included: for tests that
// prove a file is replaced whole (temporary file, write, flush + fsync, rename, fsync of the folder).
struct FileOpCounts {
    long long nBytesWritten;  // bytes QxFile::write actually wrote
    int nFileSyncs;           // fsync of a file
    int nDirSyncs;            // fsync of a folder
    int nRenames;             // rename
    int nRemoves;             // unlink
};
FileOpCounts fileOpCounts();

// ---- Write steps: power cuts at a chosen point -----------------------------------------------------------
// Every call that changes the file system is one write step, numbered from 1 since the last resetFaults(): a
// QxFile open for writing, a QxFile write, an fsync of a file or a folder, a rename, an unlink. A test
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

// ---- Power cuts: what the flash keeps ---------------------------------------------------------------------
// A cut loses what was handed to the kernel but not yet made durable. In a test program (one that loads the
// fault layer, which sees fsync, rename and unlink) the file layer's changes under the device root are tracked
// from the last resetFaults() on, the tree as it was then counting as durable:
// - a file's content as of its last fsync, and the writes since (an O_TRUNC open counts as one change, each
//   byte written as one);
// - a folder's entries as of its last fsync, and the entry changes since: files created by an open, renames
//   and removals, in their order.
// A cut keeps of each file's writes, and of each folder's entry changes, any first part: none, some (up to any
// byte) or all, each file and folder on its own. An entry change undone brings back the entry as it was, with
// the content that file had made durable; a file created since its last fsync is empty on the flash. A file's
// fsync does not make its name durable, nor a folder's fsync its files' data. What the process does after a
// cutPowerAtStep fails anyway, so the flash holds at most what came before the cut. Files written behind the
// file layer's back after resetFaults() are not seen, and only files and symbolic links are put back; other
// entries are left as they are.
// Nothing under /tmp survives a cut: it is RAM on the camera, and a restart removes what was written there.
// Since the flash keeps the durable state itself, fsync under the device root does not wait for the host's disk.

// One file's writes, or one folder's entry changes, that a cut may lose in part or whole.
struct UnsyncedChange {
    bool bFolder;
    std::string strPath;  // the folder, or the device path the file has now (or had last)
    long long nUnits;     // bytes written (+1 per truncation), or entry changes, since the last fsync
};
// The changes a cut now would put at risk, in a fixed order: the folders by path, then the files; none under
// /tmp, which a cut loses whole.
std::vector<UnsyncedChange> unsyncedChanges();
// Power off and on again now (after a cutPowerAtStep, or at any moment): the device tree becomes what the
// flash keeps when of change i (as unsyncedChanges() lists them) its first p_vecKept[i] units reached it, 0
// losing it whole. Counts beyond a change's units, and changes past the end of the vector, are kept whole;
// restartFlash({}) keeps everything the kernel was given. Then resetFaults().
void restartFlash(const std::vector<long long>& p_vecKept);

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
