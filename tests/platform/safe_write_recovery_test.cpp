#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#endif

#include <filesystem>
#include <string>

#include "platform/safe_write.h"
#ifndef _WIN32
#include "support/child_process.h"
#endif
#include "support/journal.h"
#include "support/temp_dir.h"

namespace celestra {
namespace {

namespace fs = std::filesystem;
using Kind = RecoveryOutcome::Kind;
using testing::PlantJournal;
using testing::ReadBytes;
using testing::WriteBytes;

const std::string kOld = std::string(5000, 'o') + "\r\nlast old line\r\n";
const std::string kNew = std::string(7000, 'n') + "\r\n";
const std::string kShortNew = std::string(2000, 's') + "\r\n";
const std::string kAppended = "    C/2026 X1  appended by the user\r\n";

// What a file may hold when the next run finds the journal of a stopped
// in-place write, and what the run makes of it: a mix the write (or an
// earlier recovery) could have left is put back to the old content; any
// other content is someone else's since, and is left as it is, with the
// old content kept beside it.
TEST(RecoverInterruptedWrite, ActsOnlyOnWhatTheStoppedWriteCouldHaveLeft) {
    const struct {
        const char* what;
        std::string newBytes;  // what the stopped write was writing
        std::string left;      // what the file holds at the next run
        Kind kind;
    } rows[] = {
        {"stopped before the first byte", kNew, kOld, Kind::kNothing},
        {"grown to its new size only", kNew, kOld + std::string(kNew.size() - kOld.size(), '\0'), Kind::kRestored},
        {"stopped part way", kNew, kNew.substr(0, 3000) + kOld.substr(3000), Kind::kRestored},
        {"stopped part way past the old end", kNew,
         kNew.substr(0, kOld.size() + 100) + std::string(kNew.size() - kOld.size() - 100, '\0'), Kind::kRestored},
        {"written whole, the journal not yet gone", kNew, kNew, Kind::kRestored},
        {"shorter content written, not yet cut", kShortNew, kShortNew + kOld.substr(kShortNew.size()), Kind::kRestored},
        {"shorter content written and cut", kShortNew, kShortNew, Kind::kRestored},
        {"an earlier recovery stopped after growing it", kShortNew,
         kShortNew + std::string(kOld.size() - kShortNew.size(), '\0'), Kind::kRestored},
        {"a line appended after the stop", kNew, kNew.substr(0, 3000) + kOld.substr(3000) + kAppended, Kind::kPutAside},
        {"a line appended within the new size", kNew, kOld + kAppended, Kind::kPutAside},
        {"one byte changed in a mix", kNew, kNew.substr(0, 3000) + "X" + kOld.substr(3001), Kind::kPutAside},
        {"another file copied over it", kNew, std::string(kOld.size(), 'x'), Kind::kPutAside},
        {"cut to nothing by another program", kNew, "", Kind::kPutAside},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testing::TempDir dir;
        const std::string path = dir.File("comet.dat");
        WriteBytes(path, kOld);
        const std::string journalPath = PlantJournal(path, kOld, row.newBytes);
        WriteBytes(path, row.left);  // the same file, written over

        const RecoveryOutcome outcome = RecoverInterruptedWrite(path);
        EXPECT_EQ(outcome.kind, row.kind);
        EXPECT_FALSE(fs::exists(journalPath));
        if (row.kind == Kind::kPutAside) {
            EXPECT_TRUE(ReadBytes(path) == row.left) << "the file is left as it is";
            EXPECT_EQ(outcome.path, dir.File("comet.dat.anterior"));
            EXPECT_TRUE(ReadBytes(outcome.path) == kOld) << "the old content kept for the user";
        } else {
            EXPECT_TRUE(ReadBytes(path) == kOld);
        }
        EXPECT_EQ(RecoverInterruptedWrite(path).kind, Kind::kNothing) << "once only";
    }
}

// A journal is applied only to the file it was written for, checked on the
// open file: never to another file at that name, whatever it holds.
TEST(RecoverInterruptedWrite, NeverAppliesAJournalToAnotherFile) {
    const struct {
        const char* what;
        void (*replace)(const std::string& path, const std::string& other);
    } rows[] = {
        {"saved by rename (an editor, sed -i)",
         [](const std::string& path, const std::string& other) { fs::rename(other, path); }},
#ifndef _WIN32
        // Windows tells a reused record by the sequence number in its file
        // index; Wine, which gives the inode there, cannot, nor make a
        // second name of a file.
        {"deleted, and a new file made at its name",
         [](const std::string& path, const std::string&) {
             fs::remove(path);
             WriteBytes(path, kNew);
         }},
        {"another name of another file",
         [](const std::string& path, const std::string& other) {
             fs::remove(path);
             fs::create_hard_link(other, path);
         }},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testing::TempDir dir;
        const std::string path = dir.File("comet.dat"), other = dir.File("other.dat");
        WriteBytes(path, kOld);
        const std::string journalPath = PlantJournal(path, kOld, kNew);
        WriteBytes(other, kNew);  // the very content the stopped write was writing
        row.replace(path, other);
        const RecoveryOutcome outcome = RecoverInterruptedWrite(path);
        EXPECT_EQ(outcome.kind, Kind::kPutAside);
        EXPECT_TRUE(ReadBytes(path) == kNew) << "not written";
        EXPECT_TRUE(ReadBytes(outcome.path) == kOld);
        EXPECT_FALSE(fs::exists(journalPath));
    }
}

// A journal this user did not write alone, or that is not whole, is acted
// on in no way: file and journal stay, and the run is told where it is.
TEST(RecoverInterruptedWrite, TrustsOnlyAWholeJournalOfThisUsersOwn) {
    const struct {
        const char* what;
        void (*spoil)(const std::string& journalPath);
    } rows[] = {
        {"cut short", [](const std::string& journal) { fs::resize_file(journal, fs::file_size(journal) - 1); }},
        {"of another signature",
         [](const std::string& journal) {
             WriteBytes(journal, "celestra journal 1\n" + ReadBytes(journal).substr(19));
         }},
#ifndef _WIN32
        {"writable by others",
         [](const std::string& journal) { fs::permissions(journal, fs::perms::others_write, fs::perm_options::add); }},
        {"a second name of it elsewhere",
         [](const std::string& journal) { fs::create_hard_link(journal, journal + ".second"); }},
        {"a link to a journal",
         [](const std::string& journal) {
             fs::rename(journal, journal + ".real");
             fs::create_symlink(journal + ".real", journal);
         }},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testing::TempDir dir;
        const std::string path = dir.File("comet.dat");
        WriteBytes(path, kOld);
        const std::string journalPath = PlantJournal(path, kOld, kNew);
        const std::string left = kNew.substr(0, 100) + kOld.substr(100);
        WriteBytes(path, left);
        row.spoil(journalPath);
        const RecoveryOutcome outcome = RecoverInterruptedWrite(path);
        EXPECT_EQ(outcome.kind, Kind::kForeign);
        EXPECT_EQ(outcome.path, journalPath);
        EXPECT_TRUE(ReadBytes(path) == left);
        EXPECT_TRUE(fs::exists(fs::symlink_status(journalPath)));
    }
}

#ifndef _WIN32
// A journal away from its file, in a folder no other run looks in (a
// scheduled job's state folder, another user's), is found by the mark on
// the file: applied when it is this user's own, and otherwise named, the
// file untouched.
TEST(RecoverInterruptedWrite, FollowsTheMarkOnTheFileToItsJournal) {
    constexpr const char* kMark = "user.celestra.journal";
    for (const bool othersJournal : {false, true}) {
        SCOPED_TRACE(othersJournal ? "another user's journal" : "this user's");
        if (othersJournal && ::geteuid() != 0) continue;  // another user needs root
        testing::TempDir dir, elsewhere;
        const std::string path = dir.File("comet.dat");
        WriteBytes(path, kOld);
        const std::string journalPath = PlantJournal(path, kOld, kNew, elsewhere.path() + "/");
        if (::setxattr(path.c_str(), kMark, journalPath.data(), journalPath.size(), 0) != 0) {
            GTEST_SKIP() << "no user attributes here";
        }
        if (othersJournal) {
            ASSERT_EQ(::chown(journalPath.c_str(), testing::kNobody, testing::kNobody), 0);
        }
        WriteBytes(path, kNew);
        const RecoveryOutcome outcome = RecoverInterruptedWrite(path);
        if (othersJournal) {
            EXPECT_EQ(outcome.kind, Kind::kForeign);
            EXPECT_EQ(outcome.path, journalPath);
            EXPECT_TRUE(ReadBytes(path) == kNew);
        } else {
            EXPECT_EQ(outcome.kind, Kind::kRestored);
            EXPECT_TRUE(ReadBytes(path) == kOld);
            EXPECT_LT(::getxattr(path.c_str(), kMark, nullptr, 0), 0) << "the mark goes with its journal";
        }
    }
}

// A recovery that meets a size limit, or a full disk, stops before the
// first byte: the file is as it was, the journal stays, and a later
// recovery with room puts the old content back.
TEST(RecoverInterruptedWrite, StopsBeforeTheFirstByteWithoutRoom) {
    const std::string longOld(1536000, 'o'), shortNew(560000, 'n');
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    WriteBytes(path, longOld);
    const std::string journalPath = PlantJournal(path, longOld, shortNew);
    WriteBytes(path, shortNew);  // the stopped write had written all of it

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 1000000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const RecoveryOutcome outcome = RecoverInterruptedWrite(path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(outcome.kind, Kind::kFailed);
    EXPECT_EQ(outcome.platformError, EFBIG);
    EXPECT_TRUE(ReadBytes(path) == shortNew) << "untouched";
    EXPECT_TRUE(fs::exists(journalPath));

    EXPECT_EQ(RecoverInterruptedWrite(path).kind, Kind::kRestored);
    EXPECT_TRUE(ReadBytes(path) == longOld);
}
#endif

// The in-place write (a file with a second name) leaves no journal once it
// is done, and both names see the new content.
TEST(RecoverInterruptedWrite, FindsNothingAfterACompletedInPlaceWrite) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    WriteBytes(path, kOld);
    fs::create_hard_link(path, dir.File("second name"));
    FileIdentity before, after;
    ASSERT_EQ(IdentityOf(path, before), 0);
    ASSERT_TRUE(ReplaceFileContent(path, kNew).ok());
    ASSERT_EQ(IdentityOf(path, after), 0);
    EXPECT_TRUE(after.SameFileAs(before)) << "written in place";
    EXPECT_FALSE(fs::exists(JournalPathFor(path)));
    EXPECT_EQ(RecoverInterruptedWrite(path).kind, Kind::kNothing);
    EXPECT_TRUE(ReadBytes(dir.File("second name")) == kNew);
}

}  // namespace
}  // namespace celestra
