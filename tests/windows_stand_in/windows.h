// Stands in for <windows.h> when the Windows wait is built on Linux for its
// test: the three calls it makes, on a clock that the test runs.
#ifndef DELAY_TEST_WINDOWS_H
#define DELAY_TEST_WINDOWS_H

#include <stdint.h>

typedef uint32_t DWORD;
typedef int BOOL;
typedef union {
	int64_t QuadPart;
} LARGE_INTEGER;

void Sleep(DWORD milliseconds);
BOOL QueryPerformanceCounter(LARGE_INTEGER *count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER *frequency);

#endif
