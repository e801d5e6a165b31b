// The run's own files under pressure: an input that is one of the files the
// run writes, a run interrupted by a signal, two runs in one folder, a
// system that cannot start the threads asked for, an endless input. Each
// case runs the built program as a child process and checks that no
// earlier result is lost and the run ends with a clear status.
#include <gtest/gtest.h>

#include <sys/file.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "test_robustness_support.hpp"

namespace slug::robustness {
namespace {

// How a child run is started.
struct Launch {
    std::vector<std::string> args;  // after the program name
    std::string typed;              // standard input
    std::vector<std::string> env;   // NAME=VALUE added to the environment
    rlim_t address_space = 0;       // RLIMIT_AS in bytes; 0: unchanged
    std::string error_stream;       // a device (a terminal) for the error stream; empty: captured
};

pid_t start(const Scratch& s, const Launch& l) {
    write_file(s.base() / "stdin.txt", l.typed);
    std::vector<std::string> argv_text{SLUGWELL_EXE};
    argv_text.insert(argv_text.end(), l.args.begin(), l.args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = l.env;  // copies the child may use after fork
    const std::string in = (s.base() / "stdin.txt").string(), out = (s.base() / "stdout.txt").string(),
                      err = l.error_stream.empty() ? (s.base() / "stderr.txt").string() : l.error_stream,
                      work = s.work().string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        struct rlimit no_core = {0, 0};
        ::setrlimit(RLIMIT_CORE, &no_core);
        if (l.address_space != 0) {
            // A stack size of its own, so that the threads' reservations do
            // not depend on the caller's limit.
            struct rlimit stack = {8 << 20, 8 << 20}, as = {l.address_space, l.address_space};
            ::setrlimit(RLIMIT_STACK, &stack);
            ::setrlimit(RLIMIT_AS, &as);
        }
        for (std::string& e : env) ::putenv(e.data());
        const int i = ::open(in.c_str(), O_RDONLY);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int e = l.error_stream.empty() ? ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666)
                                             : ::open(err.c_str(), O_WRONLY | O_NOCTTY);
        if (i < 0 || o < 0 || e < 0 || ::chdir(work.c_str()) != 0) ::_exit(126);
        ::dup2(i, 0);
        ::dup2(o, 1);
        ::dup2(e, 2);
        ::execv(SLUGWELL_EXE, argv.data());
        ::_exit(127);
    }
    EXPECT_GT(pid, 0);
    return pid;
}

Outcome finish(const Scratch& s, pid_t pid) {
    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    Outcome r;
    r.exited = WIFEXITED(wstatus);
    if (r.exited) r.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus)) r.signal = WTERMSIG(wstatus);
    r.out = read_file(s.base() / "stdout.txt");
    r.err = read_file(s.base() / "stderr.txt");
    std::error_code ec;
    r.outfile_exists = fs::is_regular_file(s.work() / "outfile.txt", ec);
    if (r.outfile_exists) r.outfile = read_file(s.work() / "outfile.txt");
    EXPECT_FALSE(has_sanitizer_report(r.err)) << r.err;
    return r;
}

Outcome run(const Scratch& s, const Launch& l) { return finish(s, start(s, l)); }

// Names in the working folder, so that a leftover temporary file shows.
std::vector<std::string> folder_names(const Scratch& s) {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(s.work())) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
}

const std::string kEarlierLog = "log of an earlier run\n";

// The input names a file the run writes (typed at the prompt or given on
// the command line, under its own name or a link): refused with status 1
// before anything is written, the file left as it was.
TEST(RobustnessOutputs, InputThatTheRunWritesIsRefused) {
    struct Case {
        const char* file;  // holds the good input
        const char* link;  // a link to it, used as the name (empty: none)
        bool hard;
        bool typed;
    };
    const Case cases[] = {
        {"outfile.txt", "", false, true},
        {"log.txt", "", false, false},
        {"outfile.txt", "copy.txt", true, true},
        {"log.txt", "alias.txt", false, false},
    };
    for (const Case& c : cases) {
        const std::string name = *c.link != '\0' ? c.link : c.file;
        SCOPED_TRACE(name);
        Scratch s;
        const std::string input = GoodInput().text();
        write_file(s.work() / c.file, input);
        if (*c.link != '\0') {
            if (c.hard)
                fs::create_hard_link(s.work() / c.file, s.work() / c.link);
            else
                fs::create_symlink(c.file, s.work() / c.link);
        }
        Launch l;
        if (c.typed)
            l.typed = name + "\n";
        else
            l.args = {name};
        const Outcome r = run(s, l);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "slugwell: input error in " + name + ": it is the same file as " + c.file +
                             ", which the run writes; give the input file another name\n");
        EXPECT_EQ(read_file(s.work() / c.file), input);
    }
}

// An input without line ends (a device such as /dev/zero) is refused at the
// line limit with status 1, instead of filling the memory.
TEST(RobustnessOutputs, EndlessInputIsRefused) {
    Scratch s;
    write_file(s.work() / "outfile.txt", earlier_outfile());
    const Outcome r = run(s, Launch{{}, "'/dev/zero'\n", {}, 0, ""});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "slugwell: /dev/zero has a line longer than 16 MiB; it is not an input text of this program\n");
    EXPECT_EQ(r.outfile, earlier_outfile());
}

// A run of many times with a long eigenvalue series (about 25000 terms):
// many seconds of work, so that a signal reaches it while it writes.
std::string slow_input() {
    GoodInput in;
    in.set(GoodInput::kAquifer, 2, "1.1E-11");
    in.lines[GoodInput::kCount] = "200";
    in.lines.resize(GoodInput::kFirstTime);
    for (int k = 1; k <= 200; ++k) in.lines.push_back(std::to_string(k));
    return in.text();
}

// SIGINT or SIGTERM while the results are being written: the run ends with
// 128 + signal, the earlier outfile.txt, log.txt and CSV file are intact
// and no temporary file is left.
TEST(RobustnessOutputs, InterruptedRunKeepsTheEarlierFiles) {
    for (const auto& [sig, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        SCOPED_TRACE(status);
        Scratch s;
        write_file(s.work() / "in.txt", slow_input());
        write_file(s.work() / "outfile.txt", earlier_outfile());
        write_file(s.work() / "log.txt", kEarlierLog);
        write_file(s.work() / "r.csv", "earlier csv\n");
        const std::vector<std::string> before = folder_names(s);
        const pid_t pid = start(s, Launch{{"in.txt", "--csv", "r.csv"}, "", {}, 0, ""});
        // Wait (generously) until the results file is being written.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        bool writing = false;
        while (!writing && std::chrono::steady_clock::now() < deadline) {
            for (const std::string& n : folder_names(s)) writing = writing || n.rfind(".outfile.txt.", 0) == 0;
            if (!writing) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(writing);
        ::kill(pid, sig);
        const Outcome r = finish(s, pid);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.outfile, earlier_outfile());
        EXPECT_EQ(read_file(s.work() / "log.txt"), kEarlierLog);
        EXPECT_EQ(read_file(s.work() / "r.csv"), "earlier csv\n");
        EXPECT_EQ(folder_names(s), before);
    }
}

// A second process holds the folder's lock, as a run does while it writes
// its results, and writes outfile.txt just before it lets go. The run
// waits for it (its own table is the last word), or stops with status 1
// when the wait is too long, leaving the files alone.
TEST(RobustnessOutputs, RunsInOneFolderTakeTurns) {
    struct Case {
        int hold_ms;
        const char* wait;  // SLUGWELL_LOCK_WAIT
        int status;
    };
    for (const Case& c : {Case{700, "10", 0}, Case{30000, "0.2", 1}}) {
        SCOPED_TRACE(c.wait);
        Scratch s;
        write_file(s.work() / "in.txt", GoodInput().text());
        write_file(s.work() / "outfile.txt", earlier_outfile());
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const std::string work = s.work().string(), holder_out = (s.work() / "outfile.txt").string();
        const pid_t holder = ::fork();
        if (holder == 0) {
            const int fd = ::open(work.c_str(), O_RDONLY | O_DIRECTORY);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
            ::write(ready[1], "x", 1);
            ::usleep(static_cast<useconds_t>(c.hold_ms) * 1000);
            const int out = ::open(holder_out.c_str(), O_WRONLY | O_TRUNC);
            ::write(out, "HOLDER\n", 7);
            ::_exit(0);
        }
        char x = 0;
        ASSERT_EQ(::read(ready[0], &x, 1), 1);
        const Outcome r = run(s, Launch{{"in.txt"}, "", {std::string("SLUGWELL_LOCK_WAIT=") + c.wait}, 0, ""});
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status == 0) {
            EXPECT_NE(r.outfile.find("H/Ho Ratio"), std::string::npos) << r.outfile;
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_EQ(r.outfile, earlier_outfile());
            EXPECT_EQ(r.err, "slugwell: another slugwell run is writing its results in this folder; waited 0.2 s for "
                             "it to finish. Run again when it has ended, or run in another folder\n");
            ::kill(holder, SIGKILL);
        }
        int st = 0;
        ::waitpid(holder, &st, 0);
        ::close(ready[0]);
        ::close(ready[1]);
    }
}

// A long run shows how far it is on the error stream, when that is a
// terminal (here a pseudo-terminal, the threshold of 2 s set to 0), and
// clears the line at the end; a captured error stream gets nothing.
TEST(RobustnessOutputs, LongRunShowsProgressOnATerminalOnly) {
    GoodInput in;
    in.lines[GoodInput::kCount] = "3";
    in.lines.push_back("1000");
    for (const bool terminal : {true, false}) {
        SCOPED_TRACE(terminal);
        Scratch s;
        write_file(s.work() / "in.txt", in.text());
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(::grantpt(master), 0);
        ASSERT_EQ(::unlockpt(master), 0);
        Launch l{{"in.txt"}, "", {"SLUGWELL_PROGRESS_AFTER=0", "SLUGWELL_THREADS=1"}, 0, ""};
        if (terminal) l.error_stream = ::ptsname(master);
        const Outcome r = run(s, l);
        EXPECT_EQ(r.status, 0);
        std::string shown;
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        char buf[4096];
        for (ssize_t k; (k = ::read(master, buf, sizeof buf)) > 0;) shown.append(buf, static_cast<std::size_t>(k));
        ::close(master);
        if (terminal) {
            EXPECT_NE(shown.find("slugwell: 3 of 3 times done"), std::string::npos) << shown;
            EXPECT_EQ(shown.substr(shown.size() - 62), "\r" + std::string(60, ' ') + "\r");
        } else {
            EXPECT_EQ(shown, "");
            EXPECT_EQ(r.err, "");
        }
    }
}

// Threads: a value of SLUGWELL_THREADS that is not a whole number from 1
// to 256 is named in a warning and the default used; threads the system
// cannot start (little address space) are done without. The results are
// those of any other run.
TEST(RobustnessOutputs, ThreadsThatCannotStartLeaveTheResultsAlone) {
    struct Case {
        const char* threads;
        rlim_t address_space;
        bool warned;
    };
    std::vector<Case> cases = {{"abc", 0, true}, {"0", 0, true}, {"257", 0, true},
                               {"99999999999999999999", 0, true}, {"3", 0, false}};
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // The run needs about 20 MiB; in 64 MiB only a few of the 31 threads
    // asked for (one per output time, 8 MiB of stack each) can start. The
    // sanitizers' shadow memory does not fit either: without them only.
    cases.push_back({"200", rlim_t{64} << 20, false});
#endif
    const std::string expected = read_file(fs::path(SLUG_TEST_DATA) / "expected" / "input.outfile");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.threads);
        Scratch s;
        fs::copy_file(fs::path(SLUG_SOURCE_DIR) / "examples" / "input.txt", s.work() / "in.txt");
        const Outcome r =
            run(s, Launch{{}, "in.txt\n", {std::string("SLUGWELL_THREADS=") + c.threads}, c.address_space, ""});
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.outfile, expected);
        EXPECT_EQ(r.err.find(std::string("slugwell: SLUGWELL_THREADS=") + c.threads + " is not a whole number"),
                  c.warned ? 0 : std::string::npos)
            << r.err;
    }
}

}  // namespace
}  // namespace slug::robustness
