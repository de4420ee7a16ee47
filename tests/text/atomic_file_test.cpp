#include "text/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <thread>
#endif

namespace celestra {
namespace {

#ifdef _WIN32
// Another program (a virus scanner, a sync client) holding the file for a
// moment: the replace waits for it; held for good, the replace fails and
// the file keeps its content.
TEST(ReplaceFileContent, WaitsBrieflyForAFileAnotherProgramHolds) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    testing::WriteBytes(path, "old\r\n");
    const auto hold = [&] {
        return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };

    HANDLE briefly = hold();
    ASSERT_NE(briefly, INVALID_HANDLE_VALUE);
    std::thread release([briefly] {
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        CloseHandle(briefly);
    });
    const ReplaceOutcome waited = ReplaceFileContent(path, "new\r\n");
    release.join();
    EXPECT_TRUE(waited.ok());
    EXPECT_EQ(testing::ReadBytes(path), "new\r\n");

    HANDLE forGood = hold();
    ASSERT_NE(forGood, INVALID_HANDLE_VALUE);
    const ReplaceOutcome refused = ReplaceFileContent(path, "newer\r\n");
    CloseHandle(forGood);
    EXPECT_EQ(refused.stage, ReplaceOutcome::Stage::kCreate);
    EXPECT_EQ(testing::ReadBytes(path), "new\r\n");
}
#endif

TEST(ReplaceFileContent, CreatesAndReplacesWithoutLeavingATemporaryFile) {
    testing::TempDir dir;
    const std::string path = dir.File("CometDatBak.Txt");
    ASSERT_TRUE(ReplaceFileContent(path, "first").ok());
    ASSERT_TRUE(ReplaceFileContent(path, std::string("second\0bytes", 12)).ok());
    EXPECT_EQ(testing::ReadBytes(path), std::string("second\0bytes", 12));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

#ifndef _WIN32
// A comet file reached through a chain of links as long as the system itself
// follows (40): the file at its end gets the content, every link stays.
TEST(ReplaceFileContent, WritesThroughAChainOfFortyLinks) {
    testing::TempDir dir;
    const std::string target = dir.File("comet.dat");
    testing::WriteBytes(target, "old\r\n");
    std::string next = target;
    for (int i = 40; i >= 1; --i) {
        const std::string link = dir.File("link" + std::to_string(i));
        std::filesystem::create_symlink(next, link);
        next = link;
    }
    ASSERT_TRUE(ReplaceFileContent(dir.File("link1"), "new\r\n").ok());
    EXPECT_EQ(testing::ReadBytes(target), "new\r\n");
    for (int i = 1; i <= 40; ++i) EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link" + std::to_string(i)))) << i;
}
#endif

}  // namespace
}  // namespace celestra
