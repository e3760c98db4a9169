// Fuzzes delay's reading of its argument: for every text, the wait and the
// waits handed to Sleep must be exactly those of a model written apart from
// the tool, which reads the digits into a wide integer, clamps it, and splits
// the wait into the pieces that kernel32's Sleep can take.
#include "delay.h"
#include "sleep.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const size_t most_waits = 64;
std::uint32_t waits[most_waits];
size_t wait_count;

// Returns the number of waits, and the whole wait in *total.
size_t model(const char *text, std::uint32_t *out, std::uint64_t *total)
{
	size_t i = 0;
	while (text[i] != '\0' && std::memchr("\t\n\v\f\r ", text[i], 6) != nullptr)
		++i;
	bool negative = false;
	if (text[i] == '+' || text[i] == '-')
		negative = text[i++] == '-';
	std::uint64_t count = 0;
	for (; text[i] >= '0' && text[i] <= '9'; ++i)
		if (count <= INT32_MAX)
			count = count * 10 + static_cast<std::uint64_t>(text[i] - '0');
	if (count > INT32_MAX)
		count = INT32_MAX;
	if (negative)
		count = 0;

	const std::uint64_t piece = 4294967200;
	*total = count * 100;
	size_t n = 0;
	for (std::uint64_t k = 0; k < *total / piece; ++k)
		out[n++] = static_cast<std::uint32_t>(piece);
	if (*total % piece != 0 || n == 0)
		out[n++] = static_cast<std::uint32_t>(*total % piece);
	return n;
}

} // namespace

void platform::Sleep(uint32_t milliseconds)
{
	if (wait_count == most_waits)
		std::abort();
	waits[wait_count++] = milliseconds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
	// Exactly as long as the argument, so that a read past its end is caught.
	char *text = static_cast<char *>(std::malloc(size + 1));
	std::memcpy(text, data, size);
	text[size] = '\0';
	char name[] = "delay";
	char *argv[] = {name, text, nullptr};

	wait_count = 0;
	const int status = delay(2, argv);
	std::uint32_t expected[most_waits];
	std::uint64_t expected_total;
	const size_t expected_count = model(text, expected, &expected_total);
	if (status != 0 || delay_milliseconds(text) != expected_total || wait_count != expected_count ||
	    std::memcmp(waits, expected, expected_count * sizeof expected[0]) != 0) {
		std::fprintf(stderr, "text \"");
		for (const char *c = text; *c != '\0'; ++c)
			std::fprintf(stderr, *c > ' ' && *c < 0x7f ? "%c" : "\\x%02x", static_cast<unsigned char>(*c));
		std::fprintf(stderr, "\": status %d, %llu ms in %zu waits, expected %llu ms in %zu\n", status,
			     static_cast<unsigned long long>(delay_milliseconds(text)), wait_count,
			     static_cast<unsigned long long>(expected_total), expected_count);
		for (size_t i = 0; i < wait_count || i < expected_count; ++i)
			std::fprintf(stderr, "  %lu / %lu\n", i < wait_count ? static_cast<unsigned long>(waits[i]) : 0UL,
				     i < expected_count ? static_cast<unsigned long>(expected[i]) : 0UL);
		std::abort();
	}
	std::free(text);
	return 0;
}
