// Exclusive advisory lock (flock(2)) on the working folder, held by a run
// or a fit for as long as it writes its results there (outfile.txt,
// log.txt, fit.txt), so that two runs started together in one folder do
// one after the other instead of mixing their files.
#pragma once

#include <string>

namespace slug {

// Default wait for a folder held by another run, in seconds.
constexpr double kFolderLockWait = 10.0;

// Takes the lock on the current folder, waiting while another process
// holds it, at most `seconds` (the environment variable
// SLUGWELL_LOCK_WAIT, a number of seconds, replaces the default). Returns
// an empty string once the lock is held (until the process ends), else the
// reason it could not be taken. A folder that cannot be locked at all
// (a file system without flock) is used without the lock.
std::string lock_working_folder(double seconds = kFolderLockWait);

// True when both paths name one existing file (same device and inode, so
// hard links, symbolic links and other spellings count).
bool is_same_file(const std::string& a, const std::string& b);

// True when both paths name the same file: the same existing file, or, where
// one does not exist yet (an output to be written), the same absolute path
// once normalized.
bool same_path(const std::string& a, const std::string& b);

}  // namespace slug
