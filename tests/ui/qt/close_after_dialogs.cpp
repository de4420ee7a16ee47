// The real window program, as its main runs it: one file dialog is
// cancelled, the other answered with a file, then the window is closed. The
// dialogs are in the window's faces. The process must end with
// status 0; a dialog deleted twice at shutdown ends it with a signal, which
// CTest reports as a failure.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "platform/platform_file.h"
#include "ui/app_identity.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_font_fit.h"
#include "ui/qt/window_main.h"
#include "ui/settings_file.h"

namespace {

// Answers the file dialog as soon as it is open: cancels it, or chooses
// `fileName` when one is given. Gives up after 10 s.
void AnswerNextDialog(const QString& fileName, int triesLeft = 1000) {
    QTimer::singleShot(10, [fileName, triesLeft] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            // In the window's faces, not whatever "sans-serif" is on this system.
            if (dialog->font().families() != celestra::WindowFontFamilies()) {
                std::fputs("the dialog is not in the window's faces\n", stderr);
                std::exit(5);
            }
            if (fileName.isEmpty()) {
                dialog->reject();
            } else {
                // Typed into the name field, as a user does: selectFile() may
                // be lost while the dialog is still listing its folder.
                auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (nameField == nullptr) std::exit(4);
                nameField->setText(fileName);
                static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the name
            }
        } else if (triesLeft > 0) {
            AnswerNextDialog(fileName, triesLeft - 1);
        } else {
            std::fputs("no dialog opened\n", stderr);
            std::exit(3);
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    // Start from no settings, so that the paths seen below come from the dialogs.
    std::remove((celestra::ProgramFolder(celestra::ExecutablePath(argv[0])) + celestra::kSettingsFileName).c_str());
    bool answered = false;
    const int status = celestra::RunWindow(argc, argv, [&answered](celestra::MainWindow& form) {
        QTimer::singleShot(0, &form, [&form, &answered] {
            AnswerNextDialog(QString());
            form.CometFileButton->click();  // returns once the dialog is answered
            AnswerNextDialog(QStringLiteral("chosen-objects"));
            form.ObjectFileButton->click();
            answered = form.CometPathField->text().isEmpty() &&
                       form.ObjectPathField->text().endsWith(QStringLiteral("/chosen-objects.txt"));
            form.close();
        });
    });
    if (!answered) std::fputs("the dialogs did not answer as expected\n", stderr);
    return status == 0 && answered ? 0 : 1;
}
