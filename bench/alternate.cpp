// Times two commands run in turn, A B A B ..., so that the machine's drift
// touches both alike. Each run is spawned directly (no shell) with its output
// to /dev/null; its wall time spans spawn to reap.
//
//   alternate RUNS A... -- B...
//
// Prints one line: the median wall time of A and of B in microseconds, the
// median of the pair-by-pair ratios A/B, and the median CPU time (user plus
// system) of A and of B in microseconds.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

struct Sample {
	double wall_us, cpu_us;
};

Sample run(char **argv, posix_spawn_file_actions_t *actions)
{
	timespec start, end;
	clock_gettime(CLOCK_MONOTONIC, &start);
	pid_t pid;
	if (posix_spawn(&pid, argv[0], actions, nullptr, argv, environ) != 0) {
		std::perror(argv[0]);
		std::exit(1);
	}
	int status;
	rusage usage;
	wait4(pid, &status, 0, &usage);
	clock_gettime(CLOCK_MONOTONIC, &end);
	if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
		std::fprintf(stderr, "%s failed\n", argv[0]);
		std::exit(1);
	}
	auto us = [](const timeval &t) { return t.tv_sec * 1e6 + t.tv_usec; };
	return {(end.tv_sec - start.tv_sec) * 1e6 + (end.tv_nsec - start.tv_nsec) / 1e3,
		us(usage.ru_utime) + us(usage.ru_stime)};
}

double median(std::vector<double> v)
{
	std::sort(v.begin(), v.end());
	const size_t n = v.size();
	return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
	if (argc < 5) {
		std::fprintf(stderr, "usage: alternate RUNS A... -- B...\n");
		return 2;
	}
	const int runs = std::atoi(argv[1]);
	char **a = argv + 2, **b = a;
	while (*b && std::strcmp(*b, "--") != 0)
		++b;
	if (!*b) {
		std::fprintf(stderr, "alternate: no --\n");
		return 2;
	}
	*b++ = nullptr;

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

	// One unmeasured pair first: page cache and CPU frequency settle.
	run(a, &actions);
	run(b, &actions);
	std::vector<double> wall_a, wall_b, ratio, cpu_a, cpu_b;
	for (int i = 0; i < runs; ++i) {
		const Sample x = run(a, &actions), y = run(b, &actions);
		wall_a.push_back(x.wall_us);
		wall_b.push_back(y.wall_us);
		ratio.push_back(x.wall_us / y.wall_us);
		cpu_a.push_back(x.cpu_us);
		cpu_b.push_back(y.cpu_us);
	}
	std::printf("%.1f %.1f %.4f %.1f %.1f\n", median(wall_a), median(wall_b), median(ratio), median(cpu_a),
		    median(cpu_b));
	return 0;
}
