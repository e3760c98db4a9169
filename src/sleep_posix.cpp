#include "sleep.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#ifdef __linux__
#include <sys/prctl.h>
#endif

void Sleep(std::uint32_t milliseconds)
{
	if (milliseconds == 0)
		return;
#ifdef PR_SET_TIMERSLACK
	// Wake at the deadline, not up to the default 50 us after it (0 would
	// mean "back to the default").
	prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
	// An absolute deadline: a signal that interrupts the wait neither
	// shortens nor lengthens it. Boot time counts a suspend as time passed,
	// as the person waiting does.
	timespec deadline;
	clockid_t clock = CLOCK_MONOTONIC;
#ifdef CLOCK_BOOTTIME
	if (clock_gettime(CLOCK_BOOTTIME, &deadline) == 0)
		clock = CLOCK_BOOTTIME;
	else
#endif
		clock_gettime(clock, &deadline);
	deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
	deadline.tv_nsec += static_cast<long>(milliseconds % 1000 * 1000000u);
	if (deadline.tv_nsec >= 1000000000L) {
		deadline.tv_sec += 1;
		deadline.tv_nsec -= 1000000000L;
	}
	while (clock_nanosleep(clock, TIMER_ABSTIME, &deadline, nullptr) == EINTR)
		;
}
