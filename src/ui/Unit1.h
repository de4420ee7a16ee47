// TForm1: the program's one window. Its handlers forward to the core run,
// the date mask, the spinner position and the settings file; every error
// that leaves a handler ends in the error box.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "core/processing_run.h"
#include "ui/desktop.h"
#include "ui/settings_file.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace celestra {

class TMaskEdit;
class TUpDown;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // Builds the window and runs the start-up initialisation. The settings
    // file is looked for beside the executable.
    TForm1(Desktop& desktop, const std::string& executablePath);

    QPushButton* Button2;  // "Comet.dat": picks the comet-elements file
    QPushButton* Button3;  // "Objetos": picks the object list
    QLineEdit* Edit4;      // the comet-elements file's path
    QLineEdit* Edit5;      // the object list's path
    QPushButton* Button4;  // "Proceso": the processing run
    TMaskEdit* MaskEdit1;  // the observation date
    QPushButton* Button5;  // "Hoy": the default observation date
    TUpDown* UpDown1;      // the day spinner
    QLabel* Label7;        // "Fecha:"
    OpenDialog OpenDialog1;
    OpenDialog OpenDialog2;

    const std::string& ProgramFolderPath() const { return programFolder_; }
    // Where the settings were read from and are written to.
    const SettingsLocation& Settings() const { return settings_; }
    // What the run works on: the two paths, the date and the two hidden
    // line lists.
    const RunState& State() const { return state_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate(const std::string& executablePath);
    void FormClose();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void UpDown1Click(bool up);
    void MaskEdit1Exit();

    void BuildControls();
    // Each caption and the date at the largest size up to the layout's
    // that fits its control.
    void FitFonts();
    void SetDefaultObservationDate();
    // The mask check: when it fails, beep, focus back on the first empty
    // position, and the mask error.
    void CheckMask();
    // True when the date field's text reads as a date.
    bool DateTextConverts() const;
    // True when leaving the date field now would send the focus back.
    bool DateFieldRefusesToLeave() const;
    void LeaveDateField();
    // Runs a handler; an error that leaves it goes to the error box.
    void Guarded(const std::function<void()>& handler);

    Desktop& desktop_;
    std::string programFolder_;
    SettingsLocation settings_;
    RunState state_;
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
