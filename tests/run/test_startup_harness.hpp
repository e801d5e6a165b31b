// Runs the built slugwell executable in a scratch folder with a given
// console input, and collects its console output, error stream, exit
// status and files.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace slugtest {

namespace fs = std::filesystem;

struct RunResult {
    int status = -1;       // exit status when the program ended by exit
    bool aborted = false;  // ended by SIGABRT
    std::string out;       // standard output
    std::string err;       // error stream
};

inline void put_file(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

inline std::string get_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// A fresh, empty folder for one test.
inline fs::path scratch_dir(const std::string& tag) {
    static int serial = 0;
    const fs::path d =
        fs::temp_directory_path() / ("slug_run_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

// Runs slugwell in `dir` with `console_input` on its standard input.
inline RunResult run_slugwell(const fs::path& dir, const std::string& console_input) {
    put_file(dir / ".stdin", console_input);
    const std::string cmd = "cd '" + dir.string() + "' && ulimit -c 0 && exec '" SLUGWELL_EXE
                            "' < .stdin > .stdout 2> .stderr";
    const int st = std::system(cmd.c_str());
    RunResult r;
    if (WIFSIGNALED(st)) {
        r.aborted = WTERMSIG(st) == SIGABRT;
    } else if (WIFEXITED(st)) {
        r.status = WEXITSTATUS(st);
        // A shell that does not exec reports a signal death as 128 + signal.
        if (r.status == 128 + SIGABRT) r.aborted = true;
    }
    r.out = get_file(dir / ".stdout");
    r.err = get_file(dir / ".stderr");
    return r;
}

}  // namespace slugtest
