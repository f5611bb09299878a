#include "about/Form2.h"
#include "common/Twips.h"
#include "lists/Form3.h"
#include "lists/Form4.h"
#include "lists/ListBox.h"
#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "support/FakeWebView.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "support/Windows.h"
#include "support/WorkingFolder.h"
#include "webview/ui/OptionsWindow.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <memory>

namespace {

// Either list window, as the tests drive it.
struct ListWindow {
    QPointer<QWidget> window;
    ListBox *List1;
    QPushButton *clearAll;
};

ListWindow show(const QString &which)
{
    if (which == "Favorites") {
        Form3 *w = Form3::showShared();
        return {w, w->List1, w->Command2};
    }
    Form4 *w = Form4::showShared();
    return {w, w->List1, w->Command1};
}

Form1 *shownMainWindow()
{
    Form1 *window = Form1::newLoaded();
    window->show();
    return window;
}

// What a main window's web view was asked to do after its own GoHome at load.
QStringList callsAfterLoad(const Form1 *window)
{
    return FakeWebView::of(window)->calls.mid(1);
}

// A click or double-click on a row, or below the last one (row -1).
void click(ListBox *list, int row, bool twice = false)
{
    const QPoint at = row < 0
                          ? QPoint(list->viewport()->width() / 2, list->viewport()->height() - 4)
                          : list->visualRect(list->model()->index(row, 0)).center();
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class ListWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_fixture.start(); }
    void cleanup() { m_fixture.stop(); }

    void windowsAsDesigned_data();
    void windowsAsDesigned();
    void loadListsTheFileAndChangesNothing_data();
    void loadListsTheFileAndChangesNothing();
    void doubleClickVisitsTheSelectedRow_data();
    void doubleClickVisitsTheSelectedRow();
    void addCurrentAppendsTheAddressAndRereadsTheFile();
    void clearSelectedRemovesOnlyThatEntry_data();
    void clearSelectedRemovesOnlyThatEntry();
    void clearAllThenLoadAfresh_data();
    void clearAllThenLoadAfresh();
    void filesThatCannotBeWrittenAreLeftAsTheyWere_data();
    void filesThatCannotBeWrittenAreLeftAsTheyWere();
    void actsOnTheOldestMainWindowStillOpen_data();
    void actsOnTheOldestMainWindowStillOpen();
    void secondaryWindowsOpenCentredOnTheirMainWindow_data();
    void secondaryWindowsOpenCentredOnTheirMainWindow();

private:
    WindowFixture m_fixture;
};

void ListWindowsTest::windowsAsDesigned_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QStringList>("captions"); // the window's, then the buttons' in tab order
    QTest::newRow("Favorites") << "Favorites"
                               << QStringList{"Zarvo Velmora Favorites", "Add Current", "Clear All",
                                              "Clear Selected"};
    QTest::newRow("History") << "History" << QStringList{"Zarvo Velmora History", "Clear All"};
}

void ListWindowsTest::windowsAsDesigned()
{
    QFETCH(QString, which);
    QFETCH(QStringList, captions);
    QWidget *window = show(which).window;
    QVERIFY(QTest::qWaitForWindowActive(window));
    QVERIFY(!window->parentWidget() && !window->isModal() && !window->windowIcon().isNull());
    const double dpi = Twips::dpiOf(window);
    QCOMPARE(window->maximumSize(), QSize(Twips::toPixels(5415, dpi), Twips::toPixels(4575, dpi)));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(
        !(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    // The list has the focus first; Tab walks the buttons in their order.
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), QString("List1"));
    QStringList shown = {window->windowTitle()};
    for (int i = 1; i < captions.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto *button = qobject_cast<QPushButton *>(QApplication::focusWidget());
        QCOMPARE(button->objectName(), QString("Command%1").arg(i));
        shown.append(button->text());
    }
    QCOMPARE(shown, captions);
}

void ListWindowsTest::loadListsTheFileAndChangesNothing_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QByteArray>("bytes"); // null: no file
    for (const QString which : {"Favorites", "History"}) {
        QTest::addRow("%s, missing", qPrintable(which)) << which << QByteArray();
        QTest::addRow("%s, empty", qPrintable(which)) << which << QByteArray("");
        QTest::addRow("%s, three lines", qPrintable(which)) << which << QByteArray("a\r\n\r\nc");
    }
}

void ListWindowsTest::loadListsTheFileAndChangesNothing()
{
    QFETCH(QString, which);
    QFETCH(QByteArray, bytes);
    if (!bytes.isNull())
        WorkingFolder::write(which + ".DAT", bytes);
    const ListWindow shown = show(which);
    QCOMPARE(shown.List1->items(), ListFile::parse(bytes));
    QCOMPARE(shown.List1->selectedRow(), -1);
    QCOMPARE(WorkingFolder::read(which + ".DAT"), bytes); // a missing file is not created
}

void ListWindowsTest::doubleClickVisitsTheSelectedRow_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("row"); // -1: below the rows, nothing selected
    QTest::addColumn<QString>("navigated");
    QTest::addColumn<bool>("enter"); // Enter on the selected row in place of the double-click
    for (const QString which : {"Favorites", "History"}) {
        QTest::addRow("%s, a row", qPrintable(which))
            << which << 2 << "Navigate http://c/" << false;
        QTest::addRow("%s, a blank row", qPrintable(which)) << which << 1 << "Navigate " << false;
        QTest::addRow("%s, nothing selected", qPrintable(which))
            << which << -1 << "Navigate " << false;
        QTest::addRow("%s, Enter on a row", qPrintable(which))
            << which << 2 << "Navigate http://c/" << true;
    }
}

void ListWindowsTest::doubleClickVisitsTheSelectedRow()
{
    QFETCH(QString, which);
    QFETCH(int, row);
    QFETCH(QString, navigated);
    WorkingFolder::write(which + ".DAT", "3/9/20104:05:06 PM\r\n\r\nhttp://c/\r\n");
    Form1 *startUp = shownMainWindow();
    const ListWindow shown = show(which);
    QVERIFY(QTest::qWaitForWindowActive(shown.window));
    // The focus makes the first row current; that alone selects nothing.
    QTRY_VERIFY(shown.List1->currentIndex().isValid());
    QFETCH(bool, enter);
    if (enter) {
        shown.List1->selectRow(row);
        QTest::keyClick(shown.List1, Qt::Key_Return);
    } else {
        click(shown.List1, row, true);
    }
    QCOMPARE(callsAfterLoad(startUp), QStringList{navigated});
    // The Favorites window closes; the History window stays open for the next row.
    QCOMPARE(shown.window->isVisible(), which == "History");
    if (shown.window) {
        click(shown.List1, 0, true);
        QCOMPARE(callsAfterLoad(startUp).last(), QString("Navigate 3/9/20104:05:06 PM"));
    }
}

void ListWindowsTest::addCurrentAppendsTheAddressAndRereadsTheFile()
{
    WorkingFolder::write("Favorites.DAT", "a\r\n");
    Form1 *startUp = shownMainWindow();
    Form3 *window = Form3::showShared();
    QVERIFY(ListFile::AppendLine("Favorites.DAT", "b")); // the toolbar's Add, meanwhile
    for (const char *address : {"http://new/", ""}) {
        startUp->Text1->setEditText(address);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
    }
    const QStringList expected = {"a", "b", "http://new/", ""};
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), ListFile::format(expected));
    QCOMPARE(window->List1->items(), expected);
    QCOMPARE(startUp->Text1->count(), 1); // the address box's own list stays as loaded
}

void ListWindowsTest::clearSelectedRemovesOnlyThatEntry_data()
{
    QTest::addColumn<QByteArray>("atLoad");
    QTest::addColumn<QByteArray>("atClick"); // null: as loaded
    QTest::addColumn<int>("selected");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("the only row") << QByteArray("a\r\n") << QByteArray() << 0 << QByteArray("")
                                  << -1;
    QTest::newRow("one of two equal rows") << QByteArray("a\r\nb\r\na\r\nc\r\n") << QByteArray()
                                           << 2 << QByteArray("a\r\nb\r\nc\r\n") << 2;
    QTest::newRow("a blank row: nothing changes")
        << QByteArray("a\r\n\r\n") << QByteArray() << 1 << QByteArray("a\r\n\r\n") << 1;
    QTest::newRow("nothing selected: nothing changes")
        << QByteArray("a\r\n") << QByteArray() << -1 << QByteArray("a\r\n") << -1;
    QTest::newRow("an entry appended since the load survives")
        << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\nnew\r\n") << 0
        << QByteArray("b\r\nnew\r\n") << 0;
    QTest::newRow("a line put in front since the load")
        << QByteArray("a\r\nb\r\nc\r\n") << QByteArray("z\r\na\r\nb\r\nc\r\n") << 1
        << QByteArray("z\r\na\r\nc\r\n") << 1;
}

void ListWindowsTest::clearSelectedRemovesOnlyThatEntry()
{
    QFETCH(QByteArray, atLoad);
    QFETCH(QByteArray, atClick);
    QFETCH(int, selected);
    QFETCH(QByteArray, expected);
    QFETCH(int, selectedAfter);
    WorkingFolder::write("Favorites.DAT", atLoad);
    Form3 *window = Form3::showShared();
    QVERIFY(QTest::qWaitForWindowActive(window));
    if (!atClick.isNull())
        WorkingFolder::write("Favorites.DAT", atClick);
    if (selected >= 0)
        click(window->List1, selected);
    QStringList rows = window->List1->items();
    if (!rows.value(selected).isEmpty())
        rows.removeAt(selected);
    QTest::mouseClick(window->Command3, Qt::LeftButton);
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), expected);
    QCOMPARE(window->List1->items(), rows);
    QCOMPARE(window->List1->selectedRow(), selectedAfter);
}

void ListWindowsTest::clearAllThenLoadAfresh_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("Favorites: 0 bytes") << "Favorites" << QByteArray("");
    QTest::newRow("History: exactly CR LF") << "History" << QByteArray("\r\n");
}

void ListWindowsTest::clearAllThenLoadAfresh()
{
    QFETCH(QString, which);
    QFETCH(QByteArray, expected);
    const QString file = which + ".DAT";
    WorkingFolder::write(file, "a\r\n\r\nb\r\n");
    ListWindow shown = show(which);
    QTest::mouseClick(shown.clearAll, Qt::LeftButton);
    QCOMPARE(WorkingFolder::read(file), expected);
    QCOMPARE(shown.List1->count(), 0);
    // Shown again, the window keeps its list; once closed (deleted or not yet), it is loaded
    // afresh: what Clear All left, then what was added since.
    QVERIFY(ListFile::AppendLine(file, "since"));
    QCOMPARE(show(which).window, shown.window);
    QCOMPARE(shown.List1->count(), 0);
    shown.window->close();
    const ListWindow again = show(which);
    QVERIFY(again.window != shown.window);
    QCOMPARE(again.List1->items(), ListFile::parse(expected + "since"));
}

void ListWindowsTest::filesThatCannotBeWrittenAreLeftAsTheyWere_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("target"); // what the file links to; empty: a directory in its place
    for (const QString which : {"Favorites", "History"}) {
        QTest::addRow("%s, a directory", qPrintable(which)) << which << QString();
        // Readable, but nothing can be created beside it to replace it.
        QTest::addRow("%s, in a read-only place", qPrintable(which)) << which << "/proc/version";
    }
}

void ListWindowsTest::filesThatCannotBeWrittenAreLeftAsTheyWere()
{
    QFETCH(QString, which);
    QFETCH(QString, target);
    const QString file = which + ".DAT";
    if (target.isEmpty())
        QVERIFY(QDir().mkdir(file));
    else if (!QFileInfo(target).isReadable() || !QFile::link(target, file))
        QSKIP("no such file here");
    const QByteArray bytes = WorkingFolder::read(file);
    shownMainWindow()->Text1->setEditText("http://x/");
    const ListWindow shown = show(which);
    const QStringList rows = shown.List1->items();
    QCOMPARE(rows.size(), target.isEmpty() ? 0 : 1);
    for (QPushButton *button : shown.window->findChildren<QPushButton *>()) {
        shown.List1->selectRow(0);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(shown.List1->items(), rows);
    }
    QCOMPARE(QFileInfo(file).isDir(), target.isEmpty());
    QCOMPARE(WorkingFolder::read(file), bytes);
    QVERIFY(!QApplication::activeModalWidget());
}

void ListWindowsTest::actsOnTheOldestMainWindowStillOpen_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("closed"); // the oldest of three main windows, closed, not yet deleted
    for (const QString which : {"Favorites", "History"}) {
        QTest::addRow("%s, opened from the third", qPrintable(which)) << which << 0;
        QTest::addRow("%s, the start-up window closed", qPrintable(which)) << which << 1;
        QTest::addRow("%s, all closed: a new one", qPrintable(which)) << which << 3;
    }
}

void ListWindowsTest::actsOnTheOldestMainWindowStillOpen()
{
    QFETCH(QString, which);
    QFETCH(int, closed);
    WorkingFolder::write(which + ".DAT", "http://h/\r\n");
    QList<QPointer<Form1>> mains;
    for (int i = 0; i < 3; ++i)
        mains.append(shownMainWindow());
    mains[2]->activateWindow();
    const ListWindow shown = show(which);
    for (int i = 0; i < closed; ++i)
        mains[i]->close();
    click(shown.List1, 0, true);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(mains[i] ? callsAfterLoad(mains[i]).size() : 0, i == closed ? 1 : 0);
    // Never a hidden window: a new one is loaded and shown maximised.
    QCOMPARE(FakeWebView::made().size(), closed < 3 ? 3 : 4);
    auto *acting = qobject_cast<Form1 *>(FakeWebView::made()[qMin(closed, 3)]->window());
    QCOMPARE(callsAfterLoad(acting), QStringList{"Navigate http://h/"});
    QVERIFY(acting->isVisible());
    QVERIFY(closed < 3 || acting->windowState() & Qt::WindowMaximized);
}

void ListWindowsTest::secondaryWindowsOpenCentredOnTheirMainWindow_data()
{
    QTest::addColumn<QString>("which");
    for (const char *which : {"Favorites", "History", "About", "Options"})
        QTest::newRow(which) << which;
}

void ListWindowsTest::secondaryWindowsOpenCentredOnTheirMainWindow()
{
    QFETCH(QString, which);
    shownMainWindow(); // the start-up window, at its own place
    // A second main window away from the screen's centre and corner: the window opens over the
    // one it was opened from.
    Form1 *opener = Form1::newLoaded();
    opener->setGeometry(200, 150, 500, 400);
    opener->show();
    QVERIFY(QTest::qWaitForWindowExposed(opener));
    QWidget *shown = nullptr;
    if (which == "About") {
        opener->mnuaboutss_Click();
        shown = shownWindows<Form2>().value(0);
    } else if (which == "Options") {
        opener->mnuinternetoptions_Click();
        shown = shownWindows<OptionsWindow>().value(0);
    } else {
        for (QAction *button : opener->Toolbar1->actions()) {
            if (button->objectName() == which)
                button->trigger();
        }
        shown = which == "Favorites" ? static_cast<QWidget *>(Form3::shared()) : Form4::shared();
    }
    QVERIFY(shown && shown->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QPoint offCentre = shown->frameGeometry().center() - opener->frameGeometry().center();
    // Within the frame the window system adds once the window shows.
    QVERIFY2(qAbs(offCentre.x()) <= 4 && qAbs(offCentre.y()) <= 4,
             qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
    QVERIFY(!shown->windowIcon().isNull());
    // Still without an owner: it outlives the window it was opened from.
    QVERIFY(!shown->parentWidget());
}

ZV_TEST_MAIN(ListWindowsTest)
#include "tst_listwindows.moc"
