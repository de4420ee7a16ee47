// celestra-batch stopped at random moments of a run: whatever the moment,
// the comet file is either as it was or the complete result and the backup
// either the old one or complete. Stopped by SIGINT or SIGTERM the run ends
// by that signal and leaves nothing else; killed (SIGKILL) it may leave its
// temporary file, which the next run reuses and removes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "support/child_process.h"
#include "support/run_support.h"
#include "support/temp_dir.h"

namespace celestra {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr int kObjects = 20000;

// A folder path with the File() of a TempDir.
struct Folder {
    std::string path;
    std::string File(const std::string& name) const { return path + "/" + name; }
};

// Tries of each random trial: fewer under the sanitizers, whose runs take
// many times as long.
#ifdef __SANITIZE_ADDRESS__
constexpr int kTrialTries = 3;
#else
constexpr int kTrialTries = 8;
#endif

// A count from the environment (for a longer run by hand), or the default.
int CountFromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

// An object list, and a comet file holding an earlier run's lines for it.
template <typename Dir>
void MakeFiles(const Dir& dir, int objectCount = kObjects) {
    std::mt19937 engine(1);
    auto random = [&engine] { return static_cast<unsigned>(engine()); };
    std::string objects, comets = "    C/2004 Q2    2005 01 24.9968  1.205075  0.999760\r\n";
    for (int i = 0; i < objectCount; ++i) {
        char designation[16], ra[16], dec[16], magnitude[8];
        std::snprintf(designation, sizeof designation, "S%07d", i);
        std::snprintf(ra, sizeof ra, "%02u %02u %02u.%02u", random() % 24, random() % 60, random() % 60,
                      random() % 100);
        std::snprintf(dec, sizeof dec, "%c%02u %02u %02u.%u", i % 2 ? '+' : '-', random() % 90, random() % 60,
                      random() % 60, random() % 10);
        std::snprintf(magnitude, sizeof magnitude, "%4.1f", 5.0 + i % 100 / 10.0);
        const std::string line = testing::ObjectLine(designation, ra, dec, magnitude);
        objects += line + "\r\n";
        comets += testing::ClassicLineOf(line, "14/01/2006") + "\r\n";
    }
    WriteBytes(dir.File("objetos.txt"), objects);
    WriteBytes(dir.File("comet.dat"), comets);
}

int Wait(int pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

struct Stop {
    int signalNumber;
    int tries;
};

class StoppedRuns : public ::testing::TestWithParam<Stop> {};

INSTANTIATE_TEST_SUITE_P(Signals, StoppedRuns, ::testing::Values(Stop{SIGKILL, 30}, Stop{SIGINT, 6}, Stop{SIGTERM, 6}),
                         [](const auto& test) { return std::string(sigabbrev_np(test.param.signalNumber)); });

bool OnlyTheRunsFiles(const testing::TempDir& dir) {
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name != "comet.dat" && name != "objetos.txt" && name != "CometDatBak.Txt") return false;
    }
    return true;
}

TEST_P(StoppedRuns, NeverLeaveAShortOrMixedFile) {
    const Stop stop = GetParam();
    testing::TempDir dir;
    MakeFiles(dir);
    const std::string before = ReadBytes(dir.File("comet.dat"));
    const std::string oldBackup = "an older backup\r\n";
    const std::vector<std::string> args = {"comet.dat", "objetos.txt", "15/01/2006"};

    // The complete result, and how long a whole run takes.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(WEXITSTATUS(Wait(testing::StartBatch(args, dir.path()))), 0);
    const auto runTime = std::chrono::steady_clock::now() - start;
    const std::string result = ReadBytes(dir.File("comet.dat"));
    ASSERT_NE(result, before);

    std::mt19937 random(2);
    // Moments over the whole run and a little past it, so that some runs
    // end before the kill.
    const long long runMicroseconds = std::chrono::duration_cast<std::chrono::microseconds>(runTime).count();
    std::uniform_int_distribution<long long> moment(0, runMicroseconds * 3 / 2);
    int untouched = 0, completed = 0, killedAfterBackup = 0;
    for (int attempt = 0; attempt < stop.tries; ++attempt) {
        WriteBytes(dir.File("comet.dat"), before);
        WriteBytes(dir.File("CometDatBak.Txt"), oldBackup);
        const int pid = testing::StartBatch(args, dir.path());
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(pid, stop.signalNumber);
        const int status = Wait(pid);

        const std::string comet = ReadBytes(dir.File("comet.dat"));
        const std::string backup = ReadBytes(dir.File("CometDatBak.Txt"));
        ASSERT_TRUE(comet == before || comet == result) << "attempt " << attempt << ": " << comet.size() << " bytes";
        ASSERT_TRUE(backup == oldBackup || backup == before)
            << "attempt " << attempt << ": " << backup.size() << " bytes";
        untouched += comet == before && backup == oldBackup;
        killedAfterBackup += comet == before && backup == before;
        completed += comet == result;
        if (stop.signalNumber != SIGKILL) {
            ASSERT_TRUE(OnlyTheRunsFiles(dir)) << "attempt " << attempt;
            if (comet != result) {
                ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == stop.signalNumber) << "status " << status;
            }
        }
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            const bool ours = name == "comet.dat" || name == "objetos.txt" || name == "CometDatBak.Txt";
            const bool temporary = name == ".comet.dat.celestra.tmp" || name == ".CometDatBak.Txt.celestra.tmp";
            ASSERT_TRUE(ours || temporary) << name;
        }
    }
    std::printf("[ stops    ] %d: %d before the backup, %d after it, %d after the save\n", stop.tries, untouched,
                killedAfterBackup, completed);

    // The next run goes through with the killed runs' temporary files about,
    // and takes them away.
    WriteBytes(dir.File("comet.dat"), before);
    ASSERT_EQ(WEXITSTATUS(Wait(testing::StartBatch(args, dir.path()))), 0);
    EXPECT_EQ(ReadBytes(dir.File("comet.dat")), result);
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), before);
    EXPECT_TRUE(OnlyTheRunsFiles(dir));
}

// Another program appends a line at a random moment of a run: the line is
// in the comet file afterwards, whether the run saw it, stopped for it, or
// ended before it came.
TEST(ChangedDuringARun, AnAppendedLineIsNeverLost) {
    testing::TempDir dir;
    MakeFiles(dir);
    const std::string before = ReadBytes(dir.File("comet.dat"));
    const std::vector<std::string> args = {"comet.dat", "objetos.txt", "15/01/2006"};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(WEXITSTATUS(Wait(testing::StartBatch(args, dir.path()))), 0);
    const long long runMicroseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();

    std::mt19937 random(3);
    std::uniform_int_distribution<long long> moment(0, runMicroseconds * 5 / 4);
    int stopped = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        WriteBytes(dir.File("comet.dat"), before);
        const std::string line = "    C/2026 X" + std::to_string(attempt) + "  appended by another program\r\n";
        const int pid = testing::StartBatch(args, dir.path());
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        std::FILE* other = std::fopen(dir.File("comet.dat").c_str(), "ab");
        ASSERT_NE(other, nullptr);
        std::fputs(line.c_str(), other);
        std::fclose(other);
        const int status = WEXITSTATUS(Wait(pid));
        ASSERT_TRUE(status == 0 || status == 2) << status;
        stopped += status == 2;
        EXPECT_NE(ReadBytes(dir.File("comet.dat")).find(line), std::string::npos) << "attempt " << attempt;
    }
    std::printf("[ appends  ] 8: %d runs stopped for the change\n", stopped);
}

// The in-place write: a comet file with a second name, stopped by each
// signal at random moments, by root and by a plain user in a folder they may
// not write (where the backup is written in place too). Whatever the stop
// left, the next run makes the comet file what one clean run gives, and the
// backup is always a whole earlier comet file, never a mixed one.
struct InPlaceStop {
    int signalNumber;
    bool plainUser;
};

class StoppedInPlaceWrites : public ::testing::TestWithParam<InPlaceStop> {};

INSTANTIATE_TEST_SUITE_P(Signals, StoppedInPlaceWrites,
                         ::testing::Values(InPlaceStop{SIGKILL, false}, InPlaceStop{SIGTERM, false},
                                           InPlaceStop{SIGINT, false}, InPlaceStop{SIGHUP, false},
                                           InPlaceStop{SIGKILL, true}, InPlaceStop{SIGTERM, true},
                                           InPlaceStop{SIGINT, true}, InPlaceStop{SIGHUP, true}),
                         [](const auto& test) {
                             return std::string(sigabbrev_np(test.param.signalNumber)) +
                                    (test.param.plainUser ? "_PlainUser" : "");
                         });

// Where the journal of an in-place write of `comet` stands: beside it, or
// in the state folder when its folder lets no file be made.
struct JournalPlaces {
    std::string comet;
    std::string stateHome;
};

// True when a whole journal (or, with `unfinished`, one being written)
// stands in either place.
bool JournalThere(const JournalPlaces& places, bool unfinished = false) {
    // A journal is written as ".<its name>.celestra.tmp", then renamed.
    const auto named = [unfinished](const std::string& name) {
        return unfinished ? "." + name + ".celestra.tmp" : name;
    };
    const fs::path comet(places.comet);
    if (fs::exists(comet.parent_path() / named("." + comet.filename().string() + ".celestra-journal"))) return true;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(places.stateHome + "/celestra", error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(named("journal-")) && name.ends_with(".celestra.tmp") == unfinished) return true;
    }
    return false;
}

// Waits (up to a minute) until the run writes in place (or, with
// `unfinished`, writes its journal): true then; false when it ended first,
// with its wait status.
bool WaitForInPlaceWrite(int pid, const JournalPlaces& places, int& status, bool unfinished = false) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return false;
        if (JournalThere(places, unfinished)) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(100));  // leaves the run a core
    }
    return true;
}

// Stops the run `delay` after its in-place write began; a run that ends
// first is let be. The run's wait status.
int StopWhileWritingInPlace(int pid, const JournalPlaces& places, int signalNumber, std::chrono::microseconds delay) {
    int status = 0;
    if (!WaitForInPlaceWrite(pid, places, status)) return status;
    std::this_thread::sleep_for(delay);
    ::kill(pid, signalNumber);
    return Wait(pid);
}

TEST_P(StoppedInPlaceWrites, AreUndoneByTheNextRun) {
    const InPlaceStop stop = GetParam();
    if (stop.plainUser && ::geteuid() != 0) GTEST_SKIP() << "becoming a plain user needs root";
    testing::TempDir dir;
    const Folder data{dir.File("data")};
    fs::create_directory(data.path);
    MakeFiles(data, CountFromEnvironment("CELESTRA_STOP_OBJECTS", kObjects));
    const std::string comet = data.File("comet.dat");
    const std::string backup = data.File("CometDatBak.Txt");
    fs::create_hard_link(comet, data.File("second-name.dat"));
    WriteBytes(backup, "");
    const testing::ChildLimits as{.asPlainUser = stop.plainUser, .stateHome = dir.File("state")};
    fs::create_directory(as.stateHome);
    if (stop.plainUser) {  // the plain user's files in root's folder
        for (const std::string& path : {comet, backup, as.stateHome}) {
            ASSERT_EQ(::chown(path.c_str(), testing::kNobody, testing::kNobody), 0);
        }
        ::chmod(dir.path().c_str(), 0755);
    }
    const std::string before = ReadBytes(comet);
    const std::vector<std::string> args = {"comet.dat", "objetos.txt", "15/01/2006"};
    const JournalPlaces places{comet, as.stateHome};

    // The clean result, and how long the in-place write of it lasts.
    const int clean = testing::StartBatch(args, data.path, as);
    int cleanStatus = 0;
    ASSERT_TRUE(WaitForInPlaceWrite(clean, places, cleanStatus)) << "not written in place";
    const auto journalSeen = std::chrono::steady_clock::now();
    while (JournalThere(places) && std::chrono::steady_clock::now() - journalSeen < std::chrono::minutes(1)) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    const long long writeMicroseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - journalSeen).count();
    ASSERT_EQ(Wait(clean), 0);
    const std::string result = ReadBytes(comet);

    std::mt19937 random(4);
    // Moments over the write and a little past it, every other one in its
    // first eighth, where the bytes go out (the flush takes the rest).
    const long long writeLasts = std::max(writeMicroseconds, 1000LL);
    std::uniform_int_distribution<long long> anyMoment(0, writeLasts * 3 / 2), earlyMoment(0, writeLasts / 8);
    const int tries = CountFromEnvironment("CELESTRA_STOP_TRIES", kTrialTries);
    int mixed = 0, restored = 0, keptApart = 0;
    for (int attempt = 0; attempt < tries; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        WriteBytes(comet, before);  // the same file: both names keep it
        WriteBytes(backup, "an older backup\r\n");
        const int pid = testing::StartBatch(args, data.path, as);
        const long long delay = attempt % 2 == 0 ? earlyMoment(random) : anyMoment(random);
        StopWhileWritingInPlace(pid, places, stop.signalNumber, std::chrono::microseconds(delay));
        const std::string left = ReadBytes(comet);
        mixed += left != before && left != result;

        // Every third time the user adds a line after the stop: a stopped
        // write's journal then never undoes it. The old content is kept
        // apart, named, and the run writes nothing.
        if (attempt % 3 == 2) {
            const std::string line = "    C/2026 Y" + std::to_string(attempt) + "  added after the stop\r\n";
            WriteBytes(comet, left + line);
            const testing::ChildResult next = testing::RunBatch(args, data.path, as);
            const std::string message =
                "El archivo cambió tras una escritura interrumpida, su contenido anterior queda en: ";
            // Stopped while it wrote the comet file (not its backup, nor
            // before or after): the comet file's journal is there.
            if (next.exitStatus != 0) {
                ASSERT_EQ(next.exitStatus, 2) << next.err;
                ASSERT_TRUE(next.err.starts_with(message)) << next.err;
                std::string keptPath = next.err.substr(message.size(), next.err.size() - message.size() - 2);
                if (keptPath.front() != '/') keptPath = data.File(keptPath);
                EXPECT_TRUE(ReadBytes(keptPath) == before);
                EXPECT_TRUE(ReadBytes(comet) == left + line) << "the user's line is kept, nothing written";
                fs::remove(keptPath);
                keptApart += 1;
            } else {
                ASSERT_EQ(next.exitStatus, 0) << next.err;
                EXPECT_NE(ReadBytes(comet).find(line), std::string::npos);
            }
            continue;
        }
        const testing::ChildResult next = testing::RunBatch(args, data.path, as);
        ASSERT_EQ(next.exitStatus, 0) << next.err;
        restored += next.out.starts_with("Comet.dat restaurado tras una escritura interrumpida: comet.dat\n");
        ASSERT_TRUE(ReadBytes(comet) == result);
        ASSERT_TRUE(ReadBytes(data.File("second-name.dat")) == result);
        const std::string kept = ReadBytes(backup);
        ASSERT_TRUE(kept == before || kept == result) << kept.size() << " bytes";
    }
    std::printf(
        "[ in place ] %d: %d left mixed, %d put back by the next run, %d edited after the stop and kept apart (the "
        "write lasts %lld us)\n",
        tries, mixed, restored, keptApart, writeMicroseconds);
    EXPECT_LE(mixed, restored + keptApart) << "every mixed file was put back, or kept apart when edited";
    EXPECT_FALSE(JournalThere(places)) << "a journal left after a whole run";
    EXPECT_FALSE(JournalThere(places, true)) << "an unfinished journal left";
}

// A plain user's in-place write, in a folder where neither that user nor
// root may make a file beside the comet file, is killed: its journal stands
// in that user's state folder, marked on the comet file. A run of root's
// then neither backs up the half-written file nor writes anything: it names
// the journal and stops. The user's own next run puts the file back.
TEST(StoppedInPlaceWriteOfAnotherUser, IsNeverTakenForTheCometFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "two users need root";
    testing::TempDir dir, rootState;
    const Folder data{dir.File("data")};
    fs::create_directory(data.path);
    MakeFiles(data);
    const std::string comet = data.File("comet.dat"), backup = data.File("CometDatBak.Txt");
    WriteBytes(backup, "");
    const testing::ChildLimits plain{.asPlainUser = true, .stateHome = dir.File("state")};
    fs::create_directory(plain.stateHome);
    for (const std::string& path : {comet, backup, plain.stateHome}) {
        ASSERT_EQ(::chown(path.c_str(), testing::kNobody, testing::kNobody), 0);
    }
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(data.path.c_str(), 0555);  // not even root's run may make a file there: ENOSPC aside, EACCES is root's too
    const std::string before = ReadBytes(comet);
    const std::vector<std::string> args = {"comet.dat", "objetos.txt", "15/01/2006"};
    ASSERT_EQ(testing::RunBatch(args, data.path, plain).exitStatus, 0);
    const std::string result = ReadBytes(comet);

    // Killed as soon as the comet file bears the mark of its journal (up to
    // a minute, a few tries for the odd run that ends first).
    const auto marked = [&] { return ::getxattr(comet.c_str(), "user.celestra.journal", nullptr, 0) > 0; };
    for (int attempt = 0; attempt < 5 && !marked(); ++attempt) {
        WriteBytes(comet, before);
        const int pid = testing::StartBatch(args, data.path, plain);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        int status = 0;
        while (!marked() && ::waitpid(pid, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        ::kill(pid, SIGKILL);
        Wait(pid);
    }
    ASSERT_TRUE(marked()) << "no kill left the comet file's journal";
    const std::string left = ReadBytes(comet), backupLeft = ReadBytes(backup);

    const testing::ChildResult rootRun = testing::RunBatch(args, data.path, {.stateHome = rootState.path()});
    EXPECT_EQ(rootRun.exitStatus, 2);
    EXPECT_TRUE(rootRun.err.starts_with("Escritura interrumpida de otro usuario, sin reparar: " + plain.stateHome +
                                        "/celestra/journal-"))
        << rootRun.err;
    EXPECT_TRUE(ReadBytes(comet) == left);
    EXPECT_TRUE(ReadBytes(backup) == backupLeft) << "the half-written file never becomes the backup";

    const testing::ChildResult ownRun = testing::RunBatch(args, data.path, plain);
    EXPECT_EQ(ownRun.exitStatus, 0) << ownRun.err;
    EXPECT_TRUE(ReadBytes(comet) == result);
    EXPECT_FALSE(marked());
    ::chmod(data.path.c_str(), 0755);
}

// Another program changes the comet file while it is written in place: it
// appends a line, or cuts the file to nothing. The run either ends with its
// message and a non-zero exit, or the change is in the file; an appended
// line is never lost, even by the run after a stopped one.
TEST(ChangedDuringAnInPlaceWrite, IsNeverLostByARunThatSucceeds) {
    testing::TempDir dir, state;
    MakeFiles(dir);
    const std::string comet = dir.File("comet.dat");
    fs::create_hard_link(comet, dir.File("second-name.dat"));
    const std::string before = ReadBytes(comet);
    const std::vector<std::string> args = {"comet.dat", "objetos.txt", "15/01/2006"};
    const testing::ChildLimits limits{.stateHome = state.path()};

    std::mt19937 random(5);
    // From the journal's appearance on: the bytes go out in the first
    // milliseconds of the write.
    std::uniform_int_distribution<long long> delayMicroseconds(0, 3000);
    int stopped = 0, putAside = 0;
    const int tries = CountFromEnvironment("CELESTRA_CHANGE_TRIES", kTrialTries);
    for (int attempt = 0; attempt < 2 * tries; ++attempt) {
        const bool cut = attempt % 2 == 1;
        SCOPED_TRACE(std::string(cut ? "cut" : "appended") + ", attempt " + std::to_string(attempt));
        WriteBytes(comet, before);
        const std::string line = "    C/2026 X" + std::to_string(attempt) + "  appended by another program\r\n";
        const int pid = testing::StartBatch(args, dir.path(), limits);
        int status = 0;
        const bool writing = WaitForInPlaceWrite(pid, {comet, state.path()}, status);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        std::FILE* other = std::fopen(comet.c_str(), cut ? "wb" : "ab");
        ASSERT_NE(other, nullptr);
        if (!cut) std::fputs(line.c_str(), other);
        std::fclose(other);
        if (writing) status = Wait(pid);
        ASSERT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 2)) << status;
        stopped += WEXITSTATUS(status) == 2;
        if (WEXITSTATUS(status) == 0) {
            const std::string after = ReadBytes(comet);
            // Cut: no line of the old file that no run writes, and no hole.
            EXPECT_TRUE(cut ? after.find("C/2004 Q2") == std::string::npos && after.find('\0') == std::string::npos
                            : after.find(line) != std::string::npos);
            continue;
        }
        // A stopped run may leave its journal. The next run puts the old
        // content back only over a mix of its own; the other program's
        // change it leaves in place, keeps the old content apart, and says
        // where; the run after it goes through.
        const testing::ChildResult next = testing::RunBatch(args, dir.path(), limits);
        const std::string kept = dir.File("comet.dat.anterior");
        if (next.exitStatus == 2) {
            ASSERT_EQ(next.err,
                      "El archivo cambió tras una escritura interrumpida, su contenido anterior queda en: "
                      "comet.dat.anterior.\n");
            EXPECT_TRUE(ReadBytes(kept) == before);
            fs::remove(kept);
            putAside += 1;
        } else {
            ASSERT_EQ(next.exitStatus, 0) << next.err;
        }
        // A cut in the middle of the write leaves the run's later bytes past
        // a hole (no lock stops another program's cut); an append, which
        // lands past the grown file, leaves none.
        if (!cut) {
            EXPECT_NE(ReadBytes(comet).find(line), std::string::npos) << "the other program's line is lost";
            EXPECT_EQ(ReadBytes(comet).find('\0'), std::string::npos);
        }
        if (next.exitStatus == 2) {
            ASSERT_EQ(testing::RunBatch(args, dir.path(), limits).exitStatus, 0);
        }
    }
    std::printf("[ changes  ] %d: %d runs stopped for the change, %d old contents kept apart\n", 2 * tries, stopped,
                putAside);
}

// Stopped by TERM, INT or HUP while it writes the journal of an in-place
// write: the run ends by the signal and leaves neither its unfinished
// journal nor any other file the size of the comet file; the comet file is
// untouched, or, when the journal had just taken its name, written whole.
TEST(StoppedWhileJournaling, LeavesNoJournalBehind) {
    const std::vector<std::string> args = {"comet.dat", "objetos.txt", "15/01/2006"};
    const std::set<std::string> runsFiles = {"comet.dat", "second-name.dat", "objetos.txt", "CometDatBak.Txt"};
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sigabbrev_np(signalNumber));
        testing::TempDir dir, state;
        MakeFiles(dir);
        const std::string comet = dir.File("comet.dat");
        fs::create_hard_link(comet, dir.File("second-name.dat"));
        const std::string before = ReadBytes(comet);
        ASSERT_EQ(testing::RunBatch(args, dir.path(), {.stateHome = state.path()}).exitStatus, 0);
        const std::string result = ReadBytes(comet);
        WriteBytes(comet, before);
        int caught = 0;
        for (int attempt = 0; attempt < kTrialTries; ++attempt) {
            const int pid = testing::StartBatch(args, dir.path(), {.stateHome = state.path()});
            int status = 0;
            if (WaitForInPlaceWrite(pid, {comet, state.path()}, status, true)) {
                ::kill(pid, signalNumber);
                status = Wait(pid);
            }
            const bool stopped = WIFSIGNALED(status) && WTERMSIG(status) == signalNumber;
            caught += stopped;
            std::set<std::string> names;
            for (const auto& entry : fs::directory_iterator(dir.path())) names.insert(entry.path().filename().string());
            ASSERT_EQ(names, runsFiles) << "attempt " << attempt;
            const std::string left = ReadBytes(comet);
            ASSERT_TRUE(left == before || left == result) << "attempt " << attempt;
            WriteBytes(comet, before);
        }
        std::printf("[ journal  ] %s: %d of %d runs stopped while journaling\n", sigabbrev_np(signalNumber), caught,
                    kTrialTries);
    }
}

// A run stopped while it waits for the temporary file another run is
// writing leaves that file alone: it was never this run's.
TEST(StoppedWhileWaiting, LeavesAnotherRunsTemporaryFile) {
    testing::TempDir dir;
    MakeFiles(dir);
    const std::string temporary = dir.File(".CometDatBak.Txt.celestra.tmp");
    const int other = ::open(temporary.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const int pid = testing::StartBatch({"comet.dat", "objetos.txt", "15/01/2006"}, dir.path());
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    ::kill(pid, SIGINT);
    const int status = Wait(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_TRUE(fs::exists(temporary));
    ::close(other);
}

}  // namespace
}  // namespace celestra
