// The batch command end to end, as a child process in a fresh folder: what
// the user sees, the exit status, and what is left on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "celestra/version.h"
#include "core/object_table.h"
#include "platform/safe_write.h"
#include "support/child_process.h"
#include "support/journal.h"
#include "support/run_support.h"
#include "support/temp_dir.h"
#include "text/line_list.h"

namespace celestra {
namespace {

namespace fs = std::filesystem;
using testing::ObjectLine;
using testing::ReadBytes;
using testing::RunBatch;
using testing::WriteBytes;

// The exit statuses, as the README and the manual page give them.
constexpr int kExitSuccess = 0;
constexpr int kExitStepMessage = 1;
constexpr int kExitError = 2;
constexpr int kExitUsage = 64;

const std::string kDate = "15/01/2006";
const std::string kComets =
    "    C/2004 Q2    2005 01 24.9968  1.205075\r\n    STAR01    stale line of an earlier run\r\n";
const std::string kObjects =
    ObjectLine("STAR01") + "\r\n" + ObjectLine("SOUTH-02", "12 30 00.00", "-20 00 00.0", "4.5") + "\r\n";
const std::string kOldBackup = "the backup of an earlier run\r\n";

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

class BatchTest : public ::testing::Test {
protected:
    BatchTest() {
        WriteBytes(dir.File("comet.dat"), kComets);
        WriteBytes(dir.File("objetos.txt"), kObjects);
        WriteBytes(dir.File("CometDatBak.Txt"), kOldBackup);
    }

    testing::ChildResult Run(const std::vector<std::string>& args, testing::ChildLimits limits = {}) {
        return RunBatch(args, dir.path(), limits);
    }

    // The comet file and the old backup untouched, nothing else left.
    void ExpectNothingWritten() {
        EXPECT_EQ(ReadBytes(dir.File("comet.dat")), kComets);
        EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kOldBackup);
        EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"comet.dat", "objetos.txt", "CometDatBak.Txt"}));
    }

    // The backup written, the comet file untouched, no temporary file left.
    void ExpectOnlyTheBackupWritten() {
        EXPECT_EQ(ReadBytes(dir.File("comet.dat")), kComets);
        EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kComets);
        EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"comet.dat", "objetos.txt", "CometDatBak.Txt"}));
    }

    testing::TempDir dir;
};

TEST_F(BatchTest, PrintsTheClosingMessageOnSuccess) {
    const auto result = Run({"comet.dat", "objetos.txt", kDate});
    EXPECT_EQ(result.exitStatus, kExitSuccess);
    EXPECT_EQ(result.out, "Proceso finalizado correctamente para 2 estrellas\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kComets);
    EXPECT_EQ(ReadBytes(dir.File("comet.dat")),
              "    C/2004 Q2    2005 01 24.9968  1.205075\r\n"
              "    STAR01    2006 01 15.0000999.999999  0.000000   90.0000  012.4435   45.0677            -9.9 01.0  "
              "STAR01\r\n"
              "    SOUTH-02  2006 01 15.0000999.999999  0.000000  270.0000  284.8817   15.3651            -9.9 -0.1  "
              "SOUTH-02\r\n");
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"comet.dat", "objetos.txt", "CometDatBak.Txt"}));
}

TEST_F(BatchTest, WritesPreciseLinesThatClassicRunsReplace) {
    auto result = Run({"--precise", "comet.dat", "objetos.txt", kDate});
    ASSERT_EQ(result.exitStatus, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, "Proceso finalizado correctamente para 2 estrellas\n");
    const std::string precise = ReadBytes(dir.File("comet.dat"));
    EXPECT_EQ(precise.find("    STAR01    ") + 29, precise.find(" 99999.999  0.000000")) << precise;
    result = Run({"comet.dat", "objetos.txt", kDate});
    ASSERT_EQ(result.exitStatus, kExitSuccess);
    const std::string classic = ReadBytes(dir.File("comet.dat"));
    EXPECT_EQ(classic.find("99999.999"), std::string::npos) << "the same keys: the classic lines replace them";
    EXPECT_NE(classic.find("    STAR01    2006 01 15.0000999.999999"), std::string::npos);
}

TEST_F(BatchTest, ReportsStepMessagesWithStatus1) {
    const struct {
        std::vector<std::string> args;
        const char* err;
    } rows[] = {
        {{"", "missing.txt", kDate}, "Comet.dat no encontrado\n"},
        {{"missing.dat", "objetos.txt", kDate}, "Comet.dat no encontrado\n"},
        {{".", "objetos.txt", kDate}, "Comet.dat no encontrado\n"},
        {{"comet.dat", "missing.txt", kDate}, "Archivo de objetos no encontrado\n"},
        {{"comet.dat", ".", kDate}, "Archivo de objetos no encontrado\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.err);
        const auto result = Run(row.args);
        EXPECT_EQ(result.exitStatus, kExitStepMessage);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
        ExpectNothingWritten();
    }
    WriteBytes(dir.File("objetos.txt"), kObjects + ObjectLine("BAD", "07 33 41.30", " 67 32 14.8") + "\r\n");
    const auto result = Run({"comet.dat", "objetos.txt", kDate});
    EXPECT_EQ(result.exitStatus, kExitStepMessage);
    EXPECT_EQ(result.err, "Error de formato para BAD     \nlínea 3, columna 24: falta el signo de la declinación\n");
    EXPECT_EQ(ReadBytes(dir.File("comet.dat")), kComets);
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kOldBackup);
}

TEST_F(BatchTest, ReportsConversionErrorsAfterTheBackup) {
    const struct {
        std::string objects;
        std::string date;
        const char* err;
    } rows[] = {
        {kObjects + ObjectLine("MINS", "07 3  41.30") + "\r\n", kDate, "'3 ' is not a valid integer value.\n"},
        {kObjects, "31/02/2006", "'31/02/2006' is not a valid date.\n"},
        // An object's fields are converted before the date.
        {ObjectLine("MINS", "07 3  41.30") + "\r\n" + kObjects, "31/02/2006", "'3 ' is not a valid integer value.\n"},
        {kObjects, "", "'' is not a valid date.\n"},
        {kObjects, "15/01/2006 12:00", "'15/01/2006 12:00' is not a valid date.\n"},
        {kObjects, "  /  /    ", "'  /  /    ' is not a valid date.\n"},  // the empty date field
        {kObjects, "1/1/2006", "'1/1/2006' is not a valid date.\n"},      // not the field's ten characters
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.err);
        WriteBytes(dir.File("CometDatBak.Txt"), kOldBackup);
        WriteBytes(dir.File("objetos.txt"), row.objects);
        const auto result = Run({"comet.dat", "objetos.txt", row.date});
        EXPECT_EQ(result.exitStatus, kExitError);
        EXPECT_EQ(result.err, row.err);
        ExpectOnlyTheBackupWritten();
    }
}

TEST_F(BatchTest, ABackupThatCannotBeWrittenTouchesNothing) {
    // A folder in the backup's place.
    fs::remove(dir.File("CometDatBak.Txt"));
    fs::create_directory(dir.File("CometDatBak.Txt"));
    auto result = Run({"comet.dat", "objetos.txt", kDate});
    EXPECT_EQ(result.exitStatus, kExitError);
    EXPECT_EQ(result.err, "File access denied: CometDatBak.Txt.\n");
    EXPECT_EQ(ReadBytes(dir.File("comet.dat")), kComets);
    fs::remove(dir.File("CometDatBak.Txt"));
    WriteBytes(dir.File("CometDatBak.Txt"), kOldBackup);

    // A full disk: the file size limit stops the backup's first write.
    result = Run({"comet.dat", "objetos.txt", kDate}, {.fileSizeBytes = 16});
    EXPECT_EQ(result.exitStatus, kExitError);
    EXPECT_EQ(result.err, "I/O error " + std::to_string(EFBIG) + ": CometDatBak.Txt.\n");
    ExpectNothingWritten();
}

// A size limit with room for the backup and the journal of an in-place
// write, not for the longer result: through a new file, or in place for a
// comet file with a second name, the file keeps its content and no journal
// is left.
TEST_F(BatchTest, ASaveThatFailsPartWayLeavesTheFileWhole) {
    testing::TempDir state;
    for (const bool secondName : {false, true}) {
        SCOPED_TRACE(secondName ? "written in place" : "through a new file");
        if (secondName) fs::create_hard_link(dir.File("comet.dat"), dir.File("second-name.dat"));
        const auto result =
            Run({"comet.dat", "objetos.txt", kDate},
                {.fileSizeBytes = static_cast<long long>(kComets.size()) + 60, .stateHome = state.path()});
        EXPECT_EQ(result.exitStatus, kExitError);
        EXPECT_EQ(result.err, "Stream write error.\n");
        EXPECT_EQ(ReadBytes(dir.File("comet.dat")), kComets);
        EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kComets);
        fs::remove(dir.File("second-name.dat"));
        EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"comet.dat", "objetos.txt", "CometDatBak.Txt"}));
        EXPECT_FALSE(fs::exists(state.path() + "/celestra")) << "a journal stands beside its file, where it may";
    }
}

#ifdef __linux__
TEST_F(BatchTest, ReportsFilesThatExistButCannotBeReadOrReplaced) {
    // /proc/self/mem exists but fails every read at offset 0 (EIO).
    auto result = Run({"/proc/self/mem", "objetos.txt", kDate});
    EXPECT_EQ(result.exitStatus, kExitError);
    EXPECT_EQ(result.err, "Cannot open file /proc/self/mem.\n");
    ExpectNothingWritten();

    result = Run({"comet.dat", "/proc/self/mem", kDate});
    EXPECT_EQ(result.exitStatus, kExitError);
    EXPECT_EQ(result.err, "I/O error " + std::to_string(EIO) + ": /proc/self/mem.\n");
    ExpectNothingWritten();

    // A comet file in a folder where nothing can be created, even by root.
    fs::create_symlink("/proc/version", dir.File("proc-comet.dat"));
    result = Run({"proc-comet.dat", "objetos.txt", kDate});
    EXPECT_EQ(result.exitStatus, kExitError);
    EXPECT_EQ(result.err, "Cannot create file proc-comet.dat.\n");
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), ReadBytes("/proc/version")) << "the backup was written first";
}
#endif

TEST_F(BatchTest, ReplacesTheFileALinkNamesAndKeepsItsPermissions) {
    fs::create_directory(dir.File("real"));
    fs::rename(dir.File("comet.dat"), dir.File("real/comet.dat"));
    fs::create_symlink("real/comet.dat", dir.File("comet.dat"));
    ::chmod(dir.File("real/comet.dat").c_str(), 0640);

    const auto result = Run({"comet.dat", "objetos.txt", kDate});
    ASSERT_EQ(result.exitStatus, kExitSuccess) << result.err;
    EXPECT_TRUE(fs::is_symlink(dir.File("comet.dat"))) << "the link stays a link";
    EXPECT_NE(ReadBytes(dir.File("real/comet.dat")), kComets);
    EXPECT_EQ(fs::status(dir.File("real/comet.dat")).permissions() & fs::perms::mask, fs::perms(0640));
    EXPECT_EQ(Names(dir.File("real")), std::set<std::string>{"comet.dat"}) << "no temporary file left";
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kComets) << "the backup stands beside the path given";
}

// A killed run leaves its temporary files under the names a run writes to:
// the next run takes them over, and none of their bytes reach the files.
TEST_F(BatchTest, RemovesTheTemporaryFilesOfAnEarlierKilledRun) {
    const std::string cometTemporary = TemporaryPathFor(dir.File("comet.dat"));
    const std::string backupTemporary = TemporaryPathFor(dir.File("CometDatBak.Txt"));
    WriteBytes(cometTemporary, "left by a killed run\r\n");
    WriteBytes(backupTemporary, "left by a killed run\r\n");
    const auto result = Run({"comet.dat", "objetos.txt", kDate});
    EXPECT_EQ(result.exitStatus, kExitSuccess) << result.err;
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kComets);
    EXPECT_EQ(ReadBytes(dir.File("comet.dat")).find("left by"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(cometTemporary));
    EXPECT_FALSE(std::filesystem::exists(backupTemporary));
}

#ifndef _WIN32
// In a shared sticky folder another user makes files at the run's own
// temporary names first. Root's run never uses them: it makes its own, and
// the comet file and its backup stay root's. A plain user's run, which may
// not remove another's file there, stops, names it, and writes nothing.
TEST_F(BatchTest, NeverUsesATemporaryFileAnotherUserMade) {
    if (::geteuid() != 0) GTEST_SKIP() << "two users need root";
    ASSERT_EQ(::chmod(dir.path().c_str(), 01777), 0);
    const std::string cometTemporary = TemporaryPathFor(dir.File("comet.dat"));
    const std::string backupTemporary = TemporaryPathFor(dir.File("CometDatBak.Txt"));
    for (const std::string& planted : {cometTemporary, backupTemporary}) {
        WriteBytes(planted, "planted\r\n");
        ASSERT_EQ(::chown(planted.c_str(), testing::kNobody, testing::kNobody), 0);
        ASSERT_EQ(::chmod(planted.c_str(), 0666), 0);
    }
    const auto result = Run({"comet.dat", "objetos.txt", kDate});
    ASSERT_EQ(result.exitStatus, kExitSuccess) << result.err;
    for (const char* name : {"comet.dat", "CometDatBak.Txt"}) {
        struct stat info {};
        ASSERT_EQ(::stat(dir.File(name).c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 0u) << name;
    }
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kComets);
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"comet.dat", "objetos.txt", "CometDatBak.Txt"}));

    for (const char* name : {"comet.dat", "objetos.txt", "CometDatBak.Txt"}) {
        ASSERT_EQ(::chown(dir.File(name).c_str(), testing::kNobody, testing::kNobody), 0);
    }
    WriteBytes(backupTemporary, "made by root\r\n");
    const std::string before = ReadBytes(dir.File("comet.dat"));
    const auto refused = Run({"comet.dat", "objetos.txt", kDate}, {.asPlainUser = true});
    EXPECT_EQ(refused.exitStatus, kExitError);
    EXPECT_EQ(refused.err, "Archivo ajeno en el lugar de un archivo de Celestra: .CometDatBak.Txt.celestra.tmp.\n");
    EXPECT_EQ(ReadBytes(dir.File("comet.dat")), before);
    EXPECT_EQ(ReadBytes(backupTemporary), "made by root\r\n");
}
#endif

// A stopped write whose old content cannot be put back (a size limit):
// the run writes nothing, says which file awaits its repair and why, and
// the journal waits for a run with room.
TEST_F(BatchTest, SaysWhichFileAwaitsItsRepair) {
    const std::string longOld = kComets + std::string(4000, 'x') + "\r\n";
    WriteBytes(dir.File("comet.dat"), longOld);
    const std::string journal = testing::PlantJournal(dir.File("comet.dat"), longOld, kComets);
    WriteBytes(dir.File("comet.dat"), kComets);  // the stopped write had written it all
    const auto result =
        Run({"comet.dat", "objetos.txt", kDate}, {.fileSizeBytes = static_cast<long long>(kComets.size()) + 100});
    EXPECT_EQ(result.exitStatus, kExitError);
    EXPECT_EQ(result.err, "Archivo pendiente de reparar tras una escritura interrumpida: comet.dat\nI/O error " +
                              std::to_string(EFBIG) + ": comet.dat.\n");
    EXPECT_EQ(ReadBytes(dir.File("comet.dat")), kComets);
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kOldBackup);
    EXPECT_TRUE(fs::exists(journal));

    const auto repaired = Run({"comet.dat", "objetos.txt", kDate});
    EXPECT_EQ(repaired.exitStatus, 0) << repaired.err;
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), longOld);
}

TEST_F(BatchTest, TakesBinaryAndHugeFilesWithoutLosingAByte) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 7 % 256);  // NUL, CR, LF, Ctrl-Z among them
    const std::string hugeLine(30 << 20, 'x');
    const struct {
        std::string comets, objects;
        const char* out;
        const char* reason;
    } rows[] = {
        {kComets, binary, "Proceso finalizado correctamente para 0 estrellas\n", "a binary object list"},
        {binary, kObjects, "Proceso finalizado correctamente para 2 estrellas\n", "a binary comet file"},
        {kComets, hugeLine, "Proceso finalizado correctamente para 0 estrellas\n", "a 30 MB object line"},
        {hugeLine, kObjects, "Proceso finalizado correctamente para 2 estrellas\n", "a 30 MB comet line"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        WriteBytes(dir.File("comet.dat"), row.comets);
        WriteBytes(dir.File("objetos.txt"), row.objects);
        const auto result = Run({"comet.dat", "objetos.txt", kDate});
        EXPECT_EQ(result.exitStatus, kExitSuccess) << result.err;
        EXPECT_EQ(result.out, row.out);
        EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), row.comets) << "the backup is the file, byte for byte";
        // Every kept line comes back with its bytes, NUL included.
        const std::string saved = ReadBytes(dir.File("comet.dat"));
        std::string kept;
        for (const std::string_view line : SplitLines(row.comets)) {
            if (!line.starts_with("    STAR01 ")) kept += std::string(line) + "\r\n";
        }
        EXPECT_EQ(saved.substr(0, kept.size()), kept);
    }
}

TEST_F(BatchTest, WorksInFoldersWithBlanksAndNonAsciiNames) {
    for (const std::string folder : {"mis datos", "observaci\xC3\xB3n \xF1"}) {  // UTF-8, then a Latin-1 byte
        SCOPED_TRACE(folder);
        fs::create_directory(dir.File(folder));
        WriteBytes(dir.File(folder + "/comet.dat"), kComets);
        WriteBytes(dir.File(folder + "/objetos 1.txt"), kObjects);
        const auto result = Run({folder + "/comet.dat", folder + "/objetos 1.txt", kDate});
        EXPECT_EQ(result.exitStatus, kExitSuccess) << result.err;
        EXPECT_EQ(ReadBytes(dir.File(folder + "/CometDatBak.Txt")), kComets);
    }
}

// A table's lines carry keys made from the whole names, which the next run
// finds again: the lines are replaced, not added, and the whole name stands
// in the name field.
TEST_F(BatchTest, ReadsATableAndReplacesItsLinesOnTheNextRun) {
    const std::string table =
        "solution_id,designation,ref_epoch,ra,dec,pmra,pmdec,parallax,phot_g_mean_mag\r\n"
        "1,Gaia DR3 4472832130942575872,2016.0,269.448502525,4.739420051,-801.551,10362.394,546.976,8.19\r\n"
        "1,HD 1,2016.0,1.5,-2.5,,,,7.25\r\n";
    WriteBytes(dir.File("gaia.csv"), table);
    for (int run = 0; run < 2; ++run) {
        const auto result = Run({"--precise", "comet.dat", "gaia.csv", kDate});
        ASSERT_EQ(result.exitStatus, kExitSuccess) << result.err;
        EXPECT_EQ(result.out,
                  "Proceso finalizado correctamente para 2 estrellas\nMagnitud: columna 'phot_g_mean_mag'\n");
    }
    const std::string comets = ReadBytes(dir.File("comet.dat"));
    const std::string key = DesignationKeyOf("Gaia DR3 4472832130942575872");
    const std::size_t line = comets.find("    " + key + "  ");
    ASSERT_NE(line, std::string::npos) << comets;
    EXPECT_EQ(comets.find("    " + key + "  ", line + 1), std::string::npos) << "replaced, not added";
    EXPECT_EQ(comets.substr(line + 102, 30), "Gaia DR3 4472832130942575872\r\n");
    EXPECT_NE(comets.find("    HD 1      "), std::string::npos);
}

// Whatever is wrong with a table, the run names where and why, ends with
// status 1 and leaves the comet file and its backup as they were.
TEST_F(BatchTest, RefusesABadTableAndWritesNothing) {
    const std::string header = "designation,ref_epoch,ra,dec,pmra,phot_g_mean_mag\n";
    const std::string kVoTableHead =
        "<?xml version=\"1.0\"?>\n<VOTABLE version=\"1.4\"><RESOURCE><TABLE>\n"
        "<FIELD name=\"designation\" datatype=\"char\" arraysize=\"*\"/>\n"
        "<FIELD name=\"ra\" datatype=\"double\" unit=\"deg\"/>\n<FIELD name=\"dec\" datatype=\"double\" "
        "unit=\"deg\"/>\n"
        "<FIELD name=\"ref_epoch\" datatype=\"double\"/>\n<FIELD name=\"G\" datatype=\"float\" unit=\"mag\"/>\n";
    const struct {
        const char* what;
        std::string bytes;
        std::string err;
    } rows[] = {
        {"no header", "# %ECSV 1.0\n# ---\n# datatype:\n# - {name: designation}\n",
         "Error de formato para objetos.txt\nlínea 4: la tabla no tiene cabecera con los nombres de las columnas\n"},
        {"a column missing", "designation,ref_epoch,ra,phot_g_mean_mag\nA,2016,1,2\n",
         "Error de formato para objetos.txt\nfalta la columna de declinación (dec, DE_ICRS, _DEJ2000, DEJ2000 o una "
         "de UCD pos.eq.dec)\n"},
        {"an unknown unit",
         "# %ECSV 1.0\n# ---\n# datatype:\n# - {name: designation}\n# - {name: ra, unit: hourangle, description: at "
         "Ep=2016.0}\n"
         "# - {name: dec, unit: deg}\n# - {name: G, unit: mag}\ndesignation ra dec G\nA 1 2 3\n",
         "Error de formato para objetos.txt\ncolumna 'ra': unidad 'hourangle' desconocida\n"},
        {"a quoted field left open", header + "A,2016,1,2,3,4\n\"B,2016,1,2,3,4\n",
         "Error de formato para objetos.txt\nfila 2 (línea 3), columna 'designation': comillas sin cerrar\n"},
        {"a row short of fields", header + "A,2016,1,2,3,4\nB,2016,1\n",
         "Error de formato para objetos.txt\nfila 2 (línea 3), columna 'dec': la fila tiene 3 campos y la cabecera "
         "6\n"},
        {"a cell that is no number", header + "A,2016,1,2,3,4\nB,2016,1,2,abc,4\n",
         "Error de formato para B\nfila 2 (línea 3), columna 'pmra': 'abc' no es un número\n"},
        {"a truncated VOTable", kVoTableHead + "<DATA><TABLEDATA><TR><TD>A</TD>",
         "Error de formato para objetos.txt\nlínea 8: el VOTable se corta antes de su final (archivo incompleto)\n"},
        {"BINARY2 with bad base64",
         kVoTableHead +
             "<DATA><BINARY2><STREAM encoding=\"base64\">AAAA*AAA</STREAM></BINARY2></DATA></TABLE></RESOURCE>"
             "</VOTABLE>\n",
         "Error de formato para objetos.txt\nfila 1, columna 'designation': carácter no válido en los datos base64\n"},
        {"names that collide", header + "Gaia DR3 7,2016,1,2,3,4\nGaia DR3 7,2016,1,2,3,4\n",
         "Error de formato para Gaia DR3 7\nfila 2 (línea 3), columna 'designation': la clave '" +
             DesignationKeyOf("Gaia DR3 7") + "' es también la de la fila 1 ('Gaia DR3 7')\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteBytes(dir.File("objetos.txt"), row.bytes);
        const auto result = Run({"comet.dat", "objetos.txt", kDate});
        EXPECT_EQ(result.exitStatus, kExitStepMessage);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
        ExpectNothingWritten();
    }
}

TEST_F(BatchTest, ChecksItsUsage) {
    const struct {
        std::vector<std::string> args;
        int status;
        bool usageOnOut, usageOnErr;
    } rows[] = {
        {{}, kExitUsage, false, true},
        {{"comet.dat"}, kExitUsage, false, true},
        {{"a", "b", "c", "d"}, kExitUsage, false, true},
        {{"--bogus", "comet.dat", "objetos.txt"}, kExitUsage, false, true},
        {{"--help"}, kExitSuccess, true, false},
        {{"--epoch", "B1950", "comet.dat", "objetos.txt"}, kExitUsage, false, true},
        {{"--epoch", "16", "comet.dat", "objetos.txt"}, kExitUsage, false, true},
        {{"comet.dat", "objetos.txt", "--epoch"}, kExitUsage, false, true},
    };
    for (const auto& row : rows) {
        const auto result = Run(row.args);
        EXPECT_EQ(result.exitStatus, row.status);
        EXPECT_EQ(
            result.out.find("usage: celestra-batch [--precise] [--epoch YEAR] COMET_FILE OBJECT_FILE [DATE]") == 0,
            row.usageOnOut);
        EXPECT_EQ(result.err.find("usage: celestra-batch") != std::string::npos, row.usageOnErr);
    }
    const auto version = Run({"--version"});
    EXPECT_EQ(version.exitStatus, kExitSuccess);
    EXPECT_EQ(version.out, std::string("celestra-batch ") + kVersion + "\n");
    ExpectNothingWritten();
}

TEST_F(BatchTest, UsesTheDefaultObservationDateWithoutADate) {
    const auto result = Run({"comet.dat", "objetos.txt"});
    ASSERT_EQ(result.exitStatus, kExitSuccess) << result.err;
    // The line's perihelion date is today or tomorrow: only its shape is
    // known here; the rule itself is tested with a stopped clock.
    const std::string saved = ReadBytes(dir.File("comet.dat"));
    EXPECT_NE(saved.find("STAR01    2"), std::string::npos);
}

}  // namespace
}  // namespace celestra
