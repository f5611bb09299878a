#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "main_window/StatusBar.h"
#include "support/FakeWebView.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {
// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};
} // namespace

// The main window's navigation and its answers to the web view's events, on a fake web view.
class NavigationTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_fixture.stop(); }

    void enterInEachBoxVisitsTheAddressAsTyped_data();
    void enterInEachBoxVisitsTheAddressAsTyped();
    void enterOnTheSearchButtonDoesNotVisitTheAddress();
    void typingNeverCompletesNorRecasesNorAddsToTheLists();
    void focusClearsOnlyTheExactSearchLabel_data();
    void focusClearsOnlyTheExactSearchLabel();
    void statusText();
    void progressTakesOnlyValuesTheBarAccepts();
    void statusAndProgressArePaintedALittleLater();
    void theFirstPageCompletingPaintsWhatWasHeld();
    void eachDocumentCompleteAppendsTheTopLevelAddress();
    void emptyAddressAndTitle();
    void aHistoryThatCannotBeWrittenKeepsTheWindowWorking();
    void aNewWindowRequestGetsALoadedMainWindow();
    void escapePutsThePageAddressBackThenLeavesToThePage();
    void theAddressBoxAndCaptionFollowTheShownPage();
    void aNavigationWithoutADocumentLeavesTheBoxAtTheShownPage();
    void typingOffersFavouritesThenTheNewestHistoryAddresses();
    void aSuggestionIsVisitedAsTypedAndEscKeepsWhatWasTyped();

private:
    FakeWebView *view() const { return FakeWebView::of(m_window); }
    QListWidget *suggestions() const { return m_window->findChild<QListWidget *>("Suggestions"); }
    // What the pop-up shows, in order; nothing when it is closed.
    QStringList offered() const;
    void type(const QString &text);

    WindowFixture m_fixture;
    Form1 *m_window = nullptr;
};

void NavigationTest::init()
{
    m_fixture.start();
    WorkingFolder::write("Favorites.DAT", "http://example.com/\r\n");
    m_window = m_fixture.showLoaded();
    QVERIFY(m_window);
}

void NavigationTest::enterInEachBoxVisitsTheAddressAsTyped_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::newRow("address box") << "Text1"
                                 << " example.com/a b ";
    QTest::newRow("address box, empty") << "Text1"
                                        << "";
    QTest::newRow("search box") << "Text2"
                                << "example.com";
    QTest::newRow("category box") << "Combo1"
                                  << "example.com";
}

void NavigationTest::enterInEachBoxVisitsTheAddressAsTyped()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    m_window->Text1->setFocus();
    QTest::keyClicks(m_window->Text1, typed);
    QWidget *target = m_window->findChild<QWidget *>(box);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(view()->calls, QStringList{"Navigate2 " + typed});
}

void NavigationTest::enterOnTheSearchButtonDoesNotVisitTheAddress()
{
    m_window->Text1->setEditText("example.com");
    m_window->Command2->setFocus();
    QTRY_VERIFY(m_window->Command2->hasFocus());
    QTest::keyClick(m_window->Command2, Qt::Key_Return);
    QVERIFY(!view()->calls.join('|').contains("Navigate2"));
}

void NavigationTest::typingNeverCompletesNorRecasesNorAddsToTheLists()
{
    // A prefix of a favourite stays a prefix.
    m_window->Text1->setFocus();
    QTest::keyClicks(m_window->Text1, "http://ex");
    QTest::keyClick(m_window->Text1, Qt::Key_Return);
    QCOMPARE(view()->calls, QStringList{"Navigate2 http://ex"});
    QCOMPARE(m_window->Text1->count(), 1);

    // "web" is not "Web", not even after Enter and a change of focus.
    m_window->Combo1->setFocus();
    m_window->Combo1->lineEdit()->selectAll();
    QTest::keyClicks(m_window->Combo1, "web");
    QTest::keyClick(m_window->Combo1, Qt::Key_Return);
    m_window->Text1->setFocus();
    QTRY_VERIFY(m_window->Text1->hasFocus());
    QCOMPARE(m_window->Combo1->currentText(), QString("web"));
    QCOMPARE(m_window->Combo1->count(), 8);
}

void NavigationTest::focusClearsOnlyTheExactSearchLabel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::newRow("the label") << "Powered By Yahoo!"
                               << "";
    QTest::newRow("other case") << "powered by yahoo!"
                                << "powered by yahoo!";
    QTest::newRow("trailing blank") << "Powered By Yahoo! "
                                    << "Powered By Yahoo! ";
    QTest::newRow("user text") << "news"
                               << "news";
}

void NavigationTest::focusClearsOnlyTheExactSearchLabel()
{
    QFETCH(QString, text);
    QFETCH(QString, after);
    m_window->Text2->setText(text);
    m_window->Text2->setFocus();
    QTRY_VERIFY(m_window->Text2->hasFocus());
    QCOMPARE(m_window->Text2->text(), after);
    // Never put back.
    m_window->Text1->setFocus();
    QTRY_VERIFY(m_window->Text1->hasFocus());
    QCOMPARE(m_window->Text2->text(), after);
}

void NavigationTest::statusText()
{
    emit view()->StatusTextChange("http://example.com/link");
    QCOMPARE(m_window->StatusBar1->panelText(1), QString("http://example.com/link"));
    emit view()->StatusTextChange(QString());
    QCOMPARE(m_window->StatusBar1->panelText(1), QString());
}

void NavigationTest::progressTakesOnlyValuesTheBarAccepts()
{
    QProgressBar *bar = m_window->ProgressBar1;
    emit view()->ProgressChange(30, 200);
    QCOMPARE(bar->maximum(), 200);
    QCOMPARE(bar->value(), 30);
    emit view()->ProgressChange(-1, 0); // both refused, no message
    QCOMPARE(bar->maximum(), 200);
    QCOMPARE(bar->value(), 30);
    emit view()->ProgressChange(500, 300); // maximum taken, value refused
    QCOMPARE(bar->maximum(), 300);
    QCOMPARE(bar->value(), 30);
    emit view()->ProgressChange(10, 20); // a maximum below the value: the value stays in range
    QCOMPARE(bar->maximum(), 20);
    QCOMPARE(bar->value(), 10);
    emit view()->ProgressChange(50, 100);
    QCOMPARE(bar->value(), 50);
    QVERIFY(!QApplication::activeModalWidget());
}

void NavigationTest::statusAndProgressArePaintedALittleLater()
{
    // Painted inside the handlers, every step of a load would recompose the whole window at once.
    QTRY_VERIFY(!m_window->ProgressBar1->visibleRegion().isEmpty());
    QCoreApplication::processEvents();
    const PaintCounter barPaints(m_window->ProgressBar1);
    const PaintCounter statusPaints(m_window->StatusBar1->findChild<QLabel *>("Panel1"));
    emit view()->StatusTextChange("Opening page");
    emit view()->ProgressChange(40, 100);
    // What the window would paint next, but no timer yet.
    QCoreApplication::sendPostedEvents();
    QCOMPARE(statusPaints.count, 0);
    QCOMPARE(barPaints.count, 0);
    QCOMPARE(m_window->ProgressBar1->value(), 40);
    QCOMPARE(m_window->StatusBar1->panelText(1), QString("Opening page"));
    QTRY_VERIFY(barPaints.count > 0 && statusPaints.count > 0);
}

void NavigationTest::theFirstPageCompletingPaintsWhatWasHeld()
{
    // During the window's first load the status may be held longer (where the window is drawn
    // through OpenGL); its page completing paints it at once, never two seconds later.
    QTRY_VERIFY(!m_window->ProgressBar1->visibleRegion().isEmpty());
    QCoreApplication::processEvents();
    const PaintCounter statusPaints(m_window->StatusBar1->findChild<QLabel *>("Panel1"));
    emit view()->StatusTextChange("Opening page");
    QCoreApplication::sendPostedEvents();
    QCOMPARE(statusPaints.count, 0);
    view()->raiseDocumentComplete();
    QTRY_VERIFY_WITH_TIMEOUT(statusPaints.count > 0, 1000);
}

void NavigationTest::eachDocumentCompleteAppendsTheTopLevelAddress()
{
    view()->locationURL = "http://top.example/";
    view()->locationName = "Top";
    const int before = ListFile::ReadLines("History.DAT").entries.size();
    for (int frame = 0; frame < 3; ++frame)
        view()->raiseDocumentComplete();
    const QStringList history = ListFile::ReadLines("History.DAT").entries;
    QCOMPARE(history.mid(before), QStringList(3, "http://top.example/"));
    QCOMPARE(m_window->Text1->currentText(), QString("http://top.example/"));
    QCOMPARE(m_window->Text1->count(), 1); // the address is not added to the list
    QCOMPARE(m_window->windowTitle(), QString("Zarvo Velmora 1.0 - Top"));
}

void NavigationTest::emptyAddressAndTitle()
{
    m_window->Text1->setEditText("typed");
    view()->raiseDocumentComplete();
    QVERIFY(WorkingFolder::read("History.DAT").endsWith("\r\n\r\n"));
    QCOMPARE(m_window->Text1->currentText(), QString());
    QCOMPARE(m_window->windowTitle(), QString("Zarvo Velmora 1.0 - "));
}

void NavigationTest::aHistoryThatCannotBeWrittenKeepsTheWindowWorking()
{
    QVERIFY(QFile::remove("History.DAT"));
    QVERIFY(QDir().mkdir("History.DAT"));
    view()->locationURL = "http://a.example/";
    view()->locationName = "A";
    view()->raiseDocumentComplete();
    QCOMPARE(m_window->Text1->currentText(), QString("http://a.example/"));
    QCOMPARE(m_window->windowTitle(), QString("Zarvo Velmora 1.0 - A"));
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(QFileInfo("History.DAT").isDir());
}

void NavigationTest::aNewWindowRequestGetsALoadedMainWindow()
{
    const int stamps = ListFile::ReadLines("History.DAT").entries.size();
    QObject *target = nullptr;
    bool cancel = false;
    emit view()->NewWindow2(&target, &cancel);
    QCOMPARE(FakeWebView::made().size(), 2);
    FakeWebView *opened = FakeWebView::made().last();
    QCOMPARE(target, opened->Object());
    QVERIFY(!cancel);
    QCOMPARE(opened->calls, QStringList{"GoHome"});
    QCOMPARE(ListFile::ReadLines("History.DAT").entries.size(), stamps + 1);
    auto *window = qobject_cast<Form1 *>(opened->window());
    QVERIFY(window && window != m_window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->Text1->count(), 1); // its own copy of the favourites
    QVERIFY(view()->calls.isEmpty());    // the opener keeps its page
}

void NavigationTest::escapePutsThePageAddressBackThenLeavesToThePage()
{
    view()->locationURL = "http://shown.example/";
    view()->raiseDocumentComplete();
    m_window->Text1->setFocus();
    QTRY_VERIFY(m_window->Text1->hasFocus());
    m_window->Text1->lineEdit()->selectAll();
    QTest::keyClicks(m_window->Text1, "typed");
    QTest::keyClick(m_window->Text1, Qt::Key_Escape);
    QCOMPARE(m_window->Text1->currentText(), QString("http://shown.example/"));
    QCOMPARE(m_window->Text1->lineEdit()->selectedText(), QString("http://shown.example/"));
    QVERIFY(m_window->Text1->hasFocus());
    QTest::keyClick(m_window->Text1, Qt::Key_Escape);
    QTRY_VERIFY(view()->hasFocus());
    QCOMPARE(m_window->Text1->currentText(), QString("http://shown.example/"));

    // While a page loads, Esc puts the typed text back before it stops anything.
    view()->busy = true;
    emit view()->ProgressChange(10, 100);
    m_window->Text1->setFocus();
    QTRY_VERIFY(m_window->Text1->hasFocus());
    QTest::keyClicks(m_window->Text1, "more");
    view()->calls.clear();
    QTest::keyClick(m_window->Text1, Qt::Key_Escape);
    QCOMPARE(m_window->Text1->currentText(), QString("http://shown.example/"));
    QCOMPARE(view()->calls, QStringList());
    QTest::keyClick(m_window->Text1, Qt::Key_Escape);
    QCOMPARE(view()->calls, QStringList{"Stop"});
}

void NavigationTest::theAddressBoxAndCaptionFollowTheShownPage()
{
    view()->locationURL = "http://deck.example/";
    view()->locationName = "Deck";
    view()->raiseDocumentComplete();
    const QByteArray history = WorkingFolder::read("History.DAT");

    // Not focused: the box and the caption follow the page.
    view()->locationURL = "http://deck.example/#/2/1";
    view()->locationName = "Deck, slide 2";
    view()->raiseLocationChange();
    view()->raiseTitleChange();
    QCOMPARE(m_window->Text1->currentText(), QString("http://deck.example/#/2/1"));
    QCOMPARE(m_window->windowTitle(), QString("Zarvo Velmora 1.0 - Deck, slide 2"));

    // Focused but unchanged: still the page's.
    m_window->Text1->setFocus();
    QTRY_VERIFY(m_window->Text1->hasFocus());
    view()->locationURL = "http://deck.example/#/3";
    view()->raiseLocationChange();
    QCOMPARE(m_window->Text1->currentText(), QString("http://deck.example/#/3"));

    // Being edited: what the user types stays, and Esc brings the page's new address.
    m_window->Text1->lineEdit()->selectAll();
    QTest::keyClicks(m_window->Text1, "elsewhere");
    view()->locationURL = "http://deck.example/#/4";
    view()->raiseLocationChange();
    QCOMPARE(m_window->Text1->currentText(), QString("elsewhere"));
    QTest::keyClick(m_window->Text1, Qt::Key_Escape);
    QCOMPARE(m_window->Text1->currentText(), QString("http://deck.example/#/4"));

    // Neither writes history nor counts as a document.
    QCOMPARE(WorkingFolder::read("History.DAT"), history);
}

void NavigationTest::aNavigationWithoutADocumentLeavesTheBoxAtTheShownPage()
{
    view()->locationURL = "http://shown.example/";
    view()->raiseDocumentComplete();
    m_window->Text1->setFocus();
    QTRY_VERIFY(m_window->Text1->hasFocus());
    m_window->Text1->lineEdit()->selectAll();
    QTest::keyClicks(m_window->Text1, "http://shown.example/file.zip");
    QTest::keyClick(m_window->Text1, Qt::Key_Return);
    // It became a download: the page stays, and so does its address in the box (which Add
    // would store).
    view()->raiseLocationChange();
    QCOMPARE(m_window->Text1->currentText(), QString("http://shown.example/"));
}

QStringList NavigationTest::offered() const
{
    QStringList shown;
    for (int row = 0; suggestions()->isVisible() && row < suggestions()->count(); ++row)
        shown.append(suggestions()->item(row)->text());
    return shown;
}

void NavigationTest::type(const QString &text)
{
    m_window->Text1->setFocus();
    QTRY_VERIFY(m_window->Text1->hasFocus());
    m_window->Text1->clearEditText();
    QTest::keyClicks(m_window->Text1, text);
}

void NavigationTest::typingOffersFavouritesThenTheNewestHistoryAddresses()
{
    WorkingFolder::write("Favorites.DAT", "http://example.com/\r\nhttp://Docs.EXAMPLE.org/Guide\r\n"
                                          "http://other.test/\r\n");
    QVERIFY(ListFile::AppendLine("History.DAT", "http://old.example.net/"));
    QVERIFY(ListFile::AppendLine("History.DAT", "http://example.com/"));
    QVERIFY(ListFile::AppendLine("History.DAT", "notes on example"));
    QVERIFY(ListFile::AppendLine("History.DAT", "https://new.example.net/page"));
    type("xAmPl");
    QCOMPARE(offered(),
             QStringList({"\u2605 http://example.com/", "\u2605 http://Docs.EXAMPLE.org/Guide",
                          "https://new.example.net/page", "http://old.example.net/"}));
    // Nothing is completed in the box.
    QCOMPARE(m_window->Text1->currentText(), QString("xAmPl"));

    // Lines appended since are offered on the next key; a rewritten list is read again.
    QVERIFY(ListFile::AppendLine("History.DAT", "http://newest.example.net/"));
    QVERIFY(ListFile::WriteLines("Favorites.DAT", {"http://fav.example/"}));
    QTest::keyClick(m_window->Text1, Qt::Key_E);
    QCOMPARE(offered(), QStringList({"\u2605 http://fav.example/", "http://newest.example.net/",
                                     "https://new.example.net/page", "http://example.com/",
                                     "http://old.example.net/"}));

    // Ten at most, the newest; none for text that matches nothing.
    for (int line = 0; line < 12; ++line)
        QVERIFY(ListFile::AppendLine("History.DAT", QString("http://many.example/%1").arg(line)));
    type("many");
    QCOMPARE(offered().size(), 10);
    QCOMPARE(offered().first(), QString("http://many.example/11"));
    QCOMPARE(offered().last(), QString("http://many.example/2"));
    type("nowhere");
    QCOMPARE(offered(), QStringList());
}

void NavigationTest::aSuggestionIsVisitedAsTypedAndEscKeepsWhatWasTyped()
{
    QVERIFY(ListFile::AppendLine("History.DAT", "http://a.example.net/"));
    QVERIFY(ListFile::AppendLine("History.DAT", "http://b.example.net/"));
    view()->locationURL = "http://shown.test/";
    view()->raiseDocumentComplete();

    // Through GO, as if typed: the favourite first, then the history, newest first.
    type("example");
    QCOMPARE(offered().size(), 3);
    QTest::keyClick(m_window->Text1, Qt::Key_Down);
    QTest::keyClick(m_window->Text1, Qt::Key_Down);
    QTest::keyClick(m_window->Text1, Qt::Key_Up);
    QTest::keyClick(m_window->Text1, Qt::Key_Down);
    QTest::keyClick(m_window->Text1, Qt::Key_Return);
    QCOMPARE(view()->calls, QStringList{"Navigate2 http://b.example.net/"});
    QCOMPARE(offered(), QStringList());

    // Enter with nothing chosen visits exactly what was typed.
    view()->calls.clear();
    type("example");
    QTest::keyClick(m_window->Text1, Qt::Key_Return);
    QCOMPARE(view()->calls, QStringList{"Navigate2 example"});

    // A click visits too.
    view()->calls.clear();
    type("a.ex");
    QCOMPARE(offered(), QStringList{"http://a.example.net/"});
    QListWidget *list = suggestions();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QCOMPARE(view()->calls, QStringList{"Navigate2 http://a.example.net/"});

    // Esc closes the list and keeps the text; the next one brings the page's address back.
    view()->calls.clear();
    type("example");
    QTest::keyClick(m_window->Text1, Qt::Key_Down);
    QTest::keyClick(m_window->Text1, Qt::Key_Escape);
    QCOMPARE(offered(), QStringList());
    QCOMPARE(m_window->Text1->currentText(), QString("example"));
    QTest::keyClick(m_window->Text1, Qt::Key_Escape);
    QCOMPARE(m_window->Text1->currentText(), QString("http://shown.test/"));
    QVERIFY(view()->calls.isEmpty());

    // The box's own list of favourites takes the place of the suggestions.
    type("example");
    QVERIFY(!offered().isEmpty());
    QTest::keyClick(m_window->Text1, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(offered(), QStringList());
    QTRY_VERIFY(m_window->Text1->view()->isVisible());
    m_window->Text1->hidePopup();
}

ZV_TEST_MAIN(NavigationTest)
#include "tst_navigation.moc"
