// The window's decisions without a toolkit: the same rules the Qt window and
// a Windows window forward to, with the controls and the desktop as fakes.
#include "ui/form_behaviour.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#endif

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/regional_settings.h"
#include "support/fake_desktop.h"
#include "support/run_support.h"
#include "support/temp_dir.h"
#include "ui/form_layout.h"

namespace celestra {
namespace {

using Texts = std::vector<std::string>;
using namespace std::string_literals;

using testing::FakeDesktop;

class FakeControls final : public FormControls {
public:
    std::string CometPath() const override { return cometPath; }
    void SetCometPath(const std::string& path) override { cometPath = path; }
    std::string ObjectPath() const override { return objectPath; }
    void SetObjectPath(const std::string& path) override { objectPath = path; }
    std::string DateText() const override { return dateText; }
    void SetDateText(const std::string& text) override { dateText = text; }
    bool DateMaskIncomplete() const override { return incomplete; }
    void ReturnFocusToDate() override { ++focusReturns; }
    bool Precise() const override { return precise; }
    void SetPrecise(bool ticked) override { precise = ticked; }

    std::string cometPath, objectPath, dateText = "          ";
    bool incomplete = false, precise = true;  // true: start-up must untick it
    int focusReturns = 0;
};

struct Form {
    Form() : behaviour(desktop, controls) {
        // The behaviour has adopted this machine's regional settings; the
        // dates below are written with the default separator.
        SetTextConventions({});
    }
    testing::ScopedConventions keptConventions{Conventions()};
    testing::TempDir dir;
    testing::FixedClock clock{{2026, 12, 8, 9, 30, 0, 0}};
    FakeDesktop desktop;
    FakeControls controls;
    FormBehaviour behaviour;
};

// The window's conventions are in force before any control is built: the
// date field takes its separator from them. A run stopped from outside
// removes its temporary file.
TEST(FormBehaviour, SetsTheProcessConventionsWhenMade) {
    TextConventions none;
    none.decimalSeparator = ',';
    none.dateSeparator = '#';  // no regional setting gives it
    none.twoDigitYearWindow = 7;
    testing::ScopedConventions scoped(none);
    FakeDesktop desktop;
    FakeControls controls;
    const FormBehaviour behaviour(desktop, controls);
    const TextConventions regional = ConventionsFromRegionalSettings();
    EXPECT_EQ(Conventions().dateSeparator, regional.dateSeparator);
    EXPECT_EQ(Conventions().decimalSeparator, regional.decimalSeparator);
    EXPECT_EQ(Conventions().twoDigitYearWindow, regional.twoDigitYearWindow);
#ifndef _WIN32
    struct sigaction termination {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &termination), 0);
    EXPECT_NE(termination.sa_handler, SIG_DFL) << "a kill during a run would leave its temporary file";
#endif
}

TEST(FormBehaviour, StartsFromTheSettingsAndClosesIntoThem) {
    Form f;
    testing::WriteBytes(f.dir.File("Celestra.ini"), " /obs/comet.dat \r\n/obs/a\xF1o.txt\r\nthird\r\n");
    f.behaviour.Start(f.dir.File("celestra.exe"));
    EXPECT_EQ(f.controls.cometPath, " /obs/comet.dat ");
#ifdef _WIN32
    // A file without the UTF-8 mark is in the ANSI code page (Windows-1252
    // on the test machine); the field gets UTF-8.
    EXPECT_EQ(f.controls.objectPath, "/obs/a\xC3\xB1o.txt");
#else
    EXPECT_EQ(f.controls.objectPath, "/obs/a\xF1o.txt");
#endif
    EXPECT_EQ(f.controls.dateText, "08/12/2026");
    EXPECT_EQ(f.behaviour.ProgramFolderPath(), f.dir.path() + "/");

    f.controls.objectPath.clear();
    f.behaviour.Close();
    EXPECT_EQ(testing::ReadBytes(f.dir.File("Celestra.ini")), " /obs/comet.dat \r\n\r\n");
    EXPECT_TRUE(f.desktop.errors.empty());
}

// Where the focus leaves the date field, and on Enter: the mask check
// first, then (on leaving only) the date check; each failure sends the
// focus back, and the field then refuses a click elsewhere.
TEST(FormBehaviour, ChecksTheDateFieldOnLeavingAndOnEnter) {
    const std::string maskError = "Invalid input value.  Use escape key to abandon changes.";
    const struct {
        const char* date;
        bool incomplete;
        Texts leaveErrors, leaveMessages;
        int beeps;
        Texts enterErrors;
        bool refuses;
    } rows[] = {
        {"15/01/2006", false, {}, {}, 0, {}, false},
        {"1 /01/2006", true, {maskError}, {}, 1, {maskError}, true},
        {"31/02/2005", false, {}, {"Fecha incorrecta"}, 0, {}, true},
        {"  /  /    ", false, {}, {"Fecha incorrecta"}, 0, {}, true},  // left blank without an edit
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.date);
        Form f;
        f.controls.dateText = row.date;
        f.controls.incomplete = row.incomplete;
        EXPECT_EQ(f.behaviour.DateFieldRefusesToLeave(), row.refuses);
        f.behaviour.LeaveDateField();
        EXPECT_EQ(f.desktop.errors, row.leaveErrors);
        EXPECT_EQ(f.desktop.messages, row.leaveMessages);
        EXPECT_EQ(f.desktop.beeps, row.beeps);
        EXPECT_EQ(f.controls.focusReturns, row.refuses ? 1 : 0);

        f.desktop.errors.clear();
        f.behaviour.DateFieldEnter();
        EXPECT_EQ(f.desktop.errors, row.enterErrors);
        EXPECT_EQ(f.controls.dateText, row.date) << "the checks never change the date";
    }
}

TEST(FormBehaviour, StepsTheDateAndSetsToday) {
    Form f;
    f.controls.dateText = "31/12/2005";
    f.behaviour.StepDay(true);
    EXPECT_EQ(f.controls.dateText, "01/01/2006");
    f.behaviour.StepDay(false);
    f.behaviour.StepDay(false);
    EXPECT_EQ(f.controls.dateText, "30/12/2005");
    f.behaviour.SetToday();
    EXPECT_EQ(f.controls.dateText, "08/12/2026");

    f.controls.dateText = "31/02/2005";
    f.behaviour.StepDay(true);
    EXPECT_EQ(f.desktop.errors, Texts{"'31/02/2005' is not a valid date."});
    EXPECT_EQ(f.controls.dateText, "31/02/2005");
}

TEST(FormBehaviour, PicksFilesAndRunsOnTheFieldsAsTheyAre) {
    Form f;
    f.behaviour.Start(f.dir.File("celestra"));
    f.controls.cometPath = "typed";
    f.desktop.answers = {std::nullopt, f.dir.File("comet.dat"), f.dir.File("objetos.txt")};
    f.behaviour.PickCometFile();  // cancelled: the field keeps its text
    EXPECT_EQ(f.controls.cometPath, "typed");
    f.behaviour.PickCometFile();
    f.behaviour.PickObjectFile();
    EXPECT_EQ(f.controls.cometPath, f.dir.File("comet.dat"));
    EXPECT_EQ(f.controls.objectPath, f.dir.File("objetos.txt"));
    EXPECT_EQ(f.desktop.openedOn, (Texts{"", "", ""}));

    testing::WriteBytes(f.dir.File("comet.dat"), "");
    testing::WriteBytes(f.dir.File("objetos.txt"), testing::ObjectLine("STAR01") + "\r\n");
    f.controls.dateText = "15/01/2006";
    f.behaviour.Process();
    EXPECT_EQ(f.desktop.messages, Texts{"Proceso finalizado correctamente para 1 estrellas"});
    EXPECT_EQ(f.behaviour.State().dateText, "15/01/2006");

    // An error that leaves the run ends in the error box.
    f.controls.dateText = "31/02/2006";
    f.behaviour.Process();
    EXPECT_EQ(f.desktop.errors, Texts{"'31/02/2006' is not a valid date."});
}

// A dialog opens on the path in its field when that path's folder exists,
// else on the file it chose last.
TEST(FormBehaviour, OpensEachDialogInTheFolderOfItsField) {
    Form f;
    f.behaviour.Start(f.dir.File("celestra"));
    f.desktop.answers = {f.dir.File("chosen.dat"), std::nullopt, std::nullopt, std::nullopt};
    f.behaviour.PickCometFile();
    const struct {
        std::string field;
        std::string openedOn;
    } rows[] = {
        {f.dir.File("elsewhere.dat"), f.dir.File("elsewhere.dat")},  // typed in an existing folder
        {f.dir.File("no-such-folder/comet.dat"), f.dir.File("elsewhere.dat")},
        {"comet.dat", f.dir.File("elsewhere.dat")},  // no folder named: the dialog's memory
    };
    for (const auto& row : rows) {
        f.controls.cometPath = row.field;
        f.behaviour.PickCometFile();
        EXPECT_EQ(f.desktop.openedOn.back(), row.openedOn) << row.field;
    }
}

// Each dialog's type list, in the two forms the system dialogs take, from
// the one table: the comet dialog lists only files named as the astrometry
// program names its own, by its name alone; the object list dialog the
// fixed-column lists, a catalogue service's tables and any file, each shown
// with its patterns.
TEST(FormBehaviour, GivesEachDialogItsTypeListInBothForms) {
    Form f;
    const struct {
        const char* dialogName;
        const OpenDialog& dialog;
        std::string qt;
        std::string win32;
    } rows[] = {
        {"comet", f.behaviour.cometDialog, "Cometas Astrometrica (comet.dat)", "Cometas Astrometrica\0comet.dat\0\0"s},
        {"objects", f.behaviour.objectDialog,
         "Listas de objetos (*.txt);;"
         "Tablas de cat\xC3\xA1logo (*.csv *.tsv *.ecsv *.vot *.votable *.xml);;"
         "Todos los archivos (*)",
         "Listas de objetos (*.txt)\0*.txt\0"
         "Tablas de cat\xC3\xA1logo (*.csv *.tsv *.ecsv *.vot *.votable *.xml)\0"
         "*.csv;*.tsv;*.ecsv;*.vot;*.votable;*.xml\0"
         "Todos los archivos (*)\0*\0\0"s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dialogName);
        EXPECT_EQ(QtFilterList(row.dialog), row.qt);
        EXPECT_EQ(Win32FilterList(row.dialog), row.win32);
    }
    EXPECT_EQ(f.behaviour.cometDialog.defaultExtension, "dat");
    EXPECT_EQ(f.behaviour.objectDialog.defaultExtension, "txt");
}

// What a drop puts into a path field: the first item, when it is a file of
// this machine and no folder; nothing for a folder, a web address or an
// empty drop, even with a file after it.
TEST(FormBehaviour, TakesTheFirstDroppedFileAndRefusesFoldersAndLinks) {
    testing::TempDir dir;
    const std::string table = dir.File("estrellas.csv"), list = dir.File("objetos.txt");
    const std::string folder = dir.File("carpeta"), gone = dir.File("borrado.txt");
    testing::WriteBytes(table, "");
    testing::WriteBytes(list, "");
    std::filesystem::create_directory(folder);
    const std::string link = "https://vizier.example/objetos.csv";
    const struct {
        const char* drop;
        std::vector<DroppedItem> items;
        std::optional<std::string> path;
    } rows[] = {
        {"one file", {{table, true}}, table},
        {"two files", {{list, true}, {table, true}}, list},
        {"a name no longer there, taken as the dialog takes one", {{gone, true}}, gone},
        {"a folder", {{folder, true}}, std::nullopt},
        {"a folder, then a file", {{folder, true}, {table, true}}, std::nullopt},
        {"a web address", {{link, false}}, std::nullopt},
        {"a web address, then a file", {{link, false}, {table, true}}, std::nullopt},
        {"an empty path", {{"", true}}, std::nullopt},
        {"nothing", {}, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DroppedPath(row.items), row.path) << row.drop;
    }
}

// A file dropped on a path field is as if chosen in the field's dialog: the
// field shows it, the dialog opens on it next, and the settings keep it
// byte for byte as they keep a chosen file. A refused drop changes nothing.
TEST(FormBehaviour, TakesADroppedFileAsIfChosenInTheDialog) {
    const struct {
        const char* field;
        void (FormBehaviour::*pick)();
        void (FormBehaviour::*drop)(const std::vector<DroppedItem>&);
        OpenDialog FormBehaviour::*dialog;
        std::string FakeControls::*path;
    } rows[] = {
        {"comet", &FormBehaviour::PickCometFile, &FormBehaviour::DropOnCometField, &FormBehaviour::cometDialog,
         &FakeControls::cometPath},
        {"objects", &FormBehaviour::PickObjectFile, &FormBehaviour::DropOnObjectField, &FormBehaviour::objectDialog,
         &FakeControls::objectPath},
    };
    testing::TempDir files;
    const std::string file = files.File("estrellas \xC3\xB1.csv");
    testing::WriteBytes(file, "");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        Form chosen, dropped;
        chosen.behaviour.Start(chosen.dir.File("celestra"));
        dropped.behaviour.Start(dropped.dir.File("celestra"));
        chosen.controls.*row.path = dropped.controls.*row.path = "typed";

        (dropped.behaviour.*row.drop)({{files.path(), true}});
        (dropped.behaviour.*row.drop)({{"https://vizier.example/a.csv", false}});
        EXPECT_EQ(dropped.controls.*row.path, "typed");
        EXPECT_EQ((dropped.behaviour.*row.dialog).fileName, "");

        chosen.desktop.answers = {file, std::nullopt};
        (chosen.behaviour.*row.pick)();
        (dropped.behaviour.*row.drop)({{file, true}, {files.path(), true}});
        EXPECT_EQ(dropped.controls.*row.path, file);
        EXPECT_EQ(dropped.controls.*row.path, chosen.controls.*row.path);
        EXPECT_EQ((dropped.behaviour.*row.dialog).fileName, (chosen.behaviour.*row.dialog).fileName);

        dropped.desktop.answers = {std::nullopt};
        (chosen.behaviour.*row.pick)();
        (dropped.behaviour.*row.pick)();
        EXPECT_EQ(chosen.desktop.openedOn, (Texts{"", file}));
        EXPECT_EQ(dropped.desktop.openedOn, Texts{file});

        chosen.behaviour.Close();
        dropped.behaviour.Close();
        EXPECT_EQ(testing::ReadBytes(dropped.dir.File("Celestra.ini")),
                  testing::ReadBytes(chosen.dir.File("Celestra.ini")));
        EXPECT_EQ(dropped.desktop.errors, Texts{});
        FakeDesktop desktop;
        FakeControls next;
        FormBehaviour(desktop, next).Start(dropped.dir.File("celestra"));
        EXPECT_EQ(next.*row.path, file) << "the settings give the dropped file back at the next start";
    }
}

// Paths pasted from Explorer's "Copy as path" come between double quotes:
// the run takes the files they name, the fields then show them without the
// quotes (and so the settings keep them so), and the dialogs open there.
TEST(FormBehaviour, RunsOnPathsPastedWithTheirQuotes) {
    Form f;
    f.behaviour.Start(f.dir.File("celestra"));
    testing::WriteBytes(f.dir.File("comet.dat"), "");
    testing::WriteBytes(f.dir.File("objetos.txt"), testing::ObjectLine("STAR01") + "\r\n");
    f.controls.cometPath = '"' + f.dir.File("comet.dat") + '"';
    f.controls.objectPath = '"' + f.dir.File("objetos.txt") + '"';
    f.controls.dateText = "15/01/2006";
    f.behaviour.Process();
    EXPECT_EQ(f.desktop.errors, Texts{});
    EXPECT_EQ(f.desktop.messages, Texts{"Proceso finalizado correctamente para 1 estrellas"});
    EXPECT_EQ(f.behaviour.State().cometPath, f.dir.File("comet.dat"));
    EXPECT_EQ(f.behaviour.State().objectPath, f.dir.File("objetos.txt"));
    EXPECT_EQ(f.controls.cometPath, f.dir.File("comet.dat"));
    EXPECT_EQ(f.controls.objectPath, f.dir.File("objetos.txt"));
    EXPECT_NE(testing::ReadBytes(f.dir.File("comet.dat")).find("STAR01"), std::string::npos);

    // Quotes around a name that exists in neither form stay, and the run
    // names the path as typed.
    f.desktop.messages.clear();
    f.controls.cometPath = '"' + f.dir.File("missing.dat") + '"';
    f.behaviour.Process();
    EXPECT_EQ(f.controls.cometPath, '"' + f.dir.File("missing.dat") + '"');
    EXPECT_EQ(f.desktop.messages, Texts{"Comet.dat no encontrado"});

    // The dialog opens on the quoted field's file.
    f.desktop.answers = {std::nullopt, std::nullopt};
    f.controls.cometPath = '"' + f.dir.File("comet.dat") + '"';
    f.behaviour.PickCometFile();
    f.controls.objectPath = '"' + f.dir.File("objetos.txt") + '"';
    f.behaviour.PickObjectFile();
    EXPECT_EQ(f.desktop.openedOn, (Texts{f.dir.File("comet.dat"), f.dir.File("objetos.txt")}));
    EXPECT_EQ(f.controls.cometPath, '"' + f.dir.File("comet.dat") + '"') << "a cancelled dialog changes no field";
}

// The layout on a screen of another scale: lengths times the DPI over 96,
// rounded to the nearest pixel with halves away from zero, as the system's
// MulDiv rounds.
TEST(FormLayout, ScalesLengthsByTheDpiOverNinetySix) {
    const struct {
        int pixels, dpi, scaled;
    } rows[] = {
        {393, 96, 393}, {393, 120, 491}, {393, 144, 590}, {393, 192, 786}, {11, 144, 17},
        {11, 120, 14},  {1, 144, 2},     {17, 120, 21},   {0, 144, 0},     {-3, 144, -5},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ScaledPixels(row.pixels, row.dpi), row.scaled) << row.pixels << " at " << row.dpi;
    }
}

TEST(FormLayout, IsPixelForPixelTheSameAtNinetySixAndScaledWholeElsewhere) {
    for (const ControlLayout& layout : kFormControls) {
        SCOPED_TRACE(layout.name);
        const ControlLayout same = ScaledLayout(layout, 96);
        EXPECT_EQ(std::vector<int>({same.left, same.top, same.width, same.height, same.pixelSize}),
                  std::vector<int>({layout.left, layout.top, layout.width, layout.height, layout.pixelSize}));
        const ControlLayout doubled = ScaledLayout(layout, 192);
        EXPECT_EQ(std::vector<int>({doubled.left, doubled.top, doubled.width, doubled.height, doubled.pixelSize}),
                  std::vector<int>(
                      {2 * layout.left, 2 * layout.top, 2 * layout.width, 2 * layout.height, 2 * layout.pixelSize}));
        EXPECT_STREQ(doubled.text, layout.text);
        EXPECT_EQ(doubled.kind, layout.kind);
        EXPECT_EQ(doubled.tabStop, layout.tabStop);
    }
    const ControlLayout edit = ScaledLayout(kCometPathFieldLayout, 144);
    EXPECT_EQ(std::vector<int>({edit.left, edit.top, edit.width, edit.height, edit.pixelSize}),
              std::vector<int>({149, 26, 590, 32, 17}));
}

// The user's configuration folder as the environment names it, for the
// test's lifetime.
class ScopedUserFolder {
public:
    explicit ScopedUserFolder(const std::string& folder) { Set(folder.c_str()); }
    ~ScopedUserFolder() { Set(saved_.empty() ? nullptr : saved_.c_str()); }
    ScopedUserFolder(const ScopedUserFolder&) = delete;
    ScopedUserFolder& operator=(const ScopedUserFolder&) = delete;

private:
#ifdef _WIN32
    static constexpr const char* kVariable = "APPDATA";
    static void Set(const char* value) { _putenv_s(kVariable, value != nullptr ? value : ""); }
#else
    static constexpr const char* kVariable = "XDG_CONFIG_HOME";
    static void Set(const char* value) {
        if (value != nullptr) {
            ::setenv(kVariable, value, 1);
        } else {
            ::unsetenv(kVariable);
        }
    }
#endif
    std::string saved_ = std::getenv(kVariable) != nullptr ? std::getenv(kVariable) : "";
};

// Files that cannot be written beside the executable (here folders of their
// names, which refuse even an administrator) go to the user's folder and
// come back from there; with that folder unusable too, the close shows one
// box naming the first file.
TEST(FormBehaviour, KeepsTheSettingsInTheUsersFolderWhenTheyCannotBeWrittenBeside) {
    const struct {
        const char* reason;
        bool userFolderUsable;
        Texts errors;
    } rows[] = {
        {"the user's folder takes them", true, {}},
        {"no place takes them", false, {"File access denied: @/Celestra.ini."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        Form f;
        std::filesystem::create_directory(f.dir.File("Celestra.ini"));
        std::filesystem::create_directory(f.dir.File("Celestra.opt"));
        testing::WriteBytes(f.dir.File("blocked"), "");
        const ScopedUserFolder userFolder(row.userFolderUsable ? f.dir.File("config") : f.dir.File("blocked"));
        f.behaviour.Start(f.dir.File("celestra"));
        f.controls.cometPath = "/obs/comet.dat";
        f.controls.objectPath = "/obs/objetos.txt";
        f.controls.precise = true;
        f.behaviour.Close();
        Texts errors = row.errors;
        for (std::string& error : errors) error.replace(error.find('@'), 1, f.dir.path());
        EXPECT_EQ(f.desktop.errors, errors);

        FakeDesktop desktop;
        FakeControls controls;
        FormBehaviour next(desktop, controls);
        next.Start(f.dir.File("celestra"));
        EXPECT_EQ(controls.cometPath, row.userFolderUsable ? "/obs/comet.dat" : "");
        EXPECT_EQ(controls.objectPath, row.userFolderUsable ? "/obs/objetos.txt" : "");
        EXPECT_EQ(controls.precise, row.userFolderUsable);
        EXPECT_EQ(desktop.errors, Texts{});
    }
}

// "Preciso" starts unticked, reaches the run, and is kept in a second file
// beside the settings, which keep their two lines.
TEST(FormBehaviour, KeepsPrecisoBesideTheSettingsAndRunsWithIt) {
    Form f;
    f.behaviour.Start(f.dir.File("celestra"));
    EXPECT_FALSE(f.controls.precise) << "no options yet";
    testing::WriteBytes(f.dir.File("comet.dat"), "");
    testing::WriteBytes(f.dir.File("objetos.txt"), testing::ObjectLine("STAR01") + "\r\n");
    f.controls.cometPath = f.dir.File("comet.dat");
    f.controls.objectPath = f.dir.File("objetos.txt");
    f.controls.precise = true;
    f.behaviour.Process();
    EXPECT_TRUE(f.behaviour.State().precise);
    EXPECT_NE(testing::ReadBytes(f.dir.File("comet.dat")).find(" 99999.999"), std::string::npos);
    f.behaviour.Close();
    EXPECT_EQ(testing::ReadBytes(f.dir.File("Celestra.opt")), "Preciso=1\r\n");
    EXPECT_EQ(testing::ReadBytes(f.dir.File("Celestra.ini")),
              f.dir.File("comet.dat") + "\r\n" + f.dir.File("objetos.txt") + "\r\n");

    f.controls.precise = false;
    f.behaviour.Start(f.dir.File("celestra"));
    EXPECT_TRUE(f.controls.precise) << "ticked again at the next start";
    EXPECT_TRUE(f.desktop.errors.empty());
}

}  // namespace
}  // namespace celestra
