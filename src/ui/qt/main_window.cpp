#include "ui/qt/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QUrl>

#include "text/conventions.h"
#include "ui/form_layout.h"
#include "ui/qt/date_edit.h"
#include "ui/qt/qt_desktop.h"
#include "ui/qt/qt_font_fit.h"
#include "ui/qt/spin_buttons.h"
#include "ui/qt/text_bytes.h"

namespace celestra {
namespace {

QFont WindowFont(int pixelSize) {
    QFont font;
    font.setFamilies(WindowFontFamilies());
    font.setPixelSize(pixelSize);
    return font;
}

void Place(QWidget* control, const ControlLayout& layout) {
    control->setGeometry(layout.left, layout.top, layout.width, layout.height);
    control->setObjectName(QString::fromLatin1(layout.name));
}

QStringList ToQt(const std::vector<std::string>& texts) {
    QStringList list;
    for (const std::string& text : texts) list << QString::fromLatin1(text.c_str());
    return list;
}

// What a drag brings, as the behaviour reads a drop: each link's local
// path, or for a web address the address.
std::vector<DroppedItem> DroppedItems(const QMimeData& mime) {
    std::vector<DroppedItem> items;
    for (const QUrl& url : mime.urls()) {
        if (url.isLocalFile()) {
            items.push_back({FilePathBytes(url.toLocalFile()), true});
        } else {
            items.push_back({ToBytes(url.toString()), false});
        }
    }
    return items;
}

}  // namespace

// The behaviour, made first, has set the conventions the date field is built
// with (its separator from the regional settings).
MainWindow::MainWindow(Desktop& desktop, const std::string& executablePath)
    : behaviour_(desktop, *this), desktop_(desktop) {
    BuildControls();
    behaviour_.Start(executablePath);
}

void MainWindow::BuildControls() {
    setWindowTitle(QString::fromLatin1(kFormCaption));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kFormClientWidth, kFormClientHeight);
    setFont(WindowFont(kFormPixelSize));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    auto button = [this](const ControlLayout& layout) {
        auto* b = new QPushButton(QString::fromLatin1(layout.text), this);
        Place(b, layout);
        b->setAutoDefault(false);
        return b;
    };
    CometFileButton = button(kCometFileButtonLayout);
    ObjectFileButton = button(kObjectFileButtonLayout);
    CometPathField = new QLineEdit(this);
    Place(CometPathField, kCometPathFieldLayout);
    ObjectPathField = new QLineEdit(this);
    Place(ObjectPathField, kObjectPathFieldLayout);
    ProcessButton = button(kProcessButtonLayout);
    DateField = new DateEdit(this, desktop_, Conventions().dateSeparator);
    Place(DateField, kDateFieldLayout);
    TodayButton = button(kTodayButtonLayout);
    PreciseBox = new QCheckBox(QString::fromLatin1(kPreciseBoxLayout.text), this);
    Place(PreciseBox, kPreciseBoxLayout);
    DaySpinner = new SpinButtons(this);
    Place(DaySpinner, kDaySpinnerLayout);
    DateLabel = new QLabel(QString::fromLatin1(kDateLabelLayout.text), this);
    Place(DateLabel, kDateLabelLayout);
    FitFonts();

    SetTabOrder();

    connect(CometFileButton, &QPushButton::clicked, this, [this] { behaviour_.PickCometFile(); });
    connect(ObjectFileButton, &QPushButton::clicked, this, [this] { behaviour_.PickObjectFile(); });
    connect(ProcessButton, &QPushButton::clicked, this, [this] { behaviour_.Process(); });
    connect(TodayButton, &QPushButton::clicked, this, [this] { behaviour_.SetToday(); });
    connect(DaySpinner, &SpinButtons::Click, this, [this](bool up) { behaviour_.StepDay(up); });
    connect(DateField, &DateEdit::EnterPressed, this, [this] { behaviour_.DateFieldEnter(); });
    // Leaving the date field by the keyboard runs its checks once the event
    // that moved the focus is done. What counts is the control of this
    // window that had the focus last: between the two, the focus may have
    // been in a box or nowhere.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr || now->window() != this) return;
        const QWidget* previous = lastFocus_;
        lastFocus_ = now;
        if (previous == DateField && now != DateField) {
            departure_ = now;
            QMetaObject::invokeMethod(
                this, [this] { LeaveDateField(); }, Qt::QueuedConnection);
        }
    });
    // A mouse press that leaves the field is also judged at the press: when
    // the field is going to keep the focus, the press and its release do not
    // reach their control, so a button does not act (nor stay half-pressed
    // under a modal box). Files dragged over a path field are its too.
    qApp->installEventFilter(this);
}

QWidget* MainWindow::Control(const ControlLayout& layout) const {
    return findChild<QWidget*>(QString::fromLatin1(layout.name), Qt::FindDirectChildrenOnly);
}

void MainWindow::SetTabOrder() {
    // A tab stop takes the focus from the keyboard and the mouse; the other
    // controls never take it.
    QWidget* previous = nullptr;
    for (const ControlLayout& layout : kFormControls) {
        QWidget* control = Control(layout);
        control->setFocusPolicy(layout.tabStop ? Qt::StrongFocus : Qt::NoFocus);
        if (!layout.tabStop) continue;
        if (previous != nullptr) setTabOrder(previous, control);
        previous = control;
    }
    Control(StartFocusControl())->setFocus(Qt::OtherFocusReason);
}

void MainWindow::FitFonts() {
    // The face found may be wider than the one the layout was drawn for;
    // then the text shrinks rather than being cut off.
    const auto fit = [](QWidget* control, const ControlLayout& layout, const QStringList& texts) {
        control->setFont(FittedFont(WindowFont(layout.pixelSize), layout.pixelSize, TextRoom(*control), texts));
    };
    fit(CometFileButton, kCometFileButtonLayout, {CometFileButton->text()});
    fit(ObjectFileButton, kObjectFileButtonLayout, {ObjectFileButton->text()});
    fit(ProcessButton, kProcessButtonLayout, {ProcessButton->text()});
    fit(TodayButton, kTodayButtonLayout, {TodayButton->text()});
    fit(PreciseBox, kPreciseBoxLayout, {PreciseBox->text()});
    fit(DateLabel, kDateLabelLayout, {DateLabel->text()});
    fit(DateField, kDateFieldLayout, ToQt(DateFieldWidestTexts(Conventions().dateSeparator)));
}

std::string MainWindow::CometPath() const { return ToBytes(CometPathField->text()); }
void MainWindow::SetCometPath(const std::string& path) { CometPathField->setText(FromBytes(path)); }
std::string MainWindow::ObjectPath() const { return ToBytes(ObjectPathField->text()); }
void MainWindow::SetObjectPath(const std::string& path) { ObjectPathField->setText(FromBytes(path)); }
std::string MainWindow::DateText() const { return DateField->DateText(); }
void MainWindow::SetDateText(const std::string& text) { DateField->SetProgramText(text); }
bool MainWindow::DateMaskIncomplete() const { return DateField->Mask().FailsMaskCheck(); }
void MainWindow::ReturnFocusToDate() { DateField->ReturnFocus(); }
bool MainWindow::Precise() const { return PreciseBox->isChecked(); }
void MainWindow::SetPrecise(bool ticked) { PreciseBox->setChecked(ticked); }

void MainWindow::closeEvent(QCloseEvent* event) {
    behaviour_.Close();
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (centred_) return;
    centred_ = true;
    CentreOnScreen(*this);
}

void MainWindow::LeaveDateField() {
    behaviour_.LeaveDateField();
    departure_ = nullptr;
    swallowRelease_ = nullptr;  // a release during a box went to the box
}

bool MainWindow::DragOverPathField(QLineEdit* field, QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime == nullptr || !mime->hasUrls()) return false;  // dragged text: the line edit inserts it
    const std::vector<DroppedItem> items = DroppedItems(*mime);
    if (DroppedPath(items)) {
        // A copy, never a move: the file stays where it is, the field only
        // names it.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
    if (event->type() == QEvent::Drop) {
        if (field == CometPathField) {
            behaviour_.DropOnCometField(items);
        } else {
            behaviour_.DropOnObjectField(items);
        }
    }
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
        (watched == CometPathField || watched == ObjectPathField)) {
        return DragOverPathField(static_cast<QLineEdit*>(watched), static_cast<QDropEvent*>(event));
    }
    if (type == QEvent::MouseButtonRelease && watched == swallowRelease_) {
        swallowRelease_ = nullptr;
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || target->window() != this || target == DateField) return false;
    // In an active window the focus has already moved to the control when
    // its press arrives, and the field's checks are on their way. In an
    // inactive one the focus change is announced only once the window is
    // active again, so the field is still the last control with the focus.
    const bool departed = target == departure_;
    const bool departing = !departed && lastFocus_ == DateField && (target->focusPolicy() & Qt::ClickFocus) != 0;
    if ((!departed && !departing) || !behaviour_.DateFieldRefusesToLeave()) return false;
    swallowRelease_ = target;
    if (departing) {
        DateField->ReturnFocus();  // the window's focus stays in the field
        QMetaObject::invokeMethod(
            this, [this] { LeaveDateField(); }, Qt::QueuedConnection);
    }
    return true;
}

}  // namespace celestra
