#include "platform/write_journal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/atomic_file.h"
#include "platform/random_access_file.h"
#include "support/temp_dir.h"

namespace celestra {
namespace {

using Kind = RecoveryOutcome::Kind;
using testing::ReadBytes;
using testing::WriteBytes;

const std::string kOld = std::string(5000, 'o') + "\r\nlast old line\r\n";
const std::string kNew = std::string(7000, 'n') + "\r\n";

FileIdentity IdentityOfFile(const std::string& path) {
    FileIdentity identity;
    EXPECT_EQ(IdentityOf(path, identity), 0);
    return identity;
}

// What a stopped in-place write can leave, and what the next run's recovery
// makes of it: the old content, always, and the journal gone.
TEST(RecoverInterruptedWrite, PutsBackTheContentAStoppedWriteReplaced) {
    const struct {
        const char* what;
        std::string left;
        Kind kind;
    } rows[] = {
        {"stopped before the first byte", kOld, Kind::kNothing},
        {"grown by the reservation only", kOld + std::string(kNew.size() - kOld.size(), '\0'), Kind::kRestored},
        {"stopped part way", kNew.substr(0, 3000) + kOld.substr(3000), Kind::kRestored},
        {"written whole, the journal not yet gone", kNew, Kind::kRestored},
        {"cut by another program", "", Kind::kRestored},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testing::TempDir dir;
        const std::string path = dir.File("comet.dat");
        WriteBytes(path, kOld);
        std::string journalPath;
        ASSERT_EQ(WriteJournal(IdentityOfFile(path), kOld, journalPath), 0);
        ASSERT_TRUE(std::filesystem::exists(journalPath));
        WriteBytes(path, row.left);  // the same file, emptied and written, as an in-place write leaves it

        const RecoveryOutcome outcome = RecoverInterruptedWrite(path);
        EXPECT_EQ(outcome.kind, row.kind);
        EXPECT_TRUE(ReadBytes(path) == kOld);
        EXPECT_FALSE(std::filesystem::exists(journalPath));
        EXPECT_EQ(RecoverInterruptedWrite(path).kind, Kind::kNothing) << "once only";
    }
}

// A journal is only ever acted on for the file it was written for.
TEST(RecoverInterruptedWrite, LeavesOtherFilesAlone) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    const std::string other = dir.File("other.dat");
    WriteBytes(path, "this file's content\r\n");
    WriteBytes(other, kOld);
    std::string journalPath;
    ASSERT_EQ(WriteJournal(IdentityOfFile(other), kOld, journalPath), 0);
    EXPECT_EQ(RecoverInterruptedWrite(path).kind, Kind::kNothing);
    EXPECT_EQ(ReadBytes(path), "this file's content\r\n");
    EXPECT_TRUE(std::filesystem::exists(journalPath)) << "the other file's journal stays";

    // A journal cut short is not one: the file is not touched.
    std::filesystem::resize_file(journalPath, std::filesystem::file_size(journalPath) - 1);
    WriteBytes(other, "changed");
    EXPECT_EQ(RecoverInterruptedWrite(other).kind, Kind::kNothing);
    EXPECT_EQ(ReadBytes(other), "changed");
    std::filesystem::remove(journalPath);
}

#ifndef _WIN32
// Sets an environment variable for its lifetime.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() { saved_.empty() ? ::unsetenv(name_) : ::setenv(name_, saved_.c_str(), 1); }

private:
    const char* name_;
    std::string saved_;
};

// A journal written by a run with other settings (a scheduled job without
// XDG_STATE_HOME, in the home's state folder) is found by a run that has
// its own state folder.
TEST(RecoverInterruptedWrite, FindsAJournalARunWithOtherSettingsWrote) {
    testing::TempDir dir, home, state;
    const std::string path = dir.File("comet.dat");
    WriteBytes(path, kOld);
    const ScopedVariable homeVariable("HOME", home.path());
    std::string journalPath;
    {
        const ScopedVariable noState("XDG_STATE_HOME", "");
        ASSERT_EQ(WriteJournal(IdentityOfFile(path), kOld, journalPath), 0);
    }
    EXPECT_EQ(journalPath, home.path() + "/.local/state/celestra/" + JournalNameFor(IdentityOfFile(path)));
    WriteBytes(path, kNew);
    const ScopedVariable ownState("XDG_STATE_HOME", state.path());
    std::filesystem::create_directory(state.File("celestra"));
    std::filesystem::permissions(state.File("celestra"), std::filesystem::perms::owner_all);
    EXPECT_EQ(RecoverInterruptedWrite(path).kind, Kind::kRestored);
    EXPECT_TRUE(ReadBytes(path) == kOld);
}
#endif

// The in-place write (a file with a second name) leaves no journal once it
// is done, and both names see the new content.
TEST(RecoverInterruptedWrite, FindsNothingAfterACompletedInPlaceWrite) {
    testing::TempDir dir;
    const std::string path = dir.File("comet.dat");
    WriteBytes(path, kOld);
    std::filesystem::create_hard_link(path, dir.File("second name"));
    const FileIdentity before = IdentityOfFile(path);
    ASSERT_TRUE(ReplaceFileContent(path, kNew).ok());
    EXPECT_TRUE(IdentityOfFile(path).SameFileAs(before)) << "written in place";
    for (const std::string& folder : PrivateStateFolders()) {
        EXPECT_FALSE(std::filesystem::exists(folder + JournalNameFor(before))) << folder;
    }
    EXPECT_EQ(RecoverInterruptedWrite(path).kind, Kind::kNothing);
    EXPECT_TRUE(ReadBytes(dir.File("second name")) == kNew);
}

}  // namespace
}  // namespace celestra
