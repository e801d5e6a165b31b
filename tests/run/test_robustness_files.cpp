// Files that cannot be used: an input name that is a folder, unreadable or
// not reachable, a console that ends before a name is typed, a log file or
// results file that cannot be opened, and a results file whose writes fail.
// Each gives a clear report and a failure status, never a crash of its own
// and never a lost earlier outfile.txt when the run stops before opening it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "test_robustness_support.hpp"

namespace slug::robustness {
namespace {

// The fatal open report for a unit and name, after the console echo (a
// list-directed write) or, for log.txt, after the banner's record.
std::string open_report(const std::string& reason, int unit, const std::string& name,
                        const std::string& format = "list io") {
    return "open: " + reason + "\napparent state: unit " + std::to_string(unit) + " named " + name +
           "\nlast format: " + format + "\nlately writing sequential formatted external IO\n";
}

// Input names that cannot be opened as the input file: the run ends with
// the fatal open report (unit 11) and an abnormal end before outfile.txt
// is touched.
TEST(RobustnessFiles, InputNamesThatCannotBeOpened) {
    struct Case {
        const char* label;
        std::string typed;   // what is typed at the prompt
        std::string report;  // the error stream
    };
    const std::vector<Case> cases = {
        {"missing", "nothere.txt\n", open_report("No such file or directory", 11, "nothere.txt")},
        {"folder", "sub\n", open_report("Is a directory", 11, "sub")},
        {"folder dot", ".\n", open_report("Is a directory", 11, ".")},
        {"symbolic link loop", "loop1\n", open_report("Too many levels of symbolic links", 11, "loop1")},
        {"dangling link", "dangling\n", open_report("No such file or directory", 11, "dangling")},
        {"path through a file", "'in.txt/x'\n", open_report("Not a directory", 11, "in.txt/x")},
        {"NUL byte in the name", std::string("in.txt\0x\n", 9), open_report("Invalid argument", 11, "in.txt")},
        {"name too long", std::string(5000, 'n') + "\n",
         open_report("File name too long", 11, std::string(5000, 'n'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Scratch s;
        write_file(s.work() / "in.txt", GoodInput().text());
        write_file(s.work() / "outfile.txt", earlier_outfile());
        fs::create_directory(s.work() / "sub");
        fs::create_symlink("loop2", s.work() / "loop1");
        fs::create_symlink("loop1", s.work() / "loop2");
        fs::create_symlink("nowhere.txt", s.work() / "dangling");
        const Outcome r = s.run(c.typed);
        EXPECT_TRUE(r.aborted()) << r.status;
        EXPECT_EQ(r.err, c.report);
        EXPECT_EQ(r.outfile, earlier_outfile());
    }
}

// A file without read permission, run by an unprivileged user (a run as
// root reads it regardless).
TEST(RobustnessFiles, UnreadableInputFile) {
    Scratch s;
    write_file(s.work() / "in.txt", GoodInput().text());
    write_file(s.work() / "outfile.txt", earlier_outfile());
    fs::permissions(s.work(), fs::perms::all);
    fs::permissions(s.work() / "in.txt", fs::perms::none);
    const Outcome r = s.run("in.txt\n", /*unprivileged=*/true);
    EXPECT_TRUE(r.aborted());
    EXPECT_EQ(r.err, open_report("Permission denied", 11, "in.txt"));
    EXPECT_EQ(r.outfile, earlier_outfile());
}

// The console ends before a name was typed (nothing, or only empty and
// blank lines): the fatal end-of-file report for standard input.
TEST(RobustnessFiles, ConsoleEndsBeforeAName) {
    for (const char* typed : {"", "\n", "\n  \n\t\n"}) {
        SCOPED_TRACE(std::string("typed: \"") + typed + "\"");
        Scratch s;
        write_file(s.work() / "outfile.txt", earlier_outfile());
        const Outcome r = s.run(typed);
        EXPECT_TRUE(r.aborted());
        EXPECT_EQ(r.err,
                  "list in: end of file\napparent state: unit 5 named stdin\nlast format: list io\n"
                  "lately reading sequential formatted external IO\n");
        EXPECT_EQ(r.outfile, earlier_outfile());
    }
}

// outfile.txt cannot be created: a folder of that name, or (as an
// unprivileged user) a folder without write permission. The input was
// read completely; the run ends with the fatal open report for unit 21.
TEST(RobustnessFiles, ResultsFileThatCannotBeCreated) {
    {
        SCOPED_TRACE("outfile.txt is a folder");
        Scratch s;
        write_file(s.work() / "in.txt", GoodInput().text());
        fs::create_directory(s.work() / "outfile.txt");
        write_file(s.work() / "outfile.txt" / "keep.txt", earlier_outfile());
        const Outcome r = s.run("in.txt\n");
        EXPECT_TRUE(r.aborted());
        EXPECT_EQ(last_line(r.out), "  End  Reading Input Data");
        EXPECT_EQ(r.err, open_report("Is a directory", 21, "outfile.txt"));
        EXPECT_EQ(read_file(s.work() / "outfile.txt" / "keep.txt"), earlier_outfile());
    }
    {
        SCOPED_TRACE("read-only folder");
        Scratch s;
        write_file(s.work() / "in.txt", GoodInput().text());
        write_file(s.work() / "log.txt", "");
        fs::permissions(s.work() / "log.txt", fs::perms::all);
        fs::permissions(s.work(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
        const Outcome r = s.run("in.txt\n", /*unprivileged=*/true);
        EXPECT_TRUE(r.aborted());
        EXPECT_EQ(r.err, open_report("Permission denied", 21, "outfile.txt"));
        EXPECT_FALSE(r.outfile_exists);
    }
}

// log.txt cannot be opened (a folder of that name): the fatal open report
// for unit 51 right after the banner, before anything else is touched.
TEST(RobustnessFiles, LogFileThatCannotBeOpened) {
    Scratch s;
    write_file(s.work() / "in.txt", GoodInput().text());
    write_file(s.work() / "outfile.txt", earlier_outfile());
    fs::create_directory(s.work() / "log.txt");
    const Outcome r = s.run("in.txt\n");
    EXPECT_TRUE(r.aborted());
    EXPECT_EQ(r.err, open_report("Is a directory", 51, "log.txt", "(/13(10X,A/)/)"));
    EXPECT_EQ(r.out.find("Enter the name"), std::string::npos);
    EXPECT_EQ(r.outfile, earlier_outfile());
}

// Writes to outfile.txt that fail (the device is full): the run must not
// end with status 0 as if the table had been saved.
TEST(RobustnessFiles, ResultsFileOnAFullDeviceFails) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
    Scratch s;
    write_file(s.work() / "in.txt", GoodInput().text());
    fs::create_symlink("/dev/full", s.work() / "outfile.txt");
    const Outcome r = s.run("in.txt\n");
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "slugwell: error writing outfile.txt (unit 21)\n");
}

// Console lines that cannot be written (standard output redirected to a
// full device): the table reached outfile.txt, but the run must still end
// with a failure status and say why.
TEST(RobustnessFiles, ConsoleOnAFullDeviceFails) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
    Scratch s;
    write_file(s.work() / "in.txt", GoodInput().text());
    s.console_to = "/dev/full";
    const Outcome r = s.run("in.txt\n");
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "slugwell: error writing the console (standard output)\n");
    EXPECT_EQ(lines_of(r.outfile).size(), 6u);
}

}  // namespace
}  // namespace slug::robustness
