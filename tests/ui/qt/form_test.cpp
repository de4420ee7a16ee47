// The window driven as a user drives it: key clicks and mouse clicks into
// the real widgets, under the offscreen platform. Every box and dialog is
// answered by a test double, so nothing blocks.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/element_line.h"
#include "support/fake_desktop.h"
#include "support/run_support.h"
#include "support/temp_dir.h"
#include "ui/form_layout.h"
#include "ui/qt/date_edit.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_desktop.h"
#include "ui/qt/qt_font_fit.h"
#include "ui/qt/spin_buttons.h"

namespace celestra {
namespace {

using testing::FakeDesktop;

}  // namespace

class FormTest : public QObject {
    Q_OBJECT

private:
    // A window whose program folder is a fresh temporary folder.
    struct Fixture {
        explicit Fixture(LocalDateTime now = {2026, 12, 8, 9, 30, 0, 0}) : clock(now) {}
        void Open() {
            form = std::make_unique<MainWindow>(desktop, dir.path() + "/celestra");
            form->show();
            QApplication::setActiveWindow(form.get());
            QVERIFY(QTest::qWaitForWindowActive(form.get()));
        }
        std::string Ini() const { return dir.path() + "/Celestra.ini"; }

        testing::TempDir dir;
        testing::FixedClock clock;
        FakeDesktop desktop;
        std::unique_ptr<MainWindow> form;
    };

    static void Settle() { QCoreApplication::processEvents(); }

    static void TabOut() {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        Settle();
    }

    static void FocusDate(MainWindow& form) {
        form.DateField->setFocus(Qt::TabFocusReason);
        Settle();
        QCOMPARE(QApplication::focusWidget(), form.DateField);
    }

    // Into the date field, to its start, and the keys typed there.
    static void TypeDate(MainWindow& form, const char* keys) {
        FocusDate(form);
        QTest::keyClick(form.DateField, Qt::Key_Home);
        QTest::keyClicks(form.DateField, keys);
    }

    // Reads the next file dialog once it is open, then cancels it. Gives up
    // after 10 s.
    static void ReadNextFileDialog(const std::function<void(QFileDialog&)>& read, int triesLeft = 1000) {
        QTimer::singleShot(10, [read, triesLeft] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                read(*dialog);
                dialog->reject();
            } else if (triesLeft > 0) {
                ReadNextFileDialog(read, triesLeft - 1);
            }
        });
    }

    // Whether the control accepted each event; while it accepts the drag,
    // the pointer shows a drop.
    struct DropOutcome {
        bool entered, moved;
        bool dropped;  // as a copy
    };

    // A drag of these links from a file manager, replayed onto a control as
    // Qt delivers one: the enter, a move, the drop. The drop is sent even
    // after a refused enter, so that a refusal is seen to hold at the drop
    // too. `shift` proposes a move instead of a copy.
    static DropOutcome DropLinks(QWidget* target, const QList<QUrl>& links, bool shift = false) {
        QMimeData mime;
        mime.setUrls(links);
        mime.setText(QStringLiteral("dragged text"));  // a file manager offers the names as text too
        const QPoint at = target->rect().center();
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        const Qt::KeyboardModifiers modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
        QDragEnterEvent enter(at, actions, &mime, Qt::LeftButton, modifiers);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, actions, &mime, Qt::LeftButton, modifiers);
        QApplication::sendEvent(target, &move);
        QDropEvent drop(at, actions, &mime, Qt::LeftButton, modifiers);
        QApplication::sendEvent(target, &drop);
        Settle();
        return {enter.isAccepted(), move.isAccepted(), drop.isAccepted() && drop.dropAction() == Qt::CopyAction};
    }

private slots:
    void startsWithTheDefaultDateAndTheFocusOnCometDat() {
        Fixture f;
        f.Open();
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Orbitario (21/03/2005)"));
        QCOMPARE(f.form->size(), QSize(504, 162));
        QVERIFY(!(f.form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(f.form->CometPathField->text().isEmpty());
        QVERIFY(f.form->ObjectPathField->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), f.form->CometFileButton);
        QCOMPARE(f.form->DateField->DateText(), std::string("08/12/2026"));
        QCOMPARE(f.form->DateField->text(), QStringLiteral("08/12/2026"));
        QVERIFY(f.desktop.errors.empty());
    }

    // Whatever faces this machine has, the date and every caption fit
    // their controls whole, at the layout's size or below it.
    void fitsTheDateAndEveryCaptionInItsControl() {
        Fixture f;
        f.Open();
        const struct {
            QWidget* control;
            QString text;
            int designPixelSize;
        } rows[] = {
            {f.form->CometFileButton, f.form->CometFileButton->text(), 11},
            {f.form->ObjectFileButton, f.form->ObjectFileButton->text(), 11},
            {f.form->ProcessButton, f.form->ProcessButton->text(), 11},
            {f.form->TodayButton, f.form->TodayButton->text(), 11},
            {f.form->PreciseBox, f.form->PreciseBox->text(), 11},
            {f.form->DateLabel, f.form->DateLabel->text(), 19},
            {f.form->DateField, QStringLiteral("08/12/2026"), 19},
            {f.form->DateField, QStringLiteral("__/__/____"), 19},
        };
        for (const auto& row : rows) {
            const QFont font = row.control->font();
            QVERIFY2(QFontMetrics(font).horizontalAdvance(row.text) <= TextRoom(*row.control), qPrintable(row.text));
            QVERIFY(font.pixelSize() <= row.designPixelSize);
            QVERIFY(font.pixelSize() >= 6);
        }
        qInfo("date field: %s %d px, room %d px", qPrintable(QFontInfo(f.form->DateField->font()).family()),
              f.form->DateField->font().pixelSize(), TextRoom(*f.form->DateField));
    }

    // A face far wider than the layout's is shrunk until the text fits,
    // and no further.
    void shrinksATooWideFontUntilTheTextFits() {
        QLineEdit edit;
        edit.setGeometry(0, 0, 105, 32);
        const int room = TextRoom(edit);
        QVERIFY(room > 80 && room < 105);
        QFont wide;
        wide.setLetterSpacing(QFont::AbsoluteSpacing, 3);  // 30 px more for ten characters
        const QString date = QStringLiteral("08/12/2026");
        wide.setPixelSize(19);
        QVERIFY(QFontMetrics(wide).horizontalAdvance(date) > room);
        const QFont fitted = FittedFont(wide, 19, room, {date});
        QVERIFY(fitted.pixelSize() < 19);
        QVERIFY(QFontMetrics(fitted).horizontalAdvance(date) <= room);
        QFont oneLarger = fitted;
        oneLarger.setPixelSize(fitted.pixelSize() + 1);
        QVERIFY(QFontMetrics(oneLarger).horizontalAdvance(date) > room);
    }

    // The boxes of a real session stand in the middle of the screen, also
    // after the window was moved to a corner.
    void centresTheBoxesOnTheScreen() {
        Fixture f;
        f.Open();
        f.form->move(0, 0);
        QtDesktop desktop("Celestra");
        desktop.SetWindow(f.form.get());
        QRect shownAt;
        QString shownText;
        const auto answerBox = [&] {
            QTimer::singleShot(10, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    shownAt = box->frameGeometry();
                    shownText = box->text();
                    box->accept();
                }
            });
        };
        const QPoint screenCentre = f.form->screen()->availableGeometry().center();
        answerBox();
        desktop.Show("Fecha incorrecta");
        QCOMPARE(shownText, QStringLiteral("Fecha incorrecta"));
        QCOMPARE(shownAt.center(), screenCentre);
        answerBox();
        desktop.ShowError("Error de formato para ESTRELLA\xD1");  // an older encoding's letter shows as itself
        QCOMPARE(shownText, QString::fromUtf8("Error de formato para ESTRELLA\xC3\x91"));
        QCOMPARE(shownAt.center(), screenCentre);
    }

    void tabsThroughTheControlsInOrder() {
        Fixture f;
        f.Open();
        const QWidget* order[] = {f.form->ObjectFileButton, f.form->CometPathField, f.form->ObjectPathField,
                                  f.form->ProcessButton,    f.form->DateField,      f.form->TodayButton,
                                  f.form->PreciseBox,       f.form->CometFileButton};
        for (const QWidget* next : order) {
            TabOut();
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QVERIFY(f.desktop.messages.empty());  // the written date passes its check
    }

    // The focus starts on the layout's first tab stop; Tab and Shift+Tab go
    // round its tab stops in its order, and no other control takes it.
    void tabsRoundTheLayoutsTabStopsBothWays() {
        Fixture f;
        f.Open();
        std::vector<QWidget*> stops;
        for (const ControlLayout& layout : kFormControls) {
            auto* control = f.form->findChild<QWidget*>(QString::fromLatin1(layout.name));
            QVERIFY2(control != nullptr, layout.name);
            if (layout.tabStop) stops.push_back(control);
        }
        QVERIFY(stops.size() > 2);
        QCOMPARE(QApplication::focusWidget(), stops.front());
        for (std::size_t i = 1; i <= stops.size(); ++i) {
            TabOut();
            QCOMPARE(QApplication::focusWidget(), stops[i % stops.size()]);
        }
        for (std::size_t i = stops.size(); i-- > 0;) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            Settle();
            QCOMPARE(QApplication::focusWidget(), stops[i]);
        }
        QVERIFY(f.desktop.messages.empty());  // the written date passes its check both ways
        QVERIFY(f.desktop.errors.empty());
    }

    void readsAndWritesTheSettingsByteForByte() {
        Fixture f;
        testing::WriteBytes(f.Ini(), " /obs/comet.dat \r\n/obs/objetos.txt\r\nthird line\r\n");
        f.Open();
        QCOMPARE(f.form->CometPathField->text(), QStringLiteral(" /obs/comet.dat "));
        QCOMPARE(f.form->ObjectPathField->text(), QStringLiteral("/obs/objetos.txt"));
        f.form->ObjectPathField->clear();
        f.form->close();
        QCOMPARE(testing::ReadBytes(f.Ini()), std::string(" /obs/comet.dat \r\n\r\n"));
    }

    // Bytes that are no UTF-8 (an "ñ" of an older encoding) pass through
    // the fields unchanged: to the settings file and to the run.
    void keepsPathBytesThatAreNoUtf8() {
        Fixture f;
        const std::string folder = f.dir.path() + "/a\xF1o";
        std::filesystem::create_directory(folder);
        const std::string comet = folder + "/comet.dat", objects = folder + "/objetos \xF1.txt";
        testing::WriteBytes(comet, "");
        testing::WriteBytes(objects, "STAR01    07 33 41.30  +67 32 14.8  12.5\r\n");
        const std::string ini = comet + "\r\n" + objects + "\r\n";
        testing::WriteBytes(f.Ini(), ini);
        f.Open();
        QTest::mouseClick(f.form->ProcessButton, Qt::LeftButton);
        QCOMPARE(f.desktop.messages, std::vector<std::string>{"Proceso finalizado correctamente para 1 estrellas"});
        f.form->close();
        QCOMPARE(testing::ReadBytes(f.Ini()), ini);

        // Typed text around a kept byte: the typed letter as UTF-8.
        f.Open();
        f.form->ObjectPathField->end(false);
        QTest::sendKeyEvent(QTest::Click, f.form->ObjectPathField, Qt::Key_Ntilde, QChar(0xF1), Qt::NoModifier);
        f.form->close();
        QCOMPARE(testing::ReadBytes(f.Ini()), comet + "\r\n" + objects + "\xC3\xB1\r\n");
    }

    void closesEvenWhenTheSettingsCannotBeWritten() {
        Fixture f;
        std::filesystem::create_directory(f.Ini());  // ignored at start, unwritable at close
        // Nor can the user's folder take it: a file stands where it would be.
        const std::string userConfig = f.dir.path() + "/config";
        std::filesystem::create_directory(userConfig);
        testing::WriteBytes(userConfig + "/celestra", "");
        const char* const previous = std::getenv("XDG_CONFIG_HOME");
        const std::string kept = previous != nullptr ? previous : "";
        ::setenv("XDG_CONFIG_HOME", userConfig.c_str(), 1);
        const auto restore = qScopeGuard([&] {
            if (previous != nullptr) {
                ::setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
            } else {
                ::unsetenv("XDG_CONFIG_HOME");
            }
        });
        f.Open();
        QVERIFY(f.desktop.errors.empty());
        QVERIFY(f.form->close());
        QCOMPARE(f.desktop.errors, std::vector<std::string>{"File access denied: " + f.Ini() + "."});
        QVERIFY(!f.form->isVisible());
    }

#ifdef __linux__
    void leavesTheDateBlankWhenTheSettingsCannotBeRead() {
        Fixture f;
        std::filesystem::create_symlink("/proc/self/mem", f.Ini());  // exists, fails every read
        f.Open();
        QCOMPARE(f.desktop.errors, std::vector<std::string>{"I/O error 5: " + f.Ini() + "."});
        QCOMPARE(f.form->DateField->text(), QStringLiteral("__/__/____"));
        QVERIFY(f.form->isVisible());
    }
#endif

    void typesADateAndRefusesOtherCharacters() {
        Fixture f;
        f.Open();
        TypeDate(*f.form, "15a01-2006");
        QCOMPARE(f.form->DateField->DateText(), std::string("15/01/2006"));
        QCOMPARE(f.desktop.beeps, 2);
        QTest::keyClick(f.form->DateField, Qt::Key_Up);  // does not move the date
        QCOMPARE(f.form->DateField->DateText(), std::string("15/01/2006"));
        TabOut();
        QCOMPARE(QApplication::focusWidget(), f.form->TodayButton);
        QVERIFY(f.desktop.messages.empty());
        QVERIFY(f.desktop.errors.empty());
    }

    void holdsTheFocusOnAGapUntilEscape() {
        Fixture f;
        f.Open();
        FocusDate(*f.form);
        QTest::keyClick(f.form->DateField, Qt::Key_Home);
        QTest::keyClick(f.form->DateField, Qt::Key_Right);
        QTest::keyClick(f.form->DateField, Qt::Key_Right);
        QTest::keyClick(f.form->DateField, Qt::Key_Backspace);  // the day's second digit
        QCOMPARE(f.form->DateField->text(), QStringLiteral("0_/12/2026"));
        TabOut();
        QCOMPARE(f.desktop.errors,
                 std::vector<std::string>{"Invalid input value.  Use escape key to abandon changes."});
        QCOMPARE(f.desktop.beeps, 1);
        QCOMPARE(QApplication::focusWidget(), f.form->DateField);
        QCOMPARE(f.form->DateField->cursorPosition(), 1);
        QVERIFY(f.desktop.messages.empty());  // no date check after a mask error

        // Enter checks without leaving.
        QTest::keyClick(f.form->DateField, Qt::Key_Return);
        QCOMPARE(f.desktop.errors.size(), std::size_t{2});
        QCOMPARE(QApplication::focusWidget(), f.form->DateField);

        QTest::keyClick(f.form->DateField, Qt::Key_Escape);
        QCOMPARE(f.form->DateField->DateText(), std::string("08/12/2026"));
        TabOut();
        QCOMPARE(QApplication::focusWidget(), f.form->TodayButton);
        QCOMPARE(f.desktop.errors.size(), std::size_t{2});
    }

    void reportsADateThatDoesNotExist() {
        Fixture f;
        f.Open();
        TypeDate(*f.form, "31022005");
        TabOut();
        QCOMPARE(f.desktop.messages, std::vector<std::string>{"Fecha incorrecta"});
        QCOMPARE(QApplication::focusWidget(), f.form->DateField);
        QCOMPARE(f.form->DateField->DateText(), std::string("31/02/2005"));
    }

    void ignoresAClickThatLeavesABadDate() {
        Fixture f;
        f.Open();
        TypeDate(*f.form, "3102");
        // Press and release before the field's check runs, as a fast click
        // reaches the window.
        QTest::mousePress(f.form->TodayButton, Qt::LeftButton);
        QTest::mouseRelease(f.form->TodayButton, Qt::LeftButton);
        Settle();
        QCOMPARE(f.desktop.messages, std::vector<std::string>{"Fecha incorrecta"});
        QCOMPARE(f.form->DateField->DateText(), std::string("31/02/2026"));  // "Hoy" did not act
        QVERIFY(!f.form->TodayButton->isDown());
        QCOMPARE(QApplication::focusWidget(), f.form->DateField);

        // The same click on the window while it is not active (as right
        // after a box, before the window manager gives it back the focus).
        QApplication::setActiveWindow(nullptr);
        Settle();
        QTest::mouseClick(f.form->TodayButton, Qt::LeftButton);
        Settle();
        QApplication::setActiveWindow(f.form.get());
        Settle();
        QCOMPARE(f.desktop.messages, (std::vector<std::string>{"Fecha incorrecta", "Fecha incorrecta"}));
        QCOMPARE(f.form->DateField->DateText(), std::string("31/02/2026"));
        QCOMPARE(QApplication::focusWidget(), f.form->DateField);

        // With a good date the same click acts.
        QTest::keyClick(f.form->DateField, Qt::Key_Home);
        QTest::keyClicks(f.form->DateField, "01");
        QTest::mouseClick(f.form->TodayButton, Qt::LeftButton);
        Settle();
        QCOMPARE(f.form->DateField->DateText(), std::string("08/12/2026"));
    }

    void cutsAndPastesThroughTheClipboard() {
        Fixture f;
        f.Open();
        FocusDate(*f.form);
        QApplication::clipboard()->setText(QStringLiteral("21032005"));
        QTest::keyClick(f.form->DateField, Qt::Key_Home);
        QTest::keySequence(f.form->DateField, QKeySequence::Paste);
        QCOMPARE(f.form->DateField->DateText(), std::string("21/03/2005"));
        QTest::keySequence(f.form->DateField, QKeySequence::SelectAll);
        QTest::keySequence(f.form->DateField, QKeySequence::Cut);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("21/03/2005"));
        QCOMPARE(f.form->DateField->text(), QStringLiteral("__/__/____"));
    }

    void stepsTheDateWithinTheSpinnersRange() {
        Fixture f;
        f.Open();
        QToolButton* up = f.form->DaySpinner->UpButton();
        QToolButton* down = f.form->DaySpinner->DownButton();
        for (int i = 0; i < 500; ++i) QTest::mouseClick(up, Qt::LeftButton);
        // 08/12/2026 + 500 days
        QCOMPARE(f.form->DateField->DateText(), std::string("21/04/2028"));
        QTest::mouseClick(up, Qt::LeftButton);  // the 501st does nothing
        QCOMPARE(f.form->DateField->DateText(), std::string("21/04/2028"));
        QCOMPARE(f.form->DaySpinner->Position(), 1000);
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(f.form->DateField->DateText(), std::string("20/04/2028"));
    }

    void reportsASpinnerClickOnAnInvalidDate() {
        Fixture f;
        f.Open();
        TypeDate(*f.form, "3102");
        QTest::mouseClick(f.form->DaySpinner->UpButton(), Qt::LeftButton);
        QCOMPARE(f.desktop.errors, std::vector<std::string>{"'31/02/2026' is not a valid date."});
        QCOMPARE(f.form->DateField->DateText(), std::string("31/02/2026"));
        QCOMPARE(f.form->DaySpinner->Position(), 501);  // the step is used up
    }

    void setsTodayOrTomorrowWithHoy() {
        const struct {
            LocalDateTime now;
            const char* date;
        } rows[] = {
            {{2026, 12, 8, 11, 59, 59, 999}, "08/12/2026"},
            {{2026, 12, 8, 12, 0, 0, 0}, "08/12/2026"},
            {{2026, 12, 8, 12, 0, 0, 1}, "09/12/2026"},
        };
        for (const auto& row : rows) {
            Fixture f(row.now);
            f.Open();
            for (int i = 0; i < 3; ++i) QTest::mouseClick(f.form->DaySpinner->UpButton(), Qt::LeftButton);
            QTest::mouseClick(f.form->TodayButton, Qt::LeftButton);
            QCOMPARE(f.form->DateField->DateText(), std::string(row.date));
            QCOMPARE(f.form->DaySpinner->Position(), 503);  // "Hoy" leaves the spinner alone
        }
    }

    void picksFilesThroughItsTwoDialogs() {
        Fixture f;
        f.Open();
        f.form->CometPathField->setText(QStringLiteral("typed"));
        f.desktop.answers = {std::nullopt, std::string("/obs/comet.dat"), std::string("/obs/other.dat")};
        QTest::mouseClick(f.form->CometFileButton, Qt::LeftButton);  // cancelled
        QCOMPARE(f.form->CometPathField->text(), QStringLiteral("typed"));
        QTest::mouseClick(f.form->CometFileButton, Qt::LeftButton);
        QCOMPARE(f.form->CometPathField->text(), QStringLiteral("/obs/comet.dat"));
        f.form->CometPathField->setText(QStringLiteral("changed by hand"));
        QTest::mouseClick(f.form->CometFileButton, Qt::LeftButton);
        // The dialog opened on its own last file each time, never on the field.
        QCOMPARE(f.desktop.openedOn, (std::vector<std::string>{"", "", "/obs/comet.dat"}));
        QCOMPARE(f.form->cometDialog.filters.front().patterns, std::string("comet.dat"));
        QCOMPARE(f.form->objectDialog.defaultExtension, std::string("txt"));
        f.desktop.answers = {std::string("/obs/objetos.txt")};
        QTest::mouseClick(f.form->ObjectFileButton, Qt::LeftButton);
        QCOMPARE(f.form->ObjectPathField->text(), QStringLiteral("/obs/objetos.txt"));
    }

    // The real file dialogs' type lists, as Qt reads them and as the user
    // sees them, the first type selected; and the files each type lists.
    void listsEachDialogsFileTypes() {
        Fixture f;
        f.Open();
        QtDesktop desktop("Celestra");
        desktop.SetWindow(f.form.get());
        const QString tables =
            QString::fromUtf8("Tablas de cat\xC3\xA1logo (*.csv *.tsv *.ecsv *.vot *.votable *.xml)");
        const struct {
            OpenDialog* dialog;
            QStringList filters;
            QStringList shown;
            QList<QStringList> patterns;
        } rows[] = {
            {&f.form->cometDialog,
             {QStringLiteral("Cometas Astrometrica (comet.dat)")},
             {QStringLiteral("Cometas Astrometrica")},
             {{QStringLiteral("comet.dat")}}},
            {&f.form->objectDialog,
             {QStringLiteral("Listas de objetos (*.txt)"), tables, QStringLiteral("Todos los archivos (*)")},
             {QStringLiteral("Listas de objetos (*.txt)"), tables, QStringLiteral("Todos los archivos (*)")},
             {{QStringLiteral("*.txt")},
              {QStringLiteral("*.csv"), QStringLiteral("*.tsv"), QStringLiteral("*.ecsv"), QStringLiteral("*.vot"),
               QStringLiteral("*.votable"), QStringLiteral("*.xml")},
              {QStringLiteral("*")}}},
        };
        for (const auto& row : rows) {
            QStringList filters, shown;
            QString selected;
            QList<QStringList> patterns;
            ReadNextFileDialog([&](QFileDialog& dialog) {
                filters = dialog.nameFilters();
                selected = dialog.selectedNameFilter();
                if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
                    for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
                }
                auto* model = dialog.findChild<QFileSystemModel*>();
                for (const QString& filter : filters) {
                    dialog.selectNameFilter(filter);
                    if (model != nullptr) patterns << model->nameFilters();
                }
            });
            QVERIFY(!desktop.ChooseFile(*row.dialog));
            QCOMPARE(filters, row.filters);
            QCOMPARE(selected, row.shown.front());
            QCOMPARE(shown, row.shown);
            QCOMPARE(patterns, row.patterns);
        }
    }

    // A file dropped from a file manager on either path field: the field
    // shows it as the dialog would have given it; of several files the
    // first; a folder or a web address is refused before the drop (no drop
    // shown) and at it, and the field keeps its text.
    void takesAFileDroppedOnEitherPathField() {
        Fixture f;
        const QString table = QString::fromStdString(f.dir.File("estrellas \xC3\xB1.csv"));
        const QString list = QString::fromStdString(f.dir.File("objetos.txt"));
        const QString folder = QString::fromStdString(f.dir.path());
        testing::WriteBytes(table.toStdString(), "");
        testing::WriteBytes(list.toStdString(), "");
        const QUrl web(QStringLiteral("https://vizier.example/objetos.csv"));
        const struct {
            const char* drop;
            QList<QUrl> links;
            bool shift;
            QString shown;  // empty: refused
        } rows[] = {
            {"a table", {QUrl::fromLocalFile(table)}, false, table},
            {"two files", {QUrl::fromLocalFile(list), QUrl::fromLocalFile(table)}, false, list},
            {"a file with Shift held, still a copy", {QUrl::fromLocalFile(table)}, true, table},
            {"a file named with a step back",
             {QUrl::fromLocalFile(folder + QStringLiteral("/sub/../objetos.txt"))},
             false,
             list},
            {"a folder", {QUrl::fromLocalFile(folder)}, false, QString()},
            {"a folder, then a file", {QUrl::fromLocalFile(folder), QUrl::fromLocalFile(table)}, false, QString()},
            {"a web address", {web}, false, QString()},
        };
        f.Open();
        for (QLineEdit* field : {f.form->CometPathField, f.form->ObjectPathField}) {
            for (const auto& row : rows) {
                const QString why = field->objectName() + QStringLiteral(": ") + QString::fromLatin1(row.drop);
                field->setText(QStringLiteral("typed"));
                const DropOutcome outcome = DropLinks(field, row.links, row.shift);
                const bool taken = !row.shown.isEmpty();
                QVERIFY2(outcome.entered == taken, qPrintable(why));
                QVERIFY2(outcome.moved == taken, qPrintable(why));
                QVERIFY2(outcome.dropped == taken, qPrintable(why));
                QVERIFY2(field->text() == (taken ? row.shown : QStringLiteral("typed")), qPrintable(why));
            }
        }
        QVERIFY(f.desktop.errors.empty());

        // Then as if chosen in the dialog: it opens there, and the settings
        // keep the paths byte for byte.
        DropLinks(f.form->CometPathField, {QUrl::fromLocalFile(list)});
        DropLinks(f.form->ObjectPathField, {QUrl::fromLocalFile(table)});
        QCOMPARE(f.form->cometDialog.fileName, list.toStdString());
        QCOMPARE(f.form->objectDialog.fileName, table.toStdString());
        f.form->close();
        QCOMPARE(testing::ReadBytes(f.Ini()), list.toStdString() + "\r\n" + table.toStdString() + "\r\n");
    }

    void runsFromThePathFields() {
        Fixture f;
        const std::string comet = f.dir.path() + "/comet.dat", objects = f.dir.path() + "/objetos.txt";
        testing::WriteBytes(comet, "    C/2004 Q2\r\n");
        testing::WriteBytes(objects, "STAR01    07 33 41.30  +67 32 14.8  12.5\r\n");
        f.Open();
        QTest::keyClicks(f.form->CometPathField, QString::fromStdString(comet));
        QTest::keyClicks(f.form->ObjectPathField, QString::fromStdString(objects));
        TypeDate(*f.form, "15012006");
        QTest::mouseClick(f.form->ProcessButton, Qt::LeftButton);
        Settle();
        QCOMPARE(f.desktop.messages, std::vector<std::string>{"Proceso finalizado correctamente para 1 estrellas"});
        QCOMPARE(testing::ReadBytes(comet),
                 std::string("    C/2004 Q2\r\n    STAR01    2006 01 15.0000999.999999  0.000000   90.0000  012.4435"
                             "   45.0677            -9.9 01.0  STAR01\r\n"));
        QCOMPARE(f.form->State().objects.size(), std::size_t{1});

        // A missing object list: the run's own message.
        f.form->ObjectPathField->setText(QStringLiteral("missing.txt"));
        QTest::mouseClick(f.form->ProcessButton, Qt::LeftButton);
        QCOMPARE(f.desktop.messages.back(), std::string("Archivo de objetos no encontrado"));
    }

    // "Preciso", unticked at the first start, ticked with the space bar,
    // writes the precise lines and is ticked again at the next start; the
    // settings file keeps its two lines.
    void writesPreciseLinesWhilePrecisoIsTicked() {
        Fixture f;
        const std::string comet = f.dir.path() + "/comet.dat", objects = f.dir.path() + "/objetos.txt";
        testing::WriteBytes(comet, "");
        testing::WriteBytes(objects, "STAR01    07 33 41.30  +67 32 14.8  12.5\r\n");
        f.Open();
        QCOMPARE(f.form->PreciseBox->geometry(), QRect(290, 91, 65, 17));
        QVERIFY(!f.form->PreciseBox->isChecked());
        f.form->TodayButton->setFocus(Qt::TabFocusReason);
        TabOut();
        QCOMPARE(QApplication::focusWidget(), f.form->PreciseBox);
        QTest::keyClick(f.form->PreciseBox, Qt::Key_Space);
        QVERIFY(f.form->PreciseBox->isChecked());
        f.form->CometPathField->setText(QString::fromStdString(comet));
        f.form->ObjectPathField->setText(QString::fromStdString(objects));
        QTest::mouseClick(f.form->ProcessButton, Qt::LeftButton);
        QCOMPARE(ElementFieldText(testing::ReadBytes(comet), kElementPerihelionDistance), std::string(" 99999.999"));
        f.form->close();
        QCOMPARE(testing::ReadBytes(f.dir.path() + "/Celestra.opt"), std::string("Preciso=1\r\n"));
        QCOMPARE(testing::ReadBytes(f.Ini()), comet + "\r\n" + objects + "\r\n");

        f.Open();
        QVERIFY(f.form->PreciseBox->isChecked());
        QTest::keyClick(f.form->PreciseBox, Qt::Key_Space);
        f.form->DateField->SetProgramText("15/01/2006");
        QTest::mouseClick(f.form->ProcessButton, Qt::LeftButton);
        QCOMPARE(testing::ReadBytes(comet),
                 testing::ClassicLineOf(testing::ReadBytes(objects).substr(0, 40), "15/01/2006") + "\r\n");
    }
};

}  // namespace celestra

QTEST_MAIN(celestra::FormTest)
#include "form_test.moc"
