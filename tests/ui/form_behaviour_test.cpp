// The window's decisions without a toolkit: the same rules the Qt window and
// a Windows window forward to, with the controls and the desktop as fakes.
#include "ui/form_behaviour.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#endif

#include <deque>
#include <string>
#include <vector>

#include "platform/regional_settings.h"
#include "support/fake_desktop.h"
#include "support/run_support.h"
#include "support/temp_dir.h"

namespace celestra {
namespace {

using Texts = std::vector<std::string>;

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
    EXPECT_EQ(f.controls.objectPath, "/obs/a\xF1o.txt");
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
