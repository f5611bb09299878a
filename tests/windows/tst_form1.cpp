#include "app/Twips.h"
#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "main_window/StatusBar.h"
#include "support/FakeWebView.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "webview/ui/DownloadsWindow.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

namespace {
QStringList items(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}
} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init() { m_fixture.start(); }
    void cleanup() { m_fixture.stop(); }

    void controlsAsDesigned();
    void loadGoesHomeThenStampsThenReadsFavorites_data();
    void loadGoesHomeThenStampsThenReadsFavorites();
    void loadInAFreshFolderCreatesOnlyTheHistory();
    void favoritesFillTheAddressList_data();
    void favoritesFillTheAddressList();
    void aHistoryThatCannotBeWrittenStillOpensTheWindow_data();
    void aHistoryThatCannotBeWrittenStillOpensTheWindow();
    void aSecondWindowStampsAgainAndReadsItsOwnList();
    void layoutFollowsTheClientSize();
    void theShownWindowShowsEveryControlWhole_data();
    void theShownWindowShowsEveryControlWhole();
    void theDownloadsWindowShowsEachRowsButtonsWhole();

private:
    WindowFixture m_fixture;
};

void Form1Test::controlsAsDesigned()
{
    Form1 window;
    QCOMPARE(window.windowTitle(), QString("Zarvo - Velmora  1.0"));
    for (const char *name : {"Command2", "Text2", "Combo1", "ProgressBar1", "Text1", "Command1",
                             "StatusBar1", "WebBrowser1", "Toolbar1", "Label1"})
        QVERIFY2(window.findChild<QWidget *>(name), name);
    QCOMPARE(window.Command2->text(), QString("Search"));
    QCOMPARE(window.Command1->text(), QString("GO"));
    QCOMPARE(window.Text2->text(), QString("Powered By Yahoo!"));
    QCOMPARE(window.Combo1->currentText(), QString("Web"));
    QCOMPARE(items(window.Combo1), QStringList({"Web", "Images", "Video", "Audio", "Directory",
                                                "Local", "News", "Shopping"}));
    QCOMPARE(window.ProgressBar1->minimum(), 0);
    QCOMPARE(window.ProgressBar1->maximum(), 100);
    QCOMPARE(window.ProgressBar1->value(), 0);
    QCOMPARE(window.Label1->text(), QString("Address:"));
    QVERIFY(window.Label1->alignment() & Qt::AlignRight);
    QCOMPARE(window.StatusBar1->panelText(1), QString());
    QCOMPARE(window.StatusBar1->panelText(2), QString("Zarvo Velmora 1.0"));
    QVERIFY(!window.StatusBar1->panelText(3).isEmpty());
    QVERIFY(!window.windowIcon().isNull());
    // The search row is drawn over the toolbar's band.
    const QObjectList stack = window.centralWidget()->children();
    QVERIFY(stack.indexOf(window.Command2) > stack.indexOf(window.Toolbar1));
    QVERIFY(stack.indexOf(window.Combo1) > stack.indexOf(window.Toolbar1));
}

// A start address (the program's argument) replaces only the home page, as typed text.
void Form1Test::loadGoesHomeThenStampsThenReadsFavorites_data()
{
    QTest::addColumn<QString>("startAddress");
    QTest::addColumn<QString>("firstCall");
    QTest::newRow("home page") << QString() << "GoHome";
    QTest::newRow("start address") << " example.com/a b "
                                   << "Navigate2  example.com/a b ";
}

void Form1Test::loadGoesHomeThenStampsThenReadsFavorites()
{
    QFETCH(QString, startAddress);
    QFETCH(QString, firstCall);
    WorkingFolder::write("Favorites.DAT", "http://a/\r\n");
    bool stampedBeforeHome = true;
    Form1 window;
    auto *view = FakeWebView::of(&window);
    QVERIFY(view);
    view->onCall = [&](const QString &) {
        stampedBeforeHome = WorkingFolder::exists("History.DAT");
    };
    window.Form_Load(startAddress);
    QCOMPARE(view->calls, QStringList{firstCall});
    QVERIFY(!stampedBeforeHome);
    const QStringList history = ListFile::ReadLines("History.DAT").entries;
    QCOMPARE(history.size(), 1);
    QVERIFY(!history[0].isEmpty());
    QCOMPARE(items(window.Text1), QStringList{"http://a/"});
    QCOMPARE(window.Text1->currentText(), QString());
}

void Form1Test::loadInAFreshFolderCreatesOnlyTheHistory()
{
    QPointer<Form1> window = Form1::newLoaded();
    QCOMPARE(window->Text1->count(), 0);
    QVERIFY(WorkingFolder::exists("History.DAT"));
    QVERIFY(!WorkingFolder::exists("Favorites.DAT"));
    QVERIFY(WorkingFolder::read("History.DAT").endsWith("\r\n"));
}

void Form1Test::favoritesFillTheAddressList_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty") << QByteArray("") << QStringList();
    QTest::newRow("three lines, the second empty")
        << QByteArray("a\r\n\r\nc\r\n") << QStringList{"a", "", "c"};
    QTest::newRow("LF-only: one item") << QByteArray("a\nb\n") << QStringList{"a\nb\n"};
    QTest::newRow("Windows-1252 byte") << QByteArray("caf\xE9\r\n") << QStringList{u"caf\u00E9"_qs};
    QTest::newRow("CR-only ends") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("duplicates kept") << QByteArray("a\r\na\r\n") << QStringList{"a", "a"};
}

void Form1Test::favoritesFillTheAddressList()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    WorkingFolder::write("Favorites.DAT", bytes);
    QPointer<Form1> window = Form1::newLoaded();
    QCOMPARE(items(window->Text1), expected);
    QCOMPARE(window->Text1->currentText(), QString());
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), bytes); // reading changes nothing
}

void Form1Test::aHistoryThatCannotBeWrittenStillOpensTheWindow_data()
{
    QTest::addColumn<bool>("directory");
    QTest::newRow("a directory") << true;
    QTest::newRow("a full device") << false;
}

void Form1Test::aHistoryThatCannotBeWrittenStillOpensTheWindow()
{
    QFETCH(bool, directory);
    if (directory)
        QVERIFY(QDir().mkdir("History.DAT"));
    else if (!QFile::link("/dev/full", "History.DAT"))
        QSKIP("no /dev/full");
    WorkingFolder::write("Favorites.DAT", "kept\r\n");
    QPointer<Form1> window = Form1::newLoaded();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(items(window->Text1), QStringList{"kept"});
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(QFileInfo("History.DAT").isDir(), directory);
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray("kept\r\n"));
}

void Form1Test::aSecondWindowStampsAgainAndReadsItsOwnList()
{
    WorkingFolder::write("Favorites.DAT", "one\r\n");
    QPointer<Form1> first = Form1::newLoaded();
    WorkingFolder::write("Favorites.DAT", "one\r\ntwo\r\n");
    QPointer<Form1> second = Form1::newLoaded();
    QCOMPARE(ListFile::ReadLines("History.DAT").entries.size(), 2);
    QCOMPARE(items(first->Text1), QStringList{"one"});
    QCOMPARE(items(second->Text1), QStringList({"one", "two"}));
    QCOMPARE(FakeWebView::made().size(), 2);
    QCOMPARE(FakeWebView::made()[1]->calls, QStringList{"GoHome"});
}

void Form1Test::layoutFollowsTheClientSize()
{
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const double dpi = Twips::dpiOf(&window);
    const auto px = [dpi](double twips) { return Twips::toPixels(twips, dpi); };
    window.centralWidget()->resize(px(12000), px(10545));
    // Conversions round to whole pixels: allow one pixel either way.
    const auto near = [](int actual, int expected) { return qAbs(actual - expected) <= 1; };
    QVERIFY(near(window.Text1->width(), px(11040)));
    QVERIFY(near(window.Command2->x(), px(10665)));
    QVERIFY(near(window.Text2->width(), px(2385)));
    QVERIFY(near(window.WebBrowser1->width(), px(12000)));
    QVERIFY(near(window.WebBrowser1->height(), px(10545 - 1080 - 255)));
    QVERIFY(near(window.StatusBar1->y(), px(10290)));
    QVERIFY(near(window.Toolbar1->width(), px(12000)));
    QVERIFY(window.Command1->x() < 0);
}

void Form1Test::theShownWindowShowsEveryControlWhole_data()
{
    QTest::addColumn<bool>("maximised");
    QTest::newRow("design size") << false;
    QTest::newRow("maximised") << true;
}

// What the user sees, at any scale (CTest runs this at 1x and 2x): the toolbar's buttons, every
// one of them, lie clear of the search row and every other control, and each caption, button
// text and status panel shows its whole text.
void Form1Test::theShownWindowShowsEveryControlWhole()
{
    QFETCH(bool, maximised);
    QPointer<Form1> window = Form1::newLoaded();
    window->StatusBar1->setPanelText(1, "Done");
    if (maximised)
        window->showMaximized();
    else
        window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE(window->isMaximized(), maximised);
    QWidget *client = window->centralWidget();
    // Where a control shows, in the client area; empty for one parked outside it.
    const auto shown = [client](const QWidget *control) {
        return QRect(control->mapTo(client, QPoint()), control->size()) & client->rect();
    };

    const QList<QToolButton *> buttons = window->Toolbar1->findChildren<QToolButton *>();
    QStringList keys;
    for (QToolButton *button : buttons) {
        if (!button->defaultAction() || button->defaultAction()->objectName().isEmpty())
            continue; // the toolbar's own extension button
        keys.append(button->objectName());
        QVERIFY2(button->isVisible(), qPrintable(button->objectName()));
        QCOMPARE(shown(button).size(), button->size());
        for (QWidget *control : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (control == window->Toolbar1 || !control->isVisible())
                continue;
            QVERIFY2(!shown(button).intersects(shown(control)),
                     qPrintable(button->objectName() + " under " + control->objectName()));
        }
    }
    QCOMPARE(keys.size(), 11);

    int texts = 0;
    for (QLabel *label : client->findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().isEmpty() || shown(label).isEmpty())
            continue;
        const QRect room = label->contentsRect().marginsRemoved(
            QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
        const QFontMetrics metrics = label->fontMetrics();
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= room.width() &&
                     metrics.height() <= room.height(),
                 qPrintable(label->objectName() + ": " + label->text()));
        ++texts;
    }
    for (QPushButton *button : client->findChildren<QPushButton *>()) {
        if (!button->isVisible() || shown(button).isEmpty())
            continue; // GO is parked outside the window
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QFontMetrics metrics = button->fontMetrics();
        QVERIFY2(metrics.horizontalAdvance(button->text()) <= room.width() &&
                     metrics.height() <= room.height(),
                 qPrintable(button->objectName()));
        ++texts;
    }
    QCOMPARE(texts, 5); // Label1, the three panels and Search
    // Panel 1 takes the rest, never less than its minimum.
    const QWidget *panel1 = window->StatusBar1->findChild<QLabel *>("Panel1");
    QVERIFY(panel1->width() >= Twips::toPixels(900, Twips::dpiOf(window)));
}

// At any scale (CTest runs this at 1x and 2x too), the downloads window opens wide enough for the
// buttons of its rows, a running download's and a saved one's, each whole with its whole text,
// and keeps the size the user gives it.
void Form1Test::theDownloadsWindowShowsEachRowsButtonsWhole()
{
    QPointer<Form1> window = Form1::newLoaded();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    DownloadsWindow *downloads = DownloadsWindow::shared();
    QTreeWidget *list = downloads->List1;
    // Rows as a download makes them: the three buttons, then those of its state shown; the first
    // one finishes once the window is open.
    QList<QPushButton *> first;
    for (const bool saved : {false, true}) {
        auto *item = new QTreeWidgetItem(list, {"annual-report-2024-final-version.pdf", "12.3 MB"});
        auto *actions = new QWidget;
        auto *row = new QHBoxLayout(actions);
        row->setContentsMargins(0, 0, 0, 0);
        QList<QPushButton *> buttons;
        for (const char *text : {"Cancel", "Open", "Show in folder"})
            buttons.append(new QPushButton(QString::fromLatin1(text), actions));
        for (QPushButton *button : buttons)
            row->addWidget(button);
        list->setItemWidget(item, 2, new QProgressBar);
        list->setItemWidget(item, 3, actions);
        buttons[0]->setVisible(!saved);
        buttons[1]->setVisible(saved);
        buttons[2]->setVisible(saved);
        if (first.isEmpty())
            first = buttons;
    }
    downloads->open(window);
    QVERIFY(QTest::qWaitForWindowExposed(downloads));
    first[0]->setVisible(false);
    first[1]->setVisible(true);
    first[2]->setVisible(true);
    QCoreApplication::processEvents();
    QWidget *viewport = list->viewport();
    int shown = 0;
    for (QPushButton *button : list->findChildren<QPushButton *>()) {
        if (!button->isVisibleTo(downloads))
            continue;
        const QRect at(button->mapTo(viewport, QPoint()), button->size());
        QVERIFY2(viewport->rect().contains(at), qPrintable(button->text()));
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <= room.width(),
                 qPrintable(button->text()));
        ++shown;
    }
    QCOMPARE(shown, 4);

    // What the user resizes it to stays for the run.
    const QSize resized = downloads->size() + QSize(40, 30);
    downloads->resize(resized);
    downloads->close();
    downloads->open(window);
    QVERIFY(QTest::qWaitForWindowExposed(downloads));
    QCOMPARE(downloads->size(), resized);
    downloads->close();
    list->clear();
}

ZV_TEST_MAIN(Form1Test)
#include "tst_form1.moc"
