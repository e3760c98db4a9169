// The peak resident memory of a command's own image: its VmHWM, read as it
// exits. getrusage and /usr/bin/time report the larger of that and the
// forked parent's pages before exec, which hides anything smaller than the
// parent.
//
//   peak_memory RUNS COMMAND...
//
// Prints the least VmHWM of RUNS runs, in KiB.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long peak_kib(char **argv)
{
	const pid_t pid = fork();
	if (pid == 0) {
		const int null = open("/dev/null", O_RDWR);
		dup2(null, 0);
		dup2(null, 1);
		ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
		execv(argv[0], argv);
		_exit(127);
	}
	int status;
	waitpid(pid, &status, 0); // stopped at the exec
	if (!WIFSTOPPED(status)) {
		std::fprintf(stderr, "peak_memory: %s did not start\n", argv[0]);
		std::exit(1);
	}
	ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void *>(PTRACE_O_TRACEEXIT));
	ptrace(PTRACE_CONT, pid, nullptr, nullptr);
	waitpid(pid, &status, 0); // stopped at its exit, the image still whole
	char path[64], line[256];
	std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
	long kib = -1;
	if (FILE *f = std::fopen(path, "r")) {
		while (std::fgets(line, sizeof line, f))
			if (std::strncmp(line, "VmHWM:", 6) == 0)
				kib = std::strtol(line + 6, nullptr, 10);
		std::fclose(f);
	}
	ptrace(PTRACE_CONT, pid, nullptr, nullptr);
	waitpid(pid, &status, 0);
	if (kib < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
		std::fprintf(stderr, "peak_memory: %s failed\n", argv[0]);
		std::exit(1);
	}
	return kib;
}

} // namespace

int main(int argc, char *argv[])
{
	if (argc < 3) {
		std::fprintf(stderr, "usage: peak_memory RUNS COMMAND...\n");
		return 2;
	}
	long least = LONG_MAX;
	for (int i = std::atoi(argv[1]); i > 0; --i) {
		const long kib = peak_kib(argv + 2);
		if (kib < least)
			least = kib;
	}
	std::printf("%ld\n", least);
	return 0;
}
