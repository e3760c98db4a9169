#include "sleep.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// Kernel32's Sleep ends on a tick of the system clock (15.6 ms by default)
// and may end up to one tick before the time asked for. The performance
// counter, which never fails from Windows XP on, tells what is left.
void platform::Sleep(uint32_t milliseconds)
{
	LARGE_INTEGER frequency, start, now;
	QueryPerformanceFrequency(&frequency);
	QueryPerformanceCounter(&start);
	const uint64_t per_second = static_cast<uint64_t>(frequency.QuadPart);
	uint32_t left = milliseconds;
	for (;;) {
		::Sleep(left); // kernel32's
		QueryPerformanceCounter(&now);
		const uint64_t counts = static_cast<uint64_t>(now.QuadPart) - static_cast<uint64_t>(start.QuadPart);
		// Rounded down, so that what is left rounds up.
		const uint64_t passed = counts / per_second * 1000 + counts % per_second * 1000 / per_second;
		if (passed >= milliseconds)
			return;
		left = static_cast<uint32_t>(milliseconds - passed);
	}
}
