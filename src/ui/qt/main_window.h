// MainWindow: the program's one window over Qt. It creates the controls and
// forwards their events to FormBehaviour, which decides everything; what is
// left here is Qt's own plumbing (focus changes, a click refused while the
// date field keeps the focus, centring, fonts, the links a drag brings).
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "core/processing_run.h"
#include "ui/desktop.h"
#include "ui/form_behaviour.h"
#include "ui/settings_file.h"

class QCheckBox;
class QDropEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace celestra {

struct ControlLayout;
class DateEdit;
class SpinButtons;

class MainWindow : public QWidget, private FormControls {
    Q_OBJECT

public:
    // Builds the window and runs the start-up initialisation. The settings
    // file is looked for beside the executable.
    MainWindow(Desktop& desktop, const std::string& executablePath);

    QPushButton* CometFileButton;   // "Comet.dat": picks the comet-elements file
    QPushButton* ObjectFileButton;  // "Objetos": picks the object list
    QLineEdit* CometPathField;      // the comet-elements file's path
    QLineEdit* ObjectPathField;     // the object list's path
    QPushButton* ProcessButton;     // "Proceso": the processing run
    DateEdit* DateField;            // the observation date
    QPushButton* TodayButton;       // "Hoy": the default observation date
    QCheckBox* PreciseBox;          // "Preciso": precise lines instead of the classic ones
    SpinButtons* DaySpinner;        // the day spinner
    QLabel* DateLabel;              // "Fecha:"

private:
    FormBehaviour behaviour_;

public:
    OpenDialog& cometDialog = behaviour_.cometDialog;
    OpenDialog& objectDialog = behaviour_.objectDialog;

    const std::string& ProgramFolderPath() const { return behaviour_.ProgramFolderPath(); }
    // Where the settings were read from and are written to.
    const SettingsLocation& Settings() const { return behaviour_.Settings(); }
    // What the run works on: the two paths, the date and the two hidden
    // line lists.
    const RunState& State() const { return behaviour_.State(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // FormControls
    std::string CometPath() const override;
    void SetCometPath(const std::string& path) override;
    std::string ObjectPath() const override;
    void SetObjectPath(const std::string& path) override;
    std::string DateText() const override;
    void SetDateText(const std::string& text) override;
    bool DateMaskIncomplete() const override;
    void ReturnFocusToDate() override;
    bool Precise() const override;
    void SetPrecise(bool ticked) override;

    void BuildControls();
    // The control the layout names; created by BuildControls.
    QWidget* Control(const ControlLayout& layout) const;
    // Tab goes through the layout's tab stops in its order, and the first
    // takes the focus.
    void SetTabOrder();
    // Each caption and the date at the largest size up to the layout's
    // that fits its control.
    void FitFonts();
    void LeaveDateField();
    // A drag over a path field, or its drop: links go to the behaviour, and
    // the drag is accepted only when they hold a path the field takes. True
    // when the event is handled here.
    bool DragOverPathField(QLineEdit* field, QDropEvent* event);

    Desktop& desktop_;
    bool centred_ = false;
    // The control the focus went to from the date field, until the field's
    // checks have run.
    QPointer<QWidget> departure_;
    // A control whose press was refused because the date field keeps the
    // focus; its release is refused too.
    QPointer<QWidget> swallowRelease_;
    // The control of this window that had the focus last.
    QPointer<QWidget> lastFocus_;
};

}  // namespace celestra
