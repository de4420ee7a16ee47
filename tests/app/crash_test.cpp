// celestra-batch killed (SIGKILL) at random moments of a run: whatever the
// moment, the comet file is either as it was or the complete result, the
// backup either the old one or complete, and nothing but the killed runs'
// own temporary files is left, which the next run does not trip over.
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
constexpr int kTries = 30;

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

TEST(KilledRuns, NeverLeaveAShortOrMixedFile) {
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
    for (int attempt = 0; attempt < kTries; ++attempt) {
        WriteBytes(dir.File("comet.dat"), before);
        WriteBytes(dir.File("CometDatBak.Txt"), oldBackup);
        const int pid = testing::StartBatch(args, dir.path());
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(pid, SIGKILL);
        Wait(pid);

        const std::string comet = ReadBytes(dir.File("comet.dat"));
        const std::string backup = ReadBytes(dir.File("CometDatBak.Txt"));
        ASSERT_TRUE(comet == before || comet == result) << "attempt " << attempt << ": " << comet.size() << " bytes";
        ASSERT_TRUE(backup == oldBackup || backup == before)
            << "attempt " << attempt << ": " << backup.size() << " bytes";
        untouched += comet == before && backup == oldBackup;
        killedAfterBackup += comet == before && backup == before;
        completed += comet == result;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            const bool ours = name == "comet.dat" || name == "objetos.txt" || name == "CometDatBak.Txt";
            const bool temporary = name.rfind(".comet.dat.", 0) == 0 || name.rfind(".CometDatBak.Txt.", 0) == 0;
            ASSERT_TRUE(ours || temporary) << name;
        }
    }
    std::printf("[ kills    ] %d: %d before the backup, %d after it, %d after the save\n", kTries, untouched,
                killedAfterBackup, completed);

    // The next run goes through with the killed runs' temporary files about.
    WriteBytes(dir.File("comet.dat"), before);
    ASSERT_EQ(WEXITSTATUS(Wait(testing::StartBatch(args, dir.path()))), 0);
    EXPECT_EQ(ReadBytes(dir.File("comet.dat")), result);
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), before);
}

}  // namespace
}  // namespace celestra
