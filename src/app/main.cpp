#include "app/Product.h"
#include "app/Shutdown.h"
#include "main_window/Form1.h"
#include "webview/RenderingChoice.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // How the page is drawn, and with it whether OpenGL is set up at all: before the application.
    RenderingChoice::beforeApplication();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(Product::ExecutableName);
    QGuiApplication::setDesktopFileName(Product::DesktopId);
    RenderingChoice::apply();

    Form1 *startUp = Form1::newLoaded();
    startUp->showMaximized();

    const int status = QApplication::exec();
    Shutdown::releaseWindowsAndProfile();
    return status;
}
