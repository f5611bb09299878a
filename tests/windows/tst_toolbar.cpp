#include "lists/Form3.h"
#include "lists/Form4.h"
#include "lists/ListBox.h"
#include "main_window/Form1.h"
#include "support/FakeWebView.h"
#include "support/ModalDialogs.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>

// The main window's toolbar, on a fake web view.
class ToolbarTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_fixture.start(); }
    void cleanup() { m_fixture.stop(); }

    void buttonsAsDesigned();
    void picturesAreMaskedAndSized();
    void eachKeyActsOnItsOwnWindowsView_data();
    void eachKeyActsOnItsOwnWindowsView();
    void anUnknownKeyDoesNothing();
    void addAppendsTheAddressAndConfirms_data();
    void addAppendsTheAddressAndConfirms();
    void addWithAnEmptyAddressCreatesTheFileAndSaysNothing();
    void addTwiceGivesTwoLines();
    void addThatCannotWriteSaysNothing();
    void addLeavesAnOpenFavoritesWindowAsItWas();
    void favoritesAndHistoryShowOneSharedWindowEach();

private:
    static bool click(Form1 *window, const QString &key);

    WindowFixture m_fixture;
};

bool ToolbarTest::click(Form1 *window, const QString &key)
{
    auto *button = window->Toolbar1->findChild<QToolButton *>(key);
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
    return button;
}

void ToolbarTest::buttonsAsDesigned()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    const QList<QAction *> actions = window->Toolbar1->actions();
    QCOMPARE(actions.size(), 15);
    QStringList keys;
    for (QAction *action : actions)
        keys.append(action->isSeparator() ? "-" : action->data().toString());
    QCOMPARE(keys, QStringList({"Back", "Forward", "-", "Stop", "Refresh", "-", "Home", "Search",
                                "-", "Print", "Preview", "-", "Favorites", "History", "Add"}));
    QCOMPARE(actions[3]->toolTip(), QString("Stop loading the current page."));
    QCOMPARE(actions[14]->toolTip(), QString("Add current page to favorites."));
    auto *add = window->Toolbar1->findChild<QToolButton *>("Add");
    QCOMPARE(add->accessibleName(), QString("Add"));
    QVERIFY(add->text().isEmpty() || add->toolButtonStyle() == Qt::ToolButtonIconOnly);
}

void ToolbarTest::picturesAreMaskedAndSized()
{
    const ImageList pictures;
    QCOMPARE(pictures.count(), 11);
    for (int i = 1; i <= 11; ++i) {
        const QPixmap picture = pictures.picture(i);
        QCOMPARE(picture.size(), QSize(32, 32));
        const QImage image = picture.toImage();
        // The corner is the mask colour in every picture: drawn transparent.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        // The middle holds the drawing itself: some of it is fully drawn.
        bool drawn = false;
        for (int y = 8; y < 24; ++y) {
            for (int x = 8; x < 24; ++x)
                drawn = drawn || qAlpha(image.pixel(x, y)) == 255;
        }
        QVERIFY2(drawn, qPrintable(QString::number(i)));
    }
    QVERIFY(pictures.picture(0).isNull());
    QVERIFY(pictures.picture(12).isNull());
}

void ToolbarTest::eachKeyActsOnItsOwnWindowsView_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("call");
    QTest::newRow("Back") << "Back"
                          << "GoBack";
    QTest::newRow("Forward") << "Forward"
                             << "GoForward";
    QTest::newRow("Stop") << "Stop"
                          << "Stop";
    QTest::newRow("Refresh") << "Refresh"
                             << "Refresh";
    QTest::newRow("Home") << "Home"
                          << "GoHome";
    QTest::newRow("Search") << "Search"
                            << "GoSearch";
    QTest::newRow("Print") << "Print"
                           << "ExecWB 6 0";
    QTest::newRow("Preview") << "Preview"
                             << "ExecWB 7 0";
}

void ToolbarTest::eachKeyActsOnItsOwnWindowsView()
{
    QFETCH(QString, key);
    QFETCH(QString, call);
    Form1 *first = m_fixture.showLoaded(), *second = m_fixture.showLoaded();
    QVERIFY(first && second);
    QVERIFY(click(second, key));
    QCOMPARE(FakeWebView::of(second)->calls, QStringList{call});
    QVERIFY(FakeWebView::of(first)->calls.isEmpty());
}

void ToolbarTest::anUnknownKeyDoesNothing()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    for (const char *key : {"back", "ADD", "Home ", ""}) {
        QAction unknown;
        unknown.setData(QString::fromLatin1(key));
        window->Toolbar1_ButtonClick(&unknown);
    }
    QVERIFY(FakeWebView::of(window)->calls.isEmpty());
    QVERIFY(!WorkingFolder::exists("Favorites.DAT"));
}

void ToolbarTest::addAppendsTheAddressAndConfirms_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("an address") << "http://example.com/";
    QTest::newRow("only blanks") << "   ";
    QTest::newRow("typed, not visited") << "not an address";
}

void ToolbarTest::addAppendsTheAddressAndConfirms()
{
    QFETCH(QString, address);
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    window->Text1->setEditText(address);
    QString text, title;
    QByteArray whileShown;
    answerNextModalDialog([&](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        QVERIFY(box);
        text = box->text();
        title = box->windowTitle();
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->buttons().size(), 1);
        whileShown = WorkingFolder::read("Favorites.DAT");
        box->button(QMessageBox::Ok)->click();
    });
    QVERIFY(click(window, "Add"));
    QCOMPARE(text, QString("URL added to favorites successfully."));
    QCOMPARE(title, QString("Zarvo Velmora 1.0"));
    const QByteArray line = address.toLatin1() + "\r\n";
    QCOMPARE(whileShown, line); // written before the confirmation
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), line);
    // The address lists of open windows are unchanged.
    QCOMPARE(window->Text1->count(), 0);
}

void ToolbarTest::addWithAnEmptyAddressCreatesTheFileAndSaysNothing()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    QVERIFY(click(window, "Add"));
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(WorkingFolder::exists("Favorites.DAT"));
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray(""));
}

void ToolbarTest::addTwiceGivesTwoLines()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    window->Text1->setEditText("http://a/");
    for (int i = 0; i < 2; ++i) {
        answerNextModalDialog([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->accept(); });
        QVERIFY(click(window, "Add"));
    }
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray("http://a/\r\nhttp://a/\r\n"));
}

void ToolbarTest::addThatCannotWriteSaysNothing()
{
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    window->Text1->setEditText("http://a/");
    QVERIFY(QDir().mkdir("Favorites.DAT"));
    QVERIFY(click(window, "Add"));
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(QFileInfo("Favorites.DAT").isDir());

    QVERIFY(QDir().rmdir("Favorites.DAT"));
    if (!QFile::link("/dev/full", "Favorites.DAT"))
        QSKIP("no /dev/full");
    QVERIFY(click(window, "Add"));
    QVERIFY(!QApplication::activeModalWidget());
}

void ToolbarTest::addLeavesAnOpenFavoritesWindowAsItWas()
{
    WorkingFolder::write("Favorites.DAT", "http://old/\r\n");
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    QVERIFY(click(window, "Favorites"));
    QVERIFY(Form3::shared());
    const int rows = Form3::shared()->List1->count();
    window->Text1->setEditText("http://new/");
    answerNextModalDialog([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->accept(); });
    QVERIFY(click(window, "Add"));
    QCOMPARE(Form3::shared()->List1->count(), rows);
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), QByteArray("http://old/\r\nhttp://new/\r\n"));
}

void ToolbarTest::favoritesAndHistoryShowOneSharedWindowEach()
{
    Form1 *first = m_fixture.showLoaded(), *second = m_fixture.showLoaded();
    QVERIFY(first && second);
    const auto count = [](const char *className) {
        int windows = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            windows += widget->inherits(className) && widget->isVisible();
        return windows;
    };
    QVERIFY(click(first, "Favorites"));
    QVERIFY(click(first, "Favorites"));
    QVERIFY(click(second, "Favorites"));
    QVERIFY(click(first, "History"));
    QVERIFY(click(second, "History"));
    QVERIFY(click(second, "History"));
    QCOMPARE(count("Form3"), 1);
    QCOMPARE(count("Form4"), 1);
    // Neither is owned by the window that opened it.
    QVERIFY(!Form3::shared()->parentWidget());
    QVERIFY(!Form4::shared()->parentWidget());
}

ZV_TEST_MAIN(ToolbarTest)
#include "tst_toolbar.moc"
