// Support for the robustness tests: runs the slugwell program as a child
// process in a scratch folder, with the input file name typed on its
// standard input, and captures its console, error stream, exit status and
// the folder's outfile.txt afterwards.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace slug::robustness {

namespace fs = std::filesystem;

// What one run of the program left behind.
struct Outcome {
    bool exited = false;    // ended by exit (status below), not by a signal
    int status = -1;        // exit status when exited
    int signal = 0;         // terminating signal otherwise
    std::string out;        // standard output
    std::string err;        // error stream
    bool outfile_exists = false;
    std::string outfile;    // outfile.txt after the run

    bool aborted() const { return !exited && signal == SIGABRT; }
};

inline std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void write_file(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << p;
}

// Lines of a text, split at '\n' (the last one may lack it).
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> v;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        v.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return v;
}

inline std::string last_line(const std::string& text) {
    const auto v = lines_of(text);
    return v.empty() ? std::string() : v.back();
}

// The error stream without the plausibility warnings ("slugwell: warning:
// ..." lines), which leave the table, the files and the status alone.
inline std::string without_warnings(const std::string& err) {
    std::string out;
    for (const std::string& l : lines_of(err))
        if (l.rfind("slugwell: warning: ", 0) != 0) out += l + "\n";
    return out;
}

// The sanitizer runtimes (in the instrumented CI build) write their
// reports to the error stream; any such report is a fault in itself.
inline bool has_sanitizer_report(const std::string& err) {
    return err.find("Sanitizer") != std::string::npos || err.find("runtime error:") != std::string::npos;
}

// A scratch folder for one test: <tmp>/slug_rob_<pid>_<n>/work is the
// program's working folder; the captured streams live beside it.
class Scratch {
public:
    Scratch() {
        static std::atomic<int> counter{0};
        base_ = fs::temp_directory_path() /
                ("slug_rob_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::remove_all(base_);
        fs::create_directories(work());
    }
    ~Scratch() {
        std::error_code ec;
        // A test may have left a folder without write permission.
        fs::permissions(work(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(base_, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    fs::path work() const { return base_ / "work"; }
    fs::path base() const { return base_; }

    // Runs slugwell in the working folder with `typed` on standard input.
    // With `unprivileged`, a run started as root drops to the user and
    // group "nobody" (65534) first, so that permission bits take effect.
    Outcome run(const std::string& typed, bool unprivileged = false) const {
        const fs::path out_path = base_ / "stdout.txt";
        const fs::path err_path = base_ / "stderr.txt";
        const fs::path in_path = base_ / "stdin.txt";
        write_file(in_path, typed);
        if (unprivileged && ::geteuid() == 0) {
            // The child must still reach its folder and write its streams.
            fs::permissions(base_, fs::perms::all, fs::perm_options::add);
            write_file(out_path, "");
            write_file(err_path, "");
            fs::permissions(out_path, fs::perms::all, fs::perm_options::add);
            fs::permissions(err_path, fs::perms::all, fs::perm_options::add);
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Child: only async-signal-safe calls from here on.
            struct rlimit no_core = {0, 0};
            ::setrlimit(RLIMIT_CORE, &no_core);  // the aborting cases must not leave core files
            const int in = ::open(in_path.c_str(), O_RDONLY);
            if (unprivileged && ::geteuid() == 0) {
                const gid_t nogroup = 65534;
                if (::setgroups(1, &nogroup) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(125);
            }
            const int out = console_to.empty() ? ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666)
                                               : ::open(console_to.c_str(), O_WRONLY);
            const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (in < 0 || out < 0 || err < 0 || ::chdir(work().c_str()) != 0) ::_exit(126);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(err, 2);
            ::execl(SLUGWELL_EXE, SLUGWELL_EXE, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        Outcome r;
        int wstatus = 0;
        EXPECT_GT(pid, 0);
        if (pid > 0) {
            while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
            }
        }
        r.exited = WIFEXITED(wstatus);
        if (r.exited) r.status = WEXITSTATUS(wstatus);
        if (WIFSIGNALED(wstatus)) r.signal = WTERMSIG(wstatus);
        EXPECT_FALSE(r.exited && r.status >= 125) << "the child could not start the program";
        r.out = read_file(out_path);
        r.err = read_file(err_path);
        std::error_code ec;
        const fs::path outfile = work() / "outfile.txt";
        r.outfile_exists = fs::is_regular_file(outfile, ec);
        if (r.outfile_exists) r.outfile = read_file(outfile);
        EXPECT_FALSE(has_sanitizer_report(r.err)) << r.err;
        return r;
    }

    // When set, the program's standard output goes to this existing file
    // (e.g. /dev/full) instead of being captured.
    fs::path console_to;

private:
    fs::path base_;
};

// The contents of an outfile.txt from an earlier good run; a run that
// stops before it opens its results file must leave it exactly so.
inline const std::string& earlier_outfile() {
    static const std::string text =
        "  Water table aquifer with only saturated flow\n"
        "\n"
        "            TIME             H/Ho Ratio        Slug Drawdown\n"
        "        --------------      --------------    --------------\n"
        "             10.00000         0.3805625          0.1902812\n";
    return text;
}

// A good input file, kept as lines so that a case can change one value.
// Line indices (0-based) of the value lines and their values.
struct GoodInput {
    static constexpr int kAquifer = 3, kUnsat = 6, kWell = 9, kCount = 13, kFirstTime = 14;
    std::vector<std::string> lines = {
        "Slug test robustness case",
        "Aquifer: BB KR KZ HKS SS SY",
        "  BB  KR  KZ  HKS  SS  SY",
        "20.0 5.0E-05 5.0E-06 2.0E-05 1.0E-05 0.20",
        "Unsaturated zone: U1 U2 U3 U4",
        "  U1  U2  U3  U4",
        "1.5 1.5 3.0 10.0",
        "Well: HO RW RC ZPD ZPL DS",
        "  HO  RW  RC  ZPD  ZPL  DS",
        "0.50 0.060 0.0254 4.0 7.0 0.020",
        "Output times",
        "one per line",
        "  NTIME",
        "2",
        "10",
        "100",
    };

    // Replaces value `pos` (0-based, blank-separated) of line `line`.
    GoodInput& set(int line, int pos, const std::string& token) {
        std::istringstream in(lines[static_cast<std::size_t>(line)]);
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        words[static_cast<std::size_t>(pos)] = token;
        std::string joined;
        for (const auto& w : words) joined += (joined.empty() ? "" : " ") + w;
        lines[static_cast<std::size_t>(line)] = joined;
        return *this;
    }

    // The file text with the given line end; `lines_kept` cuts it after
    // that many lines (every line keeps its end).
    std::string text(const std::string& eol = "\n", std::size_t lines_kept = std::string::npos) const {
        std::string s;
        for (std::size_t i = 0; i < lines.size() && i < lines_kept; ++i) s += lines[i] + eol;
        return s;
    }
};

// A scratch folder holding in.txt with the given bytes and the outfile.txt
// of an earlier good run, then the run with "in.txt" typed.
inline Outcome run_input(const std::string& bytes, Scratch& s) {
    write_file(s.work() / "in.txt", bytes);
    write_file(s.work() / "outfile.txt", earlier_outfile());
    return s.run("in.txt\n");
}

inline Outcome run_input(const std::string& bytes) {
    Scratch s;
    return run_input(bytes, s);
}

// The console line of the reader's input error for a data line.
inline std::string input_error_line(int data_line) {
    return "  While readling line= " + std::to_string(data_line) + " Encount             an Input Error";
}

}  // namespace slug::robustness
