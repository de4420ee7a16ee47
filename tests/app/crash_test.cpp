// celestra-batch stopped at random moments of a run: whatever the moment,
// the comet file is either as it was or the complete result and the backup
// either the old one or complete. Stopped by SIGINT or SIGTERM the run ends
// by that signal and leaves nothing else; killed (SIGKILL) it may leave its
// temporary file, which the next run reuses and removes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "core/pseudo_comet.h"
#include "support/child_process.h"
#include "support/run_support.h"
#include "support/temp_dir.h"

namespace celestra {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr int kObjects = 20000;

// An object list, and a comet file holding an earlier run's lines for it.
void MakeFiles(const testing::TempDir& dir) {
    std::mt19937 engine(1);
    auto random = [&engine] { return static_cast<unsigned>(engine()); };
    std::string objects, comets = "    C/2004 Q2    2005 01 24.9968  1.205075  0.999760\r\n";
    for (int i = 0; i < kObjects; ++i) {
        char designation[16], ra[16], dec[16], magnitude[8];
        std::snprintf(designation, sizeof designation, "S%07d", i);
        std::snprintf(ra, sizeof ra, "%02u %02u %02u.%02u", random() % 24, random() % 60, random() % 60,
                      random() % 100);
        std::snprintf(dec, sizeof dec, "%c%02u %02u %02u.%u", i % 2 ? '+' : '-', random() % 90, random() % 60,
                      random() % 60, random() % 10);
        std::snprintf(magnitude, sizeof magnitude, "%4.1f", 5.0 + i % 100 / 10.0);
        const std::string line = testing::ObjectLine(designation, ra, dec, magnitude);
        objects += line + "\r\n";
        comets += BuildElementLine(line, "14/01/2006") + "\r\n";
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

}  // namespace
}  // namespace celestra
