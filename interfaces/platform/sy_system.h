// Runs a shell command with a time limit in seconds. The result is the command's exit status, or -1.
#ifndef IMAGETUNE_PLATFORM_SY_SYSTEM_H
#define IMAGETUNE_PLATFORM_SY_SYSTEM_H

int sy_system(const char* p_szCommand, int p_nTimeoutSec);

#endif
