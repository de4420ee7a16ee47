// The real window program, as its main runs it: each file dialog is opened
// and cancelled, then the window is closed. The process must end with
// status 0; a dialog deleted twice at shutdown ends it with a signal, which
// CTest reports as a failure.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "ui/Unit1.h"
#include "ui/window_main.h"

namespace {

// Cancels the modal dialog as soon as it is open; gives up after 10 s.
void CancelNextDialog(int triesLeft = 1000) {
    QTimer::singleShot(10, [triesLeft] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
        } else if (triesLeft > 0) {
            CancelNextDialog(triesLeft - 1);
        } else {
            std::fputs("no dialog opened\n", stderr);
            std::exit(3);
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    int clicks = 0;
    return celestra::RunWindow(argc, argv, [&clicks](celestra::TForm1& form) {
        QTimer::singleShot(0, &form, [&form, &clicks] {
            CancelNextDialog();
            form.Button2->click();  // returns once the dialog is cancelled
            ++clicks;
            CancelNextDialog();
            form.Button3->click();
            ++clicks;
            form.close();
        });
    }) == 0 && clicks == 2 ? 0 : 1;
}
