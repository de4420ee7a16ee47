// The batch command meeting other runs, other users' files, links, pipes and
// limits, as child processes in a fresh folder: each run either does its
// work or says why and exits non-zero, and nothing is lost either way.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/file_attributes.h"
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

// A comet file of root's shared with the plain user through an access
// control list, with an extended attribute: both stay through root's run,
// and the plain user's run that follows succeeds.
TEST(MeetingRuns, KeepsAFileSharedThroughAnAccessList) {
    if (::geteuid() != 0) GTEST_SKIP() << "sharing with another user needs root";
    testing::TempDir dir;
    const std::string comet = dir.File("comet.dat");
    WriteBytes(comet, kComets);
    WriteBytes(dir.File("objetos.txt"), ObjectLine("STAR01") + "\r\n");
    WriteBytes(dir.File("CometDatBak.Txt"), "old backup\r\n");
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(comet.c_str(), 0640);
    ::chown(dir.File("CometDatBak.Txt").c_str(), kNobody, kNobody);
    const std::string acl = testing::AccessControlList(kNobody);
    if (::setxattr(comet.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
        ::setxattr(comet.c_str(), "user.origin", "MPC", 3, 0) != 0) {
        GTEST_SKIP() << "no access control lists here";
    }
    for (const bool plainUser : {false, true}) {
        SCOPED_TRACE(plainUser ? "the plain user's run" : "root's run");
        const ChildResult result =
            RunBatch({"comet.dat", "objetos.txt", kDate}, dir.path(), {.asPlainUser = plainUser});
        EXPECT_EQ(result.exitStatus, kExitSuccess) << result.err;
        EXPECT_EQ(testing::Attribute(comet, "system.posix_acl_access"), acl);
        EXPECT_EQ(testing::Attribute(comet, "user.origin"), "MPC");
        struct stat after {};
        ::stat(comet.c_str(), &after);
        EXPECT_EQ(after.st_uid, 0u);
        EXPECT_EQ(LinesFor(ReadBytes(comet), "STAR01"), 1);
    }
}

// In a shared sticky folder another user plants CometDatBak.Txt as a link to
// a private file of the user who runs there: the run refuses the link by
// name and writes nothing through it. In one's own folder the link is
// simply replaced.
TEST(MeetingRuns, RefusesALinkPlantedAtTheBackupName) {
    if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
    testing::TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string shared = dir.File("shared"), own = dir.File("private");
    fs::create_directory(shared);
    fs::create_directory(own);
    ::chmod(shared.c_str(), 01777);
    ::chmod(own.c_str(), 0700);
    const std::string precious = own + "/precious.conf";
    WriteBytes(precious, "secret=1\n");
    for (const std::string& path : {own, precious}) ::chown(path.c_str(), kNobody, kNobody);
    ::chmod(precious.c_str(), 0600);
    for (const std::string& folder : {shared, own}) {
        SCOPED_TRACE(folder);
        WriteBytes(folder + "/comet.dat", kComets);
        WriteBytes(folder + "/objetos.txt", ObjectLine("STAR01") + "\r\n");
        for (const char* name : {"/comet.dat", "/objetos.txt"}) ::chown((folder + name).c_str(), kNobody, kNobody);
        fs::create_symlink(precious, folder + "/CometDatBak.Txt");  // root's link
        if (folder == own) ::lchown((folder + "/CometDatBak.Txt").c_str(), kNobody, kNobody);

        const ChildResult result = RunBatch({"comet.dat", "objetos.txt", kDate}, folder, {.asPlainUser = true});
        EXPECT_EQ(ReadBytes(precious), "secret=1\n");
        if (folder == shared) {
            EXPECT_EQ(result.exitStatus, kExitError);
            EXPECT_EQ(result.err, "CometDatBak.Txt es un enlace que no se puede reemplazar: CometDatBak.Txt.\n");
            EXPECT_EQ(ReadBytes(folder + "/comet.dat"), kComets);
        } else {
            EXPECT_EQ(result.exitStatus, kExitSuccess) << result.err;
            EXPECT_FALSE(fs::is_symlink(folder + "/CometDatBak.Txt"));
            EXPECT_EQ(ReadBytes(folder + "/CometDatBak.Txt"), kComets);
        }
    }
}

// A full disk while the comet file is written: on a small file system of
// its own, with room for the comet file and its backup but not for the
// longer result, the run ends with "Stream write error" and the file keeps
// its content, written in place (a second name) or through a new file.
TEST(MeetingRuns, AFullDiskLeavesTheCometFileAsItWas) {
    testing::TempDir dir;
    const std::string disk = dir.File("disk");
    fs::create_directory(disk);
    std::string comets;
    while (comets.size() < 100 * 1024) comets += kComets;
    std::string objects;
    for (int i = 0; i < 300; ++i) objects += ObjectLine("S" + std::to_string(1000 + i)) + "\r\n";
    const std::string size = "size=" + std::to_string(2 * comets.size() / 1024 + 16) + "k";
    if (std::system(("mount -t tmpfs -o " + size + " celestra-test " + disk + " 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "no small file system can be mounted here";
    }
    for (const bool secondName : {true, false}) {
        SCOPED_TRACE(secondName ? "written in place" : "through a new file");
        for (const auto& entry : fs::directory_iterator(disk)) fs::remove(entry.path());
        WriteBytes(disk + "/comet.dat", comets);
        WriteBytes(dir.File("objetos.txt"), objects);
        if (secondName) fs::create_hard_link(disk + "/comet.dat", disk + "/second-name.dat");
        const ChildResult result = RunBatch({disk + "/comet.dat", dir.File("objetos.txt"), kDate}, dir.path());
        EXPECT_EQ(result.exitStatus, kExitError);
        EXPECT_EQ(result.err, "Stream write error.\n");
        EXPECT_TRUE(ReadBytes(disk + "/comet.dat") == comets);
        EXPECT_TRUE(ReadBytes(disk + "/CometDatBak.Txt") == comets);
    }
    EXPECT_EQ(std::system(("umount " + disk).c_str()), 0);
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
