// A whole run in a folder named in any script, and in one deeper than the
// classic limit of 260 characters. On Linux these are plain UTF-8 paths; on
// Windows they hold only when every file call speaks UTF-16 to the system.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/processing_run.h"
#include "platform/os_file.h"
#include "platform/platform_file.h"
#include "platform/safe_write.h"
#include "support/run_support.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/wide_text.h"
#endif

namespace celestra {
namespace {

// The file as the program reads it, or a note that it could not.
std::string ReadThroughProgram(const std::string& path) {
    ByteBuffer bytes;
    FileAccess failedAccess{};
    if (ReadWholeFile(path, bytes, failedAccess) != 0) return "<unreadable: " + path + ">";
    return std::string(bytes.View());
}

// The names in a folder as the system lists them, in UTF-8: taken apart
// from the program's own calls, so that a name the program mangled on its
// way to the system shows.
std::vector<std::string> ListedNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

#ifdef _WIN32
// std::filesystem, and so TempDir, stops at 260 characters on Windows: a
// run's files and the nested folders go first, from the inside out.
void RemoveRunFolders(std::string folder, const std::vector<std::string>& names) {
    for (const char* file : {"comet.dat", "objetos.txt", "CometDatBak.Txt"}) RemoveFile(folder + "/" + file);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        RemoveDirectoryW(WidePath(folder).c_str());
        folder.resize(folder.size() - name->size() - 1);
    }
}
#endif

const std::string kLongName(60, 'x');

TEST(WidePaths, AWholeRunInAFolderOfAnyScriptOrLength) {
    const struct {
        const char* what;
        std::vector<std::string> folders;  // nested, outermost first
    } rows[] = {
        {"Cyrillic", {"\xD0\x9A\xD0\xBE\xD0\xBC\xD0\xB5\xD1\x82\xD1\x8B"}},
        {"Greek", {"\xCE\x9A\xCE\xBF\xCE\xBC\xCE\xAE\xCF\x84\xCE\xB5\xCF\x82"}},
        {"Chinese", {"\xE5\xBD\x97\xE6\x98\x9F"}},
        {"Latin with accents",
         {"\xC3\x93rbitas y n\xC3\xBA"
          "cleos"}},
        {"longer than 260 characters", {kLongName, kLongName, kLongName, kLongName, kLongName}},
    };
    const std::string data = CELESTRA_TEST_DATA "/run/";
    const std::string original = testing::ReadBytes(data + "comet.dat");
    const std::string expected = testing::ReadBytes(data + "comet.expected");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testing::TempDir dir;
        std::string folder = dir.path();
        for (const std::string& name : row.folders) folder += "/" + name;
        ASSERT_EQ(MakeFolders(folder), 0);
        EXPECT_EQ(ListedNames(dir.path()), std::vector<std::string>{row.folders.front()});

        RunState state;
        state.cometPath = folder + "/comet.dat";
        state.objectPath = folder + "/objetos.txt";
        state.dateText = "15/01/2006";
        if (row.folders.size() > 1) {
            ASSERT_GT(state.cometPath.size(), 260u) << "the deep case must pass the classic limit";
        }
        ASSERT_TRUE(ReplaceFileContent(state.cometPath, original).ok());
        ASSERT_TRUE(ReplaceFileContent(state.objectPath, testing::ReadBytes(data + "objetos.txt")).ok());

        testing::RecordingMessageBox box;
        EXPECT_TRUE(ProcessingRun(state, box).Run());
        EXPECT_EQ(box.shown, std::vector<std::string>{"Proceso finalizado correctamente para 5 estrellas"});
        EXPECT_EQ(ReadThroughProgram(state.cometPath), expected);
        EXPECT_EQ(ReadThroughProgram(folder + "/CometDatBak.Txt"), original);
#ifdef _WIN32
        RemoveRunFolders(folder, row.folders);
#endif
    }
}

}  // namespace
}  // namespace celestra
