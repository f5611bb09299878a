// The browser's own start-up, then a second main window as File > New Window makes it: loaded,
// then shown maximised. Started by the bench driver, which measures from outside.
//
// It prints "loaded 1" when the start-up window's home page is complete. Commands on standard
// input: "second" opens the second main window and prints "loaded 2 MS" when its home page is
// complete, MS counted from the command; "quit" (or the end of input) ends the program.
#include "StdinCommands.h"

#include "app/Shutdown.h"
#include "common/Product.h"
#include "main_window/Form1.h"
#include "webview/RenderingChoice.h"
#include "webview/WebView.h"
#include "webview/engine/EngineDefaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    // As the program's own main().
    // How the page is drawn, and with it whether OpenGL is set up at all: before the application.
    RenderingChoice::beforeApplication();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(Product::ExecutableName);
    RenderingChoice::apply();
    EngineDefaults::install();
    Form1 *startUp = Form1::newLoaded();
    startUp->showMaximized();

    QObject::connect(startUp->WebBrowser1, &WebView::DocumentComplete, [] {
        std::printf("loaded 1\n");
        std::fflush(stdout);
    });

    Form1 *second = nullptr;
    QElapsedTimer sinceCommand;
    StdinCommands commands;
    QObject::connect(&commands, &StdinCommands::command, [&](const QByteArray &line) {
        if (line == "second" && !second) {
            sinceCommand.start();
            second = Form1::newLoaded();
            second->showMaximized();
            QObject::connect(second->WebBrowser1, &WebView::DocumentComplete, [&sinceCommand] {
                std::printf("loaded 2 %.3f\n", double(sinceCommand.nsecsElapsed()) / 1e6);
                std::fflush(stdout);
            });
        } else if (line == "quit") {
            QApplication::quit();
        }
    });
    const int status = QApplication::exec();
    Shutdown::releaseWindowsAndProfile();
    return status;
}
