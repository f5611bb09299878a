#include "app/Product.h"
#include "app/ProgramIcon.h"
#include "app/Shutdown.h"
#include "main_window/Form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The engine and the widgets share GL contexts; this must be set before the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(Product::ExecutableName);
    QGuiApplication::setDesktopFileName(Product::DesktopId);
    // Every window without an icon of its own, the dialogs included, shows the program's.
    QApplication::setWindowIcon(ProgramIcon::icon());

    Form1 *startUp = Form1::newLoaded();
    startUp->showMaximized();

    const int status = QApplication::exec();
    Shutdown::releaseWindowsAndProfile();
    return status;
}
