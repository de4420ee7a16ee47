#include "core/processing_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/precise_comet.h"
#include "core/pseudo_comet.h"
#include "platform/safe_write.h"
#include "support/journal.h"
#include "support/run_support.h"
#include "support/temp_dir.h"
#include "text/errors.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#endif

namespace celestra {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;
using testing::ObjectLine;
using testing::ReadBytes;
using testing::WriteBytes;

// The list's lines as strings, to compare with expected ones.
Lines Strings(const LineList& list) { return Lines(list.Lines().begin(), list.Lines().end()); }

// The designations of the objects the run kept, and of the object lines
// expected to give them.
Lines Designations(const std::vector<ListedObject>& objects) {
    Lines designations;
    for (const ListedObject& object : objects) designations.push_back(object.place.designation);
    return designations;
}
Lines Designations(const Lines& objectLines) {
    Lines designations;
    for (const std::string& line : objectLines) designations.emplace_back(FieldText(line, kDesignationField));
    return designations;
}

std::string CrLf(const Lines& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
}

class RunTest : public ::testing::Test {
protected:
    RunTest() {
        state.cometPath = dir.File("comet.dat");
        state.objectPath = dir.File("objetos.txt");
        state.dateText = "15/01/2006";
    }

    bool RunOnce() {
        box.shown.clear();
        return ProcessingRun(state, box).Run();
    }

    testing::TempDir dir;
    testing::RecordingMessageBox box;
    RunState state;
};

// ---- Reading the object list ------------------------------------------------

TEST_F(RunTest, ReadObjectListKeepsWellFormedLinesAndNamesTheFirstBadOne) {
    const std::string good = ObjectLine("GOOD");
    const struct {
        std::string line;
        bool accepted;
        const char* reason;
    } rows[] = {
        {good, true, "the usual layout"},
        {good + "  free text after column 40", true, "kept whole"},
        {"Nombre    AR           Dec          Mag", false, "a heading: skipped silently"},
        {"", false, "an empty line"},
        {ObjectLine("SHORT", "07 33 41.30", "+67 32 14.8", "").substr(0, 36) + "12.5", true, "magnitude in 37-40"},
        {ObjectLine("LEFT").substr(0, 36) + "9.5", false, "left-aligned magnitude ends in 39: too short"},
        {ObjectLine("LEFT").substr(0, 36) + "9.5 ", true, "padded to column 40"},
        {ObjectLine("HOUR", "7  33 41.30"), false, "hour left-aligned: column 12 blank, skipped"},
        {ObjectLine("HOUR", " 7 33 41.30"), true, "hour with a leading blank"},
        {ObjectLine("SECS", "07 33 5.00 "), false, "seconds left-aligned: column 18 holds the point"},
        {ObjectLine("DSECS", "07 33 41.30", "+67 32 4.8 "), false, "column 32 holds the point"},
        {ObjectLine("DEGS", "07 33 41.30", "+7  32 14.8"), false, "degrees left-aligned: column 26 blank"},
        {ObjectLine("MINS", "07 3  41.30"), true, "a digit and a blank pass the field test"},
        {ObjectLine("ABC", "99 99 99.99", "-99 99 99.9", "-9.9"), true, "no ranges are checked"},
    };
    std::string bytes;
    Lines expected;
    for (const auto& row : rows) {
        bytes += row.line + "\r\n";
        if (row.accepted) expected.push_back(row.line);
    }
    WriteBytes(state.objectPath, bytes);
    EXPECT_TRUE(ProcessingRun(state, box).ReadObjectList());
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(Designations(state.objects), Designations(expected));
}

TEST_F(RunTest, ReadObjectListReportsMalformedLines) {
    const struct {
        Lines lines;
        const char* message;
    } rows[] = {
        {{ObjectLine("NOSIGN", "07 33 41.30", " 67 32 14.8")},
         "Error de formato para NOSIGN  \nlínea 1, columna 24: falta el signo de la declinación"},
        {{ObjectLine("LETTERS", "07 ab 41.30")},
         "Error de formato para LETTERS \nlínea 1, columnas 14-15: 'ab' no es un número"},
        {{ObjectLine("COMMA", "07 33 41,30")},
         "Error de formato para COMMA   \nlínea 1, columnas 17-21: '41,30' no es un número"},
        {{ObjectLine("BADMAG", "07 33 41.30", "+67 32 14.8", "12.x")},
         "Error de formato para BADMAG  \nlínea 1, columnas 37-40: '12.x' no es un número"},
        {{ObjectLine("FIRST", "07 ab 41.30"), ObjectLine("SECOND", "07 ab 41.30")},
         "Error de formato para FIRST   \nlínea 1, columnas 14-15: 'ab' no es un número"},
        {{ObjectLine("", "07 ab 41.30")},
         "Error de formato para         \nlínea 1, columnas 14-15: 'ab' no es un número"},
        {{ObjectLine("BADPM") + " pm=1;2 ep=2016.0"},
         "Error de formato para BADPM   \nlínea 1, columnas 42-47: 'pm=1;2' no se lee como pm=<valor>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        box.shown.clear();
        WriteBytes(state.objectPath, CrLf(row.lines) + ObjectLine("AFTER") + "\r\n");
        EXPECT_FALSE(ProcessingRun(state, box).ReadObjectList());
        EXPECT_EQ(box.shown, Lines{row.message});
        EXPECT_EQ(Designations(state.objects), Lines{"AFTER   "}) << "good lines after bad ones are kept";
    }
}

// A NUL byte in a table's name reaches the box with the rest of the message
// after it: the where and why is never cut off.
TEST_F(RunTest, ReadObjectListShowsATableRefusalWhole) {
    const std::string name("A\0B", 3);
    WriteBytes(state.objectPath, "designation,ref_epoch,ra,dec,G\n" + name + ",2016,1,x,5\n");
    EXPECT_FALSE(ProcessingRun(state, box).ReadObjectList());
    EXPECT_EQ(box.shown,
              Lines{"Error de formato para " + name + "\nfila 1 (línea 2), columna 'dec': 'x' no es un número"});
}

// ---- The purge ----------------------------------------------------------------

TEST_F(RunTest, PurgeRemovesEveryLineWithAnObjectsKey) {
    const struct {
        std::string cometLine;
        bool kept;
        const char* reason;
    } rows[] = {
        {"    STAR01    2005 12 01.0000 ...", false, "an earlier run's line"},
        {"STAR01", false, "shorter than 14: keyed on all of it"},
        {"\tSTAR01\r\x01      trailing", false, "control bytes around the key in columns 1-14"},
        {"    STAR01    2006 again", false, "duplicates all go"},
        {"    star01    ", true, "case differs"},
        {"    STAR 01   ", true, "inner blank differs"},
        {"    TWOWDS    ", true, "an object with an inner blank does not match the joined words"},
        {"    TWO WDS   ", false, ""},
        {"             XSTAR01", true, "the designation only after column 14"},
        {"    C/2004 Q2    2005 01 24.9968", true, "an ordinary comet"},
        {"    EIGHT_CH  ", false, "a designation of the whole field"},
        {"    EIGHT_CHX ", true, "longer than any designation, its start one"},
        {"    EIGHT_C   ", true, "shorter"},
        {"    TA\tB", false, "a control byte within the key"},
        {"    TA\0B"s, true, "NUL differs from the tab"},
        {"    TAB", true, "the shorter key"},
    };
    Lines comets, expected;
    for (const auto& row : rows) {
        comets.push_back(row.cometLine);
        if (row.kept) expected.push_back(row.cometLine);
    }
    for (const auto& line : comets) state.cometList.Add(line);
    for (const char* designation : {"STAR01", "TWO WDS", "STAR01", "EIGHT_CH", "TA\tB"}) {
        state.objects.push_back(testing::ListedObjectOf(ObjectLine(designation)));
    }
    ProcessingRun(state, box).PurgeCometList();
    EXPECT_EQ(Strings(state.cometList), expected);
}

TEST_F(RunTest, PurgeOfABlankDesignationRemovesBlankKeys) {
    for (const char* line : {"", "              STAR01", "\t\r  ", "    KEPT"}) state.cometList.Add(line);
    state.objects.push_back(testing::ListedObjectOf(ObjectLine("")));
    ProcessingRun(state, box).PurgeCometList();
    EXPECT_EQ(Strings(state.cometList), Lines{"    KEPT"});
}

// The appending writes the objects the state holds at that moment, in
// their order.
TEST_F(RunTest, AppendsTheObjectsAsTheStateHoldsThem) {
    const std::string first = ObjectLine("FIRST");
    const std::string second = ObjectLine("SECOND", "01 02 03.04", "+05 06 07.8", " 9.0");
    const std::string moved = ObjectLine("MOVED", "19 03 12.05", "-45 10 59.1", " 3.2");
    const std::string integerWithPoint = ObjectLine("POINT", "07 3. 41.30");
    WriteBytes(state.objectPath, CrLf({first, second}));
    using Objects = std::vector<ListedObject>;
    const struct {
        const char* change;
        std::function<void(Objects&)> apply;
        Lines lines;  // the object lines whose element lines are expected
    } rows[] = {
        {"none", [](Objects&) {}, {first, second}},
        {"one replaced", [&](Objects& objects) { objects[1] = testing::ListedObjectOf(moved); }, {first, moved}},
        {"one removed", [](Objects& objects) { objects.erase(objects.begin()); }, {second}},
        {"cleared and refilled",
         [&](Objects& objects) {
             objects = {testing::ListedObjectOf(moved), testing::ListedObjectOf(first)};
         },
         {moved, first}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        state.cometList.Clear();
        ProcessingRun run(state, box);
        ASSERT_TRUE(run.ReadObjectList());
        row.apply(state.objects);
        run.AppendPseudoComets();
        Lines expected;
        for (const std::string& line : row.lines) expected.push_back(testing::ClassicLineOf(line, state.dateText));
        EXPECT_EQ(Strings(state.cometList), expected);
    }

    // An accepted line whose integer field holds a point: read when it is
    // appended, and named then.
    WriteBytes(state.objectPath, CrLf({first, integerWithPoint}));
    state.cometList.Clear();
    ProcessingRun run(state, box);
    ASSERT_TRUE(run.ReadObjectList());
    EXPECT_THAT([&] { run.AppendPseudoComets(); },
                ::testing::ThrowsMessage<ConversionError>("'3.' is not a valid integer value"));
}

// A long list is made on more than one thread: the lines come out in order,
// and a failure is the first one met in order, after the lines before it.
TEST_F(RunTest, AppendsALongListInOrderWithItsFirstFailure) {
    constexpr std::size_t kCount = 20001;
    Lines objectLines;
    for (std::size_t i = 0; i < kCount; ++i) {
        const std::string seconds = std::to_string(10 + i % 50) + "." + std::to_string(10 + i % 90);
        objectLines.push_back(ObjectLine("S" + std::to_string(i), "0" + std::to_string(i % 10) + " 33 " + seconds,
                                         (i % 2 ? "+" : "-") + std::to_string(10 + i % 80) + " 32 14.8"));
    }
    // Accepted by the check, refused when their places are read.
    const auto withPoint = [&](std::size_t i, const char* minutes) {
        return ObjectLine("P" + std::to_string(i), "07 " + std::string(minutes) + " 41.30");
    };
    const struct {
        const char* what;
        std::size_t maxCount;
        std::vector<std::pair<std::size_t, const char*>> bad;  // object index, minutes field
        std::size_t expectedLines;
        const char* expectedError;  // none: every line appended
    } rows[] = {
        {"every line", LineList::kMaxCount, {}, kCount, nullptr},
        {"a failure late in the list",
         LineList::kMaxCount,
         {{15000, "3."}, {19000, "4."}},
         15000,
         "'3.' is not a valid integer value"},
        {"one early, one late",
         LineList::kMaxCount,
         {{19000, "4."}, {200, "3."}},
         200,
         "'3.' is not a valid integer value"},
        {"the list full before a late failure", 16000, {{19000, "4."}}, 16000, "Unable to insert a line"},
        {"the list full early", 100, {{19000, "4."}}, 100, "Unable to insert a line"},
    };
    for (const bool precise : {false, true}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.what) + (precise ? ", precise" : ", classic"));
            Lines lines = objectLines;
            for (const auto& [index, minutes] : row.bad) lines[index] = withPoint(index, minutes);
            WriteBytes(state.objectPath, CrLf(lines));
            state.precise = precise;
            state.cometList = LineList(row.maxCount);
            ProcessingRun run(state, box);
            ASSERT_TRUE(run.ReadObjectList());
            std::string error;
            try {
                run.AppendPseudoComets();
            } catch (const std::exception& e) {
                error = e.what();
            }
            EXPECT_EQ(error, row.expectedError ? row.expectedError : "");
            ASSERT_EQ(state.cometList.Count(), row.expectedLines);
            // Every tenth line and the last against the line made alone.
            for (std::size_t i = 0; i < row.expectedLines; i += (i + 1 == row.expectedLines ? 1 : 10)) {
                const std::string expected =
                    precise ? testing::LineOf(ReadObjectPlace(lines[i]), state.dateText, Computation::kPrecise)
                            : testing::ClassicLineOf(lines[i], state.dateText);
                ASSERT_EQ(state.cometList[i], expected) << "line " << i;
            }
        }
    }
}

// ---- Whole runs -------------------------------------------------------------

// comet.expected is a record of the program's own output for this input, so
// that any change to a byte shows. What it rests on is checked elsewhere
// against independent expectations: the purge rules above, the line ends in
// text_file_test, the element lines' places in pseudo_comet_test.
TEST_F(RunTest, WritesTheGoldenFileAndAByteCopyBackup) {
    const std::string data = CELESTRA_TEST_DATA "/run/";
    const std::string original = ReadBytes(data + "comet.dat");
    WriteBytes(state.cometPath, original);
    WriteBytes(state.objectPath, ReadBytes(data + "objetos.txt"));

    ASSERT_TRUE(RunOnce());
    EXPECT_EQ(box.shown, Lines{"Proceso finalizado correctamente para 5 estrellas"});
    EXPECT_EQ(ReadBytes(state.cometPath), ReadBytes(data + "comet.expected"));
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), original) << "lone CR and Ctrl-Z kept";

    // The same run again: the same file, and the backup is the first result.
    const std::string first = ReadBytes(state.cometPath);
    ASSERT_TRUE(RunOnce());
    EXPECT_EQ(ReadBytes(state.cometPath), first);
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), first);
}

TEST_F(RunTest, ReplacesEachObjectsLineOnAnotherDate) {
    WriteBytes(state.cometPath, "    KEPT\r\n");
    WriteBytes(state.objectPath, CrLf({ObjectLine("A"), ObjectLine("B"), ObjectLine("A")}));
    ASSERT_TRUE(RunOnce());
    EXPECT_EQ(box.shown, Lines{"Proceso finalizado correctamente para 3 estrellas"})
        << "two lines for a twice-listed object";

    // Another date and B left out: B's line stays, A's two are replaced.
    state.dateText = "16/01/2006";
    WriteBytes(state.objectPath, CrLf({ObjectLine("A"), ObjectLine("A")}));
    ASSERT_TRUE(RunOnce());
    const Lines lines = Strings(state.cometList);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "    KEPT");
    EXPECT_EQ(lines[1].substr(0, 29), "    B         2006 01 15.0000");
    EXPECT_EQ(lines[2].substr(0, 29), "    A         2006 01 16.0000");
    EXPECT_EQ(lines[3].substr(0, 29), "    A         2006 01 16.0000");
}

TEST_F(RunTest, CompletesWithNoObjectsWhateverTheDate) {
    WriteBytes(state.cometPath, "a\rb\nlast");
    WriteBytes(state.objectPath, "Nombre    AR           Dec          Mag\r\n\r\nshort line\r\n");
    state.dateText = "  /  /    ";  // never read without objects
    ASSERT_TRUE(RunOnce());
    EXPECT_EQ(box.shown, Lines{"Proceso finalizado correctamente para 0 estrellas"});
    EXPECT_EQ(ReadBytes(state.cometPath), "a\r\nb\r\nlast\r\n");
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), "a\rb\nlast");

    WriteBytes(state.cometPath, "");
    WriteBytes(state.objectPath, ObjectLine("ONE"));
    state.dateText = "15/01/2006";
    ASSERT_TRUE(RunOnce());
    EXPECT_EQ(box.shown, Lines{"Proceso finalizado correctamente para 1 estrellas"});
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), "") << "an empty comet file, an empty backup";
    EXPECT_EQ(state.cometList.Count(), 1u);
}

TEST_F(RunTest, StopsAtTheFirstStepMessage) {
    const std::string kOld = "old backup";
    WriteBytes(dir.File("CometDatBak.Txt"), kOld);
    WriteBytes(dir.File("comet.dat"), "    C/2004 Q2\r\n");
    WriteBytes(dir.File("objetos.txt"), CrLf({ObjectLine("OK"), ObjectLine("BAD", "07 xx 41.30")}));
    const struct {
        std::string cometPath, objectPath;
        const char* message;
    } rows[] = {
        {"", dir.File("missing.txt"), "Comet.dat no encontrado"},  // the object list is not even looked at
        {dir.File("missing.dat"), dir.File("objetos.txt"), "Comet.dat no encontrado"},
        {dir.path(), dir.File("objetos.txt"), "Comet.dat no encontrado"},
        {dir.File("comet.dat"), "", "Archivo de objetos no encontrado"},
        {dir.File("comet.dat"), dir.path(), "Archivo de objetos no encontrado"},
        {dir.File("comet.dat"), dir.File("objetos.txt"),
         "Error de formato para BAD     \nlínea 2, columnas 14-15: 'xx' no es un número"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        state.cometPath = row.cometPath;
        state.objectPath = row.objectPath;
        EXPECT_FALSE(RunOnce());
        EXPECT_EQ(box.shown, Lines{row.message});
        EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), kOld);
        EXPECT_EQ(ReadBytes(dir.File("comet.dat")), "    C/2004 Q2\r\n");
    }
}

TEST_F(RunTest, AFieldThatDoesNotConvertStopsTheRunAfterTheBackup) {
    const std::string original = "    C/2004 Q2\n";
    WriteBytes(state.cometPath, original);
    WriteBytes(state.objectPath, CrLf({ObjectLine("OK"), ObjectLine("MINS", "07 3  41.30")}));
    EXPECT_THAT([&] { RunOnce(); }, ::testing::ThrowsMessage<ConversionError>("'3 ' is not a valid integer value"));
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), original);
    EXPECT_EQ(ReadBytes(state.cometPath), original);

    // The backup is taken while the lines are made; when both fail, the
    // backup's failure is the run's, as it comes first.
    std::filesystem::remove(dir.File("CometDatBak.Txt"));
    std::filesystem::create_directory(dir.File("CometDatBak.Txt"));
    EXPECT_THAT([&] { RunOnce(); },
                ::testing::ThrowsMessage<InOutError>("File access denied: " + dir.File("CometDatBak.Txt")));
    EXPECT_EQ(ReadBytes(state.cometPath), original);
}

#ifdef _WIN32
// Another program that holds the object list open with no sharing (an
// editor saving it, a sync client): the refusal names the list, so that the
// user knows which of the two files to close.
TEST_F(RunTest, NamesTheObjectListAnotherProgramHolds) {
    const std::string original = "    C/2004 Q2\r\n";
    WriteBytes(state.cometPath, original);
    WriteBytes(state.objectPath, ObjectLine("HELD") + "\r\n");
    int held = -1;
    ASSERT_EQ(_sopen_s(&held, state.objectPath.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYRW, _S_IREAD), 0);
    const auto thrown = [&] {
        try {
            RunOnce();
        } catch (const InOutError& error) {
            return std::pair<int, std::string>(error.code(), error.what());
        }
        return std::pair<int, std::string>(0, "");
    }();
    _close(held);
    EXPECT_EQ(thrown,
              (std::pair<int, std::string>(InOutError::kAccessDenied, "File access denied: " + state.objectPath)));
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(ReadBytes(state.cometPath), original);
}
#endif

TEST_F(RunTest, ReadsAndWritesBesideAPathWithoutFolder) {
    WriteBytes(dir.File("comet.dat"), "x\n");
    WriteBytes(dir.File("objetos.txt"), ObjectLine("HERE") + "\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    state.cometPath = "comet.dat";
    state.objectPath = "objetos.txt";
    const bool done = RunOnce();
    std::filesystem::current_path(previous);
    ASSERT_TRUE(done);
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), "x\n");
}

// ---- Runs that meet other runs and other programs ----------------------------

TEST_F(RunTest, SkipsAByteOrderMarkBeforeTheFirstObject) {
    WriteBytes(state.cometPath, "");
    WriteBytes(state.objectPath, "\xEF\xBB\xBF" + CrLf({ObjectLine("FIRST"), ObjectLine("\xEF\xBB\xBFSECOND")}));
    ASSERT_TRUE(RunOnce());
    EXPECT_EQ(Designations(state.objects), Designations({ObjectLine("FIRST"), ObjectLine("\xEF\xBB\xBFSECOND")}))
        << "only at the start of the file";
}

TEST_F(RunTest, WaitsForTheLockAnotherRunHoldsThenGivesUp) {
    const std::string original = "    C/2004 Q2\r\n";
    WriteBytes(state.cometPath, original);
    WriteBytes(state.objectPath, CrLf({ObjectLine("STAR01")}));
    FileLock other;
    ASSERT_EQ(other.Acquire(state.cometPath, std::chrono::milliseconds(0)), FileLock::Outcome::kLocked);
    state.lockWait = std::chrono::milliseconds(60);
    EXPECT_THAT([&] { RunOnce(); },
                ::testing::ThrowsMessage<Error>("Comet.dat en uso por otro proceso: " + state.cometPath));
    EXPECT_FALSE(std::filesystem::exists(dir.File("CometDatBak.Txt")));
    other.Release();
    EXPECT_TRUE(RunOnce()) << "free again";
}

// Another program appends a line while the run works: after the load, or
// after the backup. The run stops; the line stays in the comet file.
TEST_F(RunTest, StopsWhenAnotherProgramChangedTheFileMeanwhile) {
    const std::string original = "    C/2004 Q2\r\n";
    const std::string appended = original + "    C/2026 A1\r\n";
    const std::string message = "Comet.dat modificado por otro programa durante el proceso: " + state.cometPath;
    WriteBytes(state.objectPath, CrLf({ObjectLine("STAR01")}));
    for (const bool afterBackup : {false, true}) {
        SCOPED_TRACE(afterBackup ? "after the backup" : "after the load");
        WriteBytes(state.cometPath, original);
        WriteBytes(dir.File("CometDatBak.Txt"), "old backup");
        ProcessingRun run(state, box);
        ASSERT_TRUE(run.LoadCometFile());
        ASSERT_TRUE(run.ReadObjectList());
        if (afterBackup) run.BackUpCometFile();
        WriteBytes(state.cometPath, appended);
        EXPECT_THAT([&] { afterBackup ? run.SaveCometList() : run.BackUpCometFile(); },
                    ::testing::ThrowsMessage<Error>(message));
        EXPECT_EQ(ReadBytes(state.cometPath), appended);
        EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), afterBackup ? original : "old backup");
    }
}

// The backup's name taken by the comet file itself, by a link to it, or by
// a second name of it: every run completes with the result any other name
// gives, and a link at the backup's name ends up a copy of its own.
TEST_F(RunTest, CompletesWhenTheBackupNameIsTheCometFile) {
    const std::string original = "    C/2004 Q2\r\n";
    WriteBytes(state.objectPath, CrLf({ObjectLine("STAR01")}));
    WriteBytes(state.cometPath, original);
    ASSERT_TRUE(RunOnce());
    const std::string result = ReadBytes(state.cometPath);
    namespace fs = std::filesystem;
    const struct {
        const char* what;
        const char* cometName;
        void (*make)(const std::string& backup, const std::string& comet);
        const char* backupAfter;  // "old": the content from before the run; "new": the run's own result
    } rows[] = {
        {"the comet file named CometDatBak.Txt", "CometDatBak.Txt", nullptr, "new"},
#ifndef _WIN32  // Wine makes no symbolic links
        {"a link to the comet file", "comet.dat",
         [](const std::string& backup, const std::string& comet) { fs::create_symlink(comet, backup); }, "old"},
#endif
        {"a second name of the comet file", "comet.dat",
         [](const std::string& backup, const std::string& comet) { fs::create_hard_link(comet, backup); }, "old"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove(dir.File("CometDatBak.Txt"));
        fs::remove(dir.File("comet.dat"));
        state.cometPath = dir.File(row.cometName);
        WriteBytes(state.cometPath, original);
        if (row.make != nullptr) row.make(dir.File("CometDatBak.Txt"), state.cometPath);
        ASSERT_TRUE(RunOnce());
        EXPECT_EQ(box.shown, Lines{"Proceso finalizado correctamente para 1 estrellas"});
        EXPECT_EQ(ReadBytes(state.cometPath), result);
        EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), row.backupAfter == "new"s ? result : original);
    }
}

// A run that finds the journal of a write that was stopped puts the comet
// file back before it loads it, says so, and goes on from that content: the
// backup is never the damaged file.
TEST_F(RunTest, PutsBackAStoppedWriteBeforeAnythingElse) {
    const std::string original = "    C/2004 Q2\r\n";
    WriteBytes(state.objectPath, CrLf({ObjectLine("STAR01")}));
    WriteBytes(state.cometPath, original);
    ASSERT_TRUE(RunOnce());
    const std::string result = ReadBytes(state.cometPath);

    WriteBytes(state.cometPath, original);
    const std::string journalPath = testing::PlantJournal(state.cometPath, original, result);
    WriteBytes(state.cometPath, result.substr(0, 20));  // stopped part way
    ASSERT_TRUE(RunOnce());
    EXPECT_EQ(box.shown, (Lines{"Comet.dat restaurado tras una escritura interrumpida: " + state.cometPath,
                                "Proceso finalizado correctamente para 1 estrellas"}));
    EXPECT_EQ(ReadBytes(state.cometPath), result);
    EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), original);
    EXPECT_FALSE(std::filesystem::exists(journalPath));
}

// A stopped write that the run may not repair ends it before the load,
// saying where the user's bytes are; nothing is written, backup included.
TEST_F(RunTest, StopsAtAStoppedWriteItMayNotRepair) {
    const std::string original = "    C/2004 Q2\r\n", appended = "    C/2026 A1\r\n";
    WriteBytes(state.objectPath, CrLf({ObjectLine("STAR01")}));
    const std::string journalPath = JournalPathFor(state.cometPath);
    const struct {
        const char* what;
        void (*after)(const std::string& journalPath);
        std::string message;
    } rows[] = {
        {"the file changed after the stop", [](const std::string&) {},
         "El archivo cambió tras una escritura interrumpida, su contenido anterior queda en: " +
             dir.File("comet.dat.anterior")},
#ifndef _WIN32
        {"a journal others may write",
         [](const std::string& journal) {
             std::filesystem::permissions(journal, std::filesystem::perms::others_write,
                                          std::filesystem::perm_options::add);
         },
         "Escritura interrumpida de otro usuario, sin reparar: " + journalPath},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteBytes(state.cometPath, original);
        WriteBytes(dir.File("CometDatBak.Txt"), "old backup");
        testing::PlantJournal(state.cometPath, original, original + original);
        WriteBytes(state.cometPath, original + appended);  // not what the stopped write could leave
        row.after(journalPath);
        EXPECT_THAT([&] { RunOnce(); }, ::testing::ThrowsMessage<Error>(row.message));
        EXPECT_EQ(ReadBytes(state.cometPath), original + appended);
        EXPECT_EQ(ReadBytes(dir.File("CometDatBak.Txt")), "old backup");
        std::filesystem::remove(journalPath);
    }
    EXPECT_EQ(ReadBytes(dir.File("comet.dat.anterior")), original);
}

TEST(ErrorText, NamesRunningOutOfMemoryInSpanish) {
    EXPECT_EQ(ErrorText(std::bad_alloc()), "Memoria insuficiente");
    EXPECT_EQ(ErrorText(std::length_error("basic_string::_M_create")), "Memoria insuficiente");
    EXPECT_EQ(ErrorText(InOutError::FromCode(InOutError::kAccessDenied, "C:\\data\\CometDatBak.Txt")),
              "File access denied: C:\\data\\CometDatBak.Txt");
}

TEST(ErrorBoxText, AddsAFullStopAfterLettersDigitsAndQuotes) {
    const std::pair<const char*, const char*> rows[] = {
        {"File access denied: C:\\data\\CometDatBak.Txt", "File access denied: C:\\data\\CometDatBak.Txt."},
        {"I/O error 28: /obs/comet.dat", "I/O error 28: /obs/comet.dat."},
        {"File access denied: C:\\data\\", "File access denied: C:\\data\\."},  // a folder: "\" sorts above "."
        {"'x' is not a valid date", "'x' is not a valid date."},
        {"'x'", "'x'"},       // an ASCII quote (39) sorts below "." (46)
        {"x\x94", "x\x94."},  // a typographic closing quote does not
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"a,", "a,"},
        {"a-", "a-"},
        {"a ", "a "},
        {"", ""},
        {"caf\xE9", "caf\xE9."},  // bytes above 127 sort above "."
        {"a/", "a/."},            // "/" is the byte after "."
    };
    for (const auto& [message, text] : rows) EXPECT_EQ(ErrorBoxText(message), text) << message;
}

}  // namespace
}  // namespace celestra
