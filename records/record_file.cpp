// Reading a record file with bounded memory: a device without end
// (/dev/zero), a binary or a file far larger than any record is refused
// while it is read, once it passes the limits of records.hpp.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "records/records.hpp"

namespace slug {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

Record read_record_file(const std::string& path, const RecordOptions& options) {
    Record rec;
    auto fail = [&](const std::string& why) {
        rec.errors.push_back(why);
        return rec;
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return fail("data file " + path + " is a folder");
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) return fail("cannot open data file " + path + ": " + std::strerror(errno));

    std::string text;
    std::size_t line_length = 0;  // characters of the current line so far
    int line = 1;
    char buf[65536];
    for (;;) {
        const std::size_t got = std::fread(buf, 1, sizeof buf, f.get());
        for (std::size_t i = 0; i < got; ++i) {
            if (buf[i] == '\n') {
                line_length = 0;
                ++line;
            } else if (++line_length > kRecordMaxLine) {
                return fail("data file " + path + ", line " + std::to_string(line) + ": longer than " +
                            std::to_string(kRecordMaxLine) + " characters: not a line of a record");
            }
        }
        if (text.size() + got > kRecordMaxBytes)
            return fail("data file " + path + " is larger than " + std::to_string(kRecordMaxBytes >> 20) +
                        " MiB: not a record");
        text.append(buf, got);
        if (got < sizeof buf) break;
    }
    if (std::ferror(f.get())) return fail("cannot read data file " + path + ": " + std::strerror(errno));
    return read_record(text, path, options);
}

}  // namespace slug
