#include "about/Form2.h"
#include "app/Product.h"
#include "app/Shutdown.h"
#include "app/Twips.h"
#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "main_window/StatusBar.h"
#include "support/FakeWebView.h"
#include "support/TestMain.h"
#include "support/WorkingFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

QList<Form1 *> mainWindows()
{
    QList<Form1 *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<Form1 *>(widget); window && window->isVisible())
            windows.append(window);
    }
    return windows;
}

QList<Form2 *> aboutWindows()
{
    QList<Form2 *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<Form2 *>(widget); window && window->isVisible())
            windows.append(window);
    }
    return windows;
}

FakeWebView *viewOf(const Form1 *window)
{
    return qobject_cast<FakeWebView *>(window->WebBrowser1);
}

QAction *item(const Form1 *window, const QString &name)
{
    return window->findChild<QAction *>(name);
}

// One line per item in display order: level, name, caption, accelerator.
void describe(const QMenu *menu, int level, QStringList &rows)
{
    for (const QAction *action : menu->actions()) {
        rows.append(QStringLiteral("%1 %2 %3 %4")
                        .arg(level)
                        .arg(action->objectName(), action->isSeparator() ? "-" : action->text(),
                             action->shortcut().toString())
                        .trimmed());
        if (action->menu())
            describe(action->menu(), level + 1, rows);
    }
}

} // namespace

// The menu bar of the main window and its commands, on fake web views.
class MenusTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void theMenuTreeAsDesigned();
    void everyItemIsAPlainCommand();
    void theRestoredClientAreaLiesBelowTheMenuBar();
    void eachItemCallsItsOwnWindowsView_data();
    void eachItemCallsItsOwnWindowsView();
    void acceleratorsRunTheirItems_data();
    void acceleratorsRunTheirItems();
    void largestThenSmallestSetsFourThenZero();
    void newWindowTwiceGivesThreeLoadedWindows();
    void exitInASecondWindowLeavesTheFirst();
    void exitInTheOnlyMainWindowKeepsTheProgramWhileAnotherWindowIsOpen();
    void aboutFromTwoWindowsGivesOneModelessWindow();
    void aboutAfterClosingItGivesAFreshWindow();

    void viewSourceWritesTheMarkupAndOpensTheEditor();
    void viewSourceInAFolderWithBlanksAndQuotes();
    void aSecondViewSourceReplacesTheFile();
    void viewSourceThatCannotWriteStartsNoEditor();
    void viewSourceWithoutAnEditorKeepsTheFile();
    void viewSourceWithoutADocumentDoesNothing();

  private:
    // Puts a fake xdg-open first on PATH; it logs each start's arguments to m_editorLog.
    void installFakeEditor();
    QStringList editorRuns() const;

    std::unique_ptr<WorkingFolder> m_folder;
    std::unique_ptr<FakeWebView::Install> m_fakes;
    Form1 *m_window = nullptr;
    QTemporaryDir m_editorDir;
    QString m_editorLog;
    QByteArray m_path = qgetenv("PATH");
};

void MenusTest::init()
{
    m_folder = std::make_unique<WorkingFolder>();
    m_fakes = std::make_unique<FakeWebView::Install>();
    m_window = Form1::newLoaded();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QApplication::setActiveWindow(m_window);
    viewOf(m_window)->calls.clear();
}

void MenusTest::cleanup()
{
    Shutdown::deleteWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_fakes.reset();
    m_folder.reset();
    qputenv("PATH", m_path);
}

void MenusTest::theMenuTreeAsDesigned()
{
    QStringList rows;
    for (const QAction *action : m_window->menuBar()->actions()) {
        rows.append("0 " + action->objectName() + " " + action->text());
        describe(action->menu(), 1, rows);
    }
    const QStringList expected = {
        "0 mnufile File",
        "1 mnunew New Window F12",
        "1 mnusaveas Save As... Ctrl+S",
        "1 mnusep01 -",
        "1 mnupagesetup Page Setup...",
        "1 mnuprint Print... Ctrl+P",
        "1 mnupreview Print Preview...",
        "1 mnusep02 -",
        "1 mnuproperties Properties",
        "1 mnuexit Exit Ctrl+E",
        "0 mnuedit Edit",
        "1 mnucut Cut",
        "1 mnucopy Copy",
        "1 mnupaste Paste",
        "1 mnusep03 -",
        "1 mnuselectall Select All",
        "1 mnusep04 -",
        "0 mnuview View",
        "1 mnugoto Go To",
        "2 mnuback Back",
        "2 mnuforward Forward",
        "2 mnusep05 -",
        "2 mnuhomepage Home Page Ctrl+H",
        "1 mnustop Stop",
        "1 mnurefresh Refresh F5",
        "1 mnusep06 -",
        "1 mnutextsize Text Size",
        "2 mnulargest Largest",
        "2 mnularge Large",
        "2 mnumedium Medium",
        "2 mnusmall Small",
        "2 mnusmallest Smallest",
        "1 mnuviewsource View Source F2",
        "0 mnutools Tools",
        "1 mnuwindowsupdate Update Browser Ctrl+U",
        "1 mnusep07 -",
        "1 mnuinternetoptions Zarvo Velmora Options Ctrl+O",
        "0 mnuhelp Help",
        "1 mnuonlinesupport Online Support F1",
        "1 mnunews Zarvo News F6",
        "1 mnuaboutss About Zarvo Velmora Ctrl+A",
    };
    QCOMPARE(rows, expected);
}

void MenusTest::everyItemIsAPlainCommand()
{
    // Shown, enabled, unmarked, without access keys; separators are drawn, also the last one
    // of Edit (a menu hides a trailing separator unless told not to).
    const QList<QAction *> actions =
        m_window->findChildren<QAction *>(QRegularExpression("^mnu"), Qt::FindChildrenRecursively);
    QCOMPARE(actions.size(), 41);
    for (const QAction *action : actions) {
        QVERIFY2(action->isVisible() && action->isEnabled(), qPrintable(action->objectName()));
        QVERIFY2(!action->isCheckable(), qPrintable(action->objectName()));
        QVERIFY2(!action->text().contains('&'), qPrintable(action->objectName()));
    }
    const auto *edit = m_window->findChild<QMenu *>("mnuedit");
    QVERIFY(edit->actions().last()->isSeparator());
    QVERIFY(!edit->separatorsCollapsible());
}

void MenusTest::theRestoredClientAreaLiesBelowTheMenuBar()
{
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QWidget *client = window.centralWidget();
    QVERIFY(client->y() >= window.menuBar()->height());
    const QRect design = Twips::toPixels(QRectF(8160, 855, 10770, 10545), Twips::dpiOf(&window));
    QCOMPARE(client->size(), design.size());
    QCOMPARE(client->mapToGlobal(QPoint(0, 0)), design.topLeft());
}

void MenusTest::eachItemCallsItsOwnWindowsView_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("call");
    QTest::newRow("Save As") << "mnusaveas"
                             << "ExecWB 4 0";
    QTest::newRow("Page Setup") << "mnupagesetup"
                                << "ExecWB 8 0";
    QTest::newRow("Print") << "mnuprint"
                           << "ExecWB 6 0";
    QTest::newRow("Print Preview") << "mnupreview"
                                   << "ExecWB 7 0";
    QTest::newRow("Properties") << "mnuproperties"
                                << "ExecWB 10 0";
    QTest::newRow("Cut") << "mnucut"
                         << "ExecWB 11 0";
    QTest::newRow("Copy") << "mnucopy"
                          << "ExecWB 12 0";
    QTest::newRow("Paste") << "mnupaste"
                           << "ExecWB 13 0";
    QTest::newRow("Select All") << "mnuselectall"
                                << "ExecWB 17 0";
    QTest::newRow("Back") << "mnuback"
                          << "GoBack";
    QTest::newRow("Forward") << "mnuforward"
                             << "GoForward";
    QTest::newRow("Home Page") << "mnuhomepage"
                               << "GoHome";
    QTest::newRow("Stop") << "mnustop"
                          << "Stop";
    QTest::newRow("Refresh") << "mnurefresh"
                             << "Refresh";
    QTest::newRow("Largest") << "mnulargest"
                             << "ExecWB 19 2 in=4 out=1";
    QTest::newRow("Large") << "mnularge"
                           << "ExecWB 19 2 in=3 out=1";
    QTest::newRow("Medium") << "mnumedium"
                            << "ExecWB 19 2 in=2 out=1";
    QTest::newRow("Small") << "mnusmall"
                           << "ExecWB 19 2 in=1 out=1";
    QTest::newRow("Smallest") << "mnusmallest"
                              << "ExecWB 19 2 in=0 out=1";
    // No scheme, a backslash before the page: the view gets the text as it stands.
    QTest::newRow("Update Browser") << "mnuwindowsupdate"
                                    << "Navigate " + Product::MakerPageHost + "\\zvup.htm";
    QTest::newRow("Online Support") << "mnuonlinesupport"
                                    << "Navigate http://" + Product::MakerSupportHost;
    QTest::newRow("Zarvo News") << "mnunews"
                                << "Navigate http://" + Product::MakerPageHost + "/news.htm";
}

void MenusTest::eachItemCallsItsOwnWindowsView()
{
    QFETCH(QString, name);
    QFETCH(QString, call);
    Form1 *second = Form1::newLoaded();
    second->show();
    viewOf(second)->calls.clear();

    item(second, name)->trigger();
    QCOMPARE(viewOf(second)->calls, QStringList{call});
    QCOMPARE(viewOf(m_window)->calls, QStringList());
    QCOMPARE(mainWindows().size(), 2);
    QVERIFY(!QApplication::activeModalWidget());
}

void MenusTest::acceleratorsRunTheirItems_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("call");
    QTest::newRow("Ctrl+S") << QKeySequence("Ctrl+S") << "ExecWB 4 0";
    QTest::newRow("Ctrl+P") << QKeySequence("Ctrl+P") << "ExecWB 6 0";
    QTest::newRow("Ctrl+H") << QKeySequence("Ctrl+H") << "GoHome";
    QTest::newRow("F5") << QKeySequence("F5") << "Refresh";
    QTest::newRow("Ctrl+U") << QKeySequence("Ctrl+U")
                            << "Navigate " + Product::MakerPageHost + "\\zvup.htm";
    QTest::newRow("F1") << QKeySequence("F1") << "Navigate http://" + Product::MakerSupportHost;
    QTest::newRow("F6") << QKeySequence("F6")
                        << "Navigate http://" + Product::MakerPageHost + "/news.htm";
}

void MenusTest::acceleratorsRunTheirItems()
{
    QFETCH(QKeySequence, key);
    QFETCH(QString, call);
    m_window->WebBrowser1->setFocus();
    QTest::keySequence(m_window, key);
    QCOMPARE(viewOf(m_window)->calls, QStringList{call});
}

void MenusTest::largestThenSmallestSetsFourThenZero()
{
    item(m_window, "mnulargest")->trigger();
    item(m_window, "mnusmallest")->trigger();
    QCOMPARE(viewOf(m_window)->calls,
             QStringList({"ExecWB 19 2 in=4 out=1", "ExecWB 19 2 in=0 out=1"}));
}

void MenusTest::newWindowTwiceGivesThreeLoadedWindows()
{
    WorkingFolder::write("Favorites.DAT", "http://fav/\r\n");
    const int stamps = ListFile::ReadLines("History.DAT").entries.size();
    item(m_window, "mnunew")->trigger();
    m_window->WebBrowser1->setFocus();
    QTest::keyClick(m_window, Qt::Key_F12);

    const QList<Form1 *> windows = mainWindows();
    QCOMPARE(windows.size(), 3);
    QCOMPARE(ListFile::ReadLines("History.DAT").entries.size(), stamps + 2);
    for (Form1 *window : windows) {
        if (window == m_window)
            continue;
        QVERIFY(window->windowState() & Qt::WindowMaximized);
        QCOMPARE(viewOf(window)->calls, QStringList{"GoHome"});
        QCOMPARE(window->Text1->count(), 1); // each reads the favourites itself
    }
    QCOMPARE(viewOf(m_window)->calls, QStringList());
    QCOMPARE(m_window->Text1->count(), 0);
}

void MenusTest::exitInASecondWindowLeavesTheFirst()
{
    QPointer<Form1> second = Form1::newLoaded();
    second->show();
    QApplication::setActiveWindow(second);
    second->WebBrowser1->setFocus();
    QTest::keySequence(second, QKeySequence("Ctrl+E"));
    QTRY_VERIFY(!second);
    QCOMPARE(mainWindows(), QList<Form1 *>{m_window});
}

void MenusTest::exitInTheOnlyMainWindowKeepsTheProgramWhileAnotherWindowIsOpen()
{
    // Runs the program's own event loop: it ends by itself once no window is left.
    QPointer<Form2> about = Form2::showShared();
    QPointer<Form1> window = m_window;
    bool ranOnWithoutMainWindow = false;
    QTimer::singleShot(0, window, [window] { item(window, "mnuexit")->trigger(); });
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (window || !about)
            return;
        poll.stop();
        ranOnWithoutMainWindow = about->isVisible();
        about->close();
    });
    poll.start(10);
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); }); // never hang
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(ranOnWithoutMainWindow);
    QVERIFY(!window);
}

void MenusTest::aboutFromTwoWindowsGivesOneModelessWindow()
{
    Form1 *second = Form1::newLoaded();
    second->show();
    QApplication::setActiveWindow(second);
    second->WebBrowser1->setFocus();
    QTest::keySequence(second, QKeySequence("Ctrl+A"));
    QCOMPARE(aboutWindows().size(), 1);
    item(m_window, "mnuaboutss")->trigger();
    item(second, "mnuaboutss")->trigger();
    QCOMPARE(aboutWindows().size(), 1);
    Form2 *about = aboutWindows().first();
    QVERIFY(!about->parent());
    QVERIFY(!about->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(about->windowTitle(), QString("About Zarvo Velmora  1.0"));

    // The main windows still take input.
    m_window->Text1->setFocus();
    QTest::keyClicks(m_window->Text1, "typed");
    QCOMPARE(m_window->Text1->currentText(), QString("typed"));
}

void MenusTest::aboutAfterClosingItGivesAFreshWindow()
{
    QPointer<Form2> first = Form2::showShared();
    first->close();
    // Asked again before the closed one is gone: a new window, which stays.
    QPointer<Form2> second = Form2::showShared();
    QVERIFY(second != first);
    QTRY_VERIFY(!first);
    QVERIFY(second && second->isVisible());
    QCOMPARE(aboutWindows().size(), 1);
}

void MenusTest::installFakeEditor()
{
    QVERIFY(m_editorDir.isValid());
    m_editorLog = m_editorDir.filePath("runs.log");
    QFile::remove(m_editorLog);
    const QString script = m_editorDir.filePath("xdg-open");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    // Each run: its argument count, then each argument, one line each, in one write.
    file.write("#!/bin/sh\n"
               "entry=\"$#\"\n"
               "for a in \"$@\"; do entry=\"$entry|$a\"; done\n"
               "printf '%s\\n' \"$entry\" >> \"$ZV_FAKE_EDITOR_LOG\"\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("ZV_FAKE_EDITOR_LOG", m_editorLog.toUtf8());
    qputenv("PATH", m_editorDir.path().toUtf8() + ':' + m_path);
}

QStringList MenusTest::editorRuns() const
{
    QFile file(m_editorLog);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void MenusTest::viewSourceWritesTheMarkupAndOpensTheEditor()
{
    installFakeEditor();
    viewOf(m_window)->markup =
        QString::fromUtf16(u"<head><title>T</title></head>\n<body>\n"
                           u"<p>caf\u00e9 \u20ac \u4e2d\U0001F600</p>\r\n</body>");
    m_window->WebBrowser1->setFocus();
    QTest::keyClick(m_window, Qt::Key_F2);

    // Lines unchanged, one CR LF after the last; what Windows-1252 cannot hold is '?'.
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"),
             QByteArray("<head><title>T</title></head>\n<body>\n"
                        "<p>caf\xE9 \x80 ?"
                        "?</p>\r\n</body>\r\n"));
    const QString fullPath = QDir::current().absoluteFilePath("VIEWSOURCE.TXT");
    QTRY_COMPARE(editorRuns(), QStringList{"1|" + fullPath});
}

void MenusTest::viewSourceInAFolderWithBlanksAndQuotes()
{
    installFakeEditor();
    const QString odd = m_folder->file("my 'odd' \"folder\" $HOME;&");
    QVERIFY(QDir().mkpath(odd));
    QVERIFY(QDir::setCurrent(odd));
    viewOf(m_window)->markup = "<body></body>";
    item(m_window, "mnuviewsource")->trigger();
    QCOMPARE(WorkingFolder::read(odd + "/VIEWSOURCE.TXT"), QByteArray("<body></body>\r\n"));
    QTRY_COMPARE(editorRuns(), QStringList{"1|" + odd + "/VIEWSOURCE.TXT"});
}

void MenusTest::aSecondViewSourceReplacesTheFile()
{
    installFakeEditor();
    viewOf(m_window)->markup = "<body>a longer first page</body>";
    item(m_window, "mnuviewsource")->trigger();
    viewOf(m_window)->markup = "<b>2</b>";
    item(m_window, "mnuviewsource")->trigger();
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"), QByteArray("<b>2</b>\r\n"));
    QTRY_COMPARE(editorRuns().size(), 2); // one more editor each time
}

void MenusTest::viewSourceThatCannotWriteStartsNoEditor()
{
    installFakeEditor();
    QVERIFY(QDir().mkdir("VIEWSOURCE.TXT"));
    viewOf(m_window)->markup = "<body>x</body>";
    item(m_window, "mnuviewsource")->trigger();
    QVERIFY(QFileInfo("VIEWSOURCE.TXT").isDir());
    QVERIFY(!m_window->StatusBar1->panelText(1).isEmpty());
    QVERIFY(!QApplication::activeModalWidget());

    // Once the file can be written, the next run starts the editor: only that one ran.
    QVERIFY(QDir().rmdir("VIEWSOURCE.TXT"));
    item(m_window, "mnuviewsource")->trigger();
    QTRY_COMPARE(editorRuns().size(), 1);
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"), QByteArray("<body>x</body>\r\n"));
}

void MenusTest::viewSourceWithoutAnEditorKeepsTheFile()
{
    QTemporaryDir empty;
    qputenv("PATH", empty.path().toUtf8());
    viewOf(m_window)->markup = "<body>kept</body>";
    item(m_window, "mnuviewsource")->trigger();
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"), QByteArray("<body>kept</body>\r\n"));
    QVERIFY(!m_window->StatusBar1->panelText(1).isEmpty());
    QVERIFY(m_window->isVisible());
}

void MenusTest::viewSourceWithoutADocumentDoesNothing()
{
    WorkingFolder::write("VIEWSOURCE.TXT", "earlier\r\n");
    viewOf(m_window)->markup = std::nullopt;
    item(m_window, "mnuviewsource")->trigger();
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"), QByteArray("earlier\r\n"));
}

ZV_TEST_MAIN(MenusTest)
#include "tst_menus.moc"
