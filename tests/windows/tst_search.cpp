#include "main_window/Form1.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
const QString WebTail = QStringLiteral("&fr=FP-tab-web-t400&toggle=1&cop=&ei=UTF-8");
} // namespace

// The search row against a fake web view: real focus changes, keys and clicks.
class SearchTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_fixture.stop(); }

    void searchBeforeTheSearchBoxHadTheFocusSearchesForTheLabel();
    void theCategoryBoxKeepsWhatIsTyped_data();
    void theCategoryBoxKeepsWhatIsTyped();
    void aPickedCategoryAndTypedTextGiveTheEncodedAddress();

private:
    FakeWebView *view() const { return FakeWebView::of(m_window); }
    static bool typeInto(QWidget *box, const QString &text);

    WindowFixture m_fixture;
    Form1 *m_window = nullptr;
};

void SearchTest::init()
{
    m_fixture.start();
    m_window = new Form1;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QVERIFY(view());
}

// Replaces the box's whole text as a user would: focus, select all, type.
bool SearchTest::typeInto(QWidget *box, const QString &text)
{
    box->setFocus(Qt::TabFocusReason);
    if (!QTest::qWaitFor([box] { return box->hasFocus(); }))
        return false;
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    for (const QChar ch : text) {
        // keyClicks takes ASCII only; other letters arrive as a key with just its text.
        if (ch.unicode() < 0x80)
            QTest::keyClick(box, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    return true;
}

void SearchTest::searchBeforeTheSearchBoxHadTheFocusSearchesForTheLabel()
{
    QVERIFY(!m_window->Text2->hasFocus());
    QTest::mouseClick(m_window->Command2, Qt::LeftButton);
    QCOMPARE(
        view()->calls,
        QStringList{"Navigate http://search.yahoo.com/search?p=Powered%20By%20Yahoo%21" + WebTail});
}

void SearchTest::theCategoryBoxKeepsWhatIsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("calls");
    const QStringList none;
    QTest::newRow("lower case") << "web" << none;
    QTest::newRow("trailing blank") << "Web " << none;
    QTest::newRow("a prefix of an item") << "Ima" << none;
    QTest::newRow("not in the list") << "Maps" << none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("an item, typed")
        << "Shopping"
        << QStringList{
               "Navigate http://shopping.yahoo.com/search?ei=UTF-8&p=Powered%20By%20Yahoo%21"
               "&fr=FP-tab-web-t400&cop=mss&fr2=tab-news"};
}

void SearchTest::theCategoryBoxKeepsWhatIsTyped()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, calls);
    QVERIFY(typeInto(m_window->Combo1, typed));
    // Clicking Search takes the focus from the box: nothing may complete or correct the text.
    QTest::mouseClick(m_window->Command2, Qt::LeftButton);
    QVERIFY(!m_window->Combo1->hasFocus());
    QCOMPARE(m_window->Combo1->currentText(), typed);
    QCOMPARE(m_window->Combo1->count(), 8);
    QCOMPARE(view()->calls, calls);
}

void SearchTest::aPickedCategoryAndTypedTextGiveTheEncodedAddress()
{
    QVERIFY(typeInto(m_window->Text2, u"AT&T C#+100% \u00FC"_qs));
    m_window->Combo1->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(m_window->Combo1->hasFocus());
    for (int step = 0; step < 5; ++step) // Web → Local
        QTest::keyClick(m_window->Combo1, Qt::Key_Down);
    QCOMPARE(m_window->Combo1->currentText(), QString("Local"));
    QTest::mouseClick(m_window->Command2, Qt::LeftButton);
    QCOMPARE(view()->calls, QStringList{"Navigate http://local.yahoo.com/results?stx=TEXT&toggle=1"
                                        "&qry=AT%26T%20C%23%2B100%25%20%C3%BC"
                                        "&fr=FP-tab-web-t400&toggle=1&ei=UTF-8&fr2=tab-dir"});
}

ZV_TEST_MAIN(SearchTest)
#include "tst_search.moc"
