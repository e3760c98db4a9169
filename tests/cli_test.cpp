// End-to-end tests of the delay command, run as a separate process.
//
//   cli_test [gtest flags] --delay=PATH [--launcher=PATH] [--recorder=PATH]
//
// --delay    the command under test
// --launcher a program that runs it and its recording build (Wine, for a
//            Windows build)
// --recorder the recording build, whose Sleep writes each wait length to
//            standard error instead of waiting
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

enum class Output { capture, closed, full, reader_gone };

struct Options {
	Output output = Output::capture;
	bool stdin_open_pipe = false; // else /dev/null
	std::vector<std::pair<double, int>> signals; // (seconds after start, signal)
	double kill_after = 60;
	std::string directory; // to run in, else this one
};

struct Result {
	int status = -1;
	std::string out, err;
	double seconds = 0;
	bool killed = false;
};

std::string delay_path, launcher_path, recorder_path;

bool under_launcher() { return !launcher_path.empty(); }

// Room for a wrong unit to show, and for Wine's start-up.
double slack() { return under_launcher() ? 15.0 : 2.0; }

std::string newline() { return under_launcher() ? "\r\n" : "\n"; }

void drain(int fd, std::string &into, bool &open)
{
	char buf[4096];
	ssize_t n = read(fd, buf, sizeof buf);
	if (n > 0)
		into.append(buf, static_cast<size_t>(n));
	else if (n == 0 || errno != EINTR)
		open = false;
}

Result run(const std::string &program, const std::vector<std::string> &args, const Options &options = {})
{
	std::vector<std::string> words;
	if ((program == delay_path || program == recorder_path) && under_launcher())
		words.push_back(launcher_path);
	words.push_back(program);
	words.insert(words.end(), args.begin(), args.end());
	std::vector<char *> argv;
	for (auto &w : words)
		argv.push_back(w.data());
	argv.push_back(nullptr);

	int out[2], err[2], in[2];
	if (pipe(out) != 0 || pipe(err) != 0 || pipe(in) != 0)
		ADD_FAILURE() << "pipe: " << errno;
	if (options.output == Output::reader_gone) {
		close(out[0]);
		out[0] = -1;
	}

	Result result;
	const auto start = Clock::now();
	const pid_t pid = fork();
	if (pid == 0) {
		// The tool must meet the signals' default actions, whatever this
		// process inherited.
		sigset_t none;
		sigemptyset(&none);
		sigprocmask(SIG_SETMASK, &none, nullptr);
		for (int sig : {SIGINT, SIGTERM, SIGPIPE, SIGCHLD})
			signal(sig, SIG_DFL);
		if (options.stdin_open_pipe)
			dup2(in[0], 0);
		else
			dup2(open("/dev/null", O_RDONLY), 0);
		switch (options.output) {
		case Output::capture:
		case Output::reader_gone:
			dup2(out[1], 1);
			break;
		case Output::closed:
			close(1);
			break;
		case Output::full:
			dup2(open("/dev/full", O_WRONLY), 1);
			break;
		}
		dup2(err[1], 2);
		for (int fd = 3; fd < 256; ++fd)
			close(fd);
		if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
			_exit(126);
		execv(argv[0], argv.data());
		const std::string why = std::string("cannot run ") + argv[0] + ": " + std::strerror(errno);
		(void)!write(2, why.data(), why.size());
		_exit(127);
	}
	close(out[1]);
	close(err[1]);
	close(in[0]); // in[1] stays open: an empty pipe that never ends

	auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
	bool out_open = options.output != Output::reader_gone, err_open = true, reaped = false;
	size_t next_signal = 0;
	while (!reaped) {
		double wake = options.kill_after;
		if (next_signal < options.signals.size())
			wake = options.signals[next_signal].first;
		const int timeout_ms = static_cast<int>(std::max(0.0, wake - elapsed()) * 1000) + 1;
		pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
		if (out_open || err_open) {
			fds[0].fd = out_open ? out[0] : -1;
			fds[1].fd = err_open ? err[0] : -1;
			// Short polls while the pipes are open, so a signal is sent on time.
			if (poll(fds, 2, std::min(timeout_ms, 10)) > 0) {
				if (fds[0].revents)
					drain(out[0], result.out, out_open);
				if (fds[1].revents)
					drain(err[0], result.err, err_open);
			}
		} else {
			usleep(static_cast<useconds_t>(std::min(timeout_ms, 2) * 1000));
		}
		if (waitpid(pid, &result.status, WNOHANG) == pid) {
			result.seconds = elapsed();
			reaped = true;
		} else if (next_signal < options.signals.size() && elapsed() >= options.signals[next_signal].first) {
			kill(pid, options.signals[next_signal++].second);
		} else if (elapsed() >= options.kill_after) {
			kill(pid, SIGKILL);
			result.killed = true;
		}
	}
	// What the tool wrote is in the pipes by now; a process it left behind
	// (Wine's server) may hold them open, so read only what is there.
	for (int fd : {out[0], err[0]})
		if (fd >= 0)
			fcntl(fd, F_SETFL, O_NONBLOCK);
	while (out_open)
		drain(out[0], result.out, out_open);
	while (err_open)
		drain(err[0], result.err, err_open);
	if (out[0] >= 0)
		close(out[0]);
	close(err[0]);
	close(in[1]);
	return result;
}

Result run_delay(const std::vector<std::string> &args, const Options &options = {})
{
	return run(delay_path, args, options);
}

bool exited_zero(const Result &r) { return WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0; }

// Fails, rather than skips, where the launcher is missing: a Windows build
// that nothing runs is untested.
void expect_runnable(const std::string &program)
{
	if (access(program.c_str(), X_OK) != 0)
		GTEST_SKIP() << "no build at '" << program << "'; build its preset first";
	if (under_launcher() && access(launcher_path.c_str(), X_OK) != 0)
		FAIL() << "no launcher at '" << launcher_path << "'; sh scripts/test sets it up";
}

class Delay : public testing::Test {
protected:
	void SetUp() override { expect_runnable(delay_path); }
};

TEST_F(Delay, NoArgumentWritesTheUsageLineAndExitsAtOnce)
{
	for (bool open_stdin : {false, true}) {
		Options options;
		options.stdin_open_pipe = open_stdin; // a read would block until killed
		options.kill_after = 30;
		const Result r = run_delay({}, options);
		EXPECT_FALSE(r.killed);
		EXPECT_TRUE(exited_zero(r)) << r.status;
		EXPECT_EQ(r.out, "Input the delay time(0.1 sec.)" + newline());
		EXPECT_EQ(r.err, "");
		EXPECT_LT(r.seconds, slack());
	}
}

TEST_F(Delay, WaitsAtLeastTheDelayAndWritesNothing)
{
	const struct {
		std::vector<std::string> args;
		double at_least;
	} cases[] = {
		{{"3"}, 0.3},
		{{"   00000000005"}, 0.5}, // longer than 10 characters: converted whole
		{{"+2"}, 0.2},
		{{""}, 0},
		{{"-1"}, 0}, // negative: no wait, not 49.7 days
		{{"abc"}, 0},
	};
	for (const auto &c : cases) {
		const Result r = run_delay(c.args, {});
		SCOPED_TRACE(c.args[0]);
		EXPECT_TRUE(exited_zero(r)) << r.status;
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, "");
		EXPECT_GE(r.seconds, c.at_least);
		EXPECT_LT(r.seconds, c.at_least + slack());
	}
}

// The exact wait lengths, through the recording build, on every platform.
class Recorder : public testing::Test {
protected:
	void SetUp() override
	{
		if (recorder_path.empty())
			GTEST_SKIP() << "no recording build given";
		expect_runnable(recorder_path);
	}
};

// The rest needs the POSIX build and its process model.
class Native : public testing::Test {
protected:
	void SetUp() override
	{
		if (under_launcher() || recorder_path.empty())
			GTEST_SKIP() << "needs the POSIX build and its recording twin";
	}
};

// The lengths the recording build handed to Sleep, one per line.
std::vector<std::uint64_t> wait_lengths(const std::vector<std::string> &args, const Options &options = {})
{
	const Result r = run(recorder_path, args, options);
	EXPECT_TRUE(exited_zero(r)) << r.status << ": " << r.err;
	EXPECT_EQ(r.out, "");
	std::vector<std::uint64_t> lengths;
	size_t start = 0;
	for (size_t end; (end = r.err.find(newline(), start)) != std::string::npos; start = end + newline().size()) {
		const std::string line = r.err.substr(start, end - start);
		if (line.empty() || line.find_first_not_of("0123456789") != std::string::npos)
			break;
		lengths.push_back(std::stoull(line));
	}
	EXPECT_EQ(start, r.err.size()) << "stray output: " << r.err;
	return lengths;
}

using Lengths = std::vector<std::uint64_t>;

// A count past 42,949,672 tenths goes to Sleep in pieces just short of
// 0xFFFFFFFF, which kernel32 reads as "forever".
const std::uint64_t piece = 4294967200;

Lengths pieces(std::uint64_t n, std::uint64_t last)
{
	Lengths l(n, piece);
	l.push_back(last);
	return l;
}

TEST_F(Recorder, HandsSleepTheExactWaitLengths)
{
	const struct {
		std::vector<std::string> args;
		Lengths lengths;
	} cases[] = {
		{{"5"}, {500}},
		{{"0"}, {0}},
		{{""}, {0}},
		{{"007"}, {700}},
		{{"4abc"}, {400}},
		{{"3.9"}, {300}},
		{{"+3"}, {300}},
		{{"5", "9"}, {500}},
		{{"abc"}, {0}},
		{{"0x10"}, {0}},
		{{"-"}, {0}},
		{{"+"}, {0}},
		{{"+-3"}, {0}},
		{{"--3"}, {0}},
		{{"++3"}, {0}},
		{{"-+3"}, {0}},
		{{"- 3"}, {0}},
		{{"+ 3"}, {0}},
		{{"-0"}, {0}},
		{{" \t\n\v\f\r"}, {0}},
		{{" \t\n\v\f\r+12 34"}, {1200}},
		// Signed and unsigned 32-bit boundaries.
		{{"42949672"}, {4294967200}},
		{{"42949673"}, {piece, 100}},
		{{"85899344"}, {piece, piece}},
		{{"-1"}, {0}},
		{{"-2147483648"}, {0}},
		{{"-2147483649"}, {0}},
		{{"-99999999999999999999"}, {0}},
		{{"2147483647"}, pieces(50, 4700)},
		{{"2147483648"}, pieces(50, 4700)},
		{{"4294967295"}, pieces(50, 4700)},
		{{"4294967296"}, pieces(50, 4700)},
		{{"99999999999999999999"}, pieces(50, 4700)},
		// Texts of 10 characters and longer are read whole.
		{{"1234567890"}, pieces(28, 3197707400)},
		{{"  00000007"}, {700}},
		{{"00000000003"}, {300}},
		{{"   00000000005"}, {500}},
		{{"000000000000000000000000000001"}, {100}},
	};
	for (const auto &c : cases) {
		SCOPED_TRACE(testing::PrintToString(c.args));
		EXPECT_EQ(wait_lengths(c.args), c.lengths);
	}
}

TEST_F(Recorder, EveryByteBeforeADigitFallsInAFixedClass)
{
	// Bytes 0x80 to 0xFF are neither blanks nor digits in any locale. On
	// Windows the ANSI code page decides what they become in the argument,
	// so there only ASCII is tried.
	const unsigned last = under_launcher() ? 0x7F : 0xFF;
	for (unsigned byte = 0x01; byte <= last; ++byte) {
		const char c = static_cast<char>(byte);
		std::uint64_t expected = 0;
		if (c == ' ' || (c >= '\t' && c <= '\r') || c == '+')
			expected = 700;
		else if (c >= '0' && c <= '9')
			expected = (static_cast<std::uint64_t>(c - '0') * 10 + 7) * 100;
		SCOPED_TRACE(byte);
		EXPECT_EQ(wait_lengths({std::string(1, c) + "7"}), Lengths{expected});
	}
}

TEST_F(Recorder, ArgumentsAreNotExpandedAsWildcards)
{
	// A C runtime that expanded wildcards would read ?abc as the file 7abc.
	char folder[] = "/tmp/delay-test-XXXXXX";
	ASSERT_NE(mkdtemp(folder), nullptr);
	const std::string file = std::string(folder) + "/7abc";
	const int fd = open(file.c_str(), O_CREAT | O_WRONLY, 0644);
	ASSERT_GE(fd, 0);
	close(fd);
	Options options;
	options.directory = folder;
	for (const char *pattern : {"?abc", "*abc", "*", "[7]abc"}) {
		SCOPED_TRACE(pattern);
		EXPECT_EQ(wait_lengths({pattern}, options), Lengths{0});
	}
	std::remove(file.c_str());
	rmdir(folder);
}

TEST_F(Native, HostileArgumentsEndWellAndWriteNothing)
{
	// The longest single argument Linux passes: 131,071 bytes.
	std::string longest(65000, ' ');
	longest += std::string(131071 - 65000 - 1, '0') + "3";
	ASSERT_EQ(longest.size(), 131071u);
	EXPECT_EQ(wait_lengths({longest}), Lengths{300});
	const Result r = run_delay({longest});
	EXPECT_TRUE(exited_zero(r)) << r.status;
	EXPECT_EQ(r.out + r.err, "");
	EXPECT_GE(r.seconds, 0.3);

	std::vector<std::string> many{"3"};
	many.insert(many.end(), 100, "99999999999");
	EXPECT_EQ(wait_lengths(many), Lengths{300});
}

TEST_F(Native, AFailedUsageWriteStillExitsZero)
{
	for (Output output : {Output::closed, Output::full, Output::reader_gone}) {
		Options options;
		options.output = output;
		const Result r = run_delay({}, options);
		SCOPED_TRACE(static_cast<int>(output));
		EXPECT_TRUE(exited_zero(r)) << (WIFSIGNALED(r.status) ? "killed by signal " : "status ")
					    << (WIFSIGNALED(r.status) ? WTERMSIG(r.status) : r.status);
	}
}

TEST_F(Native, HarmlessSignalsChangeNothing)
{
	for (int sig : {SIGWINCH, SIGCHLD, SIGURG, SIGCONT}) {
		Options options;
		options.signals = {{0.2, sig}, {0.5, sig}};
		const Result r = run_delay({"10"}, options);
		SCOPED_TRACE(sig);
		EXPECT_TRUE(exited_zero(r)) << r.status;
		EXPECT_GE(r.seconds, 1.0);
		EXPECT_LT(r.seconds, 1.0 + slack());
	}
}

TEST_F(Native, AStopDoesNotMoveTheDeadline)
{
	const struct {
		const char *tenths;
		double stop, resume, at_least, less_than;
	} cases[] = {
		// Continued before the deadline: ends on it, not 1.5 s later (3.5 s).
		{"20", 0.3, 1.8, 2.0, 3.0},
		// Continued after it: ends at once, not 0.95 s later (3.45 s).
		{"10", 0.05, 2.5, 2.5, 3.2},
	};
	for (const auto &c : cases) {
		Options options;
		options.signals = {{c.stop, SIGSTOP}, {c.resume, SIGCONT}};
		const Result r = run_delay({c.tenths}, options);
		SCOPED_TRACE(c.resume);
		EXPECT_TRUE(exited_zero(r)) << r.status;
		EXPECT_GE(r.seconds, c.at_least);
		EXPECT_LT(r.seconds, c.less_than);
	}
}

TEST_F(Native, InterruptsEndTheWaitByTheirSignal)
{
	for (int sig : {SIGINT, SIGTERM}) {
		Options options;
		options.signals = {{0.2, sig}};
		const Result r = run_delay({"100"}, options);
		SCOPED_TRACE(sig);
		ASSERT_TRUE(WIFSIGNALED(r.status)) << r.status;
		EXPECT_EQ(WTERMSIG(r.status), sig);
		EXPECT_LT(r.seconds, 0.2 + slack());
	}
}

} // namespace

int main(int argc, char *argv[])
{
	testing::InitGoogleTest(&argc, argv);
	for (int i = 1; i < argc; ++i) {
		const std::string arg = argv[i];
		for (auto [flag, value] : {std::pair{"--delay=", &delay_path}, {"--launcher=", &launcher_path},
					   {"--recorder=", &recorder_path}})
			if (arg.rfind(flag, 0) == 0)
				*value = arg.substr(std::string(flag).size());
	}
	return RUN_ALL_TESTS();
}
