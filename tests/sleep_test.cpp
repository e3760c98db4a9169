// The POSIX Sleep: at least the time asked for, however many signals with a
// handler interrupt it, and a precise wake-up.
#include "sleep.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/prctl.h>
#include <sys/time.h>

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t interruptions;

void count_interruption(int) { interruptions = interruptions + 1; }

double seconds_for(std::uint32_t milliseconds)
{
	const auto start = Clock::now();
	platform::Sleep(milliseconds);
	return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(Sleep, ReturnsAtOnceForZero)
{
	EXPECT_LT(seconds_for(0), 1.0);
}

TEST(Sleep, SignalsWithAHandlerNeitherShortenNorEndIt)
{
	struct sigaction action = {};
	action.sa_handler = count_interruption; // no SA_RESTART: every one is an EINTR
	sigemptyset(&action.sa_mask);
	ASSERT_EQ(sigaction(SIGALRM, &action, nullptr), 0);
	const itimerval every_7ms = {{0, 7000}, {0, 7000}};
	ASSERT_EQ(setitimer(ITIMER_REAL, &every_7ms, nullptr), 0);
	interruptions = 0;

	const double seconds = seconds_for(300);

	const itimerval off = {};
	setitimer(ITIMER_REAL, &off, nullptr);
	signal(SIGALRM, SIG_DFL);
	EXPECT_GT(interruptions, 5);
	EXPECT_GE(seconds, 0.3);
	EXPECT_LT(seconds, 2.0);
}

TEST(Sleep, LowersTheTimerSlack)
{
	platform::Sleep(1);
	EXPECT_EQ(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0), 1);
}

} // namespace
