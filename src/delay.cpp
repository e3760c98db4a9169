#include "delay.h"
#include "sleep.h"

#include <signal.h>
#include <stdint.h>
#include <stdio.h>

// Counts past the signed 32-bit range saturate, as the C library's atoi does.
static const uint64_t largest_count = 2147483647;

// The longest wait Sleep is handed at once: 42,949,672 tenths, the most whose
// milliseconds fit 32 bits. Longer waits go in pieces, so Sleep never sees
// 0xFFFFFFFF, which kernel32 reads as "forever".
static const uint32_t longest_piece = 4294967200u;

uint64_t delay_milliseconds(const char *text)
{
	// Fixed byte classes: the text must mean the same in every locale.
	const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
	while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
		++p;
	const bool negative = *p == '-';
	if (*p == '-' || *p == '+')
		++p;
	uint64_t tenths = 0;
	for (; *p >= '0' && *p <= '9'; ++p) {
		tenths = tenths * 10 + uint64_t(*p - '0');
		if (tenths > largest_count)
			tenths = largest_count;
	}
	// No wait for a negative count, rather than the 49.7 days of a wrapped one.
	return negative ? 0 : tenths * 100;
}

int delay(int argc, char *argv[])
{
	if (argc < 2) {
#ifdef SIGPIPE
		// A reader that has gone must not turn the exit status into a signal.
		signal(SIGPIPE, SIG_IGN);
#endif
		fputs("Input the delay time(0.1 sec.)\n", stdout);
		return 0;
	}
	uint64_t milliseconds = delay_milliseconds(argv[1]);
	for (; milliseconds > longest_piece; milliseconds -= longest_piece)
		platform::Sleep(longest_piece);
	platform::Sleep(static_cast<uint32_t>(milliseconds));
	return 0;
}
