#include "ui/Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "core/observation_date.h"
#include "text/conventions.h"
#include "text/dates.h"
#include "text/errors.h"
#include "ui/app_identity.h"
#include "ui/mask_edit.h"
#include "ui/qt_desktop.h"
#include "ui/qt_font_fit.h"
#include "ui/settings_file.h"
#include "ui/text_bytes.h"
#include "ui/up_down.h"

namespace celestra {
namespace {

constexpr const char* kCaption = "Orbitario (21/03/2005)";
constexpr int kClientWidth = 504;
constexpr int kClientHeight = 162;
constexpr const char* kMaskError = "Invalid input value.  Use escape key to abandon changes";
constexpr const char* kBadDate = "Fecha incorrecta";
// Character heights of the layout, in pixels: the window's font, and the
// larger one of "Fecha:" and the date.
constexpr int kWindowPixelSize = 11;
constexpr int kDatePixelSize = 19;

// "MS Sans Serif" where it exists; else fonts of about its width, so every
// caption and the ten characters of the date fit their controls.
QFont WindowFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    return font;
}

// Every text the date field can show at its widest: the blank mask, and
// each digit in every digit position.
QStringList DateFieldTexts(const DateMask& blank) {
    const QString shown = QString::fromLatin1(blank.DisplayText().c_str());
    QStringList texts{shown};
    for (char digit = '0'; digit <= '9'; ++digit) {
        texts << QString(shown).replace(QLatin1Char(DateMask::kBlankShown), QLatin1Char(digit));
    }
    return texts;
}

}  // namespace

TForm1::TForm1(Desktop& desktop, const std::string& executablePath) : desktop_(desktop) {
    // The decimal separator and the date format are fixed; the date
    // separator comes from the regional settings, and the date field shows
    // it from the start.
    SetTextConventions(ConventionsFromRegionalSettings());
    BuildControls();
    Guarded([&] { FormCreate(executablePath); });
}

void TForm1::BuildControls() {
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(WindowFont(kWindowPixelSize));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    auto button = [this](const char* caption, int left, int top, int width, int height) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setGeometry(left, top, width, height);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::StrongFocus);
        return b;
    };
    Button2 = button("Comet.dat", 11, 15, 75, 25);
    Button3 = button("Objetos", 11, 47, 75, 25);
    Edit4 = new QLineEdit(this);
    Edit4->setGeometry(99, 17, 393, 21);
    Edit5 = new QLineEdit(this);
    Edit5->setGeometry(99, 49, 393, 21);
    Button4 = button("Proceso", 11, 123, 75, 25);
    MaskEdit1 = new TMaskEdit(this, desktop_, Conventions().dateSeparator);
    MaskEdit1->setGeometry(101, 80, 105, 32);
    Button5 = button("Hoy", 233, 87, 41, 25);
    UpDown1 = new TUpDown(this);
    UpDown1->setGeometry(208, 80, 16, 33);
    Label7 = new QLabel(QStringLiteral("Fecha:"), this);
    Label7->setGeometry(27, 84, 59, 24);
    FitFonts();

    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Edit4);
    setTabOrder(Edit4, Edit5);
    setTabOrder(Edit5, Button4);
    setTabOrder(Button4, MaskEdit1);
    setTabOrder(MaskEdit1, Button5);
    Button2->setFocus(Qt::OtherFocusReason);

    OpenDialog1 = {"Cometas Astrometrica", "comet.dat", "dat", ""};
    OpenDialog2 = {"Objetos", "objetos.txt", "txt", ""};

    connect(Button2, &QPushButton::clicked, this, [this] { Guarded([this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });
    connect(Button4, &QPushButton::clicked, this, [this] { Guarded([this] { Button4Click(); }); });
    connect(Button5, &QPushButton::clicked, this, [this] { Guarded([this] { Button5Click(); }); });
    connect(UpDown1, &TUpDown::Click, this, [this](bool up) { Guarded([this, up] { UpDown1Click(up); }); });
    connect(MaskEdit1, &TMaskEdit::EnterPressed, this, [this] { Guarded([this] { CheckMask(); }); });
    // Leaving the date field by the keyboard runs its checks once the event
    // that moved the focus is done. What counts is the control of this
    // window that had the focus last: between the two, the focus may have
    // been in a box or nowhere.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr || now->window() != this) return;
        const QWidget* previous = lastFocus_;
        lastFocus_ = now;
        if (previous == MaskEdit1 && now != MaskEdit1) {
            departure_ = now;
            QMetaObject::invokeMethod(
                this, [this] { LeaveDateField(); }, Qt::QueuedConnection);
        }
    });
    // A mouse press that leaves the field is also judged at the press: when
    // the field is going to keep the focus, the press and its release do not
    // reach their control, so a button does not act (nor stay half-pressed
    // under a modal box).
    qApp->installEventFilter(this);
}

void TForm1::FitFonts() {
    // The face found may be wider than the one the layout was drawn for;
    // then the text shrinks rather than being cut off.
    for (QPushButton* button : {Button2, Button3, Button4, Button5}) {
        button->setFont(
            FittedFont(WindowFont(kWindowPixelSize), kWindowPixelSize, TextRoom(*button), {button->text()}));
    }
    Label7->setFont(FittedFont(WindowFont(kDatePixelSize), kDatePixelSize, TextRoom(*Label7), {Label7->text()}));
    MaskEdit1->setFont(FittedFont(WindowFont(kDatePixelSize), kDatePixelSize, TextRoom(*MaskEdit1),
                                  DateFieldTexts(DateMask(Conventions().dateSeparator))));
}

void TForm1::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        desktop_.ShowError(ErrorBoxText(error.what()));
    }
}

void TForm1::FormCreate(const std::string& executablePath) {
    programFolder_ = ProgramFolder(executablePath);
    settings_ = LocateSettings(programFolder_);
    ReadSettings(
        settings_, [this](const std::string& path) { Edit4->setText(FromBytes(path)); },
        [this](const std::string& path) { Edit5->setText(FromBytes(path)); });
    SetDefaultObservationDate();
}

void TForm1::FormClose() { WriteSettings(settings_, ToBytes(Edit4->text()), ToBytes(Edit5->text())); }

void TForm1::closeEvent(QCloseEvent* event) {
    // A settings file that cannot be written is reported, and the window
    // closes all the same: a read-only program folder must not keep the
    // program from ending.
    Guarded([this] { FormClose(); });
    event->accept();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (centred_) return;
    centred_ = true;
    CentreOnScreen(*this);
}

void TForm1::Button2Click() {
    if (const auto path = desktop_.ChooseFile(OpenDialog1)) Edit4->setText(FromBytes(*path));
}

void TForm1::Button3Click() {
    if (const auto path = desktop_.ChooseFile(OpenDialog2)) Edit5->setText(FromBytes(*path));
}

void TForm1::Button4Click() {
    state_.cometPath = ToBytes(Edit4->text());
    state_.objectPath = ToBytes(Edit5->text());
    state_.dateText = MaskEdit1->DateText();
    ProcessingRun(state_, desktop_).Run();
}

void TForm1::Button5Click() { SetDefaultObservationDate(); }

void TForm1::SetDefaultObservationDate() { MaskEdit1->SetProgramText(DefaultObservationDate()); }

void TForm1::UpDown1Click(bool up) {
    const double dayCount = TextToDate(MaskEdit1->DateText());
    MaskEdit1->SetProgramText(DateToText(dayCount + (up ? 1 : -1)));
}

void TForm1::CheckMask() {
    if (!MaskEdit1->Mask().FailsMaskCheck()) return;
    desktop_.Beep();
    MaskEdit1->ReturnFocus();
    throw Error(kMaskError);
}

bool TForm1::DateTextConverts() const {
    try {
        TextToDate(MaskEdit1->DateText());
        return true;
    } catch (const ConversionError&) {
        return false;
    }
}

bool TForm1::DateFieldRefusesToLeave() const { return MaskEdit1->Mask().FailsMaskCheck() || !DateTextConverts(); }

void TForm1::LeaveDateField() {
    if (MaskEdit1->Mask().FailsMaskCheck()) {
        Guarded([this] { CheckMask(); });
    } else {
        Guarded([this] { MaskEdit1Exit(); });
    }
    departure_ = nullptr;
    swallowRelease_ = nullptr;  // a release during a box went to the box
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonRelease && watched == swallowRelease_) {
        swallowRelease_ = nullptr;
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || target->window() != this || target == MaskEdit1) return false;
    // In an active window the focus has already moved to the control when
    // its press arrives, and the field's checks are on their way. In an
    // inactive one the focus change is announced only once the window is
    // active again, so the field is still the last control with the focus.
    const bool departed = target == departure_;
    const bool departing = !departed && lastFocus_ == MaskEdit1 && (target->focusPolicy() & Qt::ClickFocus) != 0;
    if ((!departed && !departing) || !DateFieldRefusesToLeave()) return false;
    swallowRelease_ = target;
    if (departing) {
        MaskEdit1->ReturnFocus();  // the window's focus stays in the field
        QMetaObject::invokeMethod(
            this, [this] { LeaveDateField(); }, Qt::QueuedConnection);
    }
    return true;
}

void TForm1::MaskEdit1Exit() {
    if (DateTextConverts()) return;
    // Back in the field before the box opens, so that the box hands the
    // focus back to it when it closes: after a modal box the window may
    // become active only later, and a focus set then would be lost.
    MaskEdit1->ReturnFocus();
    desktop_.Show(kBadDate);
}

}  // namespace celestra
