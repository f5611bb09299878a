// The floor: a bare program that shows one QWebEngineView on a page and nothing else, with the
// engine's default profile. The bench starts it beside the browser and compares.
//
// Usage: bench_bare URL. It prints "loaded 1" when the page has finished loading. Commands on
// standard input: "second" opens a second view on the same page and prints "loaded 2 MS" when that
// one has finished, MS counted from the command; "quit" (or the end of input) ends the program.
#include "StdinCommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWebEngineView>
#include <cstdio>

namespace {

// As large as the browser's restored main window (its design size in twips), so both paint as
// many pixels when no window manager maximises them.
QWebEngineView *openView(const QUrl &url)
{
    auto *view = new QWebEngineView;
    const double scale = view->logicalDpiX() / 1440.0;
    view->resize(qRound(10770 * scale), qRound(10545 * scale));
    view->load(url);
    view->showMaximized();
    return view;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bare URL\n");
        return 2;
    }
    const QUrl url = QUrl::fromUserInput(QString::fromLocal8Bit(argv[1]));

    QWebEngineView *first = openView(url);
    QObject::connect(first, &QWebEngineView::loadFinished, [] {
        std::printf("loaded 1\n");
        std::fflush(stdout);
    });

    QWebEngineView *second = nullptr;
    QElapsedTimer sinceCommand;
    StdinCommands commands;
    QObject::connect(&commands, &StdinCommands::command, [&](const QByteArray &line) {
        if (line == "second" && !second) {
            sinceCommand.start();
            second = openView(url);
            QObject::connect(second, &QWebEngineView::loadFinished, [&sinceCommand] {
                std::printf("loaded 2 %.3f\n", double(sinceCommand.nsecsElapsed()) / 1e6);
                std::fflush(stdout);
            });
        } else if (line == "quit") {
            QApplication::quit();
        }
    });
    const int status = QApplication::exec();
    delete second;
    delete first;
    return status;
}
