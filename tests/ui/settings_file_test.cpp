#include "ui/settings_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef __linux__
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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

Read ReadFrom(const SettingsLocation& location) {
    Read read;
    ReadSettings(
        location, [&](const std::string& p) { read.comet = p; }, [&](const std::string& p) { read.object = p; });
    return read;
}

// A portable copy: everything beside the executable.
Read ReadFrom(const std::string& folder) { return ReadFrom(SettingsLocation{folder, ""}); }
void WriteSettings(const std::string& folder, const std::string& comet, const std::string& object) {
    WriteSettings(SettingsLocation{folder, ""}, comet, object);
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
    EXPECT_THAT([&] { WriteSettings(folder, "a", "b"); }, ::testing::ThrowsMessage<InOutError>("File access denied"));
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
    const SettingsLocation location{dir.path() + "/bin/", dir.path() + "/config/celestra/"};
    std::filesystem::create_directory(location.programFolder);
    EXPECT_EQ(ReadFrom(location).comet, "unset");

    // A file beside the executable gives the start.
    testing::WriteBytes(location.programFolder + "Celestra.ini", "shipped\r\n");
    EXPECT_EQ(ReadFrom(location).comet, "shipped");

    // The first close creates the user's folders; from then on the user's
    // file is read, and the one beside the executable is never touched.
    WriteSettings(location, "mine", "\xF1");
    EXPECT_EQ(testing::ReadBytes(location.userFolder + "Celestra.ini"), "mine\r\n\xF1\r\n");
    EXPECT_EQ(ReadFrom(location).comet, "mine");
    EXPECT_EQ(testing::ReadBytes(location.programFolder + "Celestra.ini"), "shipped\r\n");

    // A user folder that cannot be made is reported as the file's error.
    testing::WriteBytes(dir.path() + "/blocked", "");
    EXPECT_THAT(
        [&] {
            WriteSettings(SettingsLocation{location.programFolder, dir.path() + "/blocked/celestra/"}, "a", "b");
        },
        ::testing::ThrowsMessage<InOutError>("Invalid filename"));  // ENOTDIR
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
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (::getuid() == 0 ? ::setuid(65534) != 0 : ::chmod(programFolder.c_str(), 0555) != 0) ::_exit(10);
        if (::access(programFolder.c_str(), W_OK) == 0) ::_exit(11);
        ::unsetenv("XDG_CONFIG_HOME");
        ::setenv("HOME", home.c_str(), 1);
        try {
            WriteSettings(LocateSettings(programFolder), "/obs/comet.dat", "/obs/objetos.txt");
            const Read read = ReadFrom(LocateSettings(programFolder));
            ::_exit(read.comet == "/obs/comet.dat" && read.object == "/obs/objetos.txt" ? 0 : 12);
        } catch (...) {
            ::_exit(13);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(testing::ReadBytes(home + "/.config/celestra/Celestra.ini"), "/obs/comet.dat\r\n/obs/objetos.txt\r\n");
    EXPECT_FALSE(std::filesystem::exists(programFolder + "Celestra.ini"));
}
#endif

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
