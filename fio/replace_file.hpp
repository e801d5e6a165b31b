// Whole-file replacement of the program's outputs: a file is written to a
// temporary file in the same folder and renamed over the old one only when
// it is complete, so that an interrupted or failed write never leaves a
// half-written file in place of an earlier result. rename(2) within one
// file system replaces the name atomically: a reader sees the old file or
// the new one, never a mixture.
#pragma once

#include <cstdio>
#include <string>

namespace slug {

class FileReplacement {
public:
    FileReplacement() = default;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement();  // discards an uncommitted file

    // Opens a new temporary file beside `path` for writing. A symbolic link
    // is followed, so the file it names is replaced and the link kept. A
    // path that names something other than a regular file (a device such as
    // /dev/stdout or /dev/full, a pipe) is opened and written directly.
    // False with the system's error number when nothing could be opened.
    bool open(const std::string& path, int& err);

    std::FILE* stream() const { return fp_; }

    // Closes the file and renames it over the target. False with the
    // system's error number when a write, the close or the rename failed;
    // the temporary file is then removed and the old file left as it was.
    bool commit(int& err);

    // Closes and removes the temporary file; the target stays untouched.
    void discard();

private:
    std::FILE* fp_ = nullptr;
    std::string target_;
    std::string temp_;  // empty: written directly
    int slot_ = -1;     // entry in the list the interrupt handler removes
};

// SIGINT and SIGTERM: every temporary file still open is removed and the
// program ends at once with status 128 + signal (130, 143), leaving the
// earlier files as they were. Installed once; later calls do nothing.
void install_interrupt_cleanup();

}  // namespace slug
