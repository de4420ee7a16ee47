// The batch command meeting other runs, other users' files, links, pipes and
// limits, as child processes in a fresh folder: each run either does its
// work or says why and exits non-zero, and nothing is lost either way.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/run_support.h"
#include "support/temp_dir.h"

namespace celestra {
namespace {

namespace fs = std::filesystem;
using testing::ChildResult;
using testing::kNobody;
using testing::ObjectLine;
using testing::ReadBytes;
using testing::RunBatch;
using testing::WriteBytes;

constexpr int kExitSuccess = 0;
constexpr int kExitError = 2;

const std::string kDate = "15/01/2006";
const std::string kComets = "    C/2004 Q2    2005 01 24.9968  1.205075\r\n";
const std::string kDone = "Proceso finalizado correctamente para 1 estrellas\n";

// Lines of the file that carry `designation` as their key (columns 5-12).
int LinesFor(const std::string& file, const std::string& designation) {
    int count = 0;
    for (std::size_t at = 0; (at = file.find("\r\n    " + designation, at)) != std::string::npos; ++at) ++count;
    return count;
}

TEST(MeetingRuns, TwentyRunsAtOnceEachKeepTheirLine) {
    testing::TempDir dir;
    WriteBytes(dir.File("comet.dat"), kComets);
    constexpr int kRuns = 20;
    for (int i = 0; i < kRuns; ++i) {
        WriteBytes(dir.File("obj" + std::to_string(i)), ObjectLine("RUN" + std::to_string(10 + i)) + "\r\n");
    }
    for (int round = 0; round < 3; ++round) {
        std::vector<ChildResult> results(kRuns);
        std::vector<std::thread> runs;
        for (int i = 0; i < kRuns; ++i) {
            runs.emplace_back([&, i] {
                results[static_cast<std::size_t>(i)] =
                    RunBatch({"comet.dat", "obj" + std::to_string(i), kDate}, dir.path());
            });
        }
        for (auto& run : runs) run.join();
        const std::string comets = ReadBytes(dir.File("comet.dat"));
        int succeeded = 0;
        for (int i = 0; i < kRuns; ++i) {
            const ChildResult& result = results[static_cast<std::size_t>(i)];
            SCOPED_TRACE("round " + std::to_string(round) + ", run " + std::to_string(i) + ": " + result.err);
            if (result.exitStatus == kExitSuccess) {
                ++succeeded;
                EXPECT_EQ(result.out, kDone);
                EXPECT_EQ(LinesFor(comets, "RUN" + std::to_string(10 + i)), 1);
            } else {
                EXPECT_NE(result.exitStatus, -1);
                EXPECT_FALSE(result.err.empty());
            }
        }
        EXPECT_EQ(succeeded, kRuns) << "small files: no run waits half a minute";
        EXPECT_TRUE(comets.starts_with(kComets));
    }
}

// Who owns the folder and the comet file, with which permission bits; the
// run as a plain user. Rows with another user need the tests to run as root.
struct Ownership {
    const char* what;
    bool folderOthers;  // the folder belongs to another user, mode 0755
    bool fileOthers;    // the comet file and the backup belong to another user
    unsigned fileMode;  // of the comet file
    const char* err;    // empty: the run succeeds
};

TEST(MeetingRuns, KeepsOwnersAndRefusesFilesThePlainUserMayNotWrite) {
    const bool root = ::geteuid() == 0;
    const Ownership rows[] = {
        {"a read-only file", false, false, 0444, "Cannot create file comet.dat.\n"},
        {"another user's 644 file", false, true, 0644, "Cannot create file comet.dat.\n"},
        {"another user's group-writable file", false, true, 0664, ""},
        {"own files in another user's folder", true, false, 0644, ""},
        {"a hard-linked file", false, false, 0644, ""},
    };
    for (const Ownership& row : rows) {
        SCOPED_TRACE(row.what);
        if (!root && (row.folderOthers || row.fileOthers)) continue;
        testing::TempDir dir;
        const std::string folder = dir.File("data");
        fs::create_directory(folder);
        const std::string comet = folder + "/comet.dat";
        WriteBytes(comet, kComets);
        WriteBytes(folder + "/objetos.txt", ObjectLine("STAR01") + "\r\n");
        WriteBytes(folder + "/CometDatBak.Txt", "old backup\r\n");
        const bool linked = std::string(row.what) == "a hard-linked file";
        if (linked) fs::create_hard_link(comet, folder + "/other-name.dat");
        const unsigned plain = root ? kNobody : ::geteuid();
        const unsigned other = root ? 0 : ::geteuid();
        if (root) {
            ::chown(dir.path().c_str(), plain, plain);
            ::chown(folder.c_str(), row.folderOthers ? other : plain, row.folderOthers ? other : plain);
            for (const char* name : {"/comet.dat", "/objetos.txt", "/CometDatBak.Txt"}) {
                ::chown((folder + name).c_str(), row.fileOthers ? other : plain, kNobody);  // group: the plain user's
            }
        }
        ::chmod(comet.c_str(), row.fileMode);
        ::chmod((folder + "/CometDatBak.Txt").c_str(), 0664);

        const ChildResult result = RunBatch({"comet.dat", "objetos.txt", kDate}, folder, {.asPlainUser = true});
        struct stat after {};
        ::stat(comet.c_str(), &after);
        EXPECT_EQ(after.st_uid, row.fileOthers ? other : plain) << "the owner stays";
        EXPECT_EQ(after.st_mode & 07777, row.fileMode);
        if (*row.err != '\0') {
            EXPECT_EQ(result.exitStatus, kExitError);
            EXPECT_EQ(result.err, row.err);
            EXPECT_EQ(ReadBytes(comet), kComets);
        } else {
            EXPECT_EQ(result.exitStatus, kExitSuccess) << result.err;
            EXPECT_EQ(LinesFor(ReadBytes(comet), "STAR01"), 1);
            EXPECT_EQ(ReadBytes(folder + "/CometDatBak.Txt"), kComets);
            if (linked) {
                EXPECT_EQ(ReadBytes(folder + "/other-name.dat"), ReadBytes(comet)) << "both names";
            }
        }
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
        std::set<std::string> expected{"comet.dat", "objetos.txt", "CometDatBak.Txt"};
        if (linked) expected.insert("other-name.dat");
        EXPECT_EQ(names, expected) << "no temporary file left";
    }
}

TEST(MeetingRuns, WritesInPlaceWhereATemporaryNameWouldBeTooLong) {
    testing::TempDir dir;
    const std::string name(250, 'c');  // the temporary file's name would pass 255 bytes
    WriteBytes(dir.File(name), kComets);
    WriteBytes(dir.File("objetos.txt"), ObjectLine("STAR01") + "\r\n");
    const ChildResult result = RunBatch({name, "objetos.txt", kDate}, dir.path());
    EXPECT_EQ(result.exitStatus, kExitSuccess) << result.err;
    EXPECT_EQ(LinesFor(ReadBytes(dir.File(name)), "STAR01"), 1);
}

TEST(MeetingRuns, RefusesPipesAndDevicesAtOnce) {
    testing::TempDir dir;
    WriteBytes(dir.File("comet.dat"), kComets);
    WriteBytes(dir.File("objetos.txt"), ObjectLine("STAR01") + "\r\n");
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0644), 0);
    const struct {
        const char* comet;
        const char* objects;
        const char* err;
    } rows[] = {
        {"pipe", "objetos.txt", "No es un archivo normal: pipe.\n"},
        {"comet.dat", "pipe", "No es un archivo normal: pipe.\n"},
        {"/dev/zero", "objetos.txt", "No es un archivo normal: /dev/zero.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.err);
        const ChildResult result = RunBatch({row.comet, row.objects, kDate}, dir.path());
        EXPECT_EQ(result.exitStatus, kExitError);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(ReadBytes(dir.File("comet.dat")), kComets);
        EXPECT_FALSE(fs::exists(dir.File("CometDatBak.Txt")));
    }
}

#ifndef __SANITIZE_ADDRESS__  // the sanitizer reserves more address space than any limit allows
TEST(MeetingRuns, NamesRunningOutOfMemory) {
    testing::TempDir dir;
    std::string comets;
    for (int i = 0; i < 600000; ++i) comets += kComets;  // 26 MB in 600,000 lines
    WriteBytes(dir.File("comet.dat"), comets);
    WriteBytes(dir.File("objetos.txt"), ObjectLine("STAR01") + "\r\n");
    const ChildResult result =
        RunBatch({"comet.dat", "objetos.txt", kDate}, dir.path(), {.addressSpaceBytes = 48ll << 20});
    EXPECT_EQ(result.exitStatus, kExitError);
    EXPECT_EQ(result.err, "Memoria insuficiente.\n");
    EXPECT_EQ(ReadBytes(dir.File("comet.dat")), comets);
}
#endif

}  // namespace
}  // namespace celestra
