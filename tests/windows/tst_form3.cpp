#include "app/Shutdown.h"
#include "app/Twips.h"
#include "lists/Form3.h"
#include "lists/ListBox.h"
#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "support/FakeWebView.h"
#include "support/TestMain.h"
#include "support/WorkingFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

Form1 *shownMainWindow()
{
    Form1 *window = Form1::newLoaded();
    window->show();
    return window;
}

FakeWebView *viewOf(const Form1 *window)
{
    return qobject_cast<FakeWebView *>(window->WebBrowser1);
}

// The calls a main window's web view got after its own GoHome at load.
QStringList callsAfterLoad(const Form1 *window)
{
    return viewOf(window)->calls.mid(1);
}

QPoint centreOfRow(const ListBox *list, int row)
{
    return list->visualRect(list->model()->index(row, 0)).center();
}

QPoint belowTheRows(const ListBox *list)
{
    return QPoint(list->viewport()->width() / 2, list->viewport()->height() - 4);
}

} // namespace

class Form3Test : public QObject {
    Q_OBJECT

  private slots:
    void init() { m_fakes = std::make_unique<FakeWebView::Install>(); }
    void cleanup();

    void controlsAsDesigned();
    void loadListsTheFileAndChangesNothing_data();
    void loadListsTheFileAndChangesNothing();
    void oneSharedWindowLoadedAfreshAfterClosing();
    void doubleClickVisitsTheSelectedEntryAndCloses_data();
    void doubleClickVisitsTheSelectedEntryAndCloses();
    void addCurrentAppendsTheAddressAndRereadsTheFile_data();
    void addCurrentAppendsTheAddressAndRereadsTheFile();
    void clearSelectedRemovesOnlyThatEntry_data();
    void clearSelectedRemovesOnlyThatEntry();
    void clearAllEmptiesTheFileAndTheList_data();
    void clearAllEmptiesTheFileAndTheList();
    void filesThatCannotBeWrittenAreLeftAsTheyWere_data();
    void filesThatCannotBeWrittenAreLeftAsTheyWere();
    void actsOnTheStartUpWindowThenOnItsSuccessor();

  private:
    std::unique_ptr<FakeWebView::Install> m_fakes;
    std::unique_ptr<WorkingFolder> m_folder = std::make_unique<WorkingFolder>();
};

void Form3Test::cleanup()
{
    Shutdown::deleteWindows();
    m_fakes.reset();
    m_folder.reset(); // the old folder restores the old working directory first
    m_folder = std::make_unique<WorkingFolder>();
}

void Form3Test::controlsAsDesigned()
{
    Form3 *window = Form3::showShared();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(window->windowTitle(), QString("Zarvo Velmora Favorites"));
    QCOMPARE(window->Command1->text(), QString("Add Current"));
    QCOMPARE(window->Command2->text(), QString("Clear All"));
    QCOMPARE(window->Command3->text(), QString("Clear Selected"));
    for (const char *name : {"List1", "Command1", "Command2", "Command3"})
        QVERIFY2(window->findChild<QWidget *>(name), name);
    QCOMPARE(window->windowIcon().availableSizes(), QList<QSize>{QSize(96, 96)});

    const double dpi = Twips::dpiOf(window);
    const auto px = [dpi](double twips) { return Twips::toPixels(twips, dpi); };
    QCOMPARE(window->size(), QSize(px(5415), px(4575)));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(
        !(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(window->List1->geometry(), QRect(px(120), px(120), px(5175), px(3765)));
    QCOMPARE(window->Command1->geometry(), QRect(px(4080), px(3960), px(1215), px(495)));
    QCOMPARE(window->Command2->geometry(), QRect(px(120), px(3960), px(1215), px(495)));
    QCOMPARE(window->Command3->geometry(), QRect(px(1440), px(3960), px(1215), px(495)));

    // The list has the focus first; Tab walks the buttons in their order.
    QTRY_COMPARE(QApplication::focusWidget(), window->List1);
    for (QWidget *next : {window->Command1, window->Command2, window->Command3}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    // Modeless and without an owner.
    QVERIFY(!window->parentWidget());
    QVERIFY(!window->isModal());
}

void Form3Test::loadListsTheFileAndChangesNothing_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("missing") << false << QByteArray() << QStringList();
    QTest::newRow("empty") << true << QByteArray("") << QStringList();
    QTest::newRow("three lines, one blank") << true << QByteArray("http://a/\r\n\r\nhttp://c/\r\n")
                                            << QStringList{"http://a/", "", "http://c/"};
}

void Form3Test::loadListsTheFileAndChangesNothing()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    if (exists)
        WorkingFolder::write("Favorites.DAT", bytes);
    Form3 *window = Form3::showShared();
    QCOMPARE(window->List1->items(), rows);
    QCOMPARE(window->List1->selectedRow(), -1);
    QCOMPARE(WorkingFolder::exists("Favorites.DAT"), exists);
    if (exists)
        QCOMPARE(WorkingFolder::read("Favorites.DAT"), bytes);
}

void Form3Test::oneSharedWindowLoadedAfreshAfterClosing()
{
    WorkingFolder::write("Favorites.DAT", "one\r\n");
    QPointer<Form3> first = Form3::showShared();
    WorkingFolder::write("Favorites.DAT", "one\r\ntwo\r\n");
    QCOMPARE(Form3::showShared(), first.data());
    QCOMPARE(first->List1->items(), QStringList{"one"}); // shown again, not reloaded

    // Closed is gone, even before the deferred delete runs.
    first->close();
    QVERIFY(!Form3::shared());
    QPointer<Form3> second = Form3::showShared();
    QVERIFY(second != first);
    QCOMPARE(second->List1->items(), QStringList({"one", "two"}));
    QTRY_VERIFY(!first);
}

void Form3Test::doubleClickVisitsTheSelectedEntryAndCloses_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("onTheRow");
    QTest::addColumn<QString>("navigated");
    QTest::newRow("on a row") << 2 << true << "Navigate http://c/";
    QTest::newRow("on a blank row") << 1 << true << "Navigate ";
    QTest::newRow("below the rows, nothing selected") << -1 << false << "Navigate ";
}

void Form3Test::doubleClickVisitsTheSelectedEntryAndCloses()
{
    QFETCH(int, selected);
    QFETCH(bool, onTheRow);
    QFETCH(QString, navigated);
    WorkingFolder::write("Favorites.DAT", "http://a/\r\n\r\nhttp://c/\r\n");
    Form1 *startUp = shownMainWindow();
    QPointer<Form3> window = Form3::showShared();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // The focus makes the first row current; that alone selects nothing.
    QTRY_VERIFY(window->List1->currentIndex().isValid());
    const QPoint at = onTheRow ? centreOfRow(window->List1, selected) : belowTheRows(window->List1);
    QTest::mouseDClick(window->List1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(callsAfterLoad(startUp), QStringList{navigated});
    QVERIFY(!window->isVisible());
    QVERIFY(!Form3::shared());
    QTRY_VERIFY(!window);
}

void Form3Test::addCurrentAppendsTheAddressAndRereadsTheFile_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("an address") << "http://new/" << QByteArray("a\r\nb\r\nhttp://new/\r\n");
    QTest::newRow("empty address box: a blank row") << "" << QByteArray("a\r\nb\r\n\r\n");
}

void Form3Test::addCurrentAppendsTheAddressAndRereadsTheFile()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, expected);
    WorkingFolder::write("Favorites.DAT", "a\r\n");
    Form1 *startUp = shownMainWindow();
    Form3 *window = Form3::showShared();
    // Appended by the toolbar while the window was open: it shows after Add Current.
    QVERIFY(ListFile::AppendLine("Favorites.DAT", "b"));
    startUp->Text1->setEditText(address);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), expected);
    QCOMPARE(window->List1->items(), ListFile::parse(expected));
    QCOMPARE(startUp->Text1->count(), 1); // the address box's own list stays as loaded
}

void Form3Test::clearSelectedRemovesOnlyThatEntry_data()
{
    QTest::addColumn<QByteArray>("atLoad");
    QTest::addColumn<QByteArray>("atClick"); // null: the file as loaded; "-": removed
    QTest::addColumn<int>("selected");
    QTest::addColumn<QByteArray>("expected"); // "-": still missing
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("the only row") << QByteArray("a\r\n") << QByteArray() << 0 << QByteArray("")
                                  << -1;
    QTest::newRow("one of two equal rows: the selected one")
        << QByteArray("a\r\nb\r\na\r\nc\r\n") << QByteArray() << 2 << QByteArray("a\r\nb\r\nc\r\n")
        << 2;
    QTest::newRow("the last row selected afterwards")
        << QByteArray("a\r\nb\r\nc\r\n") << QByteArray() << 0 << QByteArray("b\r\nc\r\n") << 1;
    QTest::newRow("a blank row: nothing changes")
        << QByteArray("a\r\n\r\nb\r\n") << QByteArray() << 1 << QByteArray("a\r\n\r\nb\r\n") << 1;
    QTest::newRow("nothing selected: nothing changes")
        << QByteArray("a\r\nb\r\n") << QByteArray() << -1 << QByteArray("a\r\nb\r\n") << -1;
    QTest::newRow("an entry appended since the load survives")
        << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\nnew\r\n") << 0
        << QByteArray("b\r\nnew\r\n") << 0;
    QTest::newRow("a line put in front since the load")
        << QByteArray("a\r\nb\r\nc\r\n") << QByteArray("z\r\na\r\nb\r\nc\r\n") << 1
        << QByteArray("z\r\na\r\nc\r\n") << 1;
    QTest::newRow("the entry already gone from the file")
        << QByteArray("a\r\nb\r\n") << QByteArray("a\r\n") << 1 << QByteArray("a\r\n") << 0;
    QTest::newRow("the file deleted since the load: not created again")
        << QByteArray("a\r\n") << QByteArray("-") << 0 << QByteArray("-") << -1;
}

void Form3Test::clearSelectedRemovesOnlyThatEntry()
{
    QFETCH(QByteArray, atLoad);
    QFETCH(QByteArray, atClick);
    QFETCH(int, selected);
    QFETCH(QByteArray, expected);
    QFETCH(int, selectedAfter);
    WorkingFolder::write("Favorites.DAT", atLoad);
    Form3 *window = Form3::showShared();
    QVERIFY(QTest::qWaitForWindowActive(window));
    if (atClick == "-")
        QVERIFY(QFile::remove("Favorites.DAT"));
    else if (!atClick.isNull())
        WorkingFolder::write("Favorites.DAT", atClick);
    if (selected >= 0)
        QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {},
                          centreOfRow(window->List1, selected));
    QCOMPARE(window->List1->selectedRow(), selected);
    const QStringList rowsBefore = window->List1->items();

    QTest::mouseClick(window->Command3, Qt::LeftButton);
    if (expected == "-")
        QVERIFY(!WorkingFolder::exists("Favorites.DAT"));
    else
        QCOMPARE(WorkingFolder::read("Favorites.DAT"), expected);
    QStringList rows = rowsBefore;
    if (!rowsBefore.value(selected).isEmpty())
        rows.removeAt(selected);
    QCOMPARE(window->List1->items(), rows);
    QCOMPARE(window->List1->selectedRow(), selectedAfter);
    QVERIFY(window->isVisible());
}

void Form3Test::clearAllEmptiesTheFileAndTheList_data()
{
    QTest::addColumn<bool>("exists");
    QTest::newRow("a file with entries") << true;
    QTest::newRow("no file yet: created empty") << false;
}

void Form3Test::clearAllEmptiesTheFileAndTheList()
{
    QFETCH(bool, exists);
    if (exists)
        WorkingFolder::write("Favorites.DAT", "a\r\n\r\nb\r\n");
    Form3 *window = Form3::showShared();
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray(""));
    QCOMPARE(window->List1->count(), 0);
}

void Form3Test::filesThatCannotBeWrittenAreLeftAsTheyWere_data()
{
    QTest::addColumn<QString>("target"); // what Favorites.DAT links to; empty: a directory
    QTest::newRow("a directory in its place") << QString();
    // Readable, but nothing can be created beside it to replace it.
    QTest::newRow("a file in a read-only place") << QString("/proc/version");
}

void Form3Test::filesThatCannotBeWrittenAreLeftAsTheyWere()
{
    QFETCH(QString, target);
    if (target.isEmpty())
        QVERIFY(QDir().mkdir("Favorites.DAT"));
    else if (!QFileInfo(target).isReadable() || !QFile::link(target, "Favorites.DAT"))
        QSKIP("no such file here");
    const QByteArray bytes = WorkingFolder::read("Favorites.DAT");
    Form1 *startUp = shownMainWindow();
    startUp->Text1->setEditText("http://x/");
    Form3 *window = Form3::showShared();
    const QStringList rows = window->List1->items();
    QCOMPARE(rows.size(), target.isEmpty() ? 0 : 1);
    window->List1->selectRow(0);

    QTest::mouseClick(window->Command3, Qt::LeftButton); // Clear Selected
    QCOMPARE(window->List1->items(), rows);
    QTest::mouseClick(window->Command2, Qt::LeftButton); // Clear All
    QCOMPARE(window->List1->items(), rows);
    QTest::mouseClick(window->Command1, Qt::LeftButton); // Add Current
    QCOMPARE(window->List1->items(), rows);

    QCOMPARE(QFileInfo("Favorites.DAT").isDir(), target.isEmpty());
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), bytes);
    QVERIFY(window->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
}

void Form3Test::actsOnTheStartUpWindowThenOnItsSuccessor()
{
    WorkingFolder::write("Favorites.DAT", "http://fav/\r\n");
    Form1 *startUp = shownMainWindow();
    Form1 *second = shownMainWindow();
    startUp->Text1->setEditText("http://startup/");
    second->Text1->setEditText("http://second/");

    // Opened "from" the second window: Add Current still reads the start-up window's address.
    second->activateWindow();
    Form3 *window = Form3::showShared();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(window->List1->items(), QStringList({"http://fav/", "http://startup/"}));

    // Closed, not yet deleted: the second window takes its place at once.
    startUp->close();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(window->List1->items().last(), QString("http://second/"));
    window->List1->selectRow(0);
    QTest::mouseDClick(window->List1->viewport(), Qt::LeftButton, {},
                       centreOfRow(window->List1, 0));
    QCOMPARE(callsAfterLoad(second), QStringList{"Navigate http://fav/"});
}

ZV_TEST_MAIN(Form3Test)
#include "tst_form3.moc"
