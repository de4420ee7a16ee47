#include "platform/safe_write.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include "support/file_attributes.h"
#endif
#include "platform/file_lock.h"
#include "support/temp_dir.h"
#include "text/line_list.h"

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

#ifdef _WIN32
// The temporary file is hidden while it is written; the file it becomes has
// the old file's attributes, or plain ones when it is new.
TEST(ReplaceFileContent, GivesTheReplacementTheOldFilesAttributes) {
    testing::TempDir dir;
    const std::string kept = dir.File("kept.dat"), fresh = dir.File("fresh.dat");
    testing::WriteBytes(kept, "old\r\n");
    ASSERT_TRUE(SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(ReplaceFileContent(kept, "new\r\n").ok());
    ASSERT_TRUE(ReplaceFileContent(fresh, "new\r\n").ok());
    EXPECT_EQ(testing::ReadBytes(kept), "new\r\n");
    EXPECT_NE(GetFileAttributesA(kept.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(GetFileAttributesA(fresh.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
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

// Lines written from where they are, gathered into pieces: a few hundred
// kilobytes of lines of every length, so that lines straddle the pieces,
// through the temporary file and, for a file with two names, in place over
// a longer old content.
TEST(ReplaceFileContent, WritesLinesAsTheirJoinedBytes) {
    std::vector<std::string> texts;
    std::vector<std::string_view> lines;
    for (int i = 0; i < 20000; ++i)
        texts.push_back(std::string(static_cast<std::size_t>(i % 61), static_cast<char>('a' + i % 26)));
    texts.push_back(std::string(300000, 'z'));  // longer than a piece
    texts.emplace_back();
    for (const std::string& text : texts) lines.push_back(text);
    const std::string joined = JoinLines(lines);

    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    ASSERT_TRUE(ReplaceFileContent(path, FileContent{lines, "\r\n"}).ok());
    EXPECT_TRUE(testing::ReadBytes(path) == joined);
#ifndef _WIN32
    testing::WriteBytes(path, joined + joined);
    std::filesystem::create_hard_link(path, dir.File("other name"));
    ASSERT_TRUE(ReplaceFileContent(path, FileContent{lines, "\r\n"}).ok());
    EXPECT_TRUE(testing::ReadBytes(dir.File("other name")) == joined);
#endif
}

// The backup's check: the file compared with bytes in memory, piece by piece.
TEST(CompareFileContent, TellsExactlyTheSameBytes) {
    const std::string large(600000, 'x');
    const struct {
        std::string file;
        std::string expected;
        bool same;
    } rows[] = {
        {"", "", true},
        {large, large, true},
        {large, large + "y", false},                                           // file shorter
        {large + "y", large, false},                                           // file longer
        {large.substr(1) + "y", large, false},                                 // differs in the last byte
        {"y" + large.substr(1), large, false},                                 // differs in the first
        {large.substr(0, 300000) + "y" + large.substr(300001), large, false},  // in a later piece
        {"", "x", false},
        {"x", "", false},
    };
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    for (const auto& row : rows) {
        testing::WriteBytes(path, row.file);
        bool same = !row.same;
        FileAccess access;
        FileIdentity identity;
        ASSERT_EQ(CompareFileContent(path, row.expected, same, access, &identity), 0);
        EXPECT_EQ(same, row.same) << row.file.size() << " bytes against " << row.expected.size();
        EXPECT_EQ(identity.sizeBytes, row.file.size());
    }
    bool same = true;
    FileAccess access;
    EXPECT_NE(CompareFileContent(dir.File("missing"), "", same, access), 0);
    EXPECT_EQ(access, FileAccess::kOpenForReading);
}

std::set<std::string> Names(const testing::TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(ReplaceFileContent, RemovesATemporaryFileAKilledRunLeft) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    testing::WriteBytes(path, "old\r\n");
    testing::WriteBytes(dir.File(".comet.dat.celestra.tmp"), "left by a killed run, longer than the content");
    ASSERT_TRUE(ReplaceFileContent(path, "new\r\n").ok());
    EXPECT_EQ(testing::ReadBytes(path), "new\r\n");
    EXPECT_EQ(Names(dir), std::set<std::string>{"comet.dat"});
}

// Two runs on two comet files of one folder both write CometDatBak.Txt
// through the same temporary file: the second waits for the first instead of
// emptying the file under it.
TEST(ReplaceFileContent, WaitsForATemporaryFileAnotherProcessIsWriting) {
    testing::TempDir dir;
    const std::string path = dir.File("CometDatBak.Txt");
    const std::string temp = dir.File(".CometDatBak.Txt.celestra.tmp");
#ifdef _WIN32
    HANDLE other = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    const auto finishOther = [other] {
        DWORD written = 0;
        WriteFile(other, "other's end", 11, &written, nullptr);
        CloseHandle(other);
    };
#else
    const int other = ::open(temp.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const auto finishOther = [other] {
        EXPECT_EQ(::write(other, "other's end", 11), 11);
        ::close(other);
    };
#endif
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        finishOther();
    });
    const ReplaceOutcome outcome = ReplaceFileContent(path, "this run's backup\r\n");
    release.join();
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(testing::ReadBytes(path), "this run's backup\r\n");
}

// The state the caller saw must still be the file's: otherwise nothing is
// written. A file with a second name is written in place, so both names see
// the new content.
TEST(ReplaceFileContent, WritesOnlyOverTheStateTheCallerSaw) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    testing::WriteBytes(path, "old\r\n");
    FileIdentity seen;
    ASSERT_EQ(IdentityOf(path, seen), 0);
    testing::WriteBytes(path, "changed by another program\r\n");
    EXPECT_EQ(ReplaceFileContent(path, "new\r\n", &seen).stage, ReplaceOutcome::Stage::kChanged);
    EXPECT_EQ(testing::ReadBytes(path), "changed by another program\r\n");

    std::filesystem::create_hard_link(path, dir.File("other-name.dat"));
    ASSERT_EQ(IdentityOf(path, seen), 0);
    EXPECT_EQ(seen.linkCount, 2u);
    ASSERT_TRUE(ReplaceFileContent(path, "new\r\n", &seen).ok());
    EXPECT_EQ(testing::ReadBytes(dir.File("other-name.dat")), "new\r\n");
    EXPECT_EQ(testing::ReadBytes(path), "new\r\n");
    EXPECT_EQ(Names(dir), (std::set<std::string>{"comet.dat", "other-name.dat"}));
}

TEST(ReplaceFileContent, LeavesAReadOnlyFileAlone) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    testing::WriteBytes(path, "old\r\n");
#ifdef _WIN32
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
#else
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
#endif
    EXPECT_EQ(ReplaceFileContent(path, "new\r\n").stage, ReplaceOutcome::Stage::kCreate);
    EXPECT_EQ(testing::ReadBytes(path), "old\r\n");
#ifdef _WIN32
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

// The lock is this process's until released, and leaves no file behind.
TEST(FileLock, IsHeldByOneAtATimeAndLeavesNothing) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    testing::WriteBytes(path, "x");
    FileLock first, second;
    ASSERT_EQ(first.Acquire(path, std::chrono::milliseconds(0)), FileLock::Outcome::kLocked);
    EXPECT_EQ(second.Acquire(path, std::chrono::milliseconds(30)), FileLock::Outcome::kBusy);
    EXPECT_FALSE(second.held());
    first.Release();
    EXPECT_EQ(second.Acquire(path, std::chrono::milliseconds(0)), FileLock::Outcome::kLocked);
    second.Release();
    EXPECT_EQ(Names(dir), std::set<std::string>{"comet.dat"});
}

#ifndef _WIN32
// A backup is written as a name: whatever stands there (a link to a file
// elsewhere, a second name of another file, a pipe) is replaced by a file of
// its own, and the file it led to keeps its content.
TEST(ReplaceNamedFile, ReplacesWhatStandsAtTheNameWithoutWritingThroughIt) {
    const struct {
        const char* what;
        void (*plant)(const std::string& name, const std::string& precious);
    } rows[] = {
        {"a symbolic link",
         [](const std::string& name, const std::string& precious) { std::filesystem::create_symlink(precious, name); }},
        {"a hard link", [](const std::string& name,
                           const std::string& precious) { std::filesystem::create_hard_link(precious, name); }},
        {"a pipe", [](const std::string& name, const std::string&) { ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testing::TempDir elsewhere, folder;
        const std::string precious = elsewhere.File("precious.conf");
        testing::WriteBytes(precious, "secret=1\n");
        const std::string name = folder.File("CometDatBak.Txt");
        row.plant(name, precious);
        ASSERT_TRUE(ReplaceNamedFile(name, "backup\r\n").ok());
        EXPECT_EQ(testing::ReadBytes(precious), "secret=1\n");
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(name)));
        EXPECT_EQ(std::filesystem::hard_link_count(name), 1u);
        EXPECT_EQ(testing::ReadBytes(name), "backup\r\n");
        EXPECT_EQ(Names(folder), std::set<std::string>{"CometDatBak.Txt"});
    }
}

TEST(ReplaceNamedFile, RefusesALinkItMayNotReplace) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may replace any name";
    testing::TempDir elsewhere, folder;
    const std::string precious = elsewhere.File("precious.conf");
    testing::WriteBytes(precious, "secret=1\n");
    std::filesystem::create_symlink(precious, folder.File("CometDatBak.Txt"));
    std::filesystem::permissions(folder.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const ReplaceOutcome outcome = ReplaceNamedFile(folder.File("CometDatBak.Txt"), "backup\r\n");
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(outcome.stage, ReplaceOutcome::Stage::kLinkKept);
    EXPECT_EQ(testing::ReadBytes(precious), "secret=1\n");
}

// The rename keeps the old file's extended attributes and access control
// list, and gives the new file no list the old one lacked (one the folder's
// default would have given it).
TEST(ReplaceFileContent, KeepsExtendedAttributesAndAccessControl) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    testing::WriteBytes(path, "old\r\n");
    ::chmod(path.c_str(), 0640);
    const std::string acl = testing::AccessControlList(65534);
    if (::setxattr(path.c_str(), "user.origin", "MPC", 3, 0) != 0 ||
        ::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
        GTEST_SKIP() << "no extended attributes or access control lists here";
    }
    struct stat before {};
    ::stat(path.c_str(), &before);
    ASSERT_TRUE(ReplaceFileContent(path, "new\r\n").ok());
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced by the rename";
    EXPECT_EQ(testing::Attribute(path, "user.origin"), "MPC");
    EXPECT_EQ(testing::Attribute(path, "system.posix_acl_access"), acl);
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777) << "the group keeps the list's mask";

    const std::string plain = dir.File("plain.dat");
    testing::WriteBytes(plain, "old\r\n");
    ASSERT_EQ(::setxattr(dir.path().c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0), 0);
    ASSERT_TRUE(ReplaceFileContent(plain, "new\r\n").ok());
    EXPECT_EQ(testing::Attribute(plain, "system.posix_acl_access"), "(none)");
}

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
