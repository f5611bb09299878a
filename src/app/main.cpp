#include "app/CaretRest.h"
#include "app/CommandLine.h"
#include "app/EndSignals.h"
#include "app/HandOver.h"
#include "app/SessionJournal.h"
#include "app/Shutdown.h"
#include "common/Product.h"
#include "common/ProgramIcon.h"
#include "main_window/Form1.h"
#include "main_window/StatusBar.h"
#include "webview/ColorScheme.h"
#include "webview/RenderingChoice.h"
#include "webview/WebView.h"
#include "webview/engine/BrowserProfile.h"
#include "webview/engine/EngineDefaults.h"
#include "webview/engine/SpellDictionaries.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace {

// A window for a later start that handed over, opened as New Window opens one, and brought to
// the front: the user has just asked for it.
void openHandedOverWindow(const QString &address, bool isPrivate)
{
    Form1 *window = Form1::open({address, {}, isPrivate});
    window->raise();
    window->activateWindow();
}

// Said once, when the first page has come: the load's own status texts would hide it before.
void sayDataNotKept(Form1 *window)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(
        window->WebBrowser1, &WebView::DocumentComplete, window, [window, connection] {
            QObject::disconnect(*connection);
            window->StatusBar1->setPanelText(1, QStringLiteral("Site data is not kept in this "
                                                               "window: another Zarvo Velmora is "
                                                               "using it."));
        });
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine(arguments);
    if (!commandLine.isValid()) {
        std::fprintf(stderr, "%s\n", qPrintable(commandLine.error()));
        return 2;
    }

    // First of all: a start that hands over to the running browser ends before it has made an
    // application object, so it costs little and needs no display.
    HandOver handOver(BrowserProfile::dataFolder());
    const HandOver::Outcome outcome = handOver.ask(commandLine.address(), commandLine.isPrivate());
    if (outcome == HandOver::Outcome::HandedOver)
        return 0;
    const bool offTheRecord =
        outcome == HandOver::Outcome::Elsewhere || outcome == HandOver::Outcome::Unresponsive;
    if (offTheRecord)
        BrowserProfile::keepNothing();

    // How the page is drawn, and with it whether OpenGL is set up at all: before the application.
    RenderingChoice::beforeApplication();
    // The toolkit and the engine see the program's name only: the address is ours.
    int applicationArgc = 1;
    QApplication app(applicationArgc, argv);
    QCoreApplication::setApplicationName(Product::ExecutableName);
    QGuiApplication::setDesktopFileName(Product::DesktopId);
    // Every window without an icon of its own, the dialogs included, shows the program's.
    QApplication::setWindowIcon(ProgramIcon::icon());
    RenderingChoice::apply();
    // The windows' web view, dialogs and options are the engine's; nothing of it starts yet.
    EngineDefaults::install();
    // The engine takes the dark preference only as a switch when it starts, with the first page.
    ColorScheme::beforeEngine();
    SpellDictionaries::beforeEngine();
    // The windows of a run that ended without the user's choice come back; a browser off the
    // record keeps no journal (the running browser keeps its own).
    std::unique_ptr<SessionJournal> journal;
    if (!offTheRecord)
        journal =
            std::make_unique<SessionJournal>(SessionJournal::fileIn(BrowserProfile::dataFolder()));
    // A caret left blinking would wake an idle browser twice a second.
    const CaretRest caretRest;
    // A logout or kill closes the windows as their close boxes do: what pages stored is kept,
    // and so is the journal of the windows, as they were before the end began.
    EndSignals endSignals;
    if (journal)
        QObject::connect(&endSignals, &EndSignals::received, journal.get(),
                         &SessionJournal::writeNow);
    QObject::connect(&endSignals, &EndSignals::received, &app, &Shutdown::endOnSignal);

    if (outcome == HandOver::Outcome::Unanswered && handOver.listen()) {
        QObject::connect(&handOver, &HandOver::windowRequested, &app, &openHandedOverWindow);
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &handOver, &HandOver::stop);
    }

    Form1 *startUp = Form1::open({commandLine.address(), {}, commandLine.isPrivate()});
    if (offTheRecord)
        sayDataNotKept(startUp);
    if (journal) {
        journal->start();
        journal->offer(startUp);
    }

    const int status = QApplication::exec();
    // The user ended the browser (the last window closed, or Exit): nothing is to come back.
    if (journal && !Shutdown::endedFromOutside())
        journal->remove();
    journal.reset();
    Shutdown::releaseWindowsAndProfile();
    return status;
}
