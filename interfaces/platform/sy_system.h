// Runs a shell command (/bin/sh -c) with a time limit in seconds (0 or less: no limit). The result is the
// command's exit status, or -1 when it could not run, was killed by a signal, or ran out of time (then it and
// every process it started in its process group are killed).
//
// With a device root (see DeviceRoot.h) the command acts under it: every word that starts with "/" where an
// argument or a redirection target stands gets the root put in front ("rm -rf /mnt/x*" removes <root>/mnt/x*),
// also inside quotes; words in command position ("/bin/rm") and paths under /dev/ stay the host's. A root holding
// characters that the shell would interpret makes the call fail (-1) rather than run something else.
#ifndef IMAGETUNE_PLATFORM_SY_SYSTEM_H
#define IMAGETUNE_PLATFORM_SY_SYSTEM_H

int sy_system(const char* p_szCommand, int p_nTimeoutSec);

#endif
