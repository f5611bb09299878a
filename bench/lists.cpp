// The list files in the windows: opening the History and Favorites windows on long lists, each
// beside the time to read the same file alone; Clear Selected on a long Favorites.DAT beside
// reading it; and one history append on a long History.DAT beside one on an empty file. Prints its
// rows of the bench table; the driver runs it.
#include "Table.h"

#include "common/Product.h"
#include "lists/Form3.h"
#include "lists/Form4.h"
#include "lists/ListBox.h"
#include "lists/ListFile.h"
#include "lists/SuggestionIndex.h"
#include "main_window/Form1.h"
#include "support/FakeWebView.h"
#include "webview/engine/EngineDefaults.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QTemporaryDir>
#include <functional>

namespace {

constexpr int WindowRuns = 7;
constexpr int AppendRuns = 101;

// History-like content: addresses of completed pages, a load stamp now and then.
void writeList(const QString &fileName, int entries)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(entries) * 40);
    for (int i = 0; i < entries; ++i) {
        if (i % 50 == 0)
            bytes += "3/9/20104:05:06 PM\r\n";
        else
            bytes += "http://www.example.com/articles/" + QByteArray::number(i) + ".html\r\n";
    }
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(fileName));
}

// The median time of the runs, in ms. Each run is timed; what "release" does after it is not. A
// first, untimed run warms the caches and the allocator.
double medianMs(int runs, const std::function<void()> &run, const std::function<void()> &release)
{
    run();
    release();
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.append(double(timer.nsecsElapsed()) / 1e6);
        release();
    }
    return Table::median(times);
}

// Until the window has been painted once.
template <typename Window> double openAndPaint()
{
    QPointer<Window> window;
    return medianMs(
        WindowRuns,
        [&] {
            window = Window::showShared();
            window->repaint();
        },
        [&] { delete window; });
}

void windowRow(const QString &window, const QString &fileName, int entries, double (*open)(),
               double limitMs = 0)
{
    writeList(fileName, entries);
    ListFile::Lines lines;
    const double read = medianMs(
        WindowRuns, [&] { lines = ListFile::ReadLines(fileName); }, [&] { lines = {}; });
    const double opened = open();
    const QString figure =
        QStringLiteral("%1 window on %2 entries, ms (baseline: reading the file)")
            .arg(window, QLocale(QLocale::English).toString(entries));
    Table::printRow(figure, Table::number(opened, 1), Table::number(read, 1),
                    Table::ratio(opened / read),
                    limitMs > 0 ? QStringLiteral("< %1 ms").arg(limitMs) : QString(),
                    limitMs > 0 ? Table::verdict(opened < limitMs) : QString());
}

// Clear Selected in the Favorites window on a row in the middle of a long list, from the click
// until the file is rewritten and the row is gone; the file and the list lose one entry a run.
void clearSelectedRow(int entries, double limitMs)
{
    writeList(Product::FavoritesFile, entries);
    ListFile::Lines lines;
    const double read = medianMs(
        WindowRuns, [&] { lines = ListFile::ReadLines(Product::FavoritesFile); },
        [&] { lines = {}; });
    Form3 *window = Form3::showShared();
    window->repaint();
    const auto select = [window] { window->List1->selectRow(window->List1->count() / 2); };
    select();
    const double cleared = medianMs(
        WindowRuns, [window] { window->Command3_Click(); }, select);
    if (window->List1->count() != entries - WindowRuns - 1)
        qFatal("Clear Selected did not remove a row each run");
    delete window;
    Table::printRow(
        QStringLiteral("Clear Selected in the Favorites window on %1 entries, ms (baseline: "
                       "reading the file)")
            .arg(QLocale(QLocale::English).toString(entries)),
        Table::number(cleared, 1), Table::number(read, 1), Table::ratio(cleared / read),
        QStringLiteral("< %1 ms").arg(limitMs), Table::verdict(cleared < limitMs));
}

// One DocumentComplete of a main window, which appends the page to History.DAT; the file is cut
// back to its size before each run, so every run appends to the same file.
double appendUs(Form1 *window, int entries)
{
    if (entries > 0)
        writeList(Product::HistoryFile, entries);
    else
        QFile(Product::HistoryFile).resize(0);
    const qint64 size = QFileInfo(Product::HistoryFile).size();
    auto *view = static_cast<FakeWebView *>(window->WebBrowser1);
    return medianMs(
               AppendRuns, [&] { view->raiseDocumentComplete(); },
               [&] {
                   if (!QFile(Product::HistoryFile).resize(size))
                       qFatal("cannot cut History.DAT back");
               }) *
           1000;
}

void appendRow()
{
    const FakeWebView::Install fakes;
    Form1 *window = Form1::newLoaded();
    auto *view = static_cast<FakeWebView *>(window->WebBrowser1);
    view->locationURL = QStringLiteral("http://www.example.com/articles/latest.html");
    view->locationName = QStringLiteral("Latest");
    const double empty = appendUs(window, 0);
    const double full = appendUs(window, 1'000'000);
    delete window;
    Table::printRow(QStringLiteral("History append on DocumentComplete, 1,000,000-entry "
                                   "History.DAT, µs (baseline: empty file)"),
                    Table::number(full, 1), Table::number(empty, 1), Table::ratio(full / empty),
                    QStringLiteral("ratio < 1.5"), Table::verdict(full / empty < 1.5));
}

// A main window loaded and painted once, on a fake web view.
double openMainWindow()
{
    QPointer<Form1> window;
    return medianMs(
        WindowRuns,
        [&] {
            window = Form1::newLoaded();
            window->show();
            window->repaint();
        },
        [&] { delete window; });
}

// The address box's list holds every favourite; a long list must not hold up the window.
void favoritesInAddressBoxRow()
{
    const FakeWebView::Install fakes;
    QFile::remove(Product::FavoritesFile);
    const double none = openMainWindow();
    writeList(Product::FavoritesFile, 1'000'000);
    const double full = openMainWindow();
    QFile::remove(Product::FavoritesFile);
    Table::printRow(QStringLiteral("Main window until painted, 1,000,000 favourites in its address "
                                   "box, ms (baseline: no Favorites.DAT)"),
                    Table::number(full, 1), Table::number(none, 1), Table::ratio(full / none),
                    QStringLiteral("< +100 ms"), Table::verdict(full - none < 100));
}

// A keystroke in the address box on a long history: its suggestions come from the shared index,
// which reads only what was appended since the last key (one history line between keys here). The
// worst text matches nothing, so every line is looked at. Beside: reading the file whole.
void suggestionsRow(int entries)
{
    writeList(Product::HistoryFile, entries);
    SuggestionIndex &index = SuggestionIndex::shared();
    index.suggest(QStringLiteral("warm"));
    int key = 0;
    constexpr int Keys = 3;
    const double keys = medianMs(
        WindowRuns,
        [&] {
            ListFile::AppendLine(Product::HistoryFile,
                                 QStringLiteral("http://typed.example/") + QString::number(key));
            for (const QString &text : {QStringLiteral("nowhere at all"),
                                        QStringLiteral("articles/12345."), QStringLiteral("ex")})
                index.suggest(text + QString::number(key % 10));
            ++key;
        },
        [] {});
    const double keystroke = keys / Keys;
    const double read = medianMs(
        WindowRuns, [] { ListFile::ReadIndex(Product::HistoryFile); }, [] {});
    Table::printRow(QStringLiteral("Address box suggestions, one keystroke on %1 history lines, "
                                   "ms (baseline: reading History.DAT whole)")
                        .arg(QLocale(QLocale::English).toString(entries)),
                    Table::number(keystroke, 1), Table::number(read, 1),
                    Table::ratio(keystroke / read), QStringLiteral("< 50 ms a keystroke"),
                    Table::verdict(keystroke < 50));
    QFile::remove(Product::HistoryFile);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    EngineDefaults::install();
    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path()))
        qFatal("no temporary working folder");

    // Alone, it prints the table's head itself; the driver prints one for everything.
    if (!app.arguments().contains(QStringLiteral("--rows-only")))
        Table::printHeader();
    for (const int entries : {10'000, 100'000, 1'000'000})
        windowRow(QStringLiteral("History"), Product::HistoryFile, entries, &openAndPaint<Form4>,
                  entries == 1'000'000 ? 1000 : 0);
    windowRow(QStringLiteral("Favorites"), Product::FavoritesFile, 100'000, &openAndPaint<Form3>);
    clearSelectedRow(1'000'000, 500);
    QFile::remove(Product::FavoritesFile);
    QFile::remove(Product::HistoryFile);
    favoritesInAddressBoxRow();
    suggestionsRow(1'000'000);
    appendRow();
    return 0;
}
