#include "app/Shutdown.h"
#include "lists/Form3.h"
#include "lists/Form4.h"
#include "lists/ListBox.h"
#include "lists/ListFile.h"
#include "main_window/Form1.h"
#include "main_window/StatusBar.h"
#include "support/FakeWebView.h"
#include "support/ModalDialogs.h"
#include "support/TestMain.h"
#include "support/WindowFixture.h"
#include "support/Windows.h"
#include "support/WorkingFolder.h"
#include "webview/WebViewSettings.h"
#include "webview/ui/OptionsWindow.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

// Every place the program writes a file, driven as the user would.
struct Writer {
    QString file; // in the working folder, or a full path
    std::function<void(Form1 *)> write;
    // Whether a failed write was made known without a dialog; null where failing is silent.
    std::function<bool(Form1 *)> reported;
};

QString settingsFolder()
{
    return QFileInfo(WebViewSettings::filePath()).path();
}

void clickToolbar(Form1 *window, const char *key)
{
    for (QAction *action : window->Toolbar1->actions()) {
        if (action->data().toString() == QLatin1String(key))
            window->Toolbar1_ButtonClick(action);
    }
}

const QList<std::pair<const char *, Writer>> &writers()
{
    static const QList<std::pair<const char *, Writer>> all = {
        {"load stamp", {"History.DAT", [](Form1 *) { Form1::newLoaded(); }, {}}},
        {"page completed",
         {"History.DAT", [](Form1 *w) { FakeWebView::of(w)->raiseDocumentComplete(); }, {}}},
        {"history clear all",
         {"History.DAT", [](Form1 *) { Form4::showShared()->Command1_Click(); }, {}}},
        {"toolbar add", {"Favorites.DAT", [](Form1 *w) { clickToolbar(w, "Add"); }, {}}},
        {"favorites add current",
         {"Favorites.DAT", [](Form1 *) { Form3::showShared()->Command1_Click(); }, {}}},
        {"favorites clear selected",
         {"Favorites.DAT",
          [](Form1 *) {
              Form3 *favorites = Form3::showShared();
              favorites->List1->selectRow(0);
              favorites->Command3_Click();
          },
          {}}},
        {"favorites clear all",
         {"Favorites.DAT", [](Form1 *) { Form3::showShared()->Command2_Click(); }, {}}},
        {"view source",
         {"VIEWSOURCE.TXT",
          [](Form1 *w) {
              FakeWebView::of(w)->markup = "<body>new</body>";
              w->mnuviewsource_Click();
          },
          [](Form1 *w) { return !w->StatusBar1->panelText(1).isEmpty(); }}},
        {"options ok",
         {WebViewSettings::filePath(), [](Form1 *) { OptionsWindow::showShared()->accept(); },
          [](Form1 *) {
              // OK that cannot save leaves the window open, saying why.
              const QList<OptionsWindow *> open = shownWindows<OptionsWindow>();
              return open.size() == 1 && !open[0]->message->text().isEmpty();
          }}},
    };
    return all;
}

} // namespace

// Each file writer against a file that cannot take what it writes: no crash, no dialog,
// nothing that was there before is lost.
class FaultsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void aFileThatCannotBeWrittenLosesNothing_data();
    void aFileThatCannotBeWrittenLosesNothing();
    void largeAndOddFilesAreHandled_data();
    void largeAndOddFilesAreHandled();
    void aFailedListWriteIsToldOnceOnceThePageHasCompleted();

private:
    WindowFixture m_fixture;
    QTemporaryDir m_noPrograms;
};

void FaultsTest::initTestCase()
{
    // View Source finds no text editor to start.
    qputenv("PATH", m_noPrograms.path().toUtf8());
}

void FaultsTest::init()
{
    m_fixture.start();
}

void FaultsTest::cleanup()
{
    Shutdown::deleteWindows();
    for (const QString &folder : {QStringLiteral("."), settingsFolder()})
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(settingsFolder()).removeRecursively();
    m_fixture.stop();
}

void FaultsTest::aFileThatCannotBeWrittenLosesNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("writer");
    for (const char *fault : {"directory", "full device", "read-only folder"}) {
        for (int i = 0; i < writers().size(); ++i)
            QTest::addRow("%s: %s", fault, writers()[i].first) << QString(fault) << i;
    }
}

void FaultsTest::aFileThatCannotBeWrittenLosesNothing()
{
    QFETCH(QString, fault);
    QFETCH(int, writer);
    const Writer &site = writers()[writer].second;
    const QString &file = site.file;
    const QString folder = QFileInfo(file).absolutePath();
    const QString other = file == QLatin1String("History.DAT") ? "Favorites.DAT" : "History.DAT";
    const QByteArray kept = "http://kept/\r\nsecond\r\n";

    Form1 *window = Form1::newLoaded();
    window->show();
    window->Text1->setEditText("http://typed/");
    WorkingFolder::write(other, kept);
    QVERIFY(QDir().mkpath(folder));
    if (fault == QLatin1String("directory")) {
        QFile::remove(file);
        QVERIFY(QDir().mkdir(file));
    } else if (fault == QLatin1String("full device")) {
        QFile::remove(file);
        if (!QFile::link("/dev/full", file))
            QSKIP("no /dev/full");
    } else {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders; the suite runs this again as a normal user");
        WorkingFolder::write(file, kept);
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }

    // Where the write still succeeds (appending in a read-only folder), Add confirms it.
    bool confirmed = false;
    const QPointer<QTimer> watcher = answerNextModalDialog([&](QWidget *dialog) {
        confirmed = true;
        qobject_cast<QDialog *>(dialog)->accept();
    });
    site.write(window);
    delete watcher;
    QVERIFY(!confirmed || fault == QLatin1String("read-only folder"));
    QVERIFY(!site.reported || site.reported(window));

    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(WorkingFolder::read(other), kept);
    if (fault == QLatin1String("directory")) {
        QVERIFY(QFileInfo(file).isDir());
    } else if (fault == QLatin1String("full device")) {
        // Replacing what a link points to would, as root, replace the device itself.
        QCOMPARE(QFileInfo(file).symLinkTarget(), QString("/dev/full"));
        QVERIFY(!QFileInfo("/dev/full").isFile());
    } else { // appending to a file is still allowed there; replacing it is not
        QVERIFY(WorkingFolder::read(file).startsWith(kept));
    }
}

void FaultsTest::largeAndOddFilesAreHandled_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray big;
    const QByteArray line = "http://www.example.com/a/long/enough/path/to/a/page.html\r\n";
    while (big.size() < 50 * 1024 * 1024)
        big += line;
    QTest::newRow("50 MB") << big;
    QTest::newRow("one line of 10 MB") << QByteArray(10 * 1024 * 1024, 'x') + "\r\n";
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) % 256));
    QTest::newRow("bytes that are not text") << binary;
}

void FaultsTest::largeAndOddFilesAreHandled()
{
    QFETCH(QByteArray, content);
    WorkingFolder::write("Favorites.DAT", content);
    WorkingFolder::write("History.DAT", content);
    Form1 *window = m_fixture.showLoaded();
    QVERIFY(window);
    Form3::showShared();
    Form4::showShared();
    QVERIFY(QTest::qWaitForWindowExposed(Form4::shared()));
    QCOMPARE(Form3::shared()->List1->count(), window->Text1->count());

    // The files grow by what is appended and keep what they held.
    FakeWebView::of(window)->raiseDocumentComplete();
    const QByteArray history = WorkingFolder::read("History.DAT");
    QVERIFY(history.startsWith(content));
    QVERIFY(history.size() > content.size());
    QCOMPARE(WorkingFolder::read("Favorites.DAT"), content);

    // A page's markup like it replaces an earlier source file like it, whole.
    WorkingFolder::write("VIEWSOURCE.TXT", content);
    const QString markup = QString::fromLatin1(content);
    FakeWebView::of(window)->markup = markup;
    window->mnuviewsource_Click();
    QCOMPARE(WorkingFolder::read("VIEWSOURCE.TXT"), ListFile::format({markup}));

    // A setting amid such a settings file still reads, and a save over it holds.
    QVERIFY(QDir().mkpath(settingsFolder()));
    WorkingFolder::write(WebViewSettings::filePath(),
                         "[General]\nHomePage=http://kept.test/\n" + content);
    WebViewSettings::Values values = WebViewSettings::load();
    QCOMPARE(values.homePage, QString("http://kept.test/"));
    values.javaScript = false;
    QVERIFY(WebViewSettings::save(values));
    QVERIFY(WebViewSettings::load() == values);
}

void FaultsTest::aFailedListWriteIsToldOnceOnceThePageHasCompleted()
{
    QVERIFY(QDir().mkdir("History.DAT"));
    QVERIFY(QDir().mkdir("Favorites.DAT"));
    const QString history = "Could not write History.DAT: it is not a file";
    Form1 *window = m_fixture.showLoaded(); // its load stamp could not be written
    FakeWebView *view = FakeWebView::of(window);
    // Not before the page has come: the load's own texts would replace it at once.
    view->busy = true;
    emit view->StatusTextChange("Opening page http://home/...");
    QCOMPARE(window->StatusBar1->panelText(1), QString("Opening page http://home/..."));
    view->busy = false;
    emit view->StatusTextChange("Done");
    view->raiseDocumentComplete();
    QCOMPARE(window->StatusBar1->panelText(1), history);
    // A link passing under the pointer does not take it away; the next page does.
    emit view->StatusTextChange("http://link/");
    QCOMPARE(window->StatusBar1->panelText(1), QString("http://link/"));
    emit view->StatusTextChange("");
    QCOMPARE(window->StatusBar1->panelText(1), history);
    view->busy = true;
    emit view->StatusTextChange("");
    QCOMPARE(window->StatusBar1->panelText(1), QString());
    // Said once a run: the next page's line that fails again says nothing.
    view->busy = false;
    emit view->StatusTextChange("Done");
    view->raiseDocumentComplete();
    QCOMPARE(window->StatusBar1->panelText(1), QString("Done"));

    // The Favorites window's writes are told in the start-up window, at once: its page is shown.
    Form1 *other = m_fixture.showLoaded();
    Form3::showShared(other)->Command2_Click();
    QCOMPARE(window->StatusBar1->panelText(1),
             QString("Could not write Favorites.DAT: it is not a file"));
}

ZV_TEST_MAIN(FaultsTest)
#include "tst_faults.moc"
