// celestra: the window.
#include <QApplication>

#include "ui/Unit1.h"
#include "ui/app_identity.h"
#include "ui/qt_desktop.h"
#include "ui/text_bytes.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::string executablePath = celestra::ToBytes(QCoreApplication::applicationFilePath());
    celestra::QtDesktop desktop(celestra::ApplicationTitle(executablePath));
    celestra::TForm1 form(desktop, executablePath);
    desktop.SetWindow(&form);
    form.show();
    return QApplication::exec();
}
