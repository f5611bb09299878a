// Opening the History and Favorites windows on long lists: the median of several openings, each
// until the window has been painted once, beside the time to read the same file alone.
#include "app/Product.h"
#include "lists/Form3.h"
#include "lists/Form4.h"
#include "lists/ListFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 7;

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
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(fileName));
}

// Each run is timed; what "release" frees after it is not. A first, untimed run warms the caches
// and the allocator.
double medianMs(const std::function<void()> &run, const std::function<void()> &release)
{
    run();
    release();
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        release();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Window> double openAndPaint()
{
    QPointer<Window> window;
    return medianMs(
        [&] {
            window = Window::showShared();
            window->repaint();
        },
        [&] { delete window; });
}

void row(const char *window, const QString &fileName, int entries, double (*open)())
{
    writeList(fileName, entries);
    ListFile::Lines lines;
    const double read =
        medianMs([&] { lines = ListFile::ReadLines(fileName); }, [&] { lines = {}; });
    const double opened = open();
    std::printf("%-10s %9d %14.1f %14.1f\n", window, entries, read, opened);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path()))
        qFatal("no temporary working folder");

    std::printf("Median of %d runs, in ms; \"read file\" is the baseline: the list file alone.\n",
                Runs);
    std::printf("%-10s %9s %14s %14s\n", "window", "entries", "read file", "open window");
    for (const int entries : {10'000, 100'000, 1'000'000})
        row("History", Product::HistoryFile, entries, &openAndPaint<Form4>);
    row("Favorites", Product::FavoritesFile, 100'000, &openAndPaint<Form3>);
    return 0;
}
