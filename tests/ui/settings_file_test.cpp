#include "ui/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "text/errors.h"
#include "ui/app_identity.h"

namespace celestra {
namespace {

using namespace std::string_literals;

struct Read {
    std::string comet = "unset", object = "unset";
};

Read ReadFrom(const std::string& folder) {
    Read read;
    ReadSettings(folder, [&](const std::string& p) { read.comet = p; }, [&](const std::string& p) { read.object = p; });
    return read;
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
        {"  C:\\My Data\\comet.dat  \r\nb\r\nthird\r\n", "  C:\\My Data\\comet.dat  ", "b", "blanks kept; a third line ignored"},
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
    try {
        WriteSettings(folder, "a", "b");
        ADD_FAILURE() << "wrote over a folder";
    } catch (const InOutError& error) {
        EXPECT_STREQ(error.what(), "File access denied");
    }
}

TEST(Settings, WritesTwoLinesEndedByCrLf) {
    testing::TempDir dir;
    const std::string folder = dir.path() + "/";
    WriteSettings(folder, "", "");
    EXPECT_EQ(testing::ReadBytes(folder + "Celestra.ini"), "\r\n\r\n");
    WriteSettings(folder, " /obs/comet.dat ", "objetos \xF1.txt");
    EXPECT_EQ(testing::ReadBytes(folder + "Celestra.ini"), " /obs/comet.dat \r\nobjetos \xF1.txt\r\n");
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
