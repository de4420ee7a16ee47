#include "ui/qt/window_main.h"

#include <QApplication>

#include "platform/platform_file.h"
#include "ui/app_identity.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_desktop.h"
#include "ui/qt/qt_font_fit.h"

namespace celestra {

int RunWindow(int& argc, char** argv, const std::function<void(MainWindow&)>& shown) {
    QApplication application(argc, argv);
    // Boxes and dialogs in the window's faces, at the system's size.
    QFont boxFont = QApplication::font();
    boxFont.setFamilies(WindowFontFamilies());
    QApplication::setFont(boxFont);
    const std::string executablePath = ExecutablePath(argv[0]);
    QtDesktop desktop(ApplicationTitle(executablePath));
    MainWindow form(desktop, executablePath);
    desktop.SetWindow(&form);
    form.show();
    if (shown) shown(form);
    return QApplication::exec();
}

}  // namespace celestra
