#ifndef DELAY_SLEEP_H
#define DELAY_SLEEP_H

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <stdint.h>

// Kernel32's Sleep, for POSIX: returns once at least this many milliseconds
// have passed, whatever signals arrive meanwhile.
void Sleep(uint32_t milliseconds);
#endif

#endif
