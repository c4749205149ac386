/**
 * @file SensorDebug.h
 * @brief The library's debug settings: the level and the assertion switch of /tmp/Debug.sign.
 *
 * The library reads /tmp/Debug.sign (line 1 the level, line 2 the assertion switch) again before every
 * diagnostic statement; without the file the level is 1 and assertions are off. What prints at each level is
 * in the README ("Debug settings").
 */
#ifndef IMAGETUNE_SENSORDEBUG_H
#define IMAGETUNE_SENSORDEBUG_H

#include "ImagetuneApi.h"

/**
 * The debug level as last read from /tmp/Debug.sign. Written by whichever thread last ran updateDebugLevel;
 * the library reads it through relaxed atomic loads, so a reader in the application sees some recent value.
 */
extern IMAGETUNE_API int g_nDebugLevel;
/** The assertion switch as last read: when true, a failed check ends the process after its report. */
extern IMAGETUNE_API bool g_bEnAssert;

/**
 * @brief Reads /tmp/Debug.sign again into g_nDebugLevel and g_bEnAssert.
 *
 * A missing or unreadable file gives level 1 with assertions off.
 *
 * @par Lock
 * Takes no lock.
 * @par Threads
 * Any thread, at the same time as any other operation.
 * @par Before init and after uinit
 * Needs no controller: the same at any time.
 */
IMAGETUNE_API void updateDebugLevel();

#endif
