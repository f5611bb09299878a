#include "about/Form2.h"
#include "common/Product.h"
#include "common/Twips.h"
#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "main_window/StatusBar.h"
#include "search/SearchAddress.h"
#include "support/FakeWebView.h"
#include "support/ModalDialogs.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "support/Windows.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

QAction *item(const Form1 *window, const QString &name)
{
    return window->findChild<QAction *>(name);
}

// One line per item in display order: level, name, caption (separators "-"), accelerator.
void describe(const QList<QAction *> &actions, int level, QStringList &rows)
{
    for (const QAction *action : actions) {
        const QString caption = action->isSeparator() && action->isVisible() ? "-" : action->text();
        rows.append(QStringLiteral("%1 %2 %3 %4")
                        .arg(level)
                        .arg(action->objectName(), caption, action->shortcut().toString())
                        .trimmed());
        if (action->menu())
            describe(action->menu()->actions(), level + 1, rows);
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
    void theRestoredClientAreaLiesBelowTheMenuBar();
    void eachItemCallsItsOwnWindowsView_data();
    void eachItemCallsItsOwnWindowsView();
    void largestThenSmallestSetsFourThenZero();
    void newWindowTwiceGivesThreeLoadedWindows();
    void exitInASecondWindowLeavesTheFirst();
    void exitInTheOnlyMainWindowKeepsTheProgramWhileAnotherWindowIsOpen();
    void aboutIsOneSharedModelessWindow();
    void theAboutWindowAsDesigned();
    void viewSourceWritesTheMarkupAndStartsTheEditor();
    void viewSourceFailuresEndTheCommandQuietly();
    void eachKeyActsOnItsOwnWindowsView_data();
    void eachKeyActsOnItsOwnWindowsView();
    void keysForTheAddressBoxAndTheWindows();
    void editingKeysStayInAFocusedBox_data();
    void editingKeysStayInAFocusedBox();
    void pageMenuCommandsActOnTheWindow();

private:
    // A fake xdg-open first on PATH: each start appends "argc|arg|arg..." to a log.
    bool installFakeEditor();
    QStringList editorRuns() const;

    WindowFixture m_fixture;
    Form1 *m_window = nullptr;
    QTemporaryDir m_editorDir;
    const QByteArray m_path = qgetenv("PATH");
};

void MenusTest::init()
{
    m_fixture.start();
    m_window = m_fixture.showLoaded();
    QVERIFY(m_window);
    m_window->WebBrowser1->setFocus();
    FakeWebView::of(m_window)->calls.clear();
}

void MenusTest::cleanup()
{
    m_fixture.stop();
    qputenv("PATH", m_path);
}

void MenusTest::theMenuTreeAsDesigned()
{
    QStringList rows;
    describe(m_window->menuBar()->actions(), 0, rows);
    // Edit ends with a separator that is drawn: a menu hides a trailing one unless told not to.
    QVERIFY(!m_window->findChild<QMenu *>("mnuedit")->separatorsCollapsible());
    QCOMPARE(rows, QStringList({"0 mnufile File",
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
                                "1 mnuaboutss About Zarvo Velmora Ctrl+A"}));
}

void MenusTest::theRestoredClientAreaLiesBelowTheMenuBar()
{
    m_window->showNormal();
    const QWidget *client = m_window->centralWidget();
    const QRect design = Twips::toPixels(QRectF(8160, 855, 10770, 10545), Twips::dpiOf(m_window));
    QTRY_COMPARE(client->size(), design.size());
    QCOMPARE(client->mapToGlobal(QPoint(0, 0)), design.topLeft());
}

void MenusTest::eachItemCallsItsOwnWindowsView_data()
{
    QTest::addColumn<QString>("call");
    QTest::newRow("mnusaveas") << "ExecWB 4 0";
    QTest::newRow("mnupagesetup") << "ExecWB 8 0";
    QTest::newRow("mnuprint") << "ExecWB 6 0";
    QTest::newRow("mnupreview") << "ExecWB 7 0";
    QTest::newRow("mnuproperties") << "ExecWB 10 0";
    QTest::newRow("mnucut") << "ExecWB 11 0";
    QTest::newRow("mnucopy") << "ExecWB 12 0";
    QTest::newRow("mnupaste") << "ExecWB 13 0";
    QTest::newRow("mnuselectall") << "ExecWB 17 0";
    QTest::newRow("mnuback") << "GoBack";
    QTest::newRow("mnuforward") << "GoForward";
    QTest::newRow("mnuhomepage") << "GoHome";
    QTest::newRow("mnustop") << "Stop";
    QTest::newRow("mnurefresh") << "Refresh";
    QTest::newRow("mnulargest") << "ExecWB 19 2 in=4 out=1";
    QTest::newRow("mnularge") << "ExecWB 19 2 in=3 out=1";
    QTest::newRow("mnumedium") << "ExecWB 19 2 in=2 out=1";
    QTest::newRow("mnusmall") << "ExecWB 19 2 in=1 out=1";
    QTest::newRow("mnusmallest") << "ExecWB 19 2 in=0 out=1";
    // No scheme, a backslash before the page: the view gets the text as it stands.
    QTest::newRow("mnuwindowsupdate") << "Navigate " + Product::MakerPageHost + "\\zvup.htm";
    QTest::newRow("mnuonlinesupport") << "Navigate http://" + Product::MakerSupportHost;
    QTest::newRow("mnunews") << "Navigate http://" + Product::MakerPageHost + "/news.htm";
}

void MenusTest::eachItemCallsItsOwnWindowsView()
{
    QFETCH(QString, call);
    Form1 *second = m_fixture.showLoaded();
    QVERIFY(second);
    item(second, QTest::currentDataTag())->trigger();
    QCOMPARE(FakeWebView::of(second)->calls, QStringList{call});
    QCOMPARE(FakeWebView::of(m_window)->calls, QStringList());
    // The accelerators act on the active window.
    QApplication::setActiveWindow(m_window);
    const QKeySequence key = item(m_window, QTest::currentDataTag())->shortcut();
    if (!key.isEmpty()) {
        QTest::keySequence(m_window, key);
        QCOMPARE(FakeWebView::of(m_window)->calls, QStringList{call});
    }
}

void MenusTest::largestThenSmallestSetsFourThenZero()
{
    item(m_window, "mnulargest")->trigger();
    item(m_window, "mnusmallest")->trigger();
    QCOMPARE(FakeWebView::of(m_window)->calls,
             QStringList({"ExecWB 19 2 in=4 out=1", "ExecWB 19 2 in=0 out=1"}));
}

void MenusTest::newWindowTwiceGivesThreeLoadedWindows()
{
    WorkingFolder::write("Favorites.DAT", "http://fav/\r\n");
    const qsizetype stamps = ListFile::ReadLines("History.DAT").entries.size();
    item(m_window, "mnunew")->trigger();
    QTest::keyClick(m_window, Qt::Key_F12);
    QCOMPARE(shownWindows<Form1>().size(), 3);
    QCOMPARE(ListFile::ReadLines("History.DAT").entries.size(), stamps + 2);
    for (Form1 *window : shownWindows<Form1>()) {
        if (window == m_window)
            continue;
        QVERIFY(window->windowState() & Qt::WindowMaximized);
        QCOMPARE(FakeWebView::of(window)->calls, QStringList{"GoHome"});
        QCOMPARE(window->Text1->count(), 1);
    }
    QCOMPARE(FakeWebView::of(m_window)->calls, QStringList());
}

void MenusTest::exitInASecondWindowLeavesTheFirst()
{
    QPointer<Form1> second = Form1::newLoaded();
    second->show();
    QApplication::setActiveWindow(second);
    QTest::keySequence(second, QKeySequence("Ctrl+E"));
    QTRY_VERIFY(!second);
    QCOMPARE(shownWindows<Form1>(), QList<Form1 *>{m_window});
}

void MenusTest::exitInTheOnlyMainWindowKeepsTheProgramWhileAnotherWindowIsOpen()
{
    // The program's own event loop, which ends by itself once no window is left.
    QPointer<Form2> about = Form2::showShared();
    QPointer<Form1> window = m_window;
    bool ranOnWithoutMainWindow = false;
    QTimer::singleShot(0, window, [window] { item(window, "mnuexit")->trigger(); });
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (!window && about) {
            poll.stop();
            ranOnWithoutMainWindow = about->isVisible();
            about->close();
        }
    });
    poll.start(10);
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); }); // never hang
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(ranOnWithoutMainWindow);
}

void MenusTest::aboutIsOneSharedModelessWindow()
{
    Form1 *second = Form1::newLoaded();
    second->show();
    QApplication::setActiveWindow(second);
    second->WebBrowser1->setFocus();
    QTest::keySequence(second, QKeySequence("Ctrl+A"));
    QCOMPARE(shownWindows<Form2>().size(), 1);
    item(m_window, "mnuaboutss")->trigger();
    item(second, "mnuaboutss")->trigger();
    QCOMPARE(shownWindows<Form2>().size(), 1);
    QPointer<Form2> about = shownWindows<Form2>().first();
    QVERIFY(!about->parent() && !QApplication::activeModalWidget());

    // Closed, then asked for before the old one is gone: a fresh window, which stays.
    about->close();
    item(m_window, "mnuaboutss")->trigger();
    QTRY_VERIFY(!about);
    QCOMPARE(shownWindows<Form2>().size(), 1);
}

void MenusTest::theAboutWindowAsDesigned()
{
    Form2 about;
    const auto px = [&about](double l, double t, double w, double h) {
        return Twips::toPixels(QRectF(l, t, w, h), Twips::dpiOf(&about));
    };
    QCOMPARE(about.windowTitle(), QString("About Zarvo Velmora  1.0"));
    QCOMPARE(about.minimumSize(), px(0, 0, 4335, 1575).size());
    QCOMPARE(about.maximumSize(), about.minimumSize());
    QCOMPARE(about.windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
             Qt::WindowCloseButtonHint);
    // The picture at its natural size, drawn under the labels.
    QCOMPARE(about.Image1->geometry(), QRect(px(120, 120, 0, 0).topLeft(), QSize(96, 96)));
    QCOMPARE(about.Image1->pixmap().size(), QSize(96, 96));
    QVERIFY(about.children().indexOf(about.Label3) > about.children().indexOf(about.Image1));
    const struct {
        QLabel *label;
        const char *text;
        QRect box;
    } labels[] = {{about.Label1, "Program:", px(1680, 240, 855, 255)},
                  {about.Label2, "Version:", px(1680, 600, 855, 255)},
                  {about.Label3, "Devloped By:", px(1440, 960, 1095, 255)},
                  {about.Label4, "Zarvo Velmora", px(2640, 240, 1575, 255)},
                  {about.Label5, "1.0", px(2640, 600, 1575, 255)}};
    for (const auto &[label, text, box] : labels) {
        QCOMPARE(label->text(), QString(text));
        QCOMPARE(label->geometry(), box);
        // Captions right-aligned, values left; each text fits its box in the window's font.
        QCOMPARE(bool(label->alignment() & Qt::AlignRight), box.left() < px(2640, 0, 0, 0).left());
        QVERIFY(label->fontMetrics().horizontalAdvance(text) <= label->contentsRect().width());
    }
}

bool MenusTest::installFakeEditor()
{
    QFile script(m_editorDir.filePath("xdg-open"));
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    script.write("#!/bin/sh\nentry=\"$#\"\nfor a in \"$@\"; do entry=\"$entry|$a\"; done\n"
                 "printf '%s\\n' \"$entry\" >> \"$ZV_FAKE_EDITOR_LOG\"\n");
    script.close();
    QFile::remove(m_editorDir.filePath("runs.log"));
    qputenv("ZV_FAKE_EDITOR_LOG", m_editorDir.filePath("runs.log").toUtf8());
    qputenv("PATH", m_editorDir.path().toUtf8() + ':' + m_path);
    return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList MenusTest::editorRuns() const
{
    return QString::fromUtf8(WorkingFolder::read(m_editorDir.filePath("runs.log")))
        .split('\n', Qt::SkipEmptyParts);
}

void MenusTest::viewSourceWritesTheMarkupAndStartsTheEditor()
{
    QVERIFY(installFakeEditor());
    // No shell sees the path: blanks, quotes and shell characters stay as they are.
    const QString odd = QDir::current().filePath("my 'odd' \"folder\" $HOME;&");
    QVERIFY(QDir().mkpath(odd) && QDir::setCurrent(odd));
    FakeWebView::of(m_window)->markup =
        QString::fromUtf16(u"<head><title>T</title></head>\n<body>\n"
                           u"<p>caf\u00e9 \u20ac \u4e2d\U0001F600</p>\r\n</body>");
    QTest::keyClick(m_window, Qt::Key_F2);
    // Lines unchanged, one CR LF after the last; what Windows-1252 cannot hold is '?'.
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"), QByteArray("<head><title>T</title></head>\n"
                                                               "<body>\n<p>caf\xE9 \x80 ?"
                                                               "?</p>\r\n</body>\r\n"));
    QTRY_COMPARE(editorRuns(), QStringList{"1|" + odd + "/VIEWSOURCE.TXT"});

    FakeWebView::of(m_window)->markup = "<b>2</b>";
    item(m_window, "mnuviewsource")->trigger();
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"), QByteArray("<b>2</b>\r\n"));
    QTRY_COMPARE(editorRuns().size(), 2);
}

void MenusTest::viewSourceFailuresEndTheCommandQuietly()
{
    QVERIFY(installFakeEditor());
    FakeWebView::of(m_window)->markup = "<body>x</body>";
    QVERIFY(QDir().mkdir("VIEWSOURCE.TXT"));
    item(m_window, "mnuviewsource")->trigger();
    QVERIFY(QFileInfo("VIEWSOURCE.TXT").isDir());
    QVERIFY(!m_window->StatusBar1->panelText(1).isEmpty());

    // No document: nothing is written.
    QVERIFY(QDir().rmdir("VIEWSOURCE.TXT"));
    FakeWebView::of(m_window)->markup = std::nullopt;
    item(m_window, "mnuviewsource")->trigger();
    QVERIFY(!WorkingFolder::exists("VIEWSOURCE.TXT"));

    // The first run that writes the file is the first to start an editor.
    FakeWebView::of(m_window)->markup = "<body>x</body>";
    item(m_window, "mnuviewsource")->trigger();
    QTRY_COMPARE(editorRuns().size(), 1);

    // Without an editor the file is still written and the window goes on.
    m_window->StatusBar1->setPanelText(1, QString());
    QTemporaryDir noPrograms;
    qputenv("PATH", noPrograms.path().toUtf8());
    FakeWebView::of(m_window)->markup = "<body>kept</body>";
    item(m_window, "mnuviewsource")->trigger();
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"), QByteArray("<body>kept</body>\r\n"));
    QVERIFY(!m_window->StatusBar1->panelText(1).isEmpty());
    QVERIFY(!QApplication::activeModalWidget());
}

void MenusTest::eachKeyActsOnItsOwnWindowsView_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("textSize");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("Alt+Left") << "Alt+Left" << false << 2 << QStringList{"GoBack"};
    QTest::newRow("Alt+Right") << "Alt+Right" << false << 2 << QStringList{"GoForward"};
    QTest::newRow("Alt+Home") << "Alt+Home" << false << 2 << QStringList{"GoHome"};
    QTest::newRow("Ctrl+R") << "Ctrl+R" << false << 2 << QStringList{"Refresh"};
    QTest::newRow("Ctrl+Shift+R") << "Ctrl+Shift+R" << false << 2 << QStringList{"Refresh2 3"};
    QTest::newRow("Ctrl+F") << "Ctrl+F" << false << 2 << QStringList{"ExecWB 32 0"};
    QTest::newRow("Ctrl+Shift+I") << "Ctrl+Shift+I" << false << 2 << QStringList{"ShowDevTools"};
    QTest::newRow("Esc while loading") << "Esc" << true << 2 << QStringList{"Stop"};
    // Nothing loads: the key is the page's.
    QTest::newRow("Esc when idle") << "Esc" << false << 2 << QStringList{};
    // One level from the view's own, read first; never past Largest or Smallest.
    QTest::newRow("Ctrl++") << "Ctrl++" << false << 2
                            << QStringList{"ExecWB 19 2 out=2", "ExecWB 19 2 in=3 out=1"};
    QTest::newRow("Ctrl+=") << "Ctrl+=" << false << 3
                            << QStringList{"ExecWB 19 2 out=3", "ExecWB 19 2 in=4 out=1"};
    QTest::newRow("Ctrl++ at Largest")
        << "Ctrl++" << false << 4 << QStringList{"ExecWB 19 2 out=4"};
    QTest::newRow("Ctrl+-") << "Ctrl+-" << false << 1
                            << QStringList{"ExecWB 19 2 out=1", "ExecWB 19 2 in=0 out=1"};
    QTest::newRow("Ctrl+- at Smallest")
        << "Ctrl+-" << false << 0 << QStringList{"ExecWB 19 2 out=0"};
    QTest::newRow("Ctrl+0") << "Ctrl+0" << false << 4 << QStringList{"ExecWB 19 2 in=2 out=1"};
}

void MenusTest::eachKeyActsOnItsOwnWindowsView()
{
    QFETCH(QString, keys);
    QFETCH(bool, busy);
    QFETCH(int, textSize);
    QFETCH(QStringList, calls);
    Form1 *second = m_fixture.showLoaded();
    QVERIFY(second);
    second->WebBrowser1->setFocus();
    FakeWebView::of(second)->busy = busy;
    FakeWebView::of(second)->textSize = textSize;
    // The view reports on its load as a load starts.
    emit FakeWebView::of(second)->StatusTextChange(QString());
    FakeWebView::of(second)->calls.clear();
    QTest::keySequence(second->WebBrowser1, QKeySequence(keys));
    QCOMPARE(FakeWebView::of(second)->calls, calls);
    QCOMPARE(FakeWebView::of(m_window)->calls, QStringList());
}

void MenusTest::keysForTheAddressBoxAndTheWindows()
{
    QLineEdit *address = m_window->Text1->lineEdit();
    m_window->Text1->setEditText("http://typed/");
    for (const char *keys : {"Ctrl+L", "Alt+D"}) {
        m_window->WebBrowser1->setFocus();
        QTest::keySequence(m_window->WebBrowser1, QKeySequence(keys));
        QCOMPARE(QApplication::focusWidget(), m_window->Text1);
        QCOMPARE(address->selectedText(), QString("http://typed/"));
    }
    // A click that gives the box the focus selects all of it; a click within it places the
    // cursor as usual.
    m_window->WebBrowser1->setFocus();
    QTest::mouseClick(address, Qt::LeftButton, {}, QPoint(10, address->height() / 2));
    QCOMPARE(QApplication::focusWidget(), m_window->Text1);
    QTRY_COMPARE(address->selectedText(), QString("http://typed/"));
    QTest::mouseClick(address, Qt::LeftButton, {}, QPoint(10, address->height() / 2));
    QVERIFY(!address->hasSelectedText());

    // Ctrl+D adds as the toolbar's Add does, message box included.
    m_window->WebBrowser1->setFocus();
    QString message;
    answerNextModalDialog([&message](QWidget *box) {
        auto *messageBox = qobject_cast<QMessageBox *>(box);
        QVERIFY(messageBox);
        message = messageBox->text();
        messageBox->button(QMessageBox::Ok)->click();
    });
    QTest::keySequence(m_window->WebBrowser1, QKeySequence("Ctrl+D"));
    QCOMPARE(message, QString("URL added to favorites successfully."));
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray("http://typed/\r\n"));

    // Ctrl+N opens a loaded window; Ctrl+W closes the window it is typed in, as Exit does.
    QApplication::setActiveWindow(m_window);
    QTest::keySequence(m_window->WebBrowser1, QKeySequence("Ctrl+N"));
    QCOMPARE(shownWindows<Form1>().size(), 2);
    QPointer<Form1> second = shownWindows<Form1>().first() == m_window
                                 ? shownWindows<Form1>().last()
                                 : shownWindows<Form1>().first();
    QCOMPARE(FakeWebView::of(second)->calls, QStringList{"GoHome"});
    QApplication::setActiveWindow(second);
    second->WebBrowser1->setFocus();
    QTest::keySequence(second->WebBrowser1, QKeySequence("Ctrl+W"));
    QTRY_VERIFY(!second);
    QCOMPARE(shownWindows<Form1>(), QList<Form1 *>{m_window});
}

void MenusTest::editingKeysStayInAFocusedBox_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("address box") << "Text1";
    QTest::newRow("category box") << "Combo1";
    QTest::newRow("search box") << "Text2";
}

void MenusTest::editingKeysStayInAFocusedBox()
{
    QFETCH(QString, box);
    QWidget *control = m_window->findChild<QWidget *>(box);
    auto *field = qobject_cast<QLineEdit *>(control);
    if (auto *combo = qobject_cast<QComboBox *>(control))
        field = combo->lineEdit();
    field->setFocus();
    field->setText("abc def");
    QApplication::clipboard()->setText("before");

    // Ctrl+A selects the box's text; it opens no About window.
    QTest::keySequence(field, QKeySequence("Ctrl+A"));
    QCOMPARE(field->selectedText(), QString("abc def"));
    QCOMPARE(shownWindows<Form2>().size(), 0);
    QTest::keySequence(field, QKeySequence("Ctrl+X"));
    QCOMPARE(field->text(), QString());
    QCOMPARE(QApplication::clipboard()->text(), QString("abc def"));
    QTest::keySequence(field, QKeySequence("Ctrl+V"));
    QTest::keySequence(field, QKeySequence("Ctrl+V"));
    QCOMPARE(field->text(), QString("abc defabc def"));
    QTest::keySequence(field, QKeySequence("Ctrl+A"));
    QTest::keySequence(field, QKeySequence("Ctrl+C"));
    QCOMPARE(QApplication::clipboard()->text(), QString("abc defabc def"));
    QCOMPARE(FakeWebView::of(m_window)->calls, QStringList());
    QCOMPARE(shownWindows<Form2>().size(), 0);
}

void MenusTest::pageMenuCommandsActOnTheWindow()
{
    QVERIFY(installFakeEditor());
    FakeWebView *view = FakeWebView::of(m_window);
    // The link as a favourite, each time, with no message.
    emit view->AddFavoriteRequested("http://example.com/caf%C3%A9");
    emit view->AddFavoriteRequested("http://example.com/caf%C3%A9");
    QCOMPARE(WorkingFolder::read("Favorites.DAT"),
             QByteArray("http://example.com/caf%C3%A9\r\nhttp://example.com/caf%C3%A9\r\n"));
    QVERIFY(!QApplication::activeModalWidget());
    // The selection searched as the Search button searches the Web category.
    m_window->Combo1->setEditText("News");
    emit view->SearchRequested("a&b c");
    QCOMPARE(view->calls, QStringList{"Navigate " + *SearchAddress::forSearch("Web", "a&b c")});
    view->markup = "<body>src</body>";
    emit view->ViewSourceRequested();
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"), QByteArray("<body>src</body>\r\n"));
}

ZV_TEST_MAIN(MenusTest)
#include "tst_menus.moc"
