// Stands in for the platform wait in the recording build of delay: instead of
// waiting, it writes each wait length it is handed to standard error, one per
// line, so that the tests can check every length without waiting it out.
#include "sleep.h"

#include <cstdio>

void platform::Sleep(uint32_t milliseconds)
{
	std::fprintf(stderr, "%lu\n", static_cast<unsigned long>(milliseconds));
}
