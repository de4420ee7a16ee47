#include "support/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace celestra::testing {
namespace {

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(count));
    return text;
}

}  // namespace

namespace {

// A copy of the batch command in a folder of its own that every user may
// enter: the build may lie where a plain user cannot reach it (a clone in
// root's home). Made once, by the parent, and removed when it exits.
const std::string& ProgramForPlainUser() {
    static const std::string copy = [] {
        static std::string folder = "/tmp/celestra-batch-XXXXXX";
        if (::mkdtemp(folder.data()) == nullptr) throw std::runtime_error("mkdtemp");
        ::chmod(folder.c_str(), 0755);
        const std::string program = folder + "/celestra-batch";
        std::filesystem::copy_file(CELESTRA_BATCH_PATH, program);
        ::chmod(program.c_str(), 0755);
        std::atexit([] { std::filesystem::remove_all(folder); });
        return program;
    }();
    return copy;
}

bool BecomesPlainUser(const ChildLimits& limits) { return limits.asPlainUser && ::geteuid() == 0; }

// In the child: into the folder, under the limits, then the program.
[[noreturn]] void ExecBatch(const std::vector<std::string>& args, const std::string& folder, const ChildLimits& limits,
                            std::string program) {
    if (::chdir(folder.c_str()) != 0) ::_exit(120);
    if (!limits.stateHome.empty()) ::setenv("XDG_STATE_HOME", limits.stateHome.c_str(), 1);
    if (limits.fileSizeBytes > 0) {
        const rlimit limit{static_cast<rlim_t>(limits.fileSizeBytes), static_cast<rlim_t>(limits.fileSizeBytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (limits.addressSpaceBytes > 0) {
        const rlimit limit{static_cast<rlim_t>(limits.addressSpaceBytes),
                           static_cast<rlim_t>(limits.addressSpaceBytes)};
        ::setrlimit(RLIMIT_AS, &limit);
    }
    if (BecomesPlainUser(limits)) {
        const gid_t groups[] = {kNobody};
        if (::setgroups(1, groups) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(122);
    }
    std::vector<char*> argv;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (auto& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(121);
}

}  // namespace

int StartBatch(const std::vector<std::string>& args, const std::string& folder, const ChildLimits& limits) {
    const std::string program = BecomesPlainUser(limits) ? ProgramForPlainUser() : CELESTRA_BATCH_PATH;
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ExecBatch(args, folder, limits, program);
    }
    return pid;
}

ChildResult RunBatch(const std::vector<std::string>& args, const std::string& folder, ChildLimits limits) {
    const std::string program = BecomesPlainUser(limits) ? ProgramForPlainUser() : CELESTRA_BATCH_PATH;
    int outPipe[2], errPipe[2];
    if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        ExecBatch(args, folder, limits, program);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    ChildResult result;
    result.out = ReadAll(outPipe[0]);
    result.err = ReadAll(errPipe[0]);
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace celestra::testing
