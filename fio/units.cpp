// Unit table of the formatted input/output layer: Fortran-style unit
// numbers bound to C stdio streams, the writes and reads through them, the
// closing rules of each unit, and the fatal report of an input/output
// condition (laid out like the Fortran 77 run-time library's report:
// reason, apparent state, last format, kind of the last transfer).
//
// Unit 5 is standard input and unit 6 standard output; both are always
// connected. The log unit keeps its old contents until the run writes to
// it: records overwrite the file from its start, and at close the file is
// cut after the last record written, or left untouched when there was none.
#include "fio/fio.hpp"
#include "fio/capture.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

namespace slug {

namespace {

// Lines of a C stream. The end of a line is '\n'; a CR just before it
// belongs to the line end (files written on Windows). A last line without
// its end still counts as a line.
class StreamLineSource : public LineSource {
public:
    StreamLineSource(std::FILE* fp, bool strip_bom) : fp_(fp), strip_bom_(strip_bom) {}
    bool next_line(std::string& line) override {
        line.clear();
        bool any = false;
        int c;
        while ((c = std::getc(fp_)) != EOF) {
            any = true;
            if (c == '\n') break;
            line += static_cast<char>(c);
        }
        if (!any) return false;
        ++lines_;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (strip_bom_) {
            strip_bom_ = false;
            if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        }
        return true;
    }

    long lines_read() const { return lines_; }

private:
    std::FILE* fp_;
    bool strip_bom_;
    long lines_ = 0;
};

struct Unit {
    std::FILE* fp = nullptr;
    std::string name;
    bool is_log = false;
    unsigned long long bytes = 0;  // bytes written by this run
    long records = 0;              // records written by this run
    bool write_error = false;
    std::unique_ptr<StreamLineSource> source;
};

// What the fatal report tells of the last transfer.
struct TransferState {
    bool reading = false;
    std::string format;  // empty: no formatted transfer yet
};

std::map<int, Unit>& table() {
    static std::map<int, Unit> t;
    return t;
}

TransferState& transfer() {
    static TransferState s;
    return s;
}

bool g_close_failed = false;

FatalHandler g_fatal_handler = nullptr;

// Bytes that the next open_input of a unit reads instead of its file.
struct Substitute {
    const char* data;
    std::size_t size;
};
std::map<int, Substitute>& substitutes() {
    static std::map<int, Substitute> m;
    return m;
}

void close_at_exit() { close_all_units(); }

// The table is created before the exit handler is registered, so it is
// destroyed only after the handler has closed the units.
void ensure_exit_handler() {
    static const bool registered = [] {
        table();
        transfer();
        std::atexit(close_at_exit);
        return true;
    }();
    (void)registered;
}

void note_transfer(bool reading, std::string_view format) {
    TransferState& s = transfer();
    s.reading = reading;
    s.format = std::string(format);
}

[[noreturn]] void open_failed(int unit, const std::string& name, int err) {
    fatal_io(std::string("open: ") + std::strerror(err), unit, name);
}

std::FILE* open_file(int unit, const std::string& name, const char* mode) {
    ensure_exit_handler();
    if (unit_is_open(unit)) close_unit(unit);
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) open_failed(unit, name, EISDIR);
    errno = 0;
    std::FILE* fp = std::fopen(name.c_str(), mode);
    if (fp == nullptr && std::strcmp(mode, "r+b") == 0 && errno == ENOENT) fp = std::fopen(name.c_str(), "w+b");
    if (fp == nullptr) open_failed(unit, name, errno != 0 ? errno : EIO);
    return fp;
}

void put(int unit, std::string_view text, std::string_view format) {
    // A worker of the parallel time loop: kept for the serial replay.
    if (capture_write(unit, text, format)) return;
    note_transfer(false, format);
    if (unit == kConsole) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return;
    }
    auto it = table().find(unit);
    if (it == table().end() || it->second.source) return;  // not open for writing
    Unit& u = it->second;
    if (std::fwrite(text.data(), 1, text.size(), u.fp) != text.size()) u.write_error = true;
    u.bytes += text.size();
    ++u.records;
}

LineSource& source_of(int unit, const char* operation) {
    static StreamLineSource console(stdin, true);  // a BOM from a piped file is no part of the name
    if (unit == kStdin) {
        std::fflush(stdout);  // the prompt is on the screen before the read waits
        return console;
    }
    auto it = table().find(unit);
    if (it == table().end() || !it->second.source)
        fatal_io(std::string(operation) + ": unit not connected for reading", unit, "");
    return *it->second.source;
}

std::string name_of(int unit) {
    if (unit == kStdin) return "stdin";
    auto it = table().find(unit);
    return it == table().end() ? std::string() : it->second.name;
}

[[noreturn]] void end_of_file(int unit, const char* operation) {
    fatal_io(std::string(operation) + ": end of file", unit, name_of(unit));
}

}  // namespace

void write_list(int unit, std::initializer_list<ListItem> items) { put(unit, format_list(items), "list io"); }

void write_list(int unit, const std::vector<ListItem>& items) { put(unit, format_list(items), "list io"); }

void write_record(int unit, std::string_view record) { write_record(unit, record, "(A)"); }

void write_record(int unit, std::string_view record, std::string_view format) {
    std::string line(record);
    line += '\n';
    put(unit, line, format);
}

void open_results(int unit, const std::string& name) {
    std::FILE* fp = open_file(unit, name, "wb");
    Unit& u = table()[unit];
    u = Unit{};
    u.fp = fp;
    u.name = name;
}

void open_log(int unit, const std::string& name) {
    // "r+": an existing file is neither emptied nor moved; writes start at
    // its first byte. A missing file is created.
    std::FILE* fp = open_file(unit, name, "r+b");
    Unit& u = table()[unit];
    u = Unit{};
    u.fp = fp;
    u.name = name;
    u.is_log = true;
}

void substitute_input(int unit, const char* data, std::size_t size) {
    if (data == nullptr)
        substitutes().erase(unit);
    else
        substitutes()[unit] = Substitute{data, size};
}

FatalHandler set_fatal_handler(FatalHandler handler) {
    const FatalHandler previous = g_fatal_handler;
    g_fatal_handler = handler;
    return previous;
}

void open_input(int unit, const std::string& name) {
    std::FILE* fp = nullptr;
    const auto sub = substitutes().find(unit);
    if (sub != substitutes().end()) {
        ensure_exit_handler();
        if (unit_is_open(unit)) close_unit(unit);
        static char no_bytes[1];
        const Substitute bytes = sub->second;
        substitutes().erase(sub);
        // A memory stream in binary mode reads NUL bytes like any other.
        errno = 0;
        fp = ::fmemopen(bytes.size != 0 ? const_cast<char*>(bytes.data) : no_bytes, bytes.size, "rb");
        if (fp == nullptr) open_failed(unit, name, errno != 0 ? errno : EIO);
    } else {
        fp = open_file(unit, name, "rb");
    }
    Unit& u = table()[unit];
    u = Unit{};
    u.fp = fp;
    u.name = name;
    u.source = std::make_unique<StreamLineSource>(fp, true);
}

bool unit_is_open(int unit) {
    if (unit == kStdin || unit == kConsole) return true;
    return table().count(unit) != 0;
}

void close_unit(int unit) {
    auto it = table().find(unit);
    if (it == table().end()) return;
    Unit u = std::move(it->second);
    table().erase(it);
    const bool writer = !u.source;
    bool failed = u.write_error;
    if (writer && (std::fflush(u.fp) != 0 || std::ferror(u.fp) != 0)) failed = true;
    if (std::fclose(u.fp) != 0 && writer) failed = true;
    if (u.is_log && u.records > 0) {
        // Cut what is left of an older, longer log after this run's records.
        std::error_code ec;
        std::filesystem::resize_file(u.name, u.bytes, ec);
        if (ec) failed = true;
    }
    if (failed) {
        std::fflush(stdout);
        std::fprintf(stderr, "slugwell: error writing %s (unit %d)\n", u.name.c_str(), unit);
        std::fflush(stderr);
        g_close_failed = true;
    }
}

void close_all_units() {
    while (!table().empty()) close_unit(table().begin()->first);
    std::fflush(stdout);
}

void stop_run(int status) {
    close_all_units();
    // The table is also read on the console: a run whose console lines
    // were lost (a full disk behind a redirection) has not succeeded.
    if (std::ferror(stdout) != 0 && status == 0) {
        std::fprintf(stderr, "slugwell: error writing the console (standard output)\n");
        std::fflush(stderr);
        g_close_failed = true;
    }
    if (status == 0 && g_close_failed) status = 1;
    std::exit(status);
}

void fatal_io(const std::string& operation_and_reason, int unit, const std::string& name) {
    if (g_fatal_handler != nullptr) g_fatal_handler(operation_and_reason, unit, name);
    std::fflush(stdout);
    const TransferState& s = transfer();
    std::fprintf(stderr, "%s\n", operation_and_reason.c_str());
    std::fprintf(stderr, "apparent state: unit %d named %s\n", unit, name.c_str());
    if (!s.format.empty()) std::fprintf(stderr, "last format: %s\n", s.format.c_str());
    std::fprintf(stderr, "lately %s sequential formatted external IO\n", s.reading ? "reading" : "writing");
    std::fflush(stderr);
    close_all_units();
    std::abort();
}

void read_unit_skip(int unit) {
    note_transfer(true, "list io");
    std::string line;
    if (!source_of(unit, "list in").next_line(line)) end_of_file(unit, "list in");
}

std::string read_unit_text(int unit, int width) {
    const std::string format = "(A" + std::to_string(width) + ")";
    note_transfer(true, format);
    std::string line;
    if (!source_of(unit, "fmt in").next_line(line)) end_of_file(unit, "fmt in");
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    if (line.size() > w) {
        // Back off to the start of a UTF-8 character cut by the field end.
        std::size_t cut = w;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        line.resize(cut);
    }
    line.resize(w, ' ');
    return line;
}

ReadStatus read_unit_list(int unit, const std::vector<ReadTarget>& targets, std::string* rest) {
    note_transfer(true, "list io");
    const ReadStatus st = read_list(source_of(unit, "list in"), targets, rest);
    if (st == ReadStatus::EndOfFile) end_of_file(unit, "list in");
    return st;
}

ReadStatus read_unit_list_text(int unit, std::string& value) {
    note_transfer(true, "list io");
    const ReadStatus st = read_list_text(source_of(unit, "list in"), value);
    if (st == ReadStatus::EndOfFile) end_of_file(unit, "list in");
    return st;
}

bool read_unit_line(int unit, std::string& line) {
    note_transfer(true, "list io");
    return source_of(unit, "list in").next_line(line);
}

long unit_lines_read(int unit) {
    const auto it = table().find(unit);
    return it == table().end() || !it->second.source ? 0 : it->second.source->lines_read();
}

}  // namespace slug
