#include "main_window/RestoreBar.h"
#include "support/LoopbackServer.h"
#include "support/ModalDialogs.h"
#include "support/PageScript.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "support/WorkingFolder.h"
#include "webview/engine/BrowserProfile.h"
#include "webview/engine/EngineWebView.h"
#include "webview/ui/DevToolsWindow.h"
#include "webview/ui/FindBar.h"
#include "webview/ui/PagePropertiesDialog.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>
#include <optional>

namespace {

// The engine's later answer to a question about the page. It may come after the wait has given
// up, so it lands in storage that outlives this call.
template <typename T> T answer(const std::function<void(std::function<void(const T &)>)> &ask)
{
    const auto value = std::make_shared<std::optional<T>>();
    ask([value](const T &v) { *value = v; });
    if (!QTest::qWaitFor([&] { return value->has_value(); }, 10000))
        return T();
    return **value;
}

QMenu *shownPageMenu()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "PageContextMenu" && widget->isVisible())
            return qobject_cast<QMenu *>(widget);
    }
    return nullptr;
}

// The menu's entries as assistive technology is told of them: items of this menu, shown.
QStringList accessibleItems(QMenu *menu)
{
    QStringList items;
    QAccessibleInterface *shown = QAccessible::queryAccessibleInterface(menu);
    for (int i = 0; shown && i < shown->childCount(); ++i) {
        QAccessibleInterface *item = shown->child(i);
        if (item && item->isValid() && item->parent() == shown && !item->state().invisible &&
            item->role() != QAccessible::Separator)
            items.append(item->text(QAccessible::Name));
    }
    return items;
}

QAction *itemOf(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

// The page commands of ExecWB on the real engine.
class PageCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void textSizeZoomsThePage();
    void saveAsWritesAPageThatReloads_data();
    void saveAsWritesAPageThatReloads();
    void propertiesOnlyWithAPage();
    void copyPutsTheSelectionOnTheClipboard();
    void findInPage();
    void thePageMenuFitsAWindowWithoutTabs();

private:
    bool load(const QString &address);
    bool loadPage() { return load(m_server.url("/page").toString()); }
    void exec(int command, const QVariant &in = {})
    {
        m_view->ExecWB(command, WebView::OLECMDEXECOPT_DODEFAULT, in);
    }

    LoopbackServer m_server;
    WindowFixture m_fixture;
    std::unique_ptr<QWidget> m_window;
    EngineWebView *m_view = nullptr;
};

void PageCommandsTest::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.serveHtml("/page", "<html><head><title>Saved page</title>"
                                "<link rel=stylesheet href=/style.css></head>"
                                "<body><p>Hello clipboard</p></body></html>");
    m_server.serve("/style.css", {"text/css", "p { color: green }", 200, {}});
    m_server.serveHtml("/find", "<title>Find</title><p id=sel>banana</p>"
                                "<p>apple Apple apple</p><p>apple</p>");
    // A link over the top of the page, a paragraph of text below it.
    m_server.serveHtml("/menu",
                       "<title>Menu</title><style>body{margin:0}</style>"
                       "<a href='/page?q=\xC3\xA9' style='position:fixed;left:0;top:0;"
                       "width:300px;height:100px'>link</a><p id=text "
                       "style='position:fixed;left:0;top:200px;margin:0'>banana split</p>");
}

void PageCommandsTest::init()
{
    m_fixture.start(WindowFixture::Engine);
    m_window = std::make_unique<QWidget>();
    m_view = new EngineWebView(m_window.get());
    m_view->resize(800, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void PageCommandsTest::cleanup()
{
    m_window.reset();
    m_fixture.stop();
}

bool PageCommandsTest::load(const QString &address)
{
    return completes(m_view, [&] { m_view->Navigate(address); });
}

void PageCommandsTest::textSizeZoomsThePage()
{
    QVERIFY(loadPage());
    QWebEngineView *engine = m_view->engineView();
    // The page's width in CSS pixels shrinks as its text grows.
    const auto width = [&] { return PageScript::evaluate(engine, "window.innerWidth").toInt(); };
    const int medium = width();
    QList<qreal> zoom;
    for (const int level : {0, 1, 2, 3, 4}) {
        exec(WebView::OLECMDID_ZOOM, level);
        zoom.append(engine->zoomFactor());
    }
    QTRY_VERIFY(width() < medium);
    QCOMPARE(zoom[2], 1.0);
    QVERIFY(zoom[0] < zoom[1] && zoom[1] < zoom[2] && zoom[2] < zoom[3] && zoom[3] < zoom[4]);
    exec(WebView::OLECMDID_ZOOM, 0);
    QTRY_VERIFY(width() > medium);
    for (const QVariant &bad : {QVariant(5), QVariant(-1), QVariant("large"), QVariant()})
        exec(WebView::OLECMDID_ZOOM, bad);
    QCOMPARE(engine->zoomFactor(), zoom[0]);
    // Read back without input: the level, also the nearest one to a zoom the engine set itself.
    const auto level = [this] {
        QVariant out(qint32(1));
        m_view->ExecWB(WebView::OLECMDID_ZOOM, WebView::OLECMDEXECOPT_DONTPROMPTUSER, {}, &out);
        return out.toInt();
    };
    QCOMPARE(level(), 0);
    exec(WebView::OLECMDID_ZOOM, 3);
    QCOMPARE(level(), 3);
    engine->setZoomFactor(1.4);
    QCOMPARE(level(), 4);
}

void PageCommandsTest::saveAsWritesAPageThatReloads_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("mark");
    // Each form as asked: links into a files folder, the page as served, one archive.
    QTest::newRow("complete") << "Web page, complete (*.htm *.html)"
                              << "saved.htm" << QByteArray("saved_files/style.css");
    QTest::newRow("HTML only") << "Web page, HTML only (*.htm *.html)"
                               << "saved.html" << QByteArray("href=/style.css");
    QTest::newRow("archive") << "Web archive, single file (*.mht *.mhtml)"
                             << "saved.mht" << QByteArray("MIME-Version: 1.0");
}

void PageCommandsTest::saveAsWritesAPageThatReloads()
{
    QFETCH(QString, filter);
    QFETCH(QString, name);
    QFETCH(QByteArray, mark);
    QVERIFY(loadPage());
    QPointer<QWebEngineDownloadRequest> save;
    const QMetaObject::Connection watch =
        connect(BrowserProfile::shared(), &QWebEngineProfile::downloadRequested, this,
                [&save](QWebEngineDownloadRequest *request) { save = request; });
    const QString path = QDir::current().filePath(name);
    answerNextModalDialog([&](QWidget *modal) {
        if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            dialog->selectNameFilter(filter);
            // The dialog leaves a file name box that has the focus as it is.
            if (QWidget *focused = dialog->focusWidget())
                focused->clearFocus();
            dialog->selectFile(path);
        }
        QMetaObject::invokeMethod(modal, "accept");
    });
    exec(WebView::OLECMDID_SAVEAS);
    QTRY_VERIFY_WITH_TIMEOUT(save && save->isFinished(), 20000);
    disconnect(watch);
    QCOMPARE(save->state(), QWebEngineDownloadRequest::DownloadCompleted);
    QVERIFY(WorkingFolder::read(path).contains(mark));

    QVERIFY(load(path));
    QCOMPARE(m_view->LocationName(), QString("Saved page"));
    // Archives run no script: the text as the engine shows it.
    const QString text =
        answer<QString>([&](auto done) { m_view->engineView()->page()->toPlainText(done); });
    QCOMPARE(text.trimmed(), QString("Hello clipboard"));
}

void PageCommandsTest::propertiesOnlyWithAPage()
{
    // A dialog would block here; one that appears anyway is counted and closed.
    int dialogs = 0;
    QPointer<QTimer> watch = answerNextModalDialog([&dialogs](QWidget *dialog) {
        ++dialogs;
        dialog->close();
    });
    for (const int command :
         {WebView::OLECMDID_SAVEAS, WebView::OLECMDID_PROPERTIES, WebView::OLECMDID_PAGESETUP})
        exec(command);
    exec(WebView::OLECMDID_ZOOM, 4);
    QCOMPARE(m_view->engineView()->zoomFactor(), 1.0);
    QCOMPARE(dialogs, 0);
    delete watch;
    // With a page, a dialog opens: so the commands above would have shown theirs by now.
    QVERIFY(loadPage());
    exec(WebView::OLECMDID_PROPERTIES);
    QTRY_VERIFY(m_window->findChild<PagePropertiesDialog *>());
    const auto *dialog = m_window->findChild<PagePropertiesDialog *>();
    QStringList fields;
    for (const char *name : {"title", "address", "protocol", "type", "memory", "state"}) {
        const auto *field = dialog->findChild<QLabel *>(name);
        QVERIFY2(field, name);
        fields.append(field->text());
    }
    QCOMPARE(fields.mid(0, 3), QStringList({"Saved page", m_server.url("/page").toString(),
                                            "HyperText Transfer Protocol"}));
    QVERIFY2(fields[3].contains("text/html"), qPrintable(fields[3]));
    // The page process's share of memory, read from the system: some megabytes.
    QVERIFY2(QRegularExpression("^[1-9][0-9]*\\.[0-9] MB$").match(fields[4]).hasMatch(),
             qPrintable(fields[4]));
    QCOMPARE(fields[5], QString("active"));
}

void PageCommandsTest::copyPutsTheSelectionOnTheClipboard()
{
    QVERIFY(loadPage());
    QApplication::clipboard()->setText("before");
    exec(WebView::OLECMDID_SELECTALL);
    QTRY_COMPARE(PageScript::evaluate(m_view->engineView(), "getSelection().toString()")
                     .toString()
                     .trimmed(),
                 QString("Hello clipboard"));
    exec(WebView::OLECMDID_COPY);
    QTRY_COMPARE(QApplication::clipboard()->text().trimmed(), QString("Hello clipboard"));
}

void PageCommandsTest::findInPage()
{
    QVERIFY(load(m_server.url("/find").toString()));
    QApplication::setActiveWindow(m_window.get());
    QWebEngineView *engine = m_view->engineView();
    QSignalSpy status(m_view, &WebView::StatusTextChange);
    const auto last = [&status] {
        return status.isEmpty() ? QString() : status.last().at(0).toString();
    };

    // The page's selection is what the bar looks for first, over the bottom of the page.
    PageScript::evaluate(engine,
                         "getSelection().selectAllChildren(document.getElementById('sel'))");
    QTRY_COMPARE(engine->selectedText(), QString("banana"));
    // The bar is made when first asked for, over a page already laid out, and over the offer to
    // restore windows that lies there too.
    new RestoreBar(1, m_view);
    exec(WebView::OLECMDID_FIND);
    FindBar *bar = m_view->findBar();
    QLineEdit *text = bar->findText();
    QVERIFY(bar->isVisible());
    QCoreApplication::processEvents(); // what each bar queued for itself
    const QWidget *onTop = m_view->childAt(bar->geometry().center());
    QVERIFY(onTop == bar || bar->isAncestorOf(onTop));
    QCOMPARE(bar->geometry().bottom(), m_view->rect().bottom());
    QCOMPARE(bar->width(), m_view->width());
    QCOMPARE(text->text(), QString("banana"));
    QTRY_COMPARE(last(), QString("1 of 1 match"));

    // Searched as typed, case-insensitive; Enter and F3 onwards, with Shift back, round and round.
    text->clear();
    QTest::keyClicks(text, "apple");
    QTRY_COMPARE(last(), QString("1 of 4 matches"));
    QTest::keyClick(text, Qt::Key_Return);
    QTRY_COMPARE(last(), QString("2 of 4 matches"));
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTRY_COMPARE(last(), QString("1 of 4 matches"));
    QTest::keyClick(text, Qt::Key_F3, Qt::ShiftModifier);
    QTRY_COMPARE(last(), QString("4 of 4 matches"));
    QTest::keyClick(text, Qt::Key_F3);
    QTRY_COMPARE(last(), QString("1 of 4 matches"));
    bar->findChild<QCheckBox *>("MatchCase")->click();
    QTRY_VERIFY2(last().endsWith(" of 3 matches"), qPrintable(last()));
    QTest::keyClicks(text, "z");
    QTRY_COMPARE(last(), QString("Phrase not found"));

    // Esc closes the bar, clears the panel and takes the highlight off: the page is found
    // afresh when the bar comes back.
    QTest::keyClick(text, Qt::Key_Backspace);
    QTRY_VERIFY(last().endsWith(" of 3 matches"));
    QTest::keyClick(text, Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QCOMPARE(last(), QString());
    QCOMPARE(text->text(), QString("apple"));
    PageScript::evaluate(engine, "getSelection().removeAllRanges()");
    exec(WebView::OLECMDID_FIND);
    QTRY_COMPARE(last(), QString("1 of 3 matches"));
    bar->findChild<QWidget *>("FindClose")->setFocus();
    QTest::mouseClick(bar->findChild<QWidget *>("FindClose"), Qt::LeftButton);
    QVERIFY(!bar->isVisible());
}

void PageCommandsTest::thePageMenuFitsAWindowWithoutTabs()
{
    QVERIFY(load(m_server.url("/menu").toString()));
    QWebEngineView *engine = m_view->engineView();
    QWidget *input = engine->focusProxy() ? engine->focusProxy() : engine;
    const auto texts = [](QMenu *menu) {
        QStringList list;
        for (const QAction *action : menu->actions()) {
            if (!action->isSeparator() && action->isVisible())
                list.append(action->text());
        }
        return list;
    };
    // Every entry shown is told to assistive technology, in every menu of the run.
    const auto toldWhole = [&texts](QMenu *menu) {
        QStringList shown = texts(menu);
        shown.replaceInStrings("&", "");
        QStringList told = accessibleItems(menu);
        told.replaceInStrings("&", "");
        return told == shown;
    };

    // The page laid out, so a click lands on what it shows; the engine answers a click with
    // its menu later, slowly on a busy machine.
    QCOMPARE(PageScript::evaluate(engine, "document.elementFromPoint(20, 20).tagName").toString(),
             QString("A"));

    // On a link: a new window, no tab; the link to the favorites in its encoded form.
    QTest::mouseClick(input, Qt::RightButton, {}, QPoint(20, 20));
    QTRY_VERIFY_WITH_TIMEOUT(shownPageMenu(), 20000);
    QMenu *menu = shownPageMenu();
    QVERIFY(toldWhole(menu));
    QStringList items = texts(menu);
    QVERIFY2(items.filter("tab", Qt::CaseInsensitive).isEmpty(), qPrintable(items.join('|')));
    QVERIFY2(items.filter("new window", Qt::CaseInsensitive).size() == 1,
             qPrintable(items.join('|')));
    for (const char *added : {"Add Link to Favorites", "View Source", "Inspect"})
        QVERIFY2(items.contains(added), qPrintable(items.join('|')));
    // The program's own source and tools in place of the engine's: each once.
    QVERIFY2(items.filter("source", Qt::CaseInsensitive).size() == 1, qPrintable(items.join('|')));
    QVERIFY2(items.filter("inspect", Qt::CaseInsensitive).size() == 1, qPrintable(items.join('|')));
    QVERIFY2(items.filter("Search for").isEmpty(), qPrintable(items.join('|')));
    QSignalSpy favorite(m_view, &WebView::AddFavoriteRequested);
    QSignalSpy privately(m_view, &WebView::PrivateWindowRequested);
    itemOf(menu, "Add Link to Favorites")->trigger();
    itemOf(menu, "Open link in private window")->trigger();
    menu->close();
    QCOMPARE(favorite.size(), 1);
    QCOMPARE(favorite.at(0).at(0).toString(),
             QString::fromLatin1(m_server.url("/page?q=%C3%A9").toEncoded()));
    QCOMPARE(privately.size(), 1);
    QCOMPARE(privately.at(0).at(0).toString(), favorite.at(0).at(0).toString());

    // The engine's "open in new window" asks the window for one, as a clicked link would.
    auto *other = new EngineWebView(m_window.get());
    connect(
        m_view, &WebView::NewWindow2, other,
        [other](QObject **ppDisp, bool *) { *ppDisp = other->Object(); }, Qt::DirectConnection);
    QTRY_VERIFY(!shownPageMenu());
    QTest::mouseClick(input, Qt::RightButton, {}, QPoint(20, 20));
    QTRY_VERIFY_WITH_TIMEOUT(shownPageMenu(), 20000);
    menu = shownPageMenu();
    QVERIFY2(toldWhole(menu), qPrintable(accessibleItems(menu).join('|')));
    for (QAction *action : menu->actions()) {
        if (action->text().contains("new window", Qt::CaseInsensitive))
            action->trigger();
    }
    menu->close();
    QTRY_COMPARE_WITH_TIMEOUT(QUrl(other->LocationURL()), m_server.url("/page?q=%C3%A9"), 20000);
    QCOMPARE(QUrl(m_view->LocationURL()), m_server.url("/menu"));

    // On selected text: a web search for it; the page's source and its tools from anywhere.
    PageScript::evaluate(engine,
                         "getSelection().selectAllChildren(document.getElementById('text'))");
    QTRY_COMPARE(engine->selectedText(), QString("banana split"));
    QTRY_VERIFY(!shownPageMenu());
    QTest::mouseClick(input, Qt::RightButton, {}, QPoint(10, 205));
    QTRY_VERIFY_WITH_TIMEOUT(shownPageMenu(), 20000);
    menu = shownPageMenu();
    QVERIFY2(toldWhole(menu), qPrintable(accessibleItems(menu).join('|')));
    items = texts(menu);
    QVERIFY2(items.contains("Search for 'banana split'"), qPrintable(items.join('|')));
    QVERIFY2(!items.contains("Add Link to Favorites"), qPrintable(items.join('|')));
    QSignalSpy search(m_view, &WebView::SearchRequested);
    QSignalSpy source(m_view, &WebView::ViewSourceRequested);
    itemOf(menu, "Search for 'banana split'")->trigger();
    itemOf(menu, "View Source")->trigger();
    itemOf(menu, "Inspect")->trigger();
    menu->close();
    QCOMPARE(search.size(), 1);
    QCOMPARE(search.at(0).at(0).toString(), QString("banana split"));
    QCOMPARE(source.size(), 1);
    auto *tools = engine->findChild<DevToolsWindow *>();
    QVERIFY(tools && tools->isVisible());
    QVERIFY(engine->page()->devToolsPage());
    tools->close();
    // Asked for again before the closed window is gone: a new one, which stays and inspects.
    const QPointer<DevToolsWindow> again = DevToolsWindow::showFor(engine);
    QVERIFY(again != tools);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(again && again->isVisible());
    QVERIFY(engine->page()->devToolsPage());
    again->close();
    QTRY_VERIFY(!engine->findChild<DevToolsWindow *>());
}

ZV_TEST_MAIN(PageCommandsTest)
#include "tst_pagecommands.moc"
