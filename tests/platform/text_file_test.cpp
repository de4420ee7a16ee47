#include "platform/text_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform_file.h"
#include "support/temp_dir.h"
#include "text/errors.h"

namespace celestra {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

Lines ReadAllLines(const std::string& path) {
    LineReader reader(path);
    Lines lines;
    while (!reader.Eof()) lines.push_back(reader.ReadLine());
    reader.Close();
    return lines;
}

struct ReaderRow {
    std::string bytes;
    Lines lines;
    const char* reason;
};

TEST(LineReader, SplitsByTable) {
    const ReaderRow rows[] = {
        {"a\r\nb\n", {"a", "b"}, ""},
        {"a\r\nb", {"a", "b"}, "last line without a line end"},
        {"a\r\n\r\nb", {"a", "", "b"}, "an empty line between"},
        {"a\rb\r\n", {"ab"}, "a lone CR is dropped"},
        {"a\r\r\nb", {"a", "b"}, "CR before CR LF"},
        {"a\r", {"a"}, "a CR at the very end"},
        {"a\r\n\x1A"
         "b\r\nc\r\n",
         {"a"},
         "Ctrl-Z at the start of a line ends the file"},
        {"\x1A"
         "abc",
         {},
         "Ctrl-Z as the first byte"},
        {"a\x1A"
         "b\r\n",
         {"a\x1A"
          "b"},
         "Ctrl-Z inside a line is an ordinary byte"},
        {"", {}, "an empty file has no lines"},
        {"\n", {""}, "one empty line"},
        {"a\0b\n"s, {"a\0b"s}, "NUL is an ordinary byte"},
        {"\xE9t\xE9\n", {"\xE9t\xE9"}, "bytes above 127 stay as they are"},
    };
    testing::TempDir dir;
    for (const ReaderRow& row : rows) {
        SCOPED_TRACE(row.reason);
        testing::WriteBytes(dir.File("in.txt"), row.bytes);
        EXPECT_EQ(ReadAllLines(dir.File("in.txt")), row.lines);
    }
}

TEST(LineReader, ReadsLinesLongerThanItsBuffer) {
    testing::TempDir dir;
    const std::string longLine(1 << 20, 'x');
    testing::WriteBytes(dir.File("in.txt"), longLine + "\r" + "y\r\n" + "z");
    EXPECT_EQ(ReadAllLines(dir.File("in.txt")), (Lines{longLine + "y", "z"}));
}

TEST(LineReader, GivesEmptyLinesWithoutFailureAtTheEnd) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("in.txt"), "only\r\n");
    LineReader reader(dir.File("in.txt"));
    EXPECT_EQ(reader.ReadLine(), "only");
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(reader.Eof());
        EXPECT_EQ(reader.ReadLine(), "");
    }
}

TEST(LineWriter, EndsEveryLineWithCrLf) {
    testing::TempDir dir;
    const std::string path = dir.File("out.txt");
    testing::WriteBytes(path, "old content that must go");
    LineWriter writer(path);
    EXPECT_EQ(testing::ReadBytes(path), "") << "opening empties the file at once";
    writer.WriteLine("a");
    writer.WriteLine("");
    writer.WriteLine("b\0c"s);
    writer.Close();
    EXPECT_EQ(testing::ReadBytes(path), "a\r\n\r\nb\0c\r\n"s);
}

// Expects an InOutError with this code and message, byte for byte.
template <typename Call>
void ExpectInOutError(Call call, int code, const std::string& message) {
    using ::testing::AllOf;
    using ::testing::Property;
    EXPECT_THAT(call, ::testing::Throws<InOutError>(AllOf(Property(&InOutError::code, code),
                                                          Property(&InOutError::what, ::testing::StrEq(message)))));
}

TEST(TextFiles, ReportTheCausesOfTheInputOutputTable) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("file"), "x");
    // Each message names the path it was given, after ": ".
    ExpectInOutError([&] { LineReader reader(dir.File("missing")); }, 2, "File not found: " + dir.File("missing"));
    ExpectInOutError([&] { LineReader reader(dir.File("no-folder/missing")); }, 3,
                     "Invalid filename: " + dir.File("no-folder/missing"));
    ExpectInOutError([&] { LineReader reader(dir.File("file/below-a-file")); }, 3,
                     "Invalid filename: " + dir.File("file/below-a-file"));
    ExpectInOutError([&] { LineReader reader(dir.path()); }, 5, "File access denied: " + dir.path());
    ExpectInOutError([&] { LineWriter writer(dir.File("no-folder/out")); }, 3,
                     "Invalid filename: " + dir.File("no-folder/out"));
    ExpectInOutError([&] { LineWriter writer(dir.path()); }, 5, "File access denied: " + dir.path());
}

TEST(InOutErrorOf, MapsPlatformNumbers) {
    const std::string path = "C:\\data\\CometDatBak.Txt";
    const InOutError tooMany = InOutErrorOf(EMFILE, FileAccess::kOpenForReading, path);
    EXPECT_EQ(tooMany.code(), InOutError::kTooManyOpenFiles);
    EXPECT_STREQ(tooMany.what(), "Too many open files: C:\\data\\CometDatBak.Txt");
    const InOutError readOnly = InOutErrorOf(EROFS, FileAccess::kOpenForWriting, path);
    EXPECT_EQ(readOnly.code(), InOutError::kAccessDenied);
    EXPECT_STREQ(readOnly.what(), "File access denied: C:\\data\\CometDatBak.Txt");
    EXPECT_STREQ(InOutErrorOf(EPERM, FileAccess::kOpenForWriting, path).what(),
                 "File access denied: C:\\data\\CometDatBak.Txt");
    // Outside the table the platform's number is shown, even where it
    // equals a code of the table (EIO is 5 on Linux).
    const InOutError full = InOutErrorOf(ENOSPC, FileAccess::kWrite, path);
    EXPECT_EQ(full.code(), ENOSPC);
    EXPECT_EQ(full.what(), "I/O error " + std::to_string(ENOSPC) + ": " + path);
    EXPECT_EQ(InOutErrorOf(EIO, FileAccess::kRead, path).what(), "I/O error " + std::to_string(EIO) + ": " + path);
    // A path with blanks and non-ASCII bytes is named as given.
    EXPECT_STREQ(InOutErrorOf(EACCES, FileAccess::kOpenForReading, "/obs/a\xC3\xB1o 1/objetos.txt").what(),
                 "File access denied: /obs/a\xC3\xB1o 1/objetos.txt");
}

#ifndef _WIN32
// A full disk while the writer writes: /dev/full fails every write with
// ENOSPC, which shows its platform number, not "Disk full".
TEST(LineWriter, ReportsAFullDiskByItsPlatformNumber) {
    if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string message = "I/O error " + std::to_string(ENOSPC) + ": /dev/full";
    ExpectInOutError(
        [&] {
            LineWriter writer("/dev/full");
            for (int i = 0; i < 100000; ++i) writer.WriteLine("a line that fills the buffer");
            writer.Close();
        },
        ENOSPC, message);
}
#endif

TEST(FileExists, IsTrueForFilesOnly) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("file"), "");
    EXPECT_TRUE(FileExists(dir.File("file")));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.File("missing")));
    EXPECT_FALSE(FileExists(""));
}

// Every missing folder of a path is made, with or without its closing
// separator, also below a relative one-letter folder; a file in the way is
// reported.
TEST(MakeFolders, MakesEveryMissingFolder) {
    testing::TempDir dir;
    const std::string top = dir.path() + "/";
    testing::WriteBytes(top + "file", "");
    const struct {
        std::string folder;
        int error;
    } rows[] = {
        {top + "a/b/c/", 0},        {top + "d/e", 0},        {top + "a/b/c/", 0},
#ifndef _WIN32  // Windows names another error for a file in the way
        {top + "file/x/", ENOTDIR}, {top + "file", ENOTDIR},
#endif
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MakeFolders(row.folder), row.error) << row.folder;
        EXPECT_EQ(FolderExists(row.folder), row.error == 0) << row.folder;
    }
    // Nothing is made outside the path: from inside the folder, a relative
    // path, and an absolute one whose root (a drive "C:" on Windows) is no
    // folder to make here.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(MakeFolders("x/y"), 0);
    EXPECT_TRUE(FolderExists("x/y"));
    const std::string absolute = std::filesystem::absolute("z").string();
    EXPECT_EQ(MakeFolders(absolute + "/"), 0);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(".")) ++entries;
    EXPECT_EQ(entries, 5u) << "file, a, d, x and z, nothing else";
    std::filesystem::current_path(previous);
}

// The executable's own path, byte for byte as the system names it.
TEST(ExecutablePath, IsTheRunningProgram) {
#ifdef __linux__
    EXPECT_EQ(ExecutablePath("argv0"), std::filesystem::read_symlink("/proc/self/exe").string());
#else
    const std::string path = ExecutablePath("argv0");
    EXPECT_NE(path, "argv0");
    EXPECT_TRUE(FileExists(path)) << path;
#endif
}

TEST(DirectoryPart, EndsAtTheLastSeparator) {
#ifdef _WIN32
    EXPECT_EQ(DirectoryPart("C:\\data\\comet.dat"), "C:\\data\\");
    EXPECT_EQ(DirectoryPart("C:comet.dat"), "C:");
    EXPECT_EQ(DirectoryPart("C:\\data/sub/comet.dat"), "C:\\data/sub/");
#else
    EXPECT_EQ(DirectoryPart("/home/obs/comet.dat"), "/home/obs/");
    EXPECT_EQ(DirectoryPart("data/comet.dat"), "data/");
    EXPECT_EQ(DirectoryPart("C:\\data\\comet.dat"), "") << "a backslash is part of a POSIX name";
#endif
    EXPECT_EQ(DirectoryPart("comet.dat"), "");
    EXPECT_EQ(DirectoryPart(""), "");
}

}  // namespace
}  // namespace celestra
