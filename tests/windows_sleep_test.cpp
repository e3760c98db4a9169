// The Windows wait ends only once the whole time asked for has passed,
// although kernel32's Sleep may end up to a clock tick early. Built on Linux
// against a stand-in <windows.h> whose Sleep and performance counter run on
// a clock of the test's own.
#include "sleep.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The simulated clock counts in the performance counter's units.
uint64_t counts_per_second;
uint64_t now;
uint64_t tick; // the system clock's tick, 15.625 ms
std::vector<DWORD> kernel_sleeps;

// Rounded up. The product fits 64 bits: 4,294,967,200 ms at 2.9 GHz is
// 1.25e19 counts.
uint64_t counts_for(uint64_t milliseconds)
{
	return (milliseconds * counts_per_second + 999) / 1000;
}

} // namespace

// Kernel32's Sleep as Microsoft describes it: it ends on a tick, as much as
// one tick before the time asked for, but not before the next tick; 0 only
// gives up the rest of the time slice.
void Sleep(DWORD milliseconds)
{
	kernel_sleeps.push_back(milliseconds);
	if (milliseconds == 0)
		return;
	const uint64_t due = now + counts_for(milliseconds);
	uint64_t wake = (now / tick + 1) * tick;
	if (due > tick && wake < due - tick)
		wake = (due - tick + tick - 1) / tick * tick;
	now = wake;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER *count)
{
	count->QuadPart = static_cast<int64_t>(now);
	return 1;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER *frequency)
{
	frequency->QuadPart = static_cast<int64_t>(counts_per_second);
	return 1;
}

namespace {

TEST(WindowsSleep, EndsOnlyOnceTheWholeTimeHasPassed)
{
	// A 10 MHz counter (Windows 10 on), the ACPI timer, a 2.9 GHz TSC.
	for (uint64_t frequency : {uint64_t{10000000}, uint64_t{3579545}, uint64_t{2900000000}}) {
		counts_per_second = frequency;
		tick = counts_for(15625) / 1000;
		// Started anywhere between two ticks.
		for (uint64_t phase : {uint64_t{0}, uint64_t{1}, tick / 2, tick - 1}) {
			for (uint32_t milliseconds : {0u, 1u, 15u, 16u, 17u, 31u, 100u, 500u, 4294967200u}) {
				SCOPED_TRACE(testing::Message() << frequency << " Hz, phase " << phase << ", "
								<< milliseconds << " ms");
				now = 1000 * tick + phase;
				const uint64_t start = now;
				kernel_sleeps.clear();

				platform::Sleep(milliseconds);

				EXPECT_GE(now - start, counts_for(milliseconds));
				// At most a tick late, on top of the tick that ends any wait.
				EXPECT_LE(now - start, counts_for(milliseconds) + 2 * tick);
				// The wait is kernel32's, whole at first, then what is left.
				ASSERT_FALSE(kernel_sleeps.empty());
				EXPECT_EQ(kernel_sleeps[0], milliseconds);
				EXPECT_LE(kernel_sleeps.size(), 3u);
			}
		}
	}
}

} // namespace
