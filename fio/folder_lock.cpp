#include "fio/folder_lock.hpp"

#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace slug {

std::string lock_working_folder(double seconds) {
    if (const char* env = std::getenv("SLUGWELL_LOCK_WAIT"); env != nullptr && *env != '\0') {
        char* end = nullptr;
        const double v = std::strtod(env, &end);
        if (*end == '\0' && std::isfinite(v) && v >= 0.0) seconds = v;
    }
    // Kept open (and so locked) until the process ends.
    static int fd = -1;
    if (fd >= 0) return {};
    fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return {};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return {};
        if (errno != EWOULDBLOCK && errno != EINTR) return {};  // no locks here: go on without
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::close(fd);
    fd = -1;
    char shown[32];
    std::snprintf(shown, sizeof shown, "%g", seconds);
    return std::string("another slugwell run is writing its results in this folder; waited ") + shown +
           " s for it to finish. Run again when it has ended, or run in another folder";
}

bool is_same_file(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool same_path(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::exists(a, ec) && std::filesystem::exists(b, ec)) {
        const bool eq = std::filesystem::equivalent(a, b, ec);
        if (!ec) return eq;
    }
    return std::filesystem::weakly_canonical(std::filesystem::absolute(a, ec), ec) == std::filesystem::weakly_canonical(std::filesystem::absolute(b, ec), ec);
}

}  // namespace slug
