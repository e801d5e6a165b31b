// Temporary file beside the target, then rename(2) over it. The names of
// the temporary files in use are kept in a fixed table of plain character
// arrays, which the signal handler can read and unlink(2) without taking a
// lock or allocating (both are async-signal-safe).
#include "fio/replace_file.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace slug {

namespace {

namespace fs = std::filesystem;

// A run holds at most a few outputs open at once (outfile.txt, log.txt, a
// CSV, an SVG, the fit's report).
constexpr int kSlots = 16;
char g_temp_names[kSlots][PATH_MAX];
volatile sig_atomic_t g_temp_used[kSlots];

int claim_slot(const std::string& name) {
    if (name.size() >= PATH_MAX) return -1;
    for (int k = 0; k < kSlots; ++k) {
        if (g_temp_used[k] != 0) continue;
        std::memcpy(g_temp_names[k], name.c_str(), name.size() + 1);
        g_temp_used[k] = 1;  // only now may the handler read the name
        return k;
    }
    return -1;
}

void release_slot(int& slot) {
    if (slot >= 0) g_temp_used[slot] = 0;
    slot = -1;
}

extern "C" void on_interrupt(int sig) {
    for (int k = 0; k < kSlots; ++k)
        if (g_temp_used[k] != 0) ::unlink(g_temp_names[k]);
    ::_exit(128 + sig);
}

// Permission bits of a new file as open(2) would give them: 0666 less the
// process's umask (read once; umask(2) can only be read by setting it).
mode_t new_file_mode() {
    static const mode_t mode = [] {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

}  // namespace

FileReplacement::~FileReplacement() { discard(); }

bool FileReplacement::open(const std::string& path, int& err) {
    discard();
    std::string target = path;
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        // Not a file that can be replaced: written in place.
        errno = 0;
        fp_ = std::fopen(path.c_str(), "wb");
        if (fp_ == nullptr) err = errno != 0 ? errno : EIO;
        target_ = path;
        return fp_ != nullptr;
    }
    // A file the user may not write stays protected, as when it is opened
    // for writing in place.
    if (exists && ::access(path.c_str(), W_OK) != 0) {
        err = errno;
        return false;
    }
    if (exists) {
        std::error_code ec;
        const fs::path real = fs::canonical(path, ec);
        if (!ec) target = real.string();
    }
    const fs::path t(target);
    const std::string folder = t.has_parent_path() ? t.parent_path().string() + "/" : std::string();
    std::string temp = folder + "." + t.filename().string() + ".slugwell-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return false;
    }
    ::fchmod(fd, exists ? (st.st_mode & 07777) : new_file_mode());
    slot_ = claim_slot(temp);
    fp_ = ::fdopen(fd, "wb");
    if (fp_ == nullptr) {
        err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        release_slot(slot_);
        return false;
    }
    target_ = target;
    temp_ = temp;
    return true;
}

bool FileReplacement::commit(int& err) {
    if (fp_ == nullptr) {
        err = EBADF;
        return false;
    }
    int e = 0;
    if (std::fflush(fp_) != 0 || std::ferror(fp_) != 0) e = errno != 0 ? errno : EIO;
    if (std::fclose(fp_) != 0 && e == 0) e = errno != 0 ? errno : EIO;
    fp_ = nullptr;
    if (!temp_.empty()) {
        if (e == 0 && std::rename(temp_.c_str(), target_.c_str()) != 0) e = errno;
        if (e != 0) ::unlink(temp_.c_str());
        temp_.clear();
        release_slot(slot_);
    }
    err = e;
    return e == 0;
}

void FileReplacement::discard() {
    if (fp_ != nullptr) std::fclose(fp_);
    fp_ = nullptr;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    release_slot(slot_);
}

void install_interrupt_cleanup() {
    static const bool installed = [] {
        struct sigaction sa {};
        sa.sa_handler = on_interrupt;
        sigemptyset(&sa.sa_mask);
        sigaddset(&sa.sa_mask, SIGINT);
        sigaddset(&sa.sa_mask, SIGTERM);
        for (int sig : {SIGINT, SIGTERM}) {
            // A signal the parent set to be ignored (nohup, a background
            // job) stays ignored.
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
            ::sigaction(sig, &sa, nullptr);
        }
        return true;
    }();
    (void)installed;
}

}  // namespace slug
