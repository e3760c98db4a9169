#include "sleep.h"

#include <errno.h>
#include <stdint.h>
#include <time.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

// Waits until the given time from now on the clock: an absolute deadline, so
// that a signal interrupting the wait neither shortens nor lengthens it.
// Returns 0 once it has passed, or the error of a clock the system lacks.
static int sleep_on(clockid_t clock, uint32_t milliseconds)
{
	timespec deadline;
	if (clock_gettime(clock, &deadline) != 0)
		return errno;
	deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
	deadline.tv_nsec += static_cast<long>(milliseconds % 1000 * 1000000u);
	if (deadline.tv_nsec >= 1000000000L) {
		deadline.tv_sec += 1;
		deadline.tv_nsec -= 1000000000L;
	}
	int error;
	while ((error = clock_nanosleep(clock, TIMER_ABSTIME, &deadline, nullptr)) == EINTR)
		;
	return error;
}

void platform::Sleep(uint32_t milliseconds)
{
	if (milliseconds == 0)
		return;
#ifdef PR_SET_TIMERSLACK
	// Wake at the deadline, not up to the default 50 us after it (0 would
	// mean "back to the default").
	prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
#ifdef CLOCK_BOOTTIME
	// Time spent suspended counts, as it does for the person waiting.
	if (sleep_on(CLOCK_BOOTTIME, milliseconds) == 0)
		return;
#endif
	sleep_on(CLOCK_MONOTONIC, milliseconds);
}
