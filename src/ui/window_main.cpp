#include "ui/window_main.h"

#include <QApplication>

#include "ui/Unit1.h"
#include "ui/app_identity.h"
#include "ui/qt_desktop.h"
#include "ui/text_bytes.h"

namespace celestra {

int RunWindow(int& argc, char** argv, const std::function<void(TForm1&)>& shown) {
    QApplication application(argc, argv);
    const std::string executablePath = ToBytes(QCoreApplication::applicationFilePath());
    QtDesktop desktop(ApplicationTitle(executablePath));
    TForm1 form(desktop, executablePath);
    desktop.SetWindow(&form);
    form.show();
    if (shown) shown(form);
    return QApplication::exec();
}

}  // namespace celestra
