#include "platform/interrupt_cleanup.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace celestra {
namespace {

// What the child reports while it still holds the interrupts off.
constexpr char kFileKept = 'K';
constexpr char kFileGone = 'G';
// The child's exit code should the interrupt never end it.
constexpr int kOutlivedTheInterrupt = 30;

// Longest waits, so that a test that goes wrong fails instead of hanging.
constexpr std::chrono::seconds kLongestWait{20};
constexpr std::chrono::milliseconds kPollStep{5};

// The child process: the handlers installed on this thread, the file
// registered, and SIGTERM sent to the process while this thread holds
// interrupts off and a second thread (as one a window library starts)
// waits with none blocked. Reports whether the file was still there during
// the hold, then lets the interrupt act.
[[noreturn]] void InterruptWhileHeld(const std::string& path, int reportFd) {
    RemoveTemporaryFileOnInterrupt();
    const PendingTemporaryFile pending(path);
    {
        const HeldInterrupts held;
        std::atomic<bool> stop{false}, interrupted{false};
        // Started under the hold, so that it takes an interrupt only inside
        // its wait, which a handler that ran there cuts short.
        std::thread other([&] {
            sigset_t waitMask;
            ::pthread_sigmask(SIG_BLOCK, nullptr, &waitMask);
            for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&waitMask, signalNumber);
            while (!stop.load()) {
                const timespec step{0, 5'000'000};
                if (::pselect(0, nullptr, nullptr, nullptr, &step, &waitMask) != 0 && errno == EINTR) {
                    interrupted.store(true);
                }
            }
        });
        ::kill(::getpid(), SIGTERM);
        // Only the other thread may take it: waited for until its handler
        // has run there, or for a while should that go unseen.
        const auto deadline = std::chrono::steady_clock::now() + kLongestWait / 4;
        while (!interrupted.load() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kPollStep);
        }
        stop.store(true);
        other.join();
        const char report = ::access(path.c_str(), F_OK) == 0 ? kFileKept : kFileGone;
        if (::write(reportFd, &report, 1) != 1) ::_exit(kOutlivedTheInterrupt + 1);
    }
    // The interrupt acts as the hold ends: nothing below runs.
    ::_exit(kOutlivedTheInterrupt);
}

// One byte from the pipe: false when the writer closed it first or the
// wait ran out.
bool ReadReport(int fd, char& report) {
    pollfd ready{fd, POLLIN, 0};
    const int timeoutMs = static_cast<int>(std::chrono::milliseconds(kLongestWait).count());
    return ::poll(&ready, 1, timeoutMs) == 1 && ::read(fd, &report, 1) == 1;
}

// The child's status once it has ended; killed and false when it outlives
// the wait.
bool WaitForEnd(pid_t child, int& status) {
    const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(child, &status, WNOHANG) == child) return true;
        std::this_thread::sleep_for(kPollStep);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return false;
}

// A process-directed interrupt may be given to any thread that does not
// block it. Taken by another thread while the writing thread holds
// interrupts off, it must still wait for the hold to end: the temporary
// file stays and the process lives until then, and then the file goes and
// the process ends by the signal. Run in a child process, so that the test
// program's own signal handling is left alone.
TEST(HeldInterrupts, HoldOffAnInterruptAnotherThreadTakes) {
    testing::TempDir dir;
    const std::string path = dir.File(".comet.dat.celestra.tmp");
    testing::WriteBytes(path, "half written");
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::close(report[0]);
        InterruptWhileHeld(path, report[1]);
    }
    ::close(report[1]);
    char held = 0;
    const bool reported = ReadReport(report[0], held);
    ::close(report[0]);
    int status = 0;
    ASSERT_TRUE(WaitForEnd(child, status)) << "the child did not end";

    EXPECT_TRUE(reported) << "the child ended while it held interrupts off";
    if (reported) {
        EXPECT_EQ(held, kFileKept) << "the file was removed while interrupts were held off";
    }
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit code " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace celestra
