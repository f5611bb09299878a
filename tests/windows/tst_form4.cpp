#include "app/ProgramIcon.h"
#include "app/Shutdown.h"
#include "app/Twips.h"
#include "lists/Form4.h"
#include "lists/ListBox.h"
#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "support/FakeWebView.h"
#include "support/TestMain.h"
#include "support/WorkingFolder.h"

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

// The calls a main window's web view got after its own GoHome at load.
QStringList callsAfterLoad(const Form1 *window)
{
    return qobject_cast<FakeWebView *>(window->WebBrowser1)->calls.mid(1);
}

void doubleClick(ListBox *list, int row)
{
    const QPoint at = row >= 0
                          ? list->visualRect(list->model()->index(row, 0)).center()
                          : QPoint(list->viewport()->width() / 2, list->viewport()->height() - 4);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class Form4Test : public QObject {
    Q_OBJECT

  private slots:
    void init() { m_fakes = std::make_unique<FakeWebView::Install>(); }
    void cleanup();

    void controlsAsDesigned();
    void loadListsTheFileAndChangesNothing_data();
    void loadListsTheFileAndChangesNothing();
    void oneSharedWindowLoadedAfreshAfterClosing();
    void doubleClickVisitsTheRowAndStaysOpen_data();
    void doubleClickVisitsTheRowAndStaysOpen();
    void clearAllLeavesOneEmptyEntry_data();
    void clearAllLeavesOneEmptyEntry();
    void aHistoryThatCannotBeRewrittenKeepsItsRows_data();
    void aHistoryThatCannotBeRewrittenKeepsItsRows();
    void actsOnTheOldestMainWindowStillOpen_data();
    void actsOnTheOldestMainWindowStillOpen();

  private:
    std::unique_ptr<FakeWebView::Install> m_fakes;
    std::unique_ptr<WorkingFolder> m_folder = std::make_unique<WorkingFolder>();
};

void Form4Test::cleanup()
{
    Shutdown::deleteWindows();
    m_fakes.reset();
    m_folder.reset(); // the old folder restores the old working directory first
    m_folder = std::make_unique<WorkingFolder>();
}

void Form4Test::controlsAsDesigned()
{
    Form4 *window = Form4::showShared();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(window->windowTitle(), QString("Zarvo Velmora History"));
    QCOMPARE(window->Command1->text(), QString("Clear All"));
    QCOMPARE(window->List1->objectName(), QString("List1"));
    QCOMPARE(window->Command1->objectName(), QString("Command1"));
    QCOMPARE(window->windowIcon().availableSizes(), ProgramIcon::icon().availableSizes());

    const double dpi = Twips::dpiOf(window);
    const auto px = [dpi](double twips) { return Twips::toPixels(twips, dpi); };
    QCOMPARE(window->size(), QSize(px(5415), px(4575)));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(
        !(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(window->List1->geometry(), QRect(px(120), px(120), px(5175), px(3765)));
    QCOMPARE(window->Command1->geometry(), QRect(px(4080), px(3960), px(1215), px(495)));

    QTRY_COMPARE(QApplication::focusWidget(), window->List1);
    QTest::keyClick(window->List1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->Command1);
    QVERIFY(!window->parentWidget());
    QVERIFY(!window->isModal());
}

void Form4Test::loadListsTheFileAndChangesNothing_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("missing: not created") << false << QByteArray() << QStringList();
    QTest::newRow("empty") << true << QByteArray("") << QStringList();
    QTest::newRow("only CR LF: one blank row") << true << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("a stamp, an address, the same address again")
        << true << QByteArray("3/9/20104:05:06 PM\r\nhttp://a/\r\nhttp://a/\r\n")
        << QStringList{"3/9/20104:05:06 PM", "http://a/", "http://a/"};
}

void Form4Test::loadListsTheFileAndChangesNothing()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    if (exists)
        WorkingFolder::write("History.DAT", bytes);
    Form4 *window = Form4::showShared();
    QCOMPARE(window->List1->items(), rows);
    QCOMPARE(window->List1->selectedRow(), -1);
    QCOMPARE(WorkingFolder::exists("History.DAT"), exists);
    if (exists)
        QCOMPARE(WorkingFolder::read("History.DAT"), bytes);
}

void Form4Test::oneSharedWindowLoadedAfreshAfterClosing()
{
    WorkingFolder::write("History.DAT", "one\r\n");
    QPointer<Form4> first = Form4::showShared();
    QVERIFY(ListFile::AppendLine("History.DAT", "two"));
    QCOMPARE(Form4::showShared(), first.data());
    QCOMPARE(first->List1->items(), QStringList{"one"});
    first->close();
    QPointer<Form4> second = Form4::showShared();
    QVERIFY(second != first);
    QCOMPARE(second->List1->items(), QStringList({"one", "two"}));
}

void Form4Test::doubleClickVisitsTheRowAndStaysOpen_data()
{
    QTest::addColumn<QList<int>>("rows"); // -1: below the rows, nothing selected
    QTest::addColumn<QStringList>("navigated");
    QTest::newRow("a row") << QList<int>{1} << QStringList{"Navigate http://a/"};
    QTest::newRow("a load stamp") << QList<int>{0} << QStringList{"Navigate 3/9/20104:05:06 PM"};
    QTest::newRow("a blank row") << QList<int>{2} << QStringList{"Navigate "};
    QTest::newRow("nothing selected") << QList<int>{-1} << QStringList{"Navigate "};
    QTest::newRow("one row after another")
        << QList<int>{1, 3} << QStringList{"Navigate http://a/", "Navigate http://b/"};
}

void Form4Test::doubleClickVisitsTheRowAndStaysOpen()
{
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, navigated);
    WorkingFolder::write("History.DAT", "3/9/20104:05:06 PM\r\nhttp://a/\r\n\r\nhttp://b/\r\n");
    Form1 *startUp = shownMainWindow();
    Form4 *window = Form4::showShared();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // The focus makes the first row current; that alone selects nothing.
    QTRY_VERIFY(window->List1->currentIndex().isValid());
    const QStringList listed = window->List1->items();
    for (const int row : rows)
        doubleClick(window->List1, row);
    QCOMPARE(callsAfterLoad(startUp), navigated);
    QVERIFY(window->isVisible());
    QCOMPARE(Form4::shared(), window);
    QCOMPARE(window->List1->items(), listed);
}

void Form4Test::clearAllLeavesOneEmptyEntry_data()
{
    QTest::addColumn<bool>("exists");
    QTest::newRow("a history") << true;
    QTest::newRow("no history yet") << false;
}

void Form4Test::clearAllLeavesOneEmptyEntry()
{
    QFETCH(bool, exists);
    if (exists)
        WorkingFolder::write("History.DAT", "stamp\r\nhttp://a/\r\n");
    Form4 *window = Form4::showShared();
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(WorkingFolder::read("History.DAT"), QByteArray("\r\n"));
    QCOMPARE(window->List1->count(), 0);

    // The next load shows the blank entry first, then what was recorded since.
    QVERIFY(ListFile::AppendLine("History.DAT", "http://since/"));
    window->close();
    QCOMPARE(Form4::showShared()->List1->items(), QStringList({"", "http://since/"}));
}

void Form4Test::aHistoryThatCannotBeRewrittenKeepsItsRows_data()
{
    QTest::addColumn<QString>("target"); // what History.DAT links to; empty: a directory
    QTest::newRow("a directory in its place") << QString();
    QTest::newRow("a file in a read-only place") << QString("/proc/version");
}

void Form4Test::aHistoryThatCannotBeRewrittenKeepsItsRows()
{
    QFETCH(QString, target);
    if (target.isEmpty())
        QVERIFY(QDir().mkdir("History.DAT"));
    else if (!QFileInfo(target).isReadable() || !QFile::link(target, "History.DAT"))
        QSKIP("no such file here");
    const QByteArray bytes = WorkingFolder::read("History.DAT");
    Form4 *window = Form4::showShared();
    const QStringList rows = window->List1->items();
    QCOMPARE(rows.size(), target.isEmpty() ? 0 : 1);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(window->List1->items(), rows);
    QCOMPARE(QFileInfo("History.DAT").isDir(), target.isEmpty());
    QCOMPARE(WorkingFolder::read("History.DAT"), bytes);
    QVERIFY(window->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
}

void Form4Test::actsOnTheOldestMainWindowStillOpen_data()
{
    QTest::addColumn<QList<int>>("closed"); // of three main windows, oldest first
    QTest::addColumn<bool>("deleted");      // the closed ones already gone, or only closed
    QTest::addColumn<int>("target");        // 3: a new main window
    QTest::newRow("none closed, opened from the third") << QList<int>{} << false << 0;
    QTest::newRow("the start-up window closed") << QList<int>{0} << false << 1;
    QTest::newRow("the start-up window closed and deleted") << QList<int>{0} << true << 1;
    QTest::newRow("a younger one closed") << QList<int>{1} << false << 0;
    QTest::newRow("the two oldest closed") << QList<int>{0, 1} << false << 2;
    QTest::newRow("all closed: a new one, shown") << QList<int>{0, 1, 2} << false << 3;
    QTest::newRow("all closed and deleted: a new one, shown") << QList<int>{0, 1, 2} << true << 3;
}

void Form4Test::actsOnTheOldestMainWindowStillOpen()
{
    QFETCH(QList<int>, closed);
    QFETCH(bool, deleted);
    QFETCH(int, target);
    WorkingFolder::write("History.DAT", "http://h/\r\n");
    QList<QPointer<Form1>> mains;
    for (int i = 0; i < 3; ++i)
        mains.append(shownMainWindow());
    mains[2]->activateWindow();
    Form4 *window = Form4::showShared();
    for (const int i : closed)
        mains[i]->close();
    if (deleted) {
        for (const int i : closed)
            QTRY_VERIFY(!mains[i]);
    }
    const qsizetype lines = ListFile::ReadLines("History.DAT").entries.size();

    doubleClick(window->List1, 0);
    for (int i = 0; i < 3; ++i) {
        if (mains[i])
            QCOMPARE(callsAfterLoad(mains[i]),
                     i == target ? QStringList{"Navigate http://h/"} : QStringList());
    }
    if (target < 3) {
        QCOMPARE(FakeWebView::made().size(), 3);
        return;
    }
    // Never a hidden window: the new one is loaded (its stamp recorded) and shown maximised.
    QCOMPARE(FakeWebView::made().size(), 4);
    auto *successor = qobject_cast<Form1 *>(FakeWebView::made()[3]->window());
    QVERIFY(successor);
    QVERIFY(successor->isVisible());
    QVERIFY(successor->windowState() & Qt::WindowMaximized);
    QCOMPARE(callsAfterLoad(successor), QStringList{"Navigate http://h/"});
    QCOMPARE(ListFile::ReadLines("History.DAT").entries.size(), lines + 1);
}

ZV_TEST_MAIN(Form4Test)
#include "tst_form4.moc"
