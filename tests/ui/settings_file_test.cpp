#include "ui/settings_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#ifdef __linux__
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#ifdef _WIN32
#include <windows.h>
#endif

#include "support/temp_dir.h"
#include "text/errors.h"
#include "ui/app_identity.h"

namespace celestra {
namespace {

using namespace std::string_literals;

struct Read {
    std::string comet = "unset", object = "unset";
};

// A code page whose bytes are the text's: the line rules without any
// conversion, whatever the system's code page.
const SettingsCodePage kBytes{[](std::string_view utf8, std::string& bytes) {
                                  bytes.assign(utf8);
                                  return true;
                              },
                              [](std::string_view bytes) { return std::string(bytes); }};

// Latin-1, a code page with room for Western names only: U+0000 to U+00FF,
// one byte each.
bool ToLatin1(std::string_view utf8, std::string& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += static_cast<char>(lead);
        } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
            bytes += static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            return false;
        }
    }
    return true;
}

std::string FromLatin1(std::string_view bytes) {
    std::string utf8;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

const SettingsCodePage kLatin1{&ToLatin1, &FromLatin1};

Read ReadFrom(const SettingsLocation& location, const SettingsCodePage& codePage = kBytes) {
    Read read;
    ReadSettings(
        location, [&](const std::string& p) { read.comet = p; }, [&](const std::string& p) { read.object = p; },
        codePage);
    return read;
}

// A portable copy: everything beside the executable.
Read ReadFrom(const std::string& folder) { return ReadFrom(SettingsLocation{folder, "", ""}); }
void WriteSettings(const std::string& folder, const std::string& comet, const std::string& object) {
    WriteSettings(SettingsLocation{folder, "", ""}, comet, object, kBytes);
}

TEST(Settings, ReadsTheFirstTwoLines) {
    testing::TempDir dir;
    const std::string folder = dir.path() + "/";
    const struct {
        std::string bytes;
        std::string comet, object;
        const char* reason;
    } rows[] = {
        {"a\r\nb\r\n", "a", "b", ""},
        {"\r\n\r\n", "", "", "two empty lines"},
        {"", "", "", "an empty file empties both"},
        {"only", "only", "", "one line without a line end"},
        {"  C:\\My Data\\comet.dat  \r\nb\r\nthird\r\n", "  C:\\My Data\\comet.dat  ", "b",
         "blanks kept; a third line ignored"},
        {"caf\xE9\nx\n", "caf\xE9", "x", "bytes as they are"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        testing::WriteBytes(folder + "Celestra.ini", row.bytes);
        const Read read = ReadFrom(folder);
        EXPECT_EQ(read.comet, row.comet);
        EXPECT_EQ(read.object, row.object);
    }
}

TEST(Settings, IgnoresAMissingFileOrAFolderOfThatName) {
    testing::TempDir dir;
    const std::string folder = dir.path() + "/";
    EXPECT_EQ(ReadFrom(folder).comet, "unset");
    std::filesystem::create_directory(folder + "Celestra.ini");
    EXPECT_EQ(ReadFrom(folder).comet, "unset");
    EXPECT_THAT([&] { WriteSettings(folder, "a", "b"); },
                ::testing::ThrowsMessage<InOutError>("File access denied: " + folder + "Celestra.ini"));
}

TEST(Settings, WritesTwoLinesEndedByCrLf) {
    testing::TempDir dir;
    const std::string folder = dir.path() + "/";
    WriteSettings(folder, "", "");
    EXPECT_EQ(testing::ReadBytes(folder + "Celestra.ini"), "\r\n\r\n");
    WriteSettings(folder, " /obs/comet.dat ", "objetos \xF1.txt");
    EXPECT_EQ(testing::ReadBytes(folder + "Celestra.ini"), " /obs/comet.dat \r\nobjetos \xF1.txt\r\n");
}

TEST(SettingsLocation, UsesTheUsersFolderOnlyWhenTheProgramFolderIsNotWritable) {
    const struct {
        bool writable;
        const char* xdgConfigHome;
        const char* home;
        const char* userFolder;
    } rows[] = {
        {true, "/home/ana/.cfg", "/home/ana", ""},
        {false, "/home/ana/.cfg", "/home/ana", "/home/ana/.cfg/celestra/"},
        {false, "/home/ana/.cfg/", "/home/ana", "/home/ana/.cfg/celestra/"},
        {false, nullptr, "/home/ana", "/home/ana/.config/celestra/"},
        {false, "", "/home/ana/", "/home/ana/.config/celestra/"},
        {false, "relative/cfg", "/home/ana", "/home/ana/.config/celestra/"},  // only an absolute one counts
        {false, nullptr, nullptr, ""},
        {false, nullptr, "", ""},
    };
    for (const auto& row : rows) {
        const SettingsLocation location = LocateSettings("/usr/bin/", row.writable, row.xdgConfigHome, row.home);
        EXPECT_EQ(location.programFolder, "/usr/bin/");
        EXPECT_EQ(location.userFolder, row.userFolder)
            << row.writable << " " << (row.xdgConfigHome ? row.xdgConfigHome : "unset") << " "
            << (row.home ? row.home : "unset");
    }
}

TEST(SettingsLocation, UsesAppDataOnWindowsWhenTheProgramFolderIsNotWritable) {
    const struct {
        bool writable;
        const char* appData;
        const char* userFolder;
    } rows[] = {
        {true, "C:\\Users\\ana\\AppData\\Roaming", ""},
        {false, "C:\\Users\\ana\\AppData\\Roaming", "C:\\Users\\ana\\AppData\\Roaming\\Celestra\\"},
        {false, "C:\\Roaming\\", "C:\\Roaming\\Celestra\\"},
        {false, "", ""},
        {false, nullptr, ""},
    };
    for (const auto& row : rows) {
        const SettingsLocation location =
            LocateSettingsOnWindows("C:\\Program Files\\Celestra\\", row.writable, row.appData);
        EXPECT_EQ(location.programFolder, "C:\\Program Files\\Celestra\\");
        EXPECT_EQ(location.userFolder, row.userFolder) << (row.appData ? row.appData : "unset");
    }
}

TEST(SettingsLocation, ReadsTheUsersFileFirstAndWritesOnlyThat) {
    testing::TempDir dir;
    const SettingsLocation location{dir.path() + "/bin/", dir.path() + "/config/celestra/", ""};
    std::filesystem::create_directory(location.programFolder);
    EXPECT_EQ(ReadFrom(location).comet, "unset");

    // A file beside the executable gives the start.
    testing::WriteBytes(location.programFolder + "Celestra.ini", "shipped\r\n");
    EXPECT_EQ(ReadFrom(location).comet, "shipped");

    // The first close creates the user's folders; from then on the user's
    // file is read, and the one beside the executable is never touched.
    WriteSettings(location, "mine", "\xF1", kBytes);
    EXPECT_EQ(testing::ReadBytes(location.userFolder + "Celestra.ini"), "mine\r\n\xF1\r\n");
    EXPECT_EQ(ReadFrom(location).comet, "mine");
    EXPECT_EQ(testing::ReadBytes(location.programFolder + "Celestra.ini"), "shipped\r\n");

    // A user folder that cannot be made is reported as the file's error.
    testing::WriteBytes(dir.path() + "/blocked", "");
    EXPECT_THAT(
        [&] {
            WriteSettings(SettingsLocation{location.programFolder, dir.path() + "/blocked/celestra/", ""}, "a", "b");
        },
        ::testing::ThrowsMessage<InOutError>("Invalid filename: " + dir.path() +
                                             "/blocked/celestra/Celestra.ini"));  // ENOTDIR
}

// Runs `body` as a plain user would (root writes anywhere, so a child
// process gives it up first), and returns what it returns: its answer, or
// the text of what it threw.
std::string AsPlainUser(const std::function<std::string()>& body) {
    const auto run = [&] {
        try {
            return body();
        } catch (const std::exception& error) {
            return std::string("threw: ") + error.what();
        }
    };
#ifdef __linux__
    testing::TempDir answerDir;
    std::filesystem::permissions(answerDir.path(), std::filesystem::perms::all);
    const std::string answerFile = answerDir.path() + "/answer";
    const pid_t child = ::fork();
    if (child == -1) return "no child process";
    if (child == 0) {
        if (::getuid() == 0 && ::setuid(65534) != 0) ::_exit(10);
        try {
            testing::WriteBytes(answerFile, run());
        } catch (...) {
            ::_exit(11);
        }
        ::_exit(0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
    return testing::ReadBytes(answerFile);
#else
    return run();
#endif
}

#ifdef __linux__
// An installed copy as a plain user runs it: the program folder is not
// his, yet the paths come back at the next start. Run in a child process
// that gives up root, since root may write anywhere.
TEST(SettingsLocation, AnInstalledCopyKeepsThePathsForAPlainUser) {
    testing::TempDir dir;
    const std::string programFolder = dir.path() + "/usr/bin/", home = dir.path() + "/home";
    std::filesystem::create_directories(programFolder);
    std::filesystem::create_directories(home);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(home, std::filesystem::perms::all);
    std::filesystem::permissions(programFolder, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                                    std::filesystem::perms::group_exec |
                                                    std::filesystem::perms::others_read |
                                                    std::filesystem::perms::others_exec);
    if (::getuid() != 0) ::chmod(programFolder.c_str(), 0555);  // a plain user already
    const std::string answer = AsPlainUser([&] {
        if (::access(programFolder.c_str(), W_OK) == 0) return std::string("the program folder is writable");
        ::unsetenv("XDG_CONFIG_HOME");  // in the child process only
        ::setenv("HOME", home.c_str(), 1);
        WriteSettings(LocateSettings(programFolder), "/obs/comet.dat", "/obs/objetos.txt");
        const Read read = ReadFrom(LocateSettings(programFolder));
        return read.comet + "|" + read.object;
    });
    EXPECT_EQ(answer, "/obs/comet.dat|/obs/objetos.txt");
    EXPECT_EQ(testing::ReadBytes(home + "/.config/celestra/Celestra.ini"), "/obs/comet.dat\r\n/obs/objetos.txt\r\n");
    EXPECT_FALSE(std::filesystem::exists(programFolder + "Celestra.ini"));
}
#endif

// Paths the code page holds keep the file byte for byte as older copies
// wrote it; one it cannot hold makes the whole file UTF-8 behind the mark.
// Either way the paths come back as they were written.
TEST(SettingsEncoding, WritesTheCodePageWhenBothPathsFitElseMarkedUtf8) {
    testing::TempDir dir;
    const std::string folder = dir.path() + "/";
    const SettingsLocation location{folder, "", ""};
    const struct {
        std::string comet, object;
        std::string bytes;
        const char* reason;
    } rows[] = {
        {"C:\\obs\\comet.dat", "C:\\obs\\objetos.txt", "C:\\obs\\comet.dat\r\nC:\\obs\\objetos.txt\r\n", "ASCII"},
        {"C:\\a\xC3\xB1o\\comet.dat", "C:\\\xC3\xA9toiles.txt", "C:\\a\xF1o\\comet.dat\r\nC:\\\xE9toiles.txt\r\n",
         "both in the code page: its bytes, no mark"},
        {"", "", "\r\n\r\n", "two empty paths"},
        {"C:\\users\\\xD0\xB0\xD0\xBD\xD0\xB0\\comet.dat", "C:\\a\xC3\xB1o.txt",
         "\xEF\xBB\xBF"
         "C:\\users\\\xD0\xB0\xD0\xBD\xD0\xB0\\comet.dat\r\nC:\\a\xC3\xB1o.txt\r\n",
         "a Cyrillic comet path: both lines UTF-8"},
        {"C:\\a\xC3\xB1o.dat", "D:\\\xE4\xB8\xAD\xE6\x96\x87.txt",
         "\xEF\xBB\xBF"
         "C:\\a\xC3\xB1o.dat\r\nD:\\\xE4\xB8\xAD\xE6\x96\x87.txt\r\n",
         "a Chinese object path: the mark still before the first line"},
        {"\xEF\xBB\xBF"
         "x",
         "",
         "\xEF\xBB\xBF\xEF\xBB\xBF"
         "x\r\n\r\n",
         "a path that begins with the mark's character keeps it"},
        {"\xC3\xAF\xC2\xBB\xC2\xBF"
         "x",
         "y",
         "\xEF\xBB\xBF\xC3\xAF\xC2\xBB\xC2\xBF"
         "x\r\ny\r\n",
         "a path whose code page bytes would read as the mark: the marked form"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        WriteSettings(location, row.comet, row.object, kLatin1);
        EXPECT_EQ(testing::ReadBytes(folder + "Celestra.ini"), row.bytes);
        const Read read = ReadFrom(location, kLatin1);
        EXPECT_EQ(read.comet, row.comet);
        EXPECT_EQ(read.object, row.object);
    }
}

// A file without the mark is in the code page, even where its bytes would
// also read as UTF-8; the mark counts only at the very start.
TEST(SettingsEncoding, ReadsAFileWithoutTheMarkInTheCodePage) {
    testing::TempDir dir;
    const std::string folder = dir.path() + "/";
    const struct {
        std::string bytes;
        std::string comet, object;
        const char* reason;
    } rows[] = {
        {"caf\xE9\r\nx\r\n", "caf\xC3\xA9", "x", "an older file"},
        {"\xC3\xB1\r\n\xC3\xB1\r\n", "\xC3\x83\xC2\xB1", "\xC3\x83\xC2\xB1", "code page bytes that look like UTF-8"},
        {"\xEF\xBB\xBF\xC3\xB1\r\n\xC3\xB1\r\n", "\xC3\xB1", "\xC3\xB1", "the same behind the mark"},
        {"\xEF\xBB\xBF", "", "", "the mark alone"},
        {"a\r\n\xEF\xBB\xBF"
         "b\r\n",
         "a",
         "\xC3\xAF\xC2\xBB\xC2\xBF"
         "b",
         "the mark's bytes on the second line are text"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        testing::WriteBytes(folder + "Celestra.ini", row.bytes);
        const Read read = ReadFrom(SettingsLocation{folder, "", ""}, kLatin1);
        EXPECT_EQ(read.comet, row.comet);
        EXPECT_EQ(read.object, row.object);
    }
}

// The system's own code page: on Windows the ANSI one, which the test
// machine must have as Windows-1252 (Western); elsewhere the bytes as they
// are, never a mark.
TEST(SettingsEncoding, UsesTheSystemsCodePage) {
    testing::TempDir dir;
    const std::string folder = dir.path() + "/";
    const SettingsLocation location{folder, "", ""};
    const std::string cyrillic = "C:\\\xD0\xBA\xD0\xBE\xD0\xBC\xD0\xB5\xD1\x82\xD1\x8B\\comet.dat";
    WriteSettings(location, cyrillic, "C:\\a\xC3\xB1o.txt");
    const Read read = ReadFrom(location, SystemSettingsCodePage());
    EXPECT_EQ(read.comet, cyrillic);
    EXPECT_EQ(read.object, "C:\\a\xC3\xB1o.txt");
#ifdef _WIN32
    if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    EXPECT_EQ(testing::ReadBytes(folder + "Celestra.ini"), "\xEF\xBB\xBF" + cyrillic + "\r\nC:\\a\xC3\xB1o.txt\r\n");
    WriteSettings(location, "C:\\a\xC3\xB1o\\comet.dat", "C:\\obs\\objetos.txt");
    EXPECT_EQ(testing::ReadBytes(folder + "Celestra.ini"), "C:\\a\xF1o\\comet.dat\r\nC:\\obs\\objetos.txt\r\n");
    testing::WriteBytes(folder + "Celestra.ini", "\xC3\xB1\r\ncaf\xE9\r\n");
    const Read ansi = ReadFrom(location, SystemSettingsCodePage());
    EXPECT_EQ(ansi.comet, "\xC3\x83\xC2\xB1");
    EXPECT_EQ(ansi.object, "caf\xC3\xA9");
#else
    EXPECT_EQ(testing::ReadBytes(folder + "Celestra.ini"), cyrillic + "\r\nC:\\a\xC3\xB1o.txt\r\n");
#endif
}

TEST(SettingsLocation, KnowsTheUsersFolderAsAFallbackEvenWhenTheProgramFolderIsWritable) {
    EXPECT_EQ(LocateSettings("/opt/celestra/", true, "/home/ana/.cfg", "/home/ana").fallbackFolder,
              "/home/ana/.cfg/celestra/");
    EXPECT_EQ(LocateSettings("/opt/celestra/", true, nullptr, "/home/ana").fallbackFolder,
              "/home/ana/.config/celestra/");
    EXPECT_EQ(LocateSettings("/opt/celestra/", true, nullptr, nullptr).fallbackFolder, "");
    EXPECT_EQ(LocateSettingsOnWindows("D:\\Celestra\\", true, "C:\\Users\\ana\\AppData\\Roaming").fallbackFolder,
              "C:\\Users\\ana\\AppData\\Roaming\\Celestra\\");
    EXPECT_EQ(LocateSettingsOnWindows("D:\\Celestra\\", false, "C:\\Roaming").fallbackFolder,
              "C:\\Roaming\\Celestra\\");
    EXPECT_EQ(LocateSettingsOnWindows("D:\\Celestra\\", true, nullptr).fallbackFolder, "");
}

// Folders a plain user may write in, and nothing else of the test's.
void OpenToEveryone(const std::string& folder) {
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::all);
}

void MakeReadOnly(const std::string& path) {
    using std::filesystem::perms;
    std::filesystem::permissions(path, perms::owner_read | perms::group_read | perms::others_read);
}

// A portable copy whose file cannot be written where it is: a close keeps
// the paths and the option in the user's folder, the next start reads them
// from there, and the file beside the executable is left as it was.
TEST(SettingsFallback, AFileThatCannotBeWrittenBesideTheExecutableGoesToTheUsersFolder) {
    const struct {
        const char* reason;
        std::function<void(const std::string& path)> block;
        std::string leftBeside;  // the file's bytes afterwards; empty for a folder
    } rows[] = {
        {"a read-only file",
         [](const std::string& path) {
             testing::WriteBytes(path, "shipped\r\n");
             // As copied from a disc: an old time, and read-only.
             std::filesystem::last_write_time(path,
                                              std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
             MakeReadOnly(path);
         },
         "shipped\r\n"},
        {"a folder of that name", [](const std::string& path) { std::filesystem::create_directory(path); }, ""},
    };
    std::string unblocked;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        testing::TempDir dir;
        OpenToEveryone(dir.path());
        const SettingsLocation location{dir.path() + "/bin/", "", dir.path() + "/config/celestra/"};
        OpenToEveryone(location.programFolder);
        OpenToEveryone(dir.path() + "/config");
        for (const char* name : {"Celestra.ini", "Celestra.opt"}) row.block(location.programFolder + name);

        const std::string answer = AsPlainUser([&] {
            // Wine run by root writes a read-only file all the same.
            if (std::ofstream(location.programFolder + "Celestra.ini", std::ios::app).is_open())
                return std::string("writable");
            WriteSettings(location, "/obs/comet.dat", "/obs/objetos.txt", kBytes);
            WriteOptions(location, {true});
            const Read read = ReadFrom(location);
            return read.comet + "|" + read.object + "|" + (ReadOptions(location).precise ? "ticked" : "unticked");
        });
        if (answer == "writable") {
            unblocked += std::string(" ") + row.reason;
            continue;
        }
        EXPECT_EQ(answer, "/obs/comet.dat|/obs/objetos.txt|ticked");
        ASSERT_TRUE(std::filesystem::exists(location.fallbackFolder + "Celestra.ini"));
        EXPECT_EQ(testing::ReadBytes(location.fallbackFolder + "Celestra.ini"),
                  "/obs/comet.dat\r\n/obs/objetos.txt\r\n");
        EXPECT_EQ(testing::ReadBytes(location.fallbackFolder + "Celestra.opt"), "Preciso=1\r\n");
        if (!row.leftBeside.empty()) {
            EXPECT_EQ(testing::ReadBytes(location.programFolder + "Celestra.ini"), row.leftBeside);
            // Writable again, the file beside the executable takes the next
            // close and is the one read from then on.
            std::filesystem::permissions(location.programFolder + "Celestra.ini", std::filesystem::perms::owner_all);
            WriteSettings(location, "/obs/again.dat", "", kBytes);
            EXPECT_EQ(testing::ReadBytes(location.programFolder + "Celestra.ini"), "/obs/again.dat\r\n\r\n");
            EXPECT_EQ(ReadFrom(location).comet, "/obs/again.dat");
        }
    }
    if (!unblocked.empty()) GTEST_SKIP() << "this system let the test write despite:" << unblocked;
}

// With the program folder writable, the user's copy stands in for the file
// beside the executable only when a close had to put it there: it is newer,
// or a folder holds the name beside the executable. A fresh portable copy
// does not take up the user's settings of another copy.
TEST(SettingsFallback, ReadsTheUsersCopyOnlyWhereItStandsInForTheFileBeside) {
    enum class Beside { kNone, kOlder, kNewer, kFolder };
    const struct {
        Beside beside;
        const char* comet;
        const char* reason;
    } rows[] = {
        {Beside::kNone, "unset", "nothing beside the executable: a new copy"},
        {Beside::kOlder, "users", "the file beside is older"},
        {Beside::kNewer, "beside", "the file beside is newer"},
        {Beside::kFolder, "users", "a folder beside"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        testing::TempDir dir;
        const SettingsLocation location{dir.path() + "/bin/", "", dir.path() + "/config/"};
        std::filesystem::create_directories(location.programFolder);
        std::filesystem::create_directories(location.fallbackFolder);
        const auto now = std::filesystem::file_time_type::clock::now();
        testing::WriteBytes(location.fallbackFolder + "Celestra.ini", "users\r\n");
        std::filesystem::last_write_time(location.fallbackFolder + "Celestra.ini", now - std::chrono::hours(2));
        const std::string beside = location.programFolder + "Celestra.ini";
        if (row.beside == Beside::kFolder) std::filesystem::create_directory(beside);
        if (row.beside == Beside::kOlder || row.beside == Beside::kNewer) {
            testing::WriteBytes(beside, "beside\r\n");
            std::filesystem::last_write_time(beside, now - std::chrono::hours(row.beside == Beside::kOlder ? 3 : 1));
        }
        EXPECT_EQ(ReadFrom(location).comet, row.comet);
    }
}

// Only when no place takes a file is there an error: the first place's,
// naming that file.
TEST(SettingsFallback, NoPlaceToWriteIsOneErrorNamingTheFile) {
    testing::TempDir dir;
    const std::string programFolder = dir.path() + "/bin/";
    std::filesystem::create_directories(programFolder + "Celestra.ini");
    std::filesystem::create_directories(programFolder + "Celestra.opt");
    testing::WriteBytes(dir.path() + "/blocked", "");
    const struct {
        const char* reason;
        std::string fallbackFolder;
    } rows[] = {
        {"no user's folder", ""},
        {"a user's folder that cannot be made", dir.path() + "/blocked/celestra/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        const SettingsLocation location{programFolder, "", row.fallbackFolder};
        EXPECT_THAT([&] { WriteSettings(location, "a", "b", kBytes); },
                    ::testing::ThrowsMessage<InOutError>("File access denied: " + programFolder + "Celestra.ini"));
        EXPECT_THAT([&] { WriteOptions(location, {true}); },
                    ::testing::ThrowsMessage<InOutError>("File access denied: " + programFolder + "Celestra.opt"));
    }
}

TEST(ApplicationTitle, IsTheExecutableNameCapitalised) {
    const std::pair<const char*, const char*> rows[] = {
        {"/usr/bin/celestra", "Celestra"},
        {"programs/PROGRAM.EXE", "Program"},
        {"celestra.test.exe", "Celestra"},
        {"", ""},
    };
    for (const auto& [path, title] : rows) EXPECT_EQ(ApplicationTitle(path), title) << path;
    EXPECT_EQ(ProgramFolder("/opt/celestra/bin/celestra"), "/opt/celestra/bin/");
}

}  // namespace
}  // namespace celestra
